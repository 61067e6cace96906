#include "desktop/settings_presenter.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "engine/input/layout_detection.h"
#include "engine/input/settings_fit.h"
#include "engine/input/ticker_column.h"
#include "engine/run/batch.h"
#include "engine/text/code_page.h"
#include "engine/text/date_formats.h"
#include "engine/text/trimmed_text.h"

namespace desktop {

using engine::ConversionSettings;
using engine::ESetting;
using engine::ESettingsFault;
using engine::SettingsCheck;

namespace {

constexpr int kFields = metastock::kFieldCount;

bool StartsWithNoCase(const std::string& text, const std::string& prefix)
{
    return prefix.size() <= text.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
           });
}

// The texts that have a limit, what they are called in a note, and the limit in characters.
struct TextLimit {
    EControl control;
    const char* what;
    int limit;
};
constexpr TextLimit kTextLimits[] = {
    {EControl::Symbol, "A symbol", engine::kMaxSymbolLength},
    {EControl::Name, "A name", engine::kMaxNameLength},
    {EControl::Path, "The directory path", engine::kMaxPathLength},
    {EControl::DateFormat, "The date format", engine::kMaxDateFormatLength},
};

std::string* TextOf(SettingsForm& form, EControl control)
{
    switch (control) {
    case EControl::Symbol: return &form.symbol;
    case EControl::Name: return &form.name;
    case EControl::Path: return &form.path;
    case EControl::DateFormat: return &form.dateFormat;
    default: return nullptr;
    }
}

// The input-file part of the settings into the form; the output part stays.
void ShowInput(SettingsForm& form, const ConversionSettings& settings)
{
    for (int field = 0; field < kFields; ++field) {
        form.on[static_cast<std::size_t>(field)] = engine::FieldOn(settings, field);
        form.column[static_cast<std::size_t>(field)] = std::to_string(std::max(0, engine::FieldColumn(settings, field)));
    }
    form.delimiter = settings.Delimiter;
    form.skipOn = settings.SkipOn != 0;
    form.skipRows = std::to_string(std::max(0, settings.SkipRows));
    form.daily = settings.Daily;
    form.decimalComma = settings.DecimalComma;
    form.timeFrame = static_cast<int>(settings.TimeFrame);
    form.tickerOn = settings.TickerCol > 0;
    form.tickerColumn = std::to_string(form.tickerOn ? settings.TickerCol : 1);
    // The first entry whose name begins with the text, in any case, is selected and shown; when none
    // does, the text stands alone with no entry selected.
    form.dateFormat = settings.DateFormat;
    form.dateFormatIndex = -1;
    for (int i = 0; i < engine::kDateFormatCount && form.dateFormatIndex < 0; ++i)
        if (StartsWithNoCase(engine::kDateFormatNames[i], settings.DateFormat)) {
            form.dateFormatIndex = i;
            form.dateFormat = engine::kDateFormatNames[i];
        }
}

engine::FrameChoice FrameOf(int entry)
{
    return entry >= 0 && entry <= static_cast<int>(engine::FrameChoice::kIntraday) ? static_cast<engine::FrameChoice>(entry)
                                                                                   : engine::FrameChoice::kFromDates;
}

}  // namespace

CSettingsPresenter::CSettingsPresenter(ISettingsView& view, const ConversionSettings& settings, std::string inputPath)
    : m_view(view), m_settings(settings), m_inputPath(std::move(inputPath))
{
}

std::vector<std::string> CSettingsPresenter::DateFormatNames()
{
    return {engine::kDateFormatNames, engine::kDateFormatNames + engine::kDateFormatCount};
}

std::vector<std::string> CSettingsPresenter::TimeFrameNames()
{
    return {"From the dates", "Daily", "Weekly", "Monthly", "Intraday"};
}

SettingsForm CSettingsPresenter::FormOf(const ConversionSettings& settings) const
{
    SettingsForm form;
    ShowInput(form, settings);
    form.path = settings.Path;
    form.exist = settings.Exist;
    form.symbol = settings.Symbol;
    form.name = settings.Name;
    return form;
}

void CSettingsPresenter::SetSettings(const ConversionSettings& settings)
{
    m_settings = settings;
    const SettingsForm form = FormOf(m_settings);
    m_view.Show(form);
    EnableNumberFields(form);
}

void CSettingsPresenter::OnInitDialog()
{
    const SettingsForm form = FormOf(m_settings);
    m_view.Show(form);
    EnableNumberFields(form);
    m_view.ShowNote("");
    m_view.Focus(EControl::Ok);
}

void CSettingsPresenter::EnableNumberFields(const SettingsForm& form)
{
    m_view.Enable(EControl::SkipRows, form.skipOn);
    m_view.Enable(EControl::TickerCol, form.tickerOn);
    for (int field : {1, 2, 3, 5, 6})
        m_view.Enable(kFieldEdits[static_cast<std::size_t>(field)], form.on[static_cast<std::size_t>(field)]);
}

bool CSettingsPresenter::Fail(EControl control, const std::string& message)
{
    m_view.Ask(message, EButtons::Ok);
    m_view.Focus(control);
    return false;
}

// An unsigned whole number within the setting's limits; blanks around it are allowed. A text that is no
// such number gets the setting's range message.
bool CSettingsPresenter::SaveNumber(const std::string& text, ESetting field, EControl control, int& value)
{
    const std::string digits = engine::Trimmed(text);
    const bool number = !digits.empty() && digits.size() <= 9 &&
                        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    const int n = number ? std::atoi(digits.c_str()) : -1;
    ConversionSettings probe;
    if (field == ESetting::SkipRows)
        probe.SkipRows = n;
    else if (control == EControl::TickerCol)
        engine::SetField(probe, 0, true, n);  // a column like the date's: 1 to 20
    else
        engine::SetField(probe, static_cast<int>(field) - static_cast<int>(ESetting::DateCol), true, n);
    const SettingsCheck check = engine::CheckSetting(probe, field);
    if (check.Failed())
        return Fail(control, check.message);
    value = n;
    return true;
}

bool CSettingsPresenter::SaveText(const std::string& text, ESetting field, EControl control, std::string& value)
{
    ConversionSettings probe;
    (field == ESetting::Name ? probe.Name : field == ESetting::Path ? probe.Path
                                          : field == ESetting::Symbol ? probe.Symbol : probe.DateFormat) = text;
    const SettingsCheck check = engine::CheckSetting(probe, field);
    if (check.Failed())
        return Fail(control, check.message);
    value = text;
    return true;
}

bool CSettingsPresenter::SaveForm()
{
    const SettingsForm form = m_view.Read();
    ConversionSettings& s = m_settings;
    s.OpenOn = form.on[1];
    s.HiOn = form.on[2];
    s.LoOn = form.on[3];
    s.VolOn = form.on[5];
    s.OIOn = form.on[6];
    for (int field = 0; field < kFields; ++field) {
        int column = 0;
        const auto k = static_cast<std::size_t>(field);
        if (!SaveNumber(form.column[k], static_cast<ESetting>(static_cast<int>(ESetting::DateCol) + field), kFieldEdits[k],
                        column))
            return false;
        engine::SetField(s, field, engine::FieldOn(s, field), column);
    }
    s.Exist = form.exist;
    if (!SaveText(form.name, ESetting::Name, EControl::Name, s.Name) ||
        !SaveText(form.path, ESetting::Path, EControl::Path, s.Path) ||
        !SaveText(form.symbol, ESetting::Symbol, EControl::Symbol, s.Symbol) ||
        !SaveNumber(form.skipRows, ESetting::SkipRows, EControl::SkipRows, s.SkipRows))
        return false;
    s.SkipOn = form.skipOn;
    s.TickerCol = 0;
    if (form.tickerOn && !SaveNumber(form.tickerColumn, ESetting::DateCol, EControl::TickerCol, s.TickerCol))
        return false;
    s.Delimiter = form.delimiter;
    s.DecimalComma = form.decimalComma;
    s.Daily = form.daily;
    s.TimeFrame = FrameOf(form.timeFrame);
    if (!SaveText(form.dateFormat, ESetting::DateFormat, EControl::DateFormat, s.DateFormat))
        return false;
    m_dateFormat = form.dateFormatIndex + 1;
    return true;
}

void CSettingsPresenter::OnOK()
{
    if (!SaveForm())
        return;
    // Every field has passed its own check; what is left is the columns, the symbol and the path.
    const SettingsCheck check = engine::CheckSettings(m_settings);
    if (check.fault == ESettingsFault::DuplicateColumn || check.fault == ESettingsFault::EmptySymbol) {
        m_view.Ask(check.message, EButtons::Ok);
        if (check.fault == ESettingsFault::EmptySymbol)
            m_view.Focus(EControl::Symbol);
        return;
    }
    m_settings.Symbol = engine::NormalisedSymbol(m_settings.Symbol);
    m_view.Show(FormOf(m_settings));  // the user sees the normalised symbol and the date format chosen by its prefix
    if (check.fault == ESettingsFault::EmptyPath) {
        m_view.Ask(check.message, EButtons::Ok);
        m_view.Focus(EControl::Path);
        return;
    }
    if (!SaveForm() || !ConfirmFit())
        return;
    m_view.Close(true);
}

void CSettingsPresenter::OnCancel()
{
    m_view.Close(false);
}

// Settings that disagree with the input file are run only when the user says so. A first row with too
// few columns for one column nearly always means the wrong delimiter, and the question says so.
bool CSettingsPresenter::ConfirmFit()
{
    if (m_inputPath.empty())
        return true;
    const engine::SettingsMisfitAt misfit = engine::FindSettingsMisfit(m_settings, m_inputPath, m_dateFormat);
    if (!misfit.Found())
        return true;
    const bool tooFewColumns = misfit.field != ESetting::DateFormat && misfit.columns == 1 &&
                               misfit.columns < engine::FieldColumn(m_settings, static_cast<int>(misfit.field) -
                                                                                    static_cast<int>(ESetting::DateCol));
    const std::string why = tooFewColumns
                                ? "row " + std::to_string(misfit.row) + " has 1 column: is the delimiter right?"
                                : misfit.text + ".";
    return m_view.Ask("The settings do not fit this file: " + why +
                          "\nDetect fills in the input settings from what the file looks like.\nConvert anyway?",
                      EButtons::YesNoDefaultNo) == EAnswer::Yes;
}

// The state that counts is the box's new one, whatever the transfer before it found. A field that is
// switched off always passes its range check.
void CSettingsPresenter::OnCheckBox(EControl box)
{
    SaveForm();
    const SettingsForm form = m_view.Read();
    if (box == EControl::SkipOn) {
        m_view.Enable(EControl::SkipRows, form.skipOn);
        if (!form.skipOn)
            m_view.SetText(EControl::SkipRows, "0");
    } else if (box == EControl::TickerOn) {
        m_view.Enable(EControl::TickerCol, form.tickerOn);
    } else {
        for (std::size_t field = 0; field < kFieldBoxes.size(); ++field)
            if (kFieldBoxes[field] == box && kFieldEdits[field] != box) {
                m_view.Enable(kFieldEdits[field], form.on[field]);
                if (!form.on[field])
                    m_view.SetText(kFieldEdits[field], "1");
            }
    }
    OnInputChanged();
}

void CSettingsPresenter::OnBrowse()
{
    if (!SaveForm())
        return;
    std::string path = m_settings.Path;
    if (!m_view.ChooseDirectory(path))
        return;
    m_settings.Path = path;
    m_view.Show(FormOf(m_settings));
}

// Only the input groups change: a field not found is cleared and disabled, as its check box would do.
// The Time frame list takes the frame of the dates; intraday bars stay intraday, so Combine is cleared.
void CSettingsPresenter::OnDetect()
{
    const engine::DetectedLayout layout = engine::DetectLayout(m_inputPath);
    if (!layout.found) {
        m_view.Ask(engine::DescribeLayout(layout), EButtons::Ok);
        return;
    }
    ConversionSettings settings;
    engine::ApplyLayout(layout, settings);
    // A ticker column that its heading names is filled in; one found by its values alone is left to be
    // found again, as the command line does.
    engine::TickerColumns tickers;
    std::string reason;
    const bool read = engine::FindFileTickers(m_inputPath, engine::DetectedInputLayout(layout), -1, -1, tickers, reason);
    settings.TickerCol = read && tickers.Found() && !tickers.heading.empty() ? tickers.ticker + 1 : 0;
    SettingsForm form = m_view.Read();
    ShowInput(form, settings);
    m_view.Show(form);
    EnableNumberFields(form);
    OnInputChanged();
}

void CSettingsPresenter::OnTextEdited(EControl control)
{
    for (const TextLimit& limit : kTextLimits) {
        if (limit.control != control)
            continue;
        SettingsForm form = m_view.Read();
        std::string& text = *TextOf(form, control);
        if (engine::CountCharacters(text) <= static_cast<std::size_t>(limit.limit))
            return m_view.ShowNote("");
        bool cut = false;
        const std::string kept = engine::FirstCharacters(text, static_cast<std::size_t>(limit.limit), cut);
        m_view.SetText(control, kept);
        m_view.ShowNote(std::string(limit.what) + " holds at most " + std::to_string(limit.limit) + " characters; \"" +
                        text.substr(kept.size()) + "\" was left out.");
    }
    if (control == EControl::DateFormat)
        OnInputChanged();
}

ConversionSettings CSettingsPresenter::ShownInputSettings() const
{
    const SettingsForm form = m_view.Read();
    ConversionSettings settings;
    settings.DateFormat = form.dateFormat;
    settings.Delimiter = form.delimiter;
    settings.SkipOn = form.skipOn;
    settings.SkipRows = std::atoi(engine::Trimmed(form.skipRows).c_str());
    settings.DecimalComma = form.decimalComma;
    settings.Daily = form.daily;
    settings.TimeFrame = FrameOf(form.timeFrame);
    settings.TickerCol = form.tickerOn ? std::atoi(engine::Trimmed(form.tickerColumn).c_str()) : 0;
    for (int field = 0; field < kFields; ++field)
        engine::SetField(settings, field, form.on[static_cast<std::size_t>(field)],
                         std::atoi(engine::Trimmed(form.column[static_cast<std::size_t>(field)]).c_str()));
    return settings;
}

void CSettingsPresenter::OnInputChanged()
{
    if (m_onInputChanged)
        m_onInputChanged(ShownInputSettings());
}

}  // namespace desktop
