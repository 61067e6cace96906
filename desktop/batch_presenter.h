#pragma once
// Convert Many Files: a list of input files with the symbol each gets (from its name, editable), one
// layout for all (the Conversion Settings) or Detect per file, whether intraday bars are combined into
// days, the output directory (remembered with the layout choice), then a run off the window's thread
// with progress, a Cancel that stops after the current group commit, and each file's outcome; a file of
// many securities gets one more row per ticker.

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "desktop/question.h"
#include "desktop/stored_settings.h"
#include "engine/job/conversion_settings.h"

namespace desktop {

struct BatchRow {
    std::string path;    // as the engine opens it
    std::string file;    // the file's name, shown
    std::string symbol;
    std::string result;  // "converted", "updated", "unchanged", "failed: <reason>", "not started" or empty
    bool failed = false;
    bool unchanged = false;  // an update that gained no rows
    // A security of the files of many, listed after the files with its ticker as its symbol once the
    // batch is done; the next batch converts its files again, not it.
    bool ticker = false;
};

enum class EBatchControl { Add, Remove, OneLayout, Detect, Daily, TickerOn, TickerCol, Directory, Browse, Convert, Files };

class IBatchView : public IQuestions {
public:
    virtual void ShowRows(const std::vector<BatchRow>& rows) = 0;
    virtual void ShowResult(std::size_t row, const BatchRow& shown) = 0;
    virtual void ShowChoices(const BatchChoices& choices) = 0;
    virtual BatchChoices ReadChoices() const = 0;
    virtual void ShowProgress(int done, int total, const std::string& status) = 0;
    virtual void Enable(EBatchControl control, bool on) = 0;
    virtual void SetCancelCaption(const std::string& caption) = 0;
    // Runs work off the window's thread and returns once it is done and every posted call has run; the
    // window takes input meanwhile (Cancel).
    virtual void RunInBackground(const std::function<void()>& work) = 0;
    // Runs fn on the window's thread; callable from any thread.
    virtual void Post(std::function<void()> fn) = 0;
    virtual void Close() = 0;
};

class CBatchPresenter {
public:
    // layout: the Conversion Settings that "One layout for all" uses.
    CBatchPresenter(IBatchView& view, CStoredSettings& stored, const engine::ConversionSettings& layout);

    void OnInitDialog();
    void AddFiles(const std::vector<std::string>& paths);
    void OnRemove(std::vector<std::size_t> rows);
    void OnSymbolEdited(std::size_t row, const std::string& symbol);
    // The Ticker column box was clicked: its column is enabled with it.
    void OnTickerBox();
    // Runs the batch; 0 when every file was converted or updated. summary: the log's line, without the
    // leading line break.
    int OnConvert();
    // While a batch runs: stop after the current group commit. Otherwise: close.
    void OnCancel();

    bool IsRunning() const { return m_running; }
    const std::vector<BatchRow>& Rows() const { return m_rows; }
    const std::string& Summary() const { return m_summary; }
    const std::string& Directory() const { return m_directory; }

private:
    void SetRunning(bool running);

    IBatchView& m_view;
    CStoredSettings& m_stored;
    engine::ConversionSettings m_layout;
    std::vector<BatchRow> m_rows;
    std::atomic<bool> m_cancel{false};
    bool m_running = false;
    std::string m_summary;
    std::string m_directory;  // of the last batch
};

}  // namespace desktop
