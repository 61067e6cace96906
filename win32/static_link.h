#pragma once
// A static text control that acts as a mail or web link: drawn underlined, blue until its address has
// been opened and purple after, with a pointing hand over it. A click opens the address with the shell;
// one the shell cannot open beeps.

#include <windows.h>

#include <string>

namespace win32 {

// Turns the static control (SS_NOTIFY) into a link; *pVisited is the owner's, so that a link opened once
// stays purple whenever it is shown again.
void AttachStaticLink(HWND hStatic, const std::string& text, const std::string& address, bool* pVisited);

}  // namespace win32
