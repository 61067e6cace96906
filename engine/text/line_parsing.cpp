#include "engine/text/line_parsing.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace engine {

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

constexpr std::uint64_t kEachByte = 0x0101010101010101ull;

// The value of eight decimal digits in a word, the first digit in its lowest byte.
std::uint64_t EightDigitsValue(std::uint64_t word)
{
    word = ((word & 0x0F0F0F0F0F0F0F0Full) * 2561) >> 8;
    word = ((word & 0x00FF00FF00FF00FFull) * 6553601) >> 16;
    return ((word & 0x0000FFFF0000FFFFull) * 42949672960001ull) >> 32;
}

// Whether all eight bytes of a word are decimal digits.
bool AllDigits(std::uint64_t word)
{
    return ((word & 0xF0F0F0F0F0F0F0F0ull) | (((word + 6 * kEachByte) & 0xF0F0F0F0F0F0F0F0ull) >> 4)) == 0x33 * kEachByte;
}

// A plain decimal of at most eight characters, read from one word without a loop over
// its digits: the characters after the full stop move one place down over it, and zeros fill the word
// in front of the digits. Reads only the text's own characters.
bool ReadShortDecimal(const char* text, std::size_t length, float& value)
{
    std::uint64_t word = 0;
    if (length >= 4) {
        std::uint32_t head = 0;
        std::uint32_t tail = 0;
        std::memcpy(&head, text, 4);
        std::memcpy(&tail, text + length - 4, 4);
        word = head | std::uint64_t{tail} << (8 * (length - 4));  // where they overlap, they hold the same characters
    } else {
        for (std::size_t i = 0; i < length; ++i)
            word |= std::uint64_t{static_cast<unsigned char>(text[i])} << (8 * i);
    }
    std::size_t fraction = 0;
    const std::uint64_t points = word ^ ('.' * kEachByte);
    const std::uint64_t pointBits = (points - kEachByte) & ~points & (0x80 * kEachByte);
    if (pointBits != 0) {
        const auto at = static_cast<std::size_t>(std::countr_zero(pointBits)) / 8;  // the first full stop
        if (at < length) {
            const std::uint64_t before = at == 0 ? 0 : ~std::uint64_t{0} >> (64 - 8 * at);
            word = (word & before) | ((word >> 8) & ~before);
            fraction = length - at - 1;
            --length;
        }
    }
    if (length == 0)
        return false;
    // The digits move to the top of the word, behind '0' characters.
    word = length == 8 ? word : (word << (8 * (8 - length))) | ('0' * kEachByte >> (8 * length));
    if (!AllDigits(word))
        return false;
    value = DecimalValue(EightDigitsValue(word), static_cast<std::ptrdiff_t>(fraction));
    return true;
}

// Plain decimals such as prices and volumes, digits with an optional full stop and digits, read without
// the general conversion; false when the text is anything else or needs it (more digits, no digits). The
// mantissa of a long run of digits wraps around, but then the text goes to the general conversion.
bool ReadPlainDecimal(const char* p, const char* end, float& value)
{
    if constexpr (std::endian::native == std::endian::little)
        if (end - p <= 8)
            return ReadShortDecimal(p, static_cast<std::size_t>(end - p), value);
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
    if (p != end || digits == 0 || digits > kMaxFastDigits || fraction > kMaxFastFraction)
        return false;
    value = DecimalValue(mantissa, fraction);
    return true;
}

constexpr std::size_t kChunk = 16;

// Bit i set where text[i] is c, for the 16 characters at text.
unsigned CharBits(const char* text, char c)
{
#if defined(__SSE2__)
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_set1_epi8(c))));
#else
    unsigned bits = 0;
    for (std::size_t i = 0; i < kChunk; ++i)
        bits |= (text[i] == c ? 1u : 0u) << i;
    return bits;
#endif
}

// Blanks are control characters or the space, so most characters are told apart by one comparison.
bool IsFieldBlank(char c, char delimiter)
{
    return static_cast<unsigned char>(c) <= ' ' && (c == ' ' || (c == '\t' && delimiter != '\t') || c == '\r');
}

[[gnu::always_inline]] inline void AddField(const char* begin, const char* end, char delimiter, TextField (&fields)[kMaxFields], int& count)
{
    while (begin < end && IsFieldBlank(*begin, delimiter))
        ++begin;
    while (end > begin && IsFieldBlank(end[-1], delimiter))
        --end;
    if (count < kMaxFields)
        fields[count] = TextField{{begin, static_cast<std::size_t>(end - begin)}, false};
    ++count;
}

// The usual line: no quotes, and a delimiter other than the blank. Its delimiters are found 16
// characters at a time, so that a field costs no search of its own. False when the line holds a quote.
bool SplitPlainFields(std::string_view line, char delimiter, TextField (&fields)[kMaxFields], int& count)
{
    const char* const text = line.data();
    const std::size_t size = line.size();
    const char* begin = text;
    count = 0;
    for (std::size_t base = 0; base < size; base += kChunk) {
        unsigned delimiters = 0;
        unsigned quotes = 0;
        if (base + kChunk <= size) {
            delimiters = CharBits(text + base, delimiter);
            quotes = CharBits(text + base, '"');
        } else if (size >= kChunk) {
            // The last 16 characters of the line, of which those already seen are shifted out: the line
            // may end its buffer, so nothing past it is read.
            const std::size_t seen = base + kChunk - size;
            delimiters = CharBits(text + size - kChunk, delimiter) >> seen;
            quotes = CharBits(text + size - kChunk, '"') >> seen;
        } else {
            for (std::size_t i = base; i < size; ++i) {
                delimiters |= (text[i] == delimiter ? 1u : 0u) << (i - base);
                quotes |= (text[i] == '"' ? 1u : 0u) << (i - base);
            }
        }
        if (quotes != 0)
            return false;
        for (; delimiters != 0; delimiters &= delimiters - 1) {
            const char* const end = text + base + static_cast<std::size_t>(std::countr_zero(delimiters));
            AddField(begin, end, delimiter, fields, count);
            begin = end + 1;
        }
    }
    AddField(begin, text + size, delimiter, fields, count);
    return true;
}

}  // namespace

bool IsBlankRow(const TextField (&fields)[kMaxFields], int nFields)
{
    return std::all_of(fields, fields + std::min(nFields, kMaxFields), [](const TextField& f) { return f.text.empty(); });
}

int SplitFields(std::string_view line, char delimiter, TextField (&fields)[kMaxFields], std::string& scratch)
{
    if (line.empty())
        return 0;
    int count = 0;
    if (delimiter != ' ' && SplitPlainFields(line, delimiter, fields, count))
        return count;
    scratch.clear();
    scratch.reserve(line.size());  // views into scratch must not move
    const bool bBlank = delimiter == ' ';
    const auto isBlank = [&](char c) { return IsFieldBlank(c, delimiter); };
    std::size_t at = 0;
    const std::size_t size = line.size();
    if (bBlank)
        while (at < size && isBlank(line[at]))
            ++at;
    count = 0;
    while (at < size || (!bBlank && count > 0 && line[size - 1] == delimiter && at == size)) {
        while (at < size && isBlank(line[at]))
            ++at;
        TextField field;
        std::size_t end = at;
        if (at < size && line[at] == '"') {
            // A quoted field: up to the quote not doubled; blanks may follow it.
            field.quoted = true;
            const std::size_t begin = at + 1;
            std::size_t close = begin;
            bool bDoubled = false;
            for (;; ++close) {
                while (close < size && line[close] != '"')
                    ++close;
                if (close + 1 < size && line[close + 1] == '"') {
                    bDoubled = true;
                    ++close;
                    continue;
                }
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
            while (end < size && line[end] != delimiter)
                ++end;
        } else {
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
            while (at < size && isBlank(line[at]))
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
    constexpr std::string_view kWords[] = {"null", "nan", "n/a", "-", "--", "nd", "na", "none", "undefined", "#n/a"};
    for (const std::string_view word : kWords)
        if (text.size() == word.size() &&
            std::equal(text.begin(), text.end(), word.begin(),
                       [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; }))
            return true;
    return false;
}

// The length of a currency sign at text[at] ($, € £ ¥ ₹ in UTF-8 or Windows-1252); 0 when none.
std::size_t CurrencySignLength(std::string_view text, std::size_t at)
{
    static constexpr std::string_view kSigns[] = {"$", "\xE2\x82\xAC", "\x80", "\xC2\xA3", "\xA3", "\xC2\xA5", "\xA5", "\xE2\x82\xB9"};
    for (const std::string_view sign : kSigns)
        if (text.substr(at, sign.size()) == sign)
            return sign.size();
    return 0;
}

// The length of a mark between groups of three digits at text[at]: the style's grouping mark, a blank,
// a no-break or thin space, or an apostrophe ("1 234,5", "1'234.5"); 0 when none.
std::size_t GroupingMarkLength(std::string_view text, std::size_t at, char grouping)
{
    const char c = text[at];
    if ((c == grouping && grouping != '\0') || c == ' ' || c == '\'' || c == '\xA0')
        return 1;
    static constexpr std::string_view kMarks[] = {"\xC2\xA0", "\xE2\x80\xAF", "\xE2\x80\x89", "\xE2\x80\x99"};
    for (const std::string_view mark : kMarks)
        if (text.substr(at, mark.size()) == mark)
            return mark.size();
    return 0;
}

// A sign, a currency sign, digits with grouping marks between groups of three, a decimal mark and digits,
// an exponent, a suffix K, M or B, a currency sign: copied into clean (room for text.size() + 2 characters)
// as the C locale writes them. False when the text is anything else.
bool CleanNumber(std::string_view text, char decimal, char grouping, char* clean, std::size_t& length)
{
    length = 0;
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        clean[length++] = text[at++];
    if (const std::size_t sign = CurrencySignLength(text, at); sign != 0) {
        at += sign;
        while (at < text.size() && text[at] == ' ')
            ++at;
        if (length == 0 && at < text.size() && text[at] == '-')
            clean[length++] = text[at++];  // $-1.5
    }
    if (const std::size_t end = text.size(); end > at) {
        // A currency sign after the number: "12,50 €"
        for (std::size_t from = at + 1; from < end; ++from)
            if (CurrencySignLength(text, from) == end - from) {
                text = text.substr(0, from);
                while (!text.empty() && text.back() == ' ')
                    text.remove_suffix(1);
                break;
            }
    }
    std::size_t digits = 0;
    std::size_t group = 0;  // digits since the last grouping mark
    bool bGrouped = false;
    for (; at < text.size();) {
        const char c = text[at];
        if (IsDigit(c)) {
            clean[length++] = c;
            ++digits;
            ++group;
            ++at;
            continue;
        }
        const std::size_t mark = c == decimal ? 0 : GroupingMarkLength(text, at, grouping);
        if (mark != 0 && digits > 0 && (bGrouped ? group == 3 : group <= 3) && at + mark < text.size() &&
            IsDigit(text[at + mark])) {
            bGrouped = true;
            group = 0;
            at += mark;
        } else {
            break;
        }
    }
    if (bGrouped && group != 3)
        return false;
    if (at < text.size() && text[at] == decimal) {
        clean[length++] = '.';
        for (++at; at < text.size() && IsDigit(text[at]); ++at, ++digits)
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
        for (; at < text.size() && IsDigit(text[at]); ++at, ++exponent)
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

namespace {

// Every number that is not a plain decimal, and the empty words; kept out of line so that the plain
// decimal costs no more than its digits.
[[gnu::noinline]] NumberResult ReadOtherNumber(const TextField& field, const NumberStyle& style, float& value)
{
    const std::string_view text = field.text;
    if (text.empty() || IsEmptyWord(text)) {
        value = 0.0f;
        return NumberResult::kEmpty;
    }
    const char decimal = style.decimalComma ? ',' : '.';
    const char groupingMark = style.decimalComma ? '.' : ',';
    const char grouping = (field.quoted || style.delimiter != groupingMark) ? groupingMark : '\0';
    // A number longer than the usual buffer (a long run of zeros, say) is cleaned on the heap.
    char small[64];
    std::string large;
    char* clean = small;
    if (text.size() + 2 > sizeof small) {
        large.resize(text.size() + 2);
        clean = large.data();
    }
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

}  // namespace

NumberResult ReadNumber(const TextField& field, const NumberStyle& style, float& value)
{
    const std::string_view text = field.text;
    if (!style.decimalComma && !text.empty() && IsDigit(text.front()) &&
        ReadPlainDecimal(text.data(), text.data() + text.size(), value))
        return NumberResult::kNumber;
    return ReadOtherNumber(field, style, value);
}

}  // namespace engine
