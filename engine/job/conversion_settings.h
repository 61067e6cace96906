#pragma once
// The twenty conversion settings, named as they are stored, with their defaults and limits, the checks
// that both front ends make, and the symbol's normalisation. Text is held as UTF-8, as typed.

#include <string>

#include "engine/job/conversion_job.h"
#include "engine/text/line_parsing.h"

namespace engine {

struct InputLayout;

inline constexpr int kMinColumn = 1;
inline constexpr int kMaxColumn = 20;
inline constexpr int kMaxSkipRows = 200;
inline constexpr int kMaxSymbolLength = 16;     // characters
inline constexpr int kMaxNameLength = 16;       // characters
inline constexpr int kMaxPathLength = 200;      // characters
inline constexpr int kMaxFullPathLength = 293;  // characters of the directory's full path, which leaves
                                                // room for the separator and "MASTER" within 300
inline constexpr int kMaxDateFormatLength = 12;

struct ConversionSettings {
    std::string DateFormat = "MMDDYY";
    int Exist = 0;          // 0 use the existing MASTER, 1 make a new one
    int Delimiter = 0;      // 0 comma, 1 tab, 2 space, 3 semicolon; any other number acts as comma
    std::string Path;
    std::string Symbol;
    std::string Name;
    int SkipOn = 0;
    int SkipRows = 0;
    int DateCol = 1;
    int OpenOn = 1;
    int OpenCol = 2;
    int HiOn = 1;
    int HiCol = 3;
    int LoOn = 1;
    int LoCol = 4;
    int CloCol = 5;
    int VolOn = 1;
    int VolCol = 6;
    int OIOn = 1;
    int OICol = 7;
    bool DecimalComma = false;  // numbers are written with a decimal comma
    bool Daily = false;         // intraday bars are combined into days
    FrameChoice TimeFrame = FrameChoice::kFromDates;  // the security's time frame, or found from the dates
    int TimeCol = 0;            // the column of the bars' times, 1 to 20; 0: found from the rows (not stored)
    int TickerCol = 0;          // the column naming each row's security, 1 to 20; 0: found by its heading or values
    bool SkipBadRows = false;   // rows that cannot be read are left out and listed (asked for each run, not stored)
    // Only rows dated from FromDate to ToDate are converted: date codes (DateCodeValue), 0 for no bound;
    // given for a run, not stored.
    int FromDate = 0;
    int ToDate = 0;
};


// The settings that a check can refuse, in the order the checks run.
enum class ESetting { None, DateCol, OpenCol, HiCol, LoCol, CloCol, VolCol, OICol, Exist, Name, Path, Symbol, SkipRows,
                      Delimiter, DateFormat };

enum class ESettingsFault {
    None,
    OutOfRange,      // a number outside min to max
    TooLong,         // a text of more than nMax characters
    NotWindows1252,  // a symbol or name character that the MetaStock files cannot store
    DuplicateColumn, // two fields that are read share a column (field and otherField)
    EmptySymbol,     // nothing left of the symbol once trailing blanks are removed
    EmptyPath,       // nothing left of the path once trailing blanks are removed
};

// The outcome of a check: the first fault found, the setting to put the focus on, and the dialog's
// message for it. Front ends that word their messages differently build them from the other members.
struct SettingsCheck {
    ESettingsFault fault = ESettingsFault::None;
    ESetting field = ESetting::None;
    ESetting otherField = ESetting::None;
    int min = 0;
    int max = 0;
    std::string character;  // the character that Windows-1252 cannot hold, in UTF-8
    std::string message;

    bool Failed() const { return fault != ESettingsFault::None; }
};

// The limits of one setting: columns 1 to 20, SkipRows 0 to 200, texts their lengths, Symbol and Name
// also in Windows-1252. Exist and Delimiter pass whatever they hold.
SettingsCheck CheckSetting(const ConversionSettings& settings, ESetting eField);

// Every limit in the order of ESetting, then the columns of the fields that are read (date and close
// always, the others when on) must differ, the symbol must hold more than blanks, and so must the path.
// Messages as the Conversion Settings dialog shows them.
SettingsCheck CheckSettings(const ConversionSettings& settings);

// The duplicate-column rule alone.
SettingsCheck CheckColumnsDiffer(const ConversionSettings& settings);

// Trailing white space removed, then upper case by UpperCaseSymbol; leading blanks stay. A symbol that
// Windows-1252 cannot hold is only trimmed (the check refuses it).
std::string NormalisedSymbol(const std::string& symbol);

// The 1-based column of field nField (date, open, high, low, close, volume, open interest) and whether
// it is read; date and close are always read.
int FieldColumn(const ConversionSettings& settings, int nField);
bool FieldOn(const ConversionSettings& settings, int nField);
void SetField(ConversionSettings& settings, int nField, bool bOn, int nColumn);

// The column delimiter: Delimiter 1 a tab, 2 a blank, 3 a semicolon, anything else a comma.
char DelimiterOf(const ConversionSettings& settings);

// The caption of field nField (date, open, ..., open interest) as the dialog shows it: "Date" ... "Open Int".
const char* FieldCaption(int nField);

// The setting that holds field nField's column: DateCol ... OICol.
ESetting FieldSetting(int nField);

}  // namespace engine
