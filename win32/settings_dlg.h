#pragma once
// The "Conversion Settings" dialog (template IDD_SETTINGS) as the view of desktop::CSettingsPresenter:
// it draws the form, forwards the clicks and edits, and decides nothing itself.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "desktop/settings_presenter.h"
#include "desktop/stored_settings.h"
#include "engine/job/conversion_settings.h"

namespace win32 {

class CSettingsDlg : public desktop::ISettingsView {
public:
    // inputPath: the file Detect and the fit check look at; stored: where Browse's chooser remembers its folder.
    CSettingsDlg(const engine::ConversionSettings& settings, std::string inputPath, desktop::CStoredSettings* stored);

    // Called with the input settings as shown whenever a control of the two input-file groups changes.
    void SetInputListener(std::function<void(const engine::ConversionSettings&)> listener)
    {
        m_presenter.m_onInputChanged = std::move(listener);
    }

    // True after OK, with the settings and the date-format number as confirmed.
    bool DoModal(HWND hOwner, engine::ConversionSettings& settings, int& dateFormat);

private:
    static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    void OnCommand(int id, int code);
    HWND Item(desktop::EControl control) const;

    desktop::SettingsForm Read() const override;
    void Show(const desktop::SettingsForm& form) override;
    void SetText(desktop::EControl control, const std::string& text) override;
    void Enable(desktop::EControl control, bool on) override;
    void Focus(desktop::EControl control) override;
    void ShowNote(const std::string& text) override;
    bool ChooseDirectory(std::string& path) override;
    void Close(bool accepted) override;
    desktop::EAnswer Ask(const std::string& text, desktop::EButtons buttons) override;

    HWND m_hDlg = nullptr;
    desktop::CSettingsPresenter m_presenter;
    desktop::CStoredSettings* m_pStored;
    bool m_bFilling = false;  // the controls are being filled: their change notices are not the user's
};

}  // namespace win32
