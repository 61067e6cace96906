#pragma once
// How texts name the seven fields of a row (date, open, high, low, close, volume, open interest, in that
// order) and the four delimiters (comma, tab, space, semicolon, in the order of the Delimiter setting).
// The Conversion Settings dialog's own captions ("Open Int") stay with the settings.

#include <array>
#include <string_view>

#include "metastock/data_file_format.h"

namespace engine {

using FieldNames = std::array<const char*, metastock::kFieldCount>;

// Inside a sentence: "the open interest is missing".
inline constexpr FieldNames kFieldWords = {"date", "open", "high", "low", "close", "volume", "open interest"};
// At the start of a sentence or a line: "Open interest: column 7".
inline constexpr FieldNames kFieldTitles = {"Date", "Open", "High", "Low", "Close", "Volume", "Open interest"};
// In a heading line of column names, as an exported file and detection's column list write them.
inline constexpr FieldNames kFieldHeadings = {"Date", "Open", "High", "Low", "Close", "Volume", "OpenInt"};
inline constexpr const char* kTimeHeading = "Time";

inline constexpr std::array<const char*, 4> kDelimiterNames = {"comma", "tab", "space", "semicolon"};

// The Delimiter setting (0 to 3) that name stands for; -1 for any other text.
inline int DelimiterNumber(std::string_view name)
{
    for (std::size_t i = 0; i < kDelimiterNames.size(); ++i)
        if (name == kDelimiterNames[i])
            return static_cast<int>(i);
    return -1;
}

}  // namespace engine
