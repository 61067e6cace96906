#include "engine/date_formats.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "metastock/day_number.h"
#include "metastock/directory_names.h"

namespace engine {

using namespace metastock;

const char* const kDateFormatNames[kDateFormatCount] = {
    "YY_MM_DD", "CCYY_MM_DD", "MM_DD_YY", "MM_DD_CCYY", "DD_MM_YY", "DD_MM_CCYY",
    "YYMMDD",   "CCYYMMDD",   "MMDDYY",   "MMDDCCYY",   "DDMMYY",   "DDMMCCYY",
};

namespace {

struct DateLayout {
    int nCentury;  // -1: the format has no century digits
    int nYear;
    int nMonth;
    int nDay;
};

constexpr DateLayout kDateLayouts[kDateFormatCount] = {
    {-1, 0, 3, 6}, {0, 2, 5, 8}, {-1, 6, 0, 3}, {6, 8, 0, 3}, {-1, 6, 3, 0}, {6, 8, 3, 0},
    {-1, 0, 2, 4}, {0, 2, 4, 6}, {-1, 4, 0, 2}, {4, 6, 0, 2}, {-1, 4, 2, 0}, {4, 6, 2, 0},
};

bool IsWhiteSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The value of the two characters at offset as the C conversion atoi reads them: white space, an
// optional sign, then digits up to the first other character. Characters past the text read as none.
int ReadComponent(const char* szText, std::size_t length, int offset)
{
    const std::size_t begin = static_cast<std::size_t>(offset);
    if (begin + 2 <= length && szText[begin] >= '0' && szText[begin] <= '9' && szText[begin + 1] >= '0' &&
        szText[begin + 1] <= '9')
        return (szText[begin] - '0') * 10 + (szText[begin + 1] - '0');  // the usual two digits
    const std::size_t end = begin + 2 < length ? begin + 2 : length;
    std::size_t i = begin;
    while (i < end && IsWhiteSpace(szText[i]))
        ++i;
    bool negative = false;
    if (i < end && (szText[i] == '-' || szText[i] == '+'))
        negative = szText[i++] == '-';
    int value = 0;
    for (; i < end && szText[i] >= '0' && szText[i] <= '9'; ++i)
        value = value * 10 + (szText[i] - '0');
    return negative ? -value : value;
}

}  // namespace

std::uint16_t ParseDate(const char* szText, std::int16_t nFormat)
{
    while (*szText == ' ')
        ++szText;
    if (*szText == '"')
        ++szText;
    if (*szText == '\0' || nFormat < 1 || nFormat > kDateFormatCount)
        return 0;
    const std::size_t length = std::strlen(szText);
    const DateLayout& layout = kDateLayouts[nFormat - 1];
    int centuryOffset = 0;
    if (layout.nCentury >= 0)
        centuryOffset = 100 * ReadComponent(szText, length, layout.nCentury) - 1900;
    const int year = ReadComponent(szText, length, layout.nYear);
    const int month = ReadComponent(szText, length, layout.nMonth);
    const int day = ReadComponent(szText, length, layout.nDay);
    if (year == 0 && month == 0 && day == 0)
        return 0;
    if (layout.nCentury < 0 && year >= 0 && year <= 59)
        centuryOffset = 100;
    return DayNumber(year + centuryOffset, month, day);
}

int DateFormatNumber(std::string_view nameOrNumber)
{
    int number = 0;
    const char* end = nameOrNumber.data() + nameOrNumber.size();
    if (std::from_chars(nameOrNumber.data(), end, number).ptr == end && !nameOrNumber.empty())
        return (number >= 1 && number <= kDateFormatCount) ? number : 0;
    for (number = 1; number <= kDateFormatCount; ++number) {
        const std::string_view name = kDateFormatNames[number - 1];
        if (name.size() == nameOrNumber.size() &&
            std::equal(name.begin(), name.end(), nameOrNumber.begin(),
                       [](char a, char b) { return a == AsciiUpper(b); }))
            return number;
    }
    return 0;
}

}  // namespace engine
