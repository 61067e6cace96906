// quoteforge-cli detect FILE: what the file looks like, and the convert options that read it.

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "engine/layout_detection.h"

using namespace engine;

CLI::App* AddDetectCommand(CLI::App& app, std::string& strInput)
{
    CLI::App* detect = app.add_subcommand(
        "detect", "Finds the delimiter, heading rows, date format and columns of a price text file and prints "
                  "them as options for convert");
    detect->add_option("FILE", strInput, "The price text file")->required();
    return detect;
}

int RunDetect(const std::string& strInput, std::ostream& out, std::ostream& err)
{
    const DetectedLayout layout = DetectLayout(strInput);
    if (!layout.bFound) {
        err << "quoteforge-cli: " << layout.strProblem << '\n';
        return 1;
    }
    out << DescribeLayout(layout) << '\n' << LayoutOptionsLine(layout) << '\n';
    return 0;
}
