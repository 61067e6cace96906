#pragma once
// Where the program's dialogs open: centred on the window that owns them, whole on its screen. A dialog
// that places itself when it starts (the Conversion Settings dialog, clear of the preview) keeps that
// place; the program's message boxes, which Windows places on the screen's middle, are centred too.

namespace win32 {

// Centres the dialogs of the calling thread from now on.
void CentreDialogsOnOwner();

// While one exists, the message boxes of the thread open centred on their owners.
class CCentredMessageBoxes {
public:
    CCentredMessageBoxes();
    ~CCentredMessageBoxes();
    CCentredMessageBoxes(const CCentredMessageBoxes&) = delete;
    CCentredMessageBoxes& operator=(const CCentredMessageBoxes&) = delete;
};

}  // namespace win32
