#include "engine/text/text_folding.h"

#include <cstdint>

namespace engine {

namespace {

// Windows-1252 bytes 0x80 to 0x9F as code points; 0 where the code page has none.
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

// The base letters of U+00C0 to U+00FF ('*' keeps the letter: ß, þ, and the signs × ÷ drop as '-').
constexpr char kLatin1Base[] = "aaaaaaaceeeeiiiidnooooo-ouuuuyts"
                               "aaaaaaaceeeeiiiidnooooo-ouuuuyty";

// The base letters of U+0100 to U+017F, in pairs of upper and lower case.
constexpr char kLatinExtendedA[] = "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiiijjkkkllllllllllnnnnnnnnnoooooooorrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";

bool DecodeUtf8(std::string_view text, std::u32string& out)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size() + (extra == 0 ? 1 : 0))
            return false;
        char32_t code = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        out.push_back(code);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

void AppendUtf8(char32_t code, std::string& out)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool IsDropped(char32_t code)
{
    return code < 0x80 ? !((code >= '0' && code <= '9') || (code >= 'a' && code <= 'z') || (code >= 'A' && code <= 'Z'))
                       : code < 0xC0 || code == 0xD7 || code == 0xF7 || (code >= 0x2000 && code <= 0x206F) ||
                             (code >= 0x20A0 && code <= 0x20CF) || (code >= 0x3000 && code <= 0x303F) ||
                             (code >= 0xFF00 && code <= 0xFF0F) || code == 0x2116 || code == 0xFEFF;
}

}  // namespace

std::string FoldedText(std::string_view text)
{
    std::u32string codes;
    if (!DecodeUtf8(text, codes)) {
        codes.clear();
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            codes.push_back(byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte);
        }
    }
    std::string folded;
    for (char32_t code : codes) {
        if (IsDropped(code))
            continue;
        if (code >= 'A' && code <= 'Z')
            code += 'a' - 'A';
        if (code >= 0xC0 && code <= 0xFF) {
            if (code == 0xDF) {
                folded += "ss";
                continue;
            }
            if (code != 0xFE && code != 0xDE)
                code = static_cast<unsigned char>(kLatin1Base[code - 0xC0]);
        } else if (code >= 0x100 && code <= 0x17F) {
            code = static_cast<unsigned char>(kLatinExtendedA[code - 0x100]);
        } else if (code >= 0x410 && code <= 0x42F) {
            code += 0x20;  // Cyrillic capitals
        } else if (code == 0x401 || code == 0x451) {
            code = 0x435;  // ё as е
        } else if (code >= 0x1EA0 && code <= 0x1EF9) {
            // Vietnamese letters with tone marks, in pairs, grouped by base letter
            static constexpr char kBase[] = "aaaaaaaaaaaaaaaaaaaaaaaaeeeeeeeeeeeeeeeeiiiioooooooooooooooooooooooouuuuuuuuuuuuuuyyyyyyyy";
            code = static_cast<unsigned char>(kBase[code - 0x1EA0]);
        } else if (code == 0x1A0 || code == 0x1A1) {
            code = 'o';
        } else if (code == 0x1AF || code == 0x1B0) {
            code = 'u';
        } else if (code == 0x110 || code == 0x111) {
            code = 'd';
        }
        AppendUtf8(code, folded);
    }
    return folded;
}

}  // namespace engine
