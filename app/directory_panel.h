#pragma once
// The Directory panel beside the log: the window of desktop::CDirectoryPanelPresenter. It draws the
// securities, the caption and the buttons as the presenter says and forwards the clicks, the header
// clicks, the selection and double-clicks.

#include <QDockWidget>
#include <QString>

#include <memory>

#include "desktop/directory_panel_presenter.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace app {

class CDirectoryPanel : public QDockWidget, private desktop::IDirectoryPanelView {
    Q_OBJECT

public:
    // stored: where the panel's directory is remembered.
    explicit CDirectoryPanel(desktop::CStoredSettings& stored, QWidget* pParent = nullptr);
    ~CDirectoryPanel() override;

    // Shows and remembers the directory (text in the engine's form, UTF-8); an empty one, or one without
    // MASTER, leaves the table empty with a note.
    void ShowDirectory(const QString& strDirectory);
    void Refresh();
    QString Directory() const;

    // The actions on the selection. Remove asks first; Check puts its findings into the log.
    void OnExport();
    void OnRemove();
    void OnCheck();
    // Writes the first selected security to the file; true when written.
    bool ExportSelected(const QString& strFile, const engine::ExportOptions& options);

signals:
    // A line for the log, without the leading line break.
    void Log(const QString& strLine);

private:
    void OnSelectionChanged();

    // desktop::IDirectoryPanelView
    desktop::EAnswer Ask(const std::string& text, desktop::EButtons buttons) override;
    void ShowCaption(const std::string& text) override;
    void ShowRows(const std::vector<desktop::PanelRow>& rows, bool fromTop) override;
    void ShowSortColumn(desktop::EPanelColumn column, bool ascending) override;
    void Enable(desktop::EPanelControl control, bool on) override;
    void AppendLog(const std::string& line) override;
    bool ChooseDirectory(std::string& directory) override;
    void OpenInFileManager(const std::string& directory) override;
    bool AskExportOptions(engine::ExportOptions& options) override;
    bool ChooseExportFile(const std::string& symbol, std::string& file) override;
    bool ChooseExportFolder(std::string& folder) override;
    void RunInBackground(const std::function<void()>& work) override;

    QLabel* m_pLabel;
    QPushButton* m_pChoose;
    QPushButton* m_pOpenFolder;
    QTableWidget* m_pTable;
    QPushButton* m_pExport;
    QPushButton* m_pRemove;
    QPushButton* m_pCheck;
    desktop::CStoredSettings& m_stored;
    bool m_bShowingRows = false;  // selection changes while rows are drawn are no user's
    std::unique_ptr<desktop::CDirectoryPanelPresenter> m_presenter;
};

}  // namespace app
