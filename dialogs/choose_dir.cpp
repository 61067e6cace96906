#include "dialogs/choose_dir.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QStyle>
#include <QStyledItemDelegate>

#include "dialogs/dialog_units.h"
#include "dialogs/engine_path.h"
#include "dialogs/help_request.h"
#include "dialogs/message_box.h"

namespace dialogs {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kDepthRole = Qt::UserRole + 1;

// Indents each entry of the directory list by its depth, so that the list reads as a path from the root
// down to the shown directory, followed by the directories inside it.
class CIndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* pPainter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.adjust(Indent(option, index), 0, 0, 0);
        QStyledItemDelegate::paint(pPainter, indented, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(Indent(option, index), 0);
    }

private:
    static int Indent(const QStyleOptionViewItem& option, const QModelIndex& index)
    {
        return index.data(kDepthRole).toInt() * option.fontMetrics.horizontalAdvance(QStringLiteral("MM")) / 2;
    }
};

// The directories from the root down to strDir: the root first, strDir last.
QStringList PathFromRoot(const QString& strDir)
{
    QStringList chain;
    QDir dir(strDir);
    chain.prepend(dir.absolutePath());
    while (dir.cdUp())
        chain.prepend(dir.absolutePath());
    return chain;
}

}  // namespace

CChooseDir::CChooseDir(const QString& strInitialDir, QWidget* pParent, desktop::CStoredSettings* pStored)
    : QDialog(pParent), m_presenter(static_cast<desktop::IChooseDirView&>(*this), pStored)
{
    setWindowTitle(QStringLiteral("Choose Directory"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    CreateControls();
    FillDrives();
    AddHelpKey(this, kChooseDirHelpPage);
    m_presenter.OnInit(EnginePath(strInitialDir));
    m_listDirs->setFocus();
}

CChooseDir::~CChooseDir() = default;

void CChooseDir::CreateControls()
{
    const CDialogUnits du(font());
    setFixedSize(du.Size(200, 134));

    auto* pNameLabel = new QLabel(QStringLiteral("Directory &name:"), this);
    pNameLabel->setGeometry(du.Rect(7, 4, 92, 9));
    m_editDir = new QLineEdit(this);
    m_editDir->setObjectName(QStringLiteral("DirectoryName"));
    m_editDir->setGeometry(du.Rect(7, 14, 118, 14));
    pNameLabel->setBuddy(m_editDir);

    m_listDirs = new QListWidget(this);
    m_listDirs->setObjectName(QStringLiteral("Directories"));
    m_listDirs->setGeometry(du.Rect(7, 32, 118, 67));
    m_listDirs->setItemDelegate(new CIndentDelegate(m_listDirs));
    m_listDirs->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_listDirs->installEventFilter(this);

    auto* pDrivesLabel = new QLabel(QStringLiteral("Dri&ves:"), this);
    pDrivesLabel->setGeometry(du.Rect(7, 103, 92, 9));
    m_comboDrives = new QComboBox(this);
    m_comboDrives->setObjectName(QStringLiteral("Drives"));
    m_comboDrives->setGeometry(du.Rect(7, 113, 118, 14));
    pDrivesLabel->setBuddy(m_comboDrives);

    m_buttonOK = new QPushButton(QStringLiteral("OK"), this);
    m_buttonOK->setObjectName(QStringLiteral("OK"));
    m_buttonOK->setGeometry(du.Rect(140, 5, 50, 14));
    m_buttonOK->setDefault(true);
    m_buttonCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_buttonCancel->setObjectName(QStringLiteral("Cancel"));
    m_buttonCancel->setGeometry(du.Rect(140, 25, 50, 14));

    connect(m_buttonOK, &QPushButton::clicked, this, &CChooseDir::OnOK);
    connect(m_buttonCancel, &QPushButton::clicked, this, &CChooseDir::reject);
    connect(m_listDirs, &QListWidget::currentRowChanged, this, &CChooseDir::OnSelChange);
    connect(m_listDirs, &QListWidget::itemActivated, this, &CChooseDir::OnDirActivated);
    connect(m_comboDrives, &QComboBox::activated, this, &CChooseDir::OnDriveChanged);
}

// The file system roots and the mounted volumes that are ready, each by its root directory.
void CChooseDir::FillDrives()
{
    QStringList roots;
    for (const QFileInfo& drive : QDir::drives())
        roots.append(drive.absoluteFilePath());
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir())
            roots.append(volume.rootPath());
    for (QString& root : roots)
        root = QDir::cleanPath(root);
    roots.removeDuplicates();
    roots.sort(Qt::CaseInsensitive);
    for (const QString& root : roots)
        m_comboDrives->addItem(QDir::toNativeSeparators(root), root);
}

int CChooseDir::DoModal()
{
    return exec();
}

void CChooseDir::ShowDirectory(const QString& strDir)
{
    m_presenter.OnOpen(EnginePath(strDir));
}

void CChooseDir::ShowDirectory(const std::string& directory, const std::string& field)
{
    m_strShown = QDir::cleanPath(FromEngineText(directory));
    const QStyle* pStyle = style();
    const QIcon openIcon = pStyle->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = pStyle->standardIcon(QStyle::SP_DirClosedIcon);

    const QSignalBlocker blocker(m_listDirs);
    m_listDirs->clear();
    const QStringList chain = PathFromRoot(m_strShown);
    for (int nDepth = 0; nDepth < chain.size(); ++nDepth) {
        const QString& strPath = chain[nDepth];
        const QString strName = nDepth == 0 ? QDir::toNativeSeparators(strPath) : QFileInfo(strPath).fileName();
        auto* pItem = new QListWidgetItem(openIcon, strName, m_listDirs);
        pItem->setData(kPathRole, strPath);
        pItem->setData(kDepthRole, nDepth);
    }
    const QDir shown(m_strShown);
    const QStringList children =
        shown.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QString& strChild : children) {
        auto* pItem = new QListWidgetItem(closedIcon, strChild, m_listDirs);
        pItem->setData(kPathRole, shown.filePath(strChild));
        pItem->setData(kDepthRole, static_cast<int>(chain.size()));
    }
    m_listDirs->setCurrentRow(static_cast<int>(chain.size()) - 1);
    m_editDir->setText(FromEngineText(field));

    // The drive that holds the shown directory: the longest root that begins its path.
    int nDrive = -1;
    qsizetype nLongest = -1;
    for (int i = 0; i < m_comboDrives->count(); ++i) {
        const QString strRoot = m_comboDrives->itemData(i).toString();
        const bool bHolds = strRoot.endsWith(u'/') ? m_strShown.startsWith(strRoot)
                                                    : m_strShown == strRoot || m_strShown.startsWith(strRoot + u'/');
        if (bHolds && strRoot.size() > nLongest) {
            nDrive = i;
            nLongest = strRoot.size();
        }
    }
    m_comboDrives->setCurrentIndex(nDrive);
}

void CChooseDir::OnSelChange()
{
    const QListWidgetItem* pItem = m_listDirs->currentItem();
    if (pItem)
        m_presenter.OnSelect(EnginePath(pItem->data(kPathRole).toString()));
}

void CChooseDir::OnDirActivated(QListWidgetItem* pItem)
{
    if (pItem)
        ShowDirectory(pItem->data(kPathRole).toString());
}

void CChooseDir::OnDriveChanged(int nIndex)
{
    if (nIndex >= 0)
        ShowDirectory(m_comboDrives->itemData(nIndex).toString());
}

// Enter in the directory list opens the selected directory instead of pressing OK.
bool CChooseDir::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched == m_listDirs && pEvent->type() == QEvent::KeyPress) {
        const int nKey = static_cast<QKeyEvent*>(pEvent)->key();
        if (nKey == Qt::Key_Return || nKey == Qt::Key_Enter) {
            OnDirActivated(m_listDirs->currentItem());
            return true;
        }
    }
    return QDialog::eventFilter(pWatched, pEvent);
}

void CChooseDir::OnOK()
{
    m_presenter.OnOK(EnginePath(m_editDir->text()));
}

desktop::EAnswer CChooseDir::Ask(const std::string& text, desktop::EButtons buttons)
{
    return AskBox(text, buttons, this);
}

void CChooseDir::ShowField(const std::string& text)
{
    m_editDir->setText(FromEngineText(text));
}

void CChooseDir::FocusField()
{
    m_editDir->setFocus();
}

void CChooseDir::Accept()
{
    m_strDir = FromEngineText(m_presenter.Chosen());
    accept();
}

}  // namespace dialogs
