#pragma once
// Runs quoteforge-cli in the test's own process and keeps what it printed.

#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"

struct CliResult {
    int status;
    std::string out;
    std::string err;
};

inline CliResult RunCli(std::vector<std::string> args)
{
    args.insert(args.begin(), "quoteforge-cli");
    std::vector<const char*> argv;
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    std::ostringstream out, err;
    const int status = cli::RunCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
    return {status, out.str(), err.str()};
}
