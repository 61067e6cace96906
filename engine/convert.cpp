// The conversion proper: the rows read and checked first, then one data record per row.

#include <algorithm>
#include <string>

#include "engine/converter.h"
#include "engine/directory_commit.h"
#include "engine/row_reading.h"
#include "metastock/day_number.h"
#include "metastock/file_names.h"
#include "metastock/master_format.h"
#include "metastock/replacement_file.h"

namespace engine {

using namespace metastock;

int CConverter::ReadAhead()
{
    return (m_pInput || CheckInput() == 0) ? ReadRecords() : 1;
}

InputLayout CConverter::Layout() const
{
    InputLayout layout;
    layout.delimiter = m_szDelimiter[0];
    layout.bDecimalComma = m_bDecimalComma;
    layout.nDateFormat = m_nDateFormat;
    layout.nSkipRows = m_bSkipOn ? m_nSkipRows : 0;
    for (int i = 0; i < kFieldCount; ++i)
        layout.nColumn[static_cast<std::size_t>(i)] = (i == kDateField || m_bFieldOn[i]) ? m_nFieldCol[i] : -1;
    layout.bCombineIntraday = m_bCombineIntraday;
    layout.bSkipBadRows = m_bSkipBadRows;
    return layout;
}

// Reads and checks every row of the input before anything is staged; rows that cannot be read refuse
// the run with their lines, and nothing is written.
int CConverter::ReadRecords()
{
    if (!m_pInput && CheckInput() != 0)
        return 1;
    RowsRead rows = ReadRows(*m_pInput, Layout());
    m_pInput.reset();
    m_bRead = true;
    if (rows.Failed()) {
        if (rows.strProblem == "Cannot read the input file")
            ShowMessage("Cannot read the input file\n" + m_strInputPath);
        else if (!rows.badRows.empty())
            ShowMessage("Rows of " + m_strInputPath + " cannot be read:\n" + rows.strProblem +
                        "\nNothing was converted.");
        else
            ShowMessage(rows.strProblem);
        return 1;
    }
    m_rows = std::move(rows.records);
    m_strRowNotes = RowNotes(rows);
    m_strSkippedRows = rows.nBadRows > 0 ? ListBadRows(rows) : std::string();
    return 0;
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
    const std::uint8_t fileNumber = m_nFileNumber;
    if (!m_bRead && ReadRecords() != 0)
        return 1;
    m_nRecords = 0;
    m_firstDate = m_lastDate = MbfSingle{};
    for (const RowRecord& row : m_rows) {
        // An update takes only the rows after the security's last date.
        if (m_bUpdating && !(row.values[kDateField] > m_fHeldLastDate))
            continue;
        if (m_nHeldRecords + m_nRecords == kMaxDataRecords) {
            ShowMessage(std::string(m_szSymbol) + ": the update would give " + DataFileName(fileNumber) +
                        " more than 65,534 records, the most that one data file can hold.\nNothing was changed.");
            return 1;
        }
        for (int q = 0; q < kFieldCount; ++q)
            m_record[q] = FloatToMbf(m_bFieldOn[q] || q == kDateField ? row.values[static_cast<std::size_t>(q)] : 0.0f);
        if (m_nRecords == 0)
            m_firstDate = m_record[kDateField];
        m_lastDate = m_record[kDateField];
        if (AppendRecord(fileNumber) != 0)
            return 1;
        ++m_nRecords;
    }
    if (m_pDataFile && !m_pDataFile->Error().empty())
        return 1;  // a record could not be written; that was reported, and nothing is committed

    if (m_bUpdating && m_nRecords == 0) {
        // Nothing new: the directory stays as it was, unless MASTER's dates lag behind the data file (an
        // update killed between the data file's rename and MASTER's), which this run puts right.
        if (m_nHeldRecords == 0 || !MasterDatesLag(fileNumber))
            return 0;
        m_lastDate = FloatToMbf(m_fHeldLastDate);
    }

    // Without a single record the new security keeps its creation date as first and last date.
    const MbfSingle firstDate = m_bUpdating && m_nHeldRecords > 0 ? m_heldFirstDate : m_firstDate;
    const bool bDated = m_nRecords > 0 || (m_bUpdating && m_nHeldRecords > 0);
    const int bDatesFailed = bDated ? UpdateMasterDates(firstDate, m_lastDate, fileNumber) : 0;
    if (bDatesFailed || UpdateRecordCount(m_nHeldRecords + m_nRecords, fileNumber) != 0 ||
        (m_bUpdating && UpdateExtendedIndex(firstDate, m_lastDate) != 0) || Commit() != 0)
        return 1;
    return 0;
}

}  // namespace engine
