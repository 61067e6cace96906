#include "engine/date_formats.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "metastock/day_number.h"
#include "metastock/directory_names.h"

namespace engine {

using namespace metastock;

const char* const kDateFormatNames[kDateFormatCount] = {
    "YY_MM_DD",  "CCYY_MM_DD",  "MM_DD_YY",    "MM_DD_CCYY",  "DD_MM_YY", "DD_MM_CCYY", "YYMMDD",   "CCYYMMDD",
    "MMDDYY",    "MMDDCCYY",    "DDMMYY",      "DDMMCCYY",    "DD_MMM_YY", "DD_MMM_CCYY", "MMM_DD_CCYY", "CCYY_MMM_DD",
};

namespace {

// The parts of each format in the order they stand: Y two-digit year, C four-digit year, M month,
// N month name, D day.
constexpr const char* kParts[kDateFormatCount] = {
    "YMD", "CMD", "MDY", "MDC", "DMY", "DMC", "YMD", "CMD", "MDY", "MDC", "DMY", "DMC", "DNY", "DNC", "NDC", "CND",
};

const char* const kMonthNames[12] = {"january", "february", "march",     "april",   "may",      "june",
                                     "july",    "august",   "september", "october", "november", "december"};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsSeparator(char c)
{
    return c == '/' || c == '-' || c == '.' || c == ' ';
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Reads between nMin and nMax digits at text[at]; -1 when fewer are there or more follow.
int ReadDigits(std::string_view text, std::size_t& at, std::size_t nMin, std::size_t nMax)
{
    std::size_t count = 0;
    int value = 0;
    while (at + count < text.size() && IsDigit(text[at + count])) {
        if (++count > nMax)
            return -1;
        value = value * 10 + (text[at + count - 1] - '0');
    }
    if (count < nMin)
        return -1;
    at += count;
    return value;
}

// Reads exactly nCount digits at text[at]; -1 when they are not there.
int ReadFixedDigits(std::string_view text, std::size_t& at, std::size_t nCount)
{
    if (text.size() - std::min(at, text.size()) < nCount)
        return -1;
    int value = 0;
    for (std::size_t i = 0; i < nCount; ++i) {
        if (!IsDigit(text[at + i]))
            return -1;
        value = value * 10 + (text[at + i] - '0');
    }
    at += nCount;
    return value;
}

// A month's English name or its first three letters (and "Sept"), any case; 0 when none.
int ReadMonthName(std::string_view text, std::size_t& at)
{
    std::size_t end = at;
    while (end < text.size() && ((text[end] >= 'a' && text[end] <= 'z') || (text[end] >= 'A' && text[end] <= 'Z')))
        ++end;
    std::string_view word = text.substr(at, end - at);
    if (word.size() < 3)
        return 0;
    for (int month = 0; month < 12; ++month) {
        const std::string_view name = kMonthNames[month];
        const bool bAbbreviation = word.size() == 3 || (month == 8 && word.size() == 4);
        if ((bAbbreviation || word.size() == name.size()) && word.size() <= name.size() &&
            std::equal(word.begin(), word.end(), name.begin(), [](char a, char b) { return AsciiLower(a) == b; })) {
            at = end;
            return month + 1;
        }
    }
    return 0;
}

// The calendar's leap years: 29 February 1900 and 2100 never happen, so they are not dates of a row.
bool IsLeapYear(int nYear)
{
    return nYear % 4 == 0 && (nYear % 100 != 0 || nYear % 400 == 0);
}

int DaysInMonth(int nYear, int nMonth)
{
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return nMonth == 2 && IsLeapYear(nYear) ? 29 : kDays[nMonth - 1];
}

// A time after the date: a blank or a T, then HH:MM, HH:MM:SS or HHMMSS, maybe fractions of a second and
// a Z. -1 when the rest is not such a time; HHMMSS otherwise.
int ReadTime(std::string_view rest)
{
    if (rest.size() < 2 || (rest[0] != ' ' && rest[0] != 'T'))
        return -1;
    std::size_t at = 1;
    while (at < rest.size() && rest[at] == ' ')
        ++at;
    int parts[3] = {0, 0, 0};
    int count = 0;
    if (rest.size() - at >= 6 && std::all_of(rest.begin() + static_cast<std::ptrdiff_t>(at),
                                             rest.begin() + static_cast<std::ptrdiff_t>(at + 6), IsDigit)) {
        for (int& part : parts)
            part = ReadFixedDigits(rest, at, 2);
        count = 3;
        if (at < rest.size() && IsDigit(rest[at]))
            return -1;
    } else {
        for (; count < 3; ++count) {
            if (count > 0 && (at >= rest.size() || rest[at] != ':'))
                break;
            if (count > 0)
                ++at;
            parts[count] = ReadDigits(rest, at, count == 0 ? 1 : 2, 2);
            if (parts[count] < 0)
                return -1;
        }
        if (count < 2)
            return -1;
    }
    if (at < rest.size() && (rest[at] == '.' || rest[at] == ',') && count == 3) {
        ++at;
        if (ReadDigits(rest, at, 1, 9) < 0)
            return -1;
    }
    if (at < rest.size() && rest[at] == 'Z')
        ++at;
    if (at != rest.size() || parts[0] > 23 || parts[1] > 59 || parts[2] > 60)
        return -1;
    return parts[0] * 10000 + parts[1] * 100 + parts[2];
}

// Two digits at text[at]; -1 when they are not both digits.
int TwoDigits(std::string_view text, std::size_t at)
{
    const unsigned tens = static_cast<unsigned char>(text[at]) - unsigned{'0'};
    const unsigned ones = static_cast<unsigned char>(text[at + 1]) - unsigned{'0'};
    return tens < 10 && ones < 10 ? static_cast<int>(tens * 10 + ones) : -1;
}

// The usual shape of a date with separators: two digits for month and day, two or four for the year, one
// separator between them, all at fixed places (MM/DD/CCYY, CCYY-MM-DD ...). False when the text has
// another shape; the general reading then decides.
bool ReadUsualShape(std::string_view text, const char* parts, std::size_t& at, int& year, int& month, int& day)
{
    const std::size_t first = parts[0] == 'C' ? 4 : 2;  // the first separator's place
    const std::size_t second = first + 3;
    const std::size_t length = second + 1 + (parts[2] == 'C' ? 4 : 2);
    if (text.size() < length || !IsSeparator(text[first]) || !IsSeparator(text[second]) ||
        (text.size() > length && IsDigit(text[length])))
        return false;
    const std::size_t places[3] = {0, first + 1, second + 1};
    int values[3] = {};
    for (int i = 0; i < 3; ++i) {
        values[i] = TwoDigits(text, places[i]);
        if (parts[i] == 'C' && values[i] >= 0) {
            const int low = TwoDigits(text, places[i] + 2);
            values[i] = low < 0 ? -1 : values[i] * 100 + low;
        }
        if (values[i] < 0)
            return false;
    }
    for (int i = 0; i < 3; ++i)
        (parts[i] == 'M' ? month : parts[i] == 'D' ? day : year) = values[i];
    at = length;
    return true;
}

}  // namespace

// HHMMSS of a time such as 9:30, 09:30 or 09:30:00; -1 when the text is no such time.
int TimeOfDay(std::string_view text)
{
    int parts[3] = {0, 0, 0};
    int part = 0;
    int digits = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9' && digits < 2) {
            parts[part] = parts[part] * 10 + (c - '0');
            ++digits;
        } else if (c == ':' && digits > 0 && part < 2) {
            ++part;
            digits = 0;
        } else {
            return -1;
        }
    }
    if (part == 0 || digits != 2 || parts[0] > 23 || parts[1] > 59 || parts[2] > 60)
        return -1;
    return parts[0] * 10000 + parts[1] * 100 + parts[2];
}

DateRead ReadDate(std::string_view text, int nFormat)
{
    DateRead read;
    if (nFormat < 1 || nFormat > kDateFormatCount)
        return read;
    const bool bNumeric = IsNumericFormat(nFormat);
    std::size_t at = 0;
    int year = -1;
    int month = -1;
    int day = -1;
    const char* const parts = kParts[nFormat - 1];
    const bool bTwoDigitYear = parts[0] == 'Y' || parts[1] == 'Y' || parts[2] == 'Y';
    const bool bUsual = nFormat <= kLastSeparatedFormat && !bNumeric && ReadUsualShape(text, parts, at, year, month, day);
    for (const char* part = parts; !bUsual && *part != '\0'; ++part) {
        if (part != parts && !bNumeric) {
            if (part[-1] == 'D' && at < text.size() && text[at] == ',')
                ++at;  // Mar 14, 2017
            std::size_t separators = 0;
            while (at < text.size() && IsSeparator(text[at]) && (separators == 0 || text[at] == ' ')) {
                ++at;
                ++separators;
            }
            if (separators == 0)
                return read;
        }
        switch (*part) {
        case 'Y': year = bNumeric ? ReadFixedDigits(text, at, 2) : ReadDigits(text, at, 2, 2); break;
        case 'C': year = bNumeric ? ReadFixedDigits(text, at, 4) : ReadDigits(text, at, 4, 4); break;
        case 'M': month = bNumeric ? ReadFixedDigits(text, at, 2) : ReadDigits(text, at, 1, 2); break;
        case 'N': month = ReadMonthName(text, at); break;
        default: day = bNumeric ? ReadFixedDigits(text, at, 2) : ReadDigits(text, at, 1, 2); break;
        }
        if (year == -1 && (*part == 'Y' || *part == 'C'))
            return read;
    }
    if (at < text.size()) {
        read.nTime = ReadTime(text.substr(at));
        if (read.nTime < 0)
            return read;
    }
    if (bTwoDigitYear)
        year += year <= 59 ? 2000 : 1900;
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return read;
    read.nYear = year;
    read.nMonth = month;
    read.nDay = day;
    read.eResult = (year < kFirstYear || year > kLastYear) ? DateResult::kOutOfRange : DateResult::kDate;
    return read;
}

std::uint16_t ParseDate(const char* szText, std::int16_t nFormat)
{
    std::string_view text(szText);
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (!text.empty() && text.front() == '"')
        text.remove_prefix(1);
    if (!text.empty() && text.back() == '"')
        text.remove_suffix(1);
    const DateRead date = ReadDate(text, nFormat);
    if (date.eResult != DateResult::kDate || date.nYear < 1961)
        return 0;
    return DayNumber(date.nYear, date.nMonth, date.nDay);
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
