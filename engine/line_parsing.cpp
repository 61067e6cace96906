#include "engine/line_parsing.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

namespace engine {

CTokenTable::CTokenTable()
{
    for (int k = 0; k < kMaxTokens; ++k) {
        std::memcpy(m_tokens[k], "123", 3);
        m_lengths[k] = 3;
    }
}

int CTokenTable::Split(std::string_view line, char delimiter, int nMaxTokens)
{
    const int limit = std::clamp(nMaxTokens, 1, kMaxTokens);
    const char* p = line.data();
    const char* const end = p + std::min(line.size(), sizeof m_tokens[0]);
    int count = 0;
    while (count < limit) {
        while (p < end && *p == delimiter)
            ++p;
        if (p == end)
            break;
        const auto* next = static_cast<const char*>(std::memchr(p, delimiter, static_cast<std::size_t>(end - p)));
        const char* const stop = next ? next : end;
        m_lengths[count] = static_cast<std::size_t>(stop - p);
        std::memcpy(m_tokens[count], p, m_lengths[count]);
        ++count;
        p = stop;
    }
    return count;
}

namespace {

constexpr int kMaxFastDigits = 15;   // their value is exact in a double
constexpr int kMaxFastFraction = 8;  // few enough that rounding through a double gives the nearest single
constexpr double kPowersOfTen[kMaxFastFraction + 1] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

bool IsDigit(char c)
{
    return static_cast<unsigned char>(c - '0') < 10;
}

// Plain decimals such as prices and volumes, read without the general conversion; false when the text
// needs it (more digits, an exponent, no digits at all).
bool ScanPlainDecimal(const char* p, const char* end, float& value)
{
    std::uint64_t mantissa = 0;
    int digits = 0;
    int fraction = 0;
    for (; p < end && IsDigit(*p) && digits < kMaxFastDigits; ++p, ++digits)
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
    if (p < end && *p == '.')
        for (++p; p < end && IsDigit(*p) && digits < kMaxFastDigits && fraction < kMaxFastFraction; ++p, ++digits)
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0'), ++fraction;
    if (digits == 0 || (p < end && (IsDigit(*p) || *p == 'e' || *p == 'E')))
        return false;
    value = static_cast<float>(static_cast<double>(mantissa) / kPowersOfTen[fraction]);
    return true;
}

}  // namespace

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
    if (ScanPlainDecimal(begin, end, value))
        return negative ? -value : value;
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

}  // namespace engine
