#pragma once
// The Directory panel beside the log: the securities of the output directory as a table (symbol, name,
// data file, fields, first and last date, records), with Export..., Remove and Check directory for the
// selected security. It reads MASTER, EMASTER and XMASTER directories alike, and never changes one except
// by Remove, which asks first.

#include <QDockWidget>
#include <QString>

#include "engine/export.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace app {

class CDirectoryPanel : public QDockWidget {
    Q_OBJECT

public:
    explicit CDirectoryPanel(QWidget* pParent = nullptr);

    // Shows the directory (text in the engine's form, UTF-8); an empty one, or one without MASTER, leaves
    // the table empty with a note.
    void ShowDirectory(const QString& strDirectory);
    void Refresh();
    const QString& Directory() const { return m_strDirectory; }

    // The selected security's symbol as MASTER stores it; empty when none is selected.
    std::string SelectedSymbol() const;

    // The actions on the selection. Remove asks first; Check puts its findings into the log.
    void OnExport();
    void OnRemove();
    void OnCheck();
    // Writes the selected security to the file; true when written.
    bool ExportSelected(const QString& strFile, const engine::ExportOptions& options);

signals:
    // A line for the log, without the leading line break.
    void Log(const QString& strLine);

private:
    void UpdateButtons();

    QString m_strDirectory;
    QLabel* m_pLabel;
    QTableWidget* m_pTable;
    QPushButton* m_pExport;
    QPushButton* m_pRemove;
    QPushButton* m_pCheck;
};

}  // namespace app
