#include "metastock/directory_reader.h"

#include <algorithm>

#include "metastock/file_names.h"
#include "metastock/file_system.h"
#include "metastock/replacement_file.h"
#include "metastock/directory_names.h"

namespace metastock {

namespace {


}  // namespace

bool ReadDirectory(const std::filesystem::path& directory, DirectoryContents& contents, std::string& error)
{
    contents = DirectoryContents{};
    contents.directory = directory;
    PathStatus master;
    contents.masterPath = FindEntryIgnoringCase(directory, "MASTER", master);
    if (master.existence == Existence::kError) {
        error = "Cannot read " + contents.masterPath.string() + ": " + master.strReason;
        return false;
    }
    if (master.existence == Existence::kNo || !master.bRegularFile) {
        error = "There is no MASTER file in " + directory.string();
        return false;
    }
    if (!ReadMasterFile(contents.masterPath, contents.master, error) ||
        !ReadExtraIndexes(directory, contents.extras, error)) {
        for (char& c : error)
            if (c == '\n')
                c = ' ';
        return false;
    }
    for (std::size_t k = 0; k < contents.master.records.size(); ++k) {
        const MasterRecord& record = contents.master.records[k];
        if (IsDirectoryEntry(record))
            continue;
        SecurityEntry security{MasterEntry(record), DataFileName(record[master_offset::kFileNumber]),
                               static_cast<int>(k)};
        for (const IndexEntry& extended : contents.extras.emaster.entries)
            if (extended.nFileNumber == security.entry.nFileNumber && !extended.strName.empty()) {
                security.entry.strName = extended.strName;
                break;
            }
        contents.securities.push_back(security);
    }
    for (const IndexEntry& entry : contents.extras.xmaster.entries)
        contents.securities.push_back({entry, WideDataFileName(entry.nFileNumber), -1});
    std::stable_sort(contents.securities.begin(), contents.securities.end(),
                     [](const SecurityEntry& a, const SecurityEntry& b) {
                         return a.entry.nFileNumber < b.entry.nFileNumber;
                     });
    return true;
}

const SecurityEntry* FindSecurity(const DirectoryContents& contents, std::string_view symbol)
{
    const std::string sought = ComparedSymbol(symbol);
    for (const SecurityEntry& security : contents.securities)
        if (ComparedSymbol(security.entry.strSymbol) == sought)
            return &security;
    return nullptr;
}

bool ReadSecurityData(const DirectoryContents& contents, const SecurityEntry& security, SecurityData& data,
                      std::string& error)
{
    data = SecurityData{};
    PathStatus dataStatus;
    const std::filesystem::path dataPath = FindEntryIgnoringCase(contents.directory, security.strDataFile, dataStatus);
    std::vector<std::uint8_t> bytes;
    if (dataStatus.existence != Existence::kYes || !dataStatus.bRegularFile || !ReadWholeFile(dataPath, bytes)) {
        const std::string reason = dataStatus.existence == Existence::kNo ? "No such file or directory"
                                   : dataStatus.existence == Existence::kError ? dataStatus.strReason
                                   : !dataStatus.bRegularFile                  ? "not a file"
                                                                               : LastFailureReason();
        error = "Cannot read " + dataPath.string() + ", the data file of " + security.entry.strSymbol + ": " + reason;
        return false;
    }

    PathStatus columnListStatus;
    const std::filesystem::path columnListPath =
        FindEntryIgnoringCase(contents.directory, ColumnListName(security.entry.nFileNumber), columnListStatus);
    std::vector<std::uint8_t> columnList;
    std::string problem;
    if (columnListStatus.existence == Existence::kError) {
        error = "Cannot read " + columnListPath.string() + ": " + columnListStatus.strReason;
        return false;
    }
    if (columnListStatus.existence == Existence::kYes && columnListStatus.bRegularFile) {
        if (!ReadWholeFile(columnListPath, columnList)) {
            error = "Cannot read " + columnListPath.string() + ": " + LastFailureReason();
            return false;
        }
        const std::string_view text(reinterpret_cast<const char*>(columnList.data()), columnList.size());
        if (!ParseColumnList(text, data.layout, problem)) {
            error = columnListPath.string() + " " + problem;
            return false;
        }
        data.bFromColumnList = true;
    }

    int nFields = security.entry.nFields;
    if (nFields == 0)
        nFields = data.bFromColumnList ? data.layout.Fields() : FieldCountFromSize(bytes);
    if (data.bFromColumnList && data.layout.Fields() != nFields) {
        error = columnListPath.string() + " lists " + std::to_string(data.layout.Fields()) + " fields but the index gives " +
                security.entry.strSymbol + " " + std::to_string(nFields);
        return false;
    }
    if (!data.bFromColumnList && !LayoutFromFieldCount(nFields, data.layout)) {
        error = "Cannot tell the fields of " + dataPath.string() + ": it has no column list and " +
                (nFields == 0 ? std::string("its size fits no usual field count")
                              : std::to_string(nFields) + " fields per record");
        return false;
    }
    if (!ParseDataFile(std::move(bytes), nFields, data.file, problem)) {
        error = dataPath.string() + " " + problem;
        return false;
    }
    if (data.file.nHeaderRecords < 0)
        data.file.nHeaderRecords = 0;
    if (static_cast<std::size_t>(data.file.nHeaderRecords) > data.file.nRecordsPresent) {
        error = dataPath.string() + " is shorter than its header says: it counts " +
                std::to_string(data.file.nHeaderRecords) + " records but holds " +
                std::to_string(data.file.nRecordsPresent);
        return false;
    }
    return true;
}

std::string TimeFrameName(const SecurityEntry& security, const DataLayout& layout)
{
    const char frame = AsciiUpper(security.entry.cTimeFrame);
    if (layout.HasTime() || frame == 'I')
        return "intraday";
    switch (frame) {
    case 'D':
        return "daily";
    case 'W':
        return "weekly";
    case 'M':
        return "monthly";
    case 'Q':
        return "quarterly";
    case 'Y':
        return "yearly";
    default:
        return std::string("time frame ") + (frame >= ' ' && frame < 0x7F ? std::string(1, frame) : std::to_string(static_cast<unsigned char>(frame)));
    }
}

bool IsDaily(const SecurityEntry& security, const DataLayout& layout)
{
    return TimeFrameName(security, layout) == "daily";
}

}  // namespace metastock
