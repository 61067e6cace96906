#pragma once
// The program holds its text as UTF-8; the Windows calls take UTF-16. These convert at that edge.

#include <string>

namespace win32 {

std::wstring Wide(const std::string& text);
std::string Utf8(const std::wstring& text);
// A file's line as the log shows it: UTF-8 when it reads as such, else the Windows-1252 bytes it then is.
std::wstring FileText(const std::string& bytes);
// The file-type filter of an Open dialog for price files: caption, patterns, ... and a final NUL.
std::wstring PriceFileFilter();

}  // namespace win32
