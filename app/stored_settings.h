#pragma once
// The settings store as the desktop's string store: what the presenters remember goes through
// CProfileStore, and so into QSettings.

#include "desktop/string_store.h"
#include "engine/job/conversion_settings.h"

namespace dialogs { class CProfileStore; }

namespace app {

class CProfileStringStore : public desktop::IStringStore {
public:
    explicit CProfileStringStore(dialogs::CProfileStore& profile) : m_profile(profile) {}
    std::string ReadString(const std::string& section, const std::string& name,
                           const std::string& fallback) const override;
    void WriteString(const std::string& section, const std::string& name, const std::string& value) override;
    int ReadInt(const std::string& section, const std::string& name, int fallback) const override;
    void WriteInt(const std::string& section, const std::string& name, int value) override;

private:
    dialogs::CProfileStore& m_profile;
};

// The conversion settings as stored in section "Setting"; a setting that is not stored takes its default.
engine::ConversionSettings LoadSettings(const dialogs::CProfileStore& profile);

}  // namespace app
