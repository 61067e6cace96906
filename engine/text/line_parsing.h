#pragma once
// Splitting an input line into fields and reading its numbers.

#include <cstddef>
#include <string>
#include <string_view>

namespace engine {

// One field of a delimited line: its text without the blanks around it and without its quotes (doubled
// quotes inside read as one), and whether it was quoted.
struct TextField {
    std::string_view text;
    bool quoted = false;
};

inline constexpr int kMaxFields = 24;

// Splits a line as delimited text is read: every delimiter ends a field, so an empty field keeps its
// column; a field in double quotes may hold the delimiter and doubled quotes; with the blank as delimiter
// a run of blanks is one delimiter and blanks at either end give no field. Fills at most kMaxFields
// fields and returns how many the line holds (0 for a line of blanks). A field that held doubled quotes
// points into scratch, which the call fills.
int SplitFields(std::string_view line, char delimiter, TextField (&fields)[kMaxFields], std::string& scratch);

// Whether a split line holds no text at all (a blank line, or delimiters only): such a line is no row.
bool IsBlankRow(const TextField (&fields)[kMaxFields], int nFields);

// How numbers are written: the decimal mark (a full stop, or a comma), and the grouping mark that may
// stand between groups of three digits (the other of the two) when the field is quoted or the
// delimiter is not that mark.
struct NumberStyle {
    bool decimalComma = false;
    char delimiter = ',';
};

enum class NumberResult { kNumber, kEmpty, kNotANumber };

// Reads a field wholly as a number: an optional sign, digits with the decimal mark and grouping marks,
// an optional exponent, and an optional suffix K, M or B (thousands, millions, billions). An empty field
// and the words null, NaN, N/A and a lone - are kEmpty; anything else that is not wholly a number is
// kNotANumber. The value is the single nearest to the decimal.
NumberResult ReadNumber(const TextField& field, const NumberStyle& style, float& value);

}  // namespace engine
