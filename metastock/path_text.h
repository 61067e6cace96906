#pragma once
// Paths travel through the program as UTF-8 text. On Windows std::filesystem::path holds UTF-16, and
// building one from a narrow string does not read it as UTF-8, nor does fopen: text becomes a path,
// and a file is opened, through these functions.

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace metastock {

std::filesystem::path PathFromText(std::string_view utf8);

// The reverse: a path as UTF-8 text (path::string() gives the ANSI code page on Windows).
std::string TextFromPath(const std::filesystem::path& path);

// std::fopen for a path given as UTF-8 text (_wfopen on Windows).
std::FILE* OpenFile(std::string_view utf8Path, const char* szMode);

}  // namespace metastock
