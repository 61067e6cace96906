// quoteforge-cli detect FILE: what the file looks like, its time frame, and the convert options that read
// it.

#include <memory>

#include "cli/command.h"
#include "cli/convert_request.h"
#include "cli/output.h"
#include "engine/input/layout_detection.h"
#include "engine/input/time_frame.h"
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

int RunDetect(const std::string& strInput, std::ostream& out, std::ostream& err)
{
    const DetectedLayout layout = DetectLayout(strInput);
    if (!layout.found) {
        Complain(err, DetectionProblem(layout));
        return 1;
    }
    out << DescribeLayout(layout) << '\n' << LayoutOptionsLine(layout) << FrameOption(layout) << '\n';
    return 0;
}

}  // namespace

Command DetectCommand()
{
    auto input = std::make_shared<std::string>();
    return {"detect",
            "Finds the delimiter, heading rows, date format, columns and time frame of a price text file and prints "
            "them as options for convert",
            {{"FILE", input.get(), "The price text file", true}},
            [input](const Given&, std::ostream& out, std::ostream& err) { return RunDetect(*input, out, err); }};
}

}  // namespace cli
