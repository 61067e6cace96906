#include "app/directory_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <fstream>
#include <vector>

#include "app/message_box_sink.h"
#include "app/worker_run.h"
#include "engine/code_page.h"
#include "engine/date_formats.h"
#include "engine/directory_check.h"
#include "engine/remove_security.h"
#include "engine/security_listing.h"
#include "metastock/path_text.h"
#include "settings/engine_path.h"
#include "settings/message_box.h"

namespace app {

using namespace settings;

namespace {

enum EColumn { kSymbol, kName, kDataFile, kFields, kFirst, kLast, kRecords, kColumnCount };

// A data file that cannot be read shows in its row; the panel needs no other word of it.
class CQuietNotices : public engine::IMessageSink {
public:
    void ShowMessage(const std::string&) override {}
};

// The export command's options: date format, delimiter and a heading line.
bool AskExportOptions(QWidget* pParent, engine::ExportOptions& options)
{
    QDialog dlg(pParent);
    dlg.setWindowTitle(QStringLiteral("Export"));
    auto* pFormat = new QComboBox(&dlg);
    for (const char* szName : engine::kDateFormatNames)
        pFormat->addItem(QString::fromLatin1(szName));
    pFormat->setCurrentIndex(options.nDateFormat - 1);
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
    options.nDateFormat = pFormat->currentIndex() + 1;
    options.cDelimiter = ",\t "[pDelimiter->currentIndex()];
    options.bHeader = pHeader->isChecked();
    return true;
}

}  // namespace

CDirectoryPanel::CDirectoryPanel(QWidget* pParent)
    : QDockWidget(QStringLiteral("Directory"), pParent), m_pLabel(new QLabel), m_pTable(new QTableWidget(0, kColumnCount)),
      m_pExport(new QPushButton(QStringLiteral("E&xport..."))), m_pRemove(new QPushButton(QStringLiteral("&Remove"))),
      m_pCheck(new QPushButton(QStringLiteral("Chec&k directory")))
{
    setObjectName(QStringLiteral("DirectoryPanel"));
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    m_pTable->setObjectName(QStringLiteral("Securities"));
    m_pTable->setHorizontalHeaderLabels({QStringLiteral("Symbol"), QStringLiteral("Name"), QStringLiteral("Data file"),
                                         QStringLiteral("Fields"), QStringLiteral("First"), QStringLiteral("Last"),
                                         QStringLiteral("Records")});
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->verticalHeader()->hide();
    m_pTable->horizontalHeader()->setStretchLastSection(true);
    m_pLabel->setWordWrap(true);
    m_pLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* pButtons = new QHBoxLayout;
    pButtons->addWidget(m_pExport);
    pButtons->addWidget(m_pRemove);
    pButtons->addStretch();
    pButtons->addWidget(m_pCheck);
    auto* pBody = new QWidget;
    auto* pLayout = new QVBoxLayout(pBody);
    pLayout->setContentsMargins(4, 0, 4, 4);
    pLayout->addWidget(m_pLabel);
    pLayout->addWidget(m_pTable, 1);
    pLayout->addLayout(pButtons);
    setWidget(pBody);

    m_pExport->setToolTip(QStringLiteral("Write the selected security's prices to a text file"));
    m_pRemove->setToolTip(QStringLiteral("Take the selected security out of the directory"));
    m_pCheck->setToolTip(QStringLiteral("Look for problems in the directory; the findings go into the log"));
    connect(m_pExport, &QPushButton::clicked, this, &CDirectoryPanel::OnExport);
    connect(m_pRemove, &QPushButton::clicked, this, &CDirectoryPanel::OnRemove);
    connect(m_pCheck, &QPushButton::clicked, this, &CDirectoryPanel::OnCheck);
    connect(m_pTable, &QTableWidget::itemSelectionChanged, this, &CDirectoryPanel::UpdateButtons);
    ShowDirectory(QString());
}

void CDirectoryPanel::ShowDirectory(const QString& strDirectory)
{
    m_strDirectory = strDirectory;
    Refresh();
}

void CDirectoryPanel::Refresh()
{
    m_pTable->setRowCount(0);
    // Reading reads every data file whole: on a worker thread, so that the window goes on painting.
    struct Row {
        QStringList cells;
        std::string storedSymbol;
    };
    std::vector<Row> rows;
    std::string error;
    bool bRead = false;
    const std::string directory = m_strDirectory.toStdString();
    if (!m_strDirectory.isEmpty())
        RunOnWorker([&] {
            std::vector<engine::ListedSecurity> listed;
            CQuietNotices notices;
            bRead = engine::ListSecurities(metastock::PathFromText(directory), listed, error, notices);
            for (const engine::ListedSecurity& security : listed) {
                // A damaged index may hold control characters: shown escaped, as the command line shows them.
                auto text = [](const std::string& value) { return QString::fromStdString(engine::EscapeControls(value)); };
                rows.push_back({{text(security.symbol), text(security.name), text(security.dataFile),
                                 text(security.fields), text(security.first), text(security.last),
                                 security.records.empty() ? QStringLiteral("unreadable") : text(security.records)},
                                security.storedSymbol});
            }
            return 0;
        });
    if (m_strDirectory.isEmpty())
        m_pLabel->setText(QStringLiteral("No output directory yet."));
    else if (!bRead)
        m_pLabel->setText(m_strDirectory + u'\n' + FromEngineText(error));
    else
        m_pLabel->setText(m_strDirectory);
    for (const Row& row : rows) {
        const int nRow = m_pTable->rowCount();
        m_pTable->insertRow(nRow);
        for (int nColumn = 0; nColumn < kColumnCount; ++nColumn) {
            auto* pItem = new QTableWidgetItem(row.cells[nColumn]);
            if (nColumn == kSymbol)
                pItem->setData(Qt::UserRole, QByteArray::fromStdString(row.storedSymbol));
            if (nColumn == kRecords)
                pItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_pTable->setItem(nRow, nColumn, pItem);
        }
    }
    m_pTable->resizeColumnsToContents();
    UpdateButtons();
}

std::string CDirectoryPanel::SelectedSymbol() const
{
    const QList<QTableWidgetItem*> selected = m_pTable->selectedItems();
    if (selected.isEmpty())
        return {};
    const QTableWidgetItem* pItem = m_pTable->item(selected.first()->row(), kSymbol);
    return pItem ? pItem->data(Qt::UserRole).toByteArray().toStdString() : std::string();
}

void CDirectoryPanel::UpdateButtons()
{
    const bool bSelected = !SelectedSymbol().empty();
    m_pExport->setEnabled(bSelected);
    m_pRemove->setEnabled(bSelected);
    m_pCheck->setEnabled(!m_strDirectory.isEmpty());
}

void CDirectoryPanel::OnExport()
{
    if (SelectedSymbol().empty())
        return;
    engine::ExportOptions options;
    if (!AskExportOptions(this, options))
        return;
    const QString strSymbol = QString::fromStdString(engine::Windows1252ToUtf8(SelectedSymbol()));
    const QString strFile = QFileDialog::getSaveFileName(this, QStringLiteral("Export %1").arg(strSymbol),
                                                         strSymbol.trimmed() + QStringLiteral(".csv"));
    if (!strFile.isEmpty())
        ExportSelected(strFile, options);
}

bool CDirectoryPanel::ExportSelected(const QString& strFile, const engine::ExportOptions& options)
{
    const std::string symbol = SelectedSymbol();
    const QString strSymbol = QString::fromStdString(engine::EscapeControls(engine::Windows1252ToUtf8(symbol))).trimmed();
    std::ofstream out(metastock::PathFromText(EnginePath(strFile)), std::ios::binary);
    CMessageBoxSink messages;
    if (!out) {
        ShowMessageBox(QStringLiteral("Cannot create %1").arg(strFile));
        return false;
    }
    if (engine::ExportSecurity(metastock::PathFromText(m_strDirectory.toStdString()), symbol, options, out, messages) != 0 ||
        !out.flush()) {
        emit Log(QStringLiteral("Export of %1 failed. %2").arg(strSymbol, messages.LastMessage()));
        return false;
    }
    emit Log(QStringLiteral("%1 exported to %2").arg(strSymbol, strFile));
    return true;
}

void CDirectoryPanel::OnRemove()
{
    const std::string symbol = SelectedSymbol();
    if (symbol.empty())
        return;
    const QString strSymbol = QString::fromStdString(engine::EscapeControls(engine::Windows1252ToUtf8(symbol))).trimmed();
    const QString strQuestion = QStringLiteral("Remove %1 from %2?\nIts data file is deleted; this cannot be undone.")
                                    .arg(strSymbol, m_strDirectory);
    if (ShowMessageBox(strQuestion, EMessageButtons::YesNoDefaultNo, this) != EMessageAnswer::Yes)
        return;
    CMessageBoxSink messages;
    std::string removedFile;
    if (engine::RemoveSecurity(metastock::PathFromText(m_strDirectory.toStdString()), symbol, messages, removedFile) == 0)
        emit Log(QStringLiteral("%1 removed from %2 (%3)").arg(strSymbol, m_strDirectory, QString::fromStdString(removedFile)));
    else
        emit Log(QStringLiteral("Removing %1 failed. %2").arg(strSymbol, messages.LastMessage()));
    Refresh();
}

void CDirectoryPanel::OnCheck()
{
    if (m_strDirectory.isEmpty())
        return;
    engine::DirectoryReport report;
    const std::string directory = m_strDirectory.toStdString();
    RunOnWorker([&] {
        report = engine::CheckDirectory(metastock::PathFromText(directory));
        return 0;
    });
    QString strLog = QStringLiteral("Check of %1: %2 securities, ").arg(m_strDirectory).arg(report.nSecurities);
    strLog += report.problems.empty() ? QStringLiteral("no problems found")
                                      : QStringLiteral("%1 problems:").arg(report.problems.size());
    for (const std::string& problem : report.problems)
        strLog += QStringLiteral("\r\n    ") + FromEngineText(problem);
    emit Log(strLog);
}

}  // namespace app
