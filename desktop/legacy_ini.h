#pragma once
// The legacy INI file "Quoteforge.INI" that older versions kept their settings in, read as those versions
// read it: as a text stream (CR LF one line end, Ctrl-Z the end of the text), at most kIniReadLength
// characters per read, each piece trimmed of C white space at both ends. A line that is one bracketed
// name starts a section; in a section, the text before the first "=" is a name and the text after it its
// value, blanks around the "=" included. Every front end imports these entries once into its own store.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace desktop {

inline constexpr char kLegacyIniFileName[] = "Quoteforge.INI";

// One read of the file takes at most this many characters; the rest of a longer line is read as a line
// of its own.
inline constexpr std::size_t kIniReadLength = 519;

struct IniEntry {
    std::string section;  // UTF-8, trimmed
    std::string name;     // UTF-8, as it stands before the "="
    std::string value;    // UTF-8, as it stands after the "="
};

// Turns the bytes of one read into UTF-8 text: each front end knows the code page of its platform's
// old files.
using IniDecoder = std::function<std::string(std::string_view bytes)>;

// The entries of the file's contents in file order. A name=value line before the first section header has
// no section to go to and is dropped, as is every line without "=".
std::vector<IniEntry> ParseLegacyIni(std::string_view contents, const IniDecoder& decode);

// UTF-8 text as it stands; other bytes as the Windows-1252 text they were written in.
std::string DecodeLegacyText(std::string_view bytes);

// Reads the file at the UTF-8 path into entries; false when there is none or it cannot be read. A file in
// the same folder whose name differs only in the case of its ASCII letters is taken when the name itself
// is not there: legacy INI files often carry upper-case names, and on Windows the case never mattered.
bool ReadLegacyIni(const std::string& path, const IniDecoder& decode, std::vector<IniEntry>& entries);

}  // namespace desktop
