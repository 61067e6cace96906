#include "engine/directory/directory_check.h"

#include <cstdio>
#include <map>

#include "engine/input/time_frame.h"
#include "engine/text/code_page.h"
#include "metastock/commit_journal.h"
#include "metastock/day_number.h"
#include "metastock/directory_names.h"
#include "metastock/directory_reader.h"
#include "metastock/file_names.h"
#include "metastock/file_system.h"

namespace engine {

using namespace metastock;

namespace {

// A symbol as the report shows it: the index's Windows-1252 text in UTF-8, control characters escaped.
std::string Shown(const std::string& stored)
{
    return EscapeControls(Windows1252ToUtf8(stored));
}

// A time frame letter as the report shows it: the letter, or its number when it is no printable one.
std::string FrameLetterText(unsigned char letter)
{
    return letter > ' ' && letter < 0x7F ? std::string(1, static_cast<char>(letter)) : std::to_string(letter);
}

std::string Plural(std::size_t n, const char* szOne, const char* szMany)
{
    return std::to_string(n) + " " + (n == 1 ? szOne : szMany);
}

class CChecker {
public:
    CChecker(const DirectoryContents& contents, DirectoryReport& report) : m_contents(contents), m_report(report) {}

    void CheckIndexCounts();
    void CheckSymbolsAndNumbers();
    void CheckEmaster();
    void CheckSecurity(const SecurityEntry& security);
    void CheckLeftovers();
    void CheckJournal(const std::filesystem::path& path);

private:
    void Problem(std::string text) { m_report.problems.push_back(std::move(text)); }
    void CheckCount(const char* szFile, int nCount, std::size_t nWholeRecords);
    void CheckDates(const SecurityEntry& security, const SecurityData& data);
    void CheckFrame(const SecurityEntry& security, const SecurityData& data, const std::vector<CalendarDate>& dates);

    const DirectoryContents& m_contents;
    DirectoryReport& m_report;
};

void CChecker::CheckCount(const char* szFile, int nCount, std::size_t nWholeRecords)
{
    if (nCount < 0 || static_cast<std::size_t>(nCount) != nWholeRecords)
        Problem(std::string(szFile) + " counts " + std::to_string(nCount) + " securities in its header but holds " +
                Plural(nWholeRecords, "record", "records"));
}

void CChecker::CheckIndexCounts()
{
    CheckCount("MASTER", m_contents.master.count, m_contents.master.wholeRecords);
    // Other programs take their next file number from bytes 2..3: one below a number in use could give
    // a new security another's data file.
    const int headerNumber = ReadInt16(&m_contents.master.header[master_offset::kHighestFileNumber]);
    const int highest = HighestFileNumber(m_contents.master);
    if (headerNumber < highest)
        Problem("MASTER gives " + std::to_string(headerNumber) + " as the highest file number in use in its header, but " +
                DataFileName(highest) + " is listed");
    if (m_contents.extras.hasEmaster)
        CheckCount("EMASTER", m_contents.extras.emaster.count, m_contents.extras.emaster.wholeRecords);
    if (m_contents.extras.hasXmaster)
        CheckCount("XMASTER", m_contents.extras.xmaster.count, m_contents.extras.xmaster.wholeRecords);
    const std::pair<const char*, bool> cut[] = {{"MASTER", m_contents.master.partRecord},
                                                {"EMASTER", m_contents.extras.emaster.partRecord},
                                                {"XMASTER", m_contents.extras.xmaster.partRecord}};
    for (const auto& [szFile, bPartRecord] : cut)
        if (bPartRecord)
            Problem(std::string(szFile) + " ends in part of a record");
}

void CChecker::CheckSymbolsAndNumbers()
{
    std::map<std::string, const SecurityEntry*> symbols;
    std::map<int, const SecurityEntry*> numbers;
    for (const SecurityEntry& security : m_contents.securities) {
        const IndexEntry& entry = security.entry;
        if (security.dataFile.empty())
            Problem(std::string(entry.kind == IndexKind::kXmaster ? "XMASTER" : entry.kind == IndexKind::kEmaster ? "EMASTER" : "MASTER") +
                    " gives " + Shown(entry.symbol) + " the file number " + std::to_string(entry.fileNumber) + ", outside " +
                    (entry.kind == IndexKind::kXmaster ? "256 to 65535" : "1 to 255"));
        const auto [symbol, newSymbol] = symbols.emplace(UpperAscii(entry.symbol), &security);
        if (!newSymbol)
            Problem("Symbol " + Shown(entry.symbol) + " is listed twice, for " + symbol->second->dataFile + " and " +
                    security.dataFile);
        const auto [number, newNumber] = numbers.emplace(entry.fileNumber, &security);
        if (!newNumber)
            Problem("File number " + std::to_string(entry.fileNumber) + " is used by both " +
                    Shown(number->second->entry.symbol) + " and " + Shown(entry.symbol));
    }
}

// EMASTER repeats the MASTER securities with longer fields; each side must list the same ones.
void CChecker::CheckEmaster()
{
    if (!m_contents.extras.hasEmaster)
        return;
    std::map<int, const IndexEntry*> extended;
    for (const IndexEntry& entry : m_contents.extras.emaster.entries)
        extended.emplace(entry.fileNumber, &entry);
    for (const SecurityEntry& security : m_contents.securities) {
        if (security.masterRecord < 0)
            continue;
        const IndexEntry& entry = security.entry;
        const auto found = extended.find(entry.fileNumber);
        if (found == extended.end()) {
            Problem("EMASTER has no record for " + Shown(entry.symbol) + " (" + security.dataFile + ")");
            continue;
        }
        const IndexEntry& other = *found->second;
        if (UpperAscii(other.symbol) != UpperAscii(entry.symbol.substr(0, emaster_offset::kSymbolWidth)))
            Problem("EMASTER gives " + security.dataFile + " the symbol " + Shown(other.symbol) + ", MASTER " +
                    Shown(entry.symbol));
        if (other.fields != entry.fields)
            Problem("EMASTER gives " + Shown(entry.symbol) + " " + std::to_string(other.fields) + " fields, MASTER " +
                    std::to_string(entry.fields));
        // A blank letter says nothing; two letters must agree, since programs read one file or the other.
        const auto extendedFrame = static_cast<unsigned char>(AsciiUpper(other.timeFrame));
        const auto frame = static_cast<unsigned char>(AsciiUpper(entry.timeFrame));
        if (extendedFrame > ' ' && frame > ' ' && extendedFrame != frame)
            Problem("EMASTER gives " + Shown(entry.symbol) + " the time frame " + FrameLetterText(extendedFrame) +
                    ", MASTER " + FrameLetterText(frame));
        if (other.firstDate != entry.firstDate || other.lastDate != entry.lastDate)
            Problem("EMASTER gives " + Shown(entry.symbol) + " the dates " + IsoDateText(other.firstDate) + " to " +
                    IsoDateText(other.lastDate) + ", MASTER " + IsoDateText(entry.firstDate) + " to " +
                    IsoDateText(entry.lastDate));
        extended.erase(found);
    }
    for (const auto& [number, entry] : extended)
        Problem("EMASTER lists " + Shown(entry->symbol) + " with file number " + std::to_string(number) +
                ", which no MASTER security uses");
}

void CChecker::CheckSecurity(const SecurityEntry& security)
{
    const IndexEntry& entry = security.entry;
    if (security.masterRecord >= 0) {
        const MasterRecord& record = m_contents.master.records[static_cast<std::size_t>(security.masterRecord)];
        const std::string shown = entry.symbol.empty() ? security.dataFile : Shown(entry.symbol);
        if (entry.symbol.empty())
            Problem("MASTER record " + std::to_string(security.masterRecord + 1) + " (" + security.dataFile +
                    ") has no symbol");
        if (entry.fields == 0)
            Problem("MASTER gives " + shown + " 0 fields per data record");
        if (record[master_offset::kRecordLength] == 0)
            Problem("MASTER gives " + shown + " a data record length of 0 bytes");
        else if (record[master_offset::kRecordLength] != RecordLength(entry.fields))
            Problem("MASTER gives " + shown + " " + std::to_string(entry.fields) +
                    " fields but a record length of " + std::to_string(record[master_offset::kRecordLength]) +
                    " bytes");
    }
    SecurityData data;
    std::string error;
    if (!ReadSecurityData(m_contents, security, data, error)) {
        Problem(error);
        return;
    }
    const DataFile& file = data.file;
    if (static_cast<std::size_t>(file.headerRecords) < file.recordsPresent || file.partRecord)
        Problem(security.dataFile + " counts " + Plural(static_cast<std::size_t>(file.headerRecords), "record", "records") +
                " in its header but its size holds " + std::to_string(file.recordsPresent) +
                (file.partRecord ? " and part of another" : ""));
    CheckDates(security, data);
}

namespace {

// Records of a data file that share one fault: how many, and the first (counted from 1).
struct FaultyRecords {
    std::size_t count = 0;
    std::size_t first = 0;
    void Add(std::size_t k)
    {
        if (count++ == 0)
            first = k + 1;
    }
};

}  // namespace

void CChecker::CheckDates(const SecurityEntry& security, const SecurityData& data)
{
    const IndexEntry& entry = security.entry;
    const DataLayout& layout = data.layout;
    const int dateColumn = layout.ColumnOf(kDateField);
    const int highColumn = layout.ColumnOf(kHighField), lowColumn = layout.ColumnOf(kLowField);
    const int closeColumn = layout.ColumnOf(kCloseField);
    const int timeColumn = layout.ColumnOf(kTimeColumn);
    // Several records of one day are the rule in intraday data; there each bar's time orders them.
    const bool bDaily = IsDaily(security, layout);
    FaultyRecords unreadable, earlier, repeated, outside, highBelowLow, closeOutside;
    FaultyRecords untimed, timedEarlier, sameTime;
    int previous = 0;
    int previousTime = -1;  // HHMMSS of the bar ahead, -1 when it had no readable time
    std::vector<CalendarDate> readable;
    for (std::size_t k = 0; k < static_cast<std::size_t>(data.file.headerRecords); ++k) {
        if (highColumn >= 0 && lowColumn >= 0) {
            const float high = MbfToFloat(data.file.Value(k, highColumn)), low = MbfToFloat(data.file.Value(k, lowColumn));
            if (high < low)
                highBelowLow.Add(k);
            else if (closeColumn >= 0) {
                const float close = MbfToFloat(data.file.Value(k, closeColumn));
                if (close < low || close > high)
                    closeOutside.Add(k);
            }
        }
        const CalendarDate date = DateCodeToDate(data.file.Value(k, dateColumn));
        const int code = date.year * 10000 + date.month * 100 + date.day;
        if (code == 0 || date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31) {
            unreadable.Add(k);
            continue;
        }
        readable.push_back(date);
        if (code < previous)
            earlier.Add(k);
        else if (code == previous && bDaily)
            repeated.Add(k);
        if (timeColumn >= 0) {
            metastock::TimeOfDay time;
            const bool bTimed = TimeCodeToTime(data.file.Value(k, timeColumn), time);
            const int hhmmss = bTimed ? time.hour * 10000 + time.minute * 100 + time.second : -1;
            if (!bTimed)
                untimed.Add(k);
            else if (code == previous && previousTime >= 0 && hhmmss < previousTime)
                timedEarlier.Add(k);
            else if (code == previous && hhmmss == previousTime)
                sameTime.Add(k);
            previousTime = hhmmss;
        }
        if (entry.firstDate != 0 && entry.lastDate != 0 && (code < entry.firstDate || code > entry.lastDate))
            outside.Add(k);
        previous = code;
    }
    const std::string& file = security.dataFile;
    auto report = [&](const FaultyRecords& records, const std::string& what) {
        if (records.count)
            Problem(file + " holds " + Plural(records.count, "record", "records") + " " + what + ", the first is record " +
                    std::to_string(records.first));
    };
    report(unreadable, "with an unreadable date");
    report(earlier, "dated before the record ahead of it");
    report(repeated, "dated the same day as the record ahead of it");
    report(outside, "dated outside " + IsoDateText(entry.firstDate) + " to " + IsoDateText(entry.lastDate) +
                        ", the dates its index gives");
    report(highBelowLow, "whose high is below its low");
    report(closeOutside, "whose close is outside its high and low");
    // Intraday bars: the security and the first bar's date and time, to find it in a chart.
    auto reportBars = [&](const FaultyRecords& bars, const std::string& what) {
        if (!bars.count)
            return;
        const std::size_t k = bars.first - 1;
        std::string when = IsoDateText(DateCodeToDate(data.file.Value(k, dateColumn)));
        metastock::TimeOfDay time;
        if (TimeCodeToTime(data.file.Value(k, timeColumn), time)) {
            char text[16];
            std::snprintf(text, sizeof text, " %02d:%02d:%02d", time.hour, time.minute, time.second);
            when += text;
        }
        Problem(file + " (" + Shown(entry.symbol) + ") holds " + Plural(bars.count, "bar", "bars") + " " + what +
                ", the first is bar " + std::to_string(bars.first) + " at " + when);
    };
    reportBars(untimed, "whose time is no time of day");
    reportBars(timedEarlier, "timed before the bar ahead of it on the same day");
    reportBars(sameTime, "at the same date and time as the bar ahead of it");
    CheckFrame(security, data, readable);
}

namespace {

// The days between two dates; -1 when either is outside the range that day numbers hold.
int DaysBetween(const CalendarDate& from, const CalendarDate& to)
{
    const int a = DayNumber(from.year, from.month, from.day), b = DayNumber(to.year, to.month, to.day);
    return a == 0 || b == 0 ? -1 : b - a;
}

}  // namespace

// The time frame the index gives against what the records hold: a time of day for intraday bars only,
// and for daily, weekly and monthly bars the frame their dates make.
void CChecker::CheckFrame(const SecurityEntry& security, const SecurityData& data, const std::vector<CalendarDate>& dates)
{
    const std::string shown = security.dataFile + " (" + Shown(security.entry.symbol) + ")";
    const TimeFrame stated = TimeFrameOf(security, DataLayout{});  // the index's letter alone
    if (stated == TimeFrame::kUnknown)
        return;
    if (data.layout.HasTime() != (stated == TimeFrame::kIntraday)) {
        Problem(shown + " is " + TimeFrameWord(stated) + " in its index, but its records hold " +
                (data.layout.HasTime() ? "a time of day" : "no time of day"));
        return;
    }
    // Fewer than 3 dates make no frame.
    if ((stated != TimeFrame::kDaily && stated != TimeFrame::kWeekly && stated != TimeFrame::kMonthly) ||
        dates.size() < 3)
        return;
    std::vector<int> codes;
    codes.reserve(dates.size());
    int shortestGap = -1;
    for (std::size_t k = 0; k < dates.size(); ++k) {
        codes.push_back((dates[k].year - 1900) * 10000 + dates[k].month * 100 + dates[k].day);
        const int gap = k == 0 ? -1 : DaysBetween(dates[k - 1], dates[k]);
        if (gap >= 0 && (shortestGap < 0 || gap < shortestGap))
            shortestGap = gap;
    }
    const TimeFrame found = engine::FrameFromDates(codes);
    // A thinly traded issue's daily bars can be a week apart on the median; bars on neighbouring days
    // tell them from weekly or monthly bars, which are never fewer than 3 days apart.
    if (found == stated || (stated == TimeFrame::kDaily && shortestGap >= 0 && shortestGap < 3))
        return;
    Problem(shown + " is " + TimeFrameWord(stated) + " in its index, but its " + std::to_string(dates.size()) +
            " dates from " + IsoDateText(dates.front()) + " to " + IsoDateText(dates.back()) + " are " +
            engine::FrameRate(found));
}

void CChecker::CheckLeftovers()
{
    std::vector<std::filesystem::path> names;
    std::string reason;
    if (!CurrentFileSystem().List(m_contents.directory, names, reason)) {
        Problem("Cannot list the directory " + m_contents.directory.string() + ": " + reason);
        return;
    }
    for (const std::filesystem::path& name : names) {
        if (IsTemporaryName(name.string()))
            Problem(name.string() + " is a temporary file left behind by a run that did not finish");
        if (EqualIgnoringCase(name.string(), kJournalName))
            CheckJournal(m_contents.directory / name);
    }
}

// A journal is a change that was made but not carried out to its end: the next run that writes to the
// directory finishes it, unless the journal cannot be read.
void CChecker::CheckJournal(const std::filesystem::path& path)
{
    std::vector<std::uint8_t> bytes;
    CommitJournal journal;
    std::string problem;
    if (!CurrentFileSystem().ReadWholeFile(path, bytes))
        problem = "it cannot be read: " + LastFailureReason();
    else
        ParseJournal(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), journal, problem);
    if (problem.empty())
        Problem(path.filename().string() + " holds a change that was interrupted; the next run that writes to the "
                                           "directory finishes it");
    else
        Problem(path.filename().string() + " holds a change that was interrupted, but " + problem +
                ": no run writes to the directory until it is put right");
}

}  // namespace

DirectoryReport CheckDirectory(const std::filesystem::path& directory)
{
    DirectoryReport report;
    DirectoryContents contents;
    std::string error;
    if (!ReadDirectory(directory, contents, error)) {
        report.problems.push_back(error);
        return report;
    }
    report.securities = static_cast<int>(contents.securities.size());
    CChecker checker(contents, report);
    checker.CheckIndexCounts();
    checker.CheckSymbolsAndNumbers();
    checker.CheckEmaster();
    for (const SecurityEntry& security : contents.securities)
        checker.CheckSecurity(security);
    checker.CheckLeftovers();
    return report;
}

}  // namespace engine
