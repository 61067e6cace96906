// quoteforge-cli remove: takes a security out of a directory.

#include <memory>

#include "cli/command.h"
#include "cli/output.h"
#include "engine/directory/remove_security.h"
#include "engine/text/code_page.h"
#include "metastock/path_text.h"

namespace cli {

namespace {

struct RemoveRequest {
    std::string dir;
    std::string symbol;
};

int RunRemove(const RemoveRequest& request, std::ostream& out, std::ostream& err)
{
    CErrorLineSink messages(err);
    std::string removedFile;
    const int status = engine::RemoveSecurity(metastock::PathFromText(request.dir), request.symbol, messages, removedFile);
    if (!removedFile.empty())
        out << engine::EscapeControls(request.symbol) << ": removed, with " << removedFile << '\n';
    return status == 0 ? 0 : 1;
}

}  // namespace

Command RemoveCommand()
{
    auto request = std::make_shared<RemoveRequest>();
    return {"remove",
            "Takes a security out of a MetaStock directory (the old MASTER is kept as MASTER.BAK) and deletes its data "
            "files; its file number becomes free",
            {{"DIR", &request->dir, "The MetaStock directory", true},
             {"SYMBOL", &request->symbol, "The security's symbol", true}},
            [request](const Given&, std::ostream& out, std::ostream& err) { return RunRemove(*request, out, err); }};
}

}  // namespace cli
