#include "metastock/master_file.h"

#include <algorithm>
#include <cstring>

#include "metastock/day_number.h"
#include "metastock/replacement_file.h"

namespace metastock {

int DateCodeToYyyymmdd(const MbfSingle& dateCode)
{
    const CalendarDate date = DateCodeToDate(dateCode);
    return date.year * 10000 + date.month * 100 + date.day;
}

bool ParseMaster(const std::vector<std::uint8_t>& bytes, MasterFile& master, std::string& problem)
{
    master = MasterFile{};
    if (bytes.size() < kMasterRecordSize) {
        problem = "it is shorter than its header.";
        return false;
    }
    std::copy_n(bytes.begin(), kMasterRecordSize, master.header.begin());
    master.count = ReadInt16(&master.header[master_offset::kRecordCount]);
    master.wholeRecords = bytes.size() / kMasterRecordSize - 1;
    master.partRecord = bytes.size() % kMasterRecordSize != 0;
    const std::size_t taken = std::min<std::size_t>(static_cast<std::size_t>(std::max(master.count, 0)),
                                                    master.wholeRecords);
    master.records.resize(taken);
    for (std::size_t k = 0; k < taken; ++k)
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>((k + 1) * kMasterRecordSize), kMasterRecordSize,
                    master.records[k].begin());
    return true;
}

bool ReadMasterFile(const std::filesystem::path& path, MasterFile& master, std::string& error)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) {
        error = "Cannot read " + path.string() + ": " + LastFailureReason();
        return false;
    }
    std::string problem;
    if (!ParseMaster(bytes, master, problem)) {
        error = path.string() + " is not a Master file:\n" + problem;
        return false;
    }
    return true;
}

std::vector<std::uint8_t> MasterFileBytes(const MasterFile& master)
{
    std::vector<std::uint8_t> bytes(master.header.begin(), master.header.end());
    bytes.reserve((master.records.size() + 1) * kMasterRecordSize);
    for (const MasterRecord& record : master.records)
        bytes.insert(bytes.end(), record.begin(), record.end());
    return bytes;
}

namespace {

// The count and the highest number in use, from the records: genuine directories with gaps in their
// numbers hold the highest number, not a second count, in bytes 2..3.
void SetHeaderNumbers(MasterFile& master)
{
    std::uint8_t* header = master.header.data();
    WriteInt16(header + master_offset::kRecordCount, static_cast<std::int16_t>(master.records.size()));
    WriteInt16(header + master_offset::kHighestFileNumber, static_cast<std::int16_t>(HighestFileNumber(master)));
    master.count = static_cast<int>(master.records.size());
    master.wholeRecords = master.records.size();
    master.partRecord = false;
}

}  // namespace

int HighestFileNumber(const MasterFile& master)
{
    int highest = 0;
    for (const MasterRecord& record : master.records)
        if (!IsDirectoryEntry(record))
            highest = std::max<int>(highest, record[master_offset::kFileNumber]);
    return highest;
}

void AppendRecord(MasterFile& master, const MasterRecord& record)
{
    master.records.push_back(record);
    SetHeaderNumbers(master);
}

void EraseRecord(MasterFile& master, std::size_t nRecord)
{
    master.records.erase(master.records.begin() + static_cast<std::ptrdiff_t>(nRecord));
    SetHeaderNumbers(master);
}

IndexEntry MasterEntry(const MasterRecord& record)
{
    using namespace master_offset;
    IndexEntry entry;
    entry.kind = IndexKind::kMaster;
    entry.fileNumber = record[kFileNumber];
    entry.fields = record[kFieldCount];
    entry.timeFrame = static_cast<char>(record[kTimeFrame]);
    entry.symbol = IndexText(&record[kSymbol], kSymbolWidth);
    entry.name = IndexText(&record[kName], kNameWidth);
    entry.firstDate = DateCodeToYyyymmdd({record[kFirstDate], record[kFirstDate + 1], record[kFirstDate + 2], record[kFirstDate + 3]});
    entry.lastDate = DateCodeToYyyymmdd({record[kLastDate], record[kLastDate + 1], record[kLastDate + 2], record[kLastDate + 3]});
    return entry;
}

}  // namespace metastock
