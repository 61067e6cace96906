// The settings store on QSettings, and the one-time import of the legacy INI file.

#include "dialogs/profile_store.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>

#include <climits>
#include <string_view>
#include <vector>

#include "desktop/legacy_ini.h"

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace dialogs {

namespace {

const char* const kOrganisation = "Pelnic Software";
const char* const kApplication = "Quoteforge";

// White space as the C library's isspace sees it in the "C" locale.
bool IsCSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

// QSettings takes '/' and '\' in a key as group separators and refuses an empty key. Names are stored with
// '%', '/' and '\' escaped and an empty name as a lone "%", so that every name comes back as it was given.
QString EncodeName(const QString& strName)
{
    if (strName.isEmpty())
        return QStringLiteral("%");
    QString encoded;
    encoded.reserve(strName.size());
    for (const QChar c : strName) {
        if (c == u'%')
            encoded += QStringLiteral("%25");
        else if (c == u'/')
            encoded += QStringLiteral("%2F");
        else if (c == u'\\')
            encoded += QStringLiteral("%5C");
        else
            encoded += c;
    }
    return encoded;
}

// The stored name that equals strName without regard to case, or strName itself when none is stored yet.
QString StoredName(const QStringList& stored, const QString& strName)
{
    if (stored.contains(strName))
        return strName;
    for (const QString& name : stored)
        if (name.compare(strName, Qt::CaseInsensitive) == 0)
            return name;
    return strName;
}

QString KeyOf(QSettings& settings, const QString& strSection, const QString& strName)
{
    const QString group = StoredName(settings.childGroups(), EncodeName(strSection));
    settings.beginGroup(group);
    const QString name = StoredName(settings.childKeys(), EncodeName(strName));
    settings.endGroup();
    return group + u'/' + name;
}

// As "%d" reads: white space, an optional sign, decimal digits, and whatever follows ignored.
bool ScanInt(const QString& text, int& nValue)
{
    qsizetype i = 0;
    while (i < text.size() && IsCSpace(text[i]))
        ++i;
    bool bNegative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        bNegative = text[i++] == u'-';
    const qsizetype firstDigit = i;
    long long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    if (i == firstDigit)
        return false;
    value = bNegative ? -value : value;
    if (value < INT_MIN || value > INT_MAX)
        return false;
    nValue = static_cast<int>(value);
    return true;
}

// Legacy INI files are in the Windows code page of their day; elsewhere a piece that is not UTF-8 is taken
// as Latin-1, which matches that code page for letters.
QString DecodeIniText(const QByteArray& piece)
{
#ifdef Q_OS_WIN
    return QString::fromLocal8Bit(piece);
#else
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(piece);
    return utf8.hasError() ? QString::fromLatin1(piece) : text;
#endif
}

QString RecentFileName(int n)
{
    return QStringLiteral("File%1").arg(n);
}

}  // namespace

CProfileStore::CProfileStore() : m_strIniFile(DefaultIniPath()) {}

CProfileStore::CProfileStore(const QString& strSettingsFile, const QString& strIniFile)
    : m_strSettingsFile(strSettingsFile), m_strIniFile(strIniFile)
{
}

CProfileStore::~CProfileStore() = default;

// A QSettings of its own for each access: made, it reads what is stored at that moment, also what another
// program changed; destroyed, it has written the change.
std::unique_ptr<QSettings> CProfileStore::OpenSettings() const
{
    // The user's own store: a machine-wide one could not be written without administrator rights, and every
    // setting would then silently fall back to its default.
    auto settings = m_strSettingsFile.isEmpty()
                        ? std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                      kOrganisation, kApplication)
                        : std::make_unique<QSettings>(m_strSettingsFile, QSettings::IniFormat);
    settings->setFallbacksEnabled(false);
    return settings;
}

bool CProfileStore::Open(bool* pbCreated)
{
    const auto settings = OpenSettings();
    const bool bWritable = settings->isWritable() && settings->status() == QSettings::NoError;
    if (pbCreated)
        *pbCreated = bWritable && settings->allKeys().isEmpty();
    return bWritable;
}

void CProfileStore::ImportIniFile()
{
    std::vector<desktop::IniEntry> entries;
    const auto decode = [](std::string_view bytes) {
        return DecodeIniText(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()))).toStdString();
    };
    if (!desktop::ReadLegacyIni(m_strIniFile.toStdString(), decode, entries))
        return;
    const auto settings = OpenSettings();
    for (const desktop::IniEntry& entry : entries)
        settings->setValue(KeyOf(*settings, QString::fromStdString(entry.section), QString::fromStdString(entry.name)),
                           QString::fromStdString(entry.value));
    settings->sync();
}

int CProfileStore::ReadInt(const QString& strSection, const QString& strName, int nDefault) const
{
    const QString text = ReadString(strSection, strName, QString());
    int nValue = 0;
    return ScanInt(text, nValue) ? nValue : nDefault;
}

bool CProfileStore::WriteInt(const QString& strSection, const QString& strName, int nValue)
{
    return WriteString(strSection, strName, QString::number(nValue));
}

QString CProfileStore::ReadString(const QString& strSection, const QString& strName,
                                  const QString& strDefault) const
{
    const auto settings = OpenSettings();
    const QVariant value = settings->value(KeyOf(*settings, strSection, strName));
    if (!value.isValid())
        return strDefault;
    // A list is what QSettings makes of an unquoted text with commas that another program wrote.
    QString text = value.typeId() == QMetaType::QStringList ? value.toStringList().join(QStringLiteral(", "))
                                                             : value.toString();
    if (text.size() >= kMaxStoredValueLength)
        return strDefault;
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

bool CProfileStore::WriteString(const QString& strSection, const QString& strName, const QString& strValue)
{
    const auto settings = OpenSettings();
    settings->setValue(KeyOf(*settings, strSection, strName), strValue);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

QStringList CProfileStore::ReadRecentFiles() const
{
    QStringList files;
    for (int n = 1; n <= kRecentFileCount; ++n) {
        const QString strPath = ReadString(kRecentFileSection, RecentFileName(n), QString());
        if (!strPath.isEmpty())
            files.append(strPath);
    }
    return files;
}

void CProfileStore::WriteRecentFiles(const QStringList& files)
{
    for (int n = 1; n <= kRecentFileCount; ++n)
        WriteString(kRecentFileSection, RecentFileName(n), n <= files.size() ? files[n - 1] : QString());
}

void CProfileStore::AddRecentFile(const QString& strPath)
{
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity sameFile = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity sameFile = Qt::CaseSensitive;
#endif
    QStringList files = ReadRecentFiles();
    files.removeIf([&](const QString& file) { return file.compare(strPath, sameFile) == 0; });
    files.prepend(strPath);
    WriteRecentFiles(files.mid(0, kRecentFileCount));
}

QString CProfileStore::DefaultIniPath()
{
#ifdef Q_OS_WIN
    wchar_t szDir[MAX_PATH] = L"";
    const UINT nLength = GetWindowsDirectoryW(szDir, MAX_PATH);
    const QString strDir = nLength > 0 && nLength < MAX_PATH ? QString::fromWCharArray(szDir, nLength)
                                                             : qEnvironmentVariable("SystemRoot");
#else
    const QString strDir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
#endif
    return QDir(strDir).filePath(QString::fromLatin1(desktop::kLegacyIniFileName));
}

}  // namespace dialogs
