// The file system of Linux, macOS and the other POSIX systems.

#ifndef _WIN32

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "metastock/file_system.h"

namespace metastock {

namespace {

int OpenRetrying(const char* path, int flags, mode_t mode = 0)
{
    int fd;
    do
        fd = ::open(path, flags, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

bool SyncDescriptor(int fd)
{
#if defined(__APPLE__)
    // fsync on macOS leaves the data in the drive's cache; F_FULLFSYNC reaches the medium.
    return ::fcntl(fd, F_FULLFSYNC) == 0 || ::fsync(fd) == 0;
#elif defined(__linux__)
    return ::fdatasync(fd) == 0;
#else
    return ::fsync(fd) == 0;
#endif
}

class CPosixFile : public IWritableFile {
public:
    explicit CPosixFile(int fd) : m_fd(fd) {}
    ~CPosixFile() override { Close(); }

    bool Write(const void* data, std::size_t size) override
    {
        const char* bytes = static_cast<const char*>(data);
        while (m_fd >= 0 && size > 0) {
            const ssize_t written = ::write(m_fd, bytes, size);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            bytes += written;
            size -= static_cast<std::size_t>(written);
            m_nEnd += static_cast<std::uint64_t>(written);
        }
        return m_fd >= 0;
    }

    bool WriteAt(std::uint64_t offset, const void* data, std::size_t size) override
    {
        const char* bytes = static_cast<const char*>(data);
        if (m_fd < 0 || offset + size > m_nEnd)
            return false;
        while (size > 0) {
            const ssize_t written = ::pwrite(m_fd, bytes, size, static_cast<off_t>(offset));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            bytes += written;
            size -= static_cast<std::size_t>(written);
            offset += static_cast<std::uint64_t>(written);
        }
        return true;
    }

    bool Sync() override { return m_fd >= 0 && SyncDescriptor(m_fd); }

    bool Close() override
    {
        if (m_fd < 0)
            return true;
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0 || errno == EINTR;
    }

private:
    int m_fd;
    std::uint64_t m_nEnd = 0;
};

class CPosixReadableFile : public IReadableFile {
public:
    explicit CPosixReadableFile(int fd) : m_fd(fd) {}
    ~CPosixReadableFile() override { ::close(m_fd); }

    std::ptrdiff_t Read(void* buffer, std::size_t size) override
    {
        ssize_t got;
        do
            got = ::read(m_fd, buffer, size);
        while (got < 0 && errno == EINTR);
        return got < 0 ? -1 : static_cast<std::ptrdiff_t>(got);
    }

    std::int64_t SizeHint() override
    {
        struct stat status;
        return ::fstat(m_fd, &status) == 0 && S_ISREG(status.st_mode) ? static_cast<std::int64_t>(status.st_size) : -1;
    }

private:
    int m_fd;
};

class CPosixLock : public IDirectoryLock {
public:
    explicit CPosixLock(int fd) : m_fd(fd) {}
    ~CPosixLock() override { ::close(m_fd); }  // closing the descriptor releases the lock

private:
    int m_fd;
};

class CPosixFileSystem : public IFileSystem {
public:
    std::unique_ptr<IWritableFile> CreateExclusive(const std::filesystem::path& path,
                                                   const std::filesystem::path& permissionsFrom) override
    {
        mode_t mode = 0666;  // less the umask
        struct stat status {};
        const bool bCopyMode = ::stat(permissionsFrom.c_str(), &status) == 0 && S_ISREG(status.st_mode);
        if (bCopyMode)
            mode = status.st_mode & 07777;
        const int fd = OpenRetrying(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0)
            return nullptr;
        // The umask must not narrow the replaced file's bits.
        if (bCopyMode && ::fchmod(fd, mode) != 0) {
            const int error = errno;
            ::close(fd);
            ::unlink(path.c_str());
            errno = error;
            return nullptr;
        }
        return std::make_unique<CPosixFile>(fd);
    }

    bool Rename(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        return ::rename(from.c_str(), to.c_str()) == 0;
    }

    bool Remove(const std::filesystem::path& path) override
    {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0)
            return errno == ENOENT;
        if (S_ISDIR(status.st_mode)) {
            errno = EISDIR;
            return false;
        }
        return ::unlink(path.c_str()) == 0 || errno == ENOENT;
    }

    std::unique_ptr<IReadableFile> OpenForReading(const std::filesystem::path& path) override
    {
        const int fd = OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return nullptr;
        return std::make_unique<CPosixReadableFile>(fd);
    }

    bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes) override
    {
        // Without blocking: a FIFO under an index's name would otherwise hold the run (and its lock) for good.
        const int fd = OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return false;
        struct stat status {};
        bool bRead = ::fstat(fd, &status) == 0;
        if (bRead && !S_ISREG(status.st_mode)) {
            ::close(fd);
            errno = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
            return false;
        }
        std::uint8_t block[16 * 1024];
        while (bRead) {
            const ssize_t got = ::read(fd, block, sizeof block);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                bRead = got == 0;
                break;
            }
            bytes.insert(bytes.end(), block, block + got);
        }
        ::close(fd);
        return bRead;
    }

    bool SyncDirectory(const std::filesystem::path& directory) override
    {
        const int fd = OpenRetrying(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool bSynced = ::fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot sync a directory
        ::close(fd);
        return bSynced;
    }

#ifdef __linux__
    bool SyncFileSystem(const std::filesystem::path& directory) override
    {
        const int fd = OpenRetrying(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool bSynced = ::syncfs(fd) == 0;
        ::close(fd);
        return bSynced;
    }
#endif

    PathStatus Exists(const std::filesystem::path& path) override
    {
        PathStatus result;
        struct stat status {};
        if (::stat(path.c_str(), &status) == 0) {
            result.existence = Existence::kYes;
            result.regularFile = S_ISREG(status.st_mode);
        } else if (errno == ENOENT || errno == ENOTDIR) {
            result.existence = Existence::kNo;  // ENOTDIR: a file stands where a directory of the path would
        } else {
            result.existence = Existence::kError;
            result.reason = LastFailureReason();
        }
        return result;
    }

    bool List(const std::filesystem::path& directory, std::vector<std::filesystem::path>& names,
              std::string& reason) override
    {
        names.clear();
        DIR* listing = ::opendir(directory.empty() ? "." : directory.c_str());
        if (!listing) {
            reason = LastFailureReason();
            return false;
        }
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(listing);
            if (!entry)
                break;
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.emplace_back(entry->d_name);
        }
        const int error = errno;
        ::closedir(listing);
        if (error != 0) {
            reason = std::strerror(error);
            return false;
        }
        return true;
    }

    LockResult LockDirectory(const std::filesystem::path& directory, bool bWait,
                             std::unique_ptr<IDirectoryLock>& lock) override
    {
        // flock on the directory itself: no lock file to leave behind, and the lock goes with the process.
        const int fd = OpenRetrying(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return LockResult::kFailed;
        int result;
        do
            result = ::flock(fd, LOCK_EX | (bWait ? 0 : LOCK_NB));
        while (result != 0 && errno == EINTR);
        if (result != 0) {
            const bool bBusy = errno == EWOULDBLOCK;
            ::close(fd);
            return bBusy ? LockResult::kBusy : LockResult::kFailed;
        }
        lock = std::make_unique<CPosixLock>(fd);
        return LockResult::kLocked;
    }
};

}  // namespace

std::string LastFailureReason()
{
    return std::strerror(errno);
}

IFileSystem& PlatformFileSystem()
{
    static CPosixFileSystem fileSystem;
    return fileSystem;
}

}  // namespace metastock

#endif  // _WIN32
