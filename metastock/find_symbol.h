#pragma once
// Looks a security up in a MetaStock directory tree.

#include <cstdint>
#include <string>
#include <string_view>

#include "metastock/master_file.h"
#include "metastock/master_format.h"

namespace metastock {

inline constexpr std::int16_t kSymbolFound = 0;
inline constexpr std::int16_t kSymbolReadError = -4;
inline constexpr std::int16_t kSymbolNotFound = -8;

// How many levels of "<DIR>" entries are followed below the starting directory.
inline constexpr int kMaxDirectoryDepth = 16;

// Searches the MASTER of directory, then the sub-directories that its "<DIR>" entries name, depth first
// and in record order, for a security that answers to sought (RecordMatches). On kSymbolFound, record is
// the security's MASTER record with its first and last date turned into IEEE singles, and foundIn the
// directory text, ending in a separator. A MASTER that cannot be opened or read counts as holding nothing.
// Directory entries whose names hold a separator or "..", directories already searched, and levels deeper
// than kMaxDirectoryDepth are passed over, so the search neither loops nor leaves the tree.
std::int16_t FindSymbol(std::string_view directory, std::string_view sought, MasterRecord& record,
                        std::string& foundIn);

// The same with the MASTER of directory as already read (a writer that holds the directory's lock reads
// it once, and a MASTER it cannot read must stop it rather than count as empty).
std::int16_t FindSymbol(const MasterFile& top, std::string_view directory, std::string_view sought,
                        MasterRecord& record, std::string& foundIn);

}  // namespace metastock
