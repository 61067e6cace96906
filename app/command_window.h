#pragma once
// The window side of the conversion command: the Conversion Settings dialog, the questions, the log,
// the wait cursor and the run's messages, for the presenter to use.

#include "app/message_box_sink.h"
#include "app/stored_settings.h"
#include "app/worker_run.h"
#include "desktop/conversion_command.h"
#include "desktop/stored_settings.h"
#include "dialogs/profile_settings_writer.h"

namespace dialogs { class CProfileStore; }

namespace app {

class CQuoteforgeView;

class CCommandWindow : public desktop::IConversionView {
public:
    CCommandWindow(CQuoteforgeView& view, dialogs::CProfileStore& profile);

    bool EditSettings(engine::ConversionSettings& settings, int& dateFormat) override;
    desktop::EAnswer Ask(const std::string& text, desktop::EButtons buttons) override;
    void AppendLog(const std::string& text) override;
    void RunInBackground(const std::function<void()>& work) override;
    void ShowBusy(bool bBusy) override;
    void Beep() override;
    engine::IMessageSink& RunMessages() override;
    engine::ISettingsWriter& RunSettings() override;
    void ShowDirectory(const std::string& directory) override;

private:
    CQuoteforgeView& m_view;
    dialogs::CProfileSettingsWriter m_writeBack;
    CGuiThreadSettingsWriter m_guiWriteBack;
    CMessageBoxSink m_messages;
    CGuiThreadSink m_guiMessages;
    CProfileStringStore m_stringStore;
    desktop::CStoredSettings m_stored{m_stringStore};  // where the directory chooser remembers its folder
};

}  // namespace app
