#include "metastock/path_text.h"

#include <string>

namespace metastock {

std::filesystem::path PathFromText(std::string_view utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string TextFromPath(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

std::FILE* OpenFile(std::string_view utf8Path, const char* szMode)
{
#ifdef _WIN32
    const std::wstring mode(szMode, szMode + std::char_traits<char>::length(szMode));
    return ::_wfopen(PathFromText(utf8Path).c_str(), mode.c_str());
#else
    return std::fopen(std::string(utf8Path).c_str(), szMode);
#endif
}

}  // namespace metastock
