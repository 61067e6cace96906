#include "desktop/batch_presenter.h"

#include <algorithm>
#include <mutex>

#include "desktop/log_text.h"
#include "desktop/proposed_symbol.h"
#include "engine/input/batch_input.h"
#include "engine/run/batch.h"
#include "metastock/path_text.h"

namespace desktop {

using engine::ConversionSettings;

namespace {

// The row's result column for what became of its file.
void ShowOutcome(BatchRow& row, const engine::FileResult& file)
{
    using engine::FileOutcome;
    row.failed = file.outcome == FileOutcome::Failed;
    row.unchanged = file.outcome == FileOutcome::Unchanged;
    switch (file.outcome) {
    case FileOutcome::Added: row.result = "converted"; break;
    case FileOutcome::Updated: row.result = "updated"; break;
    case FileOutcome::Unchanged: row.result = "unchanged: no rows after its last date"; break;
    case FileOutcome::Failed: row.result = "failed: " + (file.reason.empty() ? std::string("see the log") : file.reason); break;
    case FileOutcome::NotStarted: row.result = "not started"; break;
    }
}

// What the batch reports on its thread goes to the window's thread; the messages are kept for the log.
class CBatchReport : public engine::IMessageSink, public engine::IBatchObserver {
public:
    CBatchReport(IBatchView& view, std::vector<BatchRow>& rows) : m_view(view), m_rows(rows) {}

    void ShowMessage(const std::string& text) override
    {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(text);
    }
    void OnNotice(const std::string& text) override { ShowMessage(text); }
    void OnFile(const std::string& path, const engine::BatchTotals&) override
    {
        const int file = m_started++;
        const int total = static_cast<int>(m_nFiles);
        const std::string name = metastock::TextFromPath(metastock::PathFromText(path).filename());
        // After the files of one security each come the tickers of the files of many, by name.
        m_view.Post([this, file, total, name] {
            m_view.ShowProgress(std::min(file, total), total,
                                "Converting " + name +
                                    (file < total ? " (" + std::to_string(file + 1) + " of " + std::to_string(total) + ")" : ""));
        });
    }
    void OnFileDone(std::size_t file, const engine::FileResult& result) override
    {
        m_view.Post([this, file, result] {
            BatchRow& row = m_rows[file];
            ShowOutcome(row, result);
            m_view.ShowResult(file, row);
            m_view.ShowProgress(static_cast<int>(file) + 1, static_cast<int>(m_nFiles), "");
        });
    }

    std::vector<std::string> Messages()
    {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }

private:
    IBatchView& m_view;
    std::vector<BatchRow>& m_rows;
    const std::size_t m_nFiles = m_rows.size();  // the rows of files; those of tickers follow
    std::mutex m_mutex;
    std::vector<std::string> m_messages;
    int m_started = 0;  // files begun, on the batch's thread
};

}  // namespace

CBatchPresenter::CBatchPresenter(IBatchView& view, CStoredSettings& stored, const ConversionSettings& layout)
    : m_view(view), m_stored(stored), m_layout(layout)
{
}

void CBatchPresenter::OnInitDialog()
{
    m_view.ShowChoices(m_stored.Batch());
    m_view.ShowRows(m_rows);
    SetRunning(false);
}

void CBatchPresenter::AddFiles(const std::vector<std::string>& paths)
{
    for (const std::string& path : paths) {
        BatchRow row;
        row.path = path;
        row.file = metastock::TextFromPath(metastock::PathFromText(path).filename());
        row.symbol = ProposedSymbol(path);
        m_rows.push_back(std::move(row));
    }
    m_view.ShowRows(m_rows);
    SetRunning(false);
}

void CBatchPresenter::OnRemove(std::vector<std::size_t> rows)
{
    std::sort(rows.rbegin(), rows.rend());
    for (std::size_t row : rows)
        if (row < m_rows.size())
            m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(row));
    m_view.ShowRows(m_rows);
    SetRunning(false);
}

void CBatchPresenter::OnSymbolEdited(std::size_t row, const std::string& symbol)
{
    if (row < m_rows.size())
        m_rows[row].symbol = symbol;
}

void CBatchPresenter::OnTickerBox()
{
    m_view.Enable(EBatchControl::TickerCol, !m_running && m_view.ReadChoices().tickerOn);
}

void CBatchPresenter::SetRunning(bool running)
{
    m_running = running;
    for (EBatchControl control : {EBatchControl::Add, EBatchControl::Remove, EBatchControl::OneLayout, EBatchControl::Detect,
                                  EBatchControl::Daily, EBatchControl::TickerOn, EBatchControl::Directory, EBatchControl::Browse})
        m_view.Enable(control, !running);
    OnTickerBox();
    m_view.Enable(EBatchControl::Convert, !running && !m_rows.empty());
    m_view.Enable(EBatchControl::Files, !running);
    m_view.SetCancelCaption(running ? "Cancel" : "Close");
}

int CBatchPresenter::OnConvert()
{
    if (m_running || m_rows.empty())
        return 1;
    const BatchChoices choices = m_view.ReadChoices();
    m_stored.SetBatch(choices);
    m_directory = choices.directory;
    // The securities of the last batch's files of many go; their files list them again.
    const auto tickers = std::remove_if(m_rows.begin(), m_rows.end(), [](const BatchRow& row) { return row.ticker; });
    if (tickers != m_rows.end()) {
        m_rows.erase(tickers, m_rows.end());
        m_view.ShowRows(m_rows);
    }
    std::vector<std::string> paths;
    std::vector<std::string> symbols;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        paths.push_back(m_rows[i].path);
        symbols.push_back(m_rows[i].symbol);
        m_rows[i].result.clear();
        m_rows[i].failed = false;
        m_rows[i].unchanged = false;
        m_view.ShowResult(i, m_rows[i]);
    }
    CBatchReport report(m_view, m_rows);
    engine::CNoSettingsWriter noSettings;
    engine::CSystemToday today;
    engine::BatchOptions options;
    options.dir = choices.directory;
    options.inputPaths = paths;
    options.symbols = symbols;
    options.update = true;
    options.cancel = &m_cancel;
    options.tickersOverSymbols = true;
    options.tickerColumn = choices.tickerOn ? choices.tickerColumn : 0;
    engine::BatchInput input{m_layout, choices.detect, {}};
    input.layout.Daily = choices.daily;
    options.inputSettings = [input](const std::string&, const std::string& absolutePath, engine::IMessageSink& messages,
                                    ConversionSettings& settings, int& dateFormat) {
        const engine::FileInput file = engine::ReadFileInput(absolutePath, input);
        if (file.Refused()) {
            messages.ShowMessage(file.refusal == engine::InputRefusal::Detection ? file.detected.problem : file.check.message);
            return 1;
        }
        settings = file.settings;
        dateFormat = file.dateFormat;
        return 0;
    };
    engine::CBatch batch({report, noSettings, today}, report, std::move(options));

    m_cancel = false;
    m_view.ShowProgress(0, static_cast<int>(paths.size()), "");
    SetRunning(true);
    engine::BatchResult result;
    m_view.RunInBackground([&] { result = batch.Run(); });
    // The result has the last word: files not started after Cancel, and a group whose commit failed.
    for (std::size_t i = 0; i < paths.size() && i < result.files.size(); ++i) {
        const std::string shown = m_rows[i].result;
        ShowOutcome(m_rows[i], result.files[i]);
        if (m_rows[i].result != shown)
            m_view.ShowResult(i, m_rows[i]);
    }
    // One row per security of the files of many, listed at the end, all at once.
    for (const engine::FileResult& ticker : result.tickers) {
        BatchRow row;
        row.ticker = true;
        row.symbol = ticker.ticker;
        ShowOutcome(row, ticker);
        m_rows.push_back(std::move(row));
    }
    if (!result.tickers.empty())
        m_view.ShowRows(m_rows);
    // The engine counts an update that gained nothing as updated; the window says unchanged.
    const engine::BatchTotals& totals = result.totals;
    const auto unchanged = std::count_if(result.files.begin(), result.files.end(), [](const engine::FileResult& file) {
        return file.outcome == engine::FileOutcome::Unchanged;
    });
    m_summary = "Batch into " + choices.directory + ": " + std::to_string(totals.added) + " converted, " +
                std::to_string(totals.updated - unchanged) + " updated, " +
                (unchanged > 0 ? std::to_string(unchanged) + " unchanged, " : std::string()) +
                std::to_string(totals.failed) + " failed, " + std::to_string(totals.records) + " records";
    if (m_cancel)
        m_summary += " (cancelled; the files not started are untouched)";
    for (const std::string& message : report.Messages())
        m_summary += "\r\n    " + OneLine(message);
    m_view.ShowProgress(static_cast<int>(m_rows.size()), static_cast<int>(m_rows.size()), m_cancel ? "Cancelled" : "Done");
    SetRunning(false);
    return result.status;
}

void CBatchPresenter::OnCancel()
{
    if (m_running) {
        m_cancel = true;
        m_view.ShowProgress(-1, -1, "Cancelling after the current group...");
        return;
    }
    m_view.Close();
}

}  // namespace desktop
