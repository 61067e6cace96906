#include "app/stored_settings.h"

#include "dialogs/profile_store.h"

namespace app {

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

std::string CProfileStringStore::ReadString(const std::string& section, const std::string& name,
                                            const std::string& fallback) const
{
    return m_profile.ReadString(Q(section), Q(name), Q(fallback)).toStdString();
}

void CProfileStringStore::WriteString(const std::string& section, const std::string& name, const std::string& value)
{
    m_profile.WriteString(Q(section), Q(name), Q(value));
}

int CProfileStringStore::ReadInt(const std::string& section, const std::string& name, int fallback) const
{
    return m_profile.ReadInt(Q(section), Q(name), fallback);
}

void CProfileStringStore::WriteInt(const std::string& section, const std::string& name, int value)
{
    m_profile.WriteInt(Q(section), Q(name), value);
}

}  // namespace app
