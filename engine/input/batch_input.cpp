#include "engine/input/batch_input.h"

#include <algorithm>

#include "engine/text/date_formats.h"

namespace engine {

using namespace metastock;

namespace {

bool Given(const BatchInput& input, LayoutChoice choice)
{
    return std::find(input.given.begin(), input.given.end(), choice) != input.given.end();
}

// Detection's values for the choices that it settled and the user did not give.
void TakeDetected(const DetectedLayout& detected, const BatchInput& input, ConversionSettings& settings)
{
    const auto take = [&](LayoutChoice choice) { return !detected.IsOpen(choice) && !Given(input, choice); };
    if (take(LayoutChoice::kDelimiter))
        settings.Delimiter = detected.delimiter;
    if (take(LayoutChoice::kDecimalComma))
        settings.DecimalComma = detected.decimalComma;
    if (take(LayoutChoice::kSkipRows)) {
        settings.SkipOn = detected.skipRows > 0 ? 1 : 0;
        settings.SkipRows = detected.skipRows;
    }
    if (take(LayoutChoice::kDateFormat) && detected.dateFormat >= 1 && detected.dateFormat <= kDateFormatCount)
        settings.DateFormat = kDateFormatNames[detected.dateFormat - 1];
    for (int i = 0; i < kFieldCount; ++i)
        if (take(ColumnChoice(i)))
            SetField(settings, i, detected.column[i] != 0, detected.column[i] != 0 ? detected.column[i] : kMinColumn);
    if (settings.TimeCol == 0)
        settings.TimeCol = detected.timeColumn;
    // A frame the user states is kept; intraday bars combined into days take the frame the run finds.
    if (settings.TimeFrame == FrameChoice::kFromDates && !(detected.intraday && settings.Daily))
        settings.TimeFrame = detected.frame;
}

// The limits of the layout's settings, then the duplicate-column rule.
SettingsCheck CheckLayout(const ConversionSettings& settings)
{
    for (ESetting eField : {ESetting::DateCol, ESetting::OpenCol, ESetting::HiCol, ESetting::LoCol, ESetting::CloCol,
                            ESetting::VolCol, ESetting::OICol, ESetting::SkipRows}) {
        const SettingsCheck check = CheckSetting(settings, eField);
        if (check.Failed())
            return check;
    }
    return CheckColumnsDiffer(settings);
}

}  // namespace

FileInput ReadFileInput(const std::string& absolutePath, const BatchInput& input)
{
    FileInput file;
    file.settings = input.layout;
    if (input.detect) {
        file.detected = DetectLayout(absolutePath);
        const DetectedLayout& detected = file.detected;
        const bool settled = !detected.found && !detected.intraday && !detected.openChoices.empty() &&
                             std::all_of(detected.openChoices.begin(), detected.openChoices.end(),
                                         [&](LayoutChoice choice) { return Given(input, choice); });
        // Intraday bars are a layout found: they become an intraday security, or days with Daily.
        if (!detected.found && !settled && !detected.intraday) {
            file.refusal = InputRefusal::Detection;
            return file;
        }
        TakeDetected(detected, input, file.settings);
    }
    file.dateFormat = DateFormatNumber(file.settings.DateFormat);
    file.check = CheckLayout(file.settings);
    if (file.check.Failed())
        file.refusal = InputRefusal::Settings;
    return file;
}

}  // namespace engine
