// The conversion proper: one data record per input line that holds a token.

#include <algorithm>
#include <string>

#include "engine/converter.h"
#include "engine/directory_commit.h"
#include "engine/input_rows.h"
#include "engine/text_reader.h"
#include "metastock/file_names.h"
#include "metastock/master_format.h"
#include "metastock/replacement_file.h"

namespace engine {

using namespace metastock;

namespace {

// Collects the records in memory.
class CMemorySink : public IRecordSink {
public:
    explicit CMemorySink(std::vector<std::uint8_t>& records) : m_records(records) {}
    int Append(const std::uint8_t* record, std::size_t length) override
    {
        m_records.insert(m_records.end(), record, record + length);
        return 0;
    }

private:
    std::vector<std::uint8_t>& m_records;
};

const char* const kTooManyRowsMessage =
    "The input holds more than 65,534 data rows,\nthe most that one data file can hold.\n"
    "Only the first 65,534 rows were converted.";

// Tells what the read step left out or could not read: 1 when the input failed.
int ReportRows(const RowsRead& rows, const std::string& inputPath, IMessageSink& messages)
{
    if (rows.beyondRoom)
        messages.ShowMessage(kTooManyRowsMessage);
    if (!rows.readFailed)
        return 0;
    messages.ShowMessage("Cannot read the input file\n" + inputPath);
    return 1;
}

}  // namespace

// The read step hands each record to the run's data-file buffer.
class CConverter::CDataFileSink : public IRecordSink {
public:
    explicit CDataFileSink(CConverter& converter) : m_converter(converter) {}
    int Append(const std::uint8_t* record, std::size_t length) override
    {
        return m_converter.AppendRecord(record, length);
    }

private:
    CConverter& m_converter;
};

int ReadAhead(const ConversionJob& job, IMessageSink& messages, RecordsReadAhead& ahead)
{
    std::string inputPath;
    const std::unique_ptr<CTextReader> input = OpenInput(job.inputPath, messages, inputPath);
    if (!input)
        return 1;
    ahead = RecordsReadAhead{};
    RowWindow window;
    window.room = kMaxDataRecords;
    CMemorySink sink(ahead.records);
    const RowsRead rows = ReadInputRows(*input, job.layout, window, sink, messages);
    ahead.count = rows.records;
    ahead.firstDate = rows.firstDate;
    ahead.lastDate = rows.lastDate;
    ahead.dateStyleFailed = rows.dateStyleFailed;
    ahead.rowsFailed = rows.beyondRoom;
    return ReportRows(rows, inputPath, messages);
}

void CConverter::UseRecordsReadAhead(RecordsReadAhead ahead)
{
    m_dataBuffer = std::move(ahead.records);
    m_nDataBytes = m_dataBuffer.size();
    m_result.records = ahead.count;
    m_result.firstDate = ahead.firstDate;
    m_result.lastDate = ahead.lastDate;
    m_bDateStyleFailed = ahead.dateStyleFailed;
    m_bRowsFailed = ahead.rowsFailed;
    m_bRead = true;
}

// Reads every line of the input into data records, into the staged data file.
int CConverter::ReadRecords()
{
    if (!m_pInput && CheckInput() != 0)
        return 1;
    m_bRead = true;
    m_bDateStyleFailed = m_bRowsFailed = false;
    RowWindow window;
    window.afterDateOnly = m_result.updated;
    window.afterDate = m_fHeldLastDate;
    window.room = kMaxDataRecords - (m_result.updated ? m_result.heldRecords : 0);
    CDataFileSink sink(*this);
    const RowsRead rows = ReadInputRows(*m_pInput, m_job.layout, window, sink, m_services.messages);
    m_pInput.reset();
    m_result.records = rows.records;
    m_result.firstDate = rows.firstDate;
    m_result.lastDate = rows.lastDate;
    m_bDateStyleFailed = rows.dateStyleFailed;
    if (rows.beyondRoom && m_result.updated && m_result.heldRecords > 0) {
        ShowMessage(m_job.symbol + ": the update would give " + DataFileName(m_result.fileNumber) +
                    " more than 65,534 records, the most that one data file can hold.\nNothing was changed.");
        return 1;
    }
    // Rows beyond the limit, or a record that could not be written (that was reported), still leave the
    // records before them.
    m_bRowsFailed = rows.beyondRoom || rows.status != 0;
    return ReportRows(rows, m_strInputPath, m_services.messages);
}

bool CConverter::MasterDatesLag(std::uint8_t nFileNumber)
{
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
    const std::uint8_t fileNumber = m_result.fileNumber;
    const bool bUpdating = m_result.updated;
    const int nHeld = m_result.heldRecords;
    if (!m_bRead && ReadRecords() != 0)
        return 1;
    if (m_pDataFile && !m_pDataFile->Error().empty())
        return 1;  // a record could not be written; that was reported, and nothing is committed

    MbfSingle lastDate = m_result.lastDate;
    if (bUpdating && m_result.records == 0) {
        // Nothing new: the directory stays as it was, unless MASTER's dates lag behind the data file (an
        // update killed between the data file's rename and MASTER's), which this run puts right.
        if (nHeld == 0 || !MasterDatesLag(fileNumber))
            return m_bDateStyleFailed ? 1 : 0;
        lastDate = FloatToMbf(m_fHeldLastDate);
    }

    // Without a single record the new security keeps its creation date as first and last date.
    const MbfSingle firstDate = bUpdating && nHeld > 0 ? m_heldFirstDate : m_result.firstDate;
    const bool bDated = m_result.records > 0 || (bUpdating && nHeld > 0);
    const int bDatesFailed = bDated ? UpdateMasterDates(firstDate, lastDate, fileNumber) : 0;
    if (bDatesFailed || UpdateRecordCount(nHeld + m_result.records, fileNumber) != 0 ||
        (bDated && UpdateExtendedIndex(firstDate, lastDate) != 0) || Commit() != 0)
        return 1;
    // A date style that does not match, or rows beyond the limit, still leave the security committed.
    return (m_bDateStyleFailed || m_bRowsFailed) ? 1 : 0;
}

}  // namespace engine
