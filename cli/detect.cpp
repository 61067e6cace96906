// quoteforge-cli detect FILE: what the file looks like, and the convert options that read it.

#include <memory>

#include "cli/command.h"
#include "cli/convert_request.h"
#include "cli/output.h"
#include "engine/input/layout_detection.h"

namespace cli {

using namespace engine;

namespace {

int RunDetect(const std::string& strInput, std::ostream& out, std::ostream& err)
{
    const DetectedLayout layout = DetectLayout(strInput);
    if (!layout.found || layout.intraday) {
        Complain(err, layout.intraday ? WithFlagNames(layout.problem) : DetectionProblem(layout));
        return 1;
    }
    out << DescribeLayout(layout) << '\n' << LayoutOptionsLine(layout) << '\n';
    return 0;
}

}  // namespace

Command DetectCommand()
{
    auto input = std::make_shared<std::string>();
    return {"detect",
            "Finds the delimiter, heading rows, date format and columns of a price text file and prints them as "
            "options for convert",
            {{"FILE", input.get(), "The price text file", true}},
            [input](const Given&, std::ostream& out, std::ostream& err) { return RunDetect(*input, out, err); }};
}

}  // namespace cli
