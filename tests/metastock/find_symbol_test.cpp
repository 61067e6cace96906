// Looking a security up by symbol or name through a MASTER and the sub-directories its "<DIR>" entries name.

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "metastock/find_symbol.h"
#include "support/temp_dir.h"

using namespace metastock;

namespace fs = std::filesystem;

namespace {

// Text longer than the width runs on into the next bytes, as in a MASTER written by another program.
void Put(MasterRecord& record, std::size_t offset, std::size_t width, std::string_view text)
{
    std::memset(&record[offset], ' ', width);
    std::memcpy(&record[offset], text.data(), text.size());
}

// File number n, name, first and last date 1 January 2000 (50 2A 74 94), symbol.
MasterRecord Security(std::uint8_t n, std::string_view symbol, std::string_view name = "SOME NAME")
{
    MasterRecord record{n, 0, 0x65};
    Put(record, 7, 16, name);
    std::memcpy(&record[25], "\x50\x2A\x74\x94\x50\x2A\x74\x94", 8);
    Put(record, 36, 16, symbol);
    return record;
}

MasterRecord DirectoryEntry(std::string_view name)
{
    MasterRecord record{};
    Put(record, 7, 11, name);
    std::memcpy(&record[18], "<DIR>", 5);
    return record;
}

void WriteMaster(const fs::path& directory, const std::vector<MasterRecord>& records, const char* szName = "MASTER")
{
    fs::create_directories(directory);
    std::string bytes(kMasterRecordSize, '\0');
    bytes[0] = bytes[2] = static_cast<char>(records.size());
    for (const MasterRecord& record : records)
        bytes.append(reinterpret_cast<const char*>(record.data()), record.size());
    WriteText(directory / szName, bytes);
}

struct Lookup {
    std::int16_t nResult;
    MasterRecord record{};
    std::string foundIn;
};

Lookup Find(const fs::path& directory, std::string_view sought)
{
    Lookup lookup{};
    lookup.nResult = FindSymbol(directory.string(), sought, lookup.record, lookup.foundIn);
    return lookup;
}

}  // namespace

TEST(FindSymbol, MatchesTheSymbolsLeadingWordsOrTheNameIgnoringCase)
{
    const struct {
        const char* szSymbol;
        const char* szName;
        const char* szSought;
        bool bFound;
    } cases[] = {
        {"XYZ", "", "xyz", true},
        {"xyz", "", "XYZ", true},
        {"XYZW", "", "XYZ", false},
        {"XYZ", "", "XYZW", false},
        {"XYZ CORP", "", "XYZ", true},  // as many words as the sought text has
        {"XYZ CORP", "", "xyz corp", true},
        {"XYZ CORP INC", "", "XYZ CORP", true},
        {"XYZ", "", "XYZ CORP", false},
        {"ABCDEFGHIJKLMNOP", "", "abcdefghijklmnop", true},
        {"ABCDEFGHIJKLMNOP", "", "ABCDEFGHIJKLMNO", false},
        {"ABCDEFGHIJKLMNOPQ", "", "ABCDEFGHIJKLMNOP", false},  // the record's last byte belongs to the symbol
        {"ABCDEFGHIJKLMNOPQ", "", "abcdefghijklmnopq", true},
        {"ACM", "Acme Corp", "ACME CORP", true},  // a security also answers to its name
        {"ACM", "Acme Corp", "Acme", false},
        {"ODD", "           <DIR>", "ODD", true},  // "<DIR>" after a blank name is a security
    };
    for (const auto& c : cases) {
        CTempDir dir;
        WriteMaster(dir.Path(), {Security(7, c.szSymbol, c.szName)});
        EXPECT_EQ(Find(dir.Path(), c.szSought).nResult, c.bFound ? kSymbolFound : kSymbolNotFound)
            << "sought \"" << c.szSought << "\" in symbol \"" << c.szSymbol << "\", name \"" << c.szName << "\"";
    }
}

TEST(FindSymbol, SearchesSubDirectoriesDepthFirstInRecordOrder)
{
    CTempDir dir;
    const fs::path top = dir.Path();
    // A level's securities come before its sub-directories, even those listed after a "<DIR>" entry.
    WriteMaster(top, {Security(1, "TOP"), DirectoryEntry("NOMASTER"), DirectoryEntry("FIRST"), DirectoryEntry("SECOND"),
                      Security(2, "LATE")});
    fs::create_directories(top / "NOMASTER");
    WriteMaster(top / "FIRST", {Security(5, "TWICE"), Security(6, "LATE"), DirectoryEntry("DEEP")});
    WriteMaster(top / "FIRST" / "DEEP", {Security(8, "BOTTOM")}, "master");
    // Names on disk in other case, as data copied from other systems often has them.
    WriteMaster(top / "second", {Security(7, "TWICE"), Security(4, "ONLYHERE")}, "Master");

    const struct {
        const char* szSought;
        std::uint8_t nFileNumber;
        fs::path directory;
    } cases[] = {
        {"TOP", 1, top},   {"LATE", 2, top}, {"TWICE", 5, top / "FIRST"}, {"BOTTOM", 8, top / "FIRST" / "DEEP"},
        {"onlyhere", 4, top / "second"},
    };
    for (const auto& c : cases) {
        const Lookup lookup = Find(top, c.szSought);
        ASSERT_EQ(lookup.nResult, kSymbolFound) << c.szSought;
        EXPECT_EQ(lookup.record[0], c.nFileNumber) << c.szSought;
        EXPECT_EQ(Hex(&lookup.record[25], 8), "50 2A 74 49 50 2A 74 49") << "dates handed back as IEEE singles";
        EXPECT_EQ(lookup.foundIn, c.directory.string() + static_cast<char>(fs::path::preferred_separator));
    }
    EXPECT_EQ(Find(top, "NOWHERE").nResult, kSymbolNotFound);
}

#ifndef _WIN32  // directory links need privileges on Windows
TEST(FindSymbol, DirectoryEntriesThatLeaveTheTreeOrLoopAreNotFollowed)
{
    CTempDir dir;
    const fs::path top = dir.Path() / "top";
    WriteMaster(dir.Path(), {Security(1, "OUTSIDE")});
    WriteMaster(top / "a" / "b", {Security(2, "NESTED")});
    WriteMaster(top, {DirectoryEntry(".."), DirectoryEntry("a/b"), DirectoryEntry("a\\b"), DirectoryEntry("."),
                      DirectoryEntry("LOOP"), DirectoryEntry("a"), Security(3, "HERE")});
    WriteMaster(top / "a", {DirectoryEntry("BACK")});
    fs::create_directory_symlink(top, top / "LOOP");
    fs::create_directory_symlink(top, top / "a" / "BACK");

    EXPECT_EQ(Find(top, "OUTSIDE").nResult, kSymbolNotFound) << "\"..\" leads out of the tree";
    EXPECT_EQ(Find(top, "NESTED").nResult, kSymbolNotFound) << "a name holding a separator";
    EXPECT_EQ(Find(top, "MISSING").nResult, kSymbolNotFound) << "the cycles must end";
    EXPECT_EQ(Find(top, "HERE").nResult, kSymbolFound);
}

#endif

TEST(FindSymbol, DamagedMasterCountsAsHoldingNothing)
{
    CTempDir dir;
    EXPECT_EQ(Find(dir.Path(), "XYZ").nResult, kSymbolNotFound) << "no MASTER";
    WriteText(dir.Path() / "MASTER", std::string(20, '\x01'));
    EXPECT_EQ(Find(dir.Path(), "XYZ").nResult, kSymbolNotFound) << "MASTER shorter than its header";

    WriteMaster(dir.Path(), {Security(1, "AAA"), Security(2, "BBB")});
    std::vector<unsigned char> bytes = ReadBytes(dir.Path() / "MASTER");
    bytes[0] = 5;  // the header counts five records, the file holds two
    WriteText(dir.Path() / "MASTER", std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(Find(dir.Path(), "BBB").nResult, kSymbolFound);
    EXPECT_EQ(Find(dir.Path(), "CCC").nResult, kSymbolNotFound);
}
