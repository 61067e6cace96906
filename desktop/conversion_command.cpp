#include "desktop/conversion_command.h"

#include <memory>
#include <mutex>

#include "desktop/log_text.h"
#include "desktop/output_directory.h"
#include "desktop/proposed_symbol.h"
#include "desktop/run_offers.h"
#include "engine/input/row_reading.h"
#include "engine/job/conversion_job.h"
#include "engine/job/run_summary.h"
#include "engine/run/converter.h"

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
