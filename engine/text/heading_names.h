#pragma once
// What the heading of a column names, in the languages of the big price-data sources.

#include <string_view>

namespace engine {

enum class HeadingRole {
    kNone,          // a heading the table does not know
    kDate,
    kTime,
    kOpen,
    kHigh,
    kLow,
    kClose,
    kAdjustedClose,  // a close only where no column is named the close
    kSettle,         // likewise, after an adjusted close
    kVolume,
    kOpenInterest,
    kChange,         // a change or return, never a price
    kAmount,         // turnover in money, never a volume
    kOther,          // a name, code, count or dividend: neither price nor volume
};

// The role a heading names, matched after folding case, accents and punctuation: "Eröffnung", "Máximo",
// "Откр.", "开盘价", "시가". A heading that the table does not hold as a whole is tried by its first and
// its last word ("Volume BTC", "N225_High", "JKSE.Close"). Its field whole says whether the whole heading matched.
HeadingRole FindHeadingRole(std::string_view heading, bool& bWhole);

// "open", "high" ... as the sentences of detection name the role.
const char* HeadingRoleName(HeadingRole role);

}  // namespace engine
