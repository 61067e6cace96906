#pragma once
// The main window's text view: first the preview of the file just opened, then the log of the runs
// made on it. Read-only and word-wrapping; the user can select and copy its text but never change it.
// It keeps the two values that tie a file and the Conversion Settings dialog to a run.

#include <QPlainTextEdit>
#include <QString>

#include <memory>

#include "app/stored_settings.h"
#include "desktop/stored_settings.h"
#include "engine/job/services.h"

namespace dialogs { class CProfileStore; }
namespace desktop { class CConversionCommand; }
class QAction;
class QKeyEvent;

namespace app {

class CCommandWindow;
class CPreviewGrid;

class CQuoteforgeView : public QPlainTextEdit {
    Q_OBJECT

public:
    CQuoteforgeView(dialogs::CProfileStore& profile, QWidget* pParent = nullptr);
    ~CQuoteforgeView() override;

    // Adds the text at the end, without touching what the view already holds; "\r\n" starts a new line.
    void AppendText(const QString& strText);

    void OnClearWindow();
    // The preview of m_strInputPath: a heading, the file's first ten lines and what its layout looks like,
    // then the conversion command.
    void OnPreviewFile();
    // The conversion command: the stored settings in the Conversion Settings dialog, and on OK a run.
    void OnSettings();
    // "Settings..." is available once a file has been opened.
    void OnUpdateSettings(QAction* pAction) const;

    // The part of the screen that the visible file lines of the preview and the detection sentence below
    // them take, as wide as the widest of them (the whole visible text when no preview has been shown).
    QRect VisiblePreviewRect() const;

    // The grid that shows the preview by the dialog's settings; set by the frame.
    CPreviewGrid* m_pPreviewGrid = nullptr;

    QString m_strInputPath;  // the file opened last; set by a successful open, never cleared
    int m_nDateFormat = 1;   // date format number from the dialog's last OK, 0 when none was selected

signals:
    void InputPathChanged();
    // A run has ended, well or not; the directory it wrote to, in the engine's form.
    void RunFinished(const QString& strDirectory);

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    dialogs::CProfileStore& m_profile;
    CProfileStringStore m_stringStore{m_profile};
    desktop::CStoredSettings m_storedSettings{m_stringStore};
    engine::CSystemToday m_today;
    std::unique_ptr<CCommandWindow> m_pCommandWindow;
    std::unique_ptr<desktop::CConversionCommand> m_pCommand;
    int m_nPreviewBlocks = 0;  // the text blocks of the preview: heading, lines, sentence; 0 before a preview
};

}  // namespace app
