#include "metastock/data_file_format.h"

namespace metastock {

namespace {

struct ColumnLine {
    const char* name;
    const char* widths;
};

constexpr ColumnLine kColumnLines[kFieldCount] = {
    {"DATE", ",0,0"}, {"OPEN", ",4,4"}, {"HIGH", ",4,4"}, {"LOW", ",4,4"},
    {"CLOSE", ",4,4"}, {"VOL", ",4,4"}, {"OI", ",4,4"},
};

}  // namespace

std::vector<std::uint8_t> NewDataFileHeader(int nFields)
{
    std::vector<std::uint8_t> header;
    for (int i = 0; i < nFields; ++i)
        header.insert(header.end(), {0, 0, 1, 0});
    return header;
}

void SetLastRecordNumber(std::uint8_t* header, int nDataRecords)
{
    const auto word = static_cast<std::uint16_t>(nDataRecords + 1);
    header[2] = static_cast<std::uint8_t>(word & 0xFF);
    header[3] = static_cast<std::uint8_t>(word >> 8);
}

std::string ColumnListText(const std::array<bool, kFieldCount>& fieldOn, bool time)
{
    std::string text;
    for (int i = 0; i < kFieldCount; ++i)
        if (fieldOn[i]) {
            text += std::string("\"") + kColumnLines[i].name + "\"" + kColumnLines[i].widths + "\r\n";
            if (i == 0 && time)
                text += "\"TIME\",0,0\r\n";
        }
    return text;
}

}  // namespace metastock
