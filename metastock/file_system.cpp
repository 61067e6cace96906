#include "metastock/file_system.h"

#include <atomic>

namespace metastock {

namespace {

std::atomic<IFileSystem*> g_pInstalled{nullptr};

}  // namespace

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
