#pragma once
// The options that say how an input file is read (date format, delimiter, skip, columns), shared by
// the commands that convert.

namespace CLI {
class App;
}
struct CConvertRequest;

void AddInputOptions(CLI::App& command, CConvertRequest& request);
