#include "metastock/directory_names.h"

#include <algorithm>

namespace metastock {

namespace {

const char* const kTemporarySuffix = ".~NU";

bool IsDataFileNumber(std::string_view digits)
{
    return !digits.empty() && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// F<n> followed by extension, in upper case.
bool IsNumberedName(std::string_view upper, std::string_view extension)
{
    return upper.size() > extension.size() + 1 && upper[0] == 'F' && upper.ends_with(extension) &&
           IsDataFileNumber(upper.substr(1, upper.size() - extension.size() - 1));
}

}  // namespace

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string UpperAscii(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        c = AsciiUpper(c);
    return upper;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiUpper(x) == AsciiUpper(y); });
}

std::string ComparedSymbol(std::string_view symbol)
{
    while (!symbol.empty() && (symbol.back() == ' ' || symbol.back() == '\0'))
        symbol.remove_suffix(1);
    return UpperAscii(symbol);
}

bool SameSymbol(std::string_view a, std::string_view b)
{
    return ComparedSymbol(a) == ComparedSymbol(b);
}

std::string TemporaryName(std::string_view name)
{
    const std::string upper = UpperAscii(name);
    if (IsNumberedName(upper, ".DAT") || IsNumberedName(upper, ".MWD"))
        return std::string(name.substr(0, name.size() - 4)) + ".NEW";
    return std::string(name) + kTemporarySuffix;
}

bool IsTemporaryName(std::string_view name)
{
    const std::string upper = UpperAscii(name);
    if (upper == "MASTER.NEW" || IsNumberedName(upper, ".NEW") || IsNumberedName(upper, ".DOP.~NU"))
        return true;
    for (const char* szIndex : {"MASTER", "MASTER.BAK", "EMASTER", "XMASTER", "QFCOMMIT.JNL"})
        if (upper == std::string(szIndex) + kTemporarySuffix)
            return true;
    return false;
}

}  // namespace metastock
