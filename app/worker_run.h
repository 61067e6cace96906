#pragma once
// A conversion runs on a worker thread while the window goes on painting: the user-interface thread waits
// in an event loop that leaves out the user's input, so no command starts while a run is under way. What
// the run shows or stores is handed to the user-interface thread and waited for, as a message box is.

#include <functional>
#include <string>

#include "engine/job/services.h"

namespace app {

// Runs work on a worker thread and returns its result once it is done; the event loop turns meanwhile.
// bLetInputThrough: the user's input reaches the windows too, for a window whose Cancel stays pressable.
int RunOnWorker(const std::function<int()>& work, bool bLetInputThrough = false);

// Passes each call on to the sink on the user-interface thread.
class CGuiThreadSink : public engine::IMessageSink {
public:
    explicit CGuiThreadSink(engine::IMessageSink& sink) : m_sink(sink) {}
    void ShowMessage(const std::string& text) override;
    void ShowNotice(const std::string& text) override;

private:
    engine::IMessageSink& m_sink;
};

class CGuiThreadSettingsWriter : public engine::ISettingsWriter {
public:
    explicit CGuiThreadSettingsWriter(engine::ISettingsWriter& writer) : m_writer(writer) {}
    void WriteString(const std::string& section, const std::string& name, const std::string& value) override;

private:
    engine::ISettingsWriter& m_writer;
};

}  // namespace app
