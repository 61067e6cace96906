#include "desktop/output_directory.h"

#include <vector>

#include "engine/directory/directory_commit.h"
#include "engine/text/code_page.h"
#include "metastock/day_number.h"
#include "metastock/directory_reader.h"
#include "metastock/file_system.h"
#include "metastock/path_text.h"

namespace desktop {

DirectoryState LookAtDirectory(const std::string& directory)
{
    DirectoryState state;
    metastock::IFileSystem& files = metastock::CurrentFileSystem();
    const auto path = metastock::PathFromText(directory);
    const metastock::PathStatus status = files.Exists(path);
    if (status.existence == metastock::Existence::kNo)
        return state;
    if (status.existence == metastock::Existence::kError) {
        state.state = EDirectoryState::Unreadable;
        state.reason = status.reason;
        return state;
    }
    if (status.regularFile) {
        state.state = EDirectoryState::File;
        return state;
    }
    std::vector<std::filesystem::path> names;
    if (!files.List(path, names, state.reason)) {
        state.state = EDirectoryState::Unreadable;
        return state;
    }
    const engine::MasterPresence master = engine::FindMaster(path, names);
    if (master.existence == metastock::Existence::kError) {
        state.state = EDirectoryState::Unreadable;
        state.reason = master.problem;
        return state;
    }
    state.state = EDirectoryState::Directory;
    state.master = master.existence == metastock::Existence::kYes;
    return state;
}

std::string HeldLastDate(const std::string& directory, const std::string& symbol)
{
    metastock::DirectoryContents contents;
    std::string error;
    std::string stored;
    std::string bad;
    if (!engine::Utf8ToWindows1252(symbol, stored, bad) ||
        !metastock::ReadDirectory(metastock::PathFromText(directory), contents, error))
        return {};
    const metastock::SecurityEntry* security = metastock::FindSecurity(contents, stored);
    if (!security)
        return {};
    const int last = security->entry.lastDate;
    return last > 0 ? metastock::IsoDateText(last) : std::string("its last date");
}

bool MakeOutputDirectory(const std::string& directory, std::string& reason)
{
    return metastock::CurrentFileSystem().MakeDirectory(metastock::PathFromText(directory), reason);
}

}  // namespace desktop
