#pragma once
// What the Conversion Settings dialog's controls hold, as plain text and choices, and the names of the
// controls a presenter enables, focuses or fills.

#include <array>
#include <string>

#include "metastock/data_file_format.h"

namespace desktop {

enum class EControl {
    DateCol, OpenOn, OpenCol, HiOn, HiCol, LoOn, LoCol, CloCol, VolOn, VolCol, OIOn, OICol,
    Delimiter, DateFormat, SkipOn, SkipRows, Path, Browse, Exist, Symbol, Name, Detect, Daily, DecimalComma, TimeFrame,
    TickerOn, TickerCol,
    Ok, Cancel,
};

struct SettingsForm {
    // Per field (date, open, high, low, close, volume, open interest): the check box (date and close have
    // none, and stay true) and the column's text.
    std::array<bool, metastock::kFieldCount> on{true, true, true, true, true, true, true};
    std::array<std::string, metastock::kFieldCount> column;
    int delimiter = -1;     // 0 comma, 1 tab, 2 space, 3 semicolon, -1 none chosen
    std::string dateFormat; // the text of the date-format box
    int dateFormatIndex = -1;  // the selected entry, -1 none
    bool skipOn = false;
    std::string skipRows;
    std::string path;
    int exist = -1;         // 0 use existing, 1 make new, -1 none chosen
    std::string symbol;
    std::string name;
    bool daily = false;
    bool decimalComma = false;
    bool tickerOn = false;  // the ticker column is given; off: found by its heading or its values
    std::string tickerColumn = "1";
    int timeFrame = 0;      // the Time frame list's entry: 0 from the dates, 1 daily, 2 weekly, 3 monthly, 4 intraday
};

// The check box and the number edit of each field, in field order; EControl::DateCol stands for "none".
inline constexpr std::array<EControl, metastock::kFieldCount> kFieldBoxes = {
    EControl::DateCol, EControl::OpenOn, EControl::HiOn, EControl::LoOn, EControl::CloCol, EControl::VolOn, EControl::OIOn};
inline constexpr std::array<EControl, metastock::kFieldCount> kFieldEdits = {
    EControl::DateCol, EControl::OpenCol, EControl::HiCol, EControl::LoCol, EControl::CloCol, EControl::VolCol, EControl::OICol};

}  // namespace desktop
