// The run sequence: the first step that refuses ends the run. The input is read and checked before the
// directory is looked at; up to the commit at the end of Convert the run only stages its files, so a
// refusal or failure leaves the directory as it was.

#include "engine/directory/directory_commit.h"
#include "engine/run/converter.h"
#include "metastock/path_text.h"

namespace engine {

ConversionResult CConverter::Run()
{
    int status = 1;
    const bool bReady = (m_bRead || ReadRecords() == 0) && CheckPath() == 0;
    if (bReady && DoneByInterruptedRun()) {
        WriteBackSettings();
        status = 0;
    } else if (bReady && CheckColumns() == 0 &&
        (m_job.update ? PrepareUpdate() : 0) == 0 &&
        (m_result.updated || (CheckDuplicate() == 0 && AddSymbol() == 0))) {
        WriteBackSettings();
        if (m_job.master == MasterChoice::New || BackUpMaster() == 0)
            status = Convert();
    }
    // Releases the directory's lock and removes the temporary files of a run that did not commit.
    m_pDataFile = nullptr;
    m_pCommit.reset();
    m_pInput.reset();
    m_result.status = status;
    return m_result;
}

// Once the security is added, the stored settings remember where it went.
void CConverter::WriteBackSettings()
{
    m_services.settings.WriteString("Setting", "Path", metastock::TextFromPath(m_directory));
    m_services.settings.WriteString("Setting", "Symbol", m_job.symbol);
    m_services.settings.WriteString("Setting", "Name", m_job.name);
}

}  // namespace engine
