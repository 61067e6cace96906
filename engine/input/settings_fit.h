#pragma once
// Whether conversion settings fit an input file, judged on its first data row as the run reads it, and
// the settings that a detected layout gives.

#include <string>

#include "engine/input/layout_detection.h"
#include "engine/job/conversion_job.h"
#include "engine/job/conversion_settings.h"

namespace engine {

// Empty when the settings fit the input file; otherwise why not, to follow "The settings do not fit
// this file: ": what RowMisfit finds in the first data row (after the skipped rows), or that the file
// cannot be read, with the system's reason. nDateFormat 0 takes the format from DateFormat.
std::string SettingsMisfit(const ConversionSettings& settings, const std::string& inputPath, int nDateFormat = 0);

// The same as a value: the setting that does not fit (a column's field, or DateFormat), the 1-based row
// and how many columns it has; field None and empty text when the settings fit.
struct SettingsMisfitAt {
    ESetting field = ESetting::None;
    int row = 0;
    int columns = 0;
    std::string text;

    bool Found() const { return !text.empty(); }
};
SettingsMisfitAt FindSettingsMisfit(const ConversionSettings& settings, const std::string& inputPath, int nDateFormat = 0);

// Found() when a data row (line nRow, split into nFields fields) does not fit the layout, and why: it has
// fewer columns than a field that is read needs, a date that the format cannot read, or a price, volume
// or open interest that is not a number. The fields are named as the Conversion Settings dialog names them.
SettingsMisfitAt RowMisfit(const InputLayout& layout, const TextField (&fields)[kMaxFields], int nFields, int nRow);

// Sets delimiter, decimal comma, time frame, skip, date format, on-flags and columns; leaves the output
// settings alone. A field not
// found is switched off, its column set to 1 as the dialog does.
void ApplyLayout(const DetectedLayout& layout, ConversionSettings& settings);

}  // namespace engine
