#pragma once

#include <ostream>

namespace cli {

// Runs `quoteforge-cli` with its arguments; returns the exit status: 0 when the command succeeded, 1 when it
// failed, 2 for a usage error (nothing written then).
int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace cli
