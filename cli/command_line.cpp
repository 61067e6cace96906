#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <string>
#include <vector>

#include "cli/command.h"
#include "quoteforge_version.h"

namespace cli {

namespace {

constexpr const char* kProgram = "quoteforge-cli";

void AddOption(CLI::App& command, const Option& option)
{
    CLI::Option* added = std::visit(
        [&](auto* target) -> CLI::Option* {
            if constexpr (std::is_same_v<decltype(target), bool*>)
                return command.add_flag(option.names, *target, option.help);
            else
                return command.add_option(option.names, *target, option.help);
        },
        option.target);
    if (option.required)
        added->required();
    if (!option.choices.empty())
        added->check(CLI::IsMember(option.choices));
    if (option.maxValues > 0)
        added->expected(option.minValues, option.maxValues);
}

bool IsCommandName(const std::vector<Command>& commands, std::string_view word)
{
    return std::any_of(commands.begin(), commands.end(), [&](const Command& c) { return c.name == word; });
}

}  // namespace

void Complain(std::ostream& err, std::string_view text)
{
    err << kProgram << ": " << text << '\n';
}

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    const std::vector<Command> commands = {ConvertCommand(), DetectCommand(), ListCommand(),  ExportCommand(),
                                           CheckCommand(),   RemoveCommand(), BatchCommand()};
    // The first word that is not an option names the command.
    if (argc > 1 && argv[1][0] != '-' && std::string_view(argv[1]) != "/?" && !IsCommandName(commands, argv[1])) {
        Complain(err, std::string("Unknown command '") + argv[1] + "'");
        return 2;
    }

    CLI::App app{"Converts daily price text files into MetaStock directories.", kProgram};
    // "/data/charts" is a directory, never an option; "/?" still asks for help.
    app.allow_windows_style_options(false);
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string(kProgram) + " " QUOTEFORGE_VERSION);
    std::vector<CLI::App*> parsers;
    for (const Command& command : commands) {
        CLI::App* parser = app.add_subcommand(command.name, command.description);
        parser->option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);  // the last one given wins
        for (const Option& option : command.options)
            AddOption(*parser, option);
        parsers.push_back(parser);
    }
    std::vector<std::string> args;
    for (int i = argc - 1; i > 0; --i)  // CLI11 takes them in reverse order
        args.emplace_back(std::string_view(argv[i]) == "/?" ? "--help" : argv[i]);
    try {
        app.parse(args);
    } catch (const CLI::ParseError& error) {
        return app.exit(error, out, err) == 0 ? 0 : 2;
    }
    for (std::size_t i = 0; i < commands.size(); ++i)
        if (parsers[i]->parsed()) {
            const CLI::App& parser = *parsers[i];
            return commands[i].run([&parser](const std::string& option) { return parser.count(option) > 0; }, out, err);
        }
    return 2;
}

}  // namespace cli
