#include "metastock/find_symbol.h"

#include <filesystem>
#include <set>
#include <vector>

#include "metastock/file_names.h"
#include "metastock/path_text.h"
#include "metastock/master_file.h"

namespace metastock {

namespace {

namespace fs = std::filesystem;

// Whether a directory text already ends where a file name can follow.
bool EndsInSeparator(const std::string& directory)
{
    const char last = directory.back();
#ifdef _WIN32
    return last == '\\' || last == '/' || last == ':';
#else
    return last == '/';
#endif
}

// A "<DIR>" entry may only name a sub-directory of the MASTER's own directory.
bool IsSafeDirectoryName(const std::string& name)
{
    if (name.empty() || name == "." || name.find("..") != std::string::npos)
        return false;
    return name.find_first_of("/\\:") == std::string::npos;
}

class CSymbolSearch {
public:
    CSymbolSearch(std::string_view sought, MasterRecord& record, std::string& foundIn)
        : m_sought(sought), m_record(record), m_foundIn(foundIn)
    {
    }

    // Every record of a level is read before its sub-directories are searched, so a record that cannot
    // be read makes the level count as holding nothing.
    bool SearchLevel(const std::string& directory, int depth, const MasterFile* pRead = nullptr)
    {
        if (!m_visited.insert(Identity(directory)).second)
            return false;
        std::vector<std::string> subDirectories;
        if (pRead)
            CompareLevel(*pRead, directory, subDirectories);
        else if (!ReadLevel(directory, subDirectories))
            return false;
        if (m_bFound)
            return true;
        if (depth >= kMaxDirectoryDepth)
            return false;
        for (const std::string& name : subDirectories) {
            if (!IsSafeDirectoryName(name))
                continue;
            const fs::path entry = FindEntryIgnoringCase(PathFromText(directory), name);
            if (SearchLevel(directory + entry.filename().string() + kPathSeparator, depth + 1))
                return true;
        }
        return false;
    }

private:
    static std::string Identity(const std::string& directory)
    {
        std::error_code error;
        const fs::path canonical = fs::canonical(directory.empty() ? fs::path(".") : PathFromText(directory), error);
        return error ? directory : canonical.string();
    }

    // Compares the level's securities (as ReadMasterFile counts them) and collects its directory entries;
    // false when the MASTER is missing or unreadable.
    bool ReadLevel(const std::string& directory, std::vector<std::string>& subDirectories)
    {
        const fs::path path = FindEntryIgnoringCase(PathFromText(directory), "MASTER");
        MasterFile master;
        std::string error;
        if (!ReadMasterFile(path, master, error))
            return false;
        CompareLevel(master, directory, subDirectories);
        return true;
    }

    void CompareLevel(const MasterFile& master, const std::string& directory, std::vector<std::string>& subDirectories)
    {
        for (MasterRecord record : master.records) {
            if (IsDirectoryEntry(record))
                subDirectories.push_back(DirectoryEntryName(record));
            else if (RecordMatches(record, m_sought)) {
                Found(record, directory);
                break;
            }
        }
    }

    void Found(MasterRecord& record, const std::string& directory)
    {
        MbfToIeee(&record[master_offset::kFirstDate], &record[master_offset::kFirstDate]);
        MbfToIeee(&record[master_offset::kLastDate], &record[master_offset::kLastDate]);
        m_record = record;
        m_foundIn = directory;
        m_bFound = true;
    }

    std::string_view m_sought;
    MasterRecord& m_record;
    std::string& m_foundIn;
    std::set<std::string> m_visited;
    bool m_bFound = false;
};

}  // namespace

namespace {

std::int16_t Search(std::string_view directory, std::string_view sought, MasterRecord& record, std::string& foundIn,
                    const MasterFile* pTop)
{
    std::string top(directory);
    if (!top.empty() && !EndsInSeparator(top))
        top += kPathSeparator;
    CSymbolSearch search(sought, record, foundIn);
    return search.SearchLevel(top, 0, pTop) ? kSymbolFound : kSymbolNotFound;
}

}  // namespace

std::int16_t FindSymbol(std::string_view directory, std::string_view sought, MasterRecord& record,
                        std::string& foundIn)
{
    return Search(directory, sought, record, foundIn, nullptr);
}

std::int16_t FindSymbol(const MasterFile& top, std::string_view directory, std::string_view sought,
                        MasterRecord& record, std::string& foundIn)
{
    return Search(directory, sought, record, foundIn, &top);
}

}  // namespace metastock
