#include "fuzz_support.h"

#include "support/temp_dir.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

// A report of undefined behaviour ends the run like any other fault, so that the fuzzer keeps the input.
extern "C" const char* __ubsan_default_options()
{
    return "halt_on_error=1:print_stacktrace=1";
}

namespace {

// In memory where there is such a file system, since every input writes a file or two.
std::filesystem::path ScratchBase()
{
    std::error_code error;
    if (!std::getenv("TMPDIR") && std::filesystem::is_directory("/dev/shm", error))
        return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

}  // namespace

const std::filesystem::path& ScratchDir()
{
    static const CTempDir scratch(ScratchBase());
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
