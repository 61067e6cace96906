#include "metastock/replacement_file.h"

#include <system_error>

CReplacementFile::CReplacementFile(std::filesystem::path target, const std::string& tempSuffix)
    : m_target(std::move(target)), m_temp(m_target.string() + tempSuffix)
{
}

CReplacementFile::~CReplacementFile()
{
    if (m_pFile)
        std::fclose(m_pFile);
    if (!m_bCommitted) {
        std::error_code ignored;
        std::filesystem::remove(m_temp, ignored);
    }
}

void CReplacementFile::Fail(const char* what, const std::filesystem::path& file)
{
    if (m_strError.empty())
        m_strError = std::string(what) + " " + file.string();
}

bool CReplacementFile::Open()
{
    m_pFile = std::fopen(m_temp.string().c_str(), "wb");
    if (!m_pFile)
        Fail("Cannot create", m_temp);
    return m_pFile != nullptr;
}

bool CReplacementFile::Write(const void* data, std::size_t size)
{
    if (!m_pFile || !m_strError.empty())
        return false;
    if (size > 0 && std::fwrite(data, 1, size, m_pFile) != size) {
        Fail("Cannot write", m_temp);
        return false;
    }
    return true;
}

bool CReplacementFile::Commit()
{
    if (!m_pFile || !m_strError.empty())
        return false;
    const bool flushed = std::fflush(m_pFile) == 0 && !std::ferror(m_pFile);
    const bool closed = std::fclose(m_pFile) == 0;
    m_pFile = nullptr;
    if (!flushed || !closed) {
        Fail("Cannot write", m_temp);
        return false;
    }
    std::error_code error;
    std::filesystem::rename(m_temp, m_target, error);
    if (error) {
        Fail("Cannot replace", m_target);
        return false;
    }
    m_bCommitted = true;
    return true;
}

bool ReplaceFileContents(const std::filesystem::path& target, const std::string& tempSuffix, const void* data,
                         std::size_t size, std::string& error)
{
    CReplacementFile file(target, tempSuffix);
    const bool done = file.Open() && file.Write(data, size) && file.Commit();
    error = file.Error();
    return done;
}
