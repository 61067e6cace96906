#pragma once
// One change to a MetaStock directory, made visible at once: everything goes into temporary files under
// the directory's lock, each flushed, and then the commit journal that names every rename and removal
// of the change is put in place: that rename is the commit. The steps follow in an order that leaves
// another program reading the directory in between nothing harmful to see: when adding or updating,
// the data files first, then EMASTER and XMASTER, MASTER.BAK and MASTER last; when removing, MASTER
// first, then the other indexes, and the data files go last. A run killed or failing after the commit
// leaves the journal, and the next run that takes the lock carries the rest of it out before anything
// else; one killed or failing before it leaves the directory as it was.
//
// A directory whose indexes are damaged (a count that disagrees with the records, a record cut short,
// an XMASTER number below 256) is never written: ReadIndexes refuses it.
//
// The lock is held from Lock until the object goes, so one object can commit several groups of
// securities (one journal per group), or replace an existing security's data file and then its
// MASTER record (an update: the new F<n>.DAT first, then MASTER with the new last date).

#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/job/services.h"
#include "metastock/commit_journal.h"
#include "metastock/extra_index_files.h"
#include "metastock/file_system.h"
#include "metastock/master_file.h"
#include "metastock/replacement_file.h"

namespace engine {

// Whether a directory holds a MASTER, given the names it lists.
struct MasterPresence {
    metastock::Existence existence = metastock::Existence::kNo;
    std::filesystem::path path;  // MASTER as the directory spells it ("MASTER" when it has none)
    std::string problem;  // with kError: why, naming the file, with the system's reason
};

// Only "no such file" means there is no MASTER: a check that fails, or something under the name that is
// not a file, is kError, since taking it for absence would write a new MASTER over the directory's
// securities. The name is matched in any case, "MASTER" itself first.
MasterPresence FindMaster(const std::filesystem::path& directory, const std::vector<std::filesystem::path>& names);

class CDirectoryCommit {
public:
    CDirectoryCommit(IMessageSink& messages, bool bSyncToDisk);
    ~CDirectoryCommit();
    CDirectoryCommit(const CDirectoryCommit&) = delete;
    CDirectoryCommit& operator=(const CDirectoryCommit&) = delete;

    // Takes the exclusive lock of directory; when another run holds it, says so once through the notice
    // and waits. Then lists the directory, carries out the rest of a commit journal that a killed run
    // left (with a notice), and looks at its MASTER. 0, or 1 after a message (one that names the file
    // and the system's reason when the listing or the look fails, or the journal cannot be carried out).
    // command ("convert", "update", "remove", "batch") names the run in the waiting message.
    int Lock(const std::filesystem::path& directory, const std::string& command);
    // What the interrupted change that Lock finished did, as its run said it ("The security XYZ was
    // added to"); empty when Lock found none. A retry of that run is then done already.
    const std::string& FinishedChange() const { return m_strFinishedChange; }
    // Whether the directory has a MASTER (in any case of its name), and its path.
    bool HasMaster() const;
    const std::filesystem::path& MasterPath() const { return m_masterPath; }
    // Reads MASTER (an empty one when the directory has none), EMASTER and XMASTER, and refuses a
    // damaged one. 0, or 1 after a message naming the file and what is wrong with it.
    int ReadIndexes();

    // MASTER as read, with the records staged since; the caller may change records in place.
    metastock::MasterFile& Master() { return m_master; }
    const metastock::ExtraIndexes& Extras() const { return m_extras; }
    // Whether EMASTER or XMASTER lists symbol (ignoring the case of ASCII letters and trailing blanks).
    bool ExtraIndexesHold(std::string_view symbol) const;
    // The lowest file number from 1 to 255 that neither MASTER, EMASTER nor XMASTER uses and none of
    // whose file names (F<n>.DAT, F<n>.MWD, F<n>.DOP, in any case) stands in the directory: a number
    // whose name something took is skipped, with a notice. 0 when none is free.
    std::uint8_t LowestFreeFileNumber();
    // The path of the directory's entry called name in any case, from the listing taken under the lock.
    std::filesystem::path EntryPath(const std::string& name) const
    {
        bool bThere = false;
        return Entry(name, bThere);
    }
    // The file number of the security stored as storedSymbol when its data file holds exactly these
    // records of nFields fields, and nothing else; 0 otherwise (or when it cannot be read).
    int HeldWithRecords(std::string_view storedSymbol, int nFields, const std::uint8_t* records, std::size_t size,
                        int nRecords) const;
    // The MASTER record of a file number, staged or read; nullptr when there is none.
    metastock::MasterRecord* Record(int nFileNumber);

    // A file of the directory (found in any case of its name) to be written whole into its temporary file
    // and put in place at the commit; nullptr after a message. The bytes of a file it replaces are kept until the
    // commit, to be put back when the commit fails after the file moved.
    metastock::CReplacementFile* StageFile(const std::string& name);
    // EMASTER's bytes as the commit is to write them, for a change that keeps EMASTER in step with MASTER;
    // nullptr when the directory has no EMASTER. Once asked for, EMASTER is replaced at the commit.
    std::vector<std::uint8_t>* StagedEmaster();
    // XMASTER's bytes likewise; with bCreate an empty XMASTER when the directory has none, to be made at
    // the commit.
    std::vector<std::uint8_t>* StagedXmaster(bool bCreate = false);
    // The lowest number from 256 up that XMASTER does not use and none of whose names stands in the
    // directory; 0 when none is free.
    int LowestFreeWideFileNumber();
    // Whether a security that MASTER has no room for may go into XMASTER: when the directory has an
    // XMASTER, or the run was asked to make one (convert and batch alike).
    void AllowXmaster(bool bAllowed) { m_bXmasterAllowed = bAllowed; }
    bool XmasterAllowed() const { return m_bXmasterAllowed; }
    // Appends a security record to MASTER, counting it in the header.
    void StageRecord(const metastock::MasterRecord& record);
    // MASTER.BAK, put in place just before MASTER, receives MASTER as staged at this moment.
    void StageBackup();
    // The directory's file called name (in any case) is deleted by the commit, after the indexes that
    // no longer list it: a removal.
    void StageRemoval(const std::string& name);

    // What is staged at a moment, to go back to when one security of a group fails (a batch).
    struct Savepoint {
        std::size_t staged = 0;
        metastock::MasterFile master;
        bool backup = false;
        std::vector<std::uint8_t> backupBytes;
        bool emaster = false;
        std::vector<std::uint8_t> emasterBytes;
        bool xmaster = false;
        std::vector<std::uint8_t> xmasterBytes;
        std::size_t removals = 0;
    };
    Savepoint TakeSavepoint() const;
    // Drops what was staged since the savepoint, removing its temporary files.
    void RollBackTo(const Savepoint& savepoint);
    // Whether anything is staged since the last commit.
    bool HasStaged() const
    {
        return !m_staged.empty() || m_bBackup || m_bEmasterStaged || m_bXmasterStaged || !m_removals.empty();
    }

    // Writes the journal of the staged change and carries it out. 0, or 1 after a message naming the file
    // and the system's reason. On failure before the journal is in place nothing has changed. After it,
    // the change is made or, when a step failed, will be finished by the next run (the message says so and
    // no further group is committed); when only a flush of the directory fails, the change is made but may
    // not survive a power loss: the message then starts with change ("The security XYZ was added to") and
    // the directory, so that nobody runs it again blindly. Afterwards the lock is still held and the next
    // group can be staged.
    int Commit(const std::string& change = "The change was made in");
    // Drops what is staged, removing its temporary files (the destructor does this too).
    void Discard();

private:
    struct StagedFile {
        std::unique_ptr<metastock::CReplacementFile> file;
        bool index = false;  // EMASTER or XMASTER, which go in place after the data files
    };

    int Fail(const std::string& message);
    int StageIndex(bool bStaged, const metastock::IndexFile& index, const std::vector<std::uint8_t>& bytes);
    // The steps of the staged change in their order, MASTER.BAK's and MASTER's from their temporary files.
    metastock::CommitJournal Journal(const metastock::CReplacementFile* pBackup,
                                     const metastock::CReplacementFile& master) const;
    // Carries out a journal that a run killed or failing after its commit left; 0, or 1 after a message.
    int FinishInterruptedCommit();
    // Keeps every temporary file for the journal that names them.
    void KeepStaged();
    // The entry of the directory named name in any case, from the listing taken under the lock and kept
    // up to date by the commits; bThere tells whether it exists.
    std::filesystem::path Entry(const std::string& name, bool& bThere) const;
    void Listed(const std::filesystem::path& path, bool bThere);
    bool NumberTaken(int nFileNumber);

    IMessageSink& m_messages;
    bool m_bSyncToDisk;
    std::filesystem::path m_directory;
    std::filesystem::path m_masterPath;
    bool m_bHasMaster = false;  // a file stands at m_masterPath, as seen under the lock
    std::unique_ptr<metastock::IDirectoryLock> m_pLock;
    metastock::MasterFile m_master;
    metastock::MasterFile m_committedMaster;  // as on disk, to go back to when staged changes are dropped
    metastock::ExtraIndexes m_extras;  // as committed
    bool m_bEmasterStaged = false;
    std::vector<std::uint8_t> m_emasterBytes;
    bool m_bXmasterStaged = false;
    std::vector<std::uint8_t> m_xmasterBytes;
    bool m_bXmasterAllowed = false;
    std::vector<StagedFile> m_staged;
    std::vector<std::string> m_removals;  // names as listed
    bool m_bBackup = false;
    std::vector<std::uint8_t> m_backupBytes;
    std::string m_strFinishedChange;
    bool m_bUnfinished = false;  // a commit's journal is in place but not carried out: nothing more is written
    // The directory's entries under the lock, by their names in upper case. Only this object changes the
    // directory while it holds the lock, so a batch looks a name up without a stat or a listing.
    std::map<std::string, std::string> m_entries;
    std::set<std::string> m_names;  // the same names as spelt
    std::set<std::string> m_toldTaken;  // names that keep a number from new securities, told once
};

}  // namespace engine
