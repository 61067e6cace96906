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

constexpr std::size_t kPiece = 16;

// Bit i set where piece[i] is the delimiter, for a piece of 16 characters.
std::uint64_t DelimiterBits(const char* piece, char delimiter)
{
#if defined(__SSE2__)
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(piece));
    return static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_set1_epi8(delimiter))));
#else
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < kPiece; ++i)
        bits |= std::uint64_t{piece[i] == delimiter} << i;
    return bits;
#endif
}

}  // namespace

CTokenTable::CTokenTable() : m_lines{}, m_kept{}
{
    for (int k = 0; k < kMaxTokens; ++k) {
        std::memcpy(m_kept[k], "123", 3);
        m_tokens[k] = {m_kept[k], 3};
    }
}

// Token boundaries come from a bit mask of the delimiters: a token starts where a character follows a
// delimiter and ends at a delimiter that follows a character, so every change between the two is a
// boundary. Before the line's start and past its end count as delimiters.
int CTokenTable::Split(std::string_view line, char delimiter, int nMaxTokens)
{
    const int limit = std::clamp(nMaxTokens, 1, kMaxTokens);
    const std::size_t length = std::min(line.size(), kLineWidth);
    const char* const from = line.data();
    char* const copy = m_lines[m_nCurrent ^ 1];

    // The line is copied and its delimiters marked 16 characters at a time, straight from the line; the
    // last piece of a longer line overlaps the one before it.
    std::uint64_t delimiters[kMaskWords] = {};
    std::size_t i = 0;
    for (; i + kPiece <= length; i += kPiece) {
        std::memcpy(copy + i, from + i, kPiece);
        delimiters[i / kBlock] |= DelimiterBits(from + i, delimiter) << (i % kBlock);
    }
    if (i < length && length >= kPiece) {
        std::memcpy(copy + length - kPiece, from + length - kPiece, kPiece);
        delimiters[i / kBlock] |= DelimiterBits(from + length - kPiece, delimiter) >> (i + kPiece - length) << (i % kBlock);
    } else {
        for (; i < length; ++i) {
            copy[i] = from[i];
            delimiters[i / kBlock] |= std::uint64_t{from[i] == delimiter} << (i % kBlock);
        }
    }
    delimiters[length / kBlock] |= ~std::uint64_t{0} << (length % kBlock);

    int count = 0;
    bool bInToken = false;
    std::size_t begin = 0;
    std::uint64_t carry = 1;
    for (std::size_t word = 0; word <= length / kBlock && count < limit; ++word) {
        const std::uint64_t bits = delimiters[word];
        std::uint64_t changes = bits ^ ((bits << 1) | carry);  // where a token starts or ends
        carry = bits >> 63;
        for (; changes != 0 && count < limit; changes &= changes - 1) {
            const std::size_t at = word * kBlock + static_cast<std::size_t>(std::countr_zero(changes));
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
constexpr std::int64_t kExactInSingle = std::int64_t{1} << 24;  // mantissas below this are exact in a single
constexpr float kSinglePowersOfTen[kMaxFastFraction + 1] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f};

bool IsDigit(char c)
{
    return static_cast<unsigned char>(c - '0') < 10;
}

bool IsWhiteSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The value of mantissa / 10^fraction, for at most kMaxFastDigits digits and kMaxFastFraction decimals.
// Each way rounds once, from the exact quotient, so all give the same single.
float DecimalValue(std::uint64_t mantissa, std::ptrdiff_t fraction)
{
    const auto whole = static_cast<std::int64_t>(mantissa);
    if (fraction == 0)
        return static_cast<float>(whole);
    if (whole < kExactInSingle)
        return static_cast<float>(whole) / kSinglePowersOfTen[fraction];
    return static_cast<float>(static_cast<double>(whole) / kPowersOfTen[fraction]);
}

// Plain decimals such as prices and volumes, read without the general conversion; false when the text
// needs it (more digits, an exponent, no digits at all). The mantissa of a long run of digits wraps
// around, but then the text goes to the general conversion.
bool ScanPlainDecimal(const char* p, const char* end, float& value, const char** stop = nullptr)
{
    const char* const first = p;
    std::uint64_t mantissa = 0;
    for (; p < end && IsDigit(*p); ++p)
        mantissa = mantissa * 10 + static_cast<unsigned char>(*p - '0');
    std::ptrdiff_t digits = p - first;
    std::ptrdiff_t fraction = 0;
    if (p < end && *p == '.') {
        const char* const point = ++p;
        for (; p < end && IsDigit(*p); ++p)
            mantissa = mantissa * 10 + static_cast<unsigned char>(*p - '0');
        fraction = p - point;
        digits += fraction;
    }
    if (digits == 0 || digits > kMaxFastDigits || fraction > kMaxFastFraction || (p < end && (*p == 'e' || *p == 'E')))
        return false;
    value = DecimalValue(mantissa, fraction);
    if (stop)
        *stop = p;
    return true;
}

// Everything else a number can look like, and a token with white space or a sign before it.
[[gnu::noinline]] float ScanOtherFloat(const char* begin, const char* end)
{
    while (begin < end && IsWhiteSpace(*begin))
        ++begin;
    bool negative = false;
    if (begin < end && (*begin == '-' || *begin == '+'))
        negative = *begin++ == '-';
    // A second sign, which from_chars would take, means that the token holds no number.
    if (begin < end && *begin == '-')
        return 0.0f;
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

}  // namespace

float ScanFloat(std::string_view token)
{
    const char* const end = token.data() + token.size();
    float value = 0.0f;
    if (!token.empty() && IsDigit(token.front()) && ScanPlainDecimal(token.data(), end, value))
        return value;
    return ScanOtherFloat(token.data(), end);
}

namespace {

constexpr std::size_t kWord = 8;

// Bits 0 to 15 set where the 16 characters at text are decimal digits.
unsigned DigitBits(const char* text)
{
#if defined(__SSE2__)
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
    const __m128i offset = _mm_sub_epi8(chunk, _mm_set1_epi8('0'));
    const __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(offset, _mm_set1_epi8(9)), offset);
    return static_cast<unsigned>(_mm_movemask_epi8(digit));
#else
    unsigned bits = 0;
    for (unsigned i = 0; i < 16; ++i)
        bits |= (IsDigit(text[i]) ? 1u : 0u) << i;
    return bits;
#endif
}

// The value of the count (at most 8) digits at text, all eight characters read at once: the digits
// are moved to the high end of a word, behind leading zeros, and combined in pairs, fours and eights.
std::uint64_t EightDigitsValue(const char* text, std::size_t count)
{
    if (count == 0)
        return 0;
    std::uint64_t word = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&word, text, kWord);
    } else {
        for (std::size_t i = 0; i < kWord; ++i)
            word |= std::uint64_t{static_cast<unsigned char>(text[i])} << (8 * i);
    }
    word &= 0x0F0F0F0F0F0F0F0Full >> (8 * (kWord - count));
    word <<= 8 * (kWord - count);
    word = word * 10 + (word >> 8);
    word = (((word & 0x000000FF000000FFull) * (100 + (1000000ull << 32))) +
            (((word >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32)))) >> 32;
    return static_cast<std::uint32_t>(word);
}

}  // namespace

// A token that is digits, or digits, a full stop and digits, with at most 8 digits on either side,
// is read without a loop over its characters; anything else goes to ScanFloat. Every token's
// characters lie in a buffer with kPadding characters to spare.
float CTokenTable::Value(int index) const
{
    const std::string_view token = m_tokens[index];
    const std::size_t length = token.size();
    if (length == 0 || length > 16)
        return ScanFloat(token);
    const unsigned inToken = (1u << length) - 1;
    const unsigned digits = DigitBits(token.data()) & inToken;
    const auto whole = static_cast<std::size_t>(std::countr_one(digits));
    if (whole == length && whole <= kWord)
        return DecimalValue(EightDigitsValue(token.data(), whole), 0);
    if (whole == 0 || whole > kWord || whole == length || token[whole] != '.')
        return ScanFloat(token);
    const auto fraction = static_cast<std::size_t>(std::countr_one(digits >> (whole + 1)));
    if (whole + 1 + fraction != length || fraction > kMaxFastFraction || whole + fraction > kMaxFastDigits)
        return ScanFloat(token);
    const std::uint64_t mantissa = EightDigitsValue(token.data(), whole) * static_cast<std::uint64_t>(kPowersOfTen[fraction]) +
                                   EightDigitsValue(token.data() + whole + 1, fraction);
    return DecimalValue(mantissa, static_cast<std::ptrdiff_t>(fraction));
}

bool HasNonDigit(std::string_view token)
{
    for (char c : token)
        if (c < '0' || c > '9')
            return true;
    return false;
}

}  // namespace engine

namespace engine {

int SplitFields(std::string_view line, char delimiter, TextField (&fields)[kMaxFields], std::string& scratch)
{
    scratch.clear();
    scratch.reserve(line.size());  // views into scratch must not move
    const bool bBlank = delimiter == ' ';
    const auto isBlank = [&](char c) { return c == ' ' || (c == '\t' && delimiter != '\t') || c == '\r'; };
    std::size_t at = 0;
    const std::size_t size = line.size();
    if (bBlank)
        while (at < size && isBlank(line[at]))
            ++at;
    int count = 0;
    while (at < size || (!bBlank && count > 0 && line[size - 1] == delimiter && at == size)) {
        while (at < size && isBlank(line[at]))
            ++at;
        TextField field;
        std::size_t end = at;
        if (at < size && line[at] == '"') {
            // A quoted field: up to the quote not doubled; blanks may follow it.
            field.bQuoted = true;
            const std::size_t begin = at + 1;
            std::size_t close = begin;
            bool bDoubled = false;
            for (;;) {
                const std::size_t quote = line.find('"', close);
                if (quote == std::string_view::npos) {
                    close = size;
                    break;
                }
                if (quote + 1 < size && line[quote + 1] == '"') {
                    bDoubled = true;
                    close = quote + 2;
                    continue;
                }
                close = quote;
                break;
            }
            field.text = line.substr(begin, close - begin);
            if (bDoubled) {
                const std::size_t from = scratch.size();
                for (std::size_t i = begin; i < close; ++i) {
                    scratch += line[i];
                    if (line[i] == '"')
                        ++i;
                }
                field.text = std::string_view(scratch).substr(from);
            }
            end = close < size ? close + 1 : size;
            const std::size_t next = line.find(delimiter, end);
            end = next == std::string_view::npos ? size : next;
        } else {
            // Fields are short: a plain loop finds the delimiter sooner than a library call.
            end = at;
            while (end < size && line[end] != delimiter)
                ++end;
            std::size_t last = end;
            while (last > at && isBlank(line[last - 1]))
                --last;
            field.text = line.substr(at, last - at);
        }
        if (count < kMaxFields)
            fields[count] = field;
        ++count;
        if (end >= size)
            break;
        at = end + 1;
        if (bBlank) {
            while (at < size && line[at] == ' ')
                ++at;
            if (at == size)
                break;
        } else if (at == size) {
            if (count < kMaxFields)
                fields[count] = TextField{};
            ++count;  // a delimiter at the end leaves an empty last field
            break;
        }
    }
    return count;
}

namespace {

bool IsEmptyWord(std::string_view text)
{
    constexpr std::string_view kWords[] = {"null", "nan", "n/a", "-"};
    for (const std::string_view word : kWords)
        if (text.size() == word.size() &&
            std::equal(text.begin(), text.end(), word.begin(),
                       [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; }))
            return true;
    return false;
}

// Digits, grouping marks between groups of three, a decimal mark and digits, an exponent: copied into
// clean as the C locale writes them. False when the text is anything else.
bool CleanNumber(std::string_view text, char decimal, char grouping, char* clean, std::size_t& length)
{
    constexpr std::size_t kMaxClean = 64;
    length = 0;
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        clean[length++] = text[at++];
    std::size_t digits = 0;
    std::size_t group = 0;  // digits since the last grouping mark
    bool bGrouped = false;
    for (; at < text.size() && length < kMaxClean - 8; ++at) {
        const char c = text[at];
        if (IsDigit(c)) {
            clean[length++] = c;
            ++digits;
            ++group;
        } else if (c == grouping && grouping != '\0' && digits > 0 && (bGrouped ? group == 3 : group <= 3)) {
            bGrouped = true;
            group = 0;
        } else {
            break;
        }
    }
    if (bGrouped && group != 3)
        return false;
    if (at < text.size() && text[at] == decimal) {
        clean[length++] = '.';
        for (++at; at < text.size() && IsDigit(text[at]) && length < kMaxClean - 8; ++at, ++digits)
            clean[length++] = text[at];
    }
    if (digits == 0)
        return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        clean[length++] = 'e';
        ++at;
        if (at < text.size() && (text[at] == '-' || text[at] == '+'))
            clean[length++] = text[at++];
        std::size_t exponent = 0;
        for (; at < text.size() && IsDigit(text[at]) && length < kMaxClean - 8; ++at, ++exponent)
            clean[length++] = text[at];
        if (exponent == 0)
            return false;
        if (at < text.size())
            return false;  // no suffix after an exponent
    }
    if (at + 1 == text.size()) {
        // A suffix multiplies by a power of ten, written as an exponent so that the value rounds once.
        const char suffix = text[at];
        const char* power = suffix == 'K' || suffix == 'k' ? "e3" : suffix == 'M' || suffix == 'm' ? "e6"
                            : suffix == 'B' || suffix == 'b' ? "e9" : nullptr;
        if (!power)
            return false;
        clean[length++] = power[0];
        clean[length++] = power[1];
        ++at;
    }
    return at == text.size();
}

}  // namespace

NumberResult ReadNumber(const TextField& field, const NumberStyle& style, float& value)
{
    const std::string_view text = field.text;
    if (text.empty() || IsEmptyWord(text)) {
        value = 0.0f;
        return NumberResult::kEmpty;
    }
    // The usual price: digits with a decimal point, read without copying.
    const char* const end = text.data() + text.size();
    const char* stop = nullptr;
    if (!style.bDecimalComma && IsDigit(text.front()) && ScanPlainDecimal(text.data(), end, value, &stop) && stop == end)
        return NumberResult::kNumber;
    const char decimal = style.bDecimalComma ? ',' : '.';
    const char groupingMark = style.bDecimalComma ? '.' : ',';
    const char grouping = (field.bQuoted || style.delimiter != groupingMark) ? groupingMark : '\0';
    char clean[64];
    std::size_t length = 0;
    if (!CleanNumber(text, decimal, grouping, clean, length))
        return NumberResult::kNotANumber;
    const char* begin = clean;
    const bool bNegative = clean[0] == '-';
    if (clean[0] == '-' || clean[0] == '+')
        ++begin;
    const auto [last, error] = std::from_chars(begin, clean + length, value, std::chars_format::general);
    if (error != std::errc() || last != clean + length)
        return NumberResult::kNotANumber;
    if (bNegative)
        value = -value;
    return NumberResult::kNumber;
}

}  // namespace engine
