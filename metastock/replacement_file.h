#pragma once
// Writes a file that replaces another without ever leaving it half-written: the new contents go
// completely into a temporary file beside it, which is flushed to disk and then renamed over the old file
// in one step, and the directory is flushed after. Until the rename the old file stays as it was; a
// temporary file that is not put in place is removed.
//
// The temporary file is created exclusively: a stale one is removed first (a link there is removed
// itself, its target left alone), and the new one is never reached through a link. It gets the
// permission bits of the file it replaces. Every call goes through CurrentFileSystem().

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "metastock/file_system.h"

namespace metastock {

class CReplacementFile {
public:
    CReplacementFile(std::filesystem::path target, std::filesystem::path temp);
    ~CReplacementFile();
    CReplacementFile(const CReplacementFile&) = delete;
    CReplacementFile& operator=(const CReplacementFile&) = delete;

    bool Open();
    bool Write(const void* data, std::size_t size);
    // Overwrites bytes already written, at offset from the start.
    bool Patch(std::uint64_t offset, const void* data, std::size_t size);
    // Flushes the data to disk (unless bSync is false) and closes the temporary file.
    bool Finish(bool bSync);
    // Renames the finished temporary file over the target.
    bool PutInPlace();
    // Finish, PutInPlace and a flush of the directory: the whole replacement of one file.
    bool Commit(bool bSync = true);
    // Removes the temporary file unless it was put in place.
    void Discard();
    // Leaves the finished temporary file where it is, for a commit journal that names it to put in place.
    void Keep() { m_bCreated = false; }

    const std::filesystem::path& Target() const { return m_target; }
    const std::filesystem::path& Temp() const { return m_temp; }
    bool InPlace() const { return m_bCommitted; }

    // After a failure: what went wrong, naming the file.
    const std::string& Error() const { return m_strError; }

private:
    bool Fail(const char* what, const char* after = "");

    std::filesystem::path m_target;
    std::filesystem::path m_temp;
    std::unique_ptr<IWritableFile> m_pFile;
    bool m_bCreated = false;
    bool m_bFinished = false;
    bool m_bCommitted = false;
    std::string m_strError;
};

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes);

// Replaces target with the given bytes through the temporary file temp.
bool ReplaceFileContents(const std::filesystem::path& target, const std::filesystem::path& temp, const void* data,
                         std::size_t size, std::string& error);

// The directory that holds path ("." for a bare name).
std::filesystem::path DirectoryOf(const std::filesystem::path& path);

}  // namespace metastock
