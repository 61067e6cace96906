#pragma once
// The preview as a grid: the input file's first ten lines split into columns by the current settings,
// each column headed by the field that the settings read from it (or "unused"), skipped rows greyed, and
// rows that the conversion could not read marked, with the reason as the tooltip. It follows the
// Conversion Settings dialog while its fields change.

#include <QString>
#include <QTableWidget>

#include "engine/conversion_settings.h"

namespace app {

class CPreviewGrid : public QTableWidget {
    Q_OBJECT

public:
    explicit CPreviewGrid(QWidget* pParent = nullptr);

    // Reads the file's first ten lines; an empty path empties the grid. The sentence that says what the
    // file looks like goes to the caption.
    void SetFile(const QString& strPath, const QString& strSentence = QString());
    // Splits, heads and marks the lines by the settings (date format by its name in DateFormat).
    void ShowSettings(const engine::ConversionSettings& settings);

    // Why a row cannot be read, empty when it can: a field's column missing, or a date the format cannot read.
    static QString RowFault(const std::string& line, const engine::ConversionSettings& settings);

signals:
    void CaptionChanged(const QString& strCaption);

private:
    std::vector<std::string> m_lines;
};

}  // namespace app
