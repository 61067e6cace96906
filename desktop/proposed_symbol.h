#pragma once
// The symbol a file proposes: its name without the extension, blanks around it removed, upper-cased as
// a Windows-1252 symbol and cut to the symbol's 16 characters; cut tells whether anything was left out.

#include <string>

namespace desktop {

std::string ProposedSymbol(const std::string& path, bool& cut);
std::string ProposedSymbol(const std::string& path);

}  // namespace desktop
