// The job's work on a security's data file F<n>.DAT and column list F<n>.DOP. Both are written whole into
// temporary files (F<n>.NEW, F<n>.DOP.~NU) that the commit puts in place before MASTER names them.

#include <algorithm>
#include <string>
#include <vector>

#include "engine/directory/directory_commit.h"
#include "engine/run/converter.h"
#include "metastock/data_file_format.h"
#include "metastock/directory_names.h"
#include "metastock/file_names.h"
#include "metastock/replacement_file.h"

namespace engine {

using namespace metastock;

// Stages a new security file with the given contents; the data file stays open for the run's records.
int CConverter::WriteSecurityFile(const std::string& name, const void* data, std::size_t size)
{
    CReplacementFile* file = m_pCommit ? m_pCommit->StageFile(name) : nullptr;
    if (!file)
        return 1;
    if (!file->Write(data, size)) {
        ShowMessage(file->Error());
        return 1;
    }
    if (!name.ends_with(".DOP")) {  // F<n>.DAT, or F<n>.MWD of an XMASTER security
        m_pDataFile = file;
        m_strDataFile = file->Target().string();
        m_nDataBytes = size + m_dataBuffer.size();  // records read ahead follow the header
    }
    return 0;
}

int CConverter::CreateDataFile(int nFileNumber)
{
    const std::vector<std::uint8_t> header = NewDataFileHeader(m_nRecordFields);
    m_nDataFileNumber = nFileNumber;
    return WriteSecurityFile(DataFileName(nFileNumber), header.data(), header.size());
}

int CConverter::CreateColumnList(int nFileNumber)
{
    const std::string text = ColumnListText(m_job.layout.fieldOn, m_result.frame == TimeFrame::kIntraday);
    return WriteSecurityFile(ColumnListName(nFileNumber), text.data(), text.size());
}

int CConverter::FlushDataFile()
{
    const bool written = m_pDataFile->Write(m_dataBuffer.data(), m_dataBuffer.size());
    m_dataBuffer.clear();
    if (written)
        return 0;
    ShowMessage(m_pDataFile->Error());
    return 1;
}

// Writes the run's records after those the data file holds, in one piece: they are in memory already.
int CConverter::AppendRecords(const std::uint8_t* records, std::size_t size)
{
    if (!m_pDataFile || m_nDataFileNumber != m_result.fileNumber) {
        ShowMessage("No data file is open for file number " + std::to_string(m_result.fileNumber));
        return 1;
    }
    if (FlushDataFile() != 0)
        return 1;
    if (!m_pDataFile->Write(records, size)) {
        ShowMessage(m_pDataFile->Error());
        return 1;
    }
    m_nDataBytes += size;
    return 0;
}

// Writes the number of the last record into the header of the staged data file. The header never counts
// more records than the file holds.
int CConverter::UpdateRecordCount(int nRecords, int nFileNumber)
{
    if (!m_pDataFile || m_nDataFileNumber != nFileNumber) {
        ShowMessage("No data file is open for file number " + std::to_string(nFileNumber));
        return 1;
    }
    if (!m_pDataFile->Error().empty())  // a record could not be written; that was reported
        return 1;
    if (FlushDataFile() != 0)
        return 1;
    const std::size_t length = static_cast<std::size_t>(RecordLength(m_nRecordFields));
    if (length == 0 || m_nDataBytes < length) {
        ShowMessage("Cannot read the header record of " + m_strDataFile);
        return 1;
    }
    const std::size_t held = m_nDataBytes / length - 1;
    std::uint8_t header[4] = {};
    SetLastRecordNumber(header, static_cast<int>(std::min<std::size_t>(held, static_cast<std::size_t>(nRecords))));
    if (!m_pDataFile->Patch(2, header + 2, 2)) {
        ShowMessage(m_pDataFile->Error());
        return 1;
    }
    return ReportMissingRecords(held, nRecords);
}

int CConverter::ReportMissingRecords(std::uintmax_t nHeld, int nRecords)
{
    if (nHeld >= static_cast<std::uintmax_t>(nRecords))
        return 0;
    ShowMessage(m_strDataFile + " holds " + std::to_string(nHeld) + " of the " + std::to_string(nRecords) +
                " records converted.");
    return 1;
}

}  // namespace engine
