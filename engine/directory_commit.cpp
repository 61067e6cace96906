#include "engine/directory_commit.h"

#include <algorithm>
#include <cctype>

namespace engine {

using namespace metastock;

namespace fs = std::filesystem;

namespace {

const char* const kMasterTemp = ".~NU";
const char* const kBackupSuffix = ".BAK";

std::string Trimmed(std::string_view text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
        text.remove_suffix(1);
    return std::string(text);
}

bool SameSymbol(std::string_view a, std::string_view b)
{
    const std::string x = Trimmed(a), y = Trimmed(b);
    return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), [](char p, char q) {
               return std::toupper(static_cast<unsigned char>(p)) == std::toupper(static_cast<unsigned char>(q));
           });
}

// Whether a file stands at path; false for nothing there, and for anything that is not a file.
bool IsFileThere(const fs::path& path, std::string& reason)
{
    const PathStatus status = CurrentFileSystem().Exists(path);
    if (status.existence == Existence::kError)
        reason = status.strReason;
    return status.existence == Existence::kYes && status.bRegularFile;
}

std::string UpperAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// Temporary names of a run that was killed: under the lock no run is writing them.
bool IsStaleTemporaryName(const std::string& name)
{
    const std::string n = UpperAscii(name);
    if (n == "MASTER.~NU" || n == "MASTER.NEW" || n == "MASTER.BAK.~NU")
        return true;
    const std::size_t dot = n.find('.');
    if (n.size() < 3 || n[0] != 'F' || dot == std::string::npos || dot < 2)
        return false;
    if (!std::all_of(n.begin() + 1, n.begin() + static_cast<std::ptrdiff_t>(dot),
                     [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const std::string rest = n.substr(dot);
    return rest == ".NEW" || rest == ".DOP.~NU";
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

int CDirectoryCommit::Lock(const fs::path& directory)
{
    m_directory = directory;
    IFileSystem& fileSystem = CurrentFileSystem();
    LockResult result = fileSystem.LockDirectory(directory, false, m_pLock);
    if (result == LockResult::kBusy) {
        m_messages.ShowNotice("Waiting for another conversion in " + directory.string() + "...");
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
        if (IsStaleTemporaryName(name.string()))
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

std::uint8_t CDirectoryCommit::LowestFreeFileNumber() const
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
        if (!used[n])
            return static_cast<std::uint8_t>(n);
    return 0;
}

MasterRecord* CDirectoryCommit::Record(std::uint8_t nFileNumber)
{
    for (MasterRecord& record : m_master.records)
        if (record[master_offset::kFileNumber] == nFileNumber && !IsDirectoryEntry(record))
            return &record;
    return nullptr;
}

CReplacementFile* CDirectoryCommit::StageFile(const std::string& name, const std::string& tempName)
{
    CStagedFile staged;
    const fs::path target = Entry(name, staged.bTargetExisted);
    std::string reason;
    if (IsFileThere(target, reason) && !ReadWholeFile(target, staged.oldBytes))
        reason = LastFailureReason();
    if (!reason.empty()) {
        Fail("Cannot read " + target.string() + ": " + reason);
        return nullptr;
    }
    staged.file = std::make_unique<CReplacementFile>(target, m_directory / tempName);
    if (!staged.file->Open()) {
        Fail(staged.file->Error());
        return nullptr;
    }
    m_staged.push_back(std::move(staged));
    return m_staged.back().file.get();
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
    // A group of several securities (a batch) is flushed with one call where the platform has one.
    const bool bSyncedTogether = m_bSyncToDisk && m_staged.size() > 2 && fileSystem.SyncFileSystem(m_directory);
    for (CStagedFile& staged : m_staged)
        if (!staged.file->Finish(m_bSyncToDisk && !bSyncedTogether))
            return Fail(staged.file->Error());

    // Everything is written before the first rename, so that a failure up to here changes nothing.
    bool bBackupThere = false;
    const fs::path backupPath = Entry(m_masterPath.filename().string() + kBackupSuffix, bBackupThere);
    CReplacementFile backup(backupPath, WithSuffix(backupPath, kMasterTemp));
    if (m_bBackup && !(backup.Open() && backup.Write(m_backupBytes.data(), m_backupBytes.size()) &&
                       backup.Finish(m_bSyncToDisk)))
        return Fail(backup.Error());
    const std::vector<std::uint8_t> masterBytes = MasterFileBytes(m_master);
    CReplacementFile master(m_masterPath, WithSuffix(m_masterPath, kMasterTemp));
    if (!(master.Open() && master.Write(masterBytes.data(), masterBytes.size()) && master.Finish(m_bSyncToDisk)))
        return Fail(master.Error());

    for (CStagedFile& staged : m_staged)
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
    for (CStagedFile& staged : m_staged)
        Listed(staged.file->Target(), true);
    if (m_bBackup)
        Listed(backupPath, true);
    Listed(m_masterPath, true);
    m_bHasMaster = true;
    m_bOldBackupRead = false;
    m_staged.clear();
    m_bBackup = false;
    m_committedMaster = m_master;
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
    for (CStagedFile& staged : m_staged) {
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

CDirectoryCommit::CSavepoint CDirectoryCommit::Savepoint() const
{
    return {m_staged.size(), m_master, m_bBackup, m_backupBytes};
}

void CDirectoryCommit::RollBackTo(const CSavepoint& savepoint)
{
    if (m_staged.size() > savepoint.nStaged)
        m_staged.resize(savepoint.nStaged);  // each removed one removes its temporary file
    m_master = savepoint.master;
    m_bBackup = savepoint.bBackup;
    m_backupBytes = savepoint.backupBytes;
}

void CDirectoryCommit::Discard()
{
    m_staged.clear();  // each removes its temporary file
    m_bBackup = false;
    m_master = m_committedMaster;
}

}  // namespace engine
