#pragma once
// Text without the white space around it, white space as the C library's isspace sees it in the "C"
// locale: blank, tab, line feed, vertical tab, form feed and carriage return. Bytes of 0x80 and above
// are never white space, so UTF-8 and Windows-1252 text trim alike.

#include <string>
#include <string_view>

namespace engine {

bool IsCSpace(char c);

// Without white space at either end.
std::string Trimmed(std::string_view text);

// Without white space at the end.
std::string TrimmedRight(std::string_view text);

}  // namespace engine
