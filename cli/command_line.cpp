#include "cli/command_line.h"

#include <CLI/CLI.hpp>

#include "cli/batch.h"
#include "cli/commands.h"
#include "cli/subcommand.h"
#include "quoteforge_version.h"

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    CLI::App app{"Converts daily price text files into MetaStock directories.", "quoteforge-cli"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "quoteforge-cli " QUOTEFORGE_VERSION);
    CConvertRequest request;
    CLI::App* convert = AddConvertCommand(app, request);
    std::string strDetectInput;
    CLI::App* detect = AddDetectCommand(app, strDetectInput);
    const CSubcommand toolkit[] = {AddListCommand(app), AddExportCommand(app), AddCheckCommand(app), AddRemoveCommand(app)};
    CBatchRequest batchRequest;
    CLI::App* batch = AddBatchCommand(app, batchRequest);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error, out, err) == 0 ? 0 : 2;
    }
    if (detect->parsed())
        return RunDetect(strDetectInput, out, err);
    for (const CSubcommand& command : toolkit)
        if (command.pCommand->parsed())
            return command.run(out, err);
    if (batch->parsed())
        return RunBatch(*batch, batchRequest, out, err);
    return RunConvert(*convert, request, out, err);
}
