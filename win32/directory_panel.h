#pragma once
// The Directory panel beside the log: the securities of one MetaStock directory in a list view (sorted by
// the column whose header was clicked, several selectable), with Choose..., Open Folder, Export...,
// Remove and Check directory, all as desktop::CDirectoryPanelPresenter decides.

#include <functional>
#include <string>
#include <vector>

#include "desktop/directory_panel_presenter.h"
#include "win32/panel.h"

namespace win32 {

class CDirectoryPanel : public CPanel, private desktop::IDirectoryPanelView {
public:
    // log: where the panel's lines go (the main window's log).
    CDirectoryPanel(desktop::CStoredSettings& stored, std::function<void(const std::string&)> log);

    void ShowDirectory(const std::string& directory) { m_presenter.ShowDirectory(directory); }
    const std::vector<desktop::PanelRow>& Rows() const { return m_presenter.Rows(); }

private:
    void OnCreate() override;
    void OnSize(int cx, int cy) override;
    void OnCommand(int id) override;
    LRESULT OnNotify(const NMHDR& header) override;

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
    void FitColumns();

    HWND m_hCaption = nullptr;
    HWND m_hList = nullptr;
    desktop::CStoredSettings& m_stored;
    std::function<void(const std::string&)> m_log;
    desktop::CDirectoryPanelPresenter m_presenter;
    bool m_bShowingRows = false;  // the list is being filled: its selection notices are not the user's
    int m_nSortColumn = -1;       // the column whose heading shows the sort arrow
};

}  // namespace win32
