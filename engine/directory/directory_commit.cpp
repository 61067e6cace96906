#include "engine/directory/directory_commit.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "metastock/directory_names.h"
#include "metastock/directory_reader.h"
#include "metastock/file_names.h"

namespace engine {

using namespace metastock;

namespace fs = std::filesystem;

namespace {

const char* const kBackupSuffix = ".BAK";

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

MasterPresence FindMaster(const fs::path& directory, const std::vector<fs::path>& names)
{
    MasterPresence master;
    master.path = directory / "MASTER";
    if (std::find(names.begin(), names.end(), fs::path("MASTER")) == names.end()) {
        const auto named = std::find_if(names.begin(), names.end(),
                                        [](const fs::path& name) { return EqualIgnoringCase(name.string(), "MASTER"); });
        if (named != names.end())
            master.path = directory / *named;
    }
    const PathStatus status = CurrentFileSystem().Exists(master.path);
    master.existence = status.existence;
    if (status.existence == Existence::kError)
        master.problem = "Cannot read " + master.path.string() + ": " + status.reason;
    else if (status.existence == Existence::kYes && !status.regularFile) {
        master.existence = Existence::kError;
        master.problem = master.path.string() + " is not a file";
    }
    return master;
}

int CDirectoryCommit::Lock(const fs::path& directory, const std::string& command)
{
    m_directory = directory;
    IFileSystem& fileSystem = CurrentFileSystem();
    const PathStatus status = fileSystem.Exists(directory);
    if (status.existence == Existence::kError)
        return Fail("Cannot read the directory " + directory.string() + ": " + status.reason);
    if (status.existence == Existence::kNo || status.regularFile)
        return Fail("The directory " + directory.string() + " does not exist");
    LockResult result = fileSystem.LockDirectory(directory, false, m_pLock);
    if (result == LockResult::kBusy) {
        m_messages.ShowNotice("Waiting for another run in " + directory.string() + " to end before this " + command +
                              "...");
        result = fileSystem.LockDirectory(directory, true, m_pLock);
    }
    if (result != LockResult::kLocked)
        return Fail("Cannot lock the directory " + directory.string() + ": " + LastFailureReason() +
                    "\nIt must be locked against other conversions while this one adds to it.");
    std::vector<fs::path> names;
    std::string reason;
    for (int pass = 0; pass < 2; ++pass) {
        m_entries.clear();
        m_names.clear();
        if (!fileSystem.List(directory, names, reason))
            return Fail("Cannot list the directory " + directory.string() + ": " + reason);
        for (const fs::path& name : names)
            Listed(directory / name, true);
        // The journal comes first: the temporary files it names are part of a change already made.
        bool bJournal = false;
        Entry(kJournalName, bJournal);
        if (!bJournal)
            break;
        if (pass > 0)
            return Fail("Cannot delete " + (directory / kJournalName).string() + " after carrying it out.");
        if (FinishInterruptedCommit() != 0)
            return 1;
    }
    for (const fs::path& name : names) {
        // Under the lock no run is writing a temporary file: it is the leftover of one that was killed.
        if (IsTemporaryName(name.string())) {
            fileSystem.Remove(directory / name);
            Listed(directory / name, false);
        }
    }
    const MasterPresence master = FindMaster(directory, names);
    if (master.existence == Existence::kError)
        return Fail(master.problem);
    m_masterPath = master.path;
    m_bHasMaster = master.existence == Existence::kYes;
    return 0;
}

int CDirectoryCommit::FinishInterruptedCommit()
{
    IFileSystem& fileSystem = CurrentFileSystem();
    bool bThere = false;
    const fs::path path = Entry(kJournalName, bThere);
    const std::string refusal = "\nNothing was changed. Run check, and delete " + path.filename().string() +
                                " only once the indexes agree.";
    const PathStatus status = fileSystem.Exists(path);
    if (status.existence == Existence::kError)
        return Fail("Cannot read " + path.string() + ", the journal of a change that was interrupted: " +
                    status.reason);
    if (status.existence == Existence::kYes && !status.regularFile)
        return Fail(path.string() + " is not a file, but has the name of the journal of an interrupted change." + refusal);
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes))
        return Fail("Cannot read " + path.string() + ", the journal of a change that was interrupted: " +
                    LastFailureReason());
    CommitJournal journal;
    std::string problem;
    if (!ParseJournal(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), journal, problem))
        return Fail(path.string() + " holds a change that was interrupted, but " + problem + "." + refusal);
    std::string error;
    if (!CarryOutJournal(m_directory, journal, error))
        return Fail("A change to " + m_directory.string() + " was interrupted, and its rest cannot be carried out:\n" +
                    error);
    if ((m_bSyncToDisk && !fileSystem.SyncDirectory(m_directory)) || !fileSystem.Remove(path))
        return Fail("Cannot finish the change that was interrupted in " + m_directory.string() + ": " +
                    LastFailureReason());
    m_strFinishedChange = journal.change;
    m_messages.ShowNotice("Finished a change that was interrupted: " +
                          (journal.change.empty() ? "The change was made in" : journal.change) + " " +
                          m_directory.string() + ".");
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
    const std::string damage = IndexDamage(m_masterPath, m_master, HasMaster(), m_extras);
    if (!damage.empty())
        return Fail(damage + ".\nNothing was changed; check the directory first.");
    m_committedMaster = m_master;
    return 0;
}

bool CDirectoryCommit::ExtraIndexesHold(std::string_view symbol) const
{
    for (const IndexFile* index : {&m_extras.emaster, &m_extras.xmaster})
        for (const IndexEntry& entry : index->entries)
            if (SameSymbol(entry.symbol, symbol))
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
            if (entry.fileNumber > 0 && entry.fileNumber <= kMaxSecurities)
                used[entry.fileNumber] = true;
    for (int n = 1; n <= kMaxSecurities; ++n)
        if (!used[n] && !NumberTaken(n))
            return static_cast<std::uint8_t>(n);
    return 0;
}

// Anything under one of a number's names, in any case of its letters, keeps the number from a new
// security: a file there that no index lists is another program's data, or a security's that its index
// lost, and is never overwritten. Each such name is told once.
bool CDirectoryCommit::NumberTaken(int nFileNumber)
{
    bool bTaken = false;
    // Both data-file names whatever the number's range: F5.MWD beside F5.DAT is somebody's data too.
    const std::string names[] = {DataFileName(nFileNumber), WideDataFileName(nFileNumber), ColumnListName(nFileNumber)};
    for (const std::string& name : names) {
        bool bThere = false;
        const fs::path path = Entry(name, bThere);
        if (!bThere)
            continue;
        bTaken = true;
        if (m_toldTaken.insert(UpperAscii(path.filename().string())).second)
            m_messages.ShowNotice(path.string() + " stands in the directory but no index lists it; file number " +
                                  std::to_string(nFileNumber) + " is left alone");
        break;
    }
    return bTaken;
}

int CDirectoryCommit::HeldWithRecords(std::string_view storedSymbol, int nFields, const std::uint8_t* records,
                                      std::size_t size, int nRecords) const
{
    const std::vector<SecurityEntry> securities = SecuritiesOf(m_master, m_extras);
    const auto held = std::find_if(securities.begin(), securities.end(), [&](const SecurityEntry& security) {
        return SameSymbol(security.entry.symbol, storedSymbol);
    });
    DirectoryContents contents;
    contents.directory = m_directory;
    SecurityData data;
    std::string error;
    if (held == securities.end() || !ReadSecurityData(contents, *held, data, error))
        return 0;
    const DataFile& file = data.file;
    const bool bSame = data.layout.Fields() == nFields && file.headerRecords == nRecords &&
                       file.recordsPresent == static_cast<std::size_t>(nRecords) && !file.partRecord &&
                       static_cast<std::size_t>(nRecords) * file.recordLength == size &&
                       (size == 0 || std::memcmp(file.Record(0), records, size) == 0);
    return bSame ? held->entry.fileNumber : 0;
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
    if (m_bUnfinished) {
        Fail("Nothing more is written to " + m_directory.string() + " until its interrupted change is finished.");
        return nullptr;
    }
    StagedFile staged;
    bool bThere = false;
    const fs::path target = Entry(name, bThere);
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
    if (!m_extras.hasEmaster)
        return nullptr;
    if (!m_bEmasterStaged) {
        m_emasterBytes = m_extras.emaster.bytes;
        m_bEmasterStaged = true;
    }
    return &m_emasterBytes;
}

std::vector<std::uint8_t>* CDirectoryCommit::StagedXmaster(bool bCreate)
{
    if (!m_extras.hasXmaster && !bCreate && !m_bXmasterStaged)
        return nullptr;
    if (!m_bXmasterStaged) {
        m_xmasterBytes = m_extras.xmaster.bytes;
        if (!m_extras.hasXmaster)
            m_extras.xmaster.path = m_directory / "XMASTER";
        m_bXmasterStaged = true;
    }
    return &m_xmasterBytes;
}

int CDirectoryCommit::LowestFreeWideFileNumber()
{
    std::set<int> used;
    for (const IndexEntry& entry : m_extras.xmaster.entries)
        used.insert(entry.fileNumber);
    if (m_bXmasterStaged) {
        IndexFile staged;
        std::string problem;
        if (ParseXmaster(m_xmasterBytes, staged, problem))
            for (const IndexEntry& entry : staged.entries)
                used.insert(entry.fileNumber);
    }
    for (int n = kFirstWideFileNumber; n <= kLastWideFileNumber; ++n)
        if (!used.count(n) && !NumberTaken(n))
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
    m_staged.back().index = true;
    if (!file->Write(bytes.data(), bytes.size()))
        return Fail(file->Error());
    return 0;
}

void CDirectoryCommit::StageRecord(const MasterRecord& record)
{
    AppendRecord(m_master, record);
}

void CDirectoryCommit::StageBackup()
{
    m_backupBytes = MasterFileBytes(m_master);
    m_bBackup = true;
}

void CDirectoryCommit::StageRemoval(const std::string& name)
{
    bool bThere = false;
    const fs::path path = Entry(name, bThere);
    if (bThere)
        m_removals.push_back(path.filename().string());
}

CommitJournal CDirectoryCommit::Journal(const CReplacementFile* pBackup, const CReplacementFile& master) const
{
    CommitJournal journal;
    auto rename = [&journal](const CReplacementFile& file) {
        journal.steps.push_back({CommitStep::Kind::kRename, file.Temp().filename().string(), file.Target().filename().string()});
    };
    const bool bRemoving = !m_removals.empty();
    if (bRemoving)
        rename(master);
    for (const bool bIndex : {false, true})
        for (const StagedFile& staged : m_staged)
            if (staged.index == bIndex)
                rename(*staged.file);
    if (pBackup)
        rename(*pBackup);
    if (!bRemoving)
        rename(master);
    for (const std::string& name : m_removals)
        journal.steps.push_back({CommitStep::Kind::kRemove, std::string(), name});
    return journal;
}

void CDirectoryCommit::KeepStaged()
{
    for (StagedFile& staged : m_staged)
        staged.file->Keep();
}

int CDirectoryCommit::Commit(const std::string& change)
{
    if (!m_pLock)
        return Fail("Cannot commit to " + m_directory.string() + " without its lock.");
    if (m_bUnfinished)
        return Fail("Nothing more is written to " + m_directory.string() + " until its interrupted change is finished.");
    IFileSystem& fileSystem = CurrentFileSystem();
    if (StageIndex(m_bEmasterStaged, m_extras.emaster, m_emasterBytes) != 0 ||
        StageIndex(m_bXmasterStaged, m_extras.xmaster, m_xmasterBytes) != 0)
        return 1;
    // A group of several securities (a batch) is flushed with one call where the platform has one.
    const bool bSyncedTogether = m_bSyncToDisk && m_staged.size() > 2 && fileSystem.SyncFileSystem(m_directory);
    for (StagedFile& staged : m_staged)
        if (!staged.file->Finish(m_bSyncToDisk && !bSyncedTogether))
            return Fail(staged.file->Error());

    // Everything is written and flushed before the journal, so that a failure up to it changes nothing.
    bool bBackupThere = false;
    const fs::path backupPath = Entry(m_masterPath.filename().string() + kBackupSuffix, bBackupThere);
    CReplacementFile backup(backupPath, m_directory / TemporaryName(backupPath.filename().string()));
    if (m_bBackup && !(backup.Open() && backup.Write(m_backupBytes.data(), m_backupBytes.size()) &&
                       backup.Finish(m_bSyncToDisk)))
        return Fail(backup.Error());
    const std::vector<std::uint8_t> masterBytes = MasterFileBytes(m_master);
    CReplacementFile master(m_masterPath, m_directory / TemporaryName(m_masterPath.filename().string()));
    if (!(master.Open() && master.Write(masterBytes.data(), masterBytes.size()) && master.Finish(m_bSyncToDisk)))
        return Fail(master.Error());
    CommitJournal journal = Journal(m_bBackup ? &backup : nullptr, master);
    journal.change = change;
    const std::string journalText = JournalText(journal);
    CReplacementFile journalFile(m_directory / kJournalName, m_directory / TemporaryName(kJournalName));
    if (!(journalFile.Open() && journalFile.Write(journalText.data(), journalText.size()) &&
          journalFile.Finish(m_bSyncToDisk) && journalFile.PutInPlace()))
        return Fail(journalFile.Error());
    // The journal's name must be on the disk before the first step: a power loss after a step but
    // without the journal would leave the indexes disagreeing.
    if (m_bSyncToDisk && !fileSystem.SyncDirectory(m_directory)) {
        const std::string reason = LastFailureReason();
        if (fileSystem.Remove(journalFile.Target()))
            return Fail("Cannot flush to disk the directory " + m_directory.string() + ": " + reason);
        // The journal stays, and with it the change: carried out below or by the next run.
    }

    // The commit: from here on the change is made, by this run or, should it stop, by the next one.
    KeepStaged();
    backup.Keep();
    master.Keep();
    std::string error;
    if (!CarryOutJournal(m_directory, journal, error)) {
        m_bUnfinished = true;
        m_staged.clear();
        return Fail(error + "\nThe change is recorded in " + journalFile.Target().string() +
                    ": the next run in " + m_directory.string() + " finishes it.");
    }
    for (StagedFile& staged : m_staged)
        Listed(staged.file->Target(), true);
    if (m_bBackup)
        Listed(backupPath, true);
    Listed(m_masterPath, true);
    for (const std::string& name : m_removals)
        Listed(m_directory / name, false);
    m_bHasMaster = true;
    m_staged.clear();
    m_removals.clear();
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
        m_extras.hasXmaster = true;
        m_bXmasterStaged = false;
    }
    // Once the steps are on the disk the journal has done its work; a journal left behind by a failure
    // here names only steps already taken, which the next run finds done.
    const bool bFlushed = !m_bSyncToDisk || fileSystem.SyncDirectory(m_directory);
    if (!bFlushed)
        return Fail(change + " " + m_directory.string() + ",\nbut the directory could not be flushed to disk (" +
                    LastFailureReason() + "), so this may not survive a power loss.");
    if (!fileSystem.Remove(journalFile.Target()))
        return Fail(change + " " + m_directory.string() + ",\nbut its journal " + journalFile.Target().string() +
                    " could not be deleted: " + LastFailureReason());
    return 0;
}

CDirectoryCommit::Savepoint CDirectoryCommit::TakeSavepoint() const
{
    return {m_staged.size(),  m_master,       m_bBackup,        m_backupBytes,    m_bEmasterStaged,
            m_emasterBytes,   m_bXmasterStaged, m_xmasterBytes, m_removals.size()};
}

void CDirectoryCommit::RollBackTo(const Savepoint& savepoint)
{
    if (m_staged.size() > savepoint.staged)
        m_staged.resize(savepoint.staged);  // each removed one removes its temporary file
    m_master = savepoint.master;
    m_bBackup = savepoint.backup;
    m_backupBytes = savepoint.backupBytes;
    m_bEmasterStaged = savepoint.emaster;
    m_emasterBytes = savepoint.emasterBytes;
    m_bXmasterStaged = savepoint.xmaster;
    m_xmasterBytes = savepoint.xmasterBytes;
    m_removals.resize(std::min(m_removals.size(), savepoint.removals));
}

void CDirectoryCommit::Discard()
{
    m_staged.clear();  // each removes its temporary file
    m_removals.clear();
    m_bBackup = false;
    m_bEmasterStaged = false;
    m_bXmasterStaged = false;
    m_master = m_committedMaster;
}

}  // namespace engine
