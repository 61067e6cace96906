#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

#include <unistd.h>

// A report of undefined behaviour ends the run like any other fault, so that the fuzzer keeps the input.
extern "C" const char* __ubsan_default_options()
{
    return "halt_on_error=1:print_stacktrace=1";
}

namespace {

class CScratchDir {
public:
    CScratchDir()
    {
        std::string pattern = (Base() / "quoteforge-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("quoteforge fuzz: cannot create a scratch directory");
            std::abort();
        }
        m_path = pattern;
    }
    ~CScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CScratchDir(const CScratchDir&) = delete;
    CScratchDir& operator=(const CScratchDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    static std::filesystem::path Base()
    {
        std::error_code error;
        if (!std::getenv("TMPDIR") && std::filesystem::is_directory("/dev/shm", error))
            return "/dev/shm";
        return std::filesystem::temp_directory_path();
    }

    std::filesystem::path m_path;
};

}  // namespace

const std::filesystem::path& ScratchDir()
{
    static const CScratchDir scratch;
    return scratch.Path();
}

void WriteFileBytes(const std::filesystem::path& path, std::string_view head, std::string_view tail)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const bool written = file && std::fwrite(head.data(), 1, head.size(), file) == head.size() &&
                         std::fwrite(tail.data(), 1, tail.size(), file) == tail.size();
    if (!file || std::fclose(file) != 0 || !written) {
        std::perror(("quoteforge fuzz: cannot write " + path.string()).c_str());
        std::abort();
    }
}

void FuzzFailure(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}
