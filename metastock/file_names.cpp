#include "metastock/file_names.h"

#include <algorithm>
#include <system_error>

namespace metastock {

namespace {

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return upper(x) == upper(y); });
}

}  // namespace

std::filesystem::path FindEntryIgnoringCase(const std::filesystem::path& directory, std::string_view name)
{
    std::filesystem::path exact = directory / std::filesystem::path(name);
    std::error_code error;
#ifndef _WIN32
    if (std::filesystem::exists(exact, error))
        return exact;
#endif
    // On Windows names never differ in case alone, and the listing gives the name as it is spelt on
    // disk, which a file replaced in place keeps.
    const std::filesystem::path listed = directory.empty() ? std::filesystem::path(".") : directory;
    for (std::filesystem::directory_iterator it(listed, error), end; !error && it != end; it.increment(error)) {
        const std::filesystem::path entry = it->path().filename();
        if (EqualIgnoringCase(entry.string(), name))
            return directory / entry;
    }
    return exact;
}

namespace {

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
    return NumberedFileName(nFileNumber, ".DAT");
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
