#pragma once
// The preview grid: the window of desktop::CPreviewGridPresenter. It draws the rows, headers and marks
// the presenter gives (skipped rows grey, rows the run could not read red, the cell at fault darker, the
// reason as the tooltip) and hands the caption beside it on.

#include <QString>
#include <QTableWidget>

#include "desktop/preview_grid_presenter.h"

namespace app {

class CPreviewGrid : public QTableWidget, private desktop::IPreviewGridView {
    Q_OBJECT

public:
    explicit CPreviewGrid(QWidget* pParent = nullptr);

    // The file's lines and what detection made of it; the grid shows them by the default settings.
    void SetPreview(const desktop::FilePreview& preview);
    // Splits, heads and marks the lines by the settings, as the Conversion Settings dialog shows them.
    void ShowSettings(const engine::ConversionSettings& settings);

signals:
    void CaptionChanged(const QString& strCaption);

private:
    void ShowCaption(const std::string& text) override;
    void ShowTable(const desktop::PreviewTable& table) override;

    desktop::CPreviewGridPresenter m_presenter{*this};
};

}  // namespace app
