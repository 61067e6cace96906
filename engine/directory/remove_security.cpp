#include "engine/directory/remove_security.h"

#include <algorithm>

#include "engine/directory/directory_commit.h"
#include "engine/text/code_page.h"
#include "metastock/directory_names.h"
#include "metastock/directory_reader.h"
#include "metastock/file_names.h"

namespace engine {

using namespace metastock;

int RemoveSecurity(const std::filesystem::path& directory, std::string_view symbol, IMessageSink& messages,
                   std::string& removedFile)
{
    CDirectoryCommit commit(messages, true);
    if (commit.Lock(directory, "remove") != 0)
        return 1;
    if (!commit.HasMaster()) {
        messages.ShowMessage("There is no MASTER file in " + directory.string());
        return 1;
    }
    if (commit.ReadIndexes() != 0)
        return 1;
    const std::vector<SecurityEntry> securities = SecuritiesOf(commit.Master(), commit.Extras());
    const auto held = std::find_if(securities.begin(), securities.end(), [&](const SecurityEntry& security) {
        return SameSymbol(security.entry.symbol, symbol);
    });
    const std::string change = "The security " + std::string(symbol) + " was removed from";
    if (held == securities.end() && commit.FinishedChange() == change)
        return 0;  // the retry of a removal that was killed after its commit, and has just been finished
    if (held == securities.end()) {
        messages.ShowMessage("Symbol " + std::string(symbol) + " is not in " + directory.string());
        return 1;
    }
    // Deleting a data file that another listed security still reads would lose that security's data,
    // whichever index lists the other one.
    auto symbolOf = [](const SecurityEntry& security) { return Windows1252ToUtf8(security.entry.symbol); };
    for (const SecurityEntry& other : securities)
        if (&other != &*held && EqualIgnoringCase(other.dataFile, held->dataFile)) {
            messages.ShowMessage(symbolOf(*held) + " shares " + held->dataFile + " with " + symbolOf(other) +
                                 "; run check");
            return 1;
        }

    const int fileNumber = held->entry.fileNumber;
    commit.StageBackup();
    switch (held->entry.kind) {
    case IndexKind::kMaster:
        EraseRecord(commit.Master(), static_cast<std::size_t>(held->masterRecord));
        if (std::vector<std::uint8_t>* emaster = commit.StagedEmaster())
            RemoveEmasterRecord(*emaster, fileNumber);
        break;
    case IndexKind::kEmaster:
        RemoveEmasterRecord(*commit.StagedEmaster(), fileNumber);
        break;
    case IndexKind::kXmaster:
        RemoveXmasterRecord(*commit.StagedXmaster(), fileNumber);
        break;
    }
    // The security's files go in the same commit, after the indexes that no longer list them.
    removedFile = held->dataFile;
    commit.StageRemoval(held->dataFile);
    commit.StageRemoval(ColumnListName(fileNumber));
    return commit.Commit(change);
}

}  // namespace engine
