#pragma once
// The conversion command: the stored settings go into the Conversion Settings dialog; on OK they are
// stored again, the offers before a run are asked, the input is read and checked off the window's
// thread, and one conversion job runs; its outcome goes into the log. A file of several securities is
// offered as a batch of its tickers instead, each its own security.

#include <functional>
#include <optional>
#include <string>

#include "desktop/question.h"
#include "desktop/stored_settings.h"
#include "engine/job/conversion_settings.h"
#include "engine/job/services.h"

namespace desktop {

// What the command needs of the window that holds the log.
class IConversionView : public IQuestions {
public:
    // The Conversion Settings dialog over settings, for the input file; true after OK, with the settings
    // and the date-format number (1 to 12, 0 when none is selected) as confirmed.
    virtual bool EditSettings(engine::ConversionSettings& settings, int& dateFormat) = 0;
    // Adds the text at the end of the log; "\r\n" starts a new line.
    virtual void AppendLog(const std::string& text) = 0;
    // Runs work off the window's thread and returns once it is done; the window paints meanwhile and
    // takes no input.
    virtual void RunInBackground(const std::function<void()>& work) = 0;
    virtual void ShowBusy(bool busy) = 0;
    virtual void Beep() = 0;
    // The run's messages and settings write-back, called on the run's thread: each call is shown (or
    // stored) on the window's thread and waited for.
    virtual engine::IMessageSink& RunMessages() = 0;
    virtual engine::ISettingsWriter& RunSettings() = 0;
    // The run has ended, well or not; the directory it wrote to.
    virtual void ShowDirectory(const std::string& directory) = 0;
};

class CConversionCommand {
public:
    CConversionCommand(IConversionView& view, CStoredSettings& stored, engine::IToday& today);

    // A file has been opened: the next dialog proposes the symbol from its name, with no name.
    void OnFileOpened(const std::string& path);
    // The command itself; 0 after a run that succeeded.
    int OnSettings();

    bool CanRun() const { return !m_inputPath.empty(); }
    const std::string& InputPath() const { return m_inputPath; }
    int DateFormat() const { return m_dateFormat; }
    void SetDateFormat(int dateFormat) { m_dateFormat = dateFormat; }

private:
    engine::ConversionSettings ShownSettings() const;
    int Run(engine::ConversionSettings settings, bool makeDirectory, bool update);
    // The tickers of the input when it names two or more securities, asked whether to convert them all;
    // nullopt for a file of one security (or none named), which converts as one.
    std::optional<int> OfferTickers(const engine::ConversionSettings& settings);
    int RunTickers(const engine::ConversionSettings& settings);

    IConversionView& m_view;
    CStoredSettings& m_stored;
    engine::IToday& m_today;
    std::string m_inputPath;  // the file opened last; never cleared
    int m_dateFormat = 1;     // the date-format number of the dialog's last OK
    // What the dialog held for a run that failed: the next showing starts from it.
    std::optional<engine::ConversionSettings> m_typed;
    bool m_newFile = false;   // no dialog has been confirmed since the file was opened
};

}  // namespace desktop
