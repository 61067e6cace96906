#pragma once
// The preview grid beside the log: what detection makes of the file above a list view of its first lines,
// split into columns by the Conversion Settings dialog's current settings, as desktop::CPreviewGridPresenter
// decides. Skipped rows are grey, rows a run could not read pink (the cell the reason is about darker).

#include <string>
#include <vector>

#include "desktop/preview_grid_presenter.h"
#include "win32/panel.h"

namespace win32 {

class CPreviewGrid : public CPanel, private desktop::IPreviewGridView {
public:
    void SetPreview(const desktop::FilePreview& preview) { m_presenter.SetFile(preview); }
    void ShowSettings(const engine::ConversionSettings& settings) { m_presenter.ShowSettings(settings); }

private:
    void OnCreate() override;
    void OnSize(int cx, int cy) override;
    LRESULT OnNotify(const NMHDR& header) override;
    void ShowCaption(const std::string& text) override;
    void ShowTable(const desktop::PreviewTable& table) override;

    HWND m_hCaption = nullptr;
    HWND m_hList = nullptr;
    desktop::CPreviewGridPresenter m_presenter{*this};
    desktop::PreviewTable m_table;  // as shown, for the colours
};

}  // namespace win32
