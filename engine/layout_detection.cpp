#include "engine/layout_detection.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "engine/conversion_settings.h"
#include "engine/date_formats.h"
#include "engine/line_parsing.h"
#include "engine/text_reader.h"
#include "metastock/file_system.h"
#include "metastock/path_text.h"
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

const char* const kNoDates = "no column holds dates in one of the sixteen date formats";
constexpr int kDelimiterCount = 4;
constexpr char kDelimiters[kDelimiterCount] = {',', '\t', ' ', ';'};
const char* const kDelimiterNames[kDelimiterCount] = {"comma", "tab", "space", "semicolon"};
const char* const kFieldNames[kFieldCount] = {"Date", "Open", "High", "Low", "Close", "Volume", "OpenInt"};

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

// Whether a cell holds a number as a run reads it in either decimal style: a time such as 09:30 is none.
bool IsNumber(std::string_view cell)
{
    TextField field{cell, true};
    float value = 0;
    NumberStyle point;
    NumberStyle comma;
    comma.bDecimalComma = true;
    return ReadNumber(field, point, value) == NumberResult::kNumber || ReadNumber(field, comma, value) == NumberResult::kNumber;
}

// A decimal comma shows as digits, a comma and digits other than three (1,1052), or as a comma after a
// full stop (1.234,5); a decimal point as a full stop after a comma or a full stop alone.
int DecimalCommaVotes(std::string_view cell)
{
    const std::size_t comma = cell.rfind(',');
    const std::size_t point = cell.rfind('.');
    if (comma == std::string_view::npos)
        return point == std::string_view::npos ? 0 : -1;
    if (point != std::string_view::npos)
        return comma > point ? 1 : -1;
    const std::size_t after = cell.size() - comma - 1;
    return after != 3 ? 1 : 0;
}

using Rows = std::vector<std::vector<std::string>>;

Rows SplitLines(const std::vector<std::string>& lines, char delimiter)
{
    Rows rows;
    TextField fields[kMaxFields];
    std::string scratch;
    for (const std::string& line : lines) {
        std::string_view text = line;
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
            text.remove_suffix(1);
        const int nFields = std::min(SplitFields(text, delimiter, fields, scratch), kMaxColumn);
        std::vector<std::string>& row = rows.emplace_back();
        if (std::all_of(fields, fields + nFields, [](const TextField& f) { return f.text.empty(); }))
            continue;  // blank, or delimiters only
        for (int i = 0; i < nFields; ++i)
            row.emplace_back(fields[i].text);
    }
    while (!rows.empty() && rows.back().empty())
        rows.pop_back();  // blank lines at the end hold no data
    return rows;
}

// A count of days that grows by one from day to day within a month, for order and gaps.
int DayIndex(const DateRead& date)
{
    return date.eResult == DateResult::kDate ? (date.nYear * 12 + date.nMonth) * 31 + date.nDay : 0;
}

bool ReadsAsDate(std::string_view cell, int nFormat)
{
    return ReadDate(cell, nFormat).eResult == DateResult::kDate;
}

// The day indexes of a column from row nFirst on.
std::vector<int> Days(const Rows& rows, std::size_t nFirst, int nColumn, int nFormat)
{
    std::vector<int> days;
    for (std::size_t r = nFirst; r < rows.size(); ++r)
        days.push_back(DayIndex(ReadDate(rows[r][static_cast<std::size_t>(nColumn)], nFormat)));
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
        {"date", kDateField},        {"dtyyyymmdd", kDateField},     {"open", kOpenField},
        {"high", kHighField},        {"low", kLowField},             {"close", kCloseField},
        {"last", kCloseField},       {"price", kCloseField},         {"closelast", kCloseField},
        {"volume", kVolumeField},    {"vol", kVolumeField},          {"openint", kOpenInterestField},
        {"openinterest", kOpenInterestField}, {"oi", kOpenInterestField},
    };
    if (simple.rfind("volume", 0) == 0 && simple != "volume")
        return kVolumeField;  // Volume BTC, Volume USD
    for (const auto& entry : kNames)
        if (simple == entry.szName)
            return entry.nField;
    return -1;
}

// Columns (1-based) of the fields a heading row names; false when it names no close.
bool ReadHeading(const std::vector<std::string>& heading, int (&columns)[kFieldCount], std::vector<std::string>& names,
                 std::vector<std::string>& notes)
{
    std::fill(std::begin(columns), std::end(columns), 0);
    names.assign(kFieldCount, std::string());
    int nAdjustedClose = 0;
    int nTickVolume = 0;
    for (std::size_t i = 0; i < heading.size() && i < static_cast<std::size_t>(kMaxColumn); ++i) {
        const std::string simple = Simplified(heading[i]);
        const int nField = HeadingField(simple);
        if (simple == "adjclose" && nAdjustedClose == 0)
            nAdjustedClose = static_cast<int>(i) + 1;
        if ((simple == "tickvol" || simple == "tickvolume") && nTickVolume == 0)
            nTickVolume = static_cast<int>(i) + 1;
        if (nField >= 0 && columns[nField] == 0) {
            columns[nField] = static_cast<int>(i) + 1;
            names[static_cast<std::size_t>(nField)] = Unquoted(heading[i]);
        }
    }
    const auto heading_ = [&](int nColumn) { return std::string(Unquoted(heading[static_cast<std::size_t>(nColumn - 1)])); };
    if (columns[kCloseField] == 0 && nAdjustedClose != 0) {
        columns[kCloseField] = nAdjustedClose;
        names[kCloseField] = heading_(nAdjustedClose);
    } else if (columns[kCloseField] != 0 && nAdjustedClose != 0) {
        notes.push_back("close taken from " + names[kCloseField] + ", not " + heading_(nAdjustedClose));
    }
    if (columns[kVolumeField] == 0 && nTickVolume != 0) {
        columns[kVolumeField] = nTickVolume;
        names[kVolumeField] = heading_(nTickVolume);
    } else if (columns[kVolumeField] != 0 && nTickVolume != 0) {
        notes.push_back("volume taken from " + names[kVolumeField] + ", not " + heading_(nTickVolume));
    }
    return columns[kCloseField] != 0;
}

// The columns of numbers that follow the date column, by the rule at the top of this file.
void AssignByNumbers(const Rows& rows, std::size_t nFirst, int nDateColumn, DetectedLayout& layout)
{
    // A column of times (09:30, 00:00:00) beside the dates is no price.
    int nStart = nDateColumn + 1;
    bool bTimes = true;
    for (std::size_t r = nFirst; r < rows.size() && bTimes; ++r)
        bTimes = static_cast<std::size_t>(nStart) < rows[r].size() && TimeOfDay(rows[r][static_cast<std::size_t>(nStart)]) >= 0;
    if (bTimes)
        ++nStart;
    int nNumbers = 0;
    for (int c = nStart; c < kMaxColumn; ++c) {
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
    if (nNumbers == 1)
        return;  // one number without a heading to name it may be anything
    const std::vector<int>& fields = kFieldsByCount[std::min(nNumbers, 6)];
    for (std::size_t i = 0; i < fields.size(); ++i)
        layout.nColumn[fields[i]] = nStart + 1 + static_cast<int>(i);
}

// Rows on one date with different times are intraday bars, which detection refuses; the order of the
// dates, a time in every date, and a decimal comma are noted.
bool CheckDays(const Rows& rows, std::size_t nFirst, DetectedLayout& layout)
{
    const std::size_t dateColumn = static_cast<std::size_t>(layout.nColumn[kDateField] - 1);
    int nTimeColumn = -1;
    for (std::size_t c = 0; nFirst < rows.size() && c < rows[nFirst].size() && nTimeColumn < 0; ++c) {
        const std::string& cell = rows[nFirst][c];
        if (TimeOfDay(cell) >= 0)
            nTimeColumn = static_cast<int>(c);
    }
    struct Day {
        int first;           // day index
        std::string second;  // time
        std::string text;    // the date as the file has it
    };
    std::vector<Day> days;
    bool bAllMidnight = true;
    bool bTimes = false;
    int nVotes = 0;
    for (std::size_t r = nFirst; r < rows.size(); ++r) {
        if (rows[r].size() <= dateColumn)
            continue;
        const DateRead date = ReadDate(rows[r][dateColumn], layout.nDateFormat);
        if (date.eResult != DateResult::kDate)
            continue;  // the run names the row
        std::string time = date.nTime >= 0 ? std::to_string(date.nTime) : std::string();
        if (date.nTime >= 0) {
            bTimes = true;
            bAllMidnight = bAllMidnight && date.nTime == 0;
        }
        if (nTimeColumn >= 0 && static_cast<std::size_t>(nTimeColumn) < rows[r].size())
            time += rows[r][static_cast<std::size_t>(nTimeColumn)];
        days.push_back({DayIndex(date), time, rows[r][dateColumn]});
        for (int f = kOpenField; f < kFieldCount; ++f)
            if (layout.nColumn[f] != 0 && static_cast<std::size_t>(layout.nColumn[f] - 1) < rows[r].size())
                nVotes += DecimalCommaVotes(rows[r][static_cast<std::size_t>(layout.nColumn[f] - 1)]);
    }
    for (std::size_t i = 0; i < days.size() && !layout.bIntraday; ++i)
        for (std::size_t j = i + 1; j < days.size() && !layout.bIntraday; ++j)
            if (days[i].first == days[j].first && days[i].second != days[j].second) {
                const auto count = std::count_if(days.begin(), days.end(), [&](const auto& d) { return d.first == days[i].first; });
                layout.bIntraday = true;
                layout.strProblem = "this file holds intraday bars (" + std::to_string(count) + " rows on " +
                                    days[i].text + "), not daily prices; convert it with --daily to "
                                    "combine each day's bars";
            }
    layout.bDecimalComma = nVotes > 0;
    if (days.size() > 1 && days.front().first > days.back().first)
        layout.notes.push_back("rows are newest first and will be written oldest first");
    if (bTimes && bAllMidnight)
        layout.notes.push_back("times in the date column are all 00:00:00");
    else if (bTimes)
        layout.notes.push_back("the date column holds one time a day, which is left out");
    return true;
}

// The layout that one delimiter gives; bFound false when it finds no dates with a close.
DetectedLayout DetectWith(const Rows& rows, int nDelimiter)
{
    DetectedLayout layout;
    layout.nDelimiter = nDelimiter;
    // The first row of column c that reads in format f, when the rows from there on read too but for one
    // in ten or one (the run names those); rows.size() when none. Of two columns the one that starts first
    // wins, then the one with more dates.
    std::size_t nBest = rows.size();
    std::size_t nBestRead = 0;
    int nDateColumn = -1;
    std::size_t nFrom[kMaxColumn][kDateFormatCount];
    std::size_t nRead[kMaxColumn][kDateFormatCount];
    for (int c = 0; c < kMaxColumn; ++c)
        for (int f = 1; f <= kDateFormatCount; ++f) {
            const auto column = static_cast<std::size_t>(c);
            std::size_t first = 0;
            while (first < rows.size() && !(column < rows[first].size() && ReadsAsDate(rows[first][column], f)))
                ++first;
            std::size_t read = 0;
            std::size_t total = 0;
            for (std::size_t r = first; r < rows.size(); ++r) {
                if (rows[r].empty())
                    continue;
                ++total;
                read += column < rows[r].size() && ReadsAsDate(rows[r][column], f) ? 1 : 0;
            }
            const bool bColumn = read > 0 && (read >= 2 || total == 1) && total - read <= std::max<std::size_t>(1, total / 10);
            nFrom[c][f - 1] = bColumn ? first : rows.size();
            nRead[c][f - 1] = bColumn ? read : 0;
            if (bColumn && (first < nBest || (first == nBest && read > nBestRead))) {
                nBest = first;
                nBestRead = read;
                nDateColumn = c;
            }
        }
    if (nDateColumn < 0) {
        layout.strProblem = kNoDates;
        for (const auto& row : rows)
            for (int f = 1; f <= kDateFormatCount && !row.empty(); ++f)
                if (ReadDate(row[0], f).eResult == DateResult::kOutOfRange)
                    layout.strProblem = "the dates lie before 1900 or after 2140, which the files cannot hold";
        return layout;
    }
    std::vector<int> formats;
    for (int f = 1; f <= kDateFormatCount; ++f)
        if (nFrom[nDateColumn][f - 1] == nBest && nRead[nDateColumn][f - 1] == nBestRead)
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
        bHeading = ReadHeading(rows[r - 1], columns, names, layout.notes);
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
    if (!CheckDays(rows, nBest, layout))
        return layout;
    layout.bFound = true;
    return layout;
}

int FieldsFound(const DetectedLayout& layout)
{
    return static_cast<int>(std::count_if(std::begin(layout.nColumn), std::end(layout.nColumn),
                                          [](int nColumn) { return nColumn != 0; }));
}

}  // namespace

DetectedLayout DetectLayoutInLines(const std::vector<std::string>& lines)
{
    DetectedLayout best;
    best.strProblem = kNoDates;
    for (int d = 0; d < kDelimiterCount; ++d) {
        const Rows rows = SplitLines(lines, kDelimiters[d]);
        if (rows.empty()) {
            best.strProblem = "the file holds no lines";
            return best;
        }
        DetectedLayout layout = DetectWith(rows, d);
        if (!layout.bFound) {
            if (!best.bFound && (layout.nDateFormat != 0 || layout.strProblem != kNoDates))
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
    const auto file = CurrentFileSystem().OpenForReading(PathFromText(path));
    if (!file) {
        DetectedLayout layout;
        layout.strProblem = "Cannot open the input file " + path + ": " + LastFailureReason();
        return layout;
    }
    return DetectLayout(*file, path);
}

DetectedLayout DetectLayout(IReadableFile& input, const std::string& path)
{
    CLineSource source(&input);
    std::vector<std::string> lines;
    std::string_view line;
    while (static_cast<int>(lines.size()) < kDetectedLines && source.NextLine(line))
        lines.emplace_back(line);
    if (source.Failed()) {
        DetectedLayout layout;
        layout.strProblem = "Cannot read the input file " + path + ": " + source.FailureReason();
        return layout;
    }
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
    std::vector<std::string> notes = layout.notes;
    if (layout.bDecimalComma)
        notes.insert(notes.begin(), "numbers have a decimal comma");
    if (!notes.empty()) {
        text.pop_back();  // the full stop
        for (const std::string& note : notes) {
            text += "; ";
            text += note;
        }
        text += '.';
    }
    if (layout.bIntraday)
        text += " But " + layout.strProblem + ".";
    if (layout.bGuessed)
        text += std::string(" The dates read as ") + kDateFormatNames[layout.nOtherDateFormat - 1] + " too; " +
                szFormat + " is a guess.";
    return text;
}

void ApplyLayout(const DetectedLayout& layout, ConversionSettings& settings)
{
    settings.Delimiter = layout.nDelimiter;
    settings.DecimalComma = layout.bDecimalComma;
    settings.SkipOn = layout.nSkipRows > 0 ? 1 : 0;
    settings.SkipRows = layout.nSkipRows;
    if (layout.nDateFormat >= 1 && layout.nDateFormat <= kDateFormatCount)
        settings.DateFormat = kDateFormatNames[layout.nDateFormat - 1];
    for (int i = 0; i < kFieldCount; ++i)
        SetField(settings, i, layout.nColumn[i] != 0, layout.nColumn[i] != 0 ? layout.nColumn[i] : 1);
}

}  // namespace engine
