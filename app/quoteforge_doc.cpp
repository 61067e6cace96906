#include "app/quoteforge_doc.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>

#include "app/quoteforge_view.h"
#include "dialogs/message_box.h"

namespace app {

using namespace dialogs;

bool CheckFileReadable(const QString& strPath, QWidget* pParent)
{
    QFile file(strPath);
    if (!QFileInfo(strPath).isDir() && file.open(QIODevice::ReadOnly))
        return true;
    ShowMessageBox(QStringLiteral("Cannot open the file\n%1").arg(QDir::toNativeSeparators(strPath)),
                   EMessageButtons::Ok, pParent);
    return false;
}

CQuoteforgeDoc::CQuoteforgeDoc(CQuoteforgeView& view) : m_view(view) {}

bool CQuoteforgeDoc::OnNewDocument()
{
    m_view.setPlainText(QString());
    return true;
}

bool CQuoteforgeDoc::OnOpenDocument(const QString& strPath)
{
    if (!CheckFileReadable(strPath, m_view.window()))
        return false;
    m_view.m_strInputPath = QDir::toNativeSeparators(QFileInfo(strPath).absoluteFilePath());
    emit m_view.InputPathChanged();
    m_view.OnPreviewFile();
    return true;
}

}  // namespace app
