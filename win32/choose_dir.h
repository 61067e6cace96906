#pragma once
// The directory chooser on the system's folder dialog (IFileDialog picking folders), as the window of
// desktop::CChooseDirPresenter: it starts where the presenter says and hands the folder picked to the
// presenter's checks, which may ask to create it.

#include <windows.h>

#include <string>

#include "desktop/stored_settings.h"

namespace win32 {

// True with the directory chosen; path is where it starts.
bool ChooseDirectory(HWND hOwner, desktop::CStoredSettings* stored, std::string& path);

}  // namespace win32
