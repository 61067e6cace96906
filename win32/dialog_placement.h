#pragma once
// Where the program's dialogs open: centred on the window that owns them, whole on its screen. A dialog
// that places itself when it starts (the Conversion Settings dialog, clear of the preview) keeps that
// place, except the system's own dialogs that the program opens (message boxes, which Windows puts in the
// screen's middle, and the file and folder dialogs, which go where they were last).

namespace win32 {

// Centres the dialogs of the calling thread from now on.
void CentreDialogsOnOwner();

// Held around a call that shows one of the system's dialogs: it then opens centred on its owner too.
class CCentredSystemDialog {
public:
    CCentredSystemDialog();
    ~CCentredSystemDialog();
    CCentredSystemDialog(const CCentredSystemDialog&) = delete;
    CCentredSystemDialog& operator=(const CCentredSystemDialog&) = delete;
};

}  // namespace win32
