// The one-time import of the legacy INI file into a new store.

#include <QSettings>
#include <QString>

#include <string>

#include <gtest/gtest.h>

#include "dialogs/profile_store.h"
#include "support/temp_dir.h"

using namespace dialogs;

namespace {

class IniImport : public ::testing::Test {
protected:
    QString StoreFile() const { return QString::fromStdString(m_dir / "Quoteforge.conf"); }

    // What start-up does: open the store and import when it is new.
    void StartUp()
    {
        CProfileStore store(StoreFile(), QString::fromStdString(m_dir / "Quoteforge.INI"));
        bool bCreated = false;
        if (store.Open(&bCreated) && bCreated)
            store.ImportIniFile();
    }
    void Import(const std::string& text)
    {
        WriteText(m_dir / "Quoteforge.INI", text);
        StartUp();
    }
    QString Read(const char* szSection, const char* szName) const
    {
        return m_store.ReadString(szSection, szName, "(absent)");
    }
    QStringList Sections() const { return QSettings(StoreFile(), QSettings::IniFormat).childGroups(); }

    CTempDir m_dir;
    CProfileStore m_store{StoreFile(), QString()};
};

TEST_F(IniImport, NamesAndValuesKeepTheBlanksAroundTheirEqualsSign)
{
    Import("[Setting]\nDateFormat=YYMMDD\nPath = C:\\DATA\n");
    EXPECT_EQ(Read("Setting", "DateFormat"), "YYMMDD");
    EXPECT_EQ(Read("Setting", "Path "), " C:\\DATA");
    EXPECT_EQ(Read("Setting", "Path"), "(absent)") << "\"Path \" is not the Path value";
}

TEST_F(IniImport, ImportedValuesReadAsIfTheProgramHadWrittenThem)
{
    Import("[Setting]\nSkipRows=12\nOICol=007\n[Screen]\nx=100\ncx=870\n");
    EXPECT_EQ(m_store.ReadInt("Setting", "SkipRows", 0), 12);
    EXPECT_EQ(m_store.ReadInt("Setting", "OICol", 0), 7);
    EXPECT_EQ(m_store.ReadInt("Screen", "x", 0), 100);
    EXPECT_EQ(m_store.ReadInt("Screen", "cx", 0), 870);
}

TEST_F(IniImport, OnlyAWholeBracketedLineIsASectionHeader)
{
    Import("[ Old Section ]\nk=v\n[a]b]\nz=1\n  [Setting]\t\nSymbol=IBM\n[]\nempty=yes\n");
    EXPECT_EQ(Read("Old Section", "k"), "v");
    EXPECT_EQ(Read("Old Section", "z"), "1") << "\"[a]b]\" is no header, so z stays in the section before";
    EXPECT_EQ(Read("a]b", "z"), "(absent)");
    EXPECT_EQ(Read("Setting", "Symbol"), "IBM");
    EXPECT_EQ(Read("", "empty"), "yes") << "\"[]\" names the section with the empty name";
}

TEST_F(IniImport, LinesBeforeTheFirstSectionAndLinesWithoutEqualsAreDropped)
{
    Import("x=1\n; a comment\n\n[Setting]\n;note=1\njust text\n=nameless\n");
    EXPECT_EQ(Read("Setting", "x"), "(absent)");
    EXPECT_EQ(Read("", "x"), "(absent)");
    EXPECT_EQ(Read("Setting", ";note"), "1") << "a comment-like name is a name like any other";
    EXPECT_EQ(Read("Setting", ""), "nameless");
    EXPECT_EQ(Sections(), QStringList{"Setting"});
}

TEST_F(IniImport, LinesAreTrimmedAtBothEndsOnly)
{
    Import("  [Screen]  \r\n\t x = 5 \t\r\n");
    EXPECT_EQ(Read("Screen", "x "), " 5");
    EXPECT_EQ(m_store.ReadInt("Screen", "x ", 0), 5);
}

TEST_F(IniImport, TheFileIsReadAsText)
{
    // CR LF ends a line; Ctrl-Z ends the text.
    Import("[Setting]\r\nSymbol=IBM\r\nName=Intl\r\n\x1a[Other]\r\nk=v\r\n");
    EXPECT_EQ(Read("Setting", "Symbol"), "IBM");
    EXPECT_EQ(Read("Setting", "Name"), "Intl");
    EXPECT_EQ(Sections(), QStringList{"Setting"});
}

TEST_F(IniImport, ALineLongerThan519CharactersIsReadInPieces)
{
    // The first read takes "a=" and 517 x; the rest of the line, "b=2", is read as a line of its own.
    Import("[S]\na=" + std::string(517, 'x') + "b=2\nc=" + std::string(257, 'y') + "\n");
    EXPECT_EQ(Read("S", "b"), "2");
    EXPECT_EQ(Read("S", "a"), "(absent)") << "517 characters are too long to be read back";
    EXPECT_EQ(Read("S", "c"), QString(257, u'y'));
}

TEST_F(IniImport, SectionsAndNamesMeetTheProgramsWhateverTheirCase)
{
    Import("[SETTING]\nDATEFORMAT=DDMMYY\n[setting]\nsymbol=IBM\n");
    EXPECT_EQ(Read("Setting", "DateFormat"), "DDMMYY");
    EXPECT_EQ(Read("Setting", "Symbol"), "IBM");
    EXPECT_EQ(Sections().size(), 1);
}

TEST_F(IniImport, TextInTheOldWindowsCodePageIsRead)
{
    Import("[Setting]\nName=Soci\xe9t\xe9\nPath=/donn\xc3\xa9\x65s\n");
    EXPECT_EQ(Read("Setting", "Name"), QString::fromUtf8("Soci\xc3\xa9t\xc3\xa9"));
    EXPECT_EQ(Read("Setting", "Path"), QString::fromUtf8("/donn\xc3\xa9\x65s"));
}

TEST_F(IniImport, AFileNamedInAnotherCaseIsFound)
{
    WriteText(m_dir / "QUOTEFORGE.INI", "[Setting]\nSymbol=IBM\n");
    StartUp();
    EXPECT_EQ(Read("Setting", "Symbol"), "IBM");
}

TEST_F(IniImport, HappensOnlyWhenTheStoreIsNew)
{
    Import("[Setting]\nSymbol=IBM\n");
    m_store.WriteString("Setting", "Symbol", "MSFT");
    StartUp();
    EXPECT_EQ(Read("Setting", "Symbol"), "MSFT") << "the second start must not import again";
}

TEST_F(IniImport, AMissingFileImportsNothing)
{
    StartUp();
    bool bCreated = false;
    EXPECT_TRUE(m_store.Open(&bCreated));
    EXPECT_TRUE(bCreated) << "the store still holds nothing";
}

}  // namespace
