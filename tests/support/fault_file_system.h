#pragma once
// A file system for tests that passes every call to the platform's and makes the Nth counted call fail
// (create, write, flush, close, rename, open for reading, each read, existence check, listing, directory
// creation, directory flush, file-system flush, lock; removals always go through, as the clean-up of a failure needs them). A
// failed call gives the reason "Input/output error", or the error a test names. Installed for its lifetime.

#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "metastock/file_system.h"

class CFaultFileSystem : public metastock::IFileSystem {
public:
    explicit CFaultFileSystem(int nFailAt = 0) : m_nFailAt(nFailAt) { metastock::InstallFileSystem(this); }
    // Fails every call named call ("exists MASTER") with the system's error nErrno.
    CFaultFileSystem(std::string call, int nErrno) : m_nFailErrno(nErrno), m_nFailAt(0), m_strFailCall(std::move(call))
    {
        metastock::InstallFileSystem(this);
    }
    ~CFaultFileSystem() override { metastock::InstallFileSystem(nullptr); }

    // Counted calls so far, each as "what path".
    std::vector<std::string> calls;

    std::unique_ptr<metastock::IWritableFile> CreateExclusive(const std::filesystem::path& path,
                                                              const std::filesystem::path& permissionsFrom) override
    {
        if (!Pass("create " + path.filename().string()))
            return nullptr;
        auto file = m_platform.CreateExclusive(path, permissionsFrom);
        return file ? std::make_unique<CFile>(*this, std::move(file), path.filename().string()) : nullptr;
    }
    bool Rename(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        return Pass("rename " + from.filename().string() + " " + to.filename().string()) && m_platform.Rename(from, to);
    }
    bool Remove(const std::filesystem::path& path) override { return m_platform.Remove(path); }
    std::unique_ptr<metastock::IReadableFile> OpenForReading(const std::filesystem::path& path) override
    {
        if (!Pass("open " + path.filename().string()))
            return nullptr;
        auto file = m_platform.OpenForReading(path);
        return file ? std::make_unique<CReadable>(*this, std::move(file), path.filename().string()) : nullptr;
    }
    bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes) override
    {
        return Pass("read " + path.filename().string()) && m_platform.ReadWholeFile(path, bytes);
    }
    bool SyncDirectory(const std::filesystem::path& directory) override
    {
        return Pass("syncdir") && m_platform.SyncDirectory(directory);
    }
    bool SyncFileSystem(const std::filesystem::path& directory) override
    {
        return Pass("syncfs") && m_platform.SyncFileSystem(directory);
    }
    metastock::PathStatus Exists(const std::filesystem::path& path) override
    {
        if (!Pass("exists " + path.filename().string()))
            return {metastock::Existence::kError, false, std::strerror(m_nFailErrno)};
        return m_platform.Exists(path);
    }
    bool List(const std::filesystem::path& directory, std::vector<std::filesystem::path>& names,
              std::string& reason) override
    {
        if (!Pass("list")) {
            reason = std::strerror(m_nFailErrno);
            return false;
        }
        return m_platform.List(directory, names, reason);
    }
    bool CreateDirectory(const std::filesystem::path& directory, std::string& reason) override
    {
        if (!Pass("mkdir " + directory.filename().string())) {
            reason = std::strerror(m_nFailErrno);
            return false;
        }
        return m_platform.CreateDirectory(directory, reason);
    }
    metastock::LockResult LockDirectory(const std::filesystem::path& directory, bool bWait,
                                        std::unique_ptr<metastock::IDirectoryLock>& lock) override
    {
        if (!Pass("lock"))
            return metastock::LockResult::kFailed;
        return m_platform.LockDirectory(directory, bWait, lock);
    }

private:
    class CFile : public metastock::IWritableFile {
    public:
        CFile(CFaultFileSystem& owner, std::unique_ptr<metastock::IWritableFile> file, std::string name)
            : m_owner(owner), m_pFile(std::move(file)), m_strName(std::move(name))
        {
        }
        bool Write(const void* data, std::size_t size) override
        {
            return m_owner.Pass("write " + m_strName) && m_pFile->Write(data, size);
        }
        bool WriteAt(std::uint64_t offset, const void* data, std::size_t size) override
        {
            return m_owner.Pass("write " + m_strName) && m_pFile->WriteAt(offset, data, size);
        }
        bool Sync() override { return m_owner.Pass("sync " + m_strName) && m_pFile->Sync(); }
        bool Close() override
        {
            const bool bClosed = m_pFile->Close();
            return m_owner.Pass("close " + m_strName) && bClosed;
        }

    private:
        CFaultFileSystem& m_owner;
        std::unique_ptr<metastock::IWritableFile> m_pFile;
        std::string m_strName;
    };

    class CReadable : public metastock::IReadableFile {
    public:
        CReadable(CFaultFileSystem& owner, std::unique_ptr<metastock::IReadableFile> file, std::string name)
            : m_owner(owner), m_pFile(std::move(file)), m_strName(std::move(name))
        {
        }
        std::ptrdiff_t Read(void* buffer, std::size_t size) override
        {
            return m_owner.Pass("read " + m_strName) ? m_pFile->Read(buffer, size) : -1;
        }

    private:
        CFaultFileSystem& m_owner;
        std::unique_ptr<metastock::IReadableFile> m_pFile;
        std::string m_strName;
    };

    // A batch reads its inputs on worker threads: the calls are counted one at a time.
    bool Pass(std::string call)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const bool bFail = static_cast<int>(calls.size()) + 1 == m_nFailAt || (!m_strFailCall.empty() && call == m_strFailCall);
        calls.push_back(std::move(call));
        if (!bFail)
            return true;
        errno = m_nFailErrno;
        return false;
    }

    std::mutex m_mutex;
    int m_nFailErrno = EIO;
    int m_nFailAt;
    std::string m_strFailCall;
    metastock::IFileSystem& m_platform = metastock::PlatformFileSystem();
};
