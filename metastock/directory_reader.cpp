#include "metastock/directory_reader.h"

#include <algorithm>

#include "metastock/file_names.h"
#include "metastock/file_system.h"
#include "metastock/replacement_file.h"
#include "metastock/directory_names.h"

namespace metastock {

std::string IndexDataFile(const IndexEntry& entry)
{
    if (entry.kind == IndexKind::kXmaster)
        return entry.fileNumber >= kFirstWideFileNumber && entry.fileNumber <= kLastWideFileNumber
                   ? WideDataFileName(entry.fileNumber)
                   : std::string();
    return entry.fileNumber >= 1 && entry.fileNumber <= kMaxSecurities ? DataFileName(entry.fileNumber) : std::string();
}

namespace {

std::string Counted(std::size_t n)
{
    return std::to_string(n) + (n == 1 ? " record" : " records");
}

std::string CountDamage(const std::filesystem::path& path, int nCount, std::size_t nWholeRecords, bool bPartRecord)
{
    if (nCount < 0 || static_cast<std::size_t>(nCount) != nWholeRecords)
        return path.string() + " counts " + std::to_string(nCount) + " securities in its header but holds " +
               Counted(nWholeRecords);
    if (bPartRecord)
        return path.string() + " ends in part of a record after its " + Counted(nWholeRecords);
    return std::string();
}

}  // namespace

std::string IndexDamage(const std::filesystem::path& masterPath, const MasterFile& master, bool bHasMaster,
                        const ExtraIndexes& extras)
{
    std::string damage;
    if (bHasMaster)
        damage = CountDamage(masterPath, master.count, master.wholeRecords, master.partRecord);
    if (damage.empty() && extras.hasEmaster)
        damage = CountDamage(extras.emaster.path, extras.emaster.count, extras.emaster.wholeRecords,
                             extras.emaster.partRecord);
    if (damage.empty() && extras.hasXmaster)
        damage = CountDamage(extras.xmaster.path, extras.xmaster.count, extras.xmaster.wholeRecords,
                             extras.xmaster.partRecord);
    for (const IndexEntry& entry : extras.xmaster.entries)
        if (damage.empty() && IndexDataFile(entry).empty())
            damage = extras.xmaster.path.string() + " gives " + entry.symbol + " the file number " +
                     std::to_string(entry.fileNumber) + ", which names no data file: its numbers start at 256";
    return damage;
}

std::vector<SecurityEntry> SecuritiesOf(const MasterFile& master, const ExtraIndexes& extras)
{
    std::vector<SecurityEntry> securities;
    for (std::size_t k = 0; k < master.records.size(); ++k) {
        const MasterRecord& record = master.records[k];
        if (IsDirectoryEntry(record))
            continue;
        SecurityEntry security{MasterEntry(record), std::string(), static_cast<int>(k)};
        security.dataFile = IndexDataFile(security.entry);
        for (const IndexEntry& extended : extras.emaster.entries)
            if (extended.fileNumber == security.entry.fileNumber && !extended.name.empty()) {
                security.entry.name = extended.name;
                break;
            }
        securities.push_back(security);
    }
    // A number that EMASTER lists and MASTER does not is a security all the same: other programs may
    // take their list from EMASTER.
    for (const IndexEntry& entry : extras.emaster.entries) {
        const bool bInMaster = std::any_of(securities.begin(), securities.end(),
                                           [&](const SecurityEntry& security) {
                                               return security.entry.fileNumber == entry.fileNumber;
                                           });
        if (!bInMaster)
            securities.push_back({entry, IndexDataFile(entry), -1});
    }
    for (const IndexEntry& entry : extras.xmaster.entries)
        securities.push_back({entry, IndexDataFile(entry), -1});
    std::stable_sort(securities.begin(), securities.end(),
                     [](const SecurityEntry& a, const SecurityEntry& b) {
                         return a.entry.fileNumber < b.entry.fileNumber;
                     });
    return securities;
}

bool ReadDirectory(const std::filesystem::path& directory, DirectoryContents& contents, std::string& error)
{
    contents = DirectoryContents{};
    contents.directory = directory;
    PathStatus master;
    contents.masterPath = FindEntryIgnoringCase(directory, "MASTER", master);
    if (master.existence == Existence::kError) {
        error = "Cannot read " + contents.masterPath.string() + ": " + master.reason;
        return false;
    }
    if (master.existence == Existence::kNo) {
        error = "There is no MASTER file in " + directory.string();
        return false;
    }
    if (!master.regularFile) {
        error = contents.masterPath.string() + " is not a file";
        return false;
    }
    if (!ReadMasterFile(contents.masterPath, contents.master, error) ||
        !ReadExtraIndexes(directory, contents.extras, error)) {
        for (char& c : error)
            if (c == '\n')
                c = ' ';
        return false;
    }
    contents.securities = SecuritiesOf(contents.master, contents.extras);
    return true;
}

const SecurityEntry* FindSecurity(const DirectoryContents& contents, std::string_view symbol)
{
    const std::string sought = ComparedSymbol(symbol);
    for (const SecurityEntry& security : contents.securities)
        if (ComparedSymbol(security.entry.symbol) == sought)
            return &security;
    return nullptr;
}

bool ReadSecurityData(const DirectoryContents& contents, const SecurityEntry& security, SecurityData& data,
                      std::string& error)
{
    data = SecurityData{};
    if (security.dataFile.empty()) {
        error = security.entry.symbol + " has the file number " + std::to_string(security.entry.fileNumber) +
                ", which names no data file of its index";
        return false;
    }
    PathStatus dataStatus;
    const std::filesystem::path dataPath = FindEntryIgnoringCase(contents.directory, security.dataFile, dataStatus);
    std::vector<std::uint8_t> bytes;
    if (dataStatus.existence != Existence::kYes || !dataStatus.regularFile || !ReadWholeFile(dataPath, bytes)) {
        const std::string reason = dataStatus.existence == Existence::kNo ? "No such file or directory"
                                   : dataStatus.existence == Existence::kError ? dataStatus.reason
                                   : !dataStatus.regularFile                  ? "not a file"
                                                                               : LastFailureReason();
        error = "Cannot read " + dataPath.string() + ", the data file of " + security.entry.symbol + ": " + reason;
        return false;
    }

    PathStatus columnListStatus;
    const std::filesystem::path columnListPath =
        FindEntryIgnoringCase(contents.directory, ColumnListName(security.entry.fileNumber), columnListStatus);
    std::vector<std::uint8_t> columnList;
    std::string problem;
    if (columnListStatus.existence == Existence::kError) {
        error = "Cannot read " + columnListPath.string() + ": " + columnListStatus.reason;
        return false;
    }
    if (columnListStatus.existence == Existence::kYes && columnListStatus.regularFile) {
        if (!ReadWholeFile(columnListPath, columnList)) {
            error = "Cannot read " + columnListPath.string() + ": " + LastFailureReason();
            return false;
        }
        const std::string_view text(reinterpret_cast<const char*>(columnList.data()), columnList.size());
        if (!ParseColumnList(text, data.layout, problem)) {
            error = columnListPath.string() + " " + problem;
            return false;
        }
        data.fromColumnList = true;
    }

    int nFields = security.entry.fields;
    if (nFields == 0)
        nFields = data.fromColumnList ? data.layout.Fields() : FieldCountFromSize(bytes);
    if (data.fromColumnList && data.layout.Fields() != nFields) {
        error = columnListPath.string() + " lists " + std::to_string(data.layout.Fields()) + " fields but the index gives " +
                security.entry.symbol + " " + std::to_string(nFields);
        return false;
    }
    if (!data.fromColumnList && !LayoutFromFieldCount(nFields, data.layout)) {
        error = "Cannot tell the fields of " + dataPath.string() + ": it has no column list and " +
                (nFields == 0 ? std::string("its size fits no usual field count")
                              : std::to_string(nFields) + " fields per record");
        return false;
    }
    if (!ParseDataFile(std::move(bytes), nFields, data.file, problem)) {
        error = dataPath.string() + " " + problem;
        return false;
    }
    if (data.file.headerRecords < 0)
        data.file.headerRecords = 0;
    if (static_cast<std::size_t>(data.file.headerRecords) > data.file.recordsPresent) {
        error = dataPath.string() + " is shorter than its header says: it counts " +
                std::to_string(data.file.headerRecords) + " records but holds " +
                std::to_string(data.file.recordsPresent);
        return false;
    }
    return true;
}

TimeFrame TimeFrameOf(const SecurityEntry& security, const DataLayout& layout)
{
    const char frame = AsciiUpper(security.entry.timeFrame);
    if (layout.HasTime() || frame == 'I')
        return TimeFrame::kIntraday;
    switch (frame) {
    case 'D': return TimeFrame::kDaily;
    case 'W': return TimeFrame::kWeekly;
    case 'M': return TimeFrame::kMonthly;
    case 'Q': return TimeFrame::kQuarterly;
    case 'Y': return TimeFrame::kYearly;
    default: return TimeFrame::kUnknown;
    }
}

std::string TimeFrameName(const SecurityEntry& security, const DataLayout& layout)
{
    const TimeFrame known = TimeFrameOf(security, layout);
    if (known != TimeFrame::kUnknown)
        return TimeFrameWord(known);
    const char frame = AsciiUpper(security.entry.timeFrame);
    return std::string("time frame ") + (frame >= ' ' && frame < 0x7F ? std::string(1, frame) : std::to_string(static_cast<unsigned char>(frame)));
}

bool IsDaily(const SecurityEntry& security, const DataLayout& layout)
{
    return TimeFrameOf(security, layout) == TimeFrame::kDaily;
}

bool TimeCodeToTime(const MbfSingle& code, TimeOfDay& time)
{
    const float value = MbfToFloat(code);
    if (!(value >= 0 && value < 240000) || value != static_cast<float>(static_cast<int>(value)))
        return false;
    const int hhmmss = static_cast<int>(value);
    time = {hhmmss / 10000, hhmmss / 100 % 100, hhmmss % 100};
    return time.minute < 60 && time.second < 60;
}

}  // namespace metastock
