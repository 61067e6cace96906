#include "engine/line_parsing.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace engine {

namespace {

// Bit i set where block[i] is the delimiter, for a block of 64 characters.
std::uint64_t DelimiterBits(const char* block, char delimiter)
{
    std::uint64_t bits = 0;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(delimiter);
    for (int i = 0; i < 4; ++i) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * i));
        bits |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, wanted)))} << (16 * i);
    }
#else
    for (int i = 0; i < 64; ++i)
        bits |= std::uint64_t{block[i] == delimiter} << i;
#endif
    return bits;
}

}  // namespace

CTokenTable::CTokenTable() : m_lines{}
{
    for (int k = 0; k < kMaxTokens; ++k) {
        std::memcpy(m_kept[k], "123", 3);
        m_tokens[k] = {m_kept[k], 3};
    }
}

// Token boundaries come from a bit mask of the delimiters, a block of characters at a time: a token
// starts where a character follows a delimiter and ends at a delimiter that follows a character, so
// every change between the two is a boundary. Before the line's start and past its end count as
// delimiters.
int CTokenTable::Split(std::string_view line, char delimiter, int nMaxTokens)
{
    const int limit = std::clamp(nMaxTokens, 1, kMaxTokens);
    const std::size_t length = std::min(line.size(), kLineWidth);
    char* const copy = m_lines[m_nCurrent ^ 1];
    if (length > 0)
        std::memcpy(copy, line.data(), length);
    int count = 0;
    bool bInToken = false;
    std::size_t begin = 0;
    std::uint64_t carry = 1;
    for (std::size_t base = 0; base <= length && count < limit; base += kBlock) {
        std::uint64_t bits = DelimiterBits(copy + base, delimiter);
        if (length - base < kBlock)
            bits |= ~std::uint64_t{0} << (length - base);
        std::uint64_t changes = bits ^ ((bits << 1) | carry);  // where a token starts or ends
        carry = bits >> 63;
        for (; changes != 0 && count < limit; changes &= changes - 1) {
            const std::size_t at = base + static_cast<std::size_t>(std::countr_zero(changes));
            if (bInToken)
                m_tokens[count++] = {copy + begin, at - begin};
            else
                begin = at;
            bInToken = !bInToken;
        }
    }
    // Tokens of the line before that this line leaves in place outlive its copy.
    for (int k = count; k < m_nLineTokens; ++k) {
        std::memcpy(m_kept[k], m_tokens[k].data(), m_tokens[k].size());
        m_tokens[k] = {m_kept[k], m_tokens[k].size()};
    }
    m_nLineTokens = count;
    m_nCurrent ^= 1;
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
