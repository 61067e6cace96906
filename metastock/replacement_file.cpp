#include "metastock/replacement_file.h"

#include <system_error>

namespace metastock {

CReplacementFile::CReplacementFile(std::filesystem::path target, std::filesystem::path temp)
    : m_target(std::move(target)), m_temp(std::move(temp))
{
}

CReplacementFile::~CReplacementFile()
{
    if (m_pFile)
        std::fclose(m_pFile);
    if (m_bCreated && !m_bCommitted) {
        std::error_code ignored;
        std::filesystem::remove(m_temp, ignored);
    }
}

bool CReplacementFile::Fail(const char* what, const std::filesystem::path& file)
{
    if (m_strError.empty())
        m_strError = std::string(what) + " " + file.string();
    return false;
}

bool CReplacementFile::Open()
{
    std::error_code error;
    // Whatever else stands under the temporary name (a directory, say) is not ours to remove.
    if (std::filesystem::exists(m_temp, error) && !std::filesystem::is_regular_file(m_temp, error))
        return Fail("Cannot create", m_temp);
    m_pFile = std::fopen(m_temp.string().c_str(), "wb");
    if (!m_pFile)
        return Fail("Cannot create", m_temp);
    m_bCreated = true;
    return true;
}

bool CReplacementFile::Write(const void* data, std::size_t size)
{
    if (!m_pFile || !m_strError.empty())
        return false;
    if (size > 0 && std::fwrite(data, 1, size, m_pFile) != size)
        return Fail("Cannot write", m_temp);
    return true;
}

bool CReplacementFile::Patch(long offset, const void* data, std::size_t size)
{
    if (!m_pFile || !m_strError.empty())
        return false;
    const long end = std::ftell(m_pFile);
    if (end < 0 || std::fseek(m_pFile, offset, SEEK_SET) != 0 || std::fwrite(data, 1, size, m_pFile) != size ||
        std::fseek(m_pFile, end, SEEK_SET) != 0)
        return Fail("Cannot write", m_temp);
    return true;
}

bool CReplacementFile::Commit()
{
    if (!m_pFile || !m_strError.empty())
        return false;
    const bool flushed = std::fflush(m_pFile) == 0 && !std::ferror(m_pFile);
    const bool closed = std::fclose(m_pFile) == 0;
    m_pFile = nullptr;
    if (!flushed || !closed)
        return Fail("Cannot write", m_temp);
    std::error_code error;
    std::filesystem::rename(m_temp, m_target, error);
    if (error)
        return Fail("Cannot replace", m_target);
    m_bCommitted = true;
    return true;
}

std::filesystem::path WithSuffix(const std::filesystem::path& target, const std::string& suffix)
{
    return target.string() + suffix;
}

std::filesystem::path WithExtension(const std::filesystem::path& target, const std::string& extension)
{
    return std::filesystem::path(target).replace_extension(extension);
}

bool ReplaceFileContents(const std::filesystem::path& target, const std::filesystem::path& temp, const void* data,
                         std::size_t size, std::string& error)
{
    CReplacementFile file(target, temp);
    const bool done = file.Open() && file.Write(data, size) && file.Commit();
    error = file.Error();
    return done;
}

bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.string().c_str(), "rb");
    if (!file)
        return false;
    std::uint8_t block[16 * 1024];
    for (std::size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;)
        bytes.insert(bytes.end(), block, block + got);
    const bool read = !std::ferror(file);
    std::fclose(file);
    return read;
}

}  // namespace metastock
