#include <iostream>

#include "cli/command_line.h"

#ifdef _WIN32
#include <windows.h>

#include <streambuf>
#include <string>
#include <vector>

namespace {

UINT g_uPreviousOutputCP = 0;  // the console's own code page; 0 without a console

// The console reads the bytes written to it as UTF-8 while the program runs, so that "Müller" prints as
// such; the console's own code page comes back when it ends, also when Ctrl+C or closing the window
// ends it. Output is flushed first, while UTF-8 holds.
class CUtf8Console {
public:
    CUtf8Console()
    {
        g_uPreviousOutputCP = GetConsoleOutputCP();
        if (g_uPreviousOutputCP != 0 && SetConsoleOutputCP(CP_UTF8))
            SetConsoleCtrlHandler(RestoreOnBreak, TRUE);
    }
    ~CUtf8Console()
    {
        std::cout.flush();
        std::cerr.flush();
        SetConsoleCtrlHandler(RestoreOnBreak, FALSE);
        Restore();
    }
    CUtf8Console(const CUtf8Console&) = delete;
    CUtf8Console& operator=(const CUtf8Console&) = delete;

private:
    static void Restore()
    {
        if (g_uPreviousOutputCP != 0)
            SetConsoleOutputCP(g_uPreviousOutputCP);
    }
    // Runs on a thread of its own; FALSE lets the system end the program as it would have.
    static BOOL WINAPI RestoreOnBreak(DWORD)
    {
        Restore();
        return FALSE;
    }
};

// Text for a console window is handed to it as UTF-16 characters: the C runtime may otherwise
// translate the UTF-8 bytes through a code page of its own on the way (Wine's does). Output that is
// redirected to a file or a pipe stays the program's UTF-8 bytes and does not come here.
class CConsoleBuffer : public std::streambuf {
public:
    explicit CConsoleBuffer(HANDLE hConsole) : m_hConsole(hConsole) {}

protected:
    std::streamsize xsputn(const char* text, std::streamsize count) override
    {
        m_strPending.append(text, static_cast<std::size_t>(count));
        return Write() ? count : 0;
    }
    int_type overflow(int_type ch) override
    {
        if (traits_type::eq_int_type(ch, traits_type::eof()))
            return sync() == 0 ? traits_type::not_eof(ch) : traits_type::eof();
        const char c = traits_type::to_char_type(ch);
        return xsputn(&c, 1) == 1 ? ch : traits_type::eof();
    }
    int sync() override { return Write() ? 0 : -1; }

private:
    // Writes the whole characters pending; a UTF-8 sequence cut at the end waits for its other bytes.
    bool Write()
    {
        std::size_t nComplete = m_strPending.size();
        for (std::size_t nBack = 1; nBack <= 3 && nBack <= m_strPending.size(); ++nBack) {
            const auto byte = static_cast<unsigned char>(m_strPending[m_strPending.size() - nBack]);
            if ((byte & 0xC0) == 0x80)
                continue;  // a continuation byte: its sequence starts further back
            const std::size_t nLength = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
            if (nLength > nBack)
                nComplete = m_strPending.size() - nBack;
            break;
        }
        if (nComplete == 0)
            return true;
        const int nSize = MultiByteToWideChar(CP_UTF8, 0, m_strPending.data(), static_cast<int>(nComplete), nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(nSize > 0 ? nSize : 0), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, m_strPending.data(), static_cast<int>(nComplete), wide.data(), nSize);
        m_strPending.erase(0, nComplete);
        DWORD written = 0;
        return wide.empty() || WriteConsoleW(m_hConsole, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    }

    HANDLE m_hConsole;
    std::string m_strPending;
};

// The console behind a standard handle, or nullptr when the handle is redirected.
HANDLE ConsoleOf(DWORD nStdHandle)
{
    const HANDLE handle = GetStdHandle(nStdHandle);
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

}  // namespace

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
    const HANDLE hOutConsole = ConsoleOf(STD_OUTPUT_HANDLE);
    const HANDLE hErrConsole = ConsoleOf(STD_ERROR_HANDLE);
    CConsoleBuffer outBuffer(hOutConsole), errBuffer(hErrConsole);
    std::ostream outConsole(&outBuffer), errConsole(&errBuffer);
    return cli::RunCommandLine(argc, pointers.data(), hOutConsole ? outConsole : std::cout,
                          hErrConsole ? errConsole : std::cerr);
}
#else
int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    return cli::RunCommandLine(argc, argv, std::cout, std::cerr);
}
#endif
