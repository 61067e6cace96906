// quoteforge-cli detect FILE: what the file looks like, its time frame, and the convert options that read
// it.

#include <memory>

#include "cli/command.h"
#include "cli/convert_request.h"
#include "cli/output.h"
#include "engine/input/layout_detection.h"
#include "engine/input/ticker_column.h"
#include "engine/input/time_frame.h"
#include "engine/run/converter.h"
#include "metastock/master_format.h"

namespace cli {

using namespace engine;

namespace {

// " --frame weekly" for a frame other than daily; convert finds a daily one from the dates by itself.
std::string FrameOption(const DetectedLayout& layout)
{
    if (layout.frame == FrameChoice::kFromDates || layout.frame == FrameChoice::kDaily)
        return {};
    return std::string(" --frame ") + metastock::TimeFrameWord(StatedFrame(layout.frame));
}

int RunDetect(const ConvertRequest& request, std::ostream& out, std::ostream& err)
{
    const std::string& strInput = request.input;
    std::string problem;
    if (!CheckTickerOptions(request, problem)) {
        Complain(err, problem);
        return 2;
    }
    const DetectedLayout layout = DetectLayout(strInput);
    if (!layout.found) {
        Complain(err, DetectionProblem(layout));
        return 1;
    }
    TickerColumns tickers;
    std::string reason;
    if (!FindFileTickers(AbsoluteInputPath(strInput), DetectedInputLayout(layout), request.tickerCol - 1,
                         request.nameCol - 1, tickers, reason))
        tickers = TickerColumns{};
    // The rows of several securities together show no one time frame: each finds its own.
    DetectedLayout shown = layout;
    if (tickers.count > 1) {
        shown.frame = FrameChoice::kFromDates;
        shown.bars = {};
    }
    out << DescribeLayout(shown) << TickerSentence(tickers) << '\n'
        << LayoutOptionsLine(shown) << FrameOption(shown) << '\n';
    return 0;
}

}  // namespace

Command DetectCommand()
{
    auto request = std::make_shared<ConvertRequest>();
    Command command{"detect",
                    "Finds the delimiter, heading rows, date format, columns and time frame of a price text file and "
                    "prints them as options for convert",
                    {{"FILE", &request->input, "The price text file", true}},
                    [request](const Given&, std::ostream& out, std::ostream& err) { return RunDetect(*request, out, err); }};
    for (Option& option : TickerOptions(*request))
        command.options.push_back(std::move(option));
    return command;
}

}  // namespace cli
