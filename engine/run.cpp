// The run sequence: the first step that refuses ends the run; nothing done before it is undone.

#include "engine/converter.h"

namespace engine {

int CConverter::Run()
{
    if (CheckInput() != 0 || CheckPath() != 0 || CheckColumns() != 0 || CheckDuplicate() != 0 ||
        AddSymbol() != 0)
        return 1;
    WriteBackSettings();
    if (m_bUseExisting)
        BackUpMaster();
    return Convert();
}

// Once the security is added, the stored settings remember where it went.
void CConverter::WriteBackSettings()
{
    m_services.settings.WriteString("Setting", "Path", m_szPath);
    m_services.settings.WriteString("Setting", "Symbol", m_szSymbol);
    m_services.settings.WriteString("Setting", "Name", m_szName);
}

}  // namespace engine
