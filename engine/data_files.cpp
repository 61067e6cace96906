// The job's work on a security's data file F<n>.DAT and column list F<n>.DOP.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/converter.h"
#include "metastock/data_file_format.h"
#include "metastock/file_names.h"
#include "metastock/replacement_file.h"

int CConverter::CreateDataFile(std::uint8_t nFileNumber)
{
    const std::vector<std::uint8_t> header = NewDataFileHeader(m_nFields);
    std::string failure;
    if (!ReplaceFileContents(OutputFile(DataFileName(nFileNumber)), ".NEW", header.data(), header.size(), failure)) {
        ShowMessage(failure);
        return 1;
    }
    return 0;
}

int CConverter::CreateColumnList(std::uint8_t nFileNumber)
{
    const std::string text = ColumnListText(m_bFieldOn);
    std::string failure;
    if (!ReplaceFileContents(OutputFile(ColumnListName(nFileNumber)), ".NEW", text.data(), text.size(), failure)) {
        ShowMessage(failure);
        return 1;
    }
    return 0;
}

// The appends of a run go through one buffered stream, opened at the first record; the bytes on disk are
// those of one append per record.
int CConverter::AppendRecord(std::uint8_t nFileNumber)
{
    if (!m_pDataFile) {
        m_strDataFile = OutputFile(DataFileName(nFileNumber));
        m_pDataFile = std::fopen(m_strDataFile.c_str(), "ab");
        if (!m_pDataFile) {
            ShowMessage("Cannot open " + m_strDataFile);
            return 1;
        }
        std::setvbuf(m_pDataFile, nullptr, _IOFBF, 256 * 1024);
    }
    std::uint8_t record[4 * kFieldCount];
    std::size_t length = 0;
    for (int i = 0; i < kFieldCount; ++i) {
        if (m_bFieldOn[i]) {
            std::copy(m_record[i].begin(), m_record[i].end(), record + length);
            length += m_record[i].size();
        }
    }
    if (std::fwrite(record, 1, length, m_pDataFile) != length) {
        ShowMessage("Cannot write " + m_strDataFile);
        return 1;
    }
    return 0;
}

int CConverter::CloseDataFile()
{
    if (!m_pDataFile)
        return 0;
    const bool written = std::fflush(m_pDataFile) == 0 && !std::ferror(m_pDataFile);
    const bool closed = std::fclose(m_pDataFile) == 0;
    m_pDataFile = nullptr;
    if (written && closed)
        return 0;
    ShowMessage("Cannot write " + m_strDataFile);
    return 1;
}

// Writes the number of the last record into the header through a complete copy of the file. The header
// never counts more records than the file holds.
int CConverter::UpdateRecordCount(int nRecords, std::uint8_t nFileNumber)
{
    if (CloseDataFile() != 0)
        return 1;
    const std::string path = OutputFile(DataFileName(nFileNumber));
    const std::size_t length = 4 * static_cast<std::size_t>(m_nFields);
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    std::FILE* file = error ? nullptr : std::fopen(path.c_str(), "rb");
    std::vector<std::uint8_t> header(length);
    if (!file || length == 0 || std::fread(header.data(), 1, length, file) != length) {
        if (file)
            std::fclose(file);
        ShowMessage("Cannot read the header record of " + path);
        return 1;
    }
    const std::uintmax_t held = size / length - 1;
    SetLastRecordNumber(header.data(), static_cast<int>(std::min<std::uintmax_t>(held, nRecords)));

    CReplacementFile replacement(path, ".NEW");
    bool readOk = true;
    bool writeOk = replacement.Open() && replacement.Write(header.data(), length);
    std::vector<std::uint8_t> block(length * 4096);
    for (std::uintmax_t left = held * length; readOk && writeOk && left > 0;) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uintmax_t>(left, block.size()));
        readOk = std::fread(block.data(), 1, want, file) == want;
        writeOk = readOk && replacement.Write(block.data(), want);
        left -= want;
    }
    std::fclose(file);
    if (!readOk) {
        ShowMessage("Cannot read " + path);
        return 1;
    }
    if (!writeOk || !replacement.Commit()) {
        ShowMessage(replacement.Error());
        return 1;
    }
    if (held < static_cast<std::uintmax_t>(nRecords)) {
        ShowMessage(path + " holds " + std::to_string(held) + " of the " + std::to_string(nRecords) +
                    " records converted.");
        return 1;
    }
    return 0;
}
