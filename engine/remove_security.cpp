#include "engine/remove_security.h"

#include <algorithm>

#include "engine/code_page.h"
#include "engine/directory_commit.h"
#include "metastock/file_names.h"
#include "metastock/file_system.h"
#include "metastock/directory_names.h"

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
    MasterFile& master = commit.Master();
    const auto held = std::find_if(master.records.begin(), master.records.end(), [&](const MasterRecord& record) {
        return !IsDirectoryEntry(record) &&
               SameSymbol(IndexText(&record[master_offset::kSymbol], master_offset::kSymbolWidth), symbol);
    });
    int fileNumber = 0;
    if (held != master.records.end()) {
        // Either the count or the records could be the wrong one: taking one out would make it worse.
        if (!master.CountAgrees()) {
            messages.ShowMessage(commit.MasterPath().string() + " counts " + std::to_string(master.nCount) +
                                 " securities in its header but holds " + std::to_string(master.nWholeRecords) +
                                 " records.\nNothing was removed; check the directory first.");
            return 1;
        }
        fileNumber = (*held)[master_offset::kFileNumber];
        // Deleting a data file that another listed security still reads would lose that security's data.
        for (const MasterRecord& other : master.records)
            if (&other != &*held && !IsDirectoryEntry(other) && other[master_offset::kFileNumber] == fileNumber) {
                auto symbolOf = [](const MasterRecord& record) {
                    return Windows1252ToUtf8(IndexText(&record[master_offset::kSymbol], master_offset::kSymbolWidth));
                };
                messages.ShowMessage(symbolOf(*held) + " shares " + DataFileName(fileNumber) + " with " +
                                     symbolOf(other) + "; run check");
                return 1;
            }
        if (commit.StageBackup() != 0)
            return 1;
        EraseRecord(master, static_cast<std::size_t>(held - master.records.begin()));
        if (std::vector<std::uint8_t>* emaster = commit.StagedEmaster())
            RemoveEmasterRecord(*emaster, fileNumber);
    } else {
        // A security beyond MASTER's 255: its record leaves XMASTER, and F<n>.MWD goes.
        const auto& wide = commit.Extras().xmaster.entries;
        const auto found = std::find_if(wide.begin(), wide.end(),
                                        [&](const IndexEntry& entry) { return SameSymbol(entry.strSymbol, symbol); });
        if (found == wide.end()) {
            messages.ShowMessage("Symbol " + std::string(symbol) + " is not in " + directory.string());
            return 1;
        }
        fileNumber = found->nFileNumber;
        if (commit.StageBackup() != 0)
            return 1;
        RemoveXmasterRecord(*commit.StagedXmaster(), fileNumber);
    }
    // When the directory could not be flushed after the commit, the old MASTER may come back after a power
    // loss: the security's files stay for it, and the next conversion that takes the number replaces them.
    if (commit.Commit("The security " + std::string(symbol) + " was removed from") != 0)
        return 1;

    // Only once MASTER no longer lists them do the security's files go.
    removedFile = DataFileName(fileNumber);
    int status = 0;
    for (const std::string& name : {DataFileName(fileNumber), ColumnListName(fileNumber)}) {
        const std::filesystem::path path = commit.EntryPath(name);
        if (!CurrentFileSystem().Remove(path)) {
            messages.ShowMessage("The index no longer lists " + std::string(symbol) + ", but " + path.string() +
                                 " could not be deleted");
            status = 1;
        }
    }
    return status;
}

}  // namespace engine
