#pragma once
// File > Convert Many Files...: a list of input files with the symbol each gets (from its name, editable),
// one layout for all (the Conversion Settings) or Detect per file, the output directory, then a run on a
// worker thread with a progress bar, a Cancel button that stops after the current group commit, and the
// outcome of each file in the list.

#include <QDialog>
#include <QStringList>

#include <atomic>

#include "engine/conversion_settings.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace app {

class CBatchDlg : public QDialog {
    Q_OBJECT

public:
    // layout: the Conversion Settings that "One layout for all" uses; its Path fills the directory.
    CBatchDlg(const engine::ConversionSettings& layout, QWidget* pParent = nullptr);

    void AddFiles(const QStringList& files);
    void SetDirectory(const QString& strDirectory);
    void SetDetectPerFile(bool bDetect);

    // Runs the batch; returns once it has ended, the event loop turning meanwhile. 0 when every file was
    // converted or updated.
    int OnConvert();
    // While a batch runs: stop after the current group commit. Otherwise: close.
    void OnCancel();

    bool IsRunning() const { return m_bRunning; }
    // The directory of the last batch, in the engine's form.
    QString Directory() const;
    // The result column of each file: "converted", "updated", "failed: <reason>" or empty.
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
    void SetRunning(bool bRunning);
    void ShowProgress(int nFile, const QString& strFile);
    void ShowOutcome(int nFile, const QString& strOutcome);

    engine::ConversionSettings m_layout;
    std::atomic<bool> m_bCancel{false};
    bool m_bRunning = false;
    QTableWidget* m_pFiles;
    QPushButton* m_pAdd;
    QPushButton* m_pRemove;
    QRadioButton* m_pOneLayout;
    QRadioButton* m_pDetect;
    QLineEdit* m_pDirectory;
    QPushButton* m_pBrowse;
    QProgressBar* m_pProgress;
    QLabel* m_pStatus;
    QPushButton* m_pConvert;
    QPushButton* m_pCancel;
};

}  // namespace app
