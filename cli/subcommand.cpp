#include "cli/subcommand.h"

#include <cstdio>

namespace {

// Windows-1252 0x80 to 0x9F; 0 where the code page leaves a byte undefined (written as U+FFFD).
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

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

}  // namespace

void CErrorLineSink::ShowMessage(const std::string& text)
{
    std::string line = text;
    for (char& c : line)
        if (c == '\n')
            c = ' ';
    m_err << line << '\n';
}

std::string Cp1252ToUtf8(std::string_view text)
{
    std::string utf8;
    for (char byte : text) {
        const auto c = static_cast<unsigned char>(byte);
        if (c >= 0x80 && c < 0xA0)
            AppendUtf8(utf8, kHighControls[c - 0x80] ? kHighControls[c - 0x80] : 0xFFFD);
        else
            AppendUtf8(utf8, c);
    }
    return utf8;
}

std::string CsvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (char c : text)
        (quoted += c) += c == '"' ? "\"" : "";
    return quoted + "\"";
}

std::string JsonString(std::string_view text)
{
    std::string literal = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            (literal += '\\') += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            literal += escaped;
        } else {
            literal += c;
        }
    }
    return literal + "\"";
}

std::string IsoDate(int yyyymmdd)
{
    if (yyyymmdd == 0)
        return "";
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", yyyymmdd / 10000 % 10000, yyyymmdd / 100 % 100,
                  yyyymmdd % 100);
    return text;
}
