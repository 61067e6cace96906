#pragma once
// Paths and messages between the desktop's QStrings and the engine, which takes paths as UTF-8 text.

#include <QString>
#include <string>

// The engine's text for a path that the user chose or typed.

namespace dialogs {

std::string EnginePath(const QString& strPath);

// A message of the engine, which may name such a path, for the desktop to show.
QString FromEngineText(const std::string& text);

}  // namespace dialogs
