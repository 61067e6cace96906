#include "win32/text.h"

#include <windows.h>

#include "desktop/file_types.h"

namespace win32 {

std::wstring Wide(const std::string& text)
{
    if (text.empty())
        return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr, nullptr);
    return narrow;
}

std::wstring FileText(const std::string& bytes)
{
    if (bytes.empty())
        return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    const UINT codePage = length > 0 ? CP_UTF8 : 1252;
    const int wideLength = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), wideLength);
    return wide;
}

std::wstring PriceFileFilter()
{
    std::wstring filter;
    for (const desktop::FileType& type : desktop::PriceFileTypes()) {
        std::string patterns;
        for (const std::string& pattern : type.patterns)
            patterns += (patterns.empty() ? "" : ";") + pattern;
        filter += Wide(type.caption) + L'\0' + Wide(patterns) + L'\0';
    }
    return filter + L'\0';
}

}  // namespace win32
