#pragma once
// Before a run, what would make it fail at once is turned into an offer: a missing directory is to be
// made (asked once: it will also get a new MASTER), a directory without MASTER gets a new one, "Make New
// Master" over an existing MASTER adds to it, and a symbol the directory holds is updated (No is the
// default, so that two Enters never append one security's rows to another). Each question begins with
// the message the run would show. Nothing is made here: the directory is made once the input has been
// read and found good.

#include <string>

#include "desktop/question.h"
#include "engine/job/conversion_settings.h"

namespace desktop {

struct RunOffers {
    bool run = false;           // false: the user declined, or the directory cannot be used
    int exist = 0;              // the run's Exist, which an answer may turn round; the stored one stays
    bool update = false;        // append the rows after the symbol's last date
    bool makeDirectory = false; // the directory is to be made before the run
    std::string refusal;        // why there is no run, for the log
};

// settings.Path in the engine's form.
RunOffers AskBeforeRun(const engine::ConversionSettings& settings, IQuestions& questions);

}  // namespace desktop
