#include "desktop/conversion_command.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include "desktop/log_text.h"
#include "desktop/output_directory.h"
#include "desktop/proposed_symbol.h"
#include "desktop/run_offers.h"
#include "engine/input/row_reading.h"
#include "engine/input/ticker_column.h"
#include "engine/job/conversion_job.h"
#include "engine/job/run_summary.h"
#include "engine/run/batch.h"
#include "engine/run/converter.h"
#include "metastock/path_text.h"

namespace desktop {

using engine::ConversionSettings;

namespace {

// The run's messages go to the view with what the run was about on the line below; the last one is kept
// for the log, whole.
class CRunMessages : public engine::IMessageSink {
public:
    CRunMessages(engine::IMessageSink& sink, std::string context) : m_sink(sink), m_context(std::move(context)) {}
    void ShowMessage(const std::string& text) override
    {
        {
            std::lock_guard lock(m_mutex);
            m_last = text;
        }
        m_sink.ShowMessage(text + "\n" + m_context);
    }
    void ShowNotice(const std::string& text) override { m_sink.ShowNotice(text); }
    std::string Last()
    {
        std::lock_guard lock(m_mutex);
        return m_last;
    }

private:
    engine::IMessageSink& m_sink;
    std::string m_context;
    std::mutex m_mutex;
    std::string m_last;
};

// The batch's messages kept for the log; a ticker's failure is in its result too.
class CBatchMessages : public engine::IMessageSink, public engine::IBatchObserver {
public:
    void ShowMessage(const std::string& text) override
    {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(text);
    }
    void OnNotice(const std::string& text) override { ShowMessage(text); }
    void OnFile(const std::string&, const engine::BatchTotals&) override {}
    std::vector<std::string> Messages()
    {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_messages;
};

// A ticker's line in the log: "AAA converted", "BB failed: <reason>".
std::string TickerLine(const engine::FileResult& ticker)
{
    using engine::FileOutcome;
    switch (ticker.outcome) {
    case FileOutcome::Added: return ticker.ticker + " converted";
    case FileOutcome::Updated: return ticker.ticker + " updated";
    case FileOutcome::Unchanged: return ticker.ticker + " unchanged: no rows after its last date";
    case FileOutcome::Failed: return ticker.ticker + " failed: " + OneLine(ticker.reason);
    case FileOutcome::NotStarted: break;
    }
    std::string line = ticker.ticker + " not started";
    if (!ticker.reason.empty())
        line.append(": ").append(OneLine(ticker.reason));
    return line;
}

}  // namespace

CConversionCommand::CConversionCommand(IConversionView& view, CStoredSettings& stored, engine::IToday& today)
    : m_view(view), m_stored(stored), m_today(today)
{
}

void CConversionCommand::OnFileOpened(const std::string& path)
{
    m_inputPath = path;
    m_typed.reset();
    m_newFile = true;
}

ConversionSettings CConversionCommand::ShownSettings() const
{
    if (m_typed)
        return *m_typed;
    ConversionSettings settings = m_stored.LoadConversion();
    if (m_newFile) {
        settings.Symbol = ProposedSymbol(m_inputPath);
        settings.Name.clear();
    }
    return settings;
}

int CConversionCommand::OnSettings()
{
    if (m_inputPath.empty())
        return 1;
    ConversionSettings settings = ShownSettings();
    int dateFormat = m_dateFormat;
    if (!m_view.EditSettings(settings, dateFormat))
        return 1;
    m_dateFormat = dateFormat;
    m_newFile = false;
    // Each stored value is written through to disk; seventeen of them take long enough to stall painting.
    m_view.RunInBackground([&] { m_stored.StoreConversion(settings); });
    m_typed = settings;

    if (const std::optional<int> tickers = OfferTickers(settings))
        return *tickers;
    const RunOffers offers = AskBeforeRun(settings, m_view);
    if (!offers.run) {
        m_view.AppendLog(LogEntry("Conversion failed.", OneLine(offers.refusal)));
        return 1;
    }
    settings.Exist = offers.exist;
    return Run(settings, offers.makeDirectory, offers.update);
}

int CConversionCommand::Run(ConversionSettings settings, bool makeDirectory, bool update)
{
    CRunMessages messages(m_view.RunMessages(), settings.Symbol + " into " + settings.Path);
    engine::ConversionJob job = engine::MakeConversionJob(settings, m_dateFormat, m_inputPath);
    job.update = update;
    // The rows are read and checked once, off the window's thread, keeping the good ones: rows that
    // cannot be read refuse the run unless the user chooses to leave them out. The run takes the rows
    // as they were read, failed or not, and reports them as the command line does.
    job.layout.skipBadRows = true;
    engine::CheckedRows checked;
    m_view.RunInBackground([&] { checked = engine::CheckJobRows(job); });
    job.layout.skipBadRows =
        !checked.Failed() && checked.badRowCount > 0 &&
        m_view.Ask(engine::ListBadRows(checked) + "\n\nSkip rows that cannot be read?", EButtons::YesNoDefaultNo) ==
            EAnswer::Yes;
    const bool convertible = !checked.Failed() && (checked.badRowCount == 0 || job.layout.skipBadRows);

    engine::ConversionResult result;
    m_view.ShowBusy(true);
    // The directory is made only for an input that can be converted, so that a refused file leaves none.
    std::string reason;
    if (makeDirectory && !convertible) {
        messages.ShowMessage(checked.Failed() ? checked.problem : engine::ListBadRows(checked));
    } else if (makeDirectory && !MakeOutputDirectory(settings.Path, reason)) {
        messages.ShowMessage("Cannot create the directory " + settings.Path + ": " + reason + ".");
    } else {
        auto converter = std::make_unique<engine::CConverter>(
            engine::RunServices{messages, m_view.RunSettings(), m_today}, job);
        converter->UseCheckedRows(std::move(checked));
        m_view.RunInBackground([&] { result = converter->Run(); });
    }
    if (result.status == 0) {
        m_typed.reset();
        std::string entry = LogEntry("Conversion completed successfully!", engine::RunSummary(result));
        if (!result.skippedRows.empty())
            entry += LogList("Skipped:", result.skippedRows);
        m_view.AppendLog(entry);
        m_view.Beep();
    } else {
        m_view.AppendLog(LogEntry("Conversion failed.", OneLine(messages.Last())));
    }
    m_view.ShowBusy(false);
    m_view.ShowDirectory(settings.Path);
    return result.status;
}

}  // namespace desktop

namespace desktop {

// The whole file is read for its tickers, off the window's thread; a file that cannot be read is left to
// the run, which reports it as for any file.
std::optional<int> CConversionCommand::OfferTickers(const ConversionSettings& settings)
{
    const engine::ConversionJob job = engine::MakeConversionJob(settings, m_dateFormat, m_inputPath);
    engine::TickerColumns tickers;
    std::string reason;
    bool read = false;
    m_view.RunInBackground([&] {
        read = engine::FindFileTickers(m_inputPath, job.layout, settings.TickerCol - 1, -1, tickers, reason);
    });
    if (!read || tickers.count < 2)
        return std::nullopt;
    const std::string file = metastock::TextFromPath(metastock::PathFromText(m_inputPath).filename());
    const std::string holds = file + " holds " + std::to_string(tickers.count) + " securities: " + engine::TickerList(tickers);
    // Nothing is overwritten: a ticker the directory holds gets only the rows after its last date.
    if (m_view.Ask(holds + ".\nConvert them all into " + settings.Path + ", each under its ticker?", EButtons::YesNo) !=
        EAnswer::Yes) {
        m_view.AppendLog(LogEntry("Nothing was converted.", holds + "; converting them all was declined."));
        return 1;
    }
    return RunTickers(settings);
}

// The batch of the one file, as Convert Many Files runs it: each ticker a security, one that the
// directory holds updated, every security whole or not at all.
int CConversionCommand::RunTickers(const ConversionSettings& settings)
{
    CBatchMessages messages;
    engine::CNoSettingsWriter noSettings;
    engine::BatchOptions options;
    options.dir = settings.Path;
    options.inputPaths = {m_inputPath};
    options.symbols = {settings.Symbol};
    options.update = true;
    options.tickersOverSymbols = true;
    options.tickerColumn = settings.TickerCol;
    options.statedFrame = settings.TimeFrame;
    const int dateFormat = m_dateFormat;
    options.inputSettings = [settings, dateFormat](const std::string&, const std::string&, engine::IMessageSink&,
                                                   ConversionSettings& fileSettings, int& fileDateFormat) {
        fileSettings = settings;
        fileDateFormat = dateFormat;
        return 0;
    };
    engine::CBatch batch({messages, noSettings, m_today}, messages, std::move(options));
    engine::BatchResult result;
    m_view.ShowBusy(true);
    m_view.RunInBackground([&] { result = batch.Run(); });

    std::string lines;
    for (const engine::FileResult& ticker : result.tickers)
        lines += TickerLine(ticker) + "\n";
    // The engine counts an update that gained nothing as updated; the log says unchanged.
    const engine::BatchTotals& totals = result.totals;
    const auto unchanged = std::count_if(result.tickers.begin(), result.tickers.end(), [](const engine::FileResult& ticker) {
        return ticker.outcome == engine::FileOutcome::Unchanged;
    });
    std::string details = std::to_string(result.tickers.size()) + " securities into " + settings.Path + ": " +
                          std::to_string(totals.added) + " converted, " + std::to_string(totals.updated - unchanged) +
                          " updated, " + std::to_string(unchanged) + " unchanged, " + std::to_string(totals.failed) +
                          " failed, " + std::to_string(totals.records) + " records";
    // A batch that could not start has no tickers; its file's result says why.
    if (result.tickers.empty() && !result.files.empty() && !result.files.front().reason.empty())
        details.append("\n").append(result.files.front().reason);
    std::string entry = LogEntry(result.status == 0 ? "Conversion completed successfully!" : "Conversion failed.",
                                 OneLine(details));
    if (!lines.empty())
        entry += LogList("Securities:", lines);
    m_view.AppendLog(entry);
    if (result.status == 0) {
        m_typed.reset();
        m_view.Beep();
    }
    m_view.ShowBusy(false);
    m_view.ShowDirectory(settings.Path);
    return result.status;
}

}  // namespace desktop
