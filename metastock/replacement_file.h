#pragma once
// Writes a file that replaces another without ever leaving it half-written: the new contents go
// completely into a temporary file beside it, which is then renamed over the old file in one step.
// Until the rename the old file stays as it was; a temporary file that is not committed is removed.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

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
    bool Patch(long offset, const void* data, std::size_t size);
    // Closes the temporary file and renames it over the target.
    bool Commit();

    // After a failure: what went wrong, naming the file.
    const std::string& Error() const { return m_strError; }

private:
    bool Fail(const char* what, const std::filesystem::path& file);

    std::filesystem::path m_target;
    std::filesystem::path m_temp;
    std::FILE* m_pFile = nullptr;
    bool m_bCreated = false;
    bool m_bCommitted = false;
    std::string m_strError;
};

// The temporary file beside target: its name with suffix appended (MASTER.~NU), or with its extension
// replaced (F1.DAT becomes F1.NEW).
std::filesystem::path WithSuffix(const std::filesystem::path& target, const std::string& suffix);
std::filesystem::path WithExtension(const std::filesystem::path& target, const std::string& extension);

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes);

// Replaces target with the given bytes through the temporary file temp.
bool ReplaceFileContents(const std::filesystem::path& target, const std::filesystem::path& temp, const void* data,
                         std::size_t size, std::string& error);

}  // namespace metastock
