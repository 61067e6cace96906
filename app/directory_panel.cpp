#include "app/directory_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "app/worker_run.h"
#include "controls/desktop_services.h"
#include "dialogs/choose_dir.h"
#include "dialogs/engine_path.h"
#include "dialogs/message_box.h"
#include "engine/text/date_formats.h"

namespace app {

using namespace dialogs;
using desktop::EPanelColumn;
using desktop::EPanelControl;

namespace {

// A header that keeps room for the sort arrow in the sorted section only, where Qt keeps it in every
// section: eight columns then fit a panel of half a small screen.
class CSortHeader : public QHeaderView {
public:
    explicit CSortHeader(QWidget* pParent) : QHeaderView(Qt::Horizontal, pParent) {}

protected:
    QSize sectionSizeFromContents(int nLogical) const override
    {
        if (!isSortIndicatorShown() || nLogical == sortIndicatorSection() || !model())
            return QHeaderView::sectionSizeFromContents(nLogical);
        QStyleOptionHeader option;
        initStyleOption(&option);
        option.section = nLogical;
        option.text = model()->headerData(nLogical, orientation(), Qt::DisplayRole).toString();
        option.fontMetrics = fontMetrics();
        option.sortIndicator = QStyleOptionHeader::None;
        return style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), this);
    }
};

}  // namespace

CDirectoryPanel::CDirectoryPanel(desktop::CStoredSettings& stored, QWidget* pParent)
    : QDockWidget(QStringLiteral("Directory"), pParent), m_pLabel(new QLabel),
      m_pChoose(new QPushButton(QStringLiteral("Ch&oose..."))), m_pOpenFolder(new QPushButton(QStringLiteral("Open Fol&der"))),
      m_pTable(new QTableWidget(0, static_cast<int>(desktop::kPanelColumnCount))),
      m_pExport(new QPushButton(QStringLiteral("E&xport..."))), m_pRemove(new QPushButton(QStringLiteral("&Remove"))),
      m_pCheck(new QPushButton(QStringLiteral("Chec&k directory"))), m_stored(stored),
      m_presenter(std::make_unique<desktop::CDirectoryPanelPresenter>(static_cast<desktop::IDirectoryPanelView&>(*this), stored))
{
    setObjectName(QStringLiteral("DirectoryPanel"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    m_pTable->setObjectName(QStringLiteral("Securities"));
    m_pTable->setHorizontalHeader(new CSortHeader(m_pTable));
    QStringList headings;
    for (const char* szHeading : desktop::kPanelColumnHeadings)
        headings << QString::fromLatin1(szHeading);
    m_pTable->setHorizontalHeaderLabels(headings);
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->setTabKeyNavigation(false);
    m_pTable->verticalHeader()->hide();
    m_pTable->verticalHeader()->setDefaultSectionSize(m_pTable->fontMetrics().height() + 6);
    // The name takes the room the other columns leave, so that the dates and record counts stay in
    // sight without a scroll bar in a panel of half a small screen.
    m_pTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_pTable->horizontalHeader()->setSectionResizeMode(static_cast<int>(EPanelColumn::Name), QHeaderView::Stretch);
    m_pTable->horizontalHeader()->setSectionsClickable(true);
    m_pTable->horizontalHeader()->setSortIndicatorShown(true);
    m_pTable->setToolTip(QStringLiteral("Click a heading to sort; double-click a security to export it"));
    m_pLabel->setObjectName(QStringLiteral("DirectoryCaption"));
    m_pLabel->setWordWrap(true);
    m_pLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* pTop = new QHBoxLayout;
    pTop->addWidget(m_pLabel, 1);
    pTop->addWidget(m_pChoose);
    pTop->addWidget(m_pOpenFolder);
    auto* pButtons = new QHBoxLayout;
    pButtons->addWidget(m_pExport);
    pButtons->addWidget(m_pRemove);
    pButtons->addStretch();
    pButtons->addWidget(m_pCheck);
    auto* pBody = new QWidget;
    auto* pLayout = new QVBoxLayout(pBody);
    pLayout->setContentsMargins(4, 0, 4, 4);
    pLayout->addLayout(pTop);
    pLayout->addWidget(m_pTable, 1);
    pLayout->addLayout(pButtons);
    setWidget(pBody);

    m_pChoose->setToolTip(QStringLiteral("Show the securities of another directory"));
    m_pOpenFolder->setToolTip(QStringLiteral("Open the directory in the file manager"));
    m_pExport->setToolTip(QStringLiteral("Write the selected securities' prices to text files"));
    m_pRemove->setToolTip(QStringLiteral("Take the selected securities out of the directory"));
    m_pCheck->setToolTip(QStringLiteral("Look for problems in the directory; the findings go into the log"));
    connect(m_pChoose, &QPushButton::clicked, this, [this] { m_presenter->OnChooseDirectory(); });
    connect(m_pOpenFolder, &QPushButton::clicked, this, [this] { m_presenter->OnOpenFolder(); });
    connect(m_pExport, &QPushButton::clicked, this, &CDirectoryPanel::OnExport);
    connect(m_pRemove, &QPushButton::clicked, this, &CDirectoryPanel::OnRemove);
    connect(m_pCheck, &QPushButton::clicked, this, &CDirectoryPanel::OnCheck);
    connect(m_pTable, &QTableWidget::itemSelectionChanged, this, &CDirectoryPanel::OnSelectionChanged);
    connect(m_pTable, &QTableWidget::cellDoubleClicked, this,
            [this](int nRow, int) { m_presenter->OnDoubleClick(static_cast<std::size_t>(nRow)); });
    connect(m_pTable->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int nColumn) { m_presenter->OnHeaderClicked(static_cast<EPanelColumn>(nColumn)); });
    m_presenter->OnInit();
}

CDirectoryPanel::~CDirectoryPanel() = default;

void CDirectoryPanel::ShowDirectory(const QString& strDirectory)
{
    m_presenter->ShowDirectory(strDirectory.toStdString());
}

void CDirectoryPanel::Refresh()
{
    m_presenter->Refresh();
}

QString CDirectoryPanel::Directory() const
{
    return QString::fromStdString(m_presenter->Directory());
}

void CDirectoryPanel::OnExport()
{
    m_presenter->OnExport();
}

void CDirectoryPanel::OnRemove()
{
    m_presenter->OnRemove();
}

void CDirectoryPanel::OnCheck()
{
    m_presenter->OnCheck();
}

bool CDirectoryPanel::ExportSelected(const QString& strFile, const engine::ExportOptions& options)
{
    const QModelIndexList selected = m_pTable->selectionModel()->selectedRows();
    return !selected.isEmpty() &&
           m_presenter->ExportRow(static_cast<std::size_t>(selected.first().row()), EnginePath(strFile), options);
}

void CDirectoryPanel::OnSelectionChanged()
{
    if (m_bShowingRows)
        return;
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : m_pTable->selectionModel()->selectedRows())
        rows.push_back(static_cast<std::size_t>(index.row()));
    std::sort(rows.begin(), rows.end());
    m_presenter->OnSelectionChanged(rows);
}

desktop::EAnswer CDirectoryPanel::Ask(const std::string& text, desktop::EButtons buttons)
{
    return AskBox(text, buttons, this);
}

void CDirectoryPanel::ShowCaption(const std::string& text)
{
    m_pLabel->setText(FromEngineText(text));
}

void CDirectoryPanel::ShowRows(const std::vector<desktop::PanelRow>& rows, bool fromTop)
{
    m_bShowingRows = true;
    m_pTable->setRowCount(0);
    m_pTable->setRowCount(static_cast<int>(rows.size()));
    for (int nRow = 0; nRow < static_cast<int>(rows.size()); ++nRow)
        for (int nColumn = 0; nColumn < static_cast<int>(desktop::kPanelColumnCount); ++nColumn) {
            auto* pItem = new QTableWidgetItem(QString::fromStdString(rows[static_cast<std::size_t>(nRow)].cells[static_cast<std::size_t>(nColumn)]));
            if (nColumn == static_cast<int>(EPanelColumn::Records))
                pItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_pTable->setItem(nRow, nColumn, pItem);
        }
    if (fromTop) {
        m_pTable->scrollToTop();
        m_pTable->horizontalScrollBar()->setValue(0);
    }
    m_bShowingRows = false;
}

void CDirectoryPanel::ShowSortColumn(EPanelColumn column, bool ascending)
{
    m_pTable->horizontalHeader()->setSortIndicator(static_cast<int>(column), ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void CDirectoryPanel::Enable(EPanelControl control, bool on)
{
    switch (control) {
    case EPanelControl::Export: m_pExport->setEnabled(on); break;
    case EPanelControl::Remove: m_pRemove->setEnabled(on); break;
    case EPanelControl::Check: m_pCheck->setEnabled(on); break;
    case EPanelControl::OpenFolder: m_pOpenFolder->setEnabled(on); break;
    }
}

void CDirectoryPanel::AppendLog(const std::string& line)
{
    emit Log(FromEngineText(line));
}

bool CDirectoryPanel::ChooseDirectory(std::string& directory)
{
    CChooseDir chooser(FromEngineText(directory), this, &m_stored);
    if (chooser.DoModal() != QDialog::Accepted)
        return false;
    directory = EnginePath(chooser.m_strDir);
    return true;
}

void CDirectoryPanel::OpenInFileManager(const std::string& directory)
{
    if (!controls::OpenUrl(QUrl::fromLocalFile(FromEngineText(directory))))
        ShowMessageBox(QStringLiteral("No file manager could open %1").arg(FromEngineText(directory)), EMessageButtons::Ok, this);
}

// The export command's options: date format, delimiter and a heading line.
bool CDirectoryPanel::AskExportOptions(engine::ExportOptions& options)
{
    QDialog dlg(this);
    dlg.setWindowTitle(QStringLiteral("Export"));
    auto* pFormat = new QComboBox(&dlg);
    for (const char* szName : engine::kDateFormatNames)
        pFormat->addItem(QString::fromLatin1(szName));
    pFormat->setCurrentIndex(options.dateFormat - 1);
    auto* pDelimiter = new QComboBox(&dlg);
    pDelimiter->addItems({QStringLiteral("Comma"), QStringLiteral("Tab"), QStringLiteral("Space")});
    auto* pHeader = new QCheckBox(QStringLiteral("First line names the &fields"), &dlg);
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    auto* pForm = new QFormLayout(&dlg);
    pForm->addRow(QStringLiteral("&Date format"), pFormat);
    pForm->addRow(QStringLiteral("De&limiter"), pDelimiter);
    pForm->addRow(pHeader);
    pForm->addRow(pButtons);
    QObject::connect(pButtons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(pButtons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    options.dateFormat = pFormat->currentIndex() + 1;
    options.delimiter = ",\t "[pDelimiter->currentIndex()];
    options.header = pHeader->isChecked();
    return true;
}

bool CDirectoryPanel::ChooseExportFile(const std::string& symbol, std::string& file)
{
    const QString strFile = QFileDialog::getSaveFileName(this, QStringLiteral("Export %1").arg(QString::fromStdString(symbol)),
                                                         QString::fromStdString(file));
    file = EnginePath(strFile);
    return !strFile.isEmpty();
}

bool CDirectoryPanel::ChooseExportFolder(std::string& folder)
{
    const QString strFolder = QFileDialog::getExistingDirectory(this, QStringLiteral("Export into"));
    folder = EnginePath(strFolder);
    return !strFolder.isEmpty();
}

void CDirectoryPanel::RunInBackground(const std::function<void()>& work)
{
    RunOnWorker([&] {
        work();
        return 0;
    });
}

}  // namespace app
