#pragma once
// Names of the files in a MetaStock directory. New files get upper-case names; existing ones are found
// whatever the case of their names on disk, since data copied from other systems often has lower-case
// names and most file systems here distinguish case.

#include <filesystem>
#include <string>
#include <string_view>

#include "metastock/file_system.h"

namespace metastock {

inline constexpr char kPathSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

// The entry of directory that is called name, compared without regard to the case of ASCII letters; the
// exact name wins. When there is none, directory joined with name as given.
std::filesystem::path FindEntryIgnoringCase(const std::filesystem::path& directory, std::string_view name);
// The same, with what stands there: kError with the system's reason when the check or the listing fails.
std::filesystem::path FindEntryIgnoringCase(const std::filesystem::path& directory, std::string_view name,
                                            PathStatus& status);

std::string DataFileName(int nFileNumber);    // F<n>.DAT; F<n>.MWD from 256 up, the numbers of XMASTER
std::string ColumnListName(int nFileNumber);  // F<n>.DOP
std::string WideDataFileName(int nFileNumber);  // F<n>.MWD, the data file of a security that XMASTER lists

}  // namespace metastock
