// The settings store: defaults, the string form of every value, how numbers are read back, the length
// limit, names that QSettings would otherwise bend, and the recent-file list.

#include <QFile>
#include <QSettings>
#include <QString>

#include <climits>
#include <string>

#include <gtest/gtest.h>

#include "dialogs/profile_store.h"
#include "support/temp_dir.h"

using namespace dialogs;

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

class ProfileStore : public ::testing::Test {
protected:
    QString StoreFile() const { return Q(m_dir / "Quoteforge.conf"); }
    QString IniFile() const { return Q(m_dir / "Quoteforge.INI"); }

    CTempDir m_dir;
    CProfileStore m_store{StoreFile(), IniFile()};
};

TEST_F(ProfileStore, AbsentSectionsAndValuesGiveTheCallersDefault)
{
    EXPECT_EQ(m_store.ReadString("Setting", "DateFormat", "MMDDYY"), "MMDDYY");
    EXPECT_EQ(m_store.ReadInt("Setting", "DateCol", 1), 1);
    m_store.WriteString("Setting", "Symbol", "IBM");
    EXPECT_EQ(m_store.ReadString("Setting", "Name", ""), "");
    EXPECT_EQ(m_store.ReadInt("Setting", "OICol", 7), 7);
    EXPECT_EQ(m_store.ReadString("Screen", "Symbol", "none"), "none") << "sections are separate";
}

TEST_F(ProfileStore, IntegersAreStoredAsTheirDecimalText)
{
    const struct {
        int nValue;
        const char* szText;
    } cases[] = {{0, "0"}, {7, "7"}, {-3, "-3"}, {200, "200"}, {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}};
    for (const auto& c : cases) {
        EXPECT_TRUE(m_store.WriteInt("Setting", "SkipRows", c.nValue));
        QSettings raw(StoreFile(), QSettings::IniFormat);
        const QVariant stored = raw.value("Setting/SkipRows");
        EXPECT_EQ(stored.typeId(), QMetaType::QString) << c.nValue << " is stored as text";
        EXPECT_EQ(stored.toString(), c.szText);
        EXPECT_EQ(m_store.ReadInt("Setting", "SkipRows", 99), c.nValue);
        EXPECT_EQ(m_store.ReadString("Setting", "SkipRows", ""), c.szText);
    }
}

TEST_F(ProfileStore, StoredTextIsReadAsANumberTheWayCReadsIt)
{
    const struct {
        const char* szStored;
        int nRead;  // the default is 99
    } cases[] = {
        {"007", 7},           {" 12", 12},    {"\t 8", 8},   {"-3", -3},   {"+5", 5},     {"12abc", 12},
        {"4 5", 4},           {"-0", 0},      {"2147483647", INT_MAX},     {"-2147483648", INT_MIN},
        {"abc", 99},          {"", 99},       {"-", 99},     {"- 3", 99},  {"x12", 99},   {"2147483648", 99},
        {"99999999999999999999", 99},
    };
    for (const auto& c : cases) {
        m_store.WriteString("Setting", "DateCol", c.szStored);
        EXPECT_EQ(m_store.ReadInt("Setting", "DateCol", 99), c.nRead) << "stored \"" << c.szStored << "\"";
    }
}

TEST_F(ProfileStore, ValuesOf260CharactersOrMoreReadAsAbsent)
{
    const QString longest(kMaxStoredValueLength - 1, u'x');
    m_store.WriteString("Setting", "Path", longest);
    EXPECT_EQ(m_store.ReadString("Setting", "Path", "default"), longest);

    EXPECT_TRUE(m_store.WriteString("Setting", "Path", QString(kMaxStoredValueLength, u'x')));
    EXPECT_EQ(m_store.ReadString("Setting", "Path", "default"), "default");
    m_store.WriteString("Setting", "SkipRows", "1" + QString(kMaxStoredValueLength, u' '));
    EXPECT_EQ(m_store.ReadInt("Setting", "SkipRows", 42), 42);
}

TEST_F(ProfileStore, EveryNameComesBackAsItWasGiven)
{
    // Blanks, separators, percent signs and the group name QSettings reserves must not merge or vanish.
    const char* const sections[] = {"Setting", "General", "Old Section", "a/b", "a\\b", "a", "100%", ""};
    const char* const names[] = {"Path", "Path ", " Path", ";note", "x/y", "x\\y", "x", "/x", "b/Path", "%2F", "%", ""};
    for (const char* szSection : sections)
        for (const char* szName : names)
            ASSERT_TRUE(m_store.WriteString(szSection, szName, QStringLiteral("%1|%2").arg(szSection, szName)));
    for (const char* szSection : sections)
        for (const char* szName : names)
            EXPECT_EQ(m_store.ReadString(szSection, szName, "absent"), QStringLiteral("%1|%2").arg(szSection, szName))
                << "section \"" << szSection << "\", value \"" << szName << "\"";
}

TEST_F(ProfileStore, NamesAreComparedWithoutRegardToCase)
{
    m_store.WriteString("Setting", "DateFormat", "YYMMDD");
    EXPECT_EQ(m_store.ReadString("SETTING", "dateformat", ""), "YYMMDD");
    m_store.WriteString("setting", "DATEFORMAT", "DDMMYY");
    EXPECT_EQ(m_store.ReadString("Setting", "DateFormat", ""), "DDMMYY");

    QSettings raw(StoreFile(), QSettings::IniFormat);
    EXPECT_EQ(raw.childGroups(), QStringList{"Setting"}) << "one section, not two";
    raw.beginGroup("Setting");
    EXPECT_EQ(raw.childKeys(), QStringList{"DateFormat"}) << "one value, not two";
}

TEST_F(ProfileStore, EachAccessSeesWhatIsStoredAtThatMoment)
{
    CProfileStore other(StoreFile(), IniFile());
    m_store.WriteString("Setting", "Symbol", "IBM");
    EXPECT_EQ(other.ReadString("Setting", "Symbol", ""), "IBM");
    other.WriteInt("Setting", "SkipRows", 12);
    EXPECT_EQ(m_store.ReadInt("Setting", "SkipRows", 0), 12);

    // Another program rewrites the file.
    WriteText(m_dir / "Quoteforge.conf", "[Setting]\nSymbol=MSFT\nName=Microsoft Corp\n");
    EXPECT_EQ(m_store.ReadString("Setting", "Symbol", ""), "MSFT");
    EXPECT_EQ(m_store.ReadString("Setting", "Name", ""), "Microsoft Corp");
    EXPECT_EQ(m_store.ReadInt("Setting", "SkipRows", -1), -1);
}

TEST_F(ProfileStore, OpenReportsANewStoreOnlyUntilItHoldsSomething)
{
    bool bCreated = false;
    EXPECT_TRUE(m_store.Open(&bCreated));
    EXPECT_TRUE(bCreated);
    m_store.WriteInt("Screen", "x", 10);
    EXPECT_TRUE(m_store.Open(&bCreated));
    EXPECT_FALSE(bCreated);
}

TEST_F(ProfileStore, AStoreThatCannotBeWrittenGivesDefaultsAndReportsFailedWrites)
{
    WriteText(m_dir / "file", "not a directory");
    CProfileStore store(Q(m_dir / "file/sub/Quoteforge.conf"), IniFile());
    bool bCreated = true;
    EXPECT_FALSE(store.Open(&bCreated));
    EXPECT_FALSE(bCreated);
    EXPECT_FALSE(store.WriteString("Setting", "Symbol", "IBM"));
    EXPECT_FALSE(store.WriteInt("Setting", "SkipRows", 3));
    EXPECT_EQ(store.ReadString("Setting", "Symbol", "none"), "none");
    EXPECT_EQ(store.ReadInt("Setting", "SkipRows", 0), 0);
}

TEST_F(ProfileStore, RecentFilesKeepTheFourLatestMostRecentFirst)
{
    EXPECT_TRUE(m_store.ReadRecentFiles().isEmpty());
    for (const char* szPath : {"/a.csv", "/b.csv", "/c.csv", "/d.csv", "/e.csv"})
        m_store.AddRecentFile(szPath);
    EXPECT_EQ(m_store.ReadRecentFiles(), (QStringList{"/e.csv", "/d.csv", "/c.csv", "/b.csv"}));

    m_store.AddRecentFile("/c.csv");
    EXPECT_EQ(m_store.ReadRecentFiles(), (QStringList{"/c.csv", "/e.csv", "/d.csv", "/b.csv"}))
        << "a file opened again moves to the head";
    EXPECT_EQ(m_store.ReadString("Recent File List", "File1", ""), "/c.csv");
    EXPECT_EQ(m_store.ReadString("Recent File List", "File4", ""), "/b.csv");

    m_store.WriteRecentFiles({"/only.csv"});
    EXPECT_EQ(m_store.ReadRecentFiles(), QStringList{"/only.csv"});
}

}  // namespace
