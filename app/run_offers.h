#pragma once
// Before a run, what would make it fail at once is turned into an offer: a missing directory is made, a
// directory without MASTER gets a new one, "Make New Master" over an existing MASTER adds to it, and a
// symbol the directory holds is updated. Each question begins with the message the run would show.

#include <QString>

#include "engine/conversion_settings.h"

class QWidget;

namespace app {

struct RunOffers {
    bool bRun = false;     // false: the user declined, or the directory could not be made
    int nExist = 0;        // the run's Exist, which an answer may turn round; the stored one stays
    bool bUpdate = false;  // append the rows after the symbol's last date
    QString strRefusal;    // why there is no run, for the log
};

// settings.Path in the engine's form. The questions go through ShowMessageBox.
RunOffers AskBeforeRun(const engine::ConversionSettings& settings, QWidget* pParent);

}  // namespace app
