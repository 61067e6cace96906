#include "metastock/file_names.h"

#include <algorithm>
#include <vector>

#include "metastock/file_system.h"
#include "metastock/directory_names.h"

namespace metastock {

namespace {


}  // namespace

std::filesystem::path FindEntryIgnoringCase(const std::filesystem::path& directory, std::string_view name,
                                            PathStatus& status)
{
    std::filesystem::path exact = directory / std::filesystem::path(name);
    IFileSystem& fileSystem = CurrentFileSystem();
#ifndef _WIN32
    status = fileSystem.Exists(exact);
    if (status.existence != Existence::kNo)
        return exact;
#endif
    // On Windows names never differ in case alone, and the listing gives the name as it is spelt on
    // disk, which a file replaced in place keeps.
    std::vector<std::filesystem::path> names;
    std::string reason;
    if (!fileSystem.List(directory, names, reason)) {
        status = PathStatus{Existence::kError, false, reason};
        return exact;
    }
    for (const std::filesystem::path& entry : names)
        if (EqualIgnoringCase(entry.string(), name)) {
            status = fileSystem.Exists(directory / entry);
            return directory / entry;
        }
    status = PathStatus{};
    return exact;
}

std::filesystem::path FindEntryIgnoringCase(const std::filesystem::path& directory, std::string_view name)
{
    PathStatus ignored;
    return FindEntryIgnoringCase(directory, name, ignored);
}

namespace {

constexpr int kFirstWideNumber = 256;  // the numbers of XMASTER's securities

std::string NumberedFileName(int nFileNumber, const char* szExtension)
{
    std::string name = "F";
    name += std::to_string(nFileNumber);
    name += szExtension;
    return name;
}

}  // namespace

std::string DataFileName(int nFileNumber)
{
    return NumberedFileName(nFileNumber, nFileNumber < kFirstWideNumber ? ".DAT" : ".MWD");
}

std::string ColumnListName(int nFileNumber)
{
    return NumberedFileName(nFileNumber, ".DOP");
}

std::string WideDataFileName(int nFileNumber)
{
    return NumberedFileName(nFileNumber, ".MWD");
}

}  // namespace metastock
