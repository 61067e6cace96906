#include "metastock/extra_index_files.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "metastock/file_names.h"
#include "metastock/replacement_file.h"

namespace metastock {

namespace {

int ReadUInt16(const std::uint8_t* bytes)
{
    return bytes[0] | (bytes[1] << 8);
}

std::int32_t ReadInt32(const std::uint8_t* bytes)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
                                     (static_cast<std::uint32_t>(bytes[2]) << 16) |
                                     (static_cast<std::uint32_t>(bytes[3]) << 24));
}

// An IEEE single holding YYYMMDD (years since 1900) as YYYYMMDD; 0 when it is no such date.
int YyyMmDdToDate(const std::uint8_t* bytes)
{
    const float value = std::bit_cast<float>(static_cast<std::uint32_t>(ReadInt32(bytes)));
    if (!(value >= 1.0f && value < 3000000.0f))
        return 0;
    return static_cast<int>(value) + 19000000;
}

bool ParseRecords(const std::vector<std::uint8_t>& bytes, std::size_t recordSize, std::size_t countOffset,
                  IndexFile& index, std::string& problem, const char* szFileName,
                  IndexEntry (*read)(const std::uint8_t* record))
{
    index = IndexFile{};
    if (bytes.size() < recordSize) {
        problem = std::string(szFileName) + " is shorter than its " + std::to_string(recordSize) + "-byte header";
        return false;
    }
    index.count = ReadUInt16(bytes.data() + countOffset);
    index.wholeRecords = bytes.size() / recordSize - 1;
    index.partRecord = bytes.size() % recordSize != 0;
    for (std::size_t k = 1; k <= index.wholeRecords; ++k) {
        const IndexEntry entry = read(bytes.data() + k * recordSize);
        if (entry.fileNumber != 0)
            index.entries.push_back(entry);
    }
    return true;
}

IndexEntry ReadEmasterRecord(const std::uint8_t* record)
{
    namespace o = emaster_offset;
    IndexEntry entry;
    entry.kind = IndexKind::kEmaster;
    entry.fileNumber = record[o::kFileNumber];
    entry.fields = record[o::kFieldCount];
    entry.timeFrame = static_cast<char>(record[o::kTimeFrame]);
    entry.symbol = IndexText(record + o::kSymbol, o::kSymbolWidth);
    entry.name = IndexText(record + o::kLongName, o::kRecordSize - o::kLongName);
    if (entry.name.empty())
        entry.name = IndexText(record + o::kName, o::kNameWidth);
    entry.firstDate = YyyMmDdToDate(record + o::kFirstDate);
    entry.lastDate = YyyMmDdToDate(record + o::kLastDate);
    return entry;
}

IndexEntry ReadXmasterRecord(const std::uint8_t* record)
{
    namespace o = xmaster_offset;
    IndexEntry entry;
    entry.kind = IndexKind::kXmaster;
    entry.fileNumber = ReadUInt16(record + o::kFileNumber);
    entry.timeFrame = static_cast<char>(record[o::kTimeFrame]);
    entry.symbol = IndexText(record + o::kSymbol, o::kSymbolWidth);
    entry.name = IndexText(record + o::kName, o::kNameWidth);
    entry.firstDate = ReadInt32(record + o::kFirstDate);
    entry.lastDate = ReadInt32(record + o::kLastDate);
    return entry;
}

bool ReadIndex(const std::filesystem::path& directory, const char* szName, bool& bPresent, IndexFile& index,
               bool (*parse)(const std::vector<std::uint8_t>&, IndexFile&, std::string&), std::string& error)
{
    PathStatus status;
    const std::filesystem::path path = FindEntryIgnoringCase(directory, szName, status);
    index.path = path;
    if (status.existence == Existence::kError) {
        error = "Cannot read " + path.string() + ": " + status.reason;
        return false;
    }
    bPresent = status.existence == Existence::kYes;
    if (!bPresent)
        return true;
    // A FIFO or a device under the name would block the read, or never end it.
    if (!status.regularFile) {
        error = path.string() + " is not a file";
        return false;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) {
        error = "Cannot read " + path.string() + ": " + LastFailureReason();
        return false;
    }
    std::string problem;
    if (!parse(bytes, index, problem)) {
        error = path.string() + ": " + problem;
        return false;
    }
    index.path = path;
    index.bytes = std::move(bytes);
    return true;
}

}  // namespace

std::string IndexText(const std::uint8_t* field, std::size_t width)
{
    const auto* begin = reinterpret_cast<const char*>(field);
    const auto* nul = static_cast<const char*>(std::memchr(begin, 0, width));
    std::string text(begin, nul ? static_cast<std::size_t>(nul - begin) : width);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

bool ParseEmaster(const std::vector<std::uint8_t>& bytes, IndexFile& index, std::string& problem)
{
    return ParseRecords(bytes, emaster_offset::kRecordSize, emaster_offset::kRecordCount, index, problem, "EMASTER",
                        ReadEmasterRecord);
}

bool ParseXmaster(const std::vector<std::uint8_t>& bytes, IndexFile& index, std::string& problem)
{
    return ParseRecords(bytes, xmaster_offset::kRecordSize, xmaster_offset::kRecordCount, index, problem, "XMASTER",
                        ReadXmasterRecord);
}

namespace {

// The offset of the first whole EMASTER record with the file number; 0 when there is none.
std::size_t EmasterRecordOffset(const std::vector<std::uint8_t>& bytes, int nFileNumber)
{
    namespace o = emaster_offset;
    for (std::size_t at = o::kRecordSize; at + o::kRecordSize <= bytes.size(); at += o::kRecordSize)
        if (bytes[at + o::kFileNumber] == nFileNumber)
            return at;
    return 0;
}

void PutInt32(std::uint8_t* bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

bool SetEmasterDates(std::vector<std::uint8_t>& bytes, int nFileNumber, int nFirstDate, int nLastDate, int nFirstTime,
                     int nLastTime)
{
    namespace o = emaster_offset;
    const std::size_t at = EmasterRecordOffset(bytes, nFileNumber);
    if (at == 0)
        return false;
    // The singles hold YYYMMDD, years counted from 1900.
    PutInt32(&bytes[at + o::kFirstDate], std::bit_cast<std::uint32_t>(static_cast<float>(nFirstDate - 19000000)));
    PutInt32(&bytes[at + o::kLastDate], std::bit_cast<std::uint32_t>(static_cast<float>(nLastDate - 19000000)));
    PutInt32(&bytes[at + o::kFirstDateLong], static_cast<std::uint32_t>(nFirstDate));
    if (nFirstTime >= 0)
        PutInt32(&bytes[at + o::kFirstTime], std::bit_cast<std::uint32_t>(static_cast<float>(nFirstTime)));
    if (nLastTime >= 0)
        PutInt32(&bytes[at + o::kLastTime], std::bit_cast<std::uint32_t>(static_cast<float>(nLastTime)));
    return true;
}

namespace {

void PutUInt16(std::uint8_t* bytes, int value)
{
    bytes[0] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

// A text field: the text's bytes cut to width, NULs after it.
void PutText(std::uint8_t* field, std::size_t width, std::string_view text)
{
    std::memset(field, 0, width);
    std::memcpy(field, text.data(), std::min(width, text.size()));
}

// The header's count and last file number from the whole records, as charting programs keep them.
void SetEmasterHeader(std::vector<std::uint8_t>& bytes)
{
    namespace o = emaster_offset;
    int count = 0, highest = 0;
    for (std::size_t at = o::kRecordSize; at + o::kRecordSize <= bytes.size(); at += o::kRecordSize) {
        ++count;
        highest = std::max<int>(highest, bytes[at + o::kFileNumber]);
    }
    PutUInt16(&bytes[o::kRecordCount], count);
    PutUInt16(&bytes[o::kLastFileNumber], highest);
}

}  // namespace

void AppendEmasterRecord(std::vector<std::uint8_t>& bytes, const NewIndexRecord& security)
{
    namespace o = emaster_offset;
    if (bytes.size() < o::kRecordSize)
        bytes.resize(o::kRecordSize);
    bytes.resize(bytes.size() / o::kRecordSize * o::kRecordSize);  // a part record at the end goes
    const std::size_t at = bytes.size();
    bytes.resize(at + o::kRecordSize);
    std::uint8_t* record = &bytes[at];
    record[o::kFileNumber] = static_cast<std::uint8_t>(security.fileNumber);
    record[o::kFieldCount] = static_cast<std::uint8_t>(security.fields);
    record[o::kFieldMask] = static_cast<std::uint8_t>((1 << security.fields) - 1);
    record[o::kMarker] = o::kMarkerValue;
    PutText(record + o::kSymbol, o::kSymbolWidth, security.symbol);
    PutText(record + o::kName, o::kNameWidth, security.name);
    record[o::kTimeFrame] = static_cast<std::uint8_t>(security.timeFrame);
    PutUInt16(record + o::kInterval, security.intervalMinutes);
    // Genuine records hold the long name only when the name does not fit its 16 bytes.
    if (security.name.size() > o::kNameWidth)
        PutText(record + o::kLongName, o::kRecordSize - o::kLongName, security.name);
    SetEmasterHeader(bytes);
    SetEmasterDates(bytes, security.fileNumber, security.firstDate, security.lastDate);
}

bool RemoveEmasterRecord(std::vector<std::uint8_t>& bytes, int nFileNumber)
{
    namespace o = emaster_offset;
    const std::size_t at = EmasterRecordOffset(bytes, nFileNumber);
    if (at == 0)
        return false;
    bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + o::kRecordSize));
    SetEmasterHeader(bytes);
    return true;
}

namespace {

std::size_t XmasterRecordOffset(const std::vector<std::uint8_t>& bytes, int nFileNumber)
{
    namespace o = xmaster_offset;
    for (std::size_t at = o::kRecordSize; at + o::kRecordSize <= bytes.size(); at += o::kRecordSize)
        if (ReadUInt16(&bytes[at + o::kFileNumber]) == nFileNumber)
            return at;
    return 0;
}

void SetXmasterHeader(std::vector<std::uint8_t>& bytes)
{
    namespace o = xmaster_offset;
    int count = 0, highest = kFirstWideFileNumber - 1;
    for (std::size_t at = o::kRecordSize; at + o::kRecordSize <= bytes.size(); at += o::kRecordSize) {
        ++count;
        highest = std::max(highest, ReadUInt16(&bytes[at + o::kFileNumber]));
    }
    std::copy(std::begin(o::kMagic), std::end(o::kMagic), bytes.begin());
    PutUInt16(&bytes[o::kRecordCount], count);
    PutUInt16(&bytes[o::kRecordCountAgain], count);
    PutUInt16(&bytes[o::kNextFileNumber], std::min(highest + 1, kLastWideFileNumber));
}

}  // namespace

void AppendXmasterRecord(std::vector<std::uint8_t>& bytes, const NewIndexRecord& security)
{
    namespace o = xmaster_offset;
    if (bytes.size() < o::kRecordSize)
        bytes.assign(o::kRecordSize, 0);
    bytes.resize(bytes.size() / o::kRecordSize * o::kRecordSize);
    const std::size_t at = bytes.size();
    bytes.resize(at + o::kRecordSize);
    std::uint8_t* record = &bytes[at];
    record[o::kMarker] = o::kMarkerValue;
    PutText(record + o::kSymbol, o::kSymbolWidth, security.symbol);
    PutText(record + o::kName, o::kNameWidth, security.name);
    record[o::kTimeFrame] = static_cast<std::uint8_t>(security.timeFrame);
    PutUInt16(record + o::kFileNumber, security.fileNumber);
    record[o::kFieldMask] = static_cast<std::uint8_t>((1 << security.fields) - 1);
    SetXmasterHeader(bytes);
    SetXmasterDates(bytes, security.fileNumber, security.firstDate, security.lastDate);
}

bool SetXmasterDates(std::vector<std::uint8_t>& bytes, int nFileNumber, int nFirstDate, int nLastDate)
{
    namespace o = xmaster_offset;
    const std::size_t at = XmasterRecordOffset(bytes, nFileNumber);
    if (at == 0)
        return false;
    PutInt32(&bytes[at + o::kStartDate], static_cast<std::uint32_t>(nFirstDate));
    PutInt32(&bytes[at + o::kFirstDate], static_cast<std::uint32_t>(nFirstDate));
    PutInt32(&bytes[at + o::kLastDate], static_cast<std::uint32_t>(nLastDate));
    return true;
}

bool RemoveXmasterRecord(std::vector<std::uint8_t>& bytes, int nFileNumber)
{
    namespace o = xmaster_offset;
    const std::size_t at = XmasterRecordOffset(bytes, nFileNumber);
    if (at == 0)
        return false;
    bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + o::kRecordSize));
    SetXmasterHeader(bytes);
    return true;
}

bool ReadExtraIndexes(const std::filesystem::path& directory, ExtraIndexes& indexes, std::string& error)
{
    indexes = ExtraIndexes{};
    return ReadIndex(directory, "EMASTER", indexes.hasEmaster, indexes.emaster, ParseEmaster, error) &&
           ReadIndex(directory, "XMASTER", indexes.hasXmaster, indexes.xmaster, ParseXmaster, error);
}

}  // namespace metastock
