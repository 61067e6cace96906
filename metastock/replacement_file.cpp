#include "metastock/replacement_file.h"

namespace metastock {

CReplacementFile::CReplacementFile(std::filesystem::path target, std::filesystem::path temp)
    : m_target(std::move(target)), m_temp(std::move(temp))
{
}

CReplacementFile::~CReplacementFile()
{
    Discard();
}

// Messages name the file that the user knows, never its temporary name, with the system's reason.
bool CReplacementFile::Fail(const char* what, const char* after)
{
    if (m_strError.empty())
        m_strError = std::string(what) + " " + m_target.string() + after + ": " + LastFailureReason();
    return false;
}

bool CReplacementFile::Open()
{
    IFileSystem& fileSystem = CurrentFileSystem();
    // A stale temporary file of a run that was killed; whatever else stands there (a directory) stays.
    if (!fileSystem.Remove(m_temp)) {
        m_strError = "Cannot write " + m_target.string() + ": its temporary file " + m_temp.filename().string() +
                     " cannot be replaced (" + LastFailureReason() + ")";
        return false;
    }
    m_pFile = fileSystem.CreateExclusive(m_temp, m_target);
    if (!m_pFile)
        return Fail("Cannot write");
    m_bCreated = true;
    return true;
}

bool CReplacementFile::Write(const void* data, std::size_t size)
{
    if (!m_pFile || !m_strError.empty())
        return false;
    if (size > 0 && !m_pFile->Write(data, size))
        return Fail("Cannot write");
    return true;
}

bool CReplacementFile::Patch(std::uint64_t offset, const void* data, std::size_t size)
{
    if (!m_pFile || !m_strError.empty())
        return false;
    if (!m_pFile->WriteAt(offset, data, size))
        return Fail("Cannot write");
    return true;
}

bool CReplacementFile::Finish(bool bSync)
{
    if (!m_pFile || !m_strError.empty())
        return false;
    const bool bSynced = !bSync || m_pFile->Sync();
    const bool bClosed = m_pFile->Close();
    m_pFile.reset();
    if (!bSynced || !bClosed)
        return Fail("Cannot write");
    m_bFinished = true;
    return true;
}

bool CReplacementFile::PutInPlace()
{
    if (!m_bFinished || !m_strError.empty())
        return false;
    if (!CurrentFileSystem().Rename(m_temp, m_target))
        return Fail("Cannot put", " in place");
    m_bCommitted = true;
    return true;
}

bool CReplacementFile::Commit(bool bSync)
{
    if (!Finish(bSync) || !PutInPlace())
        return false;
    if (bSync && !CurrentFileSystem().SyncDirectory(DirectoryOf(m_target)))
        return Fail("Cannot flush to disk the directory of");
    return true;
}

void CReplacementFile::Discard()
{
    if (m_pFile) {
        m_pFile->Close();
        m_pFile.reset();
    }
    if (m_bCreated && !m_bCommitted) {
        CurrentFileSystem().Remove(m_temp);
        m_bCreated = false;
    }
}

std::filesystem::path DirectoryOf(const std::filesystem::path& path)
{
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
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
    return CurrentFileSystem().ReadWholeFile(path, bytes);
}

}  // namespace metastock
