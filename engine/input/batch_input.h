#pragma once
// The input settings of one file of a batch: one layout for all files, or each file's own detected
// layout with what the user gave kept over it. A refusal is a value; each front end words it in its
// own terms (the command line's flags, the dialog's controls).

#include <string>
#include <vector>

#include "engine/input/layout_detection.h"
#include "engine/job/conversion_settings.h"

namespace engine {

struct BatchInput {
    // The layout given (delimiter, skip, date format, columns); with detect, what detection does not
    // replace. Daily: intraday bars are combined into days; TimeFrame other than kFromDates is kept.
    ConversionSettings layout;
    bool detect = false;
    // With detect: the choices that the user gave, kept over what detection finds; a refusal that leaves
    // only these open is settled by them.
    std::vector<LayoutChoice> given;
};

enum class InputRefusal {
    None,
    Detection,  // detection found no layout (detected.problem says why)
    Settings,   // the settings break a limit or two fields share a column (check says which)
};

struct FileInput {
    ConversionSettings settings;
    int dateFormat = 0;  // the number of settings.DateFormat
    InputRefusal refusal = InputRefusal::None;
    DetectedLayout detected;  // with detect: what detection found
    SettingsCheck check;      // for a Settings refusal

    bool Refused() const { return refusal != InputRefusal::None; }
};

// The settings that the file at absolutePath is read with, or why it cannot be read.
FileInput ReadFileInput(const std::string& absolutePath, const BatchInput& input);

}  // namespace engine
