#include "engine/layout_detection.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "engine/conversion_settings.h"
#include "engine/date_formats.h"
#include "engine/line_parsing.h"
#include "engine/text_reader.h"
#include "metastock/day_number.h"

// How a layout is found. For each delimiter, every line is split as the run splits it. A column of dates
// is a column whose every row from some row on has exactly the shape of one of the twelve formats and
// reads as a date; the rows above that row are the heading rows, and the first such column (with the
// fewest heading rows) is the date column. When several formats read every date, the ones that keep the
// dates in order win, then the one whose dates lie closest together (daily prices are days apart), and
// the result says that it guessed. The price columns come from the last heading row when it names a
// close; otherwise they are the columns of numbers that follow the date column: 1 = close, 2 = close and
// volume, 3 = high, low, close, 4 = open, high, low, close, 5 = those and volume, 6 or more = those,
// volume and open interest. Of the delimiters, the one that finds the most fields wins, then the one
// with the fewest heading rows, then comma, tab, space in that order.

namespace engine {

using namespace metastock;

namespace {

constexpr int kLinesRead = 100;
constexpr char kDelimiters[3] = {',', '\t', ' '};
const char* const kDelimiterNames[3] = {"comma", "tab", "space"};
const char* const kFieldNames[kFieldCount] = {"Date", "Open", "High", "Low", "Close", "Volume", "OpenInt"};

// Formats 1 to 6: length, and the places of the two separators; formats 7 to 12 are digits only. The
// places of month and day serve to refuse a day beyond its month's end, which a run would roll over.
struct DateShape {
    std::size_t nLength;
    std::size_t nFirstSeparator;   // 0: none
    std::size_t nSecondSeparator;
    std::size_t nMonth;
    std::size_t nDay;
};

constexpr DateShape kDateShapes[kDateFormatCount] = {
    {8, 2, 5, 3, 6}, {10, 4, 7, 5, 8}, {8, 2, 5, 0, 3}, {10, 2, 5, 0, 3}, {8, 2, 5, 3, 0}, {10, 2, 5, 3, 0},
    {6, 0, 0, 2, 4}, {8, 0, 0, 4, 6},  {6, 0, 0, 0, 2}, {8, 0, 0, 0, 2},  {6, 0, 0, 2, 0}, {8, 0, 0, 2, 0},
};

// Two characters, digits or a blank for a leading zero.
int TwoDigits(std::string_view text, std::size_t offset)
{
    const auto digit = [](char c) { return c == ' ' ? 0 : c - '0'; };
    return digit(text[offset]) * 10 + digit(text[offset + 1]);
}

std::string_view Unquoted(std::string_view token)
{
    while (!token.empty() && (token.front() == ' ' || token.front() == '\t'))
        token.remove_prefix(1);
    while (!token.empty() && (token.back() == ' ' || token.back() == '\t' || token.back() == '\r'))
        token.remove_suffix(1);
    if (!token.empty() && token.front() == '"')
        token.remove_prefix(1);
    if (!token.empty() && token.back() == '"')
        token.remove_suffix(1);
    return token;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsNumber(std::string_view token)
{
    token = Unquoted(token);
    if (!token.empty() && (token.front() == '-' || token.front() == '+'))
        token.remove_prefix(1);
    bool bDigits = false;
    bool bPoint = false;
    std::size_t i = 0;
    for (; i < token.size(); ++i) {
        if (IsDigit(token[i]))
            bDigits = true;
        else if (token[i] == '.' && !bPoint)
            bPoint = true;
        else
            break;
    }
    if (bDigits && i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        if (i < token.size() && (token[i] == '-' || token[i] == '+'))
            ++i;
        const std::size_t start = i;
        while (i < token.size() && IsDigit(token[i]))
            ++i;
        if (i == start)
            return false;
    }
    return bDigits && i == token.size();
}

using Rows = std::vector<std::vector<std::string>>;

Rows SplitLines(const std::vector<std::string>& lines, char delimiter)
{
    Rows rows;
    CTokenTable table;
    for (const std::string& line : lines) {
        std::string_view text = line;
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
            text.remove_suffix(1);
        const int nTokens = table.Split(text, delimiter);
        std::vector<std::string>& row = rows.emplace_back();
        for (int i = 0; i < nTokens; ++i)
            row.emplace_back(table[i]);
    }
    while (!rows.empty() && rows.back().empty())
        rows.pop_back();  // blank lines at the end hold no data
    return rows;
}

// The day numbers of a column from row nFirst on.
std::vector<int> Days(const Rows& rows, std::size_t nFirst, int nColumn, int nFormat)
{
    std::vector<int> days;
    for (std::size_t r = nFirst; r < rows.size(); ++r)
        days.push_back(ReadDateStrictly(rows[r][static_cast<std::size_t>(nColumn)], nFormat));
    return days;
}

bool InOrder(const std::vector<int>& days)
{
    bool bUp = true;
    bool bDown = true;
    for (std::size_t i = 1; i < days.size(); ++i) {
        bUp = bUp && days[i] >= days[i - 1];
        bDown = bDown && days[i] <= days[i - 1];
    }
    return bUp || bDown;
}

int MedianGap(const std::vector<int>& days)
{
    std::vector<int> gaps;
    for (std::size_t i = 1; i < days.size(); ++i)
        gaps.push_back(std::abs(days[i] - days[i - 1]));
    if (gaps.empty())
        return 0;
    std::nth_element(gaps.begin(), gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() / 2), gaps.end());
    return gaps[gaps.size() / 2];
}

// The formats that read every date of the column, best first.
std::vector<int> RankFormats(const Rows& rows, std::size_t nFirst, int nColumn, const std::vector<int>& formats)
{
    struct Rank {
        int nFormat;
        bool bOrdered;
        int nGap;
    };
    std::vector<Rank> ranks;
    for (const int nFormat : formats) {
        const std::vector<int> days = Days(rows, nFirst, nColumn, nFormat);
        ranks.push_back({nFormat, InOrder(days), MedianGap(days)});
    }
    std::stable_sort(ranks.begin(), ranks.end(), [](const Rank& a, const Rank& b) {
        return a.bOrdered != b.bOrdered ? a.bOrdered : a.nGap < b.nGap;
    });
    std::vector<int> ranked;
    for (const Rank& rank : ranks)
        ranked.push_back(rank.nFormat);
    return ranked;
}

// A heading's name reduced to letters and digits in lower case: "<Adj Close>" -> "adjclose".
std::string Simplified(std::string_view name)
{
    std::string simple;
    for (const char c : name)
        if (std::isalnum(static_cast<unsigned char>(c)))
            simple += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return simple;
}

// The field a heading names, -1 for none. Adjusted close counts only where no close is named.
int HeadingField(const std::string& simple)
{
    static const struct {
        const char* szName;
        int nField;
    } kNames[] = {
        {"date", kDateField},     {"dtyyyymmdd", kDateField}, {"open", kOpenField},        {"high", kHighField},
        {"low", kLowField},       {"close", kCloseField},     {"last", kCloseField},       {"volume", kVolumeField},
        {"vol", kVolumeField},    {"openint", kOpenInterestField}, {"openinterest", kOpenInterestField}, {"oi", kOpenInterestField},
    };
    for (const auto& entry : kNames)
        if (simple == entry.szName)
            return entry.nField;
    return -1;
}

// Columns (1-based) of the fields a heading row names; false when it names no close.
bool ReadHeading(const std::vector<std::string>& heading, int (&columns)[kFieldCount], std::vector<std::string>& names)
{
    std::fill(std::begin(columns), std::end(columns), 0);
    names.assign(kFieldCount, std::string());
    int nAdjustedClose = 0;
    for (std::size_t i = 0; i < heading.size() && i < static_cast<std::size_t>(kMaxColumn); ++i) {
        const std::string simple = Simplified(heading[i]);
        const int nField = HeadingField(simple);
        if (simple == "adjclose" && nAdjustedClose == 0)
            nAdjustedClose = static_cast<int>(i) + 1;
        if (nField >= 0 && columns[nField] == 0) {
            columns[nField] = static_cast<int>(i) + 1;
            names[static_cast<std::size_t>(nField)] = Unquoted(heading[i]);
        }
    }
    if (columns[kCloseField] == 0 && nAdjustedClose != 0) {
        columns[kCloseField] = nAdjustedClose;
        names[kCloseField] = Unquoted(heading[static_cast<std::size_t>(nAdjustedClose - 1)]);
    }
    return columns[kCloseField] != 0;
}

// The columns of numbers that follow the date column, by the rule at the top of this file.
void AssignByNumbers(const Rows& rows, std::size_t nFirst, int nDateColumn, DetectedLayout& layout)
{
    int nNumbers = 0;
    for (int c = nDateColumn + 1; c < kMaxTokens; ++c) {
        bool bAll = true;
        for (std::size_t r = nFirst; r < rows.size() && bAll; ++r)
            bAll = static_cast<std::size_t>(c) < rows[r].size() && IsNumber(rows[r][static_cast<std::size_t>(c)]);
        if (!bAll)
            break;
        ++nNumbers;
    }
    static const std::vector<int> kFieldsByCount[] = {
        {},
        {kCloseField},
        {kCloseField, kVolumeField},
        {kHighField, kLowField, kCloseField},
        {kOpenField, kHighField, kLowField, kCloseField},
        {kOpenField, kHighField, kLowField, kCloseField, kVolumeField},
        {kOpenField, kHighField, kLowField, kCloseField, kVolumeField, kOpenInterestField},
    };
    const std::vector<int>& fields = kFieldsByCount[std::min(nNumbers, 6)];
    for (std::size_t i = 0; i < fields.size(); ++i)
        layout.nColumn[fields[i]] = nDateColumn + 2 + static_cast<int>(i);
}

// The layout that one delimiter gives; bFound false when it finds no dates with a close.
DetectedLayout DetectWith(const Rows& rows, int nDelimiter)
{
    DetectedLayout layout;
    layout.nDelimiter = nDelimiter;
    // The first row from which column c reads in format f to the end; rows.size() when never.
    std::size_t nBest = rows.size();
    int nDateColumn = -1;
    std::size_t nFrom[kMaxTokens][kDateFormatCount];
    for (int c = 0; c < kMaxTokens; ++c)
        for (int f = 1; f <= kDateFormatCount; ++f) {
            std::size_t r = rows.size();
            while (r > 0 && static_cast<std::size_t>(c) < rows[r - 1].size() &&
                   ReadDateStrictly(rows[r - 1][static_cast<std::size_t>(c)], f) != 0)
                --r;
            nFrom[c][f - 1] = r;
            if (r < nBest) {
                nBest = r;
                nDateColumn = c;
            }
        }
    if (nDateColumn < 0) {
        layout.strProblem = "no column holds dates in one of the twelve date formats";
        return layout;
    }
    std::vector<int> formats;
    for (int f = 1; f <= kDateFormatCount; ++f)
        if (nFrom[nDateColumn][f - 1] == nBest)
            formats.push_back(f);
    const std::vector<int> ranked = RankFormats(rows, nBest, nDateColumn, formats);
    layout.nDateFormat = ranked[0];
    layout.bGuessed = ranked.size() > 1;
    layout.nOtherDateFormat = layout.bGuessed ? ranked[1] : 0;
    layout.nSkipRows = static_cast<int>(nBest);
    layout.strExampleDate = Unquoted(rows[nBest][static_cast<std::size_t>(nDateColumn)]);

    int columns[kFieldCount] = {};
    std::vector<std::string> names;
    bool bHeading = false;
    for (std::size_t r = nBest; r > 0 && !bHeading; --r)
        bHeading = ReadHeading(rows[r - 1], columns, names);
    if (bHeading) {
        std::copy(std::begin(columns), std::end(columns), std::begin(layout.nColumn));
    } else {
        names.assign(kFieldCount, std::string());
        AssignByNumbers(rows, nBest, nDateColumn, layout);
    }
    layout.nColumn[kDateField] = nDateColumn + 1;
    if (layout.nColumn[kCloseField] == 0 || layout.nColumn[kCloseField] == layout.nColumn[kDateField]) {
        layout.strProblem = "dates were found in column " + std::to_string(nDateColumn + 1) +
                            ", but no column of closing prices beside them";
        return layout;
    }
    for (int i = 0; i < kFieldCount; ++i)
        if (layout.nColumn[i] != 0)
            layout.columnNames.push_back(names[static_cast<std::size_t>(i)].empty() ? kFieldNames[i]
                                                                                    : names[static_cast<std::size_t>(i)]);
    layout.bFound = true;
    return layout;
}

int FieldsFound(const DetectedLayout& layout)
{
    return static_cast<int>(std::count_if(std::begin(layout.nColumn), std::end(layout.nColumn),
                                          [](int nColumn) { return nColumn != 0; }));
}

}  // namespace

std::uint16_t ReadDateStrictly(std::string_view token, int nDateFormat)
{
    if (nDateFormat < 1 || nDateFormat > kDateFormatCount)
        return 0;
    const std::string_view date = Unquoted(token);
    const DateShape& shape = kDateShapes[nDateFormat - 1];
    if (date.size() != shape.nLength)
        return 0;
    for (std::size_t i = 0; i < date.size(); ++i) {
        const bool bSeparator = shape.nFirstSeparator != 0 && (i == shape.nFirstSeparator || i == shape.nSecondSeparator);
        if (bSeparator ? IsDigit(date[i]) : !(IsDigit(date[i]) || date[i] == ' '))
            return 0;
    }
    const std::uint16_t nDay = ParseDate(std::string(date).c_str(), static_cast<std::int16_t>(nDateFormat));
    std::int16_t nYearRead = 0;
    std::int16_t nMonthRead = 0;
    std::int16_t nDayRead = 0;
    SplitDayNumber(nDay, nYearRead, nMonthRead, nDayRead);
    if (nMonthRead != TwoDigits(date, shape.nMonth) || nDayRead != TwoDigits(date, shape.nDay))
        return 0;
    return nDay;
}

DetectedLayout DetectLayoutInLines(const std::vector<std::string>& lines)
{
    DetectedLayout best;
    best.strProblem = "no column holds dates in one of the twelve date formats";
    for (int d = 0; d < 3; ++d) {
        const Rows rows = SplitLines(lines, kDelimiters[d]);
        if (rows.empty()) {
            best.strProblem = "the file holds no lines";
            return best;
        }
        DetectedLayout layout = DetectWith(rows, d);
        if (!layout.bFound) {
            if (!best.bFound && layout.nDateFormat != 0)
                best = layout;  // dates without prices says more than no dates at all
            continue;
        }
        if (!best.bFound || FieldsFound(layout) > FieldsFound(best) ||
            (FieldsFound(layout) == FieldsFound(best) && layout.nSkipRows < best.nSkipRows))
            best = layout;
    }
    return best;
}

DetectedLayout DetectLayout(const std::string& path)
{
    CTextReader reader;
    if (!reader.Open(path)) {
        DetectedLayout layout;
        layout.strProblem = "Cannot read the input file " + path;
        return layout;
    }
    std::vector<std::string> lines;
    std::string_view piece;
    while (static_cast<int>(lines.size()) < kLinesRead && reader.ReadLine(piece))
        lines.emplace_back(WithoutLineFeed(piece));
    DetectedLayout layout = DetectLayoutInLines(lines);
    if (!layout.bFound)
        layout.strProblem = "No layout found in " + path + ": " + layout.strProblem;
    return layout;
}

std::string DescribeLayout(const DetectedLayout& layout)
{
    if (!layout.bFound)
        return layout.strProblem;
    const std::string headings = layout.nSkipRows == 0   ? "no heading row"
                                 : layout.nSkipRows == 1 ? "1 heading row"
                                                         : std::to_string(layout.nSkipRows) + " heading rows";
    std::string columns;
    for (std::size_t i = 0; i < layout.columnNames.size(); ++i)
        columns += (i == 0 ? "" : ", ") + layout.columnNames[i];
    const char* szFormat = kDateFormatNames[layout.nDateFormat - 1];
    std::string text = std::string("This looks like a ") + kDelimiterNames[layout.nDelimiter] +
                       "-delimited file with " + headings + ", dates like " + layout.strExampleDate + " (" + szFormat +
                       "), and the columns " + columns + ".";
    if (layout.bGuessed)
        text += std::string(" The dates read as ") + kDateFormatNames[layout.nOtherDateFormat - 1] + " too; " +
                szFormat + " is a guess.";
    return text;
}

void ApplyLayout(const DetectedLayout& layout, ConversionSettings& settings)
{
    settings.Delimiter = layout.nDelimiter;
    settings.SkipOn = layout.nSkipRows > 0 ? 1 : 0;
    settings.SkipRows = layout.nSkipRows;
    if (layout.nDateFormat >= 1 && layout.nDateFormat <= kDateFormatCount)
        settings.DateFormat = kDateFormatNames[layout.nDateFormat - 1];
    for (int i = 0; i < kFieldCount; ++i)
        SetField(settings, i, layout.nColumn[i] != 0, layout.nColumn[i] != 0 ? layout.nColumn[i] : 1);
}

}  // namespace engine
