#pragma once
// The "Choose Directory" dialog behind "Browse..." of the Conversion Settings dialog and "Choose..." of the
// Directory panel: the window of desktop::CChooseDirPresenter. It draws a directory list and a drives list
// to move through the file system and a "Directory name:" field that can be typed in, and forwards the
// list's selection, the entries opened and OK. After OK, m_strDir holds exactly one directory.

#include <QDialog>
#include <QString>

#include "desktop/choose_dir_presenter.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace dialogs {

class CChooseDir : public QDialog, private desktop::IChooseDirView {
    Q_OBJECT

public:
    // Starts in strInitialDir as the presenter decides. pStored: where the directory chosen is
    // remembered, for a later chooser given no directory.
    explicit CChooseDir(const QString& strInitialDir, QWidget* pParent = nullptr,
                        desktop::CStoredSettings* pStored = nullptr);
    ~CChooseDir() override;

    int DoModal();

    // Hands the Directory name field to the presenter's checks.
    void OnOK();

    // Moves the lists to the directory and puts it into the field.
    void ShowDirectory(const QString& strDir);
    QString ShownDirectory() const { return m_strShown; }

    QString m_strDir;  // the directory chosen; set by OnOK

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void CreateControls();
    void FillDrives();
    void OnSelChange();
    void OnDirActivated(QListWidgetItem* pItem);
    void OnDriveChanged(int nIndex);

    // desktop::IChooseDirView
    desktop::EAnswer Ask(const std::string& text, desktop::EButtons buttons) override;
    void ShowDirectory(const std::string& directory, const std::string& field) override;
    void ShowField(const std::string& text) override;
    void FocusField() override;
    void Accept() override;

    desktop::CChooseDirPresenter m_presenter;
    QString m_strShown;  // the directory whose subdirectories the list shows
    QLineEdit* m_editDir = nullptr;
    QListWidget* m_listDirs = nullptr;
    QComboBox* m_comboDrives = nullptr;
    QPushButton* m_buttonOK = nullptr;
    QPushButton* m_buttonCancel = nullptr;
};

}  // namespace dialogs
