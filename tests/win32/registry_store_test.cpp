// The registry store of quoteforge.exe: numbers read as "%d" reads them, text outside ASCII and the
// recent-file list survive the registry, and a value too long reads as absent.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "metastock/path_text.h"
#include "support/temp_dir.h"
#include "win32/registry_store.h"
#include "win32/text.h"

namespace {

const char kSection[] = "Registry store test";

// Takes the test's section out of the registry again, also when a test fails.
struct SectionCleanup {
    ~SectionCleanup()
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Pelnic Software\\Quoteforge\\" + win32::Wide(kSection)).c_str());
    }
};

TEST(RegistryStore, NumbersReadAsPercentD)
{
    const struct {
        const char* text;
        bool read;
        int value;
    } cases[] = {{"007", true, 7},   {" 12", true, 12},  {"12abc", true, 12},          {"-3", true, -3},
                 {"+4", true, 4},    {"", false, 0},     {"abc", false, 0},            {"- 1", false, 0},
                 {"2147483647", true, 2147483647},       {"2147483648", false, 0},     {"-2147483648", true, -2147483647 - 1}};
    for (const auto& each : cases) {
        int value = 0;
        EXPECT_EQ(win32::ScanInt(each.text, value), each.read) << '"' << each.text << '"';
        if (each.read) {
            EXPECT_EQ(value, each.value) << '"' << each.text << '"';
        }
    }
}

TEST(RegistryStore, ValuesSurviveTheRegistry)
{
    SectionCleanup cleanup;
    win32::CRegistryStore store;
    store.WriteString(kSection, "Path", "C:\\Kurse\\M\u00fcller \u20ac");
    EXPECT_EQ(store.ReadString(kSection, "Path", "none"), "C:\\Kurse\\M\u00fcller \u20ac");
    EXPECT_EQ(store.ReadString(kSection, "Missing", "none"), "none");
    store.WriteInt(kSection, "Exist", -1);
    EXPECT_EQ(store.ReadInt(kSection, "Exist", 5), -1);
    store.WriteString(kSection, "Exist", "x");
    EXPECT_EQ(store.ReadInt(kSection, "Exist", 5), 5) << "a value that is no number reads as the fallback";
    store.WriteString(kSection, "Long", std::string(260, 'a'));
    EXPECT_EQ(store.ReadString(kSection, "Long", "none"), "none") << "260 characters or more read as absent";
}

TEST(RegistryStore, RecentFilesKeepFourMostRecentFirst)
{
    SectionCleanup cleanup;
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Pelnic Software\\Quoteforge\\Recent File List");
    win32::CRegistryStore store;
    for (const char* file : {"C:\\a.csv", "C:\\b.csv", "C:\\c.csv", "C:\\d.csv", "C:\\e.csv", "c:\\B.CSV"})
        store.AddRecentFile(file);
    const std::vector<std::string> expected{"c:\\B.CSV", "C:\\e.csv", "C:\\d.csv", "C:\\c.csv"};
    EXPECT_EQ(store.RecentFiles(), expected) << "the same file in other case moves to the top once";
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Pelnic Software\\Quoteforge\\Recent File List");
}

TEST(RegistryStore, TheLegacyIniFileIsImportedIntoItsSections)
{
    SectionCleanup cleanup;
    CTempDir dir;
    // A file name in upper case, Windows-1252 text, a section in other case that meets the one before, and
    // blanks kept around "=".
    WriteText(dir.Path() / "QUOTEFORGE.INI", std::string("[") + kSection +
                                                 "]\r\nName=Soci\xe9t\xe9\r\nPath = C:\\DATA\r\nSymbol=IBM\r\n"
                                                 "[REGISTRY store TEST]\r\nSYMBOL=MSFT\r\n");
    win32::CRegistryStore store;
    store.ImportIniFile(metastock::TextFromPath(dir.Path() / "Quoteforge.INI"));
    EXPECT_EQ(store.ReadString(kSection, "Name", "none"), "Soci\u00e9t\u00e9") << "old text is Windows-1252";
    EXPECT_EQ(store.ReadString(kSection, "Path ", "none"), " C:\\DATA");
    EXPECT_EQ(store.ReadString(kSection, "Path", "none"), "none");
    EXPECT_EQ(store.ReadString(kSection, "Symbol", "none"), "MSFT");
    EXPECT_FALSE(store.IsEmpty());
}

}  // namespace
