#pragma once
// Finds the layout of a price text file from its first lines: the delimiter, the heading rows to skip,
// the column and format of the dates, and the column of each price field. Every column's role is a claim
// that the values bear out; where they leave a choice open, detection refuses and names it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/input/time_frame.h"
#include "engine/job/conversion_job.h"
#include "metastock/data_file_format.h"
#include "metastock/file_system.h"

namespace engine {

struct ConversionSettings;

// How many of a file's first lines detection reads.
inline constexpr int kDetectedLines = 300;

// Where a field's column came from.
enum class EvidenceSource {
    kNone,     // the field is off: the file has no such column, or none that the values bear out
    kHeading,  // its heading names it, and the values agree
    kValues,   // the values alone: the largest and smallest prices, the only whole numbers, the dates
};

struct FieldEvidence {
    int column = 0;  // 1-based; 0 when the field is off or not known
    EvidenceSource source = EvidenceSource::kNone;
    std::string heading;  // the column's heading as the file has it (UTF-8), empty when none
    std::string reason;   // for people: "Open from Откр.", "Volume: column 6, the only whole numbers"
};

// A choice of the layout that detection settles or, on a refusal, leaves open. The first seven are the
// fields' columns in field order (date, open, ..., open interest).
enum class LayoutChoice {
    kDateColumn,
    kOpenColumn,
    kHighColumn,
    kLowColumn,
    kCloseColumn,
    kVolumeColumn,
    kOpenInterestColumn,
    kDateFormat,
    kDelimiter,
    kDecimalComma,
    kSkipRows,
};

inline LayoutChoice ColumnChoice(int nField)
{
    return static_cast<LayoutChoice>(static_cast<int>(LayoutChoice::kDateColumn) + nField);
}

// The choice for people, as the Conversion Settings dialog names its control: "the Open column".
const char* LayoutChoiceName(LayoutChoice choice);

struct DetectedLayout {
    bool found = false;             // a column of dates with a close beside it was found, and nothing is left open
    int delimiter = 0;              // 0 comma, 1 tab, 2 space, 3 semicolon (as the Delimiter setting)
    bool decimalComma = false;      // numbers have a decimal comma
    bool intraday = false;          // several rows a day with different times
    FrameChoice frame = FrameChoice::kFromDates;  // the time frame the dates show; kFromDates when unsure
    int timeColumn = 0;  // 1-based column of times in digits alone (093000) under a time heading; 0 none
    IntradayBars bars;              // intraday: the interval and the bars a day that the times show
    int skipRows = 0;
    int dateFormat = 0;             // 1 to 18; 0 when not known
    int otherDateFormat = 0;        // another format that also reads every date; 0 when none
    int column[metastock::kFieldCount] = {};  // 1-based column per field (date, open, ..., open interest); 0 off
    FieldEvidence fields[metastock::kFieldCount];  // the same columns, each with where it came from
    std::vector<std::string> columnNames;      // of the fields found, in field order
    std::string exampleDate;                   // the first date as it stands in the file
    std::vector<std::string> notes;            // what else detection saw: order, times, bad rows, columns left out
    std::string problem;                       // why the file is refused; empty when it is not
    // On a refusal: the choices detection could not settle; it settled every other one. A run given the
    // open ones converts the file.
    std::vector<LayoutChoice> openChoices;

    bool IsOpen(LayoutChoice choice) const;
};

// Reads the first lines of the file as a run reads them. When the file cannot be opened or read,
// problem says so with the system's reason.
DetectedLayout DetectLayout(const std::string& path);
// The same from an input already open, named path in messages.
DetectedLayout DetectLayout(metastock::IReadableFile& input, const std::string& path);
DetectedLayout DetectLayoutInLines(const std::vector<std::string>& lines);

// One or two sentences for people: the delimiter, the time frame unless daily ("weekly bars, one a week",
// "5-minute bars, 78 a day"), the heading rows, the dates, and for every field where its column came from ("Open from Откр.; Volume: column 6, the only whole numbers"). On a refusal, the
// reason and the choices left to the user.
std::string DescribeLayout(const DetectedLayout& layout);

}  // namespace engine
