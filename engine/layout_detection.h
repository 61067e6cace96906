#pragma once
// Finds the layout of a price text file from its first lines: the delimiter, the heading rows to skip,
// the column and format of the dates, and the column of each price field.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "metastock/data_file_format.h"
#include "metastock/file_system.h"

namespace engine {

struct ConversionSettings;

// How many of a file's first lines detection reads.
inline constexpr int kDetectedLines = 100;

struct DetectedLayout {
    bool bFound = false;             // a column of dates with a close beside it was found
    int nDelimiter = 0;              // 0 comma, 1 tab, 2 space, 3 semicolon (as the Delimiter setting)
    bool bDecimalComma = false;      // numbers have a decimal comma
    bool bIntraday = false;          // several rows a day with different times (strProblem says so)
    int nSkipRows = 0;
    int nDateFormat = 0;             // 1 to 16
    int nOtherDateFormat = 0;        // another format that also reads every date; 0 when none
    bool bGuessed = false;           // nOtherDateFormat was possible too
    int nColumn[metastock::kFieldCount] = {};  // 1-based column per field (date, open, ..., open interest); 0 off
    std::vector<std::string> columnNames;      // of the fields found, in field order
    std::string strExampleDate;                // the first date as it stands in the file
    std::vector<std::string> notes;            // what else detection saw: order, times, which column it took
    std::string strProblem;                    // why nothing was found
};

// Reads the first lines of the file as a run reads them. When the file cannot be opened or read,
// strProblem says so with the system's reason.
DetectedLayout DetectLayout(const std::string& path);
// The same from an input already open, named path in messages.
DetectedLayout DetectLayout(metastock::IReadableFile& input, const std::string& path);
DetectedLayout DetectLayoutInLines(const std::vector<std::string>& lines);

// One or two sentences for people: "This looks like a comma-delimited file with 1 heading row, dates
// like 01/02/2015 (MM_DD_CCYY), and the columns Date, Open, High, Low, Close, Volume, OpenInt." and,
// when guessed, which other format the dates could be in. Without a layout, the problem.
std::string DescribeLayout(const DetectedLayout& layout);

// Sets delimiter, skip, date format, on-flags and columns; leaves the output settings alone. A field not
// found is switched off, its column set to 1 as the dialog does.
void ApplyLayout(const DetectedLayout& layout, ConversionSettings& settings);

}  // namespace engine
