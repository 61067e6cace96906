#pragma once
// Paths travel through the program as UTF-8 text. On Windows std::filesystem::path holds UTF-16, and
// building one from a narrow string does not read it as UTF-8: text becomes a path, and a path text,
// through these functions.

#include <filesystem>
#include <string>
#include <string_view>

namespace metastock {

std::filesystem::path PathFromText(std::string_view utf8);

// The reverse: a path as UTF-8 text (path::string() gives the ANSI code page on Windows).
std::string TextFromPath(const std::filesystem::path& path);

}  // namespace metastock
