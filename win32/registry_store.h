#pragma once
// The settings in the registry, under HKEY_CURRENT_USER\Software\Pelnic Software\Quoteforge, one key
// per section, every value a REG_SZ (numbers as their decimal text). Qt's QSettings keeps the desktop's
// settings on Windows under this very key, so both front ends read the same values.

#include <string>
#include <vector>

#include "desktop/string_store.h"
#include "engine/job/services.h"

namespace win32 {

inline constexpr char kScreenSection[] = "Screen";
inline constexpr char kRecentFileSection[] = "Recent File List";
inline constexpr int kRecentFileCount = 4;

class CRegistryStore : public desktop::IStringStore {
public:
    std::string ReadString(const std::string& section, const std::string& name,
                           const std::string& fallback) const override;
    void WriteString(const std::string& section, const std::string& name, const std::string& value) override;
    int ReadInt(const std::string& section, const std::string& name, int fallback) const override;
    void WriteInt(const std::string& section, const std::string& name, int value) override;

    // "File1" to "File4" of "Recent File List", most recent first, empty ones left out.
    std::vector<std::string> RecentFiles() const;
    // Puts the path at the head of the list, drops an earlier entry of it and keeps four.
    void AddRecentFile(const std::string& path);

    // True when the application key holds no section and no value: nothing has been stored yet.
    bool IsEmpty() const;
    // Copies every section and name=value line of the legacy INI file at path into the registry, if the file
    // is there. Start-up runs it while the key is still empty, so it happens once.
    void ImportIniFile(const std::string& path);
};

// Where the legacy INI file is looked for: "Quoteforge.INI" in the Windows folder.
std::string LegacyIniPath();

// The run's write-back of "Path", "Symbol" and "Name" into the store.
class CStoreSettingsWriter : public engine::ISettingsWriter {
public:
    explicit CStoreSettingsWriter(desktop::IStringStore& store) : m_store(store) {}
    void WriteString(const std::string& section, const std::string& name, const std::string& value) override
    {
        m_store.WriteString(section, name, value);
    }

private:
    desktop::IStringStore& m_store;
};

// Reads as the C conversion "%d" does ("007" is 7, " 12" is 12, "12abc" is 12); false when the text does
// not begin with a number that fits an int.
bool ScanInt(const std::string& text, int& value);

}  // namespace win32
