// quoteforge-cli remove: takes a security out of a directory.

#include <memory>

#include "cli/subcommand.h"
#include "engine/remove_security.h"
#include "metastock/path_text.h"

namespace {

struct CRemoveRequest {
    std::string strDir;
    std::string strSymbol;
};

int RunRemove(const CRemoveRequest& request, std::ostream& out, std::ostream& err)
{
    CErrorLineSink messages(err);
    std::string removedFile;
    const int status = engine::RemoveSecurity(metastock::PathFromText(request.strDir), request.strSymbol, messages, removedFile);
    if (!removedFile.empty())
        out << request.strSymbol << ": removed, with " << removedFile << '\n';
    return status == 0 ? 0 : 1;
}

}  // namespace

CSubcommand AddRemoveCommand(CLI::App& app)
{
    auto request = std::make_shared<CRemoveRequest>();
    CLI::App* command = app.add_subcommand(
        "remove", "Takes a security out of a MetaStock directory (the old MASTER is kept as MASTER.BAK) and deletes "
                  "its data files; its file number becomes free");
    command->add_option("DIR", request->strDir, "The MetaStock directory")->required();
    command->add_option("SYMBOL", request->strSymbol, "The security's symbol")->required();
    return {command, [request](std::ostream& out, std::ostream& err) { return RunRemove(*request, out, err); }};
}
