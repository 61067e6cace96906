#include "metastock/file_system.h"

#include <atomic>
#include <system_error>

namespace metastock {

namespace {

std::atomic<IFileSystem*> g_pInstalled{nullptr};

}  // namespace

bool IFileSystem::MakeDirectory(const std::filesystem::path& directory, std::string& reason)
{
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (!error && std::filesystem::is_directory(directory, error))
        return true;
    reason = error ? error.message() : "a file stands under that name";
    return false;
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
