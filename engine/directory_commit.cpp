#include "engine/directory_commit.h"

#include <algorithm>
#include <set>

#include "metastock/directory_names.h"
#include "metastock/file_names.h"

namespace engine {

using namespace metastock;

namespace fs = std::filesystem;

namespace {

const char* const kBackupSuffix = ".BAK";

// Whether a file stands at path; false for nothing there, and for anything that is not a file.
bool IsFileThere(const fs::path& path, std::string& reason)
{
    const PathStatus status = CurrentFileSystem().Exists(path);
    if (status.existence == Existence::kError)
        reason = status.strReason;
    return status.existence == Existence::kYes && status.bRegularFile;
}


}  // namespace

CDirectoryCommit::CDirectoryCommit(IMessageSink& messages, bool bSyncToDisk)
    : m_messages(messages), m_bSyncToDisk(bSyncToDisk)
{
}

CDirectoryCommit::~CDirectoryCommit()
{
    Discard();
}

int CDirectoryCommit::Fail(const std::string& message)
{
    m_messages.ShowMessage(message);
    return 1;
}

int CDirectoryCommit::Lock(const fs::path& directory, const std::string& command)
{
    m_directory = directory;
    IFileSystem& fileSystem = CurrentFileSystem();
    const PathStatus status = fileSystem.Exists(directory);
    if (status.existence == Existence::kError)
        return Fail("Cannot read the directory " + directory.string() + ": " + status.strReason);
    if (status.existence == Existence::kNo || status.bRegularFile)
        return Fail("The directory " + directory.string() + " does not exist");
    LockResult result = fileSystem.LockDirectory(directory, false, m_pLock);
    if (result == LockResult::kBusy) {
        m_messages.ShowNotice("Waiting for another run in " + directory.string() + " to end before this " + command +
                              "...");
        result = fileSystem.LockDirectory(directory, true, m_pLock);
    }
    if (result != LockResult::kLocked)
        return Fail("Cannot lock the directory " + directory.string() +
                    "\nagainst other conversions while this one adds to it.");
    m_entries.clear();
    m_names.clear();
    std::vector<fs::path> names;
    std::string reason;
    if (!fileSystem.List(directory, names, reason))
        return Fail("Cannot list the directory " + directory.string() + ": " + reason);
    for (const fs::path& name : names) {
        // Under the lock no run is writing a temporary file: it is the leftover of one that was killed.
        if (IsTemporaryName(name.string()))
            fileSystem.Remove(directory / name);
        else
            Listed(directory / name, true);
    }
    bool bThere = false;
    m_masterPath = Entry("MASTER", bThere);
    // Only "no such file" means there is no MASTER: taking another failure for absence would write a new
    // MASTER over the directory's securities.
    m_bHasMaster = IsFileThere(m_masterPath, reason);
    if (!reason.empty())
        return Fail("Cannot read " + m_masterPath.string() + ": " + reason);
    return 0;
}

// Of names differing in case alone, the one spelt as asked wins, else the first one listed.
fs::path CDirectoryCommit::Entry(const std::string& name, bool& bThere) const
{
    if (m_names.count(name) != 0) {
        bThere = true;
        return m_directory / name;
    }
    const auto it = m_entries.find(UpperAscii(name));
    bThere = it != m_entries.end();
    return m_directory / (bThere ? it->second : name);
}

void CDirectoryCommit::Listed(const fs::path& path, bool bThere)
{
    const std::string name = path.filename().string();
    if (bThere) {
        m_entries.emplace(UpperAscii(name), name);
        m_names.insert(name);
    } else {
        m_entries.erase(UpperAscii(name));
        m_names.erase(name);
    }
}

bool CDirectoryCommit::HasMaster() const
{
    return m_bHasMaster;
}

int CDirectoryCommit::ReadIndexes()
{
    std::string error;
    m_master = MasterFile{};
    if (HasMaster() && !ReadMasterFile(m_masterPath, m_master, error))
        return Fail(error);
    if (!ReadExtraIndexes(m_directory, m_extras, error))
        return Fail(error);
    m_committedMaster = m_master;
    return 0;
}

bool CDirectoryCommit::ExtraIndexesHold(std::string_view symbol) const
{
    for (const IndexFile* index : {&m_extras.emaster, &m_extras.xmaster})
        for (const IndexEntry& entry : index->entries)
            if (SameSymbol(entry.strSymbol, symbol))
                return true;
    return false;
}

std::uint8_t CDirectoryCommit::LowestFreeFileNumber()
{
    bool used[kMaxSecurities + 1] = {};
    used[0] = true;
    for (const MasterRecord& record : m_master.records)
        used[record[master_offset::kFileNumber]] = true;
    for (const IndexFile* index : {&m_extras.emaster, &m_extras.xmaster})
        for (const IndexEntry& entry : index->entries)
            if (entry.nFileNumber > 0 && entry.nFileNumber <= kMaxSecurities)
                used[entry.nFileNumber] = true;
    for (int n = 1; n <= kMaxSecurities; ++n)
        if (!used[n] && !NameTaken(DataFileName(n)) && !NameTaken(ColumnListName(n)))
            return static_cast<std::uint8_t>(n);
    return 0;
}

// A file at a free number's name is a leftover that the new security replaces; anything else there (a
// directory, a device) is not ours to replace, and would block the number for good.
bool CDirectoryCommit::NameTaken(const std::string& name)
{
    bool bThere = false;
    const fs::path path = Entry(name, bThere);
    if (!bThere)
        return false;
    const PathStatus status = CurrentFileSystem().Exists(path);
    if (status.existence == Existence::kNo || (status.existence == Existence::kYes && status.bRegularFile))
        return false;
    m_messages.ShowNotice(path.string() + (status.existence == Existence::kError ? " cannot be looked at (" + status.strReason + ")"
                                                                                 : " is not a file") +
                          "; its file number is skipped");
    return true;
}

MasterRecord* CDirectoryCommit::Record(int nFileNumber)
{
    for (MasterRecord& record : m_master.records)
        if (record[master_offset::kFileNumber] == nFileNumber && !IsDirectoryEntry(record))
            return &record;
    return nullptr;
}

CReplacementFile* CDirectoryCommit::StageFile(const std::string& name)
{
    StagedFile staged;
    const fs::path target = Entry(name, staged.bTargetExisted);
    std::string reason;
    if (IsFileThere(target, reason) && !ReadWholeFile(target, staged.oldBytes))
        reason = LastFailureReason();
    if (!reason.empty()) {
        Fail("Cannot read " + target.string() + ": " + reason);
        return nullptr;
    }
    staged.file = std::make_unique<CReplacementFile>(target, m_directory / TemporaryName(target.filename().string()));
    if (!staged.file->Open()) {
        Fail(staged.file->Error());
        return nullptr;
    }
    m_staged.push_back(std::move(staged));
    return m_staged.back().file.get();
}

std::vector<std::uint8_t>* CDirectoryCommit::StagedEmaster()
{
    if (!m_extras.bHasEmaster)
        return nullptr;
    if (!m_bEmasterStaged) {
        m_emasterBytes = m_extras.emaster.bytes;
        m_bEmasterStaged = true;
    }
    return &m_emasterBytes;
}

std::vector<std::uint8_t>* CDirectoryCommit::StagedXmaster(bool bCreate)
{
    if (!m_extras.bHasXmaster && !bCreate && !m_bXmasterStaged)
        return nullptr;
    if (!m_bXmasterStaged) {
        m_xmasterBytes = m_extras.xmaster.bytes;
        if (!m_extras.bHasXmaster)
            m_extras.xmaster.path = m_directory / "XMASTER";
        m_bXmasterStaged = true;
    }
    return &m_xmasterBytes;
}

int CDirectoryCommit::LowestFreeWideFileNumber()
{
    std::set<int> used;
    for (const IndexEntry& entry : m_extras.xmaster.entries)
        used.insert(entry.nFileNumber);
    if (m_bXmasterStaged) {
        IndexFile staged;
        std::string problem;
        if (ParseXmaster(m_xmasterBytes, staged, problem))
            for (const IndexEntry& entry : staged.entries)
                used.insert(entry.nFileNumber);
    }
    for (int n = kFirstWideFileNumber; n <= kLastWideFileNumber; ++n)
        if (!used.count(n) && !NameTaken(WideDataFileName(n)) && !NameTaken(ColumnListName(n)))
            return n;
    return 0;
}

// Writes a changed EMASTER or XMASTER into its temporary file, to go in place with the data files.
int CDirectoryCommit::StageIndex(bool bStaged, const IndexFile& index, const std::vector<std::uint8_t>& bytes)
{
    if (!bStaged)
        return 0;
    CReplacementFile* file = StageFile(index.path.filename().string());
    if (!file)
        return 1;
    if (!file->Write(bytes.data(), bytes.size()))
        return Fail(file->Error());
    return 0;
}

void CDirectoryCommit::StageRecord(const MasterRecord& record)
{
    AppendRecord(m_master, record);
}

int CDirectoryCommit::StageBackup()
{
    // MASTER.BAK on disk changes only at a commit, so a group reads it once.
    if (!m_bOldBackupRead) {
        bool bThere = false;
        const fs::path backup = Entry(m_masterPath.filename().string() + kBackupSuffix, bThere);
        m_oldBackupBytes.clear();
        std::string reason;
        m_bHadBackup = bThere && IsFileThere(backup, reason);
        if (m_bHadBackup && !ReadWholeFile(backup, m_oldBackupBytes))
            reason = LastFailureReason();
        if (!reason.empty())
            return Fail("Cannot read " + backup.string() + ": " + reason);
        m_bOldBackupRead = true;
    }
    m_backupBytes = MasterFileBytes(m_master);
    m_bBackup = true;
    return 0;
}

int CDirectoryCommit::Commit(const std::string& change)
{
    if (!m_pLock)
        return Fail("Cannot commit to " + m_directory.string() + " without its lock.");
    IFileSystem& fileSystem = CurrentFileSystem();
    // EMASTER goes in place with the data files, before the MASTER that it follows.
    if (StageIndex(m_bEmasterStaged, m_extras.emaster, m_emasterBytes) != 0 ||
        StageIndex(m_bXmasterStaged, m_extras.xmaster, m_xmasterBytes) != 0)
        return 1;
    // A group of several securities (a batch) is flushed with one call where the platform has one.
    const bool bSyncedTogether = m_bSyncToDisk && m_staged.size() > 2 && fileSystem.SyncFileSystem(m_directory);
    for (StagedFile& staged : m_staged)
        if (!staged.file->Finish(m_bSyncToDisk && !bSyncedTogether))
            return Fail(staged.file->Error());

    // Everything is written before the first rename, so that a failure up to here changes nothing.
    bool bBackupThere = false;
    const fs::path backupPath = Entry(m_masterPath.filename().string() + kBackupSuffix, bBackupThere);
    CReplacementFile backup(backupPath, DirectoryOf(backupPath) / TemporaryName(backupPath.filename().string()));
    if (m_bBackup && !(backup.Open() && backup.Write(m_backupBytes.data(), m_backupBytes.size()) &&
                       backup.Finish(m_bSyncToDisk)))
        return Fail(backup.Error());
    const std::vector<std::uint8_t> masterBytes = MasterFileBytes(m_master);
    CReplacementFile master(m_masterPath, DirectoryOf(m_masterPath) / TemporaryName(m_masterPath.filename().string()));
    if (!(master.Open() && master.Write(masterBytes.data(), masterBytes.size()) && master.Finish(m_bSyncToDisk)))
        return Fail(master.Error());

    for (StagedFile& staged : m_staged)
        if (!staged.file->PutInPlace()) {
            const std::string error = staged.file->Error();
            RollBack(nullptr);
            return Fail(error);
        }
    if (m_bBackup && !backup.PutInPlace()) {
        RollBack(nullptr);
        return Fail(backup.Error());
    }
    // The data files' names must be on the disk before a MASTER that lists them.
    if (m_bSyncToDisk && !fileSystem.SyncDirectory(m_directory)) {
        RollBack(&backup);
        return Fail("Cannot flush to disk the directory " + m_directory.string());
    }
    if (!master.PutInPlace()) {
        RollBack(&backup);
        return Fail(master.Error());
    }
    // The commit: from here on the new securities are part of the directory.
    for (StagedFile& staged : m_staged)
        Listed(staged.file->Target(), true);
    if (m_bBackup)
        Listed(backupPath, true);
    Listed(m_masterPath, true);
    m_bHasMaster = true;
    m_bOldBackupRead = false;
    m_staged.clear();
    m_bBackup = false;
    m_committedMaster = m_master;
    // The indexes as they now stand on disk, for the next group of a batch.
    std::string problem;
    if (m_bEmasterStaged) {
        const fs::path emasterPath = m_extras.emaster.path;
        ParseEmaster(m_emasterBytes, m_extras.emaster, problem);
        m_extras.emaster.path = emasterPath;
        m_extras.emaster.bytes = std::move(m_emasterBytes);
        m_bEmasterStaged = false;
    }
    if (m_bXmasterStaged) {
        const fs::path xmasterPath = m_extras.xmaster.path;
        ParseXmaster(m_xmasterBytes, m_extras.xmaster, problem);
        m_extras.xmaster.path = xmasterPath;
        m_extras.xmaster.bytes = std::move(m_xmasterBytes);
        m_extras.bHasXmaster = true;
        m_bXmasterStaged = false;
    }
    if (m_bSyncToDisk && !fileSystem.SyncDirectory(m_directory))
        return Fail(change + " " + m_directory.string() +
                    ",\nbut the directory could not be flushed to disk, so this may not survive a power loss.");
    return 0;
}

// Undoes the renames of a commit that failed before MASTER moved: files put in place under a free name
// go, and a file that replaced another (the data file of an update, EMASTER, MASTER.BAK) gets the old
// bytes back.
void CDirectoryCommit::RollBack(CReplacementFile* pBackup)
{
    IFileSystem& fileSystem = CurrentFileSystem();
    std::string ignored;
    for (StagedFile& staged : m_staged) {
        if (!staged.file->InPlace())
            continue;
        if (!staged.bTargetExisted)
            fileSystem.Remove(staged.file->Target());
        else
            ReplaceFileContents(staged.file->Target(), staged.file->Temp(), staged.oldBytes.data(),
                                staged.oldBytes.size(), ignored);
    }
    m_bOldBackupRead = false;
    if (pBackup && pBackup->InPlace()) {
        if (m_bHadBackup)
            ReplaceFileContents(pBackup->Target(), pBackup->Temp(), m_oldBackupBytes.data(), m_oldBackupBytes.size(),
                                ignored);
        else
            fileSystem.Remove(pBackup->Target());
    }
    Discard();
}

CDirectoryCommit::Savepoint CDirectoryCommit::TakeSavepoint() const
{
    return {m_staged.size(), m_master,        m_bBackup,       m_backupBytes,
            m_bEmasterStaged, m_emasterBytes, m_bXmasterStaged, m_xmasterBytes};
}

void CDirectoryCommit::RollBackTo(const Savepoint& savepoint)
{
    if (m_staged.size() > savepoint.nStaged)
        m_staged.resize(savepoint.nStaged);  // each removed one removes its temporary file
    m_master = savepoint.master;
    m_bBackup = savepoint.bBackup;
    m_backupBytes = savepoint.backupBytes;
    m_bEmasterStaged = savepoint.bEmaster;
    m_emasterBytes = savepoint.emasterBytes;
    m_bXmasterStaged = savepoint.bXmaster;
    m_xmasterBytes = savepoint.xmasterBytes;
}

void CDirectoryCommit::Discard()
{
    m_staged.clear();  // each removes its temporary file
    m_bBackup = false;
    m_bEmasterStaged = false;
    m_bXmasterStaged = false;
    m_master = m_committedMaster;
}

}  // namespace engine
