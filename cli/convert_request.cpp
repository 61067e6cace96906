#include "cli/convert_request.h"

#include <charconv>
#include <filesystem>

#include "engine/date_formats.h"
#include "engine/layout_detection.h"
#include "metastock/file_names.h"
#include "metastock/path_text.h"

using namespace metastock;
using namespace engine;

namespace {

struct ColumnOption {
    const char* szOption;
    std::string CConvertRequest::*pValue;
    bool bMayBeOff;
};

// In the job's field order: date, open, high, low, close, volume, open interest.
constexpr ColumnOption kColumnOptions[kFieldCount] = {
    {"--date-col", &CConvertRequest::strDateCol, false},    {"--open-col", &CConvertRequest::strOpenCol, true},
    {"--high-col", &CConvertRequest::strHighCol, true},     {"--low-col", &CConvertRequest::strLowCol, true},
    {"--close-col", &CConvertRequest::strCloseCol, false},  {"--volume-col", &CConvertRequest::strVolumeCol, true},
    {"--oi-col", &CConvertRequest::strOiCol, true},
};

const char* const kDelimiterNames[] = {"comma", "tab", "space", "semicolon"};

bool ParseWholeNumber(const std::string& text, int& value)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && !text.empty();
}

// The column of a field from 1 to 20, or 0 when the field is off.
bool ReadColumn(const CConvertRequest& request, const ColumnOption& option, int& column, std::string& error)
{
    const std::string& text = request.*option.pValue;
    if (option.bMayBeOff && text == "off") {
        column = 0;
        return true;
    }
    if (ParseWholeNumber(text, column) && column >= kMinColumn && column <= kMaxColumn)
        return true;
    error = std::string(option.szOption) + " must be a column from 1 to 20" + (option.bMayBeOff ? " or off" : "") +
            ", not \"" + text + "\"";
    return false;
}

bool HasMaster(const std::string& directory)
{
    std::error_code error;
    return std::filesystem::is_regular_file(FindEntryIgnoringCase(PathFromText(directory), "MASTER"), error);
}

const char* ColumnOptionOf(ESetting eField)
{
    static const ESetting kSettings[kFieldCount] = {ESetting::DateCol, ESetting::OpenCol, ESetting::HiCol,
                                                    ESetting::LoCol,   ESetting::CloCol,  ESetting::VolCol,
                                                    ESetting::OICol};
    for (int i = 0; i < kFieldCount; ++i)
        if (kSettings[i] == eField)
            return kColumnOptions[i].szOption;
    return "";
}

// The command line's wording of a fault that the settings' checks found.
std::string OptionMessage(const SettingsCheck& check)
{
    const char* szOption = check.eField == ESetting::Symbol ? "--symbol" : check.eField == ESetting::Name ? "--name" : "--dir";
    switch (check.eFault) {
    case ESettingsFault::NotWindows1252:
        return std::string(szOption) + " holds \"" + check.strCharacter +
               "\", a character that MetaStock files cannot store (their text is Windows-1252)";
    case ESettingsFault::DuplicateColumn:
        return std::string(ColumnOptionOf(check.eField)) + " and " + ColumnOptionOf(check.eOtherField) +
               " both name column " + std::to_string(check.nMax) + "; the columns of the fields that are on must differ";
    case ESettingsFault::OutOfRange:
        if (check.eField == ESetting::SkipRows)
            return "--skip must be from 0 to 200 rows";
        return std::string(ColumnOptionOf(check.eField)) + " must be a column from 1 to 20";
    case ESettingsFault::TooLong:
    case ESettingsFault::EmptySymbol:
    case ESettingsFault::EmptyPath:
        if (check.eField == ESetting::Symbol)
            return "--symbol must be 1 to 16 characters once trailing blanks are removed";
        if (check.eField == ESetting::Name)
            return "--name must be at most 16 characters";
        return "--dir must be 1 to 200 characters";
    case ESettingsFault::None:
        break;
    }
    return check.strMessage;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> LayoutOptions(const DetectedLayout& layout)
{
    std::vector<std::pair<std::string, std::string>> options = {
        {"--delimiter", kDelimiterNames[layout.nDelimiter]},
        {"--date-format", kDateFormatNames[layout.nDateFormat - 1]},
        {"--skip", std::to_string(layout.nSkipRows)},
    };
    for (int i = 0; i < kFieldCount; ++i)
        options.emplace_back(kColumnOptions[i].szOption,
                             layout.nColumn[i] != 0 ? std::to_string(layout.nColumn[i]) : std::string("off"));
    if (layout.bDecimalComma)
        options.emplace_back("--decimal-comma", "");
    return options;
}

std::string LayoutOptionsLine(const DetectedLayout& layout)
{
    std::string line;
    for (const auto& [option, value] : LayoutOptions(layout))
        line += (line.empty() ? "" : " ") + option + (value.empty() ? "" : " " + value);
    return line;
}

void SetInputOption(CConvertRequest& request, const std::string& option, const std::string& value)
{
    if (option == "--delimiter")
        request.strDelimiter = value;
    else if (option == "--date-format")
        request.strDateFormat = value;
    else if (option == "--skip")
        ParseWholeNumber(value, request.nSkip);
    else if (option == "--decimal-comma")
        request.bDecimalComma = true;
    for (const ColumnOption& column : kColumnOptions)
        if (option == column.szOption)
            request.*column.pValue = value;
}

bool ValidateRequest(const CConvertRequest& request, ConversionSettings& settings, int& nDateFormat, std::string& error)
{
    for (int i = 0; i < kFieldCount; ++i) {
        int column = 0;
        if (!ReadColumn(request, kColumnOptions[i], column, error))
            return false;
        SetField(settings, i, column != 0, column != 0 ? column : kMinColumn);
    }
    nDateFormat = DateFormatNumber(request.strDateFormat);
    if (nDateFormat == 0) {
        error = "--date-format must be one of the sixteen format names (YY_MM_DD, CCYY_MM_DD, MM_DD_YY, MM_DD_CCYY, "
                "DD_MM_YY, DD_MM_CCYY, YYMMDD, CCYYMMDD, MMDDYY, MMDDCCYY, DDMMYY, DDMMCCYY, DD_MMM_YY, DD_MMM_CCYY, "
                "MMM_DD_CCYY, CCYY_MMM_DD) or a number from 1 to 16";
        return false;
    }
    settings.DateFormat = kDateFormatNames[nDateFormat - 1];
    settings.Delimiter = request.strDelimiter == "tab" ? 1 : request.strDelimiter == "space" ? 2 : request.strDelimiter == "semicolon" ? 3 : 0;
    settings.DecimalComma = request.bDecimalComma;
    settings.Daily = request.bDaily;
    settings.SkipBadRows = request.bSkipBadRows;
    settings.SkipOn = request.nSkip > 0 ? 1 : 0;
    settings.SkipRows = request.nSkip;
    settings.Path = request.strDir;
    settings.Symbol = NormalisedSymbol(request.strSymbol);
    settings.Name = request.strName;
    const bool bExisting = request.strMaster == "existing" || (request.strMaster == "auto" && HasMaster(request.strDir));
    settings.Exist = bExisting ? 0 : 1;
    const SettingsCheck check = CheckSettings(settings);
    if (check.Failed()) {
        error = OptionMessage(check);
        return false;
    }
    return true;
}
