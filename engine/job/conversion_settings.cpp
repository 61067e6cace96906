#include "engine/job/conversion_settings.h"

#include "engine/job/conversion_job.h"
#include "engine/text/code_page.h"
#include "engine/text/date_formats.h"
#include "engine/text/line_parsing.h"
#include "engine/text/text_reader.h"
#include "engine/text/trimmed_text.h"
#include "metastock/file_system.h"
#include "metastock/path_text.h"

namespace engine {

using namespace metastock;

namespace {

struct FieldMembers {
    int ConversionSettings::*on;  // nullptr: always read
    int ConversionSettings::*column;
    ESetting setting;
    const char* caption;
};

// In the job's field order: date, open, high, low, close, volume, open interest.
constexpr FieldMembers kFields[kFieldCount] = {
    {nullptr, &ConversionSettings::DateCol, ESetting::DateCol, "Date"},
    {&ConversionSettings::OpenOn, &ConversionSettings::OpenCol, ESetting::OpenCol, "Open"},
    {&ConversionSettings::HiOn, &ConversionSettings::HiCol, ESetting::HiCol, "High"},
    {&ConversionSettings::LoOn, &ConversionSettings::LoCol, ESetting::LoCol, "Low"},
    {nullptr, &ConversionSettings::CloCol, ESetting::CloCol, "Close"},
    {&ConversionSettings::VolOn, &ConversionSettings::VolCol, ESetting::VolCol, "Volume"},
    {&ConversionSettings::OIOn, &ConversionSettings::OICol, ESetting::OICol, "Open Int"},
};

SettingsCheck Fault(ESettingsFault eFault, ESetting eField, std::string strMessage)
{
    SettingsCheck check;
    check.fault = eFault;
    check.field = eField;
    check.message = std::move(strMessage);
    return check;
}

SettingsCheck CheckRange(int nValue, int nMin, int nMax, ESetting eField)
{
    if (nValue >= nMin && nValue <= nMax)
        return {};
    SettingsCheck check = Fault(ESettingsFault::OutOfRange, eField,
                                "Please enter an integer between " + std::to_string(nMin) + " and " +
                                    std::to_string(nMax) + ".");
    check.min = nMin;
    check.max = nMax;
    return check;
}

SettingsCheck CheckLength(const std::string& text, int nMax, ESetting eField)
{
    if (CountCharacters(text) <= static_cast<std::size_t>(nMax))
        return {};
    SettingsCheck check = Fault(ESettingsFault::TooLong, eField,
                                "Please enter no more than " + std::to_string(nMax) + " characters.");
    check.max = nMax;
    return check;
}

// Symbol and name go into the MASTER file, whose text is Windows-1252.
SettingsCheck CheckStorable(const std::string& text, ESetting eField, const char* szCaption)
{
    std::string cp1252;
    std::string bad;
    if (Utf8ToWindows1252(text, cp1252, bad))
        return {};
    SettingsCheck check = Fault(ESettingsFault::NotWindows1252, eField,
                                std::string("The ") + szCaption + " holds \"" + bad +
                                    "\", a character that MetaStock files cannot store (their text is Windows-1252).");
    check.character = bad;
    return check;
}

}  // namespace

int FieldColumn(const ConversionSettings& settings, int nField)
{
    return settings.*kFields[nField].column;
}

bool FieldOn(const ConversionSettings& settings, int nField)
{
    return kFields[nField].on == nullptr || settings.*kFields[nField].on != 0;
}

void SetField(ConversionSettings& settings, int nField, bool bOn, int nColumn)
{
    if (kFields[nField].on != nullptr)
        settings.*kFields[nField].on = bOn ? 1 : 0;
    settings.*kFields[nField].column = nColumn;
}

SettingsCheck CheckSetting(const ConversionSettings& settings, ESetting eField)
{
    switch (eField) {
    case ESetting::DateCol:
    case ESetting::OpenCol:
    case ESetting::HiCol:
    case ESetting::LoCol:
    case ESetting::CloCol:
    case ESetting::VolCol:
    case ESetting::OICol:
        for (const FieldMembers& field : kFields)
            if (field.setting == eField)
                return CheckRange(settings.*field.column, kMinColumn, kMaxColumn, eField);
        return {};
    case ESetting::Name: {
        SettingsCheck check = CheckLength(settings.Name, kMaxNameLength, eField);
        return check.Failed() ? check : CheckStorable(settings.Name, eField, "Name");
    }
    case ESetting::Path:
        return CheckLength(settings.Path, kMaxPathLength, eField);
    case ESetting::Symbol: {
        SettingsCheck check = CheckLength(settings.Symbol, kMaxSymbolLength, eField);
        return check.Failed() ? check : CheckStorable(settings.Symbol, eField, "Symbol");
    }
    case ESetting::SkipRows:
        return CheckRange(settings.SkipRows, 0, kMaxSkipRows, eField);
    case ESetting::DateFormat:
        return CheckLength(settings.DateFormat, kMaxDateFormatLength, eField);
    case ESetting::None:
    case ESetting::Exist:
    case ESetting::Delimiter:
        return {};
    }
    return {};
}

SettingsCheck CheckColumnsDiffer(const ConversionSettings& settings)
{
    for (int i = 0; i < kFieldCount; ++i)
        for (int j = i + 1; j < kFieldCount; ++j)
            if (FieldOn(settings, i) && FieldOn(settings, j) && FieldColumn(settings, i) == FieldColumn(settings, j)) {
                SettingsCheck check = Fault(ESettingsFault::DuplicateColumn, kFields[i].setting,
                                            "Duplicate columns specified\nCorrect or disable");
                check.otherField = kFields[j].setting;
                check.min = check.max = FieldColumn(settings, i);
                return check;
            }
    return {};
}

SettingsCheck CheckSettings(const ConversionSettings& settings)
{
    for (int n = static_cast<int>(ESetting::DateCol); n <= static_cast<int>(ESetting::DateFormat); ++n) {
        SettingsCheck check = CheckSetting(settings, static_cast<ESetting>(n));
        if (check.Failed())
            return check;
    }
    SettingsCheck check = CheckColumnsDiffer(settings);
    if (check.Failed())
        return check;
    if (TrimmedRight(settings.Symbol).empty())
        return Fault(ESettingsFault::EmptySymbol, ESetting::Symbol, "You did not enter a valid symbol");
    if (TrimmedRight(settings.Path).empty())
        return Fault(ESettingsFault::EmptyPath, ESetting::Path, "Please enter path");
    return {};
}

std::string NormalisedSymbol(const std::string& symbol)
{
    const std::string trimmed = TrimmedRight(symbol);
    std::string cp1252;
    std::string bad;
    if (!Utf8ToWindows1252(trimmed, cp1252, bad))
        return trimmed;
    return Windows1252ToUtf8(UpperCaseSymbol(cp1252));
}

char DelimiterOf(const ConversionSettings& settings)
{
    switch (settings.Delimiter) {
    case 1: return '\t';
    case 2: return ' ';
    case 3: return ';';
    default: return ',';
    }
}

const char* FieldCaption(int nField)
{
    return nField >= 0 && nField < kFieldCount ? kFields[nField].caption : "";
}

ESetting FieldSetting(int nField)
{
    return nField >= 0 && nField < kFieldCount ? kFields[nField].setting : ESetting::None;
}

}  // namespace engine
