#pragma once
// F1 in a dialog asks for that dialog's help page. The main window answers by showing its help window
// there; without an answer (a dialog on its own, a test) F1 does nothing.

#include <QString>

#include <functional>

#include "desktop/help_pages.h"

class QWidget;

namespace dialogs {

// The dialogs' help pages, with the section each opens at.
using desktop::kAboutHelpPage;
using desktop::kBatchHelpPage;
using desktop::kChooseDirHelpPage;
using desktop::kSettingsHelpPage;

using HelpFunction = std::function<void(const QString& strPage)>;

// Installs the function that shows a help page; an empty one stops answering.
void SetHelpFunction(HelpFunction function);

// Makes F1 in the dialog show the page, as "qrc:/help/settings.html#conversion-settings".
void AddHelpKey(QWidget* pDialog, const desktop::HelpPage& page);

}  // namespace dialogs
