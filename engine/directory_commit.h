#pragma once
// One change to a MetaStock directory, made visible at once: everything goes into temporary files under
// the directory's lock, and the rename of the new MASTER is the commit. Before it, data files and the
// backup are flushed and renamed into place (numbers that no index names yet, so nothing reads them);
// a change abandoned or failed before the commit removes its temporary files and any file it put in
// place under a name that was free, so MASTER and every listed security stay as they were.
//
// The lock is held from Lock until the object goes, so one object can commit several groups of
// securities (one MASTER rename per group), or replace an existing security's data file and then its
// MASTER record (an update: the new F<n>.DAT first, then MASTER with the new last date).

#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/services.h"
#include "metastock/extra_index_files.h"
#include "metastock/file_system.h"
#include "metastock/master_file.h"
#include "metastock/replacement_file.h"

namespace engine {

class CDirectoryCommit {
public:
    CDirectoryCommit(IMessageSink& messages, bool bSyncToDisk);
    ~CDirectoryCommit();
    CDirectoryCommit(const CDirectoryCommit&) = delete;
    CDirectoryCommit& operator=(const CDirectoryCommit&) = delete;

    // Takes the exclusive lock of directory; when another run holds it, says so once through the notice
    // and waits. Then lists the directory and looks at its MASTER. 0, or 1 after a message (one that names
    // the file and the system's reason when the listing or the look fails).
    // command ("convert", "update", "remove", "batch") names the run in the waiting message.
    int Lock(const std::filesystem::path& directory, const std::string& command);
    // Whether the directory has a MASTER (in any case of its name), and its path.
    bool HasMaster() const;
    const std::filesystem::path& MasterPath() const { return m_masterPath; }
    // Reads MASTER (an empty one when the directory has none), EMASTER and XMASTER. 0, or 1 after a
    // message naming the file.
    int ReadIndexes();

    // MASTER as read, with the records staged since; the caller may change records in place.
    metastock::MasterFile& Master() { return m_master; }
    const metastock::ExtraIndexes& Extras() const { return m_extras; }
    // Whether EMASTER or XMASTER lists symbol (ignoring the case of ASCII letters and trailing blanks).
    bool ExtraIndexesHold(std::string_view symbol) const;
    // The lowest file number from 1 to 255 that neither MASTER, EMASTER nor XMASTER uses and whose file
    // names hold nothing but files (a number whose name something else took is skipped, with a notice);
    // 0 when none is free.
    std::uint8_t LowestFreeFileNumber();
    // The path of the directory's entry called name in any case, from the listing taken under the lock.
    std::filesystem::path EntryPath(const std::string& name) const
    {
        bool bThere = false;
        return Entry(name, bThere);
    }
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
    // The lowest number from 256 up that XMASTER does not use and whose names hold nothing but files; 0
    // when none is free.
    int LowestFreeWideFileNumber();
    // Whether a security that MASTER has no room for may go into XMASTER: always for convert, for a
    // batch when the directory has an XMASTER or it was asked to make one.
    void AllowXmaster(bool bAllowed) { m_bXmasterAllowed = bAllowed; }
    bool XmasterAllowed() const { return m_bXmasterAllowed; }
    // Appends a security record to MASTER, counting it in the header.
    void StageRecord(const metastock::MasterRecord& record);
    // MASTER.BAK, put in place just before the commit, receives MASTER as staged at this moment.
    int StageBackup();  // 0, or 1 after a message when the old MASTER.BAK cannot be read

    // What is staged at a moment, to go back to when one security of a group fails (a batch).
    struct Savepoint {
        std::size_t nStaged = 0;
        metastock::MasterFile master;
        bool bBackup = false;
        std::vector<std::uint8_t> backupBytes;
        bool bEmaster = false;
        std::vector<std::uint8_t> emasterBytes;
        bool bXmaster = false;
        std::vector<std::uint8_t> xmasterBytes;
    };
    Savepoint TakeSavepoint() const;
    // Drops what was staged since the savepoint, removing its temporary files.
    void RollBackTo(const Savepoint& savepoint);
    // Whether anything is staged since the last commit.
    bool HasStaged() const { return !m_staged.empty() || m_bBackup || m_bEmasterStaged || m_bXmasterStaged; }

    // Puts the staged files in place and renames the new MASTER over the old one. 0, or 1 after a message
    // naming the file; on failure before the MASTER rename nothing listed has changed. When only the flush
    // of the directory after the rename fails, the change is made but may not survive a power loss: the
    // message then starts with change ("The security XYZ was added to") and the directory, so that nobody
    // runs it again blindly. Afterwards the lock is still held and the next group can be staged.
    int Commit(const std::string& change = "The change was made in");
    // Drops what is staged, removing its temporary files (the destructor does this too).
    void Discard();

private:
    struct StagedFile {
        std::unique_ptr<metastock::CReplacementFile> file;
        bool bTargetExisted = false;
        std::vector<std::uint8_t> oldBytes;  // of the file it replaces, to put back when the commit fails
    };

    int Fail(const std::string& message);
    int StageIndex(bool bStaged, const metastock::IndexFile& index, const std::vector<std::uint8_t>& bytes);
    // The entry of the directory named name in any case, from the listing taken under the lock and kept
    // up to date by the commits; bThere tells whether it exists.
    std::filesystem::path Entry(const std::string& name, bool& bThere) const;
    void Listed(const std::filesystem::path& path, bool bThere);
    bool NameTaken(const std::string& name);
    void RollBack(metastock::CReplacementFile* pBackup);

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
    bool m_bXmasterAllowed = true;
    std::vector<StagedFile> m_staged;
    bool m_bBackup = false;
    std::vector<std::uint8_t> m_backupBytes;
    std::vector<std::uint8_t> m_oldBackupBytes;  // to restore when the commit fails after MASTER.BAK moved
    bool m_bHadBackup = false;
    bool m_bOldBackupRead = false;  // m_oldBackupBytes hold MASTER.BAK as on disk since the last commit
    // The directory's entries under the lock, by their names in upper case. Only this object changes the
    // directory while it holds the lock, so a batch looks a name up without a stat or a listing.
    std::map<std::string, std::string> m_entries;
    std::set<std::string> m_names;  // the same names as spelt
};

}  // namespace engine
