#pragma once
// What the conversion engine needs from the world outside it. The desktop application, the command line
// and the tests each plug in their own.

#include <string>

namespace engine {

// Shows a message the way the desktop shows a modal message box with an OK button: the run waits until
// it returns. The text may hold line breaks.
class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    virtual void ShowMessage(const std::string& text) = 0;
    // A passing notice that asks nothing of the user, such as waiting for another run; the desktop shows
    // it in its status bar, the command line prints it.
    virtual void ShowNotice(const std::string& text) { (void)text; }
};

// Writes one string value of the stored settings (the run writes back "Path", "Symbol" and "Name" of
// section "Setting").
class ISettingsWriter {
public:
    virtual ~ISettingsWriter() = default;
    virtual void WriteString(const std::string& section, const std::string& name, const std::string& value) = 0;
};

// Today's date as the text MM/DD/YY, which a new MASTER record takes as its first and last date.
class IToday {
public:
    virtual ~IToday() = default;
    virtual std::string TodayText() = 0;
};

class CSystemToday : public IToday {
public:
    std::string TodayText() override;
};

// For callers that keep no settings.
class CNoSettingsWriter : public ISettingsWriter {
public:
    void WriteString(const std::string&, const std::string&, const std::string&) override {}
};

struct RunServices {
    IMessageSink& messages;
    ISettingsWriter& settings;
    IToday& today;
};

}  // namespace engine
