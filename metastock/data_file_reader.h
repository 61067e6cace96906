#pragma once
// Reading a security's data file, ours or another program's: its field list, its header count checked
// against its size, and its records.
//
// The field list comes from F<n>.DOP when there is one ("DATE",0,0 ... one line per field, any order that
// the file gives). Without it, from the number of fields per record by the usual convention:
//   5 date, high, low, close, volume | 6 date, open, high, low, close, volume | 7 the same and open interest
//   8 date, time, open, high, low, close, volume, open interest (intraday)

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "metastock/data_file_format.h"
#include "metastock/mbf.h"

namespace metastock {

// A column of a data record: one of the seven fields (Field), or the time of an intraday record.
inline constexpr int kTimeColumn = kFieldCount;

struct DataLayout {
    std::vector<int> columns;  // the field of each 4-byte value of a record, in record order

    int Fields() const { return static_cast<int>(columns.size()); }
    // The column that holds a field; -1 when the records lack it.
    int ColumnOf(int field) const;
    bool HasTime() const { return ColumnOf(kTimeColumn) >= 0; }
    // The fields as letters in field order: DOHLCVI, with T after the D for a time.
    std::string Letters() const;
};

// The layout that F<n>.DOP text describes. False with a message when a line names no field known here, a
// field comes twice, or the date or the close is missing.
bool ParseColumnList(std::string_view text, DataLayout& layout, std::string& problem);

// The layout of a record of nFields values by the usual convention; false for any count but 5 to 8.
bool LayoutFromFieldCount(int nFields, DataLayout& layout);

// A whole data file as read: the header's count and the records present.
struct DataFile {
    std::vector<std::uint8_t> bytes;
    std::size_t recordLength = 0;   // 4 bytes per field
    int headerRecords = 0;          // data records as the header counts them (its word 1 less one)
    std::size_t recordsPresent = 0; // whole data records after the header
    bool partRecord = false;        // bytes after the last whole record

    // Data record k, from 0, as MBF values.
    const std::uint8_t* Record(std::size_t k) const { return bytes.data() + (k + 1) * recordLength; }
    MbfSingle Value(std::size_t k, int column) const;
};

// Reads the bytes of a data file of nFields values per record. False with a message when they hold no
// whole header record.
bool ParseDataFile(std::vector<std::uint8_t> bytes, int nFields, DataFile& file, std::string& problem);

// The number of fields that makes the header's count fit the file's size exactly, trying 7, 6, 5 and 8;
// 0 when none does. For index files that do not say how many fields a security has.
int FieldCountFromSize(const std::vector<std::uint8_t>& bytes);

}  // namespace metastock
