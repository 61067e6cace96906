#include "settings/profile_settings_writer.h"

#include <QString>

#include "settings/profile_store.h"

void CProfileSettingsWriter::WriteString(const std::string& section, const std::string& name,
                                         const std::string& value)
{
    m_store.WriteString(QString::fromLocal8Bit(section), QString::fromLocal8Bit(name), QString::fromLocal8Bit(value));
}
