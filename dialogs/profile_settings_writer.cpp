#include "dialogs/profile_settings_writer.h"

#include <QString>

#include "dialogs/engine_path.h"
#include "dialogs/profile_store.h"

// The run hands back the path as it opened it (UTF-8 on Windows, the system's names elsewhere), and symbol and
// name as UTF-8 text, which the store keeps.

namespace dialogs {

void CProfileSettingsWriter::WriteString(const std::string& section, const std::string& name,
                                         const std::string& value)
{
    const QString strValue = name == "Path" ? FromEngineText(value)
                                            : QString::fromStdString(value);
    m_store.WriteString(QString::fromLocal8Bit(section), QString::fromLocal8Bit(name), strValue);
}

}  // namespace dialogs
