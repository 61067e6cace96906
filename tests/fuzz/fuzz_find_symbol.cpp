// Arbitrary bytes as MASTER files, searched by FindSymbol for a text taken from the same bytes.
//
// Input: byte 0, bits 0-6: length of the sought text; bit 7: hand the directory over with a trailing
// separator. Byte 1: the size of the top MASTER in 53-byte units (header included); 0 puts all the
// remaining bytes in the top MASTER, anything else puts what is left after it in the MASTER of the
// sub-directory. Then the sought text, then the MASTER bytes.
//
// The scratch tree, made once per process:
//   MASTER         a security "OUT" that no search starting in top/ may ever reach
//   top/MASTER     written for each input
//   top/Sub/master written for each input (found whatever the case of "<DIR>" entry and file name)
//   top/Sub/loop   a symbolic link back up to top/, so that following entries can go round in a circle
//   top/Empty/     a sub-directory without a MASTER
//   top/Plain      a file where a sub-directory might be expected
// Besides the sanitizers: the result is one of the documented ones, a security is found only in top/ or
// below, and what is handed back answers to the sought text.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "metastock/find_symbol.h"
#include "metastock/master_format.h"
#include "metastock/mbf.h"

using namespace metastock;

namespace {

namespace fs = std::filesystem;

constexpr std::uint8_t kTrailingSeparator = 0x80;

struct CScratchTree {
    fs::path top;
    fs::path topMaster;
    fs::path subMaster;
    fs::path canonicalTop;
};

const CScratchTree& Tree()
{
    static const CScratchTree tree = [] {
        CScratchTree made;
        const fs::path root = ScratchDir() / "tree";
        made.top = root / "top";
        fs::create_directories(made.top / "Sub");
        fs::create_directories(made.top / "Empty");
        fs::create_directory_symlink("..", made.top / "Sub" / "loop");
        WriteFileBytes(made.top / "Plain", "not a directory");

        MasterRecord header{};
        WriteInt16(&header[master_offset::kRecordCount], 1);
        WriteInt16(&header[master_offset::kHighestFileNumber], 1);
        const MasterRecord outside = BuildSecurityRecord(1, 7, "OUTSIDE", "OUT", FloatToMbf(1010101.0f));
        WriteFileBytes(root / "MASTER", std::string(header.begin(), header.end()) +
                                            std::string(outside.begin(), outside.end()));

        made.topMaster = made.top / "MASTER";
        made.subMaster = made.top / "Sub" / "master";
        made.canonicalTop = fs::canonical(made.top);
        return made;
    }();
    return tree;
}

// Whether path lies in directory or below it.
bool IsWithin(const fs::path& path, const fs::path& directory)
{
    auto p = path.begin();
    for (auto d = directory.begin(); d != directory.end(); ++d, ++p)
        if (p == path.end() || *p != *d)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const CScratchTree& tree = Tree();
    std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::string_view sought = rest.substr(0, data[0] & ~kTrailingSeparator);
    rest.remove_prefix(sought.size());

    std::error_code ignored;
    if (data[1] == 0) {
        WriteFileBytes(tree.topMaster, rest);
        fs::remove(tree.subMaster, ignored);
    } else {
        const std::string_view top = rest.substr(0, data[1] * kMasterRecordSize);
        WriteFileBytes(tree.topMaster, top);
        WriteFileBytes(tree.subMaster, rest.substr(top.size()));
    }

    std::string directory = tree.top.string();
    if (data[0] & kTrailingSeparator)
        directory += fs::path::preferred_separator;
    MasterRecord record{};
    std::string foundIn;
    const std::int16_t result = FindSymbol(directory, sought, record, foundIn);

    FUZZ_CHECK(result == kSymbolFound || result == kSymbolNotFound || result == kSymbolReadError);
    if (result == kSymbolFound) {
        FUZZ_CHECK(!foundIn.empty() && foundIn.back() == fs::path::preferred_separator);
        const fs::path where = fs::canonical(foundIn, ignored);
        FUZZ_CHECK(IsWithin(where, tree.canonicalTop));
        FUZZ_CHECK(RecordMatches(record, sought));
        FUZZ_CHECK(!IsDirectoryEntry(record));
    }
    return 0;
}
