#pragma once
// What the desktop does on the program's behalf: opening a mail or web address with the user's own
// program, and the system beep. Each goes through one replaceable function, so that tests record the
// request instead of starting a browser or sounding the speaker.

#include <functional>

class QUrl;

namespace controls {

using OpenUrlFunction = std::function<bool(const QUrl&)>;
using BeepFunction = std::function<void()>;

// Hands the address to the desktop's handler for its scheme; false when nothing could open it.
bool OpenUrl(const QUrl& url);

// The default system beep.
void Beep();

// Install a replacement; an empty function puts the desktop's own back.
void SetOpenUrlFunction(OpenUrlFunction function);
void SetBeepFunction(BeepFunction function);

}  // namespace controls
