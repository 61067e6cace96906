#pragma once
// A question or message for the user, as every front end shows it: a modal box with its buttons.

#include <string>

namespace desktop {

enum class EButtons { Ok, YesNo, YesNoDefaultNo };
enum class EAnswer { Ok, Yes, No };

// What a presenter asks the user; the view shows a modal box and returns the button pressed.
class IQuestions {
public:
    virtual ~IQuestions() = default;
    virtual EAnswer Ask(const std::string& text, EButtons buttons) = 0;
};

}  // namespace desktop
