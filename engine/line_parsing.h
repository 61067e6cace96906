#pragma once
// Splitting an input line into tokens and reading its values.

#include <cstddef>
#include <string>
#include <string_view>

namespace engine {

inline constexpr int kMaxTokens = 20;

// The tokens of the current line. A token is a maximal run of characters other than the delimiter, so
// repeated delimiters count as one and leading or trailing ones give no token. Only the first kMaxTokens
// are kept. Entries past the current line's tokens keep what an earlier line left in them; before any
// line they hold "123".
class CTokenTable {
public:
    CTokenTable();
    CTokenTable(const CTokenTable&) = delete;
    CTokenTable& operator=(const CTokenTable&) = delete;

    // Splits line into the table; returns how many tokens it held, at most nMaxTokens (callers that
    // read only the first columns need not store the rest). A line is at most 299 characters; of a
    // longer one the first 300 count.
    int Split(std::string_view line, char delimiter, int nMaxTokens = kMaxTokens);

    // Valid until the next Split.
    std::string_view operator[](int index) const { return m_tokens[index]; }

    // ScanFloat of a token, the usual prices and volumes read several digits at a time.
    float Value(int index) const;

private:
    static constexpr std::size_t kLineWidth = 300;
    static constexpr std::size_t kPadding = 32;  // readable characters past any token's start, for Value
    static constexpr std::size_t kBlock = 64;  // bits of one word of the delimiter mask
    static constexpr std::size_t kMaskWords = kLineWidth / kBlock + 1;

    // The current line's tokens point into a copy of the line; the copy of the line before stays until
    // the tokens of it that the current line leaves in place are kept in m_kept.
    char m_lines[2][kLineWidth + kPadding];
    int m_nCurrent = 0;
    int m_nLineTokens = 0;  // entries from 0 pointing into the current line's copy
    std::string_view m_tokens[kMaxTokens];
    char m_kept[kMaxTokens][kLineWidth + kPadding];
};

// Reads a number the way the C scan conversion "%f" does: white space, an optional sign, digits with an
// optional decimal point (a full stop) and exponent, up to the first character that cannot continue the
// number. A token that holds no number reads as 0.
float ScanFloat(std::string_view token);

// One field of a delimited line: its text without the blanks around it and without its quotes (doubled
// quotes inside read as one), and whether it was quoted.
struct TextField {
    std::string_view text;
    bool bQuoted = false;
};

inline constexpr int kMaxFields = 24;

// Splits a line as delimited text is read: every delimiter ends a field, so an empty field keeps its
// column; a field in double quotes may hold the delimiter and doubled quotes; with the blank as delimiter
// a run of blanks is one delimiter and blanks at either end give no field. Fills at most kMaxFields
// fields and returns how many the line holds (0 for a line of blanks). A field that held doubled quotes
// points into scratch, which the call fills.
int SplitFields(std::string_view line, char delimiter, TextField (&fields)[kMaxFields], std::string& scratch);

// How numbers are written: the decimal mark (a full stop, or a comma), and the grouping mark that may
// stand between groups of three digits (the other of the two) when the field is quoted or the
// delimiter is not that mark.
struct NumberStyle {
    bool bDecimalComma = false;
    char delimiter = ',';
};

enum class NumberResult { kNumber, kEmpty, kNotANumber };

// Reads a field wholly as a number: an optional sign, digits with the decimal mark and grouping marks,
// an optional exponent, and an optional suffix K, M or B (thousands, millions, billions). An empty field
// and the words null, NaN, N/A and a lone - are kEmpty; anything else that is not wholly a number is
// kNotANumber. The value is the single nearest to the decimal.
NumberResult ReadNumber(const TextField& field, const NumberStyle& style, float& value);

// Whether any character of the token is not a decimal digit.
bool HasNonDigit(std::string_view token);

}  // namespace engine
