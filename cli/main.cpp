#include <iostream>

#include "cli/command_line.h"

#ifdef _WIN32
#include <windows.h>

#include <string>
#include <vector>

// The console shows what the program writes as UTF-8 while it runs, so that "Müller" prints as such;
// the console's own code page comes back when it ends. Output is flushed first, while UTF-8 holds.
class CUtf8Console {
public:
    CUtf8Console() : m_uPrevious(GetConsoleOutputCP())
    {
        if (m_uPrevious != 0)
            SetConsoleOutputCP(CP_UTF8);
    }
    ~CUtf8Console()
    {
        std::cout.flush();
        std::cerr.flush();
        if (m_uPrevious != 0)
            SetConsoleOutputCP(m_uPrevious);
    }
    CUtf8Console(const CUtf8Console&) = delete;
    CUtf8Console& operator=(const CUtf8Console&) = delete;

private:
    UINT m_uPrevious;  // 0 without a console
};

// Windows hands the arguments over as UTF-16; the rest of the program takes paths as UTF-8.
int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(size > 0 ? size - 1 : 0, '\0');
        if (size > 1)
            WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, arg.data(), size, nullptr, nullptr);
        args.push_back(arg);
    }
    std::vector<const char*> pointers;
    for (const std::string& arg : args)
        pointers.push_back(arg.c_str());
    std::ios::sync_with_stdio(false);
    const CUtf8Console console;
    return RunCommandLine(argc, pointers.data(), std::cout, std::cerr);
}
#else
int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    return RunCommandLine(argc, argv, std::cout, std::cerr);
}
#endif
