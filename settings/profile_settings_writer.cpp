#include "settings/profile_settings_writer.h"

#include <QString>

#include "engine/code_page.h"
#include "settings/engine_path.h"
#include "settings/profile_store.h"

// The run hands back the path as it opened it (UTF-8 on Windows, the system's names elsewhere), and symbol and
// name as the MASTER file holds them, in Windows-1252. The store keeps UTF-8 text.
void CProfileSettingsWriter::WriteString(const std::string& section, const std::string& name,
                                         const std::string& value)
{
    const QString strValue = name == "Path" ? FromEngineText(value)
                                            : QString::fromStdString(engine::Windows1252ToUtf8(value));
    m_store.WriteString(QString::fromLocal8Bit(section), QString::fromLocal8Bit(name), strValue);
}
