#pragma once
// The subcommands of quoteforge-cli. Each adds its options to the program's parser and, once the
// command line is parsed, runs and returns the exit status: 0 done, 1 failed, 2 usage error.

#include <ostream>
#include <string>

#include "cli/convert_request.h"

namespace CLI {
class App;
}

CLI::App* AddConvertCommand(CLI::App& app, CConvertRequest& request);
int RunConvert(const CLI::App& command, CConvertRequest& request, std::ostream& out, std::ostream& err);

CLI::App* AddDetectCommand(CLI::App& app, std::string& strInput);
int RunDetect(const std::string& strInput, std::ostream& out, std::ostream& err);
