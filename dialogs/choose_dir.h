#pragma once
// The "Choose Directory" dialog behind "Browse..." of the Conversion Settings dialog: a directory list and a
// drives list to move through the file system, a "Directory name:" field that follows the list's selection
// and can be typed in, and OK, which checks the field and offers to create a directory that is missing.
// After OK, m_strDir holds exactly one directory. The chooser never changes the working directory.

#include <QDialog>
#include <QString>

class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace dialogs {

class CChooseDir : public QDialog {
    Q_OBJECT

public:
    // Starts in strInitialDir, the settings dialog's Path. A path that does not exist yet stays in the
    // field while the lists show its nearest existing parent; an empty one starts in the working directory.
    explicit CChooseDir(const QString& strInitialDir, QWidget* pParent = nullptr);
    ~CChooseDir() override;

    int DoModal();

    // Checks the Directory name field and closes with OK when it names a directory, existing or newly
    // made. A relative name counts from the directory the lists show.
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

    QString m_strShown;  // the directory whose subdirectories the list shows
    QLineEdit* m_editDir = nullptr;
    QListWidget* m_listDirs = nullptr;
    QComboBox* m_comboDrives = nullptr;
    QPushButton* m_buttonOK = nullptr;
    QPushButton* m_buttonCancel = nullptr;
};

}  // namespace dialogs
