#pragma once
// File > Convert Many Files...: the window of desktop::CBatchPresenter. It draws the file list, the
// layout and directory choices, the progress and each file's outcome as the presenter says, and forwards
// the buttons and the edited symbols.

#include <QDialog>
#include <QStringList>

#include <memory>

#include "desktop/batch_presenter.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace dialogs {
class CSpinEdit;
}

namespace app {

class CBatchDlg : public QDialog, private desktop::IBatchView {
    Q_OBJECT

public:
    // layout: the Conversion Settings that "One layout for all" uses; stored: where the directory and the
    // layout choice are remembered.
    CBatchDlg(const engine::ConversionSettings& layout, desktop::CStoredSettings& stored, QWidget* pParent = nullptr);
    ~CBatchDlg() override;

    void AddFiles(const QStringList& files);

    // Runs the batch; returns once it has ended, the event loop turning meanwhile. 0 when every file was
    // converted or updated.
    int OnConvert();
    // While a batch runs: stop after the current group commit. Otherwise: close.
    void OnCancel();

    bool IsRunning() const { return m_presenter->IsRunning(); }
    // The directory of the last batch, in the engine's form.
    QString Directory() const;
    // The result column of each file, as the presenter words it.
    QStringList Results() const;

signals:
    // The batch has ended; the log line to add, without its leading line break.
    void Finished(const QString& strDirectory, const QString& strSummary);

protected:
    void reject() override;

private:
    void OnAddFiles();
    void OnRemoveFiles();
    void OnBrowse();

    // desktop::IBatchView
    desktop::EAnswer Ask(const std::string& text, desktop::EButtons buttons) override;
    void ShowRows(const std::vector<desktop::BatchRow>& rows) override;
    void ShowResult(std::size_t row, const desktop::BatchRow& shown) override;
    void ShowChoices(const desktop::BatchChoices& choices) override;
    desktop::BatchChoices ReadChoices() const override;
    void ShowProgress(int done, int total, const std::string& status) override;
    void Enable(desktop::EBatchControl control, bool on) override;
    void SetCancelCaption(const std::string& caption) override;
    void RunInBackground(const std::function<void()>& work) override;
    void Post(std::function<void()> fn) override;
    void Close() override;

    QTableWidget* m_pFiles;
    QPushButton* m_pAdd;
    QPushButton* m_pRemove;
    QRadioButton* m_pOneLayout;
    QRadioButton* m_pDetect;
    QCheckBox* m_pDaily;
    QCheckBox* m_pTickerOn;
    dialogs::CSpinEdit* m_pTickerCol;
    QLineEdit* m_pDirectory;
    QPushButton* m_pBrowse;
    QProgressBar* m_pProgress;
    QLabel* m_pStatus;
    QPushButton* m_pConvert;
    QPushButton* m_pCancel;
    bool m_bShowingRows = false;  // itemChanged while the presenter's rows are drawn is no edit
    std::unique_ptr<desktop::CBatchPresenter> m_presenter;
};

}  // namespace app
