#include "engine/remove_security.h"

#include <algorithm>

#include "engine/directory_commit.h"
#include "metastock/file_names.h"
#include "metastock/file_system.h"

namespace engine {

using namespace metastock;

namespace {

bool SameSymbol(std::string_view a, std::string_view b)
{
    auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
    while (!a.empty() && a.back() == ' ')
        a.remove_suffix(1);
    while (!b.empty() && b.back() == ' ')
        b.remove_suffix(1);
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return upper(x) == upper(y); });
}

void CountDown(MasterRecord& header, std::size_t offset)
{
    const std::int16_t value = ReadInt16(&header[offset]);
    WriteInt16(&header[offset], static_cast<std::int16_t>(std::max(0, value - 1)));
}

int StageEmasterWithout(CDirectoryCommit& commit, int nFileNumber,
                        IMessageSink& messages)
{
    if (!commit.Extras().bHasEmaster)
        return 0;
    // EMASTER as read under the lock: nothing else changes it until the commit.
    const std::filesystem::path path = commit.Extras().emaster.path;
    std::vector<std::uint8_t> bytes = commit.Extras().emaster.bytes;
    if (!RemoveEmasterRecord(bytes, nFileNumber))
        return 0;
    CReplacementFile* staged = commit.StageFile(path.filename().string(), path.filename().string() + ".~NU");
    if (!staged)
        return 1;
    if (!staged->Write(bytes.data(), bytes.size())) {
        messages.ShowMessage(staged->Error());
        return 1;
    }
    return 0;
}

}  // namespace

int RemoveSecurity(const std::filesystem::path& directory, std::string_view symbol, IMessageSink& messages,
                   std::string& removedFile)
{
    CDirectoryCommit commit(messages, true);
    if (commit.Lock(directory) != 0)
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
    if (held == master.records.end()) {
        messages.ShowMessage("Symbol " + std::string(symbol) + " is not in " + directory.string() +
                             (commit.ExtraIndexesHold(symbol) ? " (only its XMASTER or EMASTER lists it, and those "
                                                                 "are not changed here)"
                                                              : ""));
        return 1;
    }
    // Either the count or the records could be the wrong one: taking one out would make it worse.
    if (!master.CountAgrees()) {
        messages.ShowMessage(commit.MasterPath().string() + " counts " + std::to_string(master.nCount) +
                             " securities in its header but holds " + std::to_string(master.nWholeRecords) +
                             " records.\nNothing was removed; check the directory first.");
        return 1;
    }
    const int fileNumber = (*held)[master_offset::kFileNumber];
    if (commit.StageBackup() != 0)
        return 1;
    master.records.erase(held);
    master.nCount = static_cast<int>(master.records.size());
    master.nWholeRecords = master.records.size();
    CountDown(master.header, master_offset::kRecordCount);
    CountDown(master.header, master_offset::kFileCounter);
    // When the directory could not be flushed after the commit, the old MASTER may come back after a power
    // loss: the security's files stay for it, and the next conversion that takes the number replaces them.
    if (StageEmasterWithout(commit, fileNumber, messages) != 0 ||
        commit.Commit("The security " + std::string(symbol) + " was removed from") != 0)
        return 1;

    // Only once MASTER no longer lists them do the security's files go.
    removedFile = DataFileName(fileNumber);
    int status = 0;
    for (const std::string& name : {DataFileName(fileNumber), ColumnListName(fileNumber)}) {
        const std::filesystem::path path = commit.EntryPath(name);
        if (!CurrentFileSystem().Remove(path)) {
            messages.ShowMessage("MASTER no longer lists " + std::string(symbol) + ", but " + path.string() +
                                 " could not be deleted");
            status = 1;
        }
    }
    return status;
}

}  // namespace engine
