// Prints the product version that a Windows program's version resource holds, as Explorer reads it.
// Usage: version_of PROGRAM.exe
#include <windows.h>

#include <cstdio>
#include <vector>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: version_of PROGRAM.exe\n");
        return 2;
    }
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(argv[1], &handle);
    std::vector<char> info(size);
    if (size == 0 || !GetFileVersionInfoW(argv[1], 0, size, info.data())) {
        std::fprintf(stderr, "no version resource in %ls\n", argv[1]);
        return 1;
    }
    wchar_t* version = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\ProductVersion",
                        reinterpret_cast<void**>(&version), &length) || length == 0) {
        std::fprintf(stderr, "no ProductVersion in %ls\n", argv[1]);
        return 1;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    if (!VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr) {
        std::fprintf(stderr, "no fixed version in %ls\n", argv[1]);
        return 1;
    }
    std::printf("%ls %lu.%lu\n", version, static_cast<unsigned long>(HIWORD(fixed->dwProductVersionMS)),
                static_cast<unsigned long>(LOWORD(fixed->dwProductVersionMS)));
    return 0;
}
