// The run sequence: the first step that refuses ends the run. The input is read and checked before the
// directory is looked at; up to the commit at the end of Convert the run only stages its files, so a
// refusal or failure leaves the directory as it was.

#include "engine/converter.h"
#include "engine/directory_commit.h"

namespace engine {

int CConverter::Run()
{
    int status = 1;
    if ((m_bRead || (CheckInput() == 0 && ReadRecords() == 0)) && CheckPath() == 0 && CheckColumns() == 0 &&
        (m_bUpdate ? PrepareUpdate() : 0) == 0 && (m_bUpdating || (CheckDuplicate() == 0 && AddSymbol() == 0))) {
        WriteBackSettings();
        if (!m_bUseExisting || BackUpMaster() == 0)
            status = Convert();
    }
    // Releases the directory's lock and removes the temporary files of a run that did not commit.
    m_pDataFile = nullptr;
    m_pCommit.reset();
    m_pInput.reset();
    return status;
}

// Once the security is added, the stored settings remember where it went.
void CConverter::WriteBackSettings()
{
    m_services.settings.WriteString("Setting", "Path", m_szPath);
    m_services.settings.WriteString("Setting", "Symbol", m_szSymbol);
    m_services.settings.WriteString("Setting", "Name", m_szName);
}

}  // namespace engine
