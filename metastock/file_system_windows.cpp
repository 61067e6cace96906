// The file system of Windows. Every call takes the path's UTF-16 form, so that names outside the ANSI
// code page work.

#ifdef _WIN32

#include <windows.h>
#undef CreateDirectory  // the file-system seam's own name; this file calls the ...W functions by name

#include <cerrno>
#include <cstring>
#include <string>

#include "metastock/file_system.h"

namespace metastock {

namespace {

const wchar_t* const kLockFileName = L"QUOTEFORGE.LCK";

class CWindowsFile : public IWritableFile {
public:
    explicit CWindowsFile(HANDLE file) : m_file(file) {}
    ~CWindowsFile() override { Close(); }

    bool Write(const void* data, std::size_t size) override
    {
        const char* bytes = static_cast<const char*>(data);
        while (m_file != INVALID_HANDLE_VALUE && size > 0) {
            const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!::WriteFile(m_file, bytes, chunk, &written, nullptr) || written == 0)
                return false;
            bytes += written;
            size -= written;
            m_nEnd += written;
        }
        return m_file != INVALID_HANDLE_VALUE;
    }

    bool WriteAt(std::uint64_t offset, const void* data, std::size_t size) override
    {
        if (m_file == INVALID_HANDLE_VALUE || offset + size > m_nEnd || size > 0x40000000)
            return false;
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD written = 0;
        // A positioned write on a synchronous handle moves its file pointer: put it back at the end.
        const bool bWritten = ::WriteFile(m_file, data, static_cast<DWORD>(size), &written, &at) && written == size;
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(m_nEnd);
        return ::SetFilePointerEx(m_file, end, nullptr, FILE_BEGIN) && bWritten;
    }

    bool Sync() override { return m_file != INVALID_HANDLE_VALUE && ::FlushFileBuffers(m_file); }

    bool Close() override
    {
        if (m_file == INVALID_HANDLE_VALUE)
            return true;
        const HANDLE file = m_file;
        m_file = INVALID_HANDLE_VALUE;
        return ::CloseHandle(file) != 0;
    }

private:
    HANDLE m_file;
    std::uint64_t m_nEnd = 0;
};

class CWindowsReadableFile : public IReadableFile {
public:
    explicit CWindowsReadableFile(HANDLE file) : m_file(file) {}
    ~CWindowsReadableFile() override { ::CloseHandle(m_file); }

    std::ptrdiff_t Read(void* buffer, std::size_t size) override
    {
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD got = 0;
        if (!::ReadFile(m_file, buffer, chunk, &got, nullptr))
            return ::GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;  // a pipe whose writer has gone: its end
        return static_cast<std::ptrdiff_t>(got);
    }

    std::int64_t SizeHint() override
    {
        LARGE_INTEGER size;
        return ::GetFileType(m_file) == FILE_TYPE_DISK && ::GetFileSizeEx(m_file, &size) ? size.QuadPart : -1;
    }

private:
    HANDLE m_file;
};

class CWindowsLock : public IDirectoryLock {
public:
    explicit CWindowsLock(HANDLE file) : m_file(file) {}
    ~CWindowsLock() override { ::CloseHandle(m_file); }  // closing the handle releases the lock

private:
    HANDLE m_file;
};

class CWindowsFileSystem : public IFileSystem {
public:
    std::unique_ptr<IWritableFile> CreateExclusive(const std::filesystem::path& path,
                                                   const std::filesystem::path& permissionsFrom) override
    {
        // The read-only attribute is what Windows has of permission bits; the replaced file's others
        // (hidden, archive...) come along with it.
        DWORD attributes = FILE_ATTRIBUTE_NORMAL;
        const DWORD from = ::GetFileAttributesW(permissionsFrom.c_str());
        if (from != INVALID_FILE_ATTRIBUTES && !(from & FILE_ATTRIBUTE_DIRECTORY))
            attributes = from & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        if (attributes == 0)
            attributes = FILE_ATTRIBUTE_NORMAL;
        // CREATE_NEW fails when anything stands under the name, a link included.
        const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return nullptr;
        return std::make_unique<CWindowsFile>(file);
    }

    bool Rename(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        // Write-through: the call returns once the rename is on the disk.
        return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }

    bool Remove(const std::filesystem::path& path) override
    {
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = ::GetLastError();
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        }
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return false;
        // A directory link is removed as a directory; its target stays.
        const BOOL removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ::RemoveDirectoryW(path.c_str())
                                                                     : ::DeleteFileW(path.c_str());
        return removed || ::GetLastError() == ERROR_FILE_NOT_FOUND;
    }

    std::unique_ptr<IReadableFile> OpenForReading(const std::filesystem::path& path) override
    {
        // Other programs may go on writing, renaming or deleting the file while it is read.
        const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return nullptr;
        return std::make_unique<CWindowsReadableFile>(file);
    }

    bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes) override
    {
        const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        // A pipe or a device under an index's name would hold the run: only files on a disk are read whole.
        if (::GetFileType(file) != FILE_TYPE_DISK) {
            ::CloseHandle(file);
            ::SetLastError(ERROR_INVALID_FUNCTION);
            return false;
        }
        std::uint8_t block[16 * 1024];
        bool bRead = true;
        for (;;) {
            DWORD got = 0;
            if (!::ReadFile(file, block, sizeof block, &got, nullptr)) {
                bRead = false;
                break;
            }
            if (got == 0)
                break;
            bytes.insert(bytes.end(), block, block + got);
        }
        ::CloseHandle(file);
        return bRead;
    }

    // MoveFileEx with write-through has put the rename on the disk already; Windows cannot flush a
    // directory as such.
    bool SyncDirectory(const std::filesystem::path& directory) override
    {
        const DWORD attributes = ::GetFileAttributesW(directory.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    PathStatus Exists(const std::filesystem::path& path) override
    {
        PathStatus result;
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            result.existence = Existence::kYes;
            result.regularFile = !(attributes & FILE_ATTRIBUTE_DIRECTORY);
            return result;
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            result.existence = Existence::kNo;
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
        const std::filesystem::path pattern = (directory.empty() ? std::filesystem::path(".") : directory) / L"*";
        WIN32_FIND_DATAW found;
        const HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            reason = LastFailureReason();
            return false;
        }
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..")
                names.emplace_back(name);
        } while (::FindNextFileW(search, &found));
        const DWORD error = ::GetLastError();
        ::FindClose(search);
        if (error != ERROR_NO_MORE_FILES) {
            ::SetLastError(error);
            reason = LastFailureReason();
            return false;
        }
        return true;
    }

    // Windows locks byte ranges of files, not directories: the lock is taken on a hidden file in the
    // directory that is deleted when the last handle to it closes, so nothing is left behind, even
    // when the process dies.
    LockResult LockDirectory(const std::filesystem::path& directory, bool bWait,
                             std::unique_ptr<IDirectoryLock>& lock) override
    {
        const std::filesystem::path lockPath = directory / kLockFileName;
        HANDLE file = INVALID_HANDLE_VALUE;
        for (int nTry = 0; file == INVALID_HANDLE_VALUE; ++nTry) {
            file = ::CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
            // Access is denied while the file of a holder that just let go waits to be deleted.
            if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_ACCESS_DENIED || nTry >= 200)
                break;
            if (!bWait)
                return LockResult::kBusy;
            ::Sleep(10);
        }
        if (file == INVALID_HANDLE_VALUE)
            return LockResult::kFailed;
        OVERLAPPED whole{};
        const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (bWait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
        if (!::LockFileEx(file, flags, 0, MAXDWORD, MAXDWORD, &whole)) {
            const bool bBusy = ::GetLastError() == ERROR_LOCK_VIOLATION;
            ::CloseHandle(file);
            return bBusy ? LockResult::kBusy : LockResult::kFailed;
        }
        lock = std::make_unique<CWindowsLock>(file);
        return LockResult::kLocked;
    }
};

}  // namespace

std::string LastFailureReason()
{
    const DWORD error = ::GetLastError();
    if (error == 0)
        return std::strerror(errno);  // set by a test's file system
    // The text comes in UTF-16 and leaves as UTF-8, like all text inside the program.
    wchar_t text[512] = L"";
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                          text, 512, nullptr);
    std::string reason(static_cast<std::size_t>(length) * 3, '\0');
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), reason.data(),
                                            static_cast<int>(reason.size()), nullptr, nullptr);
    reason.resize(bytes > 0 ? static_cast<std::size_t>(bytes) : 0);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.'))
        reason.pop_back();
    return reason.empty() ? "system error " + std::to_string(error) : reason;
}

IFileSystem& PlatformFileSystem()
{
    static CWindowsFileSystem fileSystem;
    return fileSystem;
}

}  // namespace metastock

#endif  // _WIN32
