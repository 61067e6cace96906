#pragma once
// F1 in a dialog asks for that dialog's help page. The main window answers by showing its help window
// there; without an answer (a dialog on its own, a test) F1 does nothing.

#include <QString>

#include <functional>

class QWidget;

// The dialogs' help pages, with the section each opens at.

namespace dialogs {

inline constexpr char kSettingsHelpPage[] = "qrc:/help/settings.html#conversion-settings";
inline constexpr char kChooseDirHelpPage[] = "qrc:/help/settings.html#choose-directory";
inline constexpr char kAboutHelpPage[] = "qrc:/help/overview.html#about";
inline constexpr char kBatchHelpPage[] = "qrc:/help/batch.html";

using HelpFunction = std::function<void(const QString& strPage)>;

// Installs the function that shows a help page; an empty one stops answering.
void SetHelpFunction(HelpFunction function);

// Makes F1 in the dialog show the page.
void AddHelpKey(QWidget* pDialog, const char* szPage);

}  // namespace dialogs
