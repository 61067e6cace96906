#pragma once
// Splitting an input line into tokens and reading its values.

#include <array>
#include <string>
#include <string_view>

inline constexpr int kMaxTokens = 20;

// The tokens of the current line. A token is a maximal run of characters other than the delimiter, so
// repeated delimiters count as one and leading or trailing ones give no token. Only the first kMaxTokens
// are kept. Entries past the current line's tokens keep what an earlier line left in them; before any
// line they hold "123".
class CTokenTable {
public:
    CTokenTable();

    // Splits line into the table; returns how many tokens it held (at most kMaxTokens).
    int Split(std::string_view line, char delimiter);

    const std::string& operator[](int index) const { return m_tokens[index]; }

private:
    std::array<std::string, kMaxTokens> m_tokens;
};

// Reads a number the way the C scan conversion "%f" does: white space, an optional sign, digits with an
// optional decimal point (a full stop) and exponent, up to the first character that cannot continue the
// number. A token that holds no number reads as 0.
float ScanFloat(std::string_view token);

// Whether any character of the token is not a decimal digit.
bool HasNonDigit(std::string_view token);
