// quoteforge-cli convert: adds one security to a MetaStock directory from a price text file.

#include <memory>

#include "cli/command.h"
#include "cli/convert_request.h"
#include "cli/output.h"
#include "engine/input/layout_detection.h"
#include "engine/input/replayed_input.h"
#include "engine/input/ticker_column.h"
#include "engine/job/run_summary.h"
#include "engine/run/converter.h"
#include "engine/text/text_reader.h"
#include "metastock/day_number.h"
#include "metastock/file_names.h"
#include "metastock/path_text.h"

namespace cli {

using namespace metastock;
using namespace engine;

namespace {

// A file whose ticker column names several securities is refused before anything is written. The
// column is found in the head of the input as the run reads it; a regular file is read again for all
// its tickers (a pipe cannot be).
bool OneSecurity(const ConvertRequest& request, const ConversionJob& job, const CReplayedInput& input, std::string& problem)
{
    TickerColumns columns = FindTickerColumns(input.KeptLines(kDetectedLines), job.layout, request.tickerCol - 1,
                                              request.nameCol - 1);
    if (!columns.Found())
        return true;
    const std::string absolutePath = AbsoluteInputPath(request.input);
    const PathStatus status = CurrentFileSystem().Exists(PathFromText(absolutePath));
    if (status.existence == Existence::kError) {
        problem = "Cannot look at " + absolutePath + ": " + status.reason;
        return false;
    }
    const bool bRegular = status.regularFile;
    if (bRegular) {
        std::string reason;
        std::unique_ptr<IReadableFile> file = OpenInputFile(absolutePath, reason);
        if (!file || !CountTickers(*file, job.layout, columns, reason))
            return true;  // the run reports what it cannot read
    }
    if (columns.count <= 1)
        return true;
    problem = request.input + " holds " + (bRegular ? "" : "at least ") + std::to_string(columns.count) +
              " securities: " + TickerList(columns) + "; convert them with batch";
    return false;
}

int RunConvert(ConvertRequest& request, const Given& given, std::ostream& out, std::ostream& err)
{
    CErrorLineSink messages(err);
    std::string problem;
    ConversionSettings settings;
    int nDateFormat = 0;
    // Without detect the options are checked before the input is opened.
    if ((!request.detect && !ValidateRequest(request, settings, nDateFormat, problem)) ||
        !CheckTickerOptions(request, problem)) {
        Complain(err, problem);
        return 2;
    }
    // Detection and the look for a ticker column read the head of the input through the handle that the
    // run then reads from the start.
    std::string absolutePath;
    std::unique_ptr<IReadableFile> file = OpenInput(request.input, messages, absolutePath);
    if (!file)
        return 1;
    auto input = std::make_unique<CReplayedInput>(std::move(file));
    if (request.detect) {
        if (!FillFromDetection(DetectLayout(*input, absolutePath), given, request, problem)) {
            Complain(err, problem);
            return 1;
        }
        if (!ValidateRequest(request, settings, nDateFormat, problem)) {
            Complain(err, problem);
            return 2;
        }
    } else {
        CLineSource source(input.get());
        std::string_view line;
        for (int n = 0; n < kDetectedLines && source.NextLine(line); ++n) {
        }
    }
    input->Rewind();
    CNoSettingsWriter noSettings;
    CSystemToday today;
    ConversionJob job = MakeConversionJob(settings, nDateFormat, request.input);
    if (!OneSecurity(request, job, *input, problem)) {
        Complain(err, problem);
        return 1;
    }
    job.syncToDisk = !request.noSync;
    job.update = request.update;
    job.makeXmaster = request.xmaster;
    // Options or defaults that do not fit the file's first data row refuse the run, which then names the
    // options that detection finds in the lines it read.
    job.layout.refuseMisfit = !request.detect;
    CConverter converter({messages, noSettings, today}, std::move(job));
    converter.UseInput(std::move(input));
    const ConversionResult result = converter.Run();
    if (result.status != 0) {
        const DetectedLayout layout =
            result.misfitLines.empty() ? DetectedLayout{} : DetectLayoutInLines(result.misfitLines);
        if (layout.found)
            messages.ShowMessage("detect finds: " + LayoutOptionsLine(layout));
        return 1;
    }
    if (!result.skippedRows.empty())
        out << "Skipped: " << result.skippedRows << '\n';
    out << RunSummary(result) << '\n';
    out.flush();
    if (!out) {
        Complain(err, "the summary line could not be written to standard output; the security was added");
        return 1;
    }
    return 0;
}

}  // namespace

Command ConvertCommand()
{
    auto request = std::make_shared<ConvertRequest>();
    Command command{"convert",
                    "Adds one security to a MetaStock directory (MASTER, F<n>.DAT, F<n>.DOP) from a price text file",
                    {{"INPUT", &request->input, "The price text file to convert", true},
                     {"--dir", &request->dir, "The MetaStock directory that receives the security (required)", true},
                     {"--symbol", &request->symbol,
                      "Symbol of the new security, 1 to " + std::to_string(kMaxSymbolLength) +
                          " characters, stored in upper case (required)",
                      true},
                     {"--name", &request->name,
                      "Name of the new security, at most " + std::to_string(kMaxNameLength) +
                          " characters (default: empty)"}},
                    [request](const Given& given, std::ostream& out, std::ostream& err) {
                        return RunConvert(*request, given, out, err);
                    }};
    for (Option& option : InputOptions(*request))
        command.options.push_back(std::move(option));
    for (Option& option : TickerOptions(*request))
        command.options.push_back(std::move(option));
    command.options.push_back({"--master", &request->master,
                               "existing: add to the directory's MASTER; new: create MASTER, which must not exist yet; "
                               "auto: existing when the directory has a MASTER, else new (default: auto)",
                               false,
                               {"existing", "new", "auto"}});
    command.options.push_back({"--detect", &request->detect,
                               "Take the delimiter, date format, skip and columns that are not given from the file "
                               "itself (see detect)"});
    command.options.push_back({"--update", &request->update,
                               "When the directory holds the symbol, append the rows dated after its last date (and time, for "
                               "intraday bars; the file must hold bars of the security's time frame, and the "
                               "fields must be the security's); else add it"});
    command.options.push_back({"--xmaster", &request->xmaster,
                               "When the directory's MASTER is full, add the security to its XMASTER (made when "
                               "missing) with the data file F<n>.MWD, as charting programs do; a directory that has an "
                               "XMASTER takes it there anyway"});
    command.options.push_back({"--no-sync", &request->noSync,
                               "Skip the flushes to disk, for scratch output: a power loss may then leave the new "
                               "files incomplete although MASTER names them. The directory's lock, the temporary files "
                               "and the commit journal stay"});
    return command;
}

}  // namespace cli
