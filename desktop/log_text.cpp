#include "desktop/log_text.h"

#include <sstream>

namespace desktop {

namespace {

bool EndsSentence(const std::string& line)
{
    return !line.empty() && (line.back() == '.' || line.back() == '!' || line.back() == '?' || line.back() == ':');
}

}  // namespace

std::string OneLine(const std::string& text)
{
    std::istringstream lines(text);
    std::string line;
    std::string joined;
    while (std::getline(lines, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (line.empty())
            continue;
        if (!joined.empty())
            joined += EndsSentence(joined) ? " " : ". ";
        joined += line;
    }
    return joined;
}

std::string LogEntry(const std::string& outcome, const std::string& details)
{
    std::string entry = "\r\n" + outcome;
    if (!details.empty())
        entry += "\r\n    " + details;
    return entry;
}

std::string LogList(const std::string& heading, const std::string& lines)
{
    std::istringstream list(lines);
    std::string line;
    std::string text = "\r\n    " + heading;
    while (std::getline(list, line))
        if (!line.empty())
            text += "\r\n        " + line;
    return text;
}

}  // namespace desktop
