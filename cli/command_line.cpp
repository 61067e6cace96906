#include "cli/command_line.h"

#include <CLI/CLI.hpp>

#include "cli/commands.h"

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    CLI::App app{"Converts daily price text files into MetaStock directories.", "quoteforge-cli"};
    app.require_subcommand(1);
    CConvertRequest request;
    CLI::App* convert = AddConvertCommand(app, request);
    std::string strDetectInput;
    CLI::App* detect = AddDetectCommand(app, strDetectInput);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error, out, err) == 0 ? 0 : 2;
    }
    if (detect->parsed())
        return RunDetect(strDetectInput, out, err);
    return RunConvert(*convert, request, out, err);
}
