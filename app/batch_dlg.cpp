#include "app/batch_dlg.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/batch.h"
#include "engine/date_formats.h"
#include "engine/layout_detection.h"
#include "settings/engine_path.h"
#include "settings/help_request.h"

using namespace engine;

namespace app {

using namespace settings;

namespace {

enum EColumn { kFile, kSymbol, kResult, kColumnCount };

// Hands what the batch reports on its thread to the dialog on the user-interface thread; keeps each
// file's last message as the reason it failed.
class CBatchReport : public IMessageSink, public IBatchObserver {
public:
    CBatchReport(CBatchDlg& dlg, std::vector<std::string> paths, std::function<void(int, QString)> progress,
                 std::function<void(int, QString)> outcome)
        : m_dlg(dlg), m_paths(std::move(paths)), m_progress(std::move(progress)), m_outcome(std::move(outcome))
    {
    }

    void ShowMessage(const std::string& text) override
    {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(text);
    }
    void OnFile(const std::string& path, const BatchTotals& totals) override
    {
        (void)totals;
        const int nFile = m_nStarted++;
        const QString strFile = QFileInfo(FromEngineText(path)).fileName();
        QMetaObject::invokeMethod(&m_dlg, [this, nFile, strFile] { m_progress(nFile, strFile); }, Qt::QueuedConnection);
    }
    void OnNotice(const std::string& text) override { ShowMessage(text); }
    void OnFileDone(std::size_t nFile, Outcome outcome) override
    {
        QString strOutcome = outcome == Outcome::Added     ? QStringLiteral("converted")
                             : outcome == Outcome::Updated ? QStringLiteral("updated")
                             : outcome == Outcome::Unchanged ? QStringLiteral("unchanged: no rows after its last date")
                                                           : QStringLiteral("failed: ") + Reason(nFile);
        const int n = static_cast<int>(nFile);
        QMetaObject::invokeMethod(&m_dlg, [this, n, strOutcome] { m_outcome(n, strOutcome); }, Qt::QueuedConnection);
    }

    QStringList Messages()
    {
        std::lock_guard lock(m_mutex);
        QStringList texts;
        for (const std::string& text : m_messages)
            texts << FromEngineText(text);
        return texts;
    }

private:
    QString Reason(std::size_t nFile)
    {
        std::lock_guard lock(m_mutex);
        const std::string prefix = m_paths[nFile] + ": ";
        for (auto it = m_messages.rbegin(); it != m_messages.rend(); ++it)
            if (it->compare(0, prefix.size(), prefix) == 0)
                return FromEngineText(it->substr(prefix.size()));
        return QStringLiteral("see the log");
    }

    CBatchDlg& m_dlg;
    std::vector<std::string> m_paths;
    std::function<void(int, QString)> m_progress;
    std::function<void(int, QString)> m_outcome;
    std::mutex m_mutex;
    std::vector<std::string> m_messages;
    int m_nStarted = 0;  // files begun, on the batch's thread
};

}  // namespace

CBatchDlg::CBatchDlg(const ConversionSettings& layout, QWidget* pParent)
    : QDialog(pParent), m_layout(layout), m_pFiles(new QTableWidget(0, kColumnCount, this)),
      m_pAdd(new QPushButton(QStringLiteral("&Add Files..."), this)),
      m_pRemove(new QPushButton(QStringLiteral("Re&move"), this)),
      m_pOneLayout(new QRadioButton(QStringLiteral("One &layout for all: the Conversion Settings"), this)),
      m_pDetect(new QRadioButton(QStringLiteral("&Detect each file's layout"), this)),
      m_pDirectory(new QLineEdit(this)), m_pBrowse(new QPushButton(QStringLiteral("&Browse..."), this)),
      m_pProgress(new QProgressBar(this)), m_pStatus(new QLabel(this)),
      m_pConvert(new QPushButton(QStringLiteral("&Convert"), this)),
      m_pCancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setWindowTitle(QStringLiteral("Convert Many Files"));
    m_pFiles->setObjectName(QStringLiteral("Files"));
    m_pFiles->setHorizontalHeaderLabels({QStringLiteral("File"), QStringLiteral("Symbol"), QStringLiteral("Result")});
    m_pFiles->horizontalHeader()->setStretchLastSection(true);
    m_pFiles->verticalHeader()->hide();
    m_pFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pFiles->setToolTip(QStringLiteral("Double-click a symbol to change it"));
    m_pDirectory->setObjectName(QStringLiteral("Directory"));
    m_pProgress->setObjectName(QStringLiteral("Progress"));
    m_pOneLayout->setChecked(true);

    auto* pFileButtons = new QHBoxLayout;
    pFileButtons->addWidget(m_pAdd);
    pFileButtons->addWidget(m_pRemove);
    pFileButtons->addStretch();
    auto* pDirLabel = new QLabel(QStringLiteral("Directory &Path"), this);
    pDirLabel->setBuddy(m_pDirectory);
    auto* pDirRow = new QHBoxLayout;
    pDirRow->addWidget(m_pDirectory, 1);
    pDirRow->addWidget(m_pBrowse);
    auto* pButtons = new QHBoxLayout;
    pButtons->addWidget(m_pStatus, 1);
    pButtons->addWidget(m_pConvert);
    pButtons->addWidget(m_pCancel);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pFiles, 1);
    pLayout->addLayout(pFileButtons);
    pLayout->addWidget(m_pOneLayout);
    pLayout->addWidget(m_pDetect);
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
    AddHelpKey(this, kBatchHelpPage);
    SetDirectory(FromEngineText(layout.Path));
    SetRunning(false);
}

void CBatchDlg::AddFiles(const QStringList& files)
{
    for (const QString& strFile : files) {
        const int nRow = m_pFiles->rowCount();
        m_pFiles->insertRow(nRow);
        auto* pFile = new QTableWidgetItem(QFileInfo(strFile).fileName());
        pFile->setData(Qt::UserRole, strFile);
        pFile->setToolTip(strFile);
        pFile->setFlags(pFile->flags() & ~Qt::ItemIsEditable);
        m_pFiles->setItem(nRow, kFile, pFile);
        const std::string symbol = NormalisedSymbol(QFileInfo(strFile).completeBaseName().left(kMaxSymbolLength).toStdString());
        m_pFiles->setItem(nRow, kSymbol, new QTableWidgetItem(QString::fromStdString(symbol)));
        auto* pResult = new QTableWidgetItem;
        pResult->setFlags(pResult->flags() & ~Qt::ItemIsEditable);
        m_pFiles->setItem(nRow, kResult, pResult);
    }
    m_pFiles->resizeColumnToContents(kFile);
    SetRunning(false);
}

void CBatchDlg::SetDirectory(const QString& strDirectory)
{
    m_pDirectory->setText(strDirectory);
}

void CBatchDlg::SetDetectPerFile(bool bDetect)
{
    (bDetect ? m_pDetect : m_pOneLayout)->setChecked(true);
}

QString CBatchDlg::Directory() const
{
    return QString::fromStdString(EnginePath(m_pDirectory->text().trimmed()));
}

QStringList CBatchDlg::Results() const
{
    QStringList results;
    for (int nRow = 0; nRow < m_pFiles->rowCount(); ++nRow)
        results << m_pFiles->item(nRow, kResult)->text();
    return results;
}

void CBatchDlg::OnAddFiles()
{
    AddFiles(QFileDialog::getOpenFileNames(this, QStringLiteral("Add Files"), QString(), QStringLiteral("All Files (*)")));
}

void CBatchDlg::OnRemoveFiles()
{
    QList<int> rows;
    for (const QModelIndex& index : m_pFiles->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    for (int nRow : rows)
        m_pFiles->removeRow(nRow);
    SetRunning(false);
}

void CBatchDlg::OnBrowse()
{
    const QString strDir = QFileDialog::getExistingDirectory(this, QStringLiteral("Output Directory"), m_pDirectory->text());
    if (!strDir.isEmpty())
        SetDirectory(QDir::toNativeSeparators(strDir));
}

void CBatchDlg::SetRunning(bool bRunning)
{
    m_bRunning = bRunning;
    const bool bFiles = m_pFiles->rowCount() > 0;
    for (QWidget* pWidget : std::initializer_list<QWidget*>{m_pAdd, m_pRemove, m_pOneLayout, m_pDetect, m_pDirectory, m_pBrowse})
        pWidget->setEnabled(!bRunning);
    m_pConvert->setEnabled(!bRunning && bFiles);
    m_pFiles->setEditTriggers(bRunning ? QAbstractItemView::NoEditTriggers
                                       : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    m_pCancel->setText(bRunning ? QStringLiteral("Cancel") : QStringLiteral("Close"));
}

void CBatchDlg::ShowProgress(int nFile, const QString& strFile)
{
    m_pProgress->setValue(nFile);
    m_pStatus->setText(QStringLiteral("Converting %1 (%2 of %3)").arg(strFile).arg(nFile + 1).arg(m_pFiles->rowCount()));
}

void CBatchDlg::ShowOutcome(int nFile, const QString& strOutcome)
{
    if (QTableWidgetItem* pItem = m_pFiles->item(nFile, kResult)) {
        pItem->setText(strOutcome);
        pItem->setToolTip(strOutcome);
        pItem->setForeground(strOutcome.startsWith(u'f') ? QBrush(Qt::darkRed) : QBrush());
    }
    m_pProgress->setValue(nFile + 1);
}

int CBatchDlg::OnConvert()
{
    if (m_bRunning || m_pFiles->rowCount() == 0)
        return 1;
    std::vector<std::string> paths;
    std::vector<std::string> symbols;
    for (int nRow = 0; nRow < m_pFiles->rowCount(); ++nRow) {
        paths.push_back(EnginePath(m_pFiles->item(nRow, kFile)->data(Qt::UserRole).toString()));
        symbols.push_back(m_pFiles->item(nRow, kSymbol)->text().toStdString());
        m_pFiles->item(nRow, kResult)->setText(QString());
    }
    CBatchReport report(*this, paths, [this](int nFile, QString strFile) { ShowProgress(nFile, strFile); },
                        [this](int nFile, QString strOutcome) { ShowOutcome(nFile, strOutcome); });
    CNoSettingsWriter noSettings;
    CSystemToday today;
    CBatch batch({report, noSettings, today}, report);
    batch.m_strDir = Directory().toStdString();
    batch.m_inputPaths = paths;
    batch.m_symbols = symbols;
    batch.m_bUpdate = 1;
    batch.m_pCancel = &m_bCancel;
    const bool bDetect = m_pDetect->isChecked();
    const ConversionSettings layout = m_layout;
    batch.m_inputSettings = [bDetect, layout](const std::string&, const std::string& absolutePath, IMessageSink& messages,
                                              ConversionSettings& settings, int& nDateFormat) {
        settings = layout;
        if (bDetect) {
            const DetectedLayout detected = DetectLayout(absolutePath);
            if (!detected.bFound) {
                messages.ShowMessage(detected.strProblem);
                return 1;
            }
            ApplyLayout(detected, settings);
        }
        nDateFormat = DateFormatNumber(settings.DateFormat);
        const SettingsCheck check = CheckColumnsDiffer(settings);
        if (check.Failed()) {
            messages.ShowMessage(check.strMessage);
            return 1;
        }
        return 0;
    };

    m_bCancel = false;
    m_pProgress->setRange(0, static_cast<int>(paths.size()));
    m_pProgress->setValue(0);
    SetRunning(true);
    int status = 1;
    QEventLoop loop;
    std::thread worker([&] {
        status = batch.Run();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    QCoreApplication::sendPostedEvents(this);  // the last outcomes are in the list before the summary
    const BatchTotals& totals = batch.m_totals;
    QString strSummary = QStringLiteral("Batch into %1: %2 converted, %3 updated, %4 failed, %5 records")
                             .arg(Directory())
                             .arg(totals.nAdded)
                             .arg(totals.nUpdated)
                             .arg(totals.nFailed)
                             .arg(totals.nRecords);
    if (m_bCancel)
        strSummary += QStringLiteral(" (cancelled; the files not started are untouched)");
    for (const QString& strMessage : report.Messages())
        strSummary += QStringLiteral("\r\n    ") + strMessage;
    m_pStatus->setText(m_bCancel ? QStringLiteral("Cancelled") : QStringLiteral("Done"));
    SetRunning(false);
    emit Finished(Directory(), strSummary);
    return status;
}

void CBatchDlg::OnCancel()
{
    if (m_bRunning) {
        m_bCancel = true;
        m_pStatus->setText(QStringLiteral("Cancelling after the current group..."));
        return;
    }
    QDialog::reject();
}

// Escape and the close button cancel a running batch rather than leave it.
void CBatchDlg::reject()
{
    OnCancel();
}

}  // namespace app
