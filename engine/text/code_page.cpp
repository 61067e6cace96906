#include "engine/text/code_page.h"

#include <cstdint>

namespace engine {

namespace {

// The characters of bytes 80 to 9F. The five bytes that Windows-1252 leaves undefined stand for the
// control character of their own number, so that any byte read from a file converts back unchanged.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The byte of a character, or -1 when Windows-1252 has none.
int Windows1252Byte(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == c)
            return 0x80 + i;
    return -1;
}

char32_t Windows1252Character(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
}

void AppendUtf8(std::string& text, char32_t c)
{
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Reads one character at pos and moves past it; false for a malformed sequence (pos then moves one byte).
bool NextCharacter(std::string_view utf8, std::size_t& pos, char32_t& c)
{
    const auto lead = static_cast<unsigned char>(utf8[pos]);
    int nTrail = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        c = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        c = lead & 0x1F;
        nTrail = 1;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        c = lead & 0x0F;
        nTrail = 2;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        c = lead & 0x07;
        nTrail = 3;
        minimum = 0x10000;
    } else {
        ++pos;
        return false;
    }
    if (pos + static_cast<std::size_t>(nTrail) >= utf8.size()) {
        ++pos;
        return false;
    }
    for (int i = 1; i <= nTrail; ++i) {
        const auto trail = static_cast<unsigned char>(utf8[pos + static_cast<std::size_t>(i)]);
        if ((trail & 0xC0) != 0x80) {
            ++pos;
            return false;
        }
        c = (c << 6) | (trail & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++pos;
        return false;
    }
    pos += static_cast<std::size_t>(nTrail) + 1;
    return true;
}

}  // namespace

bool Utf8ToWindows1252(std::string_view utf8, std::string& cp1252, std::string& badCharacter)
{
    cp1252.clear();
    badCharacter.clear();
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t start = pos;
        char32_t c = 0;
        if (!NextCharacter(utf8, pos, c)) {
            static const char kHex[] = "0123456789ABCDEF";
            const auto byte = static_cast<unsigned char>(utf8[start]);
            badCharacter = std::string("\\x") + kHex[byte >> 4] + kHex[byte & 0x0F];
            return false;
        }
        const int byte = Windows1252Byte(c);
        if (byte < 0) {
            badCharacter.assign(utf8.substr(start, pos - start));
            return false;
        }
        cp1252 += static_cast<char>(byte);
    }
    return true;
}

std::string Windows1252ToUtf8(std::string_view cp1252)
{
    std::string utf8;
    utf8.reserve(cp1252.size());
    for (const char byte : cp1252)
        AppendUtf8(utf8, Windows1252Character(static_cast<unsigned char>(byte)));
    return utf8;
}

std::string EscapeControls(std::string_view utf8)
{
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size(); ++pos) {
        auto byte = static_cast<unsigned char>(utf8[pos]);
        const bool bC1 = byte == 0xC2 && pos + 1 < utf8.size() && static_cast<unsigned char>(utf8[pos + 1]) >= 0x80 &&
                         static_cast<unsigned char>(utf8[pos + 1]) <= 0x9F;
        if (bC1)
            byte = static_cast<unsigned char>(utf8[++pos]);
        if (bC1 || byte < 0x20 || byte == 0x7F)
            ((text += "\\x") += kHex[byte >> 4]) += kHex[byte & 0x0F];
        else
            text += static_cast<char>(byte);
    }
    return text;
}

std::size_t CountCharacters(std::string_view utf8)
{
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < utf8.size(); ++count) {
        char32_t c = 0;
        NextCharacter(utf8, pos, c);
    }
    return count;
}

std::string UpperCaseSymbol(std::string_view cp1252)
{
    std::string upper(cp1252);
    for (char& c : upper) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7))
            c = static_cast<char>(byte - 0x20);
        else if (byte == 0x9A || byte == 0x9C || byte == 0x9E)  // s, oe, z with caron
            c = static_cast<char>(byte - 0x10);
        else if (byte == 0xFF)  // y with diaeresis
            c = static_cast<char>(0x9F);
    }
    return upper;
}

}  // namespace engine
