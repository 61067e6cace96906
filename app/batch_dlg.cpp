#include "app/batch_dlg.h"

#include <algorithm>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>


#include "app/main_frame.h"
#include "app/worker_run.h"
#include "dialogs/engine_path.h"
#include "dialogs/help_request.h"
#include "dialogs/message_box.h"
#include "dialogs/spin_edit.h"

namespace app {

using namespace dialogs;
using desktop::EBatchControl;

namespace {

enum EColumn { kFile, kSymbol, kResult, kColumnCount };

QTableWidgetItem* ReadOnlyItem(const QString& strText)
{
    auto* pItem = new QTableWidgetItem(strText);
    pItem->setFlags(pItem->flags() & ~Qt::ItemIsEditable);
    pItem->setToolTip(strText);
    return pItem;
}

}  // namespace

CBatchDlg::CBatchDlg(const engine::ConversionSettings& layout, desktop::CStoredSettings& stored, QWidget* pParent)
    : QDialog(pParent), m_pFiles(new QTableWidget(0, kColumnCount, this)),
      m_pAdd(new QPushButton(QStringLiteral("&Add Files..."), this)),
      m_pRemove(new QPushButton(QStringLiteral("Re&move"), this)),
      m_pOneLayout(new QRadioButton(QStringLiteral("One &layout for all: the Conversion Settings"), this)),
      m_pDetect(new QRadioButton(QStringLiteral("&Detect each file's layout"), this)),
      m_pDaily(new QCheckBox(QStringLiteral("Combine &intraday bars into days"), this)),
      m_pTickerOn(new QCheckBox(QStringLiteral("Tic&ker column"), this)), m_pTickerCol(new CSpinEdit(this)),
      m_pDirectory(new QLineEdit(this)), m_pBrowse(new QPushButton(QStringLiteral("&Browse..."), this)),
      m_pProgress(new QProgressBar(this)), m_pStatus(new QLabel(this)),
      m_pConvert(new QPushButton(QStringLiteral("&Convert"), this)),
      m_pCancel(new QPushButton(QStringLiteral("Cancel"), this)),
      m_presenter(std::make_unique<desktop::CBatchPresenter>(static_cast<desktop::IBatchView&>(*this), stored, layout))
{
    setWindowTitle(QStringLiteral("Convert Many Files"));
    m_pFiles->setObjectName(QStringLiteral("Files"));
    m_pFiles->setHorizontalHeaderLabels({QStringLiteral("File"), QStringLiteral("Symbol"), QStringLiteral("Result")});
    m_pFiles->horizontalHeader()->setStretchLastSection(true);
    m_pFiles->verticalHeader()->hide();
    m_pFiles->verticalHeader()->setDefaultSectionSize(m_pFiles->fontMetrics().height() + 6);
    m_pFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pFiles->setTabKeyNavigation(false);
    m_pFiles->setToolTip(QStringLiteral("Double-click a symbol to change it"));
    m_pDirectory->setObjectName(QStringLiteral("Directory"));
    m_pDaily->setObjectName(QStringLiteral("Daily"));
    m_pTickerOn->setObjectName(QStringLiteral("TickerOn"));
    m_pTickerOn->setToolTip(QStringLiteral("The column that names each row's security in files of many; "
                                           "unchecked, it is found by its heading or its values"));
    m_pTickerCol->setObjectName(QStringLiteral("TickerCol"));
    m_pTickerCol->SetRange(engine::kMinColumn, engine::kMaxColumn);
    m_pTickerCol->setMinimumWidth(m_pTickerCol->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 30);
    m_pDetect->setObjectName(QStringLiteral("Detect"));
    m_pProgress->setObjectName(QStringLiteral("Progress"));

    auto* pFileButtons = new QHBoxLayout;
    pFileButtons->addWidget(m_pAdd);
    pFileButtons->addWidget(m_pRemove);
    pFileButtons->addStretch();
    auto* pDirLabel = new QLabel(QStringLiteral("Directory &Path"), this);
    pDirLabel->setBuddy(m_pDirectory);
    auto* pDirRow = new QHBoxLayout;
    pDirRow->addWidget(m_pDirectory, 1);
    pDirRow->addWidget(m_pBrowse);
    // How the rows are read, on one line.
    auto* pReadRow = new QHBoxLayout;
    pReadRow->addWidget(m_pDaily);
    pReadRow->addSpacing(24);
    pReadRow->addWidget(m_pTickerOn);
    pReadRow->addWidget(m_pTickerCol);
    pReadRow->addStretch();
    auto* pButtons = new QHBoxLayout;
    pButtons->addWidget(m_pStatus, 1);
    pButtons->addWidget(m_pConvert);
    pButtons->addWidget(m_pCancel);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pFiles, 1);
    pLayout->addLayout(pFileButtons);
    pLayout->addWidget(m_pOneLayout);
    pLayout->addWidget(m_pDetect);
    pLayout->addLayout(pReadRow);
    pLayout->addWidget(pDirLabel);
    pLayout->addLayout(pDirRow);
    pLayout->addWidget(m_pProgress);
    pLayout->addLayout(pButtons);
    m_pConvert->setDefault(true);
    resize(640, 460);

    connect(m_pAdd, &QPushButton::clicked, this, &CBatchDlg::OnAddFiles);
    connect(m_pRemove, &QPushButton::clicked, this, &CBatchDlg::OnRemoveFiles);
    connect(m_pBrowse, &QPushButton::clicked, this, &CBatchDlg::OnBrowse);
    connect(m_pConvert, &QPushButton::clicked, this, &CBatchDlg::OnConvert);
    connect(m_pCancel, &QPushButton::clicked, this, &CBatchDlg::OnCancel);
    connect(m_pTickerOn, &QCheckBox::clicked, this, [this] { m_presenter->OnTickerBox(); });
    connect(m_pFiles, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* pItem) {
        if (!m_bShowingRows && pItem->column() == kSymbol)
            m_presenter->OnSymbolEdited(static_cast<std::size_t>(pItem->row()), pItem->text().toStdString());
    });
    AddHelpKey(this, kBatchHelpPage);
    m_presenter->OnInitDialog();
}

CBatchDlg::~CBatchDlg() = default;

void CBatchDlg::AddFiles(const QStringList& files)
{
    std::vector<std::string> paths;
    for (const QString& strFile : files)
        paths.push_back(EnginePath(strFile));
    m_presenter->AddFiles(paths);
}

QString CBatchDlg::Directory() const
{
    return QString::fromStdString(m_presenter->Directory());
}

QStringList CBatchDlg::Results() const
{
    QStringList results;
    for (const desktop::BatchRow& row : m_presenter->Rows())
        results << QString::fromStdString(row.result);
    return results;
}

int CBatchDlg::OnConvert()
{
    const int status = m_presenter->OnConvert();
    if (!m_presenter->Summary().empty())
        emit Finished(Directory(), QString::fromStdString(m_presenter->Summary()));
    return status;
}

void CBatchDlg::OnCancel()
{
    m_presenter->OnCancel();
}

// Escape and the close button cancel a running batch rather than leave it.
void CBatchDlg::reject()
{
    OnCancel();
}

void CBatchDlg::OnAddFiles()
{
    AddFiles(QFileDialog::getOpenFileNames(this, QStringLiteral("Add Files"), QString(),
                                           OpenFileFilter()));
}

void CBatchDlg::OnRemoveFiles()
{
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : m_pFiles->selectionModel()->selectedRows())
        rows.push_back(static_cast<std::size_t>(index.row()));
    m_presenter->OnRemove(rows);
}

void CBatchDlg::OnBrowse()
{
    const QString strDir = QFileDialog::getExistingDirectory(this, QStringLiteral("Output Directory"), m_pDirectory->text());
    if (!strDir.isEmpty())
        m_pDirectory->setText(QDir::toNativeSeparators(strDir));
}

desktop::EAnswer CBatchDlg::Ask(const std::string& text, desktop::EButtons buttons)
{
    return AskBox(text, buttons, this);
}

void CBatchDlg::ShowRows(const std::vector<desktop::BatchRow>& rows)
{
    m_bShowingRows = true;
    m_pFiles->setRowCount(0);
    for (const desktop::BatchRow& row : rows) {
        const int nRow = m_pFiles->rowCount();
        m_pFiles->insertRow(nRow);
        QTableWidgetItem* pFile = ReadOnlyItem(FromEngineText(row.file));
        pFile->setToolTip(FromEngineText(row.path));
        m_pFiles->setItem(nRow, kFile, pFile);
        m_pFiles->setItem(nRow, kSymbol, new QTableWidgetItem(QString::fromStdString(row.symbol)));
        m_pFiles->setItem(nRow, kResult, ReadOnlyItem(QString()));
        ShowResult(static_cast<std::size_t>(nRow), row);
    }
    m_pFiles->resizeColumnToContents(kFile);
    m_bShowingRows = false;
}

void CBatchDlg::ShowResult(std::size_t row, const desktop::BatchRow& shown)
{
    if (QTableWidgetItem* pItem = m_pFiles->item(static_cast<int>(row), kResult)) {
        const QString strResult = FromEngineText(shown.result);
        pItem->setText(strResult);
        pItem->setToolTip(strResult);
        pItem->setForeground(shown.failed ? QBrush(Qt::darkRed) : QBrush());
    }
}

void CBatchDlg::ShowChoices(const desktop::BatchChoices& choices)
{
    m_pDirectory->setText(FromEngineText(choices.directory));
    (choices.detect ? m_pDetect : m_pOneLayout)->setChecked(true);
    m_pDaily->setChecked(choices.daily);
    m_pTickerOn->setChecked(choices.tickerOn);
    m_pTickerCol->SetText(QString::number(choices.tickerColumn));
}

desktop::BatchChoices CBatchDlg::ReadChoices() const
{
    desktop::BatchChoices choices;
    choices.directory = EnginePath(m_pDirectory->text().trimmed());
    choices.detect = m_pDetect->isChecked();
    choices.daily = m_pDaily->isChecked();
    choices.tickerOn = m_pTickerOn->isChecked();
    // The arrows keep the number within 1 to 20; a text that is none keeps the column 1.
    bool bNumber = false;
    const int nColumn = m_pTickerCol->Text().trimmed().toInt(&bNumber);
    choices.tickerColumn = bNumber ? std::clamp(nColumn, engine::kMinColumn, engine::kMaxColumn) : engine::kMinColumn;
    return choices;
}

// done and total below zero keep the bar as it is; an empty status keeps the status line.
void CBatchDlg::ShowProgress(int done, int total, const std::string& status)
{
    if (total >= 0)
        m_pProgress->setRange(0, total);
    if (done >= 0)
        m_pProgress->setValue(done);
    if (!status.empty())
        m_pStatus->setText(QString::fromStdString(status));
}

void CBatchDlg::Enable(EBatchControl control, bool on)
{
    switch (control) {
    case EBatchControl::Add: m_pAdd->setEnabled(on); break;
    case EBatchControl::Remove: m_pRemove->setEnabled(on); break;
    case EBatchControl::OneLayout: m_pOneLayout->setEnabled(on); break;
    case EBatchControl::Detect: m_pDetect->setEnabled(on); break;
    case EBatchControl::Daily: m_pDaily->setEnabled(on); break;
    case EBatchControl::TickerOn: m_pTickerOn->setEnabled(on); break;
    case EBatchControl::TickerCol: m_pTickerCol->setEnabled(on); break;
    case EBatchControl::Directory: m_pDirectory->setEnabled(on); break;
    case EBatchControl::Browse: m_pBrowse->setEnabled(on); break;
    case EBatchControl::Convert: m_pConvert->setEnabled(on); break;
    case EBatchControl::Files:
        m_pFiles->setEditTriggers(on ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                     : QAbstractItemView::NoEditTriggers);
        break;
    }
}

void CBatchDlg::SetCancelCaption(const std::string& caption)
{
    m_pCancel->setText(QString::fromStdString(caption));
}

// The window takes input meanwhile, so that Cancel can be pressed.
void CBatchDlg::RunInBackground(const std::function<void()>& work)
{
    RunOnWorker(
        [&] {
            work();
            return 0;
        },
        true);
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);  // the last outcomes before the summary
}

void CBatchDlg::Post(std::function<void()> fn)
{
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

void CBatchDlg::Close()
{
    QDialog::reject();
}

}  // namespace app
