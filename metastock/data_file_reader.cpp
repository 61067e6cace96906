#include "metastock/data_file_reader.h"
#include "metastock/directory_names.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

namespace metastock {

namespace {

constexpr std::size_t kHeaderCountOffset = 2;  // word 1 of the header: the number of the last record

struct ColumnName {
    const char* name;
    int column;
};

// Our own names first, then those other programs write.
constexpr ColumnName kColumnNames[] = {
    {"DATE", kDateField},   {"OPEN", kOpenField},           {"HIGH", kHighField},   {"LOW", kLowField},
    {"CLOSE", kCloseField}, {"VOL", kVolumeField},          {"OI", kOpenInterestField},
    {"TIME", kTimeColumn},  {"VOLUME", kVolumeField},       {"OPENINT", kOpenInterestField},
};

constexpr char kLetters[kFieldCount + 1] = {'D', 'O', 'H', 'L', 'C', 'V', 'I', 'T'};

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

// The name of a column line: the text between its quotes, or up to the first comma without them.
std::string ColumnLineName(std::string_view line)
{
    std::string_view name = line.substr(0, line.find(','));
    name = Trim(name);
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    return UpperAscii(Trim(name));
}

int ReadWord(const std::uint8_t* bytes)
{
    return bytes[0] | (bytes[1] << 8);
}

}  // namespace

int DataLayout::ColumnOf(int field) const
{
    const auto it = std::find(columns.begin(), columns.end(), field);
    return it == columns.end() ? -1 : static_cast<int>(it - columns.begin());
}

std::string DataLayout::Letters() const
{
    std::string letters;
    for (int field : std::initializer_list<int>{kDateField, kTimeColumn, kOpenField, kHighField, kLowField, kCloseField, kVolumeField,
                      kOpenInterestField})
        if (ColumnOf(field) >= 0)
            letters += kLetters[field];
    return letters;
}

bool ParseColumnList(std::string_view text, DataLayout& layout, std::string& problem)
{
    layout = DataLayout{};
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty())
            continue;
        const std::string name = ColumnLineName(line);
        const auto known = std::find_if(std::begin(kColumnNames), std::end(kColumnNames),
                                        [&](const ColumnName& column) { return name == column.name; });
        if (known == std::end(kColumnNames)) {
            problem = "names a field that is not known: " + std::string(line);
            return false;
        }
        if (layout.ColumnOf(known->column) >= 0) {
            problem = "names the field " + name + " twice";
            return false;
        }
        layout.columns.push_back(known->column);
    }
    if (layout.ColumnOf(kDateField) < 0 || layout.ColumnOf(kCloseField) < 0) {
        problem = "lacks the date or the close";
        return false;
    }
    return true;
}

bool LayoutFromFieldCount(int nFields, DataLayout& layout)
{
    switch (nFields) {
    case 5:
        layout.columns = {kDateField, kHighField, kLowField, kCloseField, kVolumeField};
        return true;
    case 6:
        layout.columns = {kDateField, kOpenField, kHighField, kLowField, kCloseField, kVolumeField};
        return true;
    case 7:
        layout.columns = {kDateField, kOpenField, kHighField, kLowField, kCloseField, kVolumeField, kOpenInterestField};
        return true;
    case 8:
        layout.columns = {kDateField, kTimeColumn, kOpenField, kHighField, kLowField, kCloseField, kVolumeField,
                          kOpenInterestField};
        return true;
    default:
        layout.columns.clear();
        return false;
    }
}

MbfSingle DataFile::Value(std::size_t k, int column) const
{
    return MbfAt(Record(k) + 4 * static_cast<std::size_t>(column));
}

bool ParseDataFile(std::vector<std::uint8_t> bytes, int nFields, DataFile& file, std::string& problem)
{
    file = DataFile{};
    if (nFields < 2 || nFields > kFieldCount + 1) {
        problem = "has " + std::to_string(nFields) + " fields per record, not 2 to 8";
        return false;
    }
    file.recordLength = static_cast<std::size_t>(RecordLength(nFields));
    if (bytes.size() < file.recordLength) {
        problem = "is shorter than its " + std::to_string(file.recordLength) + "-byte header record";
        return false;
    }
    file.headerRecords = ReadWord(bytes.data() + kHeaderCountOffset) - 1;
    file.recordsPresent = bytes.size() / file.recordLength - 1;
    file.partRecord = bytes.size() % file.recordLength != 0;
    file.bytes = std::move(bytes);
    return true;
}

int FieldCountFromSize(const std::vector<std::uint8_t>& bytes)
{
    if (bytes.size() < 4)
        return 0;
    const std::size_t last = static_cast<std::size_t>(ReadWord(bytes.data() + kHeaderCountOffset));
    for (int nFields : {7, 6, 5, 8})
        if (last * static_cast<std::size_t>(RecordLength(nFields)) == bytes.size())
            return nFields;
    return 0;
}

}  // namespace metastock
