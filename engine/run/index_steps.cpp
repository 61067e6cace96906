// The job's work on the directory's indexes: finding MASTER under the directory's lock, refusing a symbol
// the directory already holds, adding the new security (to MASTER and EMASTER, or to XMASTER past a full
// MASTER), writing its date range, the backup copy, and the commit that makes all of it visible at once.

#include <cctype>
#include <filesystem>
#include <string>

#include "engine/directory/directory_commit.h"
#include "engine/input/input_rows.h"
#include "engine/job/conversion_settings.h"
#include "engine/run/converter.h"
#include "engine/text/code_page.h"
#include "engine/text/date_formats.h"
#include "metastock/day_number.h"
#include "metastock/directory_names.h"
#include "metastock/file_system.h"
#include "metastock/find_symbol.h"
#include "metastock/master_file.h"
#include "metastock/path_text.h"

namespace engine {

using namespace metastock;

namespace fs = std::filesystem;

namespace {

const char* const kMaxSymbolsMessage =
    "This portfolio already has the\nmaximum number of symbols (255).\nChoose a different or new portfolio.";

}  // namespace

// The directory's full path is worked out here, symbolic links resolved, as the system would report it
// for a current directory; the process's own working directory stays as it is.
int CConverter::CheckPath()
{
    if (m_pGroup) {  // the batch gives the full path, holds the lock, has read the indexes and checks MASTER itself
        m_pCommit = m_pGroup;
        m_directory = PathFromText(m_job.directory);
        return 0;
    }
    std::string directory = m_job.directory;
#ifdef _WIN32
    // Case does not name another directory here; the stored path reads in upper case.
    directory = UpperAscii(directory);
#endif
    std::error_code error;
    fs::path full;
    if (!directory.empty())
        full = fs::canonical(PathFromText(directory), error);
    const PathStatus status = error ? PathStatus{} : CurrentFileSystem().Exists(full);
    if (status.existence == Existence::kError) {
        ShowMessage("Cannot read the directory " + directory + ": " + status.reason);
        return 1;
    }
    if (directory.empty() || status.existence == Existence::kNo || status.regularFile) {
        ShowMessage("Path does not exist");
        return 1;
    }
    const std::string text = TextFromPath(full);
    if (CountCharacters(text) > static_cast<std::size_t>(kMaxFullPathLength)) {
        ShowMessage("The full path of the output directory is too long:\n" + text);
        return 1;
    }
    m_directory = full;

    // From the first look at MASTER to the commit, no other run changes the directory.
    m_pCommit.reset();
    m_pCommit = std::make_unique<CDirectoryCommit>(m_services.messages, m_job.syncToDisk);
    if (m_pCommit->Lock(m_directory, m_job.update ? "update" : "convert") != 0)
        return 1;
    if (m_job.master == MasterChoice::Existing && !m_pCommit->HasMaster()) {
        ShowMessage("Path specified does not point to a Master file");
        return 1;
    }
    if (m_job.master == MasterChoice::New && m_pCommit->HasMaster()) {
        ShowMessage("New Master chosen but one already exists");
        return 1;
    }
    // A new MASTER appears only at the commit.
    if (m_pCommit->ReadIndexes() != 0)
        return 1;
    m_pCommit->AllowXmaster(m_job.makeXmaster || m_pCommit->Extras().hasXmaster);
    return 0;
}

std::string CConverter::ChangeText() const
{
    return "The security " + m_job.symbol + (m_result.updated ? " was updated in" : " was added to");
}

// A run killed after its commit is finished by the next run that takes the lock. When that run is its
// retry, the security it adds is there already, whole, with these very records: the retry is done.
bool CConverter::DoneByInterruptedRun()
{
    if (m_pGroup || m_job.update || !m_pCommit || m_pCommit->FinishedChange() != ChangeText())
        return false;
    RowWindow window;
    window.room = kMaxDataRecords;
    const RowsInWindow rows = FindRows(m_rows, window);
    const int fileNumber = m_pCommit->HeldWithRecords(m_strStoredSymbol, m_rows.FieldCount(), rows.Bytes(m_rows),
                                                      rows.Size(m_rows), rows.records);
    if (fileNumber == 0)
        return false;
    m_result.fileNumber = fileNumber;
    m_result.records = rows.records;
    m_result.firstDate = rows.firstDate;
    m_result.lastDate = rows.lastDate;
    m_result.firstTime = rows.firstTime;
    m_result.lastTime = rows.lastTime;
    m_result.staged = true;
    return true;
}

int CConverter::CheckDuplicate()
{
    if (m_pGroup)
        return 0;  // the batch checks its directories, the securities staged but not yet committed included
    MasterRecord record{};
    std::string foundIn;
    // A new MASTER holds no securities, but an EMASTER or XMASTER beside it may.
    if ((m_job.master == MasterChoice::Existing && m_pCommit &&
         FindSymbol(m_pCommit->Master(), TextFromPath(m_directory), m_strStoredSymbol, record, foundIn) ==
             kSymbolFound) ||
        (m_pCommit && m_pCommit->ExtraIndexesHold(m_strStoredSymbol))) {
        ShowMessage("Duplicate Symbol");
        return 1;
    }
    return 0;
}

int CConverter::AddSymbol()
{
    if (!m_pCommit)
        return 1;
    MasterFile& master = m_pCommit->Master();
    // Full is what the records say: bytes 2..3 of the header hold the highest number in use, not a count.
    const int fileNumber = m_pCommit->LowestFreeFileNumber();
    if (master.records.size() >= static_cast<std::size_t>(kMaxSecurities) || fileNumber == 0)
        return AddToXmaster();
    const std::string today = m_services.today.TodayText();
    const MbfSingle created = DayToDateCode(ParseDate(today.c_str(), kMmDdYyFormat));
    m_pCommit->StageRecord(BuildSecurityRecord(fileNumber, m_nRecordFields, m_strStoredName, m_strStoredSymbol, created,
                                               m_result.frame, m_result.intervalMinutes));
    // Programs that take their list from EMASTER see the new security too.
    if (std::vector<std::uint8_t>* emaster = m_pCommit->StagedEmaster())
        AppendEmasterRecord(*emaster, {fileNumber, m_nRecordFields, m_strStoredSymbol, m_strStoredName,
                                       DateCodeToYyyymmdd(created), DateCodeToYyyymmdd(created),
                                       TimeFrameLetter(m_result.frame), m_result.intervalMinutes});
    m_result.fileNumber = fileNumber;
    if (CreateDataFile(fileNumber) != 0 || CreateColumnList(fileNumber) != 0)
        return 1;
    return 0;
}

// Beyond a full MASTER, charting programs list a security in XMASTER with its data in F<n>.MWD, n from 256.
int CConverter::AddToXmaster()
{
    const int fileNumber = m_pCommit->XmasterAllowed() ? m_pCommit->LowestFreeWideFileNumber() : 0;
    if (fileNumber == 0) {
        ShowMessage(kMaxSymbolsMessage);
        return 1;
    }
    const std::string today = m_services.today.TodayText();
    const int created = DateCodeToYyyymmdd(DayToDateCode(ParseDate(today.c_str(), kMmDdYyFormat)));
    AppendXmasterRecord(*m_pCommit->StagedXmaster(true),
                        {fileNumber, m_nRecordFields, m_strStoredSymbol, m_strStoredName, created, created,
                         TimeFrameLetter(m_result.frame)});
    m_result.fileNumber = fileNumber;
    if (CreateDataFile(fileNumber) != 0 || CreateColumnList(fileNumber) != 0)
        return 1;
    return 0;
}

// The security's first and last dates in every index that holds it: MASTER, or XMASTER for a file number
// from 256, and EMASTER when the directory has one (an XMASTER security has no EMASTER record), which
// also holds the first and last time of intraday bars.
int CConverter::UpdateIndexDates(const MbfSingle& firstDate, const MbfSingle& lastDate, int nFileNumber, int nFirstTime,
                                 int nLastTime)
{
    const int nFirst = DateCodeToYyyymmdd(firstDate);
    const int nLast = DateCodeToYyyymmdd(lastDate);
    if (nFileNumber >= kFirstWideFileNumber) {
        std::vector<std::uint8_t>* xmaster = m_pCommit ? m_pCommit->StagedXmaster() : nullptr;
        if (xmaster && SetXmasterDates(*xmaster, nFileNumber, nFirst, nLast))
            return 0;
        ShowMessage("XMASTER holds no security with file number " + std::to_string(nFileNumber));
        return 1;
    }
    MasterRecord* record = m_pCommit ? m_pCommit->Record(nFileNumber) : nullptr;
    if (!record) {
        const fs::path master = m_pCommit ? m_pCommit->MasterPath() : m_directory / "MASTER";
        ShowMessage(TextFromPath(master) + " holds no security with file number " +
                    std::to_string(nFileNumber));
        return 1;
    }
    std::copy(firstDate.begin(), firstDate.end(), &(*record)[master_offset::kFirstDate]);
    std::copy(lastDate.begin(), lastDate.end(), &(*record)[master_offset::kLastDate]);
    if (std::vector<std::uint8_t>* emaster = m_pCommit->StagedEmaster())
        SetEmasterDates(*emaster, nFileNumber, nFirst, nLast, nFirstTime, nLastTime);
    return 0;
}

// MASTER.BAK receives MASTER as AddSymbol left it, put in place just before the commit.
int CConverter::BackUpMaster()
{
    if (!m_pCommit)
        return 1;
    m_pCommit->StageBackup();
    return 0;
}

int CConverter::Commit()
{
    if (!m_pCommit)
        return 1;
    m_result.staged = m_pGroup || m_pCommit->Commit(ChangeText()) == 0;
    return m_result.staged ? 0 : 1;
}

}  // namespace engine
