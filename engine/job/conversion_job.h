#pragma once
// One conversion, as the desktop, `convert`, `convert --update` and `batch` all describe it: where the
// rows come from and how they are laid out, where the security goes, and what it is called. A plain
// value built once from the conversion settings; the run only reads it. Text is UTF-8; the run turns
// symbol and name into Windows-1252 where it writes them.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "metastock/data_file_format.h"
#include "metastock/master_format.h"
#include "metastock/mbf.h"

namespace engine {

struct ConversionSettings;

// The time frame a run writes: found from the rows' dates and times, or stated by the user (and then
// refused when the dates contradict it).
enum class FrameChoice { kFromDates, kDaily, kWeekly, kMonthly, kIntraday };

// How the input's lines are read. Field index order everywhere: date, open, high, low, close, volume,
// open interest (the Field enumeration).
struct InputLayout {
    char delimiter = ',';
    int dateFormat = 1;  // 1 to 16; 0 when none was chosen (no date can be read)
    int skipRows = 0;    // leading lines skipped
    std::array<bool, metastock::kFieldCount> fieldOn{};    // the field is read from the input
    std::array<int, metastock::kFieldCount> fieldColumn{};  // its column among a line's fields, 0 to 19
    bool decimalComma = false;     // numbers have a decimal comma
    bool combineIntraday = false;  // several bars of one day become one record
    bool skipBadRows = false;      // rows that cannot be read are left out and listed
    bool refuseMisfit = false;     // a first data row that does not fit the layout refuses the run (RowMisfit)
    FrameChoice frame = FrameChoice::kFromDates;
    // The column of the bars' times, read as NamedTimeOfDay reads them; -1: a column of times such as
    // 09:30 beside the chosen ones, found from the first data row.
    int timeColumn = -1;
    // Rows dated before fromDate or after toDate (date codes, DateCodeValue; 0 for no bound) are left out.
    std::int32_t fromDate = 0;
    std::int32_t toDate = 0;

    int FieldsOn() const;
};

// Whether the security goes into the directory's MASTER or into a new one.
enum class MasterChoice { Existing, New };

struct ConversionJob {
    std::string inputPath;
    std::string directory;
    std::string symbol;
    std::string name;
    InputLayout layout;
    MasterChoice master = MasterChoice::New;
    bool update = false;      // a symbol the directory holds gets the rows after its last date
    bool makeXmaster = false;  // past a full MASTER, make an XMASTER when the directory has none
    bool syncToDisk = true;   // false: no flushes to disk (scratch output); a power loss may then leave new
                              // files incomplete although MASTER names them
};

// The job of settings that passed their checks, with the date-format number and the input file.
ConversionJob MakeConversionJob(const ConversionSettings& settings, int dateFormat, const std::string& inputPath);

// Symbol and name as MASTER stores them; false when either holds a character Windows-1252 has not.
bool StoredText(const ConversionJob& job, std::string& symbol, std::string& name);

// What a run did. Its messages have gone through the message sink already.
struct ConversionResult {
    int status = 1;           // 0 done; non-zero after a message
    bool staged = false;      // the security went whole into the commit (or into the batch's group)
    bool updated = false;     // the directory held the security, and the run appended to it
    std::string symbol;       // UTF-8, as the job names it
    int fileNumber = 0;            // n of F<n>.DAT, or of F<n>.MWD from 256 up
    int records = 0;          // data records converted by this run
    int heldRecords = 0;      // records an updated security held before
    metastock::MbfSingle firstDate = {};  // date codes of the first and last record converted
    metastock::MbfSingle lastDate = {};
    metastock::TimeFrame frame = metastock::TimeFrame::kDaily;  // of the security written or updated
    int intervalMinutes = 0;  // of intraday bars; 0 when uneven
    int firstTime = -1;       // HHMMSS of the first and last intraday bar converted; -1 for other frames
    int lastTime = -1;
    std::string rowNotes;     // what was done with the rows: skipped, sorted, combined
    std::string skippedRows;  // the rows left out as unreadable, with their lines and reasons
    // When the first data row did not fit the layout: the input's first lines, to detect the layout from.
    std::vector<std::string> misfitLines;
};

}  // namespace engine
