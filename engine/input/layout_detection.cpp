#include "engine/input/layout_detection.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "engine/input/column_evidence.h"
#include "engine/job/conversion_settings.h"
#include "engine/text/date_formats.h"
#include "engine/text/heading_names.h"
#include "engine/text/line_parsing.h"
#include "engine/text/text_reader.h"
#include "engine/text/field_names.h"
#include "metastock/day_number.h"
#include "metastock/file_system.h"
#include "metastock/path_text.h"

// How a layout is found. The first lines are split with each delimiter as the run splits them, and the
// delimiter that gives a column of dates with the most columns of numbers beside it wins. A column of
// dates is one whose every row from some row on reads in one format (one row in ten may not: the run
// names those); the rows above are headings, and the rows below the last date a footer. Where several
// formats read every date, the values decide: the one that keeps the dates in order, then the one whose
// dates lie at regular distances, then the one that puts no date on a weekend; where none settles it,
// detection refuses. Then the first lines of the file, up to kEvidenceLines, are the evidence for every
// other column (see column_evidence.cpp).

namespace engine {

using namespace metastock;

namespace {

constexpr int kLinesRead = 100;        // for the delimiter and the date column
constexpr int kEvidenceLines = kDetectedLines;  // for the format and the roles of the columns
// When the first lines leave a choice open (a flat start of a history): as many as a data file holds.
constexpr int kMoreEvidenceLines = 65536;
const char* const kNoDates = "no column holds dates in one of the date formats";
constexpr int kDelimiterCount = 4;
constexpr char kDelimiters[kDelimiterCount] = {',', '\t', ' ', ';'};

using Rows = std::vector<std::vector<std::string>>;

Rows SplitLines(const std::vector<std::string>& lines, std::size_t count, char delimiter)
{
    Rows rows;
    TextField fields[kMaxFields];
    std::string scratch;
    for (std::size_t l = 0; l < lines.size() && l < count; ++l) {
        std::string_view text = lines[l];
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

std::string_view Cell(const Rows& rows, std::size_t r, int column)
{
    return static_cast<std::size_t>(column) < rows[r].size() ? std::string_view(rows[r][static_cast<std::size_t>(column)])
                                                              : std::string_view();
}

// Whether a cell holds a number as a run reads it in either decimal style: a time such as 09:30 is none.
bool IsNumber(std::string_view cell)
{
    TextField field{cell, true};
    float value = 0;
    NumberStyle point;
    NumberStyle comma;
    comma.decimalComma = true;
    return ReadNumber(field, point, value) == NumberResult::kNumber || ReadNumber(field, comma, value) == NumberResult::kNumber;
}

bool IsNumberOrEmpty(std::string_view cell)
{
    float value = 0;
    return IsNumber(cell) || ReadNumber(TextField{cell, true}, NumberStyle{}, value) == NumberResult::kEmpty;
}

long CivilDays(const DateRead& date)
{
    // Days from 1 March of year 0, which keeps weekdays: day 0 is a Wednesday.
    const int y = date.year - (date.month <= 2 ? 1 : 0);
    const int m = date.month <= 2 ? date.month + 9 : date.month - 3;
    return 365L * y + y / 4 - y / 100 + y / 400 + (153 * m + 2) / 5 + date.day - 1;
}

struct DateColumn {
    int column = -1;           // 0-based
    std::size_t first = 0;     // the first data row
    std::size_t read = 0;      // rows that read as dates
    std::vector<int> formats;   // the formats that read them all
};

bool PlausibleUnixColumn(const Rows& rows, std::size_t nFirst, int nColumn, int nFormat)
{
    // Seconds since 1970 are numbers, and so are volumes: a column of them counts only in order.
    long previous = 0;
    int direction = 0;
    for (std::size_t r = nFirst; r < rows.size(); ++r) {
        const DateRead date = ReadDate(Cell(rows, r, nColumn), nFormat);
        if (date.result != DateResult::kDate)
            continue;
        const long day = CivilDays(date);
        if (previous != 0 && day != previous) {
            const int step = day > previous ? 1 : -1;
            if (direction != 0 && step != direction)
                return false;
            direction = step;
        }
        previous = day;
    }
    return true;
}

// Day numbers are numbers like any other: they are dates only under a heading that says so.
bool HeadingSaysDate(const Rows& rows, std::size_t nFirst, int nColumn)
{
    if (nFirst == 0)
        return false;
    bool bWhole = false;
    return FindHeadingRole(Cell(rows, nFirst - 1, nColumn), bWhole) == HeadingRole::kDate;
}

// The column of dates that starts first, then the one with more dates; ties go to the calendar formats.
DateColumn FindDateColumn(const Rows& allRows, bool& bTooEarly)
{
    // The column and its formats come from the first lines; the rest of the evidence rows only confirm them.
    const Rows rows(allRows.begin(), allRows.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(allRows.size(), kLinesRead)));
    DateColumn best;
    best.first = rows.size();
    bTooEarly = false;
    std::size_t nWidth = 0;
    for (const auto& row : rows)
        nWidth = std::max(nWidth, row.size());
    for (int c = 0; c < static_cast<int>(std::min<std::size_t>(nWidth, kMaxColumn)); ++c) {
        DateColumn column;
        column.column = c;
        column.first = rows.size();
        // The formats that read each cell, found once: bit f - 1 for format f.
        std::vector<std::uint32_t> reads(rows.size(), 0);
        std::uint32_t any = 0;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const std::string_view cell = Cell(rows, r, c);
            if (std::none_of(cell.begin(), cell.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
                continue;  // every date holds digits
            for (int f = 1; f <= kDateFormatCount; ++f) {
                const DateResult result = ReadDate(cell, f).result;
                reads[r] |= result == DateResult::kDate ? std::uint32_t{1} << (f - 1) : 0;
                bTooEarly = bTooEarly || (c == 0 && result == DateResult::kOutOfRange);
            }
            any |= reads[r];
        }
        for (int f = 1; f <= kDateFormatCount; ++f) {
            const std::uint32_t bit = std::uint32_t{1} << (f - 1);
            if ((any & bit) == 0)
                continue;
            std::size_t first = 0;
            while (first < rows.size() && (reads[first] & bit) == 0)
                ++first;
            std::size_t read = 0;
            std::size_t total = 0;
            for (std::size_t r = first; r < rows.size(); ++r) {
                if (rows[r].empty())
                    continue;
                ++total;
                read += (reads[r] & bit) != 0 ? 1 : 0;
            }
        const bool bColumn = read > 0 && (read >= 2 || total == 1) && total - read <= std::max<std::size_t>(1, total / 10) &&
                                 (f <= kLastCalendarFormat || PlausibleUnixColumn(rows, first, c, f)) &&
                                 (f != kSerialDaysFormat || HeadingSaysDate(rows, first, c));
            if (!bColumn)
                continue;
            const bool bCalendar = f <= kLastCalendarFormat;
            const bool bColumnCalendar = !column.formats.empty() && column.formats[0] <= kLastCalendarFormat;
            if (first < column.first || (first == column.first && read > column.read) ||
                (first == column.first && read == column.read && bCalendar && !bColumnCalendar)) {
                column.first = first;
                column.read = read;
                column.formats = {f};
            } else if (first == column.first && read == column.read && bCalendar == bColumnCalendar) {
                column.formats.push_back(f);
            }
        }
        if (column.formats.empty())
            continue;
        const bool bCalendar = column.formats[0] <= kLastCalendarFormat;
        const bool bBestCalendar = !best.formats.empty() && best.formats[0] <= kLastCalendarFormat;
        if (best.formats.empty() || column.first < best.first ||
            (column.first == best.first && (column.read > best.read || (column.read == best.read && bCalendar && !bBestCalendar))))
            best = column;
    }
    if (best.formats.empty() || allRows.size() == rows.size())
        return best;
    // The formats that read the dates of the later rows too.
    std::vector<int> confirmed;
    for (const int f : best.formats) {
        std::size_t total = 0;
        std::size_t read = 0;
        for (std::size_t r = best.first; r < allRows.size(); ++r) {
            if (allRows[r].empty())
                continue;
            ++total;
            read += ReadDate(Cell(allRows, r, best.column), f).result == DateResult::kDate ? 1 : 0;
        }
        if (total - read <= std::max<std::size_t>(1, total / 10) && (f <= kLastCalendarFormat || PlausibleUnixColumn(allRows, best.first, best.column, f)))
            confirmed.push_back(f);
    }
    if (!confirmed.empty())
        best.formats = confirmed;
    return best;
}

struct DateSpacing {
    bool ordered = true;
    double irregular = 0;  // share of distances far from the usual one
    double weekend = 0;    // share of dates on a Saturday or a Sunday
    std::size_t dates = 0;
};

DateSpacing Spacing(const Rows& rows, std::size_t nFirst, int nColumn, int nFormat)
{
    std::vector<long> days;
    std::size_t weekend = 0;
    for (std::size_t r = nFirst; r < rows.size(); ++r) {
        const DateRead date = ReadDate(Cell(rows, r, nColumn), nFormat);
        if (date.result != DateResult::kDate)
            continue;
        const long day = CivilDays(date);
        weekend += (day % 7 + 7) % 7 == 3 || (day % 7 + 7) % 7 == 4 ? 1 : 0;  // day 0 is a Wednesday
        days.push_back(day);
    }
    DateSpacing spacing;
    spacing.dates = days.size();
    if (days.empty())
        return spacing;
    spacing.weekend = static_cast<double>(weekend) / static_cast<double>(days.size());
    bool bUp = true;
    bool bDown = true;
    std::vector<long> gaps;
    for (std::size_t i = 1; i < days.size(); ++i) {
        bUp = bUp && days[i] >= days[i - 1];
        bDown = bDown && days[i] <= days[i - 1];
        if (days[i] != days[i - 1])
            gaps.push_back(std::labs(days[i] - days[i - 1]));
    }
    spacing.ordered = bUp || bDown;
    if (gaps.empty())
        return spacing;
    std::vector<long> sorted = gaps;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2), sorted.end());
    const long median = sorted[sorted.size() / 2];
    const auto far = std::count_if(gaps.begin(), gaps.end(), [median](long gap) { return gap > 4 * median + 3 || 4 * gap + 3 < median; });
    spacing.irregular = static_cast<double>(far) / static_cast<double>(gaps.size());
    return spacing;
}

// The format that reads the dates, of those that read them all; 0 when the values do not settle it.
int SettleDateFormat(const Rows& rows, const DateColumn& column, std::string& reason)
{
    if (column.formats.size() == 1)
        return column.formats[0];
    std::vector<DateSpacing> spacings;
    for (const int f : column.formats)
        spacings.push_back(Spacing(rows, column.first, column.column, f));
    const auto beats = [](const DateSpacing& a, const DateSpacing& b) {
        if (a.ordered != b.ordered)
            return a.ordered;
        if (a.irregular + 0.05 < b.irregular && b.irregular * static_cast<double>(b.dates) >= 1.5)
            return true;
        if (std::fabs(a.irregular - b.irregular) <= 0.05 && a.dates >= 3 && a.weekend == 0 && b.weekend >= 0.2)
            return true;
        return false;
    };
    for (std::size_t i = 0; i < column.formats.size(); ++i) {
        bool bAll = true;
        for (std::size_t j = 0; j < column.formats.size() && bAll; ++j)
            bAll = i == j || beats(spacings[i], spacings[j]);
        if (bAll) {
            const DateSpacing& s = spacings[i];
            reason = !std::all_of(spacings.begin(), spacings.end(), [&](const DateSpacing& o) { return o.ordered == s.ordered; })
                         ? "the only reading that keeps the dates in order"
                         : s.irregular < 0.05 &&
                                   std::any_of(spacings.begin(), spacings.end(), [&](const DateSpacing& o) { return o.irregular >= 0.05; })
                               ? "the only reading whose dates lie at regular distances"
                               : "the only reading that puts no date on a weekend";
            return column.formats[i];
        }
    }
    std::string names;
    for (std::size_t i = 0; i < column.formats.size(); ++i)
        names += std::string(i == 0 ? "" : i + 1 == column.formats.size() ? " or " : ", ") + kDateFormatNames[column.formats[i] - 1];
    reason = "the dates read as " + names + ", and neither a day above 12 nor their spacing settles which";
    return 0;
}

// A decimal comma shows as digits, a comma and digits other than three (1,1052), or as a comma after a
// full stop (1.234,5); a decimal point as a full stop after a comma or a full stop alone. +1, -1, or 0
// for a cell that tells nothing.
int DecimalCommaVote(std::string_view cell, bool& bAmbiguous)
{
    const std::size_t comma = cell.rfind(',');
    const std::size_t point = cell.rfind('.');
    if (comma == std::string_view::npos)
        return point == std::string_view::npos ? 0 : (cell.size() - point - 1 == 3 && cell.find('.') == point &&
                                                              point > 0 && point <= 3 && cell[0] != '0' && cell[0] != '-'
                                                          ? (bAmbiguous = true, 0)
                                                          : -1);
    if (point != std::string_view::npos)
        return comma > point ? 1 : -1;
    std::size_t after = 0;
    while (comma + 1 + after < cell.size() && cell[comma + 1 + after] >= '0' && cell[comma + 1 + after] <= '9')
        ++after;
    if (after == 3 && cell[0] != '0' && comma <= 3) {
        bAmbiguous = true;
        return 0;
    }
    return after == 3 ? -1 : 1;
}

// The heading of each column: of the heading rows (up to three above the data), the nearest cell that
// names a role, else the nearest cell that is not empty.
void ReadHeadings(const Rows& rows, std::size_t nFirst, std::size_t nDataFields, std::vector<ColumnValues>& columns)
{
    // A heading row one field short of the data names the columns after the first: R writes its row names so.
    const int nShift = nFirst > 0 && rows[nFirst - 1].size() + 1 == nDataFields ? 1 : 0;
    for (ColumnValues& column : columns) {
        const int c = column.column - 1 - nShift;
        if (c < 0)
            continue;
        bool bNamed = false;
        for (std::size_t r = nFirst; r > 0 && nFirst - r < 3 && !bNamed; --r) {
            const std::string_view text = Cell(rows, r - 1, c);
            if (text.empty())
                continue;
            bool bWhole = false;
            const HeadingRole role = FindHeadingRole(text, bWhole);
            if (role != HeadingRole::kNone || column.heading.empty()) {
                column.heading = std::string(text);
                column.role = role;
                column.wholeHeading = bWhole;
                bNamed = role != HeadingRole::kNone;
            }
        }
    }
}

struct Evidence {
    DetectedLayout layout;
    int numericColumns = 0;
};

// The values of every column but the dates' over the data rows, oldest first.
std::vector<ColumnValues> ReadColumns(const Rows& rows, const std::vector<std::size_t>& dataRows, int nDateColumn,
                                      const NumberStyle& style)
{
    int nColumns = 0;
    for (const std::size_t r : dataRows)
        nColumns = std::max(nColumns, static_cast<int>(rows[r].size()));
    std::vector<ColumnValues> columns;
    for (int c = 0; c < nColumns; ++c) {
        if (c == nDateColumn)
            continue;
        ColumnValues& column = columns.emplace_back();
        column.column = c + 1;
        std::size_t numbers = 0;
        std::size_t others = 0;
        bool bTimes = true;
        column.whole = column.nonNegative = column.positive = column.constant = true;
        for (const std::size_t r : dataRows) {
            const std::string_view text = Cell(rows, r, c);
            float value = 0;
            const NumberResult result = ReadNumber(TextField{text, true}, style, value);
            bTimes = bTimes && TimeOfDay(text) >= 0;
            if (result == NumberResult::kNotANumber)
                ++others;
            if (result != NumberResult::kNumber) {
                column.values.push_back(std::numeric_limits<double>::quiet_NaN());
                continue;
            }
            ++numbers;
            const double v = value;
            column.whole = column.whole && v == std::floor(v);
            column.nonNegative = column.nonNegative && v >= 0;
            column.positive = column.positive && v > 0;
            for (auto it = column.values.rbegin(); it != column.values.rend(); ++it)
                if (!std::isnan(*it)) {
                    column.constant = column.constant && *it == v;
                    break;
                }
            column.values.push_back(v);
        }
        // A bad cell or two among numbers leaves the column a column of numbers: the run names their lines.
        column.readable = !bTimes && others <= std::max<std::size_t>(1, dataRows.size() / 10) && others <= numbers;
        column.numeric = column.readable && numbers > 0 && numbers * 2 >= dataRows.size();
    }
    return columns;
}

// A time of day given as HHMMSS, in seconds after midnight.
int SecondsOf(int hhmmss)
{
    return hhmmss / 10000 * 3600 + hhmmss / 100 % 100 * 60 + hhmmss % 100;
}

// The time frame of the rows: rows on one date with different times are intraday bars; else the gaps
// between the dates decide, and fewer than three dates leave the frame to the run. The order of the
// dates and a time in every date are noted. bWholeFile: the rows are all the file holds, so that its
// first and last day are whole.
void CheckDays(const Rows& rows, const std::vector<std::size_t>& dataRows, bool bWholeFile, DetectedLayout& layout)
{
    const int dateColumn = layout.column[kDateField] - 1;
    int nTimeColumn = -1;
    for (int c = 0; !dataRows.empty() && c < static_cast<int>(rows[dataRows[0]].size()) && nTimeColumn < 0; ++c)
        if (TimeOfDay(Cell(rows, dataRows[0], c)) >= 0)
            nTimeColumn = c;
    // Times in digits alone (093000) are told from numbers only by a heading that names them, only in a
    // column no field takes, and only where most dates have bars at several times: a monthly file whose
    // <TIME> column is 000000 but once keeps its rows a month apart.
    const auto fieldTakes = [&](int c) { return std::find(std::begin(layout.column), std::end(layout.column), c + 1) != std::end(layout.column); };
    const auto mostDatesHaveSeveralTimes = [&](int c) {
        std::size_t dates = 0, several = 0;
        for (std::size_t k = 0; k < dataRows.size();) {
            const std::string_view date = Cell(rows, dataRows[k], dateColumn);
            const std::string_view time = Cell(rows, dataRows[k], c);
            bool bSeveral = false;
            for (++k; k < dataRows.size() && Cell(rows, dataRows[k], dateColumn) == date; ++k)
                bSeveral = bSeveral || Cell(rows, dataRows[k], c) != time;
            ++dates;
            several += bSeveral ? 1 : 0;
        }
        return dates > 0 && several * 2 >= dates;
    };
    for (int c = 0; nTimeColumn < 0 && !dataRows.empty() && dataRows[0] > 0 && layout.skipRows > 0 &&
                    c < static_cast<int>(rows[dataRows[0]].size());
         ++c) {
        bool bWhole = false;
        if (!fieldTakes(c) && FindHeadingRole(Cell(rows, dataRows[0] - 1, c), bWhole) == HeadingRole::kTime &&
            NamedTimeOfDay(Cell(rows, dataRows[0], c)) >= 0 && mostDatesHaveSeveralTimes(c)) {
            nTimeColumn = c;
            layout.timeColumn = c + 1;
        }
    }
    struct Day {
        long day;
        int code;     // as MASTER holds dates: 1240105 for 2024-01-05
        int seconds;  // after midnight; -1 when the row has no time
    };
    std::vector<Day> days;
    bool bAllMidnight = true;
    bool bTimes = false;
    for (const std::size_t r : dataRows) {
        const DateRead date = ReadDate(Cell(rows, r, dateColumn), layout.dateFormat);
        if (date.result != DateResult::kDate)
            continue;
        if (date.time >= 0) {
            bTimes = true;
            bAllMidnight = bAllMidnight && date.time == 0;
        }
        const int columnTime = nTimeColumn >= 0 ? NamedTimeOfDay(Cell(rows, r, nTimeColumn)) : -1;
        const int time = columnTime >= 0 ? columnTime : date.time;
        days.push_back({CivilDays(date), (date.year - 1900) * 10000 + date.month * 100 + date.day,
                        time >= 0 ? SecondsOf(time) : -1});
    }
    // The times of each day, in the order the days come in the file.
    std::vector<std::vector<int>> dayTimes;
    std::vector<int> codes;
    for (std::size_t k = 0; k < days.size(); ++k) {
        if (k == 0 || days[k].day != days[k - 1].day) {
            dayTimes.emplace_back();
            codes.push_back(days[k].code);
        }
        if (days[k].seconds >= 0)
            dayTimes.back().push_back(days[k].seconds);
    }
    std::vector<std::size_t> order(days.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return days[a].day < days[b].day; });
    for (std::size_t k = 1; k < order.size() && !layout.intraday; ++k) {
        const Day& a = days[order[k - 1]];
        const Day& b = days[order[k]];
        layout.intraday = a.day == b.day && a.seconds != b.seconds;
    }
    if (layout.intraday) {
        layout.frame = FrameChoice::kIntraday;
        layout.bars = BarsOfDays(dayTimes, bWholeFile);
        if (nTimeColumn >= 0 && nTimeColumn != dateColumn)
            layout.notes.push_back("times in column " + std::to_string(nTimeColumn + 1));
    } else if (codes.size() >= 3) {
        switch (FrameFromDates(codes)) {
        case TimeFrame::kWeekly: layout.frame = FrameChoice::kWeekly; break;
        case TimeFrame::kMonthly: layout.frame = FrameChoice::kMonthly; break;
        default: layout.frame = FrameChoice::kDaily; break;
        }
    }
    if (days.size() > 1 && days.front().day > days.back().day)
        layout.notes.push_back("rows are newest first and will be written oldest first");
    if (bTimes && bAllMidnight)
        layout.notes.push_back("times in the date column are all 00:00:00");
    else if (bTimes && !layout.intraday)
        layout.notes.push_back("the date column holds one time a day, which is left out");
}

// The layout that one delimiter gives.
Evidence DetectWith(const Rows& rows, int nDelimiter, bool bFull, bool bWholeFile = false)
{
    Evidence evidence;
    DetectedLayout& layout = evidence.layout;
    layout.delimiter = nDelimiter;
    bool bTooEarly = false;
    const DateColumn dates = FindDateColumn(rows, bTooEarly);
    if (dates.column < 0) {
        layout.problem = bTooEarly ? "the dates lie before 1900 or after 2140, which the files cannot hold" : kNoDates;
        return evidence;
    }
    layout.column[kDateField] = dates.column + 1;
    layout.skipRows = static_cast<int>(dates.first);
    layout.exampleDate = Cell(rows, dates.first, dates.column);
    std::vector<std::size_t> dataRows;
    for (std::size_t r = dates.first; r < rows.size(); ++r)
        if (!rows[r].empty() && ReadDate(Cell(rows, r, dates.column), dates.formats[0]).result == DateResult::kDate)
            dataRows.push_back(r);
    for (int c = 0; c < kMaxColumn; ++c)
        if (c != dates.column) {
            const auto numbers = std::count_if(dataRows.begin(), dataRows.end(), [&](std::size_t r) { return IsNumber(Cell(rows, r, c)); });
            const auto readable = std::count_if(dataRows.begin(), dataRows.end(), [&](std::size_t r) { return IsNumberOrEmpty(Cell(rows, r, c)); });
            const auto rowCount = static_cast<std::ptrdiff_t>(dataRows.size());
            evidence.numericColumns += numbers > 0 && numbers * 2 >= rowCount && rowCount - readable <= std::max<std::ptrdiff_t>(1, rowCount / 10) ? 1 : 0;
        }
    layout.dateFormat = dates.formats[0];
    if (!bFull)
        return evidence;

    std::string dateReason;
    layout.dateFormat = SettleDateFormat(rows, dates, dateReason);
    layout.fields[kDateField] = {dates.column + 1, EvidenceSource::kValues,
                                 dates.first > 0 ? std::string(Cell(rows, dates.first - 1, dates.column)) : std::string(), ""};
    if (layout.dateFormat == 0) {
        layout.problem = dateReason;
        layout.openChoices.push_back(LayoutChoice::kDateFormat);
    } else {
        layout.fields[kDateField].reason = "Dates: column " + std::to_string(dates.column + 1) + ", read as " +
                                              kDateFormatNames[layout.dateFormat - 1] +
                                              (dateReason.empty() ? "" : ", " + dateReason);
    }
    const int nReadFormat = layout.dateFormat != 0 ? layout.dateFormat : dates.formats[0];

    // Oldest first, so that each row follows the one before.
    std::vector<long> dayOf(rows.size(), 0);
    for (const std::size_t r : dataRows)
        dayOf[r] = CivilDays(ReadDate(Cell(rows, r, dates.column), nReadFormat));
    std::vector<std::size_t> ordered = dataRows;
    if (ordered.size() > 1 && dayOf[ordered.front()] > dayOf[ordered.back()])
        std::reverse(ordered.begin(), ordered.end());
    std::stable_sort(ordered.begin(), ordered.end(), [&](std::size_t a, std::size_t b) { return dayOf[a] < dayOf[b]; });

    // The decimal mark: where a comma cannot stand inside a field, a full stop; else the cells decide.
    int votes = 0;
    bool bAmbiguous = false;
    for (const std::size_t r : dataRows)
        for (int c = 0; c < static_cast<int>(rows[r].size()); ++c)
            if (c != dates.column && IsNumber(Cell(rows, r, c)))
                votes += DecimalCommaVote(Cell(rows, r, c), bAmbiguous);
    NumberStyle style;
    style.delimiter = kDelimiters[nDelimiter];
    style.decimalComma = votes > 0;
    layout.decimalComma = style.decimalComma;
    if (votes == 0 && bAmbiguous && layout.problem.empty()) {
        layout.problem = "numbers such as 1,234 or 1.234 may hold a decimal mark or a thousands separator, and no "
                            "number of the file settles which";
        layout.openChoices.push_back(LayoutChoice::kDecimalComma);
    }

    std::vector<ColumnValues> columns = ReadColumns(rows, ordered, dates.column, style);
    ReadHeadings(rows, dates.first, dataRows.empty() ? 0 : rows[dataRows[0]].size(), columns);
    const ColumnRoles roles = AssignColumnRoles(columns);
    for (int f = kOpenField; f < kFieldCount; ++f) {
        layout.fields[f] = roles.fields[f];
        layout.column[f] = roles.fields[f].column;
    }
    layout.notes.insert(layout.notes.end(), roles.notes.begin(), roles.notes.end());
    if (!roles.problem.empty() && layout.problem.empty()) {
        layout.problem = roles.problem;
        layout.openChoices = roles.openChoices;
    }
    for (int i = 0; i < kFieldCount; ++i)
        if (layout.column[i] != 0)
            layout.columnNames.push_back(layout.fields[i].heading.empty() ? kFieldHeadings[i] : layout.fields[i].heading);
    if (layout.dateFormat != 0) {
        // Rows without a close are skipped by the run; their dates do not count.
        std::vector<std::size_t> closed;
        for (const std::size_t r : dataRows) {
            float value = 0;
            if (layout.column[kCloseField] == 0 ||
                ReadNumber(TextField{Cell(rows, r, layout.column[kCloseField] - 1), true}, style, value) == NumberResult::kNumber)
                closed.push_back(r);
        }
        CheckDays(rows, closed, bWholeFile, layout);
    }
    layout.found = layout.problem.empty();
    return evidence;
}

}  // namespace

namespace {

DetectedLayout DetectInLines(const std::vector<std::string>& lines, std::size_t nEvidence)
{
    Evidence best;
    best.layout.problem = kNoDates;
    int nBest = -1;
    for (int d = 0; d < kDelimiterCount; ++d) {
        const Rows rows = SplitLines(lines, kLinesRead, kDelimiters[d]);
        if (rows.empty()) {
            best.layout.problem = "the file holds no lines";
            return best.layout;
        }
        Evidence evidence = DetectWith(rows, d, false);
        if (evidence.layout.column[kDateField] == 0) {
            if (nBest < 0 && evidence.layout.problem != kNoDates)
                best = evidence;
            continue;
        }
        if (nBest < 0 || evidence.numericColumns > best.numericColumns ||
            (evidence.numericColumns == best.numericColumns && evidence.layout.skipRows < best.layout.skipRows)) {
            best = evidence;
            nBest = d;
        }
    }
    if (nBest < 0)
        return best.layout;
    if (best.numericColumns == 0) {
        best.layout.problem = "dates were found in column " + std::to_string(best.layout.column[kDateField]) +
                                 ", but no column of numbers beside them";
        return best.layout;
    }
    return DetectWith(SplitLines(lines, nEvidence, kDelimiters[nBest]), nBest, true, lines.size() < nEvidence).layout;
}

}  // namespace

DetectedLayout DetectLayoutInLines(const std::vector<std::string>& lines)
{
    return DetectInLines(lines, kEvidenceLines);
}

DetectedLayout DetectLayout(const std::string& path)
{
    const auto file = CurrentFileSystem().OpenForReading(PathFromText(path));
    if (!file) {
        DetectedLayout layout;
        layout.problem = "Cannot open the input file " + path + ": " + LastFailureReason();
        return layout;
    }
    return DetectLayout(*file, path);
}

DetectedLayout DetectLayout(IReadableFile& input, const std::string& path)
{
    CLineSource source(&input);
    std::vector<std::string> lines;
    std::string_view line;
    // Reads on to nLines lines; false when the input fails.
    const auto readTo = [&](int nLines) {
        while (static_cast<int>(lines.size()) < nLines && source.NextLine(line))
            lines.emplace_back(line);
        return !source.Failed();
    };
    DetectedLayout layout;
    if (readTo(kEvidenceLines)) {
        layout = DetectLayoutInLines(lines);
        // A choice the first lines leave open may be settled further on: the start of a long history can be
        // flat (open, high, low and close equal) or lack a day above 12.
        if (!layout.found && !layout.openChoices.empty() &&
            lines.size() == static_cast<std::size_t>(kEvidenceLines) && readTo(kMoreEvidenceLines) &&
            lines.size() > static_cast<std::size_t>(kEvidenceLines))
            layout = DetectInLines(lines, lines.size());
    }
    if (source.Failed()) {
        layout = DetectedLayout{};
        layout.problem = "Cannot read the input file " + path + ": " + source.FailureReason();
        return layout;
    }
    if (!layout.found)
        layout.problem = "No layout found in " + path + ": " + layout.problem;
    return layout;
}

const char* LayoutChoiceName(LayoutChoice choice)
{
    switch (choice) {
    case LayoutChoice::kDateColumn: return "the Date column";
    case LayoutChoice::kOpenColumn: return "the Open column";
    case LayoutChoice::kHighColumn: return "the High column";
    case LayoutChoice::kLowColumn: return "the Low column";
    case LayoutChoice::kCloseColumn: return "the Close column";
    case LayoutChoice::kVolumeColumn: return "the Volume column";
    case LayoutChoice::kOpenInterestColumn: return "the Open Int column";
    case LayoutChoice::kDateFormat: return "the date format";
    case LayoutChoice::kDelimiter: return "the delimiter";
    case LayoutChoice::kDecimalComma: return "whether numbers have a decimal comma";
    case LayoutChoice::kSkipRows: return "the rows to skip";
    }
    return "";
}

bool DetectedLayout::IsOpen(LayoutChoice choice) const
{
    return std::find(openChoices.begin(), openChoices.end(), choice) != openChoices.end();
}

namespace {

// " of weekly bars, one a week,"; empty for daily bars and a frame left to the run.
std::string FramePhrase(const DetectedLayout& layout)
{
    switch (layout.frame) {
    case FrameChoice::kWeekly:
    case FrameChoice::kMonthly: {
        const TimeFrame frame = StatedFrame(layout.frame);
        return std::string(" of ") + TimeFrameWord(frame) + " bars, " + FrameRate(frame) + ",";
    }
    case FrameChoice::kIntraday: return " of " + IntradayRate(layout.bars) + ",";
    case FrameChoice::kDaily:
    case FrameChoice::kFromDates: break;
    }
    return {};
}

}  // namespace

std::string DescribeLayout(const DetectedLayout& layout)
{
    if (!layout.found) {
        std::string text = layout.problem;
        if (!layout.openChoices.empty()) {
            text += ". Choose ";
            for (std::size_t i = 0; i < layout.openChoices.size(); ++i)
                text += std::string(i == 0 ? "" : i + 1 == layout.openChoices.size() ? " and " : ", ") +
                        LayoutChoiceName(layout.openChoices[i]);
            text += " yourself";
        }
        return text;
    }
    const std::string headings = layout.skipRows == 0   ? "no heading row"
                                 : layout.skipRows == 1 ? "1 heading row"
                                                         : std::to_string(layout.skipRows) + " heading rows";
    std::string columns;
    for (std::size_t i = 0; i < layout.columnNames.size(); ++i)
        columns += (i == 0 ? "" : ", ") + layout.columnNames[i];
    const char* szFormat = kDateFormatNames[layout.dateFormat - 1];
    std::string text = std::string("This looks like a ") + kDelimiterNames[layout.delimiter] + "-delimited file" +
                       FramePhrase(layout) + " with " + headings + ", dates like " + layout.exampleDate + " (" + szFormat +
                       "), and the columns " + columns + ".";
    std::string sources;
    for (const FieldEvidence& field : layout.fields)
        if (field.column != 0 && !field.reason.empty())
            sources += (sources.empty() ? " " : "; ") + field.reason;
    if (!sources.empty())
        text += sources + ".";
    std::vector<std::string> notes = layout.notes;
    if (layout.decimalComma)
        notes.insert(notes.begin(), "numbers have a decimal comma");
    if (!notes.empty()) {
        text.pop_back();  // the full stop
        for (const std::string& note : notes) {
            text += "; ";
            text += note;
        }
        text += '.';
    }
    return text;
}

}  // namespace engine
