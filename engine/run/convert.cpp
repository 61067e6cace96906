// The conversion proper: the rows read and checked first, then one data record per row.

#include <algorithm>
#include <string>

#include "engine/directory/directory_commit.h"
#include "engine/input/input_rows.h"
#include "engine/run/converter.h"
#include "metastock/file_names.h"
#include "metastock/master_format.h"
#include "metastock/replacement_file.h"

namespace engine {

using namespace metastock;

std::string RowsProblem(const CheckedRows& rows, const ConversionJob& job)
{
    const std::string inputPath = AbsoluteInputPath(job.inputPath);
    if (rows.readFailed)
        return rows.problem + "\n" + inputPath + ": " + rows.readFailure;
    if (rows.badRowCount > 0 && !job.layout.skipBadRows)
        return "Rows of " + inputPath + " cannot be read:\n" + ListBadRows(rows) + "\nNothing was converted.";
    if (rows.Failed())
        return rows.problem;
    if (rows.Count() == 0)  // a security without a single record would be no security
        return inputPath + " holds no price rows";
    return {};
}

namespace {

// Shows the problem of the rows, if any: 0 when they can be converted.
int ReportRows(const CheckedRows& rows, const ConversionJob& job, IMessageSink& messages)
{
    const std::string problem = RowsProblem(rows, job);
    if (problem.empty())
        return 0;
    messages.ShowMessage(problem);
    return 1;
}

}  // namespace

CheckedRows CheckJobRows(const ConversionJob& job)
{
    const std::string inputPath = AbsoluteInputPath(job.inputPath);
    CheckedRows rows;
    const std::unique_ptr<IReadableFile> input = OpenInputFile(inputPath, rows.readFailure);
    if (input)
        return ReadRows(*input, job.layout);
    rows.readFailed = true;
    rows.problem = "Cannot open the input file";
    return rows;
}

int ReadAhead(const ConversionJob& job, IMessageSink& messages, RecordsReadAhead& ahead)
{
    std::string inputPath;
    const std::unique_ptr<IReadableFile> input = OpenInput(job.inputPath, messages, inputPath);
    if (!input)
        return 1;
    CheckedRows rows = ReadRows(*input, job.layout);
    if (ReportRows(rows, job, messages) != 0)
        return 1;
    ahead = TakeRecordsReadAhead(rows);
    return 0;
}

RecordsReadAhead TakeRecordsReadAhead(CheckedRows& rows)
{
    RecordsReadAhead ahead;
    RowWindow window;
    window.room = kMaxDataRecords;
    const RowsInWindow put = FindRows(rows, window);
    ahead.count = put.records;
    ahead.firstDate = put.firstDate;
    ahead.lastDate = put.lastDate;
    ahead.firstTime = put.firstTime;
    ahead.lastTime = put.lastTime;
    ahead.fields = rows.FieldCount();
    ahead.frame = rows.frame;
    ahead.intervalMinutes = rows.intervalMinutes;
    ahead.records = std::move(rows.records);  // every record: the reading refuses more than a data file holds
    ahead.rowNotes = RowNotes(rows);
    ahead.skippedRows = rows.badRowCount > 0 ? ListBadRows(rows) : std::string();
    return ahead;
}

void CConverter::UseRecordsReadAhead(RecordsReadAhead ahead)
{
    m_dataBuffer = std::move(ahead.records);
    m_nDataBytes = m_dataBuffer.size();
    m_result.records = ahead.count;
    m_result.firstDate = ahead.firstDate;
    m_result.lastDate = ahead.lastDate;
    m_result.firstTime = ahead.firstTime;
    m_result.lastTime = ahead.lastTime;
    m_result.frame = ahead.frame;
    m_result.intervalMinutes = ahead.intervalMinutes;
    m_nRecordFields = ahead.fields;
    m_result.rowNotes = std::move(ahead.rowNotes);
    m_result.skippedRows = std::move(ahead.skippedRows);
    m_bRead = m_bReadAhead = true;
}

// Reads and checks every row of the input before anything is staged: rows that cannot be read refuse
// the run with their lines, and nothing is written. Rows handed to the run are checked the same way.
int CConverter::ReadRecords()
{
    if (m_bRowsGiven) {
        m_strInputPath = AbsoluteInputPath(m_job.inputPath);
    } else {
        if (!m_pInput && CheckInput() != 0)
            return 1;
        m_rows = ReadRows(*m_pInput, m_job.layout);
        m_pInput.reset();
    }
    m_bRowsGiven = false;
    if (ReportRows(m_rows, m_job, m_services.messages) != 0) {
        m_result.misfitLines = std::move(m_rows.misfitLines);
        m_rows = CheckedRows{};
        return 1;
    }
    m_bRead = true;
    m_nRecordFields = m_rows.FieldCount();
    m_result.frame = m_rows.frame;
    m_result.intervalMinutes = m_rows.intervalMinutes;
    m_result.rowNotes = RowNotes(m_rows);
    m_result.skippedRows = m_rows.badRowCount > 0 ? ListBadRows(m_rows) : std::string();
    return 0;
}

void CConverter::UseCheckedRows(CheckedRows rows)
{
    m_rows = std::move(rows);
    m_bRowsGiven = true;
}

// Puts the records read into the staged data file: for an update only those after the security's last
// date, or last date and time for intraday bars.
int CConverter::WriteRecords()
{
    RowWindow window;
    window.afterDateOnly = m_result.updated;
    window.afterDate = m_fHeldLastDate;
    window.afterTime = m_nHeldLastTime;
    window.room = kMaxDataRecords - (m_result.updated ? m_result.heldRecords : 0);
    const RowsInWindow rows = FindRows(m_rows, window);
    m_result.records = rows.records;
    m_result.firstDate = rows.firstDate;
    m_result.lastDate = rows.lastDate;
    m_result.firstTime = rows.firstTime;
    m_result.lastTime = rows.lastTime;
    if (rows.beyondRoom) {
        ShowMessage(m_job.symbol + ": the update would give " + DataFileName(m_result.fileNumber) +
                    " more than 65,534 records, the most that one data file can hold.\nNothing was changed.");
        return 1;
    }
    return AppendRecords(rows.Bytes(m_rows), rows.Size(m_rows));
}

bool CConverter::MasterDatesLag(int nFileNumber)
{
    if (nFileNumber >= kFirstWideFileNumber && m_pCommit) {  // XMASTER keeps its dates as YYYYMMDD
        for (const IndexEntry& entry : m_pCommit->Extras().xmaster.entries)
            if (entry.fileNumber == nFileNumber)
                return entry.firstDate != DateCodeToYyyymmdd(m_heldFirstDate) ||
                       entry.lastDate != DateCodeToYyyymmdd(FloatToMbf(m_fHeldLastDate));
        return false;
    }
    const MasterRecord* record = m_pCommit ? m_pCommit->Record(nFileNumber) : nullptr;
    if (!record)
        return false;
    const MbfSingle heldFirst = m_heldFirstDate;
    const MbfSingle heldLast = FloatToMbf(m_fHeldLastDate);
    return !std::equal(heldFirst.begin(), heldFirst.end(), &(*record)[master_offset::kFirstDate]) ||
           !std::equal(heldLast.begin(), heldLast.end(), &(*record)[master_offset::kLastDate]);
}

int CConverter::Convert()
{
    const int fileNumber = m_result.fileNumber;
    const bool bUpdating = m_result.updated;
    const int nHeld = m_result.heldRecords;
    if ((!m_bRead && ReadRecords() != 0) || (!m_bReadAhead && WriteRecords() != 0))
        return 1;
    if (m_pDataFile && !m_pDataFile->Error().empty())
        return 1;  // a record could not be written; that was reported, and nothing is committed

    MbfSingle lastDate = m_result.lastDate;
    int nLastTime = m_result.lastTime;
    if (bUpdating && m_result.records == 0) {
        // Nothing new: the directory stays as it was, unless MASTER's dates lag behind the data file (an
        // update killed between the data file's rename and MASTER's), which this run puts right.
        if (nHeld == 0 || !MasterDatesLag(fileNumber))
            return 0;
        lastDate = FloatToMbf(m_fHeldLastDate);
        nLastTime = m_nHeldLastTime;
    }

    // A new security has a record at least: the reading refuses an input without one.
    const MbfSingle firstDate = bUpdating && nHeld > 0 ? m_heldFirstDate : m_result.firstDate;
    const int nFirstTime = bUpdating && nHeld > 0 ? m_nHeldFirstTime : m_result.firstTime;
    if (UpdateIndexDates(firstDate, lastDate, fileNumber, nFirstTime, nLastTime) != 0 ||
        UpdateRecordCount(nHeld + m_result.records, fileNumber) != 0 || Commit() != 0)
        return 1;
    return 0;
}

}  // namespace engine
