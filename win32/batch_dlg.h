#pragma once
// Convert Many Files (template IDD_BATCH) as the view of desktop::CBatchPresenter: the files in a list
// view (symbol, file, result; a symbol is edited in place), the layout choice, the directory, a progress
// bar, and Convert and Cancel. The batch runs on a worker thread while the dialog takes input, so that
// Cancel can be pressed.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "desktop/batch_presenter.h"

namespace win32 {

class CBatchDlg : public desktop::IBatchView {
public:
    CBatchDlg(desktop::CStoredSettings& stored, const engine::ConversionSettings& layout);

    // Shows the dialog with the files given (none: the user adds them); true when a batch ran.
    bool DoModal(HWND hOwner, const std::vector<std::string>& files);
    const std::string& Summary() const { return m_presenter.Summary(); }
    const std::string& Directory() const { return m_presenter.Directory(); }

private:
    static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    void OnCommand(int id);
    INT_PTR OnNotify(const NMHDR& header);
    void OnAddFiles();
    void OnRemove();
    void OnBrowse();

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

    HWND m_hDlg = nullptr;
    HWND m_hList = nullptr;
    desktop::CBatchPresenter m_presenter;
    std::vector<std::string> m_files;  // to add once the dialog is up
    bool m_bEditable = true;
    bool m_bRan = false;
};

}  // namespace win32
