// The legacy INI file as the old versions read it: which lines become entries, how its text is decoded,
// and that the file is found whatever the case of its name.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/legacy_ini.h"
#include "metastock/path_text.h"
#include "support/temp_dir.h"

using desktop::IniEntry;

namespace {

std::string AsIs(std::string_view bytes)
{
    return std::string(bytes);
}

std::string Show(const std::vector<IniEntry>& entries)
{
    std::string text;
    for (const IniEntry& entry : entries)
        text += "[" + entry.section + "] <" + entry.name + "> = <" + entry.value + ">\n";
    return text;
}

TEST(LegacyIni, LinesBecomeEntriesOfTheirSection)
{
    const struct {
        std::string file;
        std::vector<IniEntry> entries;
    } cases[] = {
        {"[Setting]\nDateFormat=YYMMDD\nPath = C:\\DATA\n",
         {{"Setting", "DateFormat", "YYMMDD"}, {"Setting", "Path ", " C:\\DATA"}}},
        // Only a whole bracketed line is a header; its name is trimmed, and "[]" names the empty section.
        {"[ Old Section ]\nk=v\n[a]b]\nz=1\n  [S]\t\n[]\ne=yes\n",
         {{"Old Section", "k", "v"}, {"Old Section", "z", "1"}, {"", "e", "yes"}}},
        // Before the first header, and without "=", a line is dropped; a comment-like name is a name.
        {"x=1\n; note\n\n[S]\n;note=1\njust text\n=nameless\n", {{"S", ";note", "1"}, {"S", "", "nameless"}}},
        {"  [Screen]  \r\n\t x = 5 \t\r\n", {{"Screen", "x ", " 5"}}},
        // CR LF ends a line, a lone CR stays in it, and Ctrl-Z ends the text.
        {"[S]\r\na=1\rb\r\n\x1a[T]\r\nk=v\r\n", {{"S", "a", "1\rb"}}},
        // Reads of 519 characters: the rest of a longer line is a line of its own.
        {"[S]\na=" + std::string(517, 'x') + "b=2\n", {{"S", "a", std::string(517, 'x')}, {"S", "b", "2"}}},
        {"[S]\nlast=no line end", {{"S", "last", "no line end"}}},
    };
    for (const auto& each : cases)
        EXPECT_EQ(Show(desktop::ParseLegacyIni(each.file, AsIs)), Show(each.entries)) << each.file;
}

TEST(LegacyIni, TextIsUtf8OrWindows1252)
{
    const struct {
        std::string bytes;
        std::string text;
    } cases[] = {
        {"Soci\xc3\xa9t\xc3\xa9", "Soci\xc3\xa9t\xc3\xa9"},
        {"Soci\xe9t\xe9 \x80", "Soci\xc3\xa9t\xc3\xa9 \xe2\x82\xac"},
        {"\xc0\xaf", "\xc3\x80\xc2\xaf"},          // an overlong slash is no UTF-8
        {"\xed\xa0\x80", "\xc3\xad\xc2\xa0\xe2\x82\xac"},  // nor is a surrogate
        {"\xf0\x9f\x93\x88", "\xf0\x9f\x93\x88"},
    };
    for (const auto& each : cases)
        EXPECT_EQ(desktop::DecodeLegacyText(each.bytes), each.text) << each.bytes;
}

TEST(LegacyIni, TheFileIsFoundWhateverTheCaseOfItsName)
{
    CTempDir dir;
    WriteText(dir.Path() / "QUOTEFORGE.INI", "[Setting]\nSymbol=IBM\n");
    std::vector<IniEntry> entries;
    ASSERT_TRUE(desktop::ReadLegacyIni(metastock::TextFromPath(dir.Path() / "Quoteforge.INI"), AsIs, entries));
    EXPECT_EQ(Show(entries), "[Setting] <Symbol> = <IBM>\n");
    EXPECT_FALSE(desktop::ReadLegacyIni(metastock::TextFromPath(dir.Path() / "Other.INI"), AsIs, entries));
    EXPECT_FALSE(desktop::ReadLegacyIni(metastock::TextFromPath(dir.Path() / "none" / "Quoteforge.INI"), AsIs, entries));
}

}  // namespace
