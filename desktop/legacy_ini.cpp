#include "desktop/legacy_ini.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>

#include "engine/text/code_page.h"
#include "metastock/file_system.h"
#include "metastock/path_text.h"

namespace desktop {

namespace {

// White space as the C library's isspace sees it in the "C" locale.
bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view TrimC(std::string_view text)
{
    while (!text.empty() && IsCSpace(text.back()))
        text.remove_suffix(1);
    while (!text.empty() && IsCSpace(text.front()))
        text.remove_prefix(1);
    return text;
}

// The file as a C stream in text mode reads it: CR LF is one line end, and Ctrl-Z ends the text.
std::string TextModeContents(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find('\x1a'));
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n'))
            text += bytes[i];
    return text;
}

// A line that is one bracketed name: its first "[" and first "]" enclose the whole line.
bool IsSectionHeader(std::string_view line)
{
    const std::size_t open = line.find('[');
    const std::size_t close = line.find(']');
    return open != std::string_view::npos && close != std::string_view::npos && close - open + 1 == line.size();
}

bool IsUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        std::uint32_t code = lead;
        if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07u;
        } else if (lead >= 0xE0) {
            length = 3;
            code = lead & 0x0Fu;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1Fu;
        } else if (lead >= 0x80) {
            return false;
        }
        if (lead >= 0xF5 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0u) != 0x80u)
                return false;
            code = (code << 6) | (next & 0x3Fu);
        }
        // Overlong forms, surrogates and numbers beyond Unicode.
        if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

template <typename Char>
bool SameIgnoringAsciiCase(const std::basic_string<Char>& a, const std::basic_string<Char>& b)
{
    const auto lower = [](Char c) { return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](Char x, Char y) { return lower(x) == lower(y); });
}

// The file itself, or one whose name differs only in case; empty when there is none.
std::filesystem::path FindIgnoringCase(const std::filesystem::path& path)
{
    metastock::IFileSystem& fileSystem = metastock::CurrentFileSystem();
    if (fileSystem.Exists(path).existence == metastock::Existence::kYes)
        return path;
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    std::vector<std::filesystem::path> names;
    std::string reason;
    if (!fileSystem.List(folder, names, reason))
        return {};
    for (const std::filesystem::path& name : names)
        if (SameIgnoringAsciiCase(name.native(), path.filename().native()) && fileSystem.Exists(folder / name).regularFile)
            return folder / name;
    return {};
}

}  // namespace

std::vector<IniEntry> ParseLegacyIni(std::string_view contents, const IniDecoder& decode)
{
    const std::string text = TextModeContents(contents);
    std::vector<IniEntry> entries;
    bool bInSection = false;
    std::string section;
    std::size_t start = 0;
    while (start < text.size()) {
        // One read: up to and with the line end, at most kIniReadLength characters.
        const std::size_t newline = text.find('\n', start);
        const std::size_t lineEnd = newline == std::string::npos ? text.size() : newline + 1;
        const std::size_t length = std::min(lineEnd - start, kIniReadLength);
        const std::string decoded = decode(std::string_view(text).substr(start, length));
        start += length;
        const std::string_view line = TrimC(decoded);
        if (IsSectionHeader(line)) {
            section = std::string(TrimC(line.substr(1, line.size() - 2)));
            bInSection = true;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || !bInSection)
            continue;
        entries.push_back({section, std::string(line.substr(0, equals)), std::string(line.substr(equals + 1))});
    }
    return entries;
}

std::string DecodeLegacyText(std::string_view bytes)
{
    return IsUtf8(bytes) ? std::string(bytes) : engine::Windows1252ToUtf8(bytes);
}

bool ReadLegacyIni(const std::string& path, const IniDecoder& decode, std::vector<IniEntry>& entries)
{
    const std::filesystem::path found = FindIgnoringCase(metastock::PathFromText(path));
    std::vector<std::uint8_t> bytes;
    if (found.empty() || !metastock::CurrentFileSystem().ReadWholeFile(found, bytes))
        return false;
    entries = ParseLegacyIni(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), decode);
    return true;
}

}  // namespace desktop
