#pragma once
// The words of a MetaStock directory that every reader and writer shares: how symbols and file names
// compare (ASCII letters without regard to case, symbols without their trailing blanks), the temporary
// names a change writes before it puts its files in place, and the length of a data record.

#include <string>
#include <string_view>

namespace metastock {

char AsciiUpper(char c);
std::string UpperAscii(std::string_view text);
bool EqualIgnoringCase(std::string_view a, std::string_view b);

// A stored symbol as it is compared: trailing blanks and NULs removed, ASCII letters upper-cased.
std::string ComparedSymbol(std::string_view symbol);
bool SameSymbol(std::string_view a, std::string_view b);

// The temporary file that stands for a directory file until the commit renames it over that file:
// F<n>.NEW for the data file F<n>.DAT or F<n>.MWD, the name with ".~NU" appended for every other
// (MASTER.~NU, MASTER.BAK.~NU, EMASTER.~NU, XMASTER.~NU, F<n>.DOP.~NU, and the commit journal's
// QFCOMMIT.JNL.~NU).
std::string TemporaryName(std::string_view name);
// Whether name (in any case) is one that TemporaryName gives, or MASTER.NEW of older versions: under the
// directory's lock such a file is a leftover of a run that was killed.
bool IsTemporaryName(std::string_view name);

// Bytes of a data record of nFields fields, as MASTER and EMASTER give it.
constexpr int RecordLength(int nFields)
{
    return 4 * nFields;
}

}  // namespace metastock
