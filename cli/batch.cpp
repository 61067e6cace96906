// quoteforge-cli batch: many price files into one MetaStock directory, one security each.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/command.h"
#include "cli/convert_request.h"
#include "cli/output.h"
#include "engine/input/batch_input.h"
#include "engine/job/conversion_settings.h"
#include "engine/run/batch.h"
#include "metastock/master_format.h"

namespace cli {

using namespace engine;

namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(100);  // at most ten updates a second
constexpr int kMaxThreads = 64;

// The number of cores, at least 1.
int DefaultThreads()
{
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

struct BatchRequest {
    std::string dir;
    std::vector<std::string> files;
    std::vector<std::string> symbolFrom = {"name"};  // "name", or "column" and a number
    std::vector<std::string> nameFrom;               // empty, or "column" and a number
    int maxPerDir = metastock::kMaxSecurities;
    bool noSync = false;
    bool xmaster = false;
    bool update = false;
    int threads = DefaultThreads();
    ConvertRequest input;  // the input options; its symbol and directory are not used
};

bool IsErrorTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

std::string Counted(std::int64_t count, const char* one, const char* many)
{
    return WithThousands(count) + " " + (count == 1 ? one : many);
}

// Standard error of a batch: messages one line each, and on a terminal a progress line that they
// clear first.
class CBatchConsole : public CErrorLineSink, public IBatchObserver {
public:
    CBatchConsole(std::ostream& err, bool bProgress, std::size_t nFiles)
        : CErrorLineSink(err), m_err(err), m_bProgress(bProgress), m_nFiles(nFiles),
          m_start(std::chrono::steady_clock::now())
    {
    }

    void ShowMessage(const std::string& text) override
    {
        ClearProgress();
        CErrorLineSink::ShowMessage(text);
    }
    void ShowNotice(const std::string& text) override
    {
        ClearProgress();
        CErrorLineSink::ShowNotice(text);
    }

    void OnNotice(const std::string& text) override { ShowNotice(text); }

    void OnFile(const std::string& path, const BatchTotals& totals) override
    {
        const auto now = std::chrono::steady_clock::now();
        if (!m_bProgress || (m_bShown && now - m_lastShown < kProgressInterval))
            return;
        const double seconds = std::chrono::duration<double>(now - m_start).count();
        const int done = totals.added + totals.updated;
        char rate[32];
        std::snprintf(rate, sizeof rate, "%.0f", seconds > 0 ? done / seconds : 0.0);
        m_err << "\r" << WithThousands(done) << " of " << WithThousands(static_cast<std::int64_t>(m_nFiles))
              << " done, " << rate << " files/s, " << path << "\x1b[K" << std::flush;
        m_bShown = true;
        m_lastShown = now;
    }

    void ClearProgress()
    {
        if (m_bShown)
            m_err << "\r\x1b[K" << std::flush;
        m_bShown = false;
    }

    double Seconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    }

private:
    std::ostream& m_err;
    bool m_bProgress;
    std::size_t m_nFiles;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastShown;
    bool m_bShown = false;
};

std::string Summary(const BatchTotals& totals, double seconds)
{
    char time[32];
    std::snprintf(time, sizeof time, "%.1f s", seconds);
    return Counted(totals.added, "security", "securities") + " added, " + WithThousands(totals.updated) +
           " updated, " + WithThousands(totals.failed) + " failed, " +
           Counted(totals.records, "record", "records") + ", " + time;
}

// What became of one security of the files of many: "AAA: added", "BB: refused: Duplicate Symbol BB in out".
std::string TickerLine(const FileResult& ticker)
{
    switch (ticker.outcome) {
    case FileOutcome::Added: return ticker.ticker + ": added";
    case FileOutcome::Updated: return ticker.ticker + ": updated";
    case FileOutcome::Unchanged: return ticker.ticker + ": unchanged";
    case FileOutcome::Failed: return ticker.ticker + ": refused: " + OneLine(ticker.reason);
    case FileOutcome::NotStarted: break;
    }
    return ticker.ticker + ": not started: " + OneLine(ticker.reason);
}

// "name" gives 0; "column N" gives N from 1 to 20.
bool ReadSource(const std::vector<std::string>& words, const char* option, bool bNameAllowed, int& column,
                std::string& error)
{
    column = 0;
    if (words.empty() || (bNameAllowed && words.size() == 1 && words[0] == "name"))
        return true;
    if (words.size() == 2 && words[0] == "column") {
        try {
            std::size_t used = 0;
            column = std::stoi(words[1], &used);
            if (used == words[1].size() && column >= kMinColumn && column <= kMaxColumn)
                return true;
        } catch (const std::exception&) {
        }
    }
    error = std::string(option) + (bNameAllowed ? " must be \"name\" or " : " must be ") + "\"column N\" with N from " +
            std::to_string(kMinColumn) + " to " + std::to_string(kMaxColumn);
    return false;
}

int RunBatch(BatchRequest& request, const Given& given, std::ostream& out, std::ostream& err)
{
    int nSymbolColumn = 0, nNameColumn = 0;
    std::string problem;
    ConversionSettings settings;
    int nDateFormat = 0;
    request.input.symbol.assign(1, 'X');  // each file's own symbol replaces it
    request.input.dir = request.dir;
    if (!ReadSource(request.symbolFrom, "--symbol-from", true, nSymbolColumn, problem) ||
        !ReadSource(request.nameFrom, "--name-from", false, nNameColumn, problem) ||
        !ReadRequest(request.input, settings, nDateFormat, problem) || !CheckTickerOptions(request.input, problem)) {
        Complain(err, problem);
        return 2;
    }
    // With --detect the columns that detection fills in are checked for each file, once they are known.
    const SettingsCheck check = CheckSettings(settings);
    if (check.Failed() && !(request.input.detect && check.fault == ESettingsFault::DuplicateColumn)) {
        Complain(err, OptionMessage(check));
        return 2;
    }
    if (request.threads < 1 || request.threads > kMaxThreads) {
        Complain(err, "--threads must be from 1 to " + std::to_string(kMaxThreads));
        return 2;
    }
    if (request.maxPerDir < 1 || request.maxPerDir > metastock::kMaxSecurities) {
        Complain(err, "--max-per-dir must be from 1 to " + std::to_string(metastock::kMaxSecurities) + " securities");
        return 2;
    }
    const bool bProgress = &err == &std::cerr && IsErrorTerminal();
    CBatchConsole console(err, bProgress, request.files.size());
    CNoSettingsWriter noSettings;
    CSystemToday today;
    BatchOptions options;
    options.dir = request.dir;
    options.inputPaths = request.files;
    options.symbolColumn = nSymbolColumn;
    options.nameColumn = nNameColumn;
    options.maxPerDir = request.maxPerDir;
    options.xmaster = request.xmaster;
    options.syncToDisk = !request.noSync;
    options.update = request.update;
    options.threads = request.threads;
    options.tickerColumn = request.input.tickerCol;
    options.tickerNameColumn = request.input.nameCol;
    options.statedFrame = settings.TimeFrame;
    // With --detect each file gets its own layout: vendors' files need not all look alike.
    BatchInput input{settings, request.input.detect, GivenLayoutChoices(given)};
    options.inputSettings = [input](const std::string&, const std::string& absolutePath, IMessageSink& messages,
                                    ConversionSettings& fileSettings, int& nFileDateFormat) {
        const FileInput file = ReadFileInput(absolutePath, input);
        if (file.Refused()) {
            messages.ShowMessage(file.refusal == InputRefusal::Detection ? DetectionProblem(file.detected)
                                                                         : OptionMessage(file.check));
            return 1;
        }
        fileSettings = file.settings;
        nFileDateFormat = file.dateFormat;
        return 0;
    };
    const BatchResult result = CBatch({console, noSettings, today}, console, std::move(options)).Run();
    console.ClearProgress();
    for (const FileResult& ticker : result.tickers)
        out << TickerLine(ticker) << '\n';
    out << Summary(result.totals, console.Seconds()) << std::endl;
    if (!out) {
        Complain(err, "cannot write the summary line to standard output");
        return 1;
    }
    return result.status;
}

}  // namespace

Command BatchCommand()
{
    auto request = std::make_shared<BatchRequest>();
    const std::string range = std::to_string(kMinColumn) + " to " + std::to_string(kMaxColumn);
    Command command{
        "batch",
        "Converts many price text files into one MetaStock directory, one security each",
        {{"DIR", &request->dir, "The MetaStock directory; made when missing", true},
         {"FILE", &request->files, "The price text files: one security each, or many in a ticker column", true},
         {"--symbol-from", &request->symbolFrom,
          "name: the file's name without its extension (default); column N: the value in column N of the first data "
          "row. Upper-cased, cut to " + std::to_string(kMaxSymbolLength) + " characters",
          false, {}, 1, 2},
         {"--name-from", &request->nameFrom,
          "column N: the name is the value in column N of the first data row (default: no name)", false, {}, 2, 2},
         {"--max-per-dir", &request->maxPerDir,
          "Securities per directory, 1 to " + std::to_string(metastock::kMaxSecurities) +
              ", before the batch goes on in DIR/2, DIR/3, ... (default: " + std::to_string(metastock::kMaxSecurities) +
              ")"},
         {"--threads", &request->threads,
          "Worker threads that read the files ahead, 1 to " + std::to_string(kMaxThreads) +
              " (default: the number of cores); the bytes written do not depend on it"},
         {"--update", &request->update,
          "A symbol that DIR or its numbered sub-directories hold gets the file's rows later than its last date "
          "(and time, for intraday bars), when the file holds bars of its time frame; other symbols are added"},
         {"--xmaster", &request->xmaster,
          "When DIR's MASTER is full, go on in its XMASTER (made when missing) with data files F<n>.MWD, as "
          "charting programs do, instead of DIR/2; a DIR that has an XMASTER goes on in it anyway"},
         {"--no-sync", &request->noSync,
          "Skip the flushes to disk: faster, for output that can be made again; a power loss may then leave "
          "securities that MASTER lists with incomplete data files"}},
        [request](const Given& given, std::ostream& out, std::ostream& err) {
            return RunBatch(*request, given, out, err);
        }};
    for (Option& option : InputOptions(request->input))
        command.options.push_back(std::move(option));
    for (Option& option : TickerOptions(request->input))
        command.options.push_back(std::move(option));
    command.options.push_back({"--detect", &request->input.detect,
                               "Take the delimiter, date format, skip and columns that are not given from each file "
                               "itself (see detect)"});
    return command;
}

}  // namespace cli
