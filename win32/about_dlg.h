#pragma once
// The About box (template IDD_ABOUTBOX): the texts desktop::CAboutPresenter decides, and the mail and web
// links as hyperlink static controls that open their address with the shell.

#include <windows.h>

namespace win32 {

void ShowAboutBox(HWND hOwner);

}  // namespace win32
