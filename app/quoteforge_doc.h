#pragma once
// The document is how the user picks the input file. It holds no data: opening a file checks that it
// can be read and hands its path to the view, which previews it and starts the conversion command.

#include <QString>

class QWidget;

// Whether the file can be opened for reading; if not, says so in a message box and returns false.

namespace app {

class CQuoteforgeView;

bool CheckFileReadable(const QString& strPath, QWidget* pParent = nullptr);

class CQuoteforgeDoc {
public:
    explicit CQuoteforgeDoc(CQuoteforgeView& view);

    // File New: empties the view; the input path stays.
    bool OnNewDocument();
    // File Open, the recent-file list and the command line all come here. A file that cannot be read
    // gets a message and changes nothing; otherwise the preview, the dialog and any run it starts are
    // over when this returns.
    bool OnOpenDocument(const QString& strPath);

private:
    CQuoteforgeView& m_view;
};

}  // namespace app
