#include "metastock/master_format.h"
#include "metastock/directory_names.h"

#include <algorithm>
#include <cstring>

namespace metastock {

namespace {

constexpr std::uint8_t kMarkerByte = 0x65;

void PutPadded(std::uint8_t* field, std::size_t width, std::string_view text)
{
    std::memset(field, ' ', width);
    const std::size_t length = std::min(width, text.size());
    std::memcpy(field, text.data(), length);
}

// Bytes [from, to) of the record up to the first 0 byte.
std::string_view Field(const MasterRecord& record, std::size_t from, std::size_t to)
{
    const auto* begin = reinterpret_cast<const char*>(record.data()) + from;
    const auto* end = static_cast<const char*>(std::memchr(begin, 0, to - from));
    return {begin, end ? static_cast<std::size_t>(end - begin) : to - from};
}

std::string_view TrimRightSpaces(std::string_view text)
{
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

}  // namespace

std::int16_t ReadInt16(const std::uint8_t* bytes)
{
    return static_cast<std::int16_t>(bytes[0] | (bytes[1] << 8));
}

void WriteInt16(std::uint8_t* bytes, std::int16_t value)
{
    const auto bits = static_cast<std::uint16_t>(value);
    bytes[0] = static_cast<std::uint8_t>(bits & 0xFF);
    bytes[1] = static_cast<std::uint8_t>(bits >> 8);
}

char TimeFrameLetter(TimeFrame frame)
{
    switch (frame) {
    case TimeFrame::kDaily: return 'D';
    case TimeFrame::kWeekly: return 'W';
    case TimeFrame::kMonthly: return 'M';
    case TimeFrame::kQuarterly: return 'Q';
    case TimeFrame::kYearly: return 'Y';
    case TimeFrame::kIntraday: return 'I';
    case TimeFrame::kUnknown: break;
    }
    return 'D';
}

const char* TimeFrameWord(TimeFrame frame)
{
    switch (frame) {
    case TimeFrame::kDaily: return "daily";
    case TimeFrame::kWeekly: return "weekly";
    case TimeFrame::kMonthly: return "monthly";
    case TimeFrame::kQuarterly: return "quarterly";
    case TimeFrame::kYearly: return "yearly";
    case TimeFrame::kIntraday: return "intraday";
    case TimeFrame::kUnknown: break;
    }
    return "unknown";
}

MasterRecord BuildSecurityRecord(std::uint8_t nFileNumber, int nFields, std::string_view name,
                                 std::string_view symbol, const MbfSingle& date, TimeFrame frame, int intervalMinutes)
{
    using namespace master_offset;
    MasterRecord record{};
    record[kFileNumber] = nFileNumber;
    record[kMarker] = kMarkerByte;
    record[kRecordLength] = static_cast<std::uint8_t>(RecordLength(nFields));
    record[kFieldCount] = static_cast<std::uint8_t>(nFields);
    PutPadded(&record[kName], kNameWidth, name);
    std::copy(date.begin(), date.end(), &record[kFirstDate]);
    std::copy(date.begin(), date.end(), &record[kLastDate]);
    record[kTimeFrame] = static_cast<std::uint8_t>(TimeFrameLetter(frame));
    if (frame == TimeFrame::kIntraday)
        WriteInt16(&record[kInterval], static_cast<std::int16_t>(intervalMinutes));
    PutPadded(&record[kSymbol], kSymbolWidth, symbol);
    return record;
}

bool IsDirectoryEntry(const MasterRecord& record)
{
    using namespace master_offset;
    return std::memcmp(&record[kDirectoryTag], "<DIR>", 5) == 0 && record[kName] != ' ';
}

std::string DirectoryEntryName(const MasterRecord& record)
{
    using namespace master_offset;
    return std::string(TrimRightSpaces(Field(record, kName, kName + kDirectoryNameWidth)));
}

bool RecordMatches(const MasterRecord& record, std::string_view sought)
{
    using namespace master_offset;
    if (EqualIgnoringCase(sought, TrimRightSpaces(Field(record, kName, kName + kNameWidth))))
        return true;
    // The symbol field runs to the end of the record, its last byte included.
    const std::string_view symbolField = Field(record, kSymbol, kMasterRecordSize);
    const auto wordsWanted = std::count(sought.begin(), sought.end(), ' ') + 1;
    std::size_t end = 0;
    for (std::ptrdiff_t spaces = 0; end < symbolField.size(); ++end)
        if (symbolField[end] == ' ' && ++spaces == wordsWanted)
            break;
    return EqualIgnoringCase(sought, symbolField.substr(0, end));
}

}  // namespace metastock
