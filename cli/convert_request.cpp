#include "cli/convert_request.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "cli/output.h"
#include "engine/input/layout_detection.h"
#include "engine/text/date_formats.h"
#include "engine/text/field_names.h"
#include "metastock/file_names.h"
#include "metastock/path_text.h"

namespace cli {

using namespace metastock;
using namespace engine;

namespace {

struct ColumnOption {
    const char* option;
    std::string ConvertRequest::*value;
    bool mayBeOff;
    const char* field;
};

// In the job's field order: date, open, high, low, close, volume, open interest.
constexpr ColumnOption kColumnOptions[kFieldCount] = {
    {"--date-col", &ConvertRequest::dateCol, false, "the date"},
    {"--open-col", &ConvertRequest::openCol, true, "the open price"},
    {"--high-col", &ConvertRequest::highCol, true, "the high price"},
    {"--low-col", &ConvertRequest::lowCol, true, "the low price"},
    {"--close-col", &ConvertRequest::closeCol, false, "the close price"},
    {"--volume-col", &ConvertRequest::volumeCol, true, "the volume"},
    {"--oi-col", &ConvertRequest::oiCol, true, "the open interest"},
};

const std::vector<std::string> kDelimiterChoices(engine::kDelimiterNames.begin(), engine::kDelimiterNames.end());

std::string ColumnRange()
{
    return std::to_string(kMinColumn) + " to " + std::to_string(kMaxColumn);
}

std::string DateFormatNames()
{
    std::string names;
    for (const char* szName : kDateFormatNames)
        names += (names.empty() ? "" : ", ") + std::string(szName);
    return names;
}

const std::vector<std::string> kFrameChoices = {"daily", "weekly", "monthly", "intraday"};

FrameChoice FrameOf(const std::string& name)
{
    static const FrameChoice kFrames[] = {FrameChoice::kDaily, FrameChoice::kWeekly, FrameChoice::kMonthly,
                                          FrameChoice::kIntraday};
    for (std::size_t i = 0; i < kFrameChoices.size(); ++i)
        if (name == kFrameChoices[i])
            return kFrames[i];
    return FrameChoice::kFromDates;
}

// The date code of an ISO date YYYY-MM-DD within the years a date code holds; 0 for none given. False
// with the message naming the option for any other text.
bool ReadBound(const std::string& text, const char* szOption, int& code, std::string& error)
{
    code = 0;
    if (text.empty())
        return true;
    const bool bShape = text.size() == 10 && text[4] == '-' && text[7] == '-' &&
                        std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || c == '-'; });
    const DateRead read = bShape ? ReadDate(text, DateFormatNumber("CCYY_MM_DD")) : DateRead{};
    if (read.result != DateResult::kDate) {
        error = std::string(szOption) + " must be a date YYYY-MM-DD from " + std::to_string(kFirstYear) + "-01-01 to " +
                std::to_string(kLastYear) + "-12-31, not \"" + text + "\"";
        return false;
    }
    code = DateCodeValue(read.year, read.month, read.day);
    return true;
}

bool ParseWholeNumber(const std::string& text, int& value)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && !text.empty();
}

// The column of a field from 1 to 20, or 0 when the field is off.
bool ReadColumn(const ConvertRequest& request, const ColumnOption& option, int& column, std::string& error)
{
    const std::string& text = request.*option.value;
    if (option.mayBeOff && text == "off") {
        column = 0;
        return true;
    }
    if (ParseWholeNumber(text, column) && column >= kMinColumn && column <= kMaxColumn)
        return true;
    error = std::string(option.option) + " must be a column from " + ColumnRange() +
            (option.mayBeOff ? " or off" : "") +
            ", not \"" + text + "\"";
    return false;
}

// A look at MASTER that fails counts as one there: the run's own look under the lock then says why.
bool HasMaster(const std::string& directory)
{
    metastock::PathStatus status;
    FindEntryIgnoringCase(PathFromText(directory), "MASTER", status);
    return status.existence == metastock::Existence::kError || (status.existence == metastock::Existence::kYes && status.regularFile);
}

const char* ColumnOptionOf(ESetting eField)
{
    static const ESetting kSettings[kFieldCount] = {ESetting::DateCol, ESetting::OpenCol, ESetting::HiCol,
                                                    ESetting::LoCol,   ESetting::CloCol,  ESetting::VolCol,
                                                    ESetting::OICol};
    for (int i = 0; i < kFieldCount; ++i)
        if (kSettings[i] == eField)
            return kColumnOptions[i].option;
    return "";
}

void SetInputOption(ConvertRequest& request, const std::string& option, const std::string& value)
{
    if (option == "--delimiter")
        request.delimiter = value;
    else if (option == "--date-format")
        request.dateFormat = value;
    else if (option == "--skip")
        ParseWholeNumber(value, request.skip);
    else if (option == "--decimal-comma")
        request.decimalComma = true;
    else if (option == "--time-col")
        ParseWholeNumber(value, request.timeCol);
    for (const ColumnOption& column : kColumnOptions)
        if (option == column.option)
            request.*column.value = value;
}

// The flag that gives a choice of the layout.
const char* FlagOf(LayoutChoice choice)
{
    switch (choice) {
    case LayoutChoice::kDateFormat: return "--date-format";
    case LayoutChoice::kDelimiter: return "--delimiter";
    case LayoutChoice::kDecimalComma: return "--decimal-comma";
    case LayoutChoice::kSkipRows: return "--skip";
    default: return kColumnOptions[static_cast<int>(choice) - static_cast<int>(LayoutChoice::kDateColumn)].option;
    }
}

}  // namespace

std::string OptionMessage(const SettingsCheck& check)
{
    const char* szOption = check.field == ESetting::Symbol ? "--symbol" : check.field == ESetting::Name ? "--name" : "--dir";
    switch (check.fault) {
    case ESettingsFault::NotWindows1252:
        return std::string(szOption) + " holds \"" + check.character +
               "\", a character that MetaStock files cannot store (their text is Windows-1252)";
    case ESettingsFault::DuplicateColumn:
        return std::string(ColumnOptionOf(check.field)) + " and " + ColumnOptionOf(check.otherField) +
               " both name column " + std::to_string(check.max) + "; the columns of the fields that are on must differ";
    case ESettingsFault::OutOfRange:
        if (check.field == ESetting::SkipRows)
            return "--skip must be from " + std::to_string(check.min) + " to " + std::to_string(check.max) + " rows";
        return std::string(ColumnOptionOf(check.field)) + " must be a column from " + ColumnRange();
    case ESettingsFault::TooLong:
    case ESettingsFault::EmptySymbol:
    case ESettingsFault::EmptyPath:
        if (check.field == ESetting::Symbol)
            return "--symbol must be 1 to " + std::to_string(kMaxSymbolLength) +
                   " characters once trailing blanks are removed";
        if (check.field == ESetting::Name)
            return "--name must be at most " + std::to_string(kMaxNameLength) + " characters";
        return "--dir must be 1 to " + std::to_string(kMaxPathLength) + " characters";
    case ESettingsFault::None:
        break;
    }
    return check.message;
}

std::vector<Option> InputOptions(ConvertRequest& request)
{
    const ConversionSettings defaults;
    std::vector<Option> options = {
        {"--date-format", &request.dateFormat,
         "Layout of the dates: " + DateFormatNames() + " (any case) or their number 1 to " +
             std::to_string(kDateFormatCount) + " (default: " + defaults.DateFormat + ")"},
        {"--delimiter", &request.delimiter, "What separates the columns (default: comma)", false, kDelimiterChoices},
        {"--skip", &request.skip, "Leading lines to skip, 0 to " + std::to_string(kMaxSkipRows) + " (default: 0)"},
    };
    for (int i = 0; i < kFieldCount; ++i) {
        const ColumnOption& column = kColumnOptions[i];
        options.push_back({column.option, &(request.*column.value),
                           std::string("Column of ") + column.field + ", " + ColumnRange() +
                               (column.mayBeOff ? ", or off" : "") + " (default: " +
                               std::to_string(FieldColumn(defaults, i)) + ")"});
    }
    options.push_back({"--decimal-comma", &request.decimalComma,
                       "Numbers have a decimal comma (1,25); with a comma delimiter only inside quotes"});
    options.push_back({"--daily", &request.daily,
                       "Combine intraday bars into daily ones: open of the first, highest high, lowest low, close of "
                       "the last, volumes summed, open interest of the last"});
    options.push_back({"--skip-bad-rows", &request.skipBadRows,
                       "Convert the rows that can be read and list the others (first five, then a count), instead of "
                       "refusing the file"});
    options.push_back({"--frame", &request.frame,
                       "Time frame of the security; a file whose dates or times say otherwise is refused (default: "
                       "found from the dates and times)",
                       false, kFrameChoices});
    options.push_back({"--time-col", &request.timeCol,
                       "Column of the bars' times: 09:30, 09:30:00, 0930 or 093000, " + ColumnRange() +
                           " (default: a column of times such as 09:30 beside the others, when there is one)"});
    options.push_back({"--from", &request.from,
                       "Convert only the rows dated from this day on, YYYY-MM-DD; the others are left out before any "
                       "check (default: the first row)"});
    options.push_back({"--to", &request.to,
                       "Convert only the rows dated up to this day, YYYY-MM-DD (default: the last row)"});
    return options;
}

std::vector<Option> TickerOptions(ConvertRequest& request)
{
    return {{"--ticker-col", &request.tickerCol,
             "Column of each row's ticker in a file of many securities, " + ColumnRange() +
                 " (default: found by its heading or its values)"},
            {"--name-col", &request.nameCol,
             "Column of each row's security name in a file of many securities, " + ColumnRange() +
                 " (default: found by its heading)"}};
}

bool CheckTickerOptions(const ConvertRequest& request, std::string& error)
{
    for (const auto& [option, column] : {std::pair{"--ticker-col", request.tickerCol}, std::pair{"--name-col", request.nameCol}})
        if (column != 0 && (column < kMinColumn || column > kMaxColumn)) {
            error = std::string(option) + " must be a column from " + ColumnRange();
            return false;
        }
    return true;
}

std::vector<std::pair<std::string, std::string>> LayoutOptions(const DetectedLayout& layout)
{
    std::vector<std::pair<std::string, std::string>> options;
    const auto add = [&](LayoutChoice choice, std::string value) {
        if (!layout.IsOpen(choice))
            options.emplace_back(FlagOf(choice), std::move(value));
    };
    add(LayoutChoice::kDelimiter, engine::kDelimiterNames[layout.delimiter]);
    if (layout.dateFormat >= 1 && layout.dateFormat <= kDateFormatCount)
        add(LayoutChoice::kDateFormat, kDateFormatNames[layout.dateFormat - 1]);
    add(LayoutChoice::kSkipRows, std::to_string(layout.skipRows));
    for (int i = 0; i < kFieldCount; ++i)
        add(ColumnChoice(i), layout.column[i] != 0 ? std::to_string(layout.column[i]) : std::string("off"));
    if (layout.decimalComma)
        add(LayoutChoice::kDecimalComma, "");
    if (layout.timeColumn != 0)
        options.emplace_back("--time-col", std::to_string(layout.timeColumn));
    return options;
}

std::string LayoutOptionsLine(const DetectedLayout& layout)
{
    std::string line;
    for (const auto& [option, value] : LayoutOptions(layout))
        line += (line.empty() ? "" : " ") + option + (value.empty() ? "" : " " + value);
    return line;
}

std::string DetectionProblem(const DetectedLayout& layout)
{
    if (layout.found || layout.intraday || layout.openChoices.empty())
        return WithFlagNames(DescribeLayout(layout));
    std::string text = layout.problem + ". Give ";
    for (std::size_t i = 0; i < layout.openChoices.size(); ++i)
        text += std::string(i == 0 ? "" : i + 1 == layout.openChoices.size() ? " and " : ", ") + FlagOf(layout.openChoices[i]);
    return text + " with what detection found: " + LayoutOptionsLine(layout);
}

bool FillFromDetection(const DetectedLayout& layout, const Given& given, ConvertRequest& request, std::string& problem)
{
    // A refusal that leaves only choices open that the command line gives is settled by them.
    const bool bSettled = !layout.found && !layout.intraday && !layout.openChoices.empty() &&
                          std::all_of(layout.openChoices.begin(), layout.openChoices.end(),
                                      [&](LayoutChoice choice) { return given(FlagOf(choice)); });
    // Intraday bars are a layout found: they become an intraday security, or days with --daily.
    if (!layout.found && !bSettled && !layout.intraday) {
        problem = DetectionProblem(layout);
        return false;
    }
    for (const auto& [option, value] : LayoutOptions(layout))
        if (!given(option))
            SetInputOption(request, option, value);
    return true;
}

std::vector<LayoutChoice> GivenLayoutChoices(const Given& given)
{
    std::vector<LayoutChoice> choices;
    for (int n = static_cast<int>(LayoutChoice::kDateColumn); n <= static_cast<int>(LayoutChoice::kSkipRows); ++n)
        if (given(FlagOf(static_cast<LayoutChoice>(n))))
            choices.push_back(static_cast<LayoutChoice>(n));
    return choices;
}

bool ReadRequest(const ConvertRequest& request, ConversionSettings& settings, int& nDateFormat, std::string& error)
{
    for (int i = 0; i < kFieldCount; ++i) {
        int column = 0;
        if (!ReadColumn(request, kColumnOptions[i], column, error))
            return false;
        SetField(settings, i, column != 0, column != 0 ? column : kMinColumn);
    }
    nDateFormat = DateFormatNumber(request.dateFormat);
    if (nDateFormat == 0) {
        error = "--date-format must be one of the " + std::to_string(kDateFormatCount) + " format names (" + DateFormatNames() + ") or a number from 1 to " +
                std::to_string(kDateFormatCount);
        return false;
    }
    settings.DateFormat = kDateFormatNames[nDateFormat - 1];
    settings.Delimiter = engine::DelimiterNumber(request.delimiter);
    settings.DecimalComma = request.decimalComma;
    settings.Daily = request.daily;
    settings.SkipBadRows = request.skipBadRows;
    settings.TimeFrame = FrameOf(request.frame);
    if (request.timeCol != 0 && (request.timeCol < kMinColumn || request.timeCol > kMaxColumn)) {
        error = "--time-col must be a column from " + ColumnRange();
        return false;
    }
    settings.TimeCol = request.timeCol;
    if (!ReadBound(request.from, "--from", settings.FromDate, error) || !ReadBound(request.to, "--to", settings.ToDate, error))
        return false;
    if (settings.FromDate != 0 && settings.ToDate != 0 && settings.FromDate > settings.ToDate) {
        error = "--from " + request.from + " is later than --to " + request.to;
        return false;
    }
    settings.SkipOn = request.skip > 0 ? 1 : 0;
    settings.SkipRows = request.skip;
    settings.Path = request.dir;
    settings.Symbol = NormalisedSymbol(request.symbol);
    settings.Name = request.name;
    const bool bExisting = request.master == "existing" || (request.master == "auto" && HasMaster(request.dir));
    settings.Exist = bExisting ? 0 : 1;
    return true;
}

bool ValidateRequest(const ConvertRequest& request, ConversionSettings& settings, int& nDateFormat, std::string& error)
{
    if (!ReadRequest(request, settings, nDateFormat, error))
        return false;
    const SettingsCheck check = CheckSettings(settings);
    if (check.Failed()) {
        error = OptionMessage(check);
        return false;
    }
    return true;
}

}  // namespace cli
