#pragma once
// The decisions of the "Choose Directory" dialog: where it starts, the field that follows the directory
// list, and OK's checks, questions and creation of one missing level. The directory chosen is
// remembered, and the chooser starts there next time it is given no path. It never changes the working
// directory. Paths are the engine's text (UTF-8).

#include <string>

#include "desktop/question.h"
#include "desktop/stored_settings.h"

namespace desktop {

class IChooseDirView : public IQuestions {
public:
    // Moves the lists to the directory (absolute) and puts the field text into the field.
    virtual void ShowDirectory(const std::string& directory, const std::string& field) = 0;
    virtual void ShowField(const std::string& text) = 0;
    virtual void FocusField() = 0;
    // Closes the dialog with OK.
    virtual void Accept() = 0;
};

class CChooseDirPresenter {
public:
    // stored: where the last directory chosen is remembered; none, and nothing is.
    CChooseDirPresenter(IChooseDirView& view, CStoredSettings* stored);

    // Starts in initial (the caller's path): as it is when it is a directory; a path still to be made stays
    // in the field while the lists show its nearest existing parent; an empty one starts in the directory
    // chosen last, else in the working directory.
    void OnInit(const std::string& initial);
    // A list entry opened, or a drive chosen.
    void OnOpen(const std::string& directory);
    // The list's selection moved to the directory.
    void OnSelect(const std::string& directory);
    // Checks the field's text and closes with OK when it names a directory, existing or newly made.
    // A relative name counts from the shown directory.
    void OnOK(const std::string& text);

    const std::string& Shown() const { return m_shown; }
    const std::string& Chosen() const { return m_chosen; }

private:
    void Choose(const std::string& directory);

    IChooseDirView& m_view;
    CStoredSettings* m_stored;
    std::string m_shown;   // the directory whose subdirectories the list shows, absolute and clean
    std::string m_chosen;  // set by OK
};

// The text as the platform writes paths: '\' on Windows.
std::string NativePathText(const std::string& path);

}  // namespace desktop
