#pragma once
// Text of the MetaStock files is Windows-1252: symbol and name are stored as its bytes. The program
// itself holds text as UTF-8; these functions convert between the two and give both front ends one
// upper-casing of a symbol.

#include <cstddef>
#include <string>
#include <string_view>

namespace engine {

// The Windows-1252 bytes of a UTF-8 text. False when the text is not well-formed UTF-8 or holds a
// character that Windows-1252 has no byte for; badCharacter then names it (the character itself in
// UTF-8, or "\xNN" for a malformed byte) and cp1252 holds the part converted before it.
bool Utf8ToWindows1252(std::string_view utf8, std::string& cp1252, std::string& badCharacter);

// The UTF-8 text of Windows-1252 bytes. The five bytes that Windows-1252 leaves undefined (81, 8D, 8F,
// 90, 9D) become the control characters of the same number, so that every byte comes back unchanged.
std::string Windows1252ToUtf8(std::string_view cp1252);

// The text with each control character written as \x and two lower-case hexadecimal digits (ESC as
// \x1b): the bytes 00 to 1F and 7F, and the characters U+0080 to U+009F, where the bytes that
// Windows-1252 leaves undefined land. Text read from a damaged index then neither steers a terminal nor
// splits a line. Every other character stays as it is.
std::string EscapeControls(std::string_view utf8);

// The number of characters of a UTF-8 text; a malformed byte counts as one character.
std::size_t CountCharacters(std::string_view utf8);

// The upper case of a symbol in Windows-1252 bytes: a to z, the accented lower-case letters E0 to FE
// except the division sign F7, and the letters s, oe and z with caron and y with diaeresis become their
// upper-case letters. Sharp s and micro sign have none in Windows-1252 and stay, so that the length
// never changes.
std::string UpperCaseSymbol(std::string_view cp1252);

}  // namespace engine
