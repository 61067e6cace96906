#pragma once
// How the log words a run's outcome: one line per thing said, each indented under the outcome.

#include <string>

namespace desktop {

// The lines of a message as one sentence sequence: each line that does not end in a mark of its own
// gets a full stop, so that "... is not a number" and "Nothing was converted." do not run together.
std::string OneLine(const std::string& text);

// "\r\n" and the outcome, then each of the lines of details on a line of its own, indented by four
// blanks (the lines of a list under a heading by eight).
std::string LogEntry(const std::string& outcome, const std::string& details);
std::string LogList(const std::string& heading, const std::string& lines);

}  // namespace desktop
