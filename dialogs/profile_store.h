#pragma once
// The settings store: named sections of string values that the program keeps between runs.
//
// Every value is a string; integers are kept as their decimal text. Each read or write opens the store,
// does its one access and closes it again, so every call sees what is stored at that moment, also when
// another program changed it in between. Section and value names are compared without regard to case, as
// the Windows registry does, on every platform. The store never shows a message.
//
// Where the values live:
//   Windows: the registry, HKEY_CURRENT_USER\Software\Pelnic Software\Quoteforge
//   Linux and other Unix systems: $XDG_CONFIG_HOME/Pelnic Software/Quoteforge.conf (~/.config by default)
//   macOS: the preferences file Qt names after the organisation and application
// A store can also be given an INI-format file of its own (tests, portable use).

#include <QString>
#include <QStringList>

#include <memory>

class QSettings;

namespace dialogs {

inline constexpr char kSettingSection[] = "Setting";
inline constexpr char kScreenSection[] = "Screen";
inline constexpr char kRecentFileSection[] = "Recent File List";
inline constexpr int kRecentFileCount = 4;

// A stored value this long or longer reads as absent.
inline constexpr int kMaxStoredValueLength = 260;

class CProfileStore {
public:
    // The platform's own store; the legacy INI file is looked for at DefaultIniPath().
    CProfileStore();
    // An INI-format file as the store, and the legacy INI file to import from.
    CProfileStore(const QString& strSettingsFile, const QString& strIniFile);
    virtual ~CProfileStore();
    CProfileStore(const CProfileStore&) = delete;
    CProfileStore& operator=(const CProfileStore&) = delete;

    // Opens or creates the store. True when it can be written; *pbCreated tells whether it was new (held
    // nothing yet), which is when the caller runs ImportIniFile.
    bool Open(bool* pbCreated);
    // Copies every section and name=value line of the legacy INI file into the store, if the file exists.
    void ImportIniFile();

    // Reads as the C conversion "%d" does ("007" is 7, " 12" is 12, "12abc" is 12); a value that does not
    // begin with a number that fits an int reads as the default, as does an absent one.
    int ReadInt(const QString& strSection, const QString& strName, int nDefault) const;
    // Stores the number as its "%d" text. True when stored.
    bool WriteInt(const QString& strSection, const QString& strName, int nValue);
    QString ReadString(const QString& strSection, const QString& strName, const QString& strDefault) const;
    bool WriteString(const QString& strSection, const QString& strName, const QString& strValue);

    // The recent-file list: values "File1" to "File4" of section "Recent File List", most recent first.
    // Empty entries are left out when reading; writing stores all four, empty text for missing ones.
    QStringList ReadRecentFiles() const;
    void WriteRecentFiles(const QStringList& files);
    // Puts the path at the head of the list, drops an earlier entry of the same path and keeps four.
    void AddRecentFile(const QString& strPath);

    // Where the legacy INI file "Quoteforge.INI" is looked for by default: the Windows directory on
    // Windows, the user's configuration directory elsewhere ($XDG_CONFIG_HOME, ~/.config by default).
    static QString DefaultIniPath();

private:
    std::unique_ptr<QSettings> OpenSettings() const;

    QString m_strSettingsFile;  // empty: the platform's own store
    QString m_strIniFile;
};

}  // namespace dialogs
