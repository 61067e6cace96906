#include "metastock/file_system.h"

#include <atomic>
#include <system_error>

namespace metastock {

namespace {

std::atomic<IFileSystem*> g_pInstalled{nullptr};

}  // namespace

bool IFileSystem::CreateDirectory(const std::filesystem::path& directory, std::string& reason)
{
    std::error_code error;
    std::filesystem::create_directory(directory, error);
    if (!error && std::filesystem::is_directory(directory, error))
        return true;
    reason = error ? error.message() : "something else has its name";
    return false;
}

bool IFileSystem::MakeDirectory(const std::filesystem::path& directory, std::string& reason)
{
    std::vector<std::filesystem::path> missing;  // innermost first
    for (std::filesystem::path at = directory; !at.empty(); at = at.parent_path()) {
        const PathStatus status = Exists(at);
        if (status.existence == Existence::kError) {
            reason = status.reason;
            return false;
        }
        if (status.existence == Existence::kYes)
            break;
        missing.push_back(at);
        if (at == at.parent_path())
            break;
    }
    if (missing.empty())  // what stands there may still be no directory: CreateDirectory says
        return CreateDirectory(directory, reason);
    for (auto at = missing.rbegin(); at != missing.rend(); ++at)
        if (!CreateDirectory(*at, reason))
            return false;
    return true;
}

IFileSystem& CurrentFileSystem()
{
    IFileSystem* installed = g_pInstalled.load();
    return installed ? *installed : PlatformFileSystem();
}

void InstallFileSystem(IFileSystem* fileSystem)
{
    g_pInstalled.store(fileSystem);
}

}  // namespace metastock
