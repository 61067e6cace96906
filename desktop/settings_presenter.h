#pragma once
// The Conversion Settings dialog's decisions: what it shows, which number fields are enabled, the checks
// on OK in their order with the message and the field that takes the focus, the symbol's normalisation,
// the question when the settings do not fit the input file, Detect, Browse, and the notes when a text
// reaches its limit. The view only draws the form and forwards the events.

#include <functional>
#include <string>
#include <vector>

#include "desktop/question.h"
#include "desktop/settings_form.h"
#include "engine/job/conversion_settings.h"

namespace desktop {

class ISettingsView : public IQuestions {
public:
    virtual SettingsForm Read() const = 0;
    virtual void Show(const SettingsForm& form) = 0;
    virtual void SetText(EControl control, const std::string& text) = 0;
    virtual void Enable(EControl control, bool on) = 0;
    // Puts the focus on the control and selects its text.
    virtual void Focus(EControl control) = 0;
    // A line below the fields for a passing note, such as a limit reached; empty clears it.
    virtual void ShowNote(const std::string& text) = 0;
    // The output directory chooser, starting at path; true with the chosen one.
    virtual bool ChooseDirectory(std::string& path) = 0;
    virtual void Close(bool accepted) = 0;
};

class CSettingsPresenter {
public:
    // inputPath: the file that Detect and the fit check look at (may be empty).
    CSettingsPresenter(ISettingsView& view, const engine::ConversionSettings& settings, std::string inputPath);

    // The entries of the date-format list, in order.
    static std::vector<std::string> DateFormatNames();
    // The entries of the Time frame list, in the order of engine::FrameChoice.
    static std::vector<std::string> TimeFrameNames();

    void OnInitDialog();
    // Shows the settings, as when the dialog opens, without moving the focus.
    void SetSettings(const engine::ConversionSettings& settings);
    // Reads and checks the form into the settings field by field; the first that fails shows its
    // message, takes the focus and ends with false.
    bool SaveForm();
    void OnOK();
    void OnCancel();
    // A field's check box or Skip Rows was clicked.
    void OnCheckBox(EControl box);
    void OnBrowse();
    void OnDetect();
    // A text field was edited: a text beyond its limit is cut back, with a note that says so.
    void OnTextEdited(EControl control);
    // Any input-file control changed; the preview follows through this.
    std::function<void(const engine::ConversionSettings&)> m_onInputChanged;
    void OnInputChanged();

    // The settings as confirmed (after OK), and the date-format number: 1 to 12, 0 when none selected.
    const engine::ConversionSettings& Settings() const { return m_settings; }
    int DateFormatNumber() const { return m_dateFormat; }
    // The input settings as the controls show them now, unchecked: a number field that holds no number
    // reads 0.
    engine::ConversionSettings ShownInputSettings() const;

private:
    SettingsForm FormOf(const engine::ConversionSettings& settings) const;
    bool SaveNumber(const std::string& text, engine::ESetting field, EControl control, int& value);
    bool SaveText(const std::string& text, engine::ESetting field, EControl control, std::string& value);
    bool Fail(EControl control, const std::string& message);
    void EnableNumberFields(const SettingsForm& form);
    bool ConfirmFit();

    ISettingsView& m_view;
    engine::ConversionSettings m_settings;
    std::string m_inputPath;
    int m_dateFormat = 0;
};

}  // namespace desktop
