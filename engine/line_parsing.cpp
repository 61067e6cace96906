#include "engine/line_parsing.h"

#include <charconv>
#include <cstdlib>
#include <string>
#include <system_error>

CTokenTable::CTokenTable()
{
    for (std::string& token : m_tokens) {
        token.reserve(64);
        token = "123";
    }
}

int CTokenTable::Split(std::string_view line, char delimiter)
{
    int count = 0;
    std::size_t pos = 0;
    while (count < kMaxTokens) {
        pos = line.find_first_not_of(delimiter, pos);
        if (pos == std::string_view::npos)
            break;
        std::size_t end = line.find(delimiter, pos);
        if (end == std::string_view::npos)
            end = line.size();
        m_tokens[count++].assign(line.data() + pos, end - pos);
        pos = end;
    }
    return count;
}

float ScanFloat(std::string_view token)
{
    std::size_t i = 0;
    while (i < token.size() && (token[i] == ' ' || (token[i] >= '\t' && token[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < token.size() && (token[i] == '-' || token[i] == '+'))
        negative = token[i++] == '-';
    // A second sign, which from_chars would take, means that the token holds no number.
    if (i < token.size() && token[i] == '-')
        return 0.0f;
    const char* begin = token.data() + i;
    const char* end = token.data() + token.size();
    float value = 0.0f;
    const auto [stop, error] = std::from_chars(begin, end, value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        // Overflow gives infinity and underflow zero, as the scan conversion does.
        value = std::strtof(std::string(begin, stop).c_str(), nullptr);
    } else if (error != std::errc()) {
        return 0.0f;
    }
    return negative ? -value : value;
}

bool HasNonDigit(std::string_view token)
{
    for (char c : token)
        if (c < '0' || c > '9')
            return true;
    return false;
}
