#include "engine/input/settings_fit.h"

#include "engine/input/first_data_row.h"
#include "engine/text/date_formats.h"
#include "engine/text/line_parsing.h"

namespace engine {

using namespace metastock;

SettingsMisfitAt FindSettingsMisfit(const ConversionSettings& settings, const std::string& inputPath, int nDateFormat)
{
    for (int i = 0; i < kFieldCount; ++i)
        if (CheckSetting(settings, FieldSetting(i)).Failed())
            return {};  // columns outside 1 to 20 are the checks' to refuse
    const InputLayout layout =
        MakeConversionJob(settings, nDateFormat != 0 ? nDateFormat : DateFormatNumber(settings.DateFormat), inputPath)
            .layout;
    const FirstDataRow row = ReadFirstDataRow(inputPath, layout.delimiter, layout.skipRows);
    if (!row.opened)
        return {};  // the run reports a file it cannot open
    if (!row.found)
        return row.failure.empty()
                   ? SettingsMisfitAt{}
                   : SettingsMisfitAt{ESetting::None, row.line, 0, "the file cannot be read: " + row.failure};
    TextField fields[kMaxFields];
    std::string scratch;
    const int nFields = SplitFields(row.text, layout.delimiter, fields, scratch);
    const int nRow = row.line;
    return RowMisfit(layout, fields, nFields, nRow);
}

SettingsMisfitAt RowMisfit(const InputLayout& layout, const TextField (&fields)[kMaxFields], int nFields, int nRow)
{
    const auto isRead = [&](int i) { return i == kDateField || i == kCloseField || layout.fieldOn[static_cast<std::size_t>(i)]; };
    const auto column = [&](int i) { return layout.fieldColumn[static_cast<std::size_t>(i)]; };
    const auto misfit = [&](ESetting eField, std::string text) {
        return SettingsMisfitAt{eField, nRow, nFields, std::move(text)};
    };
    const std::string row = " in row " + std::to_string(nRow);
    for (int i = 0; i < kFieldCount; ++i)
        if (isRead(i) && column(i) >= nFields)
            return misfit(FieldSetting(i), "row " + std::to_string(nRow) + " has " + std::to_string(nFields) +
                                                   (nFields == 1 ? " column" : " columns") + ", but " +
                                                   FieldCaption(i) + " is set to column " + std::to_string(column(i) + 1));
    const std::string_view date = fields[column(kDateField)].text;
    const int nFormat = layout.dateFormat;
    if (ReadDate(date, nFormat).result == DateResult::kNotADate)
        return misfit(ESetting::DateFormat,
                      "the date \"" + std::string(date) + "\"" + row + " is not in the format " +
                          (nFormat >= 1 && nFormat <= kDateFormatCount ? kDateFormatNames[nFormat - 1] : std::to_string(nFormat)));
    NumberStyle style;
    style.decimalComma = layout.decimalComma;
    style.delimiter = layout.delimiter;
    for (int i = kOpenField; i < kFieldCount; ++i) {
        float value = 0;
        if (isRead(i) && ReadNumber(fields[column(i)], style, value) == NumberResult::kNotANumber)
            return misfit(FieldSetting(i), "the " + std::string(FieldCaption(i)) + " \"" +
                                                   std::string(fields[column(i)].text) + "\"" + row + " is not a number");
    }
    return {};
}

std::string SettingsMisfit(const ConversionSettings& settings, const std::string& inputPath, int nDateFormat)
{
    return FindSettingsMisfit(settings, inputPath, nDateFormat).text;
}

void ApplyLayout(const DetectedLayout& layout, ConversionSettings& settings)
{
    settings.Delimiter = layout.delimiter;
    settings.DecimalComma = layout.decimalComma;
    settings.TimeFrame = layout.frame;
    settings.TimeCol = layout.timeColumn;
    settings.SkipOn = layout.skipRows > 0 ? 1 : 0;
    settings.SkipRows = layout.skipRows;
    if (layout.dateFormat >= 1 && layout.dateFormat <= kDateFormatCount)
        settings.DateFormat = kDateFormatNames[layout.dateFormat - 1];
    for (int i = 0; i < kFieldCount; ++i)
        SetField(settings, i, layout.column[i] != 0, layout.column[i] != 0 ? layout.column[i] : 1);
}

}  // namespace engine
