#include "win32/registry_store.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <climits>

#include "desktop/legacy_ini.h"
#include "win32/text.h"

namespace win32 {

namespace {

const wchar_t kApplicationKey[] = L"Software\\Pelnic Software\\Quoteforge";
// A stored value this long or longer reads as absent, as the Qt front end reads it.
constexpr std::size_t kMaxStoredValueLength = 260;

// The section with the empty name is the application key itself, as "[]" in the legacy INI file made it.
std::wstring SectionKey(const std::string& section)
{
    return section.empty() ? std::wstring(kApplicationKey) : std::wstring(kApplicationKey) + L"\\" + Wide(section);
}

}  // namespace

bool ScanInt(const std::string& text, int& value)
{
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size() || !std::isdigit(static_cast<unsigned char>(text[i])))
        return false;
    long long number = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        number = number * 10 + (text[i] - '0');
        if (number > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    number = negative ? -number : number;
    if (number > INT_MAX || number < INT_MIN)
        return false;
    value = static_cast<int>(number);
    return true;
}

std::string CRegistryStore::ReadString(const std::string& section, const std::string& name,
                                       const std::string& fallback) const
{
    const std::wstring key = SectionKey(section);
    const std::wstring valueName = Wide(name);
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), valueName.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
        ERROR_SUCCESS)
        return fallback;
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), valueName.c_str(), RRF_RT_REG_SZ, nullptr, value.data(), &size) !=
        ERROR_SUCCESS)
        return fallback;
    value.resize(wcsnlen(value.c_str(), value.size()));
    if (value.size() >= kMaxStoredValueLength)
        return fallback;
    return Utf8(value);
}

void CRegistryStore::WriteString(const std::string& section, const std::string& name, const std::string& value)
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey,
                        nullptr) != ERROR_SUCCESS)
        return;
    const std::wstring wide = Wide(value);
    RegSetValueExW(hKey, Wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                   static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(hKey);
}

int CRegistryStore::ReadInt(const std::string& section, const std::string& name, int fallback) const
{
    int value = 0;
    return ScanInt(ReadString(section, name, std::string()), value) ? value : fallback;
}

void CRegistryStore::WriteInt(const std::string& section, const std::string& name, int value)
{
    WriteString(section, name, std::to_string(value));
}

std::vector<std::string> CRegistryStore::RecentFiles() const
{
    std::vector<std::string> files;
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const std::string file = ReadString(kRecentFileSection, "File" + std::to_string(i), std::string());
        if (!file.empty())
            files.push_back(file);
    }
    return files;
}

void CRegistryStore::AddRecentFile(const std::string& path)
{
    std::vector<std::string> files = RecentFiles();
    // Windows' names are alike without regard to case.
    const std::wstring wide = Wide(path);
    std::erase_if(files, [&](const std::string& file) {
        return CompareStringOrdinal(Wide(file).c_str(), -1, wide.c_str(), -1, TRUE) == CSTR_EQUAL;
    });
    files.insert(files.begin(), path);
    files.resize(kRecentFileCount);
    for (int i = 0; i < kRecentFileCount; ++i)
        WriteString(kRecentFileSection, "File" + std::to_string(i + 1), files[static_cast<std::size_t>(i)]);
}

bool CRegistryStore::IsEmpty() const
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kApplicationKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return true;
    DWORD subKeys = 0;
    DWORD values = 0;
    const LSTATUS status =
        RegQueryInfoKeyW(hKey, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(hKey);
    return status == ERROR_SUCCESS && subKeys == 0 && values == 0;
}

void CRegistryStore::ImportIniFile(const std::string& path)
{
    std::vector<desktop::IniEntry> entries;
    if (!desktop::ReadLegacyIni(path, desktop::DecodeLegacyText, entries))
        return;
    // The registry compares key and value names without regard to case, so "[SETTING]" meets "Setting".
    for (const desktop::IniEntry& entry : entries)
        WriteString(entry.section, entry.name, entry.value);
}

std::string LegacyIniPath()
{
    wchar_t folder[MAX_PATH] = L"";
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    const std::wstring windows = length > 0 && length < MAX_PATH ? std::wstring(folder, length) : L"C:\\Windows";
    return Utf8(windows + L"\\") + desktop::kLegacyIniFileName;
}

}  // namespace win32
