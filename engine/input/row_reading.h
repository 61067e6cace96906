#pragma once
// Reads and checks every row of an input file before anything is written: the data records in date
// order, or the rows that cannot be read with their line numbers and reasons.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/job/conversion_job.h"
#include "metastock/data_file_format.h"
#include "metastock/file_system.h"
#include "metastock/large_block.h"
#include "metastock/master_format.h"
#include "metastock/mbf.h"

namespace engine {

struct BadRow {
    int line = 0;
    std::string reason;  // "Line 17: the high `12.5abc` is not a number"
};

struct CheckedRows {
    // The data records of the rows, oldest first, as the data file holds them: the fields that are on,
    // four bytes each, the date first (and the time of day after it, for intraday bars). They are made
    // as the rows are read, so that a run writes them as they stand.
    metastock::RecordBytes records;
    std::size_t recordLength = 4;
    metastock::TimeFrame frame = metastock::TimeFrame::kDaily;  // of the security the records make
    int intervalMinutes = 0;  // intraday: the even gap between bars in minutes; 0 when it is not even
    std::vector<BadRow> badRows;        // the first kListedBadRows, in line order
    int badRowCount = 0;                   // all of them
    int withoutPrices = 0;             // rows without a close, skipped
    int closeOnly = 0;                 // rows with a close and no other price, which stands for them
    int combinedDays = 0;              // days whose intraday bars were combined
    int footerLines = 0;               // lines of text after the last row ("Data provided by ..."), left out
    int repeatedRows = 0;              // rows that repeat the row before on the same date, left out
    int outsideDates = 0;              // rows dated outside the layout's date range, left out
    std::int32_t fromDate = 0;         // with outsideDates: the range, as the layout gives it
    std::int32_t toDate = 0;
    // The offsets from UTC that the times were written with ("+01:00"), the first few: the bars keep
    // the date and time as written.
    std::vector<std::string> timeOffsets;
    // Rows with times, no two on one date, read as days: the time of each record (HHMMSS, -1 for none),
    // so that an update of an intraday security can take them as its bars (TakeAsBars).
    std::vector<int> dayTimes;
    bool sorted = false;               // the rows were not oldest first
    bool newestFirst = false;          // they were newest first
    bool readFailed = false;           // opening or reading the input failed
    std::string readFailure;         // with readFailed: the system's reason
    std::string problem;             // why the input cannot be converted; empty when it can
    // With layout.refuseMisfit, when the first data row did not fit: the input's first lines.
    std::vector<std::string> misfitLines;

    bool Failed() const { return !problem.empty(); }
    int FieldCount() const { return static_cast<int>(recordLength / 4); }  // the date (and time) included
    std::size_t Count() const { return records.size() / recordLength; }
    const std::uint8_t* Record(std::size_t k) const { return records.data() + k * recordLength; }
    metastock::MbfSingle Date(std::size_t k) const { return metastock::MbfAt(Record(k)); }
    // HHMMSS of an intraday bar's time; -1 for records without one.
    int Time(std::size_t k) const
    {
        return frame == metastock::TimeFrame::kIntraday ? static_cast<int>(metastock::MbfToFloat(metastock::MbfAt(Record(k) + 4)))
                                                        : -1;
    }
};

inline constexpr int kListedBadRows = 5;

// Reads every row of the input in one pass. Rows dated outside layout.fromDate to layout.toDate are left
// out first. Rows with times, several on one date, are intraday bars, each record holding its time,
// unless layout.combineIntraday combines them into days. Fails (problem set) on rows that cannot be read
// unless layout.skipBadRows (two bars at one date and time among them), on a first data row that does
// not fit the layout with layout.refuseMisfit, on a first date whose style does not match the date
// format, on a stated frame that the rows contradict, on more rows than a data file holds, and on a read
// error. An input without a row is no failure here: the run refuses it, naming the file.
CheckedRows ReadRows(metastock::IReadableFile& input, const InputLayout& layout);

// Makes rows read as days with times (dayTimes) intraday bars, each record holding its time after the
// date: the rows for an intraday security. False, the rows unchanged, when they had no times.
bool TakeAsBars(CheckedRows& rows);

// "Line 17: ...", one per listed bad row, then "and 3 more rows" when there are more.
std::string ListBadRows(const CheckedRows& rows);

// The summary's notes: "2 rows without prices skipped", "rows were newest first; written oldest first",
// "3 rows that cannot be read skipped", "intraday bars combined into 5 days", "40 rows outside
// 2024-01-01 to 2024-03-31 left out", "times kept as written, with their offset +01:00"; joined by "; ".
std::string RowNotes(const CheckedRows& rows);

}  // namespace engine
