#pragma once
// Work runs on a worker thread while the window goes on painting. The window's thread waits in a message
// loop of its own, which (for the conversion) leaves out the user's input, so that no command starts while
// a run is under way. What a worker shows or stores is posted to the window's thread (PostMessage) and
// waited for, as a message box is; no worker ever touches a control itself.

#include <windows.h>

#include <functional>
#include <string>

#include "engine/job/services.h"

namespace win32 {

// Makes the hidden window that takes the posted calls; once, on the window's thread, before any run.
void StartWindowThread(HINSTANCE hInstance);

// Runs fn on the window's thread and waits for it; on that thread itself, at once.
void OnWindowThread(const std::function<void()>& fn);
// Runs fn on the window's thread later, without waiting.
void PostToWindowThread(std::function<void()> fn);

// Runs work on a worker thread and returns once it is done and every call it posted has run. takeInput:
// the user may go on using the windows (Cancel of a batch); hDialog, when given, gets its keyboard
// handling.
void RunOnWorker(const std::function<void()>& work, bool takeInput = false, HWND hDialog = nullptr);

// Passes each call on to the sink on the window's thread.
class CWindowThreadSink : public engine::IMessageSink {
public:
    explicit CWindowThreadSink(engine::IMessageSink& sink) : m_sink(sink) {}
    void ShowMessage(const std::string& text) override;
    void ShowNotice(const std::string& text) override;

private:
    engine::IMessageSink& m_sink;
};

class CWindowThreadSettingsWriter : public engine::ISettingsWriter {
public:
    explicit CWindowThreadSettingsWriter(engine::ISettingsWriter& writer) : m_writer(writer) {}
    void WriteString(const std::string& section, const std::string& name, const std::string& value) override;

private:
    engine::ISettingsWriter& m_writer;
};

}  // namespace win32
