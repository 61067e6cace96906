#pragma once
// Every call that the format layer and the engine make on the file system (existence checks and listings
// included) goes through IFileSystem, so that each platform supplies its own (file_system_posix.cpp,
// file_system_windows.cpp) and tests can install one that fails any chosen call. The interface uses no
// platform types.
//
// What a replacement of a directory file relies on: a file created exclusively (never through a link,
// never over anything that stands under its name), its data flushed to disk before it is renamed over
// the old file, and the directory flushed after the rename.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace metastock {

// A file open for writing. Destroying it closes it (a failure then goes unnoticed: call Close).
class IWritableFile {
public:
    virtual ~IWritableFile() = default;
    virtual bool Write(const void* data, std::size_t size) = 0;
    // Overwrites bytes already written, at offset from the start; the end of the file stays where it was.
    virtual bool WriteAt(std::uint64_t offset, const void* data, std::size_t size) = 0;
    // Flushes the file's data to the disk (fdatasync, FlushFileBuffers).
    virtual bool Sync() = 0;
    virtual bool Close() = 0;
};

// A file open for reading from its start, in order; a pipe or a FIFO reads like a file. Destroying it
// closes it.
class IReadableFile {
public:
    virtual ~IReadableFile() = default;
    // Reads up to size bytes into buffer: the number read, which may be fewer (a pipe) and is 0 only at
    // the end of the input, or -1 when reading fails.
    virtual std::ptrdiff_t Read(void* buffer, std::size_t size) = 0;
    // The size in bytes of a regular file, -1 for anything else: a hint of how much the reading will
    // hold, which may change while it is read.
    virtual std::int64_t SizeHint() { return -1; }
};

// An exclusive lock on a directory, released when destroyed or when its process ends.
class IDirectoryLock {
public:
    virtual ~IDirectoryLock() = default;
};

enum class LockResult { kLocked, kBusy, kFailed };

// Whether something stands under a name. Only the system's "no such file" is kNo; any other failure of
// the check (no permission, an I/O error) is kError, since treating it as absent could overwrite a file.
enum class Existence { kYes, kNo, kError };

struct PathStatus {
    Existence existence = Existence::kNo;
    bool regularFile = false;  // with kYes: a file (or a link to one), not a directory or a device
    std::string reason;      // with kError: the system's reason, e.g. "Permission denied"
};

class IFileSystem {
public:
    virtual ~IFileSystem() = default;

    // Creates path for writing; fails when anything stands under that name, a link or a dangling link
    // included. The new file gets the permission bits of permissionsFrom when that file exists, else
    // the default bits of a new file.
    virtual std::unique_ptr<IWritableFile> CreateExclusive(const std::filesystem::path& path,
                                                           const std::filesystem::path& permissionsFrom) = 0;
    // Renames from over to in one step, replacing a file (or a link itself) that stands there.
    virtual bool Rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Removes a file; a link is removed itself, never its target. True when nothing stands there afterwards;
    // a directory is never removed.
    virtual bool Remove(const std::filesystem::path& path) = 0;
    // Opens path for reading; nullptr when it cannot be opened.
    virtual std::unique_ptr<IReadableFile> OpenForReading(const std::filesystem::path& path) = 0;
    // Reads a whole file; false when it cannot be opened or read.
    virtual bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes) = 0;
    // Flushes the directory's entries (renames, new files) to the disk.
    virtual bool SyncDirectory(const std::filesystem::path& directory) = 0;
    // Flushes to the disk, in one call, everything written so far to the file system that holds directory
    // (syncfs), so that a group of many files costs one flush. False when that fails or the platform has
    // no such call; the caller then flushes file by file.
    virtual bool SyncFileSystem(const std::filesystem::path& directory)
    {
        (void)directory;
        return false;
    }
    // Whether path exists, following links: a dangling link does not.
    virtual PathStatus Exists(const std::filesystem::path& path) = 0;
    // The names of the entries of directory (without "." and ".."); false with the system's reason when
    // it cannot be listed.
    virtual bool List(const std::filesystem::path& directory, std::vector<std::filesystem::path>& names,
                      std::string& reason) = 0;
    // Makes one directory in a parent that exists; true when a directory stands there afterwards, made now
    // or before, else false with the system's reason.
    virtual bool CreateDirectory(const std::filesystem::path& directory, std::string& reason);
    // Makes the directory and any missing parents, each through CreateDirectory; false with the system's
    // reason when it cannot.
    bool MakeDirectory(const std::filesystem::path& directory, std::string& reason);
    // Takes the exclusive lock of directory. Without bWait a lock that another holder has gives kBusy at once.
    virtual LockResult LockDirectory(const std::filesystem::path& directory, bool bWait,
                                     std::unique_ptr<IDirectoryLock>& lock) = 0;
};

// The system's reason for the last call of this thread that failed ("No space left on device"), for
// messages after a call that answers only true or false.
std::string LastFailureReason();

// The platform's own file system.
IFileSystem& PlatformFileSystem();

// The file system that the format layer uses: the platform's, unless a test installed another.
IFileSystem& CurrentFileSystem();

// Installs fileSystem for every later call (nullptr: the platform's again), for tests.
void InstallFileSystem(IFileSystem* fileSystem);

}  // namespace metastock
