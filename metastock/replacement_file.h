#pragma once
// Writes a file that replaces another without ever leaving it half-written: the new contents go
// completely into a temporary file beside it, which is then renamed over the old file in one step.
// Until the rename the old file stays as it was; a temporary file that is not committed is removed.

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>

class CReplacementFile {
public:
    // The temporary file is the target's path with tempSuffix appended (MASTER.~NU, F1.NEW ...).
    CReplacementFile(std::filesystem::path target, const std::string& tempSuffix);
    ~CReplacementFile();
    CReplacementFile(const CReplacementFile&) = delete;
    CReplacementFile& operator=(const CReplacementFile&) = delete;

    bool Open();
    bool Write(const void* data, std::size_t size);
    // Closes the temporary file and renames it over the target.
    bool Commit();

    // After a failure: what went wrong, naming the file.
    const std::string& Error() const { return m_strError; }

private:
    void Fail(const char* what, const std::filesystem::path& file);

    std::filesystem::path m_target;
    std::filesystem::path m_temp;
    std::FILE* m_pFile = nullptr;
    bool m_bCommitted = false;
    std::string m_strError;
};

// Replaces target with the given bytes through a temporary file.
bool ReplaceFileContents(const std::filesystem::path& target, const std::string& tempSuffix, const void* data,
                         std::size_t size, std::string& error);
