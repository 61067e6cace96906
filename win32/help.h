#pragma once
// The help: the pages of the help folder beside quoteforge.exe, which the shell opens in the user's
// browser. F1 opens the page of the window it is pressed in: the main window's contents, a dialog's own page.

#include <windows.h>

#include <string>

#include "desktop/help_pages.h"

namespace win32 {

// The page's file: help\<file> in the folder of the running program.
std::wstring HelpFilePath(const desktop::HelpPage& page);

// Has the shell open the page's file; false with a message naming the file and the system's reason when
// the file is missing or cannot be opened.
bool OpenHelpPage(HWND hOwner, const desktop::HelpPage& page, std::string& message);

// Opens the page, or shows why it cannot over hOwner.
void ShowHelp(HWND hOwner, const desktop::HelpPage& page);

// The page that F1 in the dialog opens: its own, known by its caption, else the contents.
const desktop::HelpPage& DialogHelpPage(HWND hDialog);

// Makes F1 in every dialog of the calling thread open that dialog's page.
void InstallDialogHelpKey();

}  // namespace win32
