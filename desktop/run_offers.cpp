#include "desktop/run_offers.h"

#include "desktop/output_directory.h"

namespace desktop {

namespace {

bool Yes(IQuestions& questions, const std::string& text, EButtons buttons = EButtons::YesNo)
{
    return questions.Ask(text, buttons) == EAnswer::Yes;
}

RunOffers Refused(std::string reason)
{
    RunOffers offers;
    offers.refusal = std::move(reason);
    return offers;
}

}  // namespace

RunOffers AskBeforeRun(const engine::ConversionSettings& settings, IQuestions& questions)
{
    const std::string& dir = settings.Path;
    const std::string& symbol = settings.Symbol;
    const DirectoryState state = LookAtDirectory(dir);
    RunOffers offers;
    offers.exist = settings.Exist;
    switch (state.state) {
    case EDirectoryState::Missing:
        if (!Yes(questions, "Path does not exist\nCreate the directory " + dir + " with a new MASTER?"))
            return Refused("Path does not exist: " + dir);
        offers.makeDirectory = true;
        offers.exist = 1;
        offers.run = true;
        return offers;
    case EDirectoryState::File: {
        RunOffers refused = Refused("Path does not exist\n" + dir + " is a file, not a directory.");
        questions.Ask(refused.refusal, EButtons::Ok);
        return refused;
    }
    case EDirectoryState::Unreadable: {
        RunOffers refused = Refused("Cannot read the directory " + dir + ": " + state.reason + ".");
        questions.Ask(refused.refusal, EButtons::Ok);
        return refused;
    }
    case EDirectoryState::Directory:
        break;
    }

    if (offers.exist == 0 && !state.master) {
        if (!Yes(questions, "Path specified does not point to a Master file\nMake a new MASTER in " + dir + "?"))
            return Refused("Path specified does not point to a Master file: " + dir);
        offers.exist = 1;
    } else if (offers.exist == 1 && state.master) {
        if (!Yes(questions, "New Master chosen but one already exists\nAdd " + symbol + " to the MASTER in " + dir + "?"))
            return Refused("New Master chosen but one already exists in " + dir);
        offers.exist = 0;
    }

    if (offers.exist == 0) {
        const std::string last = HeldLastDate(dir, symbol);
        if (!last.empty()) {
            if (!Yes(questions,
                     "Duplicate Symbol\n" + symbol + " is already in " + dir + ".\nUpdate: append the rows after " + last + "?",
                     EButtons::YesNoDefaultNo))
                return Refused("Duplicate Symbol: " + symbol + " in " + dir);
            offers.update = true;
        }
    }
    offers.run = true;
    return offers;
}

}  // namespace desktop
