#pragma once

#include <ostream>

// Runs `quoteforge-cli` with its arguments; returns the exit status: 0 when the conversion succeeded,
// 1 when the run failed, 2 for a usage error (nothing written then).
int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
