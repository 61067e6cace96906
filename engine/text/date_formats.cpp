#include "engine/text/date_formats.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include "engine/text/text_folding.h"

#include "metastock/day_number.h"
#include "metastock/directory_names.h"

namespace engine {

using namespace metastock;

const char* const kDateFormatNames[kDateFormatCount] = {
    "YY_MM_DD",  "CCYY_MM_DD",  "MM_DD_YY",    "MM_DD_CCYY",  "DD_MM_YY", "DD_MM_CCYY", "YYMMDD",   "CCYYMMDD",
    "MMDDYY",    "MMDDCCYY",    "DDMMYY",      "DDMMCCYY",    "DD_MMM_YY", "DD_MMM_CCYY", "MMM_DD_CCYY", "CCYY_MMM_DD",
    "UNIX_SECONDS", "UNIX_MS", "SERIAL_DAYS",
};

namespace {

// The parts of each format in the order they stand: Y two-digit year, C four-digit year, M month,
// N month name, D day.
constexpr const char* kParts[kDateFormatCount] = {
    "YMD", "CMD", "MDY", "MDC", "DMY", "DMC", "YMD", "CMD", "MDY", "MDC", "DMY", "DMC", "DNY", "DNC", "NDC", "CND", "", "", "",
};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsSeparator(char c)
{
    return c == '/' || c == '-' || c == '.' || c == ' ';
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

bool IsWordByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || static_cast<unsigned char>(c) >= 0x80;
}

// The months of each heading language, January first, in full (and in the genitive that dates use). A
// word is a month when it is such a name, the beginning (three letters at least) of only one month's name
// in its language, or one of the abbreviations below; languages must agree on which month.
constexpr const char* kMonthNames[] = {
    "january|february|march|april|may|june|july|august|september|october|november|december",
    "januar|februar|märz|april|mai|juni|juli|august|september|oktober|november|dezember",
    "janvier|février|mars|avril|mai|juin|juillet|août|septembre|octobre|novembre|décembre",
    "enero|febrero|marzo|abril|mayo|junio|julio|agosto|septiembre|octubre|noviembre|diciembre",
    "gennaio|febbraio|marzo|aprile|maggio|giugno|luglio|agosto|settembre|ottobre|novembre|dicembre",
    "janeiro|fevereiro|março|abril|maio|junho|julho|agosto|setembro|outubro|novembro|dezembro",
    "januari|februari|maart|april|mei|juni|juli|augustus|september|oktober|november|december",
    "styczeń|luty|marzec|kwiecień|maj|czerwiec|lipiec|sierpień|wrzesień|październik|listopad|grudzień",
    "stycznia|lutego|marca|kwietnia|maja|czerwca|lipca|sierpnia|września|października|listopada|grudnia",
    "январь|февраль|март|апрель|май|июнь|июль|август|сентябрь|октябрь|ноябрь|декабрь",
    "января|февраля|марта|апреля|мая|июня|июля|августа|сентября|октября|ноября|декабря",
    "ocak|şubat|mart|nisan|mayıs|haziran|temmuz|ağustos|eylül|ekim|kasım|aralık",
    "januari|februari|maret|april|mei|juni|juli|agustus|september|oktober|november|desember",
};

// Abbreviations that begin no full name of their month, with the month they stand for.
constexpr struct {
    const char* word;
    int month;
} kMonthAbbreviations[] = {
    {"jän", 1}, {"mrt", 3}, {"mrz", 3}, {"juil", 7}, {"set", 9}, {"agt", 8}, {"nop", 11}, {"des", 12},
};

using MonthNames = std::vector<std::array<std::string, 12>>;

const MonthNames& FoldedMonthNames()
{
    static const MonthNames names = [] {
        MonthNames all;
        for (const char* szLanguage : kMonthNames) {
            std::array<std::string, 12>& months = all.emplace_back();
            std::string_view list = szLanguage;
            for (std::string& month : months) {
                const std::size_t bar = list.find('|');
                month = FoldedText(list.substr(0, bar));
                list = bar == std::string_view::npos ? std::string_view() : list.substr(bar + 1);
            }
        }
        return all;
    }();
    return names;
}

// The month that a word names in one of the heading languages; 0 when none, or when languages disagree.
int MonthOfWord(std::string_view word)
{
    const std::string folded = FoldedText(word);
    if (folded.size() < 3)
        return 0;
    int nMonth = 0;
    const auto agree = [&nMonth](int nFound) {
        if (nMonth != 0 && nFound != nMonth)
            return false;
        nMonth = nFound;
        return true;
    };
    for (const auto& abbreviation : kMonthAbbreviations)
        if (FoldedText(abbreviation.word) == folded && !agree(abbreviation.month))
            return 0;
    for (const std::array<std::string, 12>& months : FoldedMonthNames()) {
        int nFound = 0;
        int nBeginnings = 0;
        for (int m = 0; m < 12; ++m) {
            if (months[static_cast<std::size_t>(m)] == folded) {
                nFound = m + 1;
                nBeginnings = 1;
                break;
            }
            if (months[static_cast<std::size_t>(m)].compare(0, folded.size(), folded) == 0) {
                nFound = m + 1;
                ++nBeginnings;
            }
        }
        if (nBeginnings == 1 && !agree(nFound))
            return 0;
    }
    return nMonth;
}

// A month's name at text[at], with a full stop after an abbreviation; 0 when none.
int ReadMonthName(std::string_view text, std::size_t& at)
{
    std::size_t end = at;
    while (end < text.size() && IsWordByte(text[end]))
        ++end;
    const int nMonth = end > at ? MonthOfWord(text.substr(at, end - at)) : 0;
    if (nMonth == 0)
        return 0;
    at = end + 1 < text.size() && text[end] == '.' && text[end + 1] == ' ' ? end + 1 : end;  // "janv. 2019"
    return nMonth;
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
    if (at < rest.size() && rest[at] == 'Z') {
        ++at;
    } else if (at < rest.size() && (rest[at] == '+' || rest[at] == '-')) {
        // An offset from UTC: +02, +0200 or +02:00. The date stays as written.
        ++at;
        if (ReadFixedDigits(rest, at, 2) < 0)
            return -1;
        if (at < rest.size() && rest[at] == ':')
            ++at;
        if (at < rest.size() && ReadFixedDigits(rest, at, 2) < 0)
            return -1;
    }
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

// Seconds or milliseconds since 1 January 1970, the date and time in UTC.
// The civil date of a count of days since 1970-01-01, after Howard Hinnant's days_from_civil inverse, with
// the time of day seconds (HHMMSS).
DateRead DateOfDays(std::int64_t days, std::int64_t seconds)
{
    DateRead read;
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const auto day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const auto month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const auto year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    read.year = year;
    read.month = month;
    read.day = day;
    read.time = static_cast<int>(seconds / 3600 * 10000 + seconds % 3600 / 60 * 100 + seconds % 60);
    read.result = year > kLastYear ? DateResult::kOutOfRange : DateResult::kDate;
    return read;
}

DateRead ReadUnixTime(std::string_view text, bool bMilliseconds)
{
    DateRead read;
    const std::size_t nMin = bMilliseconds ? 12 : 9;
    if (text.size() < nMin || text.size() > nMin + 1 || !std::all_of(text.begin(), text.end(), IsDigit))
        return read;
    std::int64_t value = 0;
    for (const char c : text)
        value = value * 10 + (c - '0');
    if (bMilliseconds)
        value /= 1000;
    return DateOfDays(value / 86400, value % 86400);
}

// A spreadsheet's day number (45293, or 45293.5 with the time as a fraction of the day), counted from
// 1899-12-30. Numbers below 61 are not taken: the spreadsheets count a 29 February 1900 that never was.
DateRead ReadSerialDays(std::string_view text)
{
    DateRead read;
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (whole.empty() || whole.size() > 6 || !std::all_of(whole.begin(), whole.end(), IsDigit) ||
        (point != std::string_view::npos && (fraction.empty() || !std::all_of(fraction.begin(), fraction.end(), IsDigit))))
        return read;
    std::int64_t serial = 0;
    for (const char c : whole)
        serial = serial * 10 + (c - '0');
    if (serial < 61)
        return read;
    double part = 0;
    double scale = 0.1;
    for (std::size_t i = 0; i < fraction.size() && i < 9; ++i, scale /= 10)
        part += (fraction[i] - '0') * scale;
    const auto seconds = std::min<std::int64_t>(86399, static_cast<std::int64_t>(part * 86400 + 0.5));
    // A number past the last year is some other number (a YYMMDD date, a volume), not a day number.
    const DateRead date = DateOfDays(serial - 25569, seconds);
    return date.result == DateResult::kDate ? date : read;
}

// The marks of year, month and day in Chinese, Japanese and Korean dates (2012년 01월 27일) as the
// separators of the other dates: "2012-01-27".
bool WithoutDateMarks(std::string_view text, std::string& plain)
{
    static constexpr std::string_view kSeparating[] = {"\xEB\x85\x84", "\xEC\x9B\x94", "\xE5\xB9\xB4", "\xE6\x9C\x88"};  // 년 월 年 月
    static constexpr std::string_view kEnding[] = {"\xEC\x9D\xBC", "\xE6\x97\xA5"};  // 일 日
    bool bMarked = false;
    plain.clear();
    for (std::size_t at = 0; at < text.size();) {
        bool bFound = false;
        for (const std::string_view mark : kSeparating)
            if (text.substr(at, mark.size()) == mark) {
                plain += '-';
                at += mark.size();
                bFound = true;
                break;
            }
        for (const std::string_view mark : kEnding)
            if (!bFound && text.substr(at, mark.size()) == mark) {
                at += mark.size();
                bFound = true;
            }
        if (!bFound)
            plain += text[at++];
        bMarked = bMarked || bFound;
    }
    while (!plain.empty() && plain.back() == ' ')
        plain.pop_back();
    for (std::size_t dash = plain.find("- "); dash != std::string::npos; dash = plain.find("- ", dash))
        plain.erase(dash + 1, 1);
    return bMarked;
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

int NamedTimeOfDay(std::string_view text)
{
    const int time = TimeOfDay(text);
    if (time >= 0 || (text.size() != 4 && text.size() != 6) ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return time;
    int value = 0;
    for (char c : text)
        value = value * 10 + (c - '0');
    if (text.size() == 4)
        value *= 100;
    return value / 10000 > 23 || value / 100 % 100 > 59 || value % 100 > 60 ? -1 : value;
}

DateRead ReadDate(std::string_view text, int nFormat)
{
    DateRead read;
    if (nFormat < 1 || nFormat > kDateFormatCount)
        return read;
    if (nFormat == kSerialDaysFormat)
        return ReadSerialDays(text);
    if (nFormat > kLastCalendarFormat)
        return ReadUnixTime(text, nFormat == kUnixMillisecondsFormat);
    if (!IsNumericFormat(nFormat) && std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0xE0; })) {
        std::string plain;
        if (WithoutDateMarks(text, plain))
            return ReadDate(plain, nFormat);
    }
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
        read.time = ReadTime(text.substr(at));
        if (read.time < 0)
            return read;
    }
    if (bTwoDigitYear)
        year += year <= 59 ? 2000 : 1900;
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return read;
    read.year = year;
    read.month = month;
    read.day = day;
    read.result = (year < kFirstYear || year > kLastYear) ? DateResult::kOutOfRange : DateResult::kDate;
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
    if (date.result != DateResult::kDate || date.year < 1961)
        return 0;
    return DayNumber(date.year, date.month, date.day);
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
