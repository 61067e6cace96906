// quoteforge-cli check: one line per problem of a directory, then a summary; nothing is changed.

#include <memory>

#include "cli/command.h"
#include "cli/output.h"
#include "engine/directory/directory_check.h"
#include "metastock/path_text.h"

namespace cli {

namespace {

int RunCheck(const std::string& directory, std::ostream& out)
{
    const engine::DirectoryReport report = engine::CheckDirectory(metastock::PathFromText(directory));
    for (const std::string& problem : report.problems)
        out << OneLine(problem) << '\n';
    const std::size_t n = report.problems.size();
    out << directory << ": " << report.securities << (report.securities == 1 ? " security, " : " securities, ") << n
        << (n == 1 ? " problem" : " problems") << '\n';
    return n == 0 ? 0 : 1;
}

}  // namespace

Command CheckCommand()
{
    auto directory = std::make_shared<std::string>();
    return {"check",
            "Verifies a MetaStock directory and prints one line per problem; changes nothing (exit 1 when a problem "
            "is found)",
            {{"DIR", directory.get(), "The MetaStock directory", true}},
            [directory](const Given&, std::ostream& out, std::ostream&) { return RunCheck(*directory, out); }};
}

}  // namespace cli
