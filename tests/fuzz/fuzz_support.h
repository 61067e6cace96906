#pragma once
// What the fuzz targets share: a scratch directory of the process's own, removed when it ends, and a
// check that stops the run (so that libFuzzer keeps the input) when a promise of the code is broken.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

// The scratch directory, created on first use: in TMPDIR if it is set, else in memory (/dev/shm) where
// there is such a file system, since every input writes a file or two.
const std::filesystem::path& ScratchDir();

// Writes head and then tail as the whole contents of the file; stops the run if that fails.
void WriteFileBytes(const std::filesystem::path& path, std::string_view head, std::string_view tail = {});

[[noreturn]] void FuzzFailure(const char* what, const char* file, int line);

#define FUZZ_CHECK(condition)                                    \
    do {                                                         \
        if (!(condition))                                        \
            FuzzFailure(#condition, __FILE__, __LINE__);         \
    } while (false)
