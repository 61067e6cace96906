// The job's work on a security's data file F<n>.DAT and column list F<n>.DOP.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/converter.h"
#include "metastock/data_file_format.h"
#include "metastock/file_names.h"
#include "metastock/replacement_file.h"

namespace engine {

using namespace metastock;

namespace {

constexpr std::size_t kDataBufferSize = 64 * 1024;

}  // namespace

// Creates or replaces a security file with the given contents.
int CConverter::WriteSecurityFile(const std::string& name, const void* data, std::size_t size)
{
    const std::string path = OutputFile(name);
    std::string failure;
    if (ReplaceFileContents(path, WithExtension(path, ".NEW"), data, size, failure))
        return 0;
    ShowMessage(failure);
    return 1;
}

int CConverter::CreateDataFile(std::uint8_t nFileNumber)
{
    const std::vector<std::uint8_t> header = NewDataFileHeader(m_nFields);
    return WriteSecurityFile(DataFileName(nFileNumber), header.data(), header.size());
}

int CConverter::CreateColumnList(std::uint8_t nFileNumber)
{
    const std::string text = ColumnListText(m_bFieldOn);
    return WriteSecurityFile(ColumnListName(nFileNumber), text.data(), text.size());
}

// The records of a run go into the replacement of F<n>.DAT (F<n>.NEW): the file as it stands, then one
// record after the other through one buffer. UpdateRecordCount puts the count into its header and puts
// it in place, so F<n>.DAT is never seen with records that its header does not count.
int CConverter::OpenDataFile(std::uint8_t nFileNumber)
{
    m_strDataFile = OutputFile(DataFileName(nFileNumber));
    m_dataBuffer.clear();
    m_dataBuffer.reserve(kDataBufferSize);
    if (!ReadWholeFile(m_strDataFile, m_dataBuffer)) {
        ShowMessage("Cannot read " + m_strDataFile);
        return 1;
    }
    m_pDataFile = std::make_unique<CReplacementFile>(m_strDataFile, WithExtension(m_strDataFile, ".NEW"));
    m_nDataFileNumber = nFileNumber;
    m_nDataBytes = m_dataBuffer.size();
    if (!m_pDataFile->Open()) {
        ShowMessage(m_pDataFile->Error());
        m_pDataFile.reset();
        return 1;
    }
    return 0;
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

int CConverter::AppendRecord(std::uint8_t nFileNumber)
{
    if (!m_pDataFile && OpenDataFile(nFileNumber) != 0)
        return 1;
    std::uint8_t record[4 * kFieldCount];
    std::size_t length = 0;
    for (int i = 0; i < kFieldCount; ++i)
        if (m_bFieldOn[i]) {
            std::memcpy(record + length, m_record[i].data(), 4);
            length += 4;
        }
    m_dataBuffer.insert(m_dataBuffer.end(), record, record + length);
    m_nDataBytes += length;
    return m_dataBuffer.size() >= kDataBufferSize ? FlushDataFile() : 0;
}

// Writes the number of the last record into the header and puts the file in place. The header never
// counts more records than the file holds.
int CConverter::UpdateRecordCount(int nRecords, std::uint8_t nFileNumber)
{
    if (!m_pDataFile || m_nDataFileNumber != nFileNumber)
        return RewriteRecordCount(nRecords, nFileNumber);
    if (!m_pDataFile->Error().empty()) {  // a record could not be written; that was reported
        m_pDataFile.reset();
        return 1;
    }
    const int bFlushFailed = FlushDataFile();
    const std::unique_ptr<CReplacementFile> file = std::move(m_pDataFile);
    if (bFlushFailed)
        return 1;
    const std::size_t length = 4 * static_cast<std::size_t>(m_nFields);
    if (length == 0 || m_nDataBytes < length) {
        ShowMessage("Cannot read the header record of " + m_strDataFile);
        return 1;
    }
    const std::size_t held = m_nDataBytes / length - 1;
    std::uint8_t header[4] = {};
    SetLastRecordNumber(header, static_cast<int>(std::min<std::size_t>(held, static_cast<std::size_t>(nRecords))));
    if (!file->Patch(2, header + 2, 2) || !file->Commit()) {
        ShowMessage(file->Error());
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

// Without records appended in this run: a complete copy of F<n>.DAT with the new count.
int CConverter::RewriteRecordCount(int nRecords, std::uint8_t nFileNumber)
{
    m_strDataFile = OutputFile(DataFileName(nFileNumber));
    const std::size_t length = 4 * static_cast<std::size_t>(m_nFields);
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(m_strDataFile, bytes) || length == 0 || bytes.size() < length) {
        ShowMessage("Cannot read the header record of " + m_strDataFile);
        return 1;
    }
    const std::size_t held = bytes.size() / length - 1;
    bytes.resize((held + 1) * length);  // a part record at the end is not a record
    SetLastRecordNumber(bytes.data(), static_cast<int>(std::min<std::size_t>(held, static_cast<std::size_t>(nRecords))));
    if (WriteSecurityFile(DataFileName(nFileNumber), bytes.data(), bytes.size()) != 0)
        return 1;
    return ReportMissingRecords(held, nRecords);
}

}  // namespace engine
