#pragma once
// The shape of every subcommand of quoteforge-cli: its name, its options as a table, and what runs it once
// the command line is parsed. Only the command line's parser (command_line.cpp) knows the parsing library.

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace cli {

// Where a parsed value goes: text, a list of texts, a number, or a flag that is set when given.
using OptionTarget = std::variant<std::string*, std::vector<std::string>*, int*, bool*>;

// One option ("--skip", "-o,--output") or positional argument ("INPUT") of a command.
struct Option {
    Option(std::string names_, OptionTarget target_, std::string help_, bool required_ = false,
           std::vector<std::string> choices_ = {}, int minValues_ = 0, int maxValues_ = 0)
        : names(std::move(names_)), target(target_), help(std::move(help_)), required(required_),
          choices(std::move(choices_)), minValues(minValues_), maxValues(maxValues_)
    {
    }

    std::string names;
    OptionTarget target;
    std::string help;
    bool required = false;
    std::vector<std::string> choices;  // the values allowed; empty: any
    int minValues = 0;                 // of a list given as an option: how many values it takes (0: any)
    int maxValues = 0;
};

// Whether an option was given on the command line, by its long name ("--skip").
using Given = std::function<bool(const std::string& option)>;

struct Command {
    std::string name;
    std::string description;
    std::vector<Option> options;
    // Runs once the options are parsed: 0 done, 1 failed, 2 usage error.
    std::function<int(const Given& given, std::ostream& out, std::ostream& err)> run;
};

Command ConvertCommand();
Command DetectCommand();
Command BatchCommand();
Command ListCommand();
Command ExportCommand();
Command CheckCommand();
Command RemoveCommand();

// Writes one line of the program's own to standard error: "quoteforge-cli: " and the text.
void Complain(std::ostream& err, std::string_view text);

}  // namespace cli
