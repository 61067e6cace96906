#pragma once
// Splitting an input line into tokens and reading its values.

#include <cstddef>
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

// Whether any character of the token is not a decimal digit.
bool HasNonDigit(std::string_view token);

}  // namespace engine
