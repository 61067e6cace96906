#pragma once
// The "Conversion Settings" dialog: where each price field sits in the input file, how the file is
// delimited and dated, how many rows to skip, the output directory, how to treat its MASTER file, and the
// new security's symbol and name. It edits, checks and normalises its value members and touches no file
// and no stored setting; its owner fills the members before showing it and reads them back after OK.
// What it decides is the presenter's; the dialog draws the form and forwards the events.

#include <QDialog>
#include <QString>

#include <memory>

#include "desktop/settings_presenter.h"
#include "engine/job/conversion_settings.h"

namespace desktop { class CStoredSettings; }

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QShowEvent;

namespace dialogs {

class CSpinEdit;

class CSettingsDlg : public QDialog, public desktop::ISettingsView {
    Q_OBJECT

public:
    // On OK the dialog writes the date-format number into *pDateFormat: the position of the selected entry
    // of the date-format list, 1 to 12, or 0 when no entry is selected.
    explicit CSettingsDlg(int* pDateFormat, QWidget* pParent = nullptr);
    ~CSettingsDlg() override;

    // Shows the dialog modally: QDialog::Accepted after OK, QDialog::Rejected after Cancel.
    int DoModal();

    // Moves every field between the members and the controls. From the controls, each field is checked
    // in turn; the first that fails shows its message, takes the focus and ends the transfer with false.
    bool UpdateData(bool bSaveAndValidate = true);

    // Shows the members and enables each number field by its check box. Runs when the dialog is shown;
    // a test that drives the dialog without showing it calls it once first.
    void OnInitDialog();

    // The checks in order, then the symbol normalised; settings that do not fit m_strInputPath close the
    // dialog only when the user answers that they should be converted anyway.
    void OnOK();
    void OnSkipOn();
    void OnOpenOn();
    void OnHiOn();
    void OnLoOn();
    void OnVolOn();
    void OnOIOn();
    void OnBrowse();
    // Fills the two input-file groups with what the input file looks like; the output groups stay as they are.
    void OnDetect();

    // The members as one settings value, and back. SetInputSettings sets only what the two input-file
    // groups show.
    engine::ConversionSettings Settings() const;
    void SetSettings(const engine::ConversionSettings& settings);
    void SetInputSettings(const engine::ConversionSettings& settings);
    // The input settings as the controls show them now, unchecked (a number field that holds no number
    // reads 0): for a preview that follows the typing.
    engine::ConversionSettings ShownInputSettings() const;

signals:
    // A control of the two input-file groups has changed.
    void InputSettingsChanged();

public:

    // The conversion settings, named as they are stored.
    int HiOn = 0;
    int LoOn = 0;
    int OIOn = 0;
    int OpenOn = 0;
    int VolOn = 0;
    unsigned int DateCol = 0;
    unsigned int OpenCol = 0;
    unsigned int HiCol = 0;
    unsigned int LoCol = 0;
    unsigned int CloCol = 0;
    unsigned int VolCol = 0;
    unsigned int OICol = 0;
    int Exist = -1;      // 0 "Use Existing Master", 1 "Make New Master", -1 none chosen
    QString Name;
    QString Path;
    QString Symbol;
    unsigned int SkipRows = 0;
    int SkipOn = 0;
    int Delimiter = -1;  // 0 "Comma", 1 "Tab", 2 "Space", 3 "Semicolon", -1 none chosen
    int DecimalComma = 0;
    int Daily = 0;       // intraday bars are combined into days
    int TickerCol = 0;   // the column naming each row's security, 1 to 20; 0 found
    int TimeFrame = 0;   // 0 "From the dates", 1 "Daily", 2 "Weekly", 3 "Monthly", 4 "Intraday"
    QString DateFormat;

    QString m_strInputPath;  // the file that Detect looks at
    desktop::CStoredSettings* m_pStored = nullptr;  // where Browse's chooser remembers its folder

protected:
    void showEvent(QShowEvent* pEvent) override;
    void done(int nResult) override;

private:
    void CreateControls();
    void SetTabOrder();
    void ConnectHandlers();

    QWidget* ControlWidget(desktop::EControl eControl) const;

    // The view the presenter draws on.
    desktop::SettingsForm Read() const override;
    void Show(const desktop::SettingsForm& form) override;
    void SetText(desktop::EControl eControl, const std::string& text) override;
    void Enable(desktop::EControl eControl, bool bOn) override;
    void Focus(desktop::EControl eControl) override;
    void ShowNote(const std::string& text) override;
    bool ChooseDirectory(std::string& path) override;
    void Close(bool bAccepted) override;
    desktop::EAnswer Ask(const std::string& text, desktop::EButtons buttons) override;

    int* m_pDateFormat;
    std::unique_ptr<desktop::CSettingsPresenter> m_pPresenter;
    QLabel* m_labelNote = nullptr;
    bool m_bInitialised = false;

    QCheckBox* m_checkOpenOn = nullptr;
    QCheckBox* m_checkHiOn = nullptr;
    QCheckBox* m_checkLoOn = nullptr;
    QCheckBox* m_checkVolOn = nullptr;
    QCheckBox* m_checkOIOn = nullptr;
    QCheckBox* m_checkSkipOn = nullptr;
    CSpinEdit* m_editDateCol = nullptr;
    CSpinEdit* m_editOpenCol = nullptr;
    CSpinEdit* m_editHiCol = nullptr;
    CSpinEdit* m_editLoCol = nullptr;
    CSpinEdit* m_editCloCol = nullptr;
    CSpinEdit* m_editVolCol = nullptr;
    CSpinEdit* m_editOICol = nullptr;
    CSpinEdit* m_editSkipRows = nullptr;
    QRadioButton* m_radioComma = nullptr;
    QRadioButton* m_radioTab = nullptr;
    QRadioButton* m_radioSpace = nullptr;
    QRadioButton* m_radioSemicolon = nullptr;
    QCheckBox* m_checkDecimalComma = nullptr;
    QCheckBox* m_checkDaily = nullptr;
    QCheckBox* m_checkTickerOn = nullptr;
    CSpinEdit* m_editTickerCol = nullptr;
    static constexpr int kTickerWidth = 65;  // dialog units of the Ticker column beside the fields'
    QComboBox* m_comboTimeFrame = nullptr;
    QButtonGroup* m_groupDelimiter = nullptr;
    QComboBox* m_comboDateFormat = nullptr;
    QLineEdit* m_editPath = nullptr;
    QPushButton* m_buttonBrowse = nullptr;
    QRadioButton* m_radioUseExisting = nullptr;
    QRadioButton* m_radioMakeNew = nullptr;
    QButtonGroup* m_groupExist = nullptr;
    QLineEdit* m_editSymbol = nullptr;
    QLineEdit* m_editName = nullptr;
    QPushButton* m_buttonDetect = nullptr;
    QPushButton* m_buttonOK = nullptr;
    QPushButton* m_buttonCancel = nullptr;
};

}  // namespace dialogs
