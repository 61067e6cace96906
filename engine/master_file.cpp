// The job's work on the directory's MASTER file: finding or creating it, refusing a symbol it already
// holds, adding the new security, writing the security's date range, and the backup copy.

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/converter.h"
#include "engine/date_formats.h"
#include "metastock/day_number.h"
#include "metastock/file_names.h"
#include "metastock/find_symbol.h"
#include "metastock/master_format.h"
#include "metastock/replacement_file.h"

namespace engine {

using namespace metastock;

namespace fs = std::filesystem;

namespace {

const char* const kMaxSymbolsMessage =
    "This portfolio already has the\nmaximum number of symbols (255).\nChoose a different or new portfolio.";

bool CanOpenForReading(const std::string& path)
{
    std::error_code error;
    if (fs::is_directory(path, error))
        return false;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file)
        std::fclose(file);
    return file != nullptr;
}

// The MASTER file as it stands: its header and every whole record after it.
struct MasterContents {
    MasterRecord header{};
    std::vector<MasterRecord> records;
};

// Reads MASTER; on failure returns the message to show.
bool ReadMaster(const std::string& path, MasterContents& contents, std::string& error)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = "Cannot read " + path;
        return false;
    }
    const bool hasHeader = std::fread(contents.header.data(), 1, kMasterRecordSize, file) == kMasterRecordSize;
    MasterRecord record{};
    // Every record in the file counts, not only as many as the header says; a MASTER is small.
    while (hasHeader && std::fread(record.data(), 1, kMasterRecordSize, file) == kMasterRecordSize)
        contents.records.push_back(record);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (!hasHeader || failed) {
        error = failed ? "Cannot read " + path : path + " is not a Master file:\nit is shorter than its header.";
        return false;
    }
    return true;
}

bool WriteMaster(const std::string& path, const char* tempSuffix, const MasterContents& contents,
                 std::string& error)
{
    CReplacementFile file(path, WithSuffix(path, tempSuffix));
    bool written = file.Open() && file.Write(contents.header.data(), kMasterRecordSize);
    for (const MasterRecord& record : contents.records)
        written = written && file.Write(record.data(), kMasterRecordSize);
    written = written && file.Commit();
    error = file.Error();
    return written;
}

// The lowest file number from 1 to 255 that no record uses; 0 when all are taken.
std::uint8_t LowestFreeFileNumber(const std::vector<MasterRecord>& records)
{
    bool used[256] = {};
    used[0] = true;
    for (const MasterRecord& record : records)
        used[record[master_offset::kFileNumber]] = true;
    for (int n = 1; n <= kMaxSecurities; ++n)
        if (!used[n])
            return static_cast<std::uint8_t>(n);
    return 0;
}

}  // namespace

int CConverter::CheckPath()
{
    std::string directory = m_szPath;
#ifdef _WIN32
    // Case does not name another directory here; the stored path reads in upper case.
    for (char& c : directory)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
#endif
    std::error_code error;
    if (!directory.empty())
        fs::current_path(directory, error);
    if (directory.empty() || error) {
        ShowMessage("Path does not exist");
        return 1;
    }
    const std::string current = fs::current_path(error).string();
    const std::string master = FindEntryIgnoringCase(current, "MASTER").string();
    if (error || current.size() >= sizeof m_szPath || master.size() >= sizeof m_szMaster) {
        ShowMessage("The full path of the output directory is too long:\n" + current);
        return 1;
    }
    CopyText(m_szPath, current);
    CopyText(m_szMaster, master);

    if (m_bUseExisting) {
        if (CanOpenForReading(m_szMaster))
            return 0;
        ShowMessage("Path specified does not point to a Master file");
        return 1;
    }
    if (CanOpenForReading(m_szMaster)) {
        ShowMessage("New Master chosen but one already exists");
        return 1;
    }
    const MasterRecord emptyHeader{};
    std::string failure;
    if (!ReplaceFileContents(m_szMaster, WithSuffix(m_szMaster, ".~NU"), emptyHeader.data(), emptyHeader.size(), failure)) {
        ShowMessage(failure);
        return 1;
    }
    return 0;
}

int CConverter::CheckDuplicate()
{
    if (!m_bUseExisting)
        return 0;  // a new MASTER holds no securities
    MasterRecord record{};
    std::string foundIn;
    if (FindSymbol(m_szPath, m_szSymbol, record, foundIn) == kSymbolFound) {
        ShowMessage("Duplicate Symbol");
        return 1;
    }
    return 0;
}

int CConverter::AddSymbol()
{
    MasterContents master;
    std::string failure;
    if (!ReadMaster(m_szMaster, master, failure)) {
        ShowMessage(failure);
        return 1;
    }
    std::uint8_t* header = master.header.data();
    const int count = ReadInt16(header + master_offset::kRecordCount);
    const int counter = ReadInt16(header + master_offset::kFileCounter);
    const std::uint8_t fileNumber = LowestFreeFileNumber(master.records);
    if (count >= kMaxSecurities || counter >= kMaxSecurities || fileNumber == 0) {
        ShowMessage(kMaxSymbolsMessage);
        return 1;
    }
    WriteInt16(header + master_offset::kRecordCount, static_cast<std::int16_t>(count + 1));
    WriteInt16(header + master_offset::kFileCounter, static_cast<std::int16_t>(counter + 1));

    const std::string today = m_services.today.TodayText();
    const MbfSingle created = DayToDateCode(ParseDate(today.c_str(), kMmDdYyFormat));
    master.records.push_back(BuildSecurityRecord(fileNumber, m_nFields, m_szName, m_szSymbol, created));
    if (!WriteMaster(m_szMaster, ".~NU", master, failure)) {
        ShowMessage(failure);
        return 1;
    }
    m_nFileNumber = fileNumber;
    if (CreateDataFile(fileNumber) != 0 || CreateColumnList(fileNumber) != 0)
        return 1;
    return 0;
}

int CConverter::UpdateMasterDates(const MbfSingle& firstDate, const MbfSingle& lastDate, std::uint8_t nFileNumber)
{
    MasterContents master;
    std::string failure;
    if (!ReadMaster(m_szMaster, master, failure)) {
        ShowMessage(failure);
        return 1;
    }
    for (MasterRecord& record : master.records) {
        if (record[master_offset::kFileNumber] != nFileNumber || IsDirectoryEntry(record))
            continue;
        std::copy(firstDate.begin(), firstDate.end(), &record[master_offset::kFirstDate]);
        std::copy(lastDate.begin(), lastDate.end(), &record[master_offset::kLastDate]);
    }
    if (!WriteMaster(m_szMaster, ".NEW", master, failure)) {
        ShowMessage(failure);
        return 1;
    }
    return 0;
}

// MASTER.BAK receives MASTER as AddSymbol left it; whether the copy succeeds does not change the run.
void CConverter::BackUpMaster()
{
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(m_szMaster, bytes))
        return;
    const std::string backup = std::string(m_szMaster) + ".BAK";
    std::string failure;
    ReplaceFileContents(backup, WithSuffix(backup, ".~NU"), bytes.data(), bytes.size(), failure);
}

}  // namespace engine
