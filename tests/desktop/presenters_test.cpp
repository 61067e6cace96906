// The desktop's decisions against recording views: no widget, no event loop.

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include <gtest/gtest.h>

#include "desktop/about_box.h"
#include "desktop/batch_presenter.h"
#include "desktop/choose_dir_presenter.h"
#include "desktop/conversion_command.h"
#include "desktop/directory_panel_presenter.h"
#include "desktop/log_text.h"
#include "desktop/output_directory.h"
#include "desktop/preview_grid_presenter.h"
#include "desktop/settings_presenter.h"
#include "engine/input/layout_detection.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"

using namespace desktop;

namespace {

class CMapStore : public IStringStore {
public:
    std::string ReadString(const std::string& s, const std::string& n, const std::string& f) const override
    {
        auto it = values.find(s + "/" + n);
        return it == values.end() ? f : it->second;
    }
    void WriteString(const std::string& s, const std::string& n, const std::string& v) override { values[s + "/" + n] = v; }
    int ReadInt(const std::string& s, const std::string& n, int f) const override
    {
        auto it = values.find(s + "/" + n);
        return it == values.end() ? f : std::atoi(it->second.c_str());
    }
    void WriteInt(const std::string& s, const std::string& n, int v) override { values[s + "/" + n] = std::to_string(v); }
    std::map<std::string, std::string> values;
};

class CRecordingSettingsView : public ISettingsView {
public:
    SettingsForm Read() const override { return form; }
    void Show(const SettingsForm& shown) override { form = shown; }
    void SetText(EControl control, const std::string& text) override
    {
        if (control == EControl::Symbol) form.symbol = text;
        if (control == EControl::Name) form.name = text;
    }
    void Enable(EControl, bool) override {}
    void Focus(EControl control) override { focused = control; }
    void ShowNote(const std::string& text) override { note = text; }
    bool ChooseDirectory(std::string&) override { return false; }
    void Close(bool accepted) override { closed = accepted ? 1 : 0; }
    EAnswer Ask(const std::string& text, EButtons) override
    {
        asked.push_back(text);
        return answer;
    }
    SettingsForm form;
    EControl focused = EControl::Ok;
    std::string note;
    int closed = -1;
    std::vector<std::string> asked;
    EAnswer answer = EAnswer::No;
};

class CRecordingCommandView : public IConversionView, public engine::IMessageSink, public engine::ISettingsWriter {
public:
    bool EditSettings(engine::ConversionSettings& settings, int&) override
    {
        shown = settings;
        settings.Path = path;
        settings.Symbol = settings.Symbol.empty() ? "X" : settings.Symbol;
        return true;
    }
    EAnswer Ask(const std::string& text, EButtons buttons) override
    {
        asked.push_back(text);
        return buttons == EButtons::Ok ? EAnswer::Ok : buttons == EButtons::YesNoDefaultNo ? EAnswer::No : answer;
    }
    void AppendLog(const std::string& text) override { log += text; }
    void RunInBackground(const std::function<void()>& work) override { work(); }
    void ShowBusy(bool) override {}
    void Beep() override {}
    engine::IMessageSink& RunMessages() override { return *this; }
    engine::ISettingsWriter& RunSettings() override { return *this; }
    void ShowDirectory(const std::string&) override {}
    void ShowMessage(const std::string& text) override { asked.push_back(text); }
    void WriteString(const std::string&, const std::string&, const std::string&) override {}

    engine::ConversionSettings shown;
    std::string path;
    std::string log;
    std::vector<std::string> asked;
    EAnswer answer = EAnswer::Yes;
};

class CRecordingBatchView : public IBatchView {
public:
    EAnswer Ask(const std::string&, EButtons) override { return EAnswer::No; }
    void ShowRows(const std::vector<BatchRow>& rows) override { shownRows = rows; }
    void ShowResult(std::size_t row, const BatchRow& shown) override
    {
        shownRows.at(row) = shown;
        if (cancelAfterFirst && row == 0 && !shown.result.empty())
            presenter->OnCancel();
    }
    void ShowChoices(const BatchChoices& shown) override { choices = shown; }
    BatchChoices ReadChoices() const override { return choices; }
    void ShowProgress(int, int, const std::string&) override {}
    void Enable(EBatchControl control, bool on) override { enabled[control] = on; }
    void SetCancelCaption(const std::string& caption) override { cancelCaption = caption; }
    void RunInBackground(const std::function<void()>& work) override { work(); }
    void Post(std::function<void()> fn) override { fn(); }
    void Close() override { closed = true; }

    CBatchPresenter* presenter = nullptr;
    bool cancelAfterFirst = false;
    BatchChoices choices;
    std::vector<BatchRow> shownRows;
    std::map<EBatchControl, bool> enabled;
    std::string cancelCaption;
    bool closed = false;
};

class CRecordingPanelView : public IDirectoryPanelView {
public:
    EAnswer Ask(const std::string& text, EButtons) override
    {
        asked.push_back(text);
        return answer;
    }
    void ShowCaption(const std::string& text) override { caption = text; }
    void ShowRows(const std::vector<PanelRow>& rows, bool top) override
    {
        symbols.clear();
        for (const PanelRow& row : rows)
            symbols += (symbols.empty() ? "" : " ") + row.cells[0];
        fromTop = top;
        shownRows = rows;
    }
    void ShowSortColumn(EPanelColumn column, bool ascending) override { sort = {column, ascending}; }
    void Enable(EPanelControl control, bool on) override { enabled[control] = on; }
    void AppendLog(const std::string& line) override { log.push_back(line); }
    bool ChooseDirectory(std::string& directory) override
    {
        directory = chosen;
        return true;
    }
    void OpenInFileManager(const std::string& directory) override { opened = directory; }
    bool AskExportOptions(engine::ExportOptions&) override { return true; }
    bool ChooseExportFile(const std::string&, std::string& file) override
    {
        proposed = file;
        file = folder + "/" + file;
        return true;
    }
    bool ChooseExportFolder(std::string& chosenFolder) override
    {
        chosenFolder = folder;
        return true;
    }
    void RunInBackground(const std::function<void()>& work) override { work(); }

    std::string caption, symbols, chosen, opened, proposed, folder;
    std::vector<PanelRow> shownRows;
    bool fromTop = false;
    std::pair<EPanelColumn, bool> sort{EPanelColumn::Symbol, false};
    std::map<EPanelControl, bool> enabled;
    std::vector<std::string> asked, log;
    EAnswer answer = EAnswer::No;
};

class CRecordingChooserView : public IChooseDirView {
public:
    EAnswer Ask(const std::string& text, EButtons buttons) override
    {
        asked.push_back(text);
        return buttons == EButtons::Ok ? EAnswer::Ok : answer;
    }
    void ShowDirectory(const std::string& directory, const std::string& text) override
    {
        shown = directory;
        field = text;
    }
    void ShowField(const std::string& text) override { field = text; }
    void FocusField() override { fieldFocused = true; }
    void Accept() override { accepted = true; }
    std::string shown;
    std::string field;
    bool fieldFocused = false;
    bool accepted = false;
    std::vector<std::string> asked;
    EAnswer answer = EAnswer::Yes;
};

std::string WriteFile(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

}  // namespace

TEST(SettingsPresenter, LimitsSayWhatWasLeftOutAndThePreviewReadsEverySetting)
{
    CRecordingSettingsView view;
    engine::ConversionSettings settings;
    settings.DecimalComma = true;
    CSettingsPresenter presenter(view, settings, "");
    presenter.OnInitDialog();
    const struct {
        EControl control;
        std::string typed;
        std::string kept;
        std::string note;
    } cases[] = {
        {EControl::Symbol, "ABCDEFGHIJKLMNOPQ", "ABCDEFGHIJKLMNOP", "A symbol holds at most 16 characters; \"Q\" was left out."},
        {EControl::Name, "M\u00fcller Z\u00fcrich AG Basel", "M\u00fcller Z\u00fcrich AG", "A name holds at most 16 characters; \" Basel\" was left out."},
        {EControl::Symbol, "IBM", "IBM", ""},
    };
    for (const auto& c : cases) {
        view.SetText(c.control, c.typed);
        presenter.OnTextEdited(c.control);
        EXPECT_EQ(c.control == EControl::Symbol ? view.form.symbol : view.form.name, c.kept) << c.typed;
        EXPECT_EQ(view.note, c.note) << c.typed;
    }
    EXPECT_TRUE(presenter.ShownInputSettings().DecimalComma) << "the grid must read with the dialog's decimal comma";
}

TEST(SettingsPresenter, OkChecksInOrderAndAsksWhenTheFileDoesNotFit)
{
    CTempDir dir;
    const std::string input = WriteFile(dir.Path() / "p.csv", "01/02/2024;10;11;9;10;100;5\n");
    engine::ConversionSettings settings;
    settings.DateFormat = "MM_DD_CCYY";
    settings.Path = dir.Path().string();
    settings.Symbol = "ibm ";
    const struct {
        std::string column;  // the date's column text
        EAnswer answer;
        int closed;
        std::string asked;
    } cases[] = {
        {"21", EAnswer::No, -1, "Please enter an integer between 1 and 20."},
        {"1", EAnswer::No, -1,
         "The settings do not fit this file: row 1 has 1 column: is the delimiter right?\nDetect fills in the input "
         "settings from what the file looks like.\nConvert anyway?"},
        {"1", EAnswer::Yes, 1, ""},
    };
    for (const auto& c : cases) {
        CRecordingSettingsView view;
        view.answer = c.answer;
        CSettingsPresenter presenter(view, settings, input);
        presenter.OnInitDialog();
        view.form.column[0] = c.column;
        presenter.OnOK();
        EXPECT_EQ(view.closed, c.closed) << c.column;
        if (!c.asked.empty()) {
            EXPECT_EQ(view.asked.front(), c.asked);
        }
        if (c.closed == 1) {
            EXPECT_EQ(presenter.Settings().Symbol, "IBM");
        }
    }
}

TEST(ConversionCommand, ANewFileProposesItsSymbolAndARefusedFileLeavesNoDirectory)
{
    CTempDir dir;
    CMapStore store;
    store.WriteString("Setting", "Symbol", "OLD");
    store.WriteString("Setting", "Name", "Old Name");
    CStoredSettings stored(store);
    engine::CSystemToday today;
    CRecordingCommandView view;
    view.path = (dir.Path() / "new").string();
    CConversionCommand command(view, stored, today);
    command.OnFileOpened(WriteFile(dir.Path() / "msft.csv", "not a price file\n"));
    command.OnSettings();
    EXPECT_EQ(view.shown.Symbol, "MSFT");
    EXPECT_EQ(view.shown.Name, "");
    ASSERT_FALSE(view.asked.empty());
    EXPECT_EQ(view.asked.front(), "Path does not exist\nCreate the directory " + view.path + " with a new MASTER?");
    EXPECT_FALSE(std::filesystem::exists(view.path)) << "a refused input must not leave an empty folder";
    EXPECT_NE(view.log.find("Conversion failed."), std::string::npos);
}

// A file of several securities is offered whole: No converts nothing, Yes converts each ticker as its own
// security and updates the ones already there; a file of one ticker converts as any file, unasked.
TEST(ConversionCommand, AFileOfSeveralSecuritiesIsOfferedAsOneBatchOfItsTickers)
{
    CTempDir dir;
    const std::string market = WriteFile(dir.Path() / "market.csv", "Date,Open,High,Low,Close,Volume,Symbol\n"
                                                                    "2024-01-02,1,2,0.5,1.5,10,AAA\n2024-01-02,2,3,1.5,2.5,10,BB\n"
                                                                    "2024-01-03,1,2,0.5,1.5,10,AAA\n2024-01-02,3,4,2.5,3.5,10,CC\n");
    const std::string single = WriteFile(dir.Path() / "single.csv", "Date,Open,High,Low,Close,Volume,Symbol\n"
                                                                    "2024-01-02,1,2,0.5,1.5,10,AAA\n");
    const std::string out = (dir.Path() / "out").string();
    const struct {
        std::string file;
        EAnswer answer;
        bool tickerGiven;
        int status;
        std::string asked;   // the first question, empty for none
        std::string logged;  // every line of it is in the log
    } cases[] = {
        {market, EAnswer::No, false, 1,
         "market.csv holds 3 securities: AAA, BB, CC.\nConvert them all into " + out + ", each under its ticker?",
         "Nothing was converted.\r\n    market.csv holds 3 securities: AAA, BB, CC; converting them all was declined."},
        {market, EAnswer::Yes, true, 0, "market.csv holds 3 securities: AAA, BB, CC.\nConvert them all into " + out +
         ", each under its ticker?",
         "Conversion completed successfully!\r\n    3 securities into " + out +
             ": 3 converted, 0 updated, 0 unchanged, 0 failed, 4 records\r\n    Securities:\r\n        AAA converted\r\n"
             "        BB converted\r\n        CC converted"},
        {market, EAnswer::Yes, false, 0, "market.csv holds 3 securities: AAA, BB, CC.\nConvert them all into " + out +
         ", each under its ticker?",
         "0 converted, 0 updated, 3 unchanged, 0 failed, 0 records\r\n    Securities:\r\n        AAA unchanged: no rows "
         "after its last date"},
        {single, EAnswer::Yes, false, 0, "", "Conversion completed successfully!"},
    };
    for (const auto& c : cases) {
        CMapStore store;
        for (const auto& [name, value] : std::map<std::string, std::string>{
                 {"DateFormat", "CCYY_MM_DD"}, {"SkipOn", "1"}, {"SkipRows", "1"}, {"OIOn", "0"},
                 {"TickerOn", c.tickerGiven ? "1" : "0"}, {"TickerCol", "7"}})
            store.WriteString("Setting", name, value);
        CStoredSettings stored(store);
        engine::CSystemToday today;
        CRecordingCommandView view;
        view.path = out;
        view.answer = c.answer;
        CConversionCommand command(view, stored, today);
        command.OnFileOpened(c.file);
        command.SetDateFormat(2);
        EXPECT_EQ(command.OnSettings(), c.status) << c.file << view.log;
        EXPECT_EQ(view.shown.TickerCol, c.tickerGiven ? 7 : 0);
        EXPECT_EQ(view.asked.empty() ? "" : view.asked.front(), c.asked) << view.log;
        EXPECT_NE(view.log.find(c.logged), std::string::npos) << view.log;
    }
}

TEST(LogText, MessagesReadAsSentencesAndListsIndentEvenly)
{
    EXPECT_EQ(OneLine("the open \"x\" is not a number\nNothing was converted."),
              "the open \"x\" is not a number. Nothing was converted.");
    EXPECT_EQ(LogList("Skipped:", "Line 3: a\nLine 9: b"), "\r\n    Skipped:\r\n        Line 3: a\r\n        Line 9: b");
}

TEST(BatchPresenter, TheWindowsChoicesAreRememberedAndObeyedAndCancelLeavesFilesNotStarted)
{
    CTempDir dir;
    const std::string heading = "Date,Open,High,Low,Close,Volume,OpenInt\n";
    const std::vector<std::string> files = {
        WriteFile(dir.Path() / "intra.csv", heading + "01/02/2024 09:30,10,11,9,10,100,5\n01/02/2024 10:30,10,12,9,11,100,5\n"
                                                      "01/03/2024 09:30,11,12,10,11,100,5\n"),
        WriteFile(dir.Path() / "b.csv", heading + "01/20/2024,10,11,9,10,100,5\n"),
        WriteFile(dir.Path() / "c.csv", heading + "01/20/2024,10,11,9,10,100,5\n")};
    engine::ConversionSettings layout;  // the Conversion Settings dialog's, whose Daily box the batch ignores
    layout.DateFormat = "MM_DD_CCYY";
    layout.SkipOn = 1;
    layout.SkipRows = 1;
    layout.Daily = true;
    const std::string out = (dir.Path() / "out").string();
    const std::string other = (dir.Path() / "other").string();
    const std::string unchanged = "unchanged: no rows after its last date";
    struct Step {
        BatchChoices choices;
        bool cancelAfterFirst;
        std::vector<std::string> results;  // "failed" stands for any failure
        std::string summary;
    };
    const std::vector<Step> steps = {
        {{out, false, true}, true, {"converted", "not started", "not started"},
         "Batch into " + out + ": 1 converted, 0 updated, 0 failed, 2 records (cancelled; the files not started are untouched)"},
        {{out, false, true}, false, {unchanged, "converted", "converted"},
         "Batch into " + out + ": 2 converted, 0 updated, 1 unchanged, 0 failed, 2 records"},
        {{other, true, false}, false, {"failed", "converted", "converted"}, ""},
    };
    CMapStore store;
    store.WriteString("Setting", "Path", out);
    CStoredSettings stored(store);
    EXPECT_EQ(stored.Batch().directory, out) << "the directory starts as the Conversion Settings' Path";
    for (const auto& step : steps) {
        CRecordingBatchView view;
        CBatchPresenter presenter(view, stored, layout);
        view.presenter = &presenter;
        presenter.OnInitDialog();
        EXPECT_EQ(view.choices.directory, stored.Batch().directory);
        EXPECT_EQ(view.enabled[EBatchControl::Convert], false) << "no files, nothing to convert";
        presenter.AddFiles(files);
        EXPECT_EQ(view.shownRows.at(0).symbol, "INTRA");
        view.choices = step.choices;
        view.cancelAfterFirst = step.cancelAfterFirst;
        presenter.OnConvert();
        for (std::size_t i = 0; i < files.size(); ++i) {
            const std::string& result = view.shownRows.at(i).result;
            EXPECT_EQ(step.results[i] == "failed" ? result.substr(0, 6) : result, step.results[i]) << files[i];
        }
        if (!step.summary.empty()) {
            EXPECT_EQ(presenter.Summary(), step.summary);
        }
        EXPECT_EQ(view.cancelCaption, "Close");
        const BatchChoices remembered = stored.Batch();
        EXPECT_EQ(remembered.directory, step.choices.directory);
        EXPECT_EQ(remembered.detect, step.choices.detect);
        EXPECT_EQ(remembered.daily, step.choices.daily);
    }
}

// A file of many securities gets a row per ticker after the files, each with its own outcome; the next
// batch lists them anew rather than converting them as files.
TEST(BatchPresenter, AFileOfManySecuritiesListsOneResultPerTicker)
{
    CTempDir dir;
    const std::string market = WriteFile(dir.Path() / "market.csv", "Symbol,Date,Open,High,Low,Close\n"
                                                                    "AAA,2024-01-02,1,2,0.5,1.5\nBB,2024-01-02,2,3,1.5,2.5\n"
                                                                    "CC,2024-01-02,3,4,2.5,3.x\n");
    const std::string single = WriteFile(dir.Path() / "one.csv", "Date,Open,High,Low,Close\n2024-01-02,1,2,0.5,1.5\n");
    CMapStore store;
    CStoredSettings stored(store);
    CRecordingBatchView view;
    CBatchPresenter presenter(view, stored, engine::ConversionSettings{});
    view.presenter = &presenter;
    presenter.OnInitDialog();
    presenter.AddFiles({market, single});
    view.choices = {(dir.Path() / "out").string(), true, false};
    for (int run = 0; run < 2; ++run) {
        EXPECT_EQ(presenter.OnConvert(), 1) << presenter.Summary();
        std::vector<std::string> shown;
        for (const BatchRow& row : view.shownRows)
            shown.push_back(row.symbol + " " + row.result.substr(0, row.result.find(':')));
        EXPECT_EQ(shown, (std::vector<std::string>{"MARKET failed", "ONE " + std::string(run == 0 ? "converted" : "unchanged"),
                                                   "AAA " + std::string(run == 0 ? "converted" : "unchanged"),
                                                   "BB " + std::string(run == 0 ? "converted" : "unchanged"), "CC failed"}))
            << "run " << run;
    }
}

// A ticker column that neither a heading nor two rows of one date reveal is taken where the window gives it.
TEST(BatchPresenter, TheGivenTickerColumnGathersAFileItsValuesDoNotReveal)
{
    CTempDir dir;
    const std::string file = WriteFile(dir.Path() / "staggered.csv", "2024-01-02,AAA,1,2,0.5,1.5\n2024-01-03,BB,2,3,1.5,2.5\n");
    engine::ConversionSettings layout;
    layout.DateFormat = "CCYY_MM_DD";
    layout.OpenCol = 3;
    layout.HiCol = 4;
    layout.LoCol = 5;
    layout.CloCol = 6;
    layout.VolOn = layout.OIOn = 0;
    for (const bool given : {false, true}) {
        CMapStore store;
        CStoredSettings stored(store);
        CRecordingBatchView view;
        CBatchPresenter presenter(view, stored, layout);
        presenter.OnInitDialog();
        presenter.AddFiles({file});
        view.choices = {(dir.Path() / (given ? "given" : "found")).string(), false, false, given, 2};
        presenter.OnConvert();
        std::vector<std::string> shown;
        for (const BatchRow& row : view.shownRows)
            shown.push_back(row.symbol + " " + row.result);
        const std::vector<std::string> expected =
            given ? std::vector<std::string>{"STAGGERED converted", "AAA converted", "BB converted"}
                  : std::vector<std::string>{"STAGGERED converted"};
        EXPECT_EQ(shown, expected) << presenter.Summary();
    }
}

TEST(DirectoryPanelPresenter, ItsOwnDirectorySortsOnHeadersAndActsOnSeveralSecurities)
{
    CTempDir dir;
    const std::string out = (dir.Path() / "out").string();
    const std::string rows[] = {"01/02/2024,1,1,1,1,1,1\n", "01/03/2024,1,1,1,1,1,1\n", "01/04/2024,1,1,1,1,1,1\n"};
    CMapStore store;
    CStoredSettings stored(store);
    {
        CRecordingBatchView batchView;
        engine::ConversionSettings layout;
        layout.DateFormat = "MM_DD_CCYY";
        CBatchPresenter batch(batchView, stored, layout);
        batch.AddFiles({WriteFile(dir.Path() / "abc.csv", rows[0] + rows[1] + rows[2]), WriteFile(dir.Path() / "def.csv", rows[0]),
                        WriteFile(dir.Path() / "ghi.csv", rows[0] + rows[1])});
        batchView.choices.directory = out;
        ASSERT_EQ(batch.OnConvert(), 0) << batch.Summary();
    }
    store.values.clear();
    store.WriteString("Setting", "Path", out);
    const std::string empty = (dir.Path() / "empty").string();
    std::filesystem::create_directory(empty);
    CRecordingPanelView view;
    view.folder = dir.Path().string();
    view.chosen = empty;
    CDirectoryPanelPresenter panel(view, stored);
    const struct {
        std::string step;
        std::function<void()> event;
        std::string symbols;  // as shown, in order
        std::string logged;   // the last log line
    } steps[] = {
        {"start in the settings' Path", [&] { panel.OnInit(); }, "ABC DEF GHI", ""},
        {"fewest records first", [&] { panel.OnHeaderClicked(EPanelColumn::Records); }, "DEF GHI ABC", ""},
        {"a second click reverses", [&] { panel.OnHeaderClicked(EPanelColumn::Records); }, "ABC GHI DEF", ""},
        {"export two", [&] { panel.OnSelectionChanged({0, 2}); panel.OnExport(); }, "ABC GHI DEF",
         "DEF exported to " + (dir.Path() / "DEF.csv").string()},
        {"double-click exports one", [&] { panel.OnDoubleClick(1); }, "ABC GHI DEF", "GHI exported to " + view.folder + "/GHI.csv"},
        {"No keeps them", [&] { panel.OnSelectionChanged({0, 2}); panel.OnRemove(); }, "ABC GHI DEF", "GHI exported to " + view.folder + "/GHI.csv"},
        {"Yes removes both", [&] { view.answer = EAnswer::Yes; panel.OnRemove(); }, "GHI", "DEF removed from " + out + " (F2.DAT)"},
        {"a directory of its own", [&] { panel.OnChooseDirectory(); }, "", "DEF removed from " + out + " (F2.DAT)"},
    };
    for (const auto& step : steps) {
        step.event();
        EXPECT_EQ(view.symbols, step.symbols) << step.step;
        EXPECT_EQ(view.log.empty() ? "" : view.log.back(), step.logged) << step.step;
    }
    EXPECT_EQ(view.asked.at(0), "Remove 2 securities (ABC, DEF) from " + out + "?\nTheir data files are deleted; this cannot be undone.");
    EXPECT_EQ(view.proposed, "GHI.csv");
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "ABC.csv"));
    EXPECT_TRUE(view.fromTop) << "a new directory shows from its first row";
    EXPECT_EQ(view.caption.substr(0, empty.size() + 1), empty + "\n") << "a directory without MASTER says why it is empty";
    EXPECT_FALSE(view.enabled[EPanelControl::Export]);
    EXPECT_EQ(stored.PanelDirectory(), empty) << "the panel's directory is remembered";
    panel.OnOpenFolder();
    EXPECT_EQ(view.opened, empty);
    panel.ShowDirectory(out);
    ASSERT_EQ(view.shownRows.size(), 1u);
    EXPECT_EQ(view.shownRows[0].cells[static_cast<std::size_t>(EPanelColumn::Frame)], "daily");
    EXPECT_EQ(view.shownRows[0].cells[static_cast<std::size_t>(EPanelColumn::First)], "2024-01-02");
}

TEST(PreviewGrid, RowsAreMarkedAsTheRunJudgesThemWithTheDialogsSettings)
{
    const auto settingsWith = [](const std::function<void(engine::ConversionSettings&)>& change) {
        engine::ConversionSettings settings;
        settings.DateFormat = "MM_DD_CCYY";
        change(settings);
        return settings;
    };
    const auto headingSkipped = [](engine::ConversionSettings& s) { s.SkipOn = 1; s.SkipRows = 1; s.OIOn = 0; };
    const struct {
        std::string what;
        std::vector<std::string> lines;
        engine::ConversionSettings settings;
        std::string headers;
        std::vector<std::string> rows;  // label|mark|reason|bad cell
    } cases[] = {
        {"the run's own reasons, the cell they are about",
         {"Date,Open,High,Low,Close,Volume,OpenInt", "01/02/2024,10.5,11,10,10.75,1000,50", "2024-01-03,10,12,9,11,5,5",
          "01/04/2024,10,,9,9.5", "01/05/2024,1,1,1,", ""},
         settingsWith(headingSkipped), "Date,Open,High,Low,Close,Volume,unused",
         {"skip|skipped|skipped|-1", "2|data||-1", "3|bad|2024-01-03 is not a date|0", "4|bad|the high is missing|2",
          "5|skipped|no close: the run leaves it out|-1", "6|data||-1"}},
        {"a later row is judged after the first, not as a first row",
         {"01/02/2024,1,1,1,1,1,1", "20240103,1,1,1,1,1,1"}, settingsWith([](auto&) {}),
         "Date,Open,High,Low,Close,Volume,Open Int", {"1|data||-1", "2|bad|20240103 is not a date|0"}},
        {"the first row decides the date style for the run",
         {"20240103,1,1,1,1,1,1"}, settingsWith([](auto&) {}), "Date,Open,High,Low,Close,Volume,Open Int",
         {"1|bad|You specified a character-separated date format\nbut a only numeric date characters were found.|0"}},
        {"without the decimal comma",
         {"01/02/2024;10,5;11;9;10,25"}, settingsWith([](auto& s) { s.Delimiter = 3; s.VolOn = 0; s.OIOn = 0; }),
         "Date,Open,High,Low,Close", {"1|bad|the open `10,5` is not a number|1"}},
        {"with the decimal comma",
         {"01/02/2024;10,5;11;9;10,25"},
         settingsWith([](auto& s) { s.Delimiter = 3; s.VolOn = 0; s.OIOn = 0; s.DecimalComma = true; }),
         "Date,Open,High,Low,Close", {"1|data||-1"}},
        {"two fields in one column, a column the row lacks",
         {"01/02/2024,1,1,1,1"}, settingsWith([](auto& s) { s.OpenCol = 5; s.VolOn = 0; s.OIOn = 0; s.HiCol = 9; }),
         "Date,unused,unused,Low,Open + Close", {"1|bad|the high is missing|-1"}},
        {"the column the run reads the bars' times from",
         {"Date,Time,Open,High,Low,Close", "2024-01-02,16:00,1,2,0.5,1.5", "2024-01-03,16:00,1,2,0.5,1.5"},
         settingsWith([](auto& s) {
             s.DateFormat = "CCYY_MM_DD"; s.SkipOn = 1; s.SkipRows = 1; s.OpenCol = 3; s.HiCol = 4; s.LoCol = 5;
             s.CloCol = 6; s.VolOn = 0; s.OIOn = 0;
         }),
         "Date,Time,Open,High,Low,Close", {"skip|skipped|skipped|-1", "2|data||-1", "3|data||-1"}},
        {"a column being typed judges nothing",
         {"x,1,1,1,1"}, settingsWith([](auto& s) { s.DateCol = 0; }), "unused,Open,High,Low,Close", {"1|data||-1"}},
    };
    const char* const marks[] = {"data", "skipped", "bad"};
    for (const auto& c : cases) {
        const PreviewTable table = CPreviewGridPresenter::TableOf(c.lines, c.settings);
        std::string headers;
        for (const std::string& header : table.headers)
            headers += (headers.empty() ? "" : ",") + header;
        EXPECT_EQ(headers, c.headers) << c.what;
        std::vector<std::string> rows;
        for (const PreviewRow& row : table.rows)
            rows.push_back(row.label + "|" + marks[static_cast<int>(row.mark)] + "|" + row.reason + "|" +
                           std::to_string(row.badCell));
        EXPECT_EQ(rows, c.rows) << c.what;
    }
}

TEST(PreviewGrid, TheCaptionSaysWhatDetectionSaysAndTheLinesAreTheRunsFirstTen)
{
    class CRecordingGrid : public IPreviewGridView {
    public:
        void ShowCaption(const std::string& text) override { caption = text; }
        void ShowTable(const PreviewTable& shown) override { table = shown; }
        std::string caption;
        PreviewTable table;
    };
    CTempDir dir;
    std::string rows;
    for (int day = 1; day <= 12; ++day)
        rows += "2024-01-" + std::string(day < 10 ? "0" : "") + std::to_string(day) + ",10,11,9,10,100\r";
    const struct {
        std::string what;
        std::string text;
        std::size_t lines;
        std::string first;
    } cases[] = {
        {"a layout found, CR line ends, a byte-order mark", "\xEF\xBB\xBF" "Date,Open,High,Low,Close,Volume\r" + rows, 10,
         "Date,Open,High,Low,Close,Volume"},
        {"a refusal", "1,2\n3,4\n", 2, "1,2"},
        {"an empty file", "", 0, ""},
    };
    for (const auto& c : cases) {
        const std::string path = WriteFile(dir.Path() / "p.csv", c.text);
        CRecordingGrid view;
        CPreviewGridPresenter presenter(view);
        presenter.SetFile(ReadFilePreview(path));
        EXPECT_EQ(view.caption, engine::DescribeLayout(engine::DetectLayout(path))) << c.what;
        ASSERT_EQ(view.table.rows.size(), c.lines) << c.what;
        std::string first;
        for (const std::string& cell : c.lines > 0 ? view.table.rows.front().cells : std::vector<std::string>())
            first += (first.empty() ? "" : ",") + cell;
        EXPECT_EQ(first, c.first) << c.what;
    }
    const FilePreview missing = ReadFilePreview((dir.Path() / "missing.csv").string());
    EXPECT_FALSE(missing.opened);
    EXPECT_EQ(missing.sentence.rfind("Cannot open the input file ", 0), 0u) << missing.sentence;
}

TEST(ChooseDirPresenter, StartsWhereToldOrWhereLastChosenAndRemembersWhatOkHandsBack)
{
    CTempDir dir;
    std::filesystem::create_directories(dir.Path() / "data" / "old");
    const std::string data = dir / "data";
    CKeepWorkingDirectory keep;
    std::filesystem::current_path(dir.Path());
    const std::string working = std::filesystem::current_path().string();
    // A path below dir in the system's own separators.
    const auto at = [&](const char* relative) { return (dir.Path() / std::filesystem::path(relative).make_preferred()).string(); };
    const std::string twoLevels = (std::filesystem::path("one") / "two").string();
    const struct {
        const char* initial;     // the caller's path, relative to dir
        const char* remembered;  // ChooserPath, relative to dir; null: none stored
        std::string shown;       // where the lists start
        std::string field;
    } starts[] = {
        {"data", nullptr, data, data},
        {"data/later/more", nullptr, data, at("data/later/more")},  // still to be made: kept in the field
        {"", "data/old", at("data/old"), at("data/old")},
        {"", "data/gone", working, working},
        {"", nullptr, working, working},
    };
    for (const auto& start : starts) {
        CMapStore store;
        CStoredSettings stored(store);
        if (start.remembered)
            stored.SetChooserFolder(at(start.remembered));
        CRecordingChooserView view;
        CChooseDirPresenter presenter(view, &stored);
        presenter.OnInit(*start.initial ? at(start.initial) : "");
        EXPECT_EQ(view.shown, start.shown) << start.initial;
        EXPECT_EQ(view.field, start.field) << start.initial;
    }

    const struct {
        std::string typed;
        EAnswer answer;       // to "Create this directory?"
        std::size_t asked;    // messages shown
        std::string chosen;   // empty: the chooser stays open
    } oks[] = {
        {"old", EAnswer::Yes, 0, at("data/old")},    // relative: from the shown directory
        {"fresh", EAnswer::No, 1, ""},
        {"fresh", EAnswer::Yes, 1, at("data/fresh")},
        {twoLevels, EAnswer::Yes, 2, ""},              // one level only
        {"a?b", EAnswer::Yes, 1, ""},
    };
    for (const auto& ok : oks) {
        CMapStore store;
        CStoredSettings stored(store);
        CRecordingChooserView view;
        CChooseDirPresenter presenter(view, &stored);
        presenter.OnInit(data);
        view.answer = ok.answer;
        presenter.OnOK(ok.typed);
        EXPECT_EQ(view.asked.size(), ok.asked) << ok.typed;
        EXPECT_EQ(view.accepted, !ok.chosen.empty()) << ok.typed;
        EXPECT_EQ(presenter.Chosen(), ok.chosen) << ok.typed;
        EXPECT_EQ(stored.ChooserFolder(), ok.chosen) << "remembered: " << ok.typed;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "data" / "one"));
}

TEST(AboutPresenter, TheBoxNamesTheBuildAndItsLinksOpenMailAndWebAddresses)
{
    struct CView : IAboutView {
        void ShowTexts(const AboutTexts& shown) override { texts = shown; }
        AboutTexts texts;
    } view;
    CAboutPresenter(view, 32).OnInit();
    EXPECT_EQ(view.texts.caption, "About Quoteforge");
    EXPECT_EQ(view.texts.madeBy.rfind("A 32 bit application\n", 0), 0u) << view.texts.madeBy;
    EXPECT_EQ(view.texts.mail.address, "mailto:" + view.texts.mail.text);
    EXPECT_EQ(view.texts.web.address, view.texts.web.text);
    EXPECT_EQ(view.texts.web.address.rfind("http", 0), 0u);
}

// Detect fills the dialog so that the grid and the run read the file with it, and whatever detection says to
// the desktop's user (the Detect refusal, the dialog's note, the grid's caption, a batch file's failure)
// names the dialog's controls, never a command-line flag.
TEST(Detection, TheDesktopShowsDetectionsAdviceWithoutFlagsAndReadsWithWhatDetectChose)
{
    const struct {
        std::string what;
        std::string text;
        std::string shown;  // part of the Detect refusal or note; empty when Detect fills the dialog silently
        bool daily;
        bool decimalComma;
        bool converted[2];  // by a batch that detects each file, without and with its own Combine box
    } cases[] = {
        {"open and close not told apart", "981230 10 11 9 10.5\n981231 10.5 12 10 11\n990104 11 12 10 11.5\n",
         "Choose the Open column and the Close column yourself", false, false, {false, false}},
        {"dates that read either way", "Date,Open,High,Low,Close\n01/02/2024,10,11,9,10.5\n01/03/2024,10,11,9,10.5\n",
         "Choose the date format yourself", false, false, {false, false}},
        // Detection takes intraday bars as they are: an intraday security, or days with the Combine box.
        {"intraday bars", "Date,Time,Open,High,Low,Close\n2020-01-02,09:30,1,2,0.5,1.5\n2020-01-02,10:30,1,2,0.5,1.5\n",
         "", false, false, {true, true}},
        {"decimal commas", "Datum;Er\xc3\xb6" "ffnung;Hoch;Tief;Schluss;Volumen\n13.01.2020;1,1052;1,1080;1,1000;1,1050;1000\n"
         "14.01.2020;1,1050;1,1100;1,1040;1,1090;1200\n", "", false, true, {true, true}},
    };
    CTempDir dir;
    CMapStore store;
    CStoredSettings stored(store);
    int n = 0;
    for (const auto& c : cases) {
        const std::string path = WriteFile(dir.Path() / ("f" + std::to_string(++n) + ".csv"), c.text);
        CRecordingSettingsView view;
        CSettingsPresenter presenter(view, engine::ConversionSettings{}, path);
        presenter.OnInitDialog();
        presenter.OnDetect();
        std::string shown = view.note;
        for (const std::string& asked : view.asked)
            shown += asked;
        EXPECT_NE(shown.find(c.shown), std::string::npos) << c.what << ": " << shown;
        EXPECT_EQ(shown.find("--"), std::string::npos) << c.what << ": " << shown;
        EXPECT_EQ(view.form.daily, c.daily) << c.what;
        const FilePreview preview = ReadFilePreview(path);
        EXPECT_EQ(preview.sentence.find("--"), std::string::npos) << c.what << ": " << preview.sentence;
        // The grid judges rows as the run does: what the run converts with Detect's choices has no bad row.
        if (view.asked.empty() && c.converted[0]) {
            EXPECT_EQ(presenter.ShownInputSettings().DecimalComma, c.decimalComma) << c.what;
            for (const PreviewRow& row : CPreviewGridPresenter::TableOf(preview.lines, presenter.ShownInputSettings()).rows)
                EXPECT_NE(row.mark, ERowMark::Bad) << c.what << ", line " << row.label << ": " << row.reason;
        }
        // A batch that detects each file: intraday bars convert without its own Combine box too, into an
        // intraday security.
        for (const bool daily : {false, true}) {
            CRecordingBatchView batchView;
            CBatchPresenter batch(batchView, stored, engine::ConversionSettings{});
            batchView.presenter = &batch;
            batch.OnInitDialog();
            batch.AddFiles({path});
            batchView.choices = {(dir.Path() / ("out" + std::to_string(n) + (daily ? "d" : ""))).string(), true, daily};
            batch.OnConvert();
            const std::string& result = batchView.shownRows.at(0).result;
            EXPECT_EQ(result.find("--"), std::string::npos) << c.what << ": " << result;
            EXPECT_EQ(result == "converted", c.converted[daily ? 1 : 0]) << c.what << ", daily " << daily << ": " << result;
        }
    }
}

// Detect sets the Time frame list to the frame of the dates and clears Combine; OK takes the entry into the
// settings, which the store keeps as TimeFrame 0 to 4 and reads back, any other number as "From the dates".
TEST(Detection, DetectFillsTheTimeFrameThatOkTakesAndTheStoreKeeps)
{
    const struct {
        std::string what;
        std::string text;
        engine::FrameChoice frame;
    } cases[] = {
        {"daily", "Date,Close\n2020-01-02,1\n2020-01-03,2\n2020-01-06,3\n", engine::FrameChoice::kDaily},
        {"two rows", "Date,Close\n2020-01-02,1\n2020-01-03,2\n", engine::FrameChoice::kFromDates},
        {"weekly", "Date,Close\n2020-01-03,1\n2020-01-10,2\n2020-01-17,3\n", engine::FrameChoice::kWeekly},
        {"monthly", "Date,Close\n2020-01-31,1\n2020-02-28,2\n2020-03-31,3\n", engine::FrameChoice::kMonthly},
        {"intraday", "Date,Time,Close\n2020-01-02,09:30,1\n2020-01-02,09:35,2\n", engine::FrameChoice::kIntraday},
    };
    EXPECT_EQ(CSettingsPresenter::TimeFrameNames(),
              (std::vector<std::string>{"From the dates", "Daily", "Weekly", "Monthly", "Intraday"}));
    CTempDir dir;
    for (const auto& c : cases) {
        const std::string path = WriteFile(dir.Path() / (c.what + ".csv"), c.text);
        engine::ConversionSettings settings;
        settings.Path = dir.Path().string();
        settings.Symbol = "X";
        settings.Daily = true;
        CRecordingSettingsView view;
        CSettingsPresenter presenter(view, settings, path);
        presenter.OnInitDialog();
        presenter.OnDetect();
        EXPECT_EQ(view.form.timeFrame, static_cast<int>(c.frame)) << c.what;
        EXPECT_FALSE(view.form.daily) << c.what;
        EXPECT_EQ(presenter.ShownInputSettings().TimeFrame, c.frame) << c.what << ": the preview reads with it";
        presenter.OnOK();
        ASSERT_EQ(view.closed, 1) << c.what << ": " << (view.asked.empty() ? "" : view.asked[0]);
        CMapStore store;
        CStoredSettings(store).StoreConversion(presenter.Settings());
        EXPECT_EQ(store.ReadInt("Setting", "TimeFrame", -1), static_cast<int>(c.frame)) << c.what;
        EXPECT_EQ(CStoredSettings(store).LoadConversion().TimeFrame, c.frame) << c.what;
    }
    for (const char* stored : {"5", "-1", "weekly"}) {
        CMapStore store;
        store.WriteString("Setting", "TimeFrame", stored);
        EXPECT_EQ(CStoredSettings(store).LoadConversion().TimeFrame, engine::FrameChoice::kFromDates) << stored;
    }
    EXPECT_EQ(CStoredSettings(*std::make_unique<CMapStore>()).LoadConversion().TimeFrame, engine::FrameChoice::kFromDates);
}

// Detect checks the Ticker column only when a heading names it; OK takes the column, the store keeps it
// as TickerOn and TickerCol, and Convert Many Files keeps its own pair.
TEST(Detection, DetectFillsATickerColumnNamedByItsHeadingThatOkAndTheStoreKeep)
{
    const struct {
        std::string what;
        std::string text;
        int tickerCol;  // as OK takes it; 0 found
    } cases[] = {
        {"headed", "Date,Symbol,Close\n2020-01-02,AAA,1\n2020-01-02,BB,2\n2020-01-03,AAA,3\n", 2},
        {"by values", "2020-01-02,AAA,1\n2020-01-02,BB,2\n2020-01-03,AAA,3\n2020-01-03,BB,3\n", 0},
        {"one security", "Date,Close\n2020-01-02,1\n2020-01-03,2\n", 0},
    };
    CTempDir dir;
    for (const auto& c : cases) {
        const std::string path = WriteFile(dir.Path() / (c.what + ".csv"), c.text);
        engine::ConversionSettings settings;
        settings.Path = dir.Path().string();
        settings.Symbol = "X";
        settings.TickerCol = 5;
        CRecordingSettingsView view;
        CSettingsPresenter presenter(view, settings, path);
        presenter.OnInitDialog();
        EXPECT_TRUE(view.form.tickerOn) << c.what;
        presenter.OnDetect();
        EXPECT_EQ(view.form.tickerOn, c.tickerCol > 0) << c.what;
        presenter.OnOK();
        ASSERT_EQ(view.closed, 1) << c.what << ": " << (view.asked.empty() ? "" : view.asked[0]);
        EXPECT_EQ(presenter.Settings().TickerCol, c.tickerCol) << c.what;
        CMapStore store;
        CStoredSettings(store).StoreConversion(presenter.Settings());
        EXPECT_EQ(store.ReadInt("Setting", "TickerOn", -1), c.tickerCol > 0 ? 1 : 0) << c.what;
        EXPECT_EQ(CStoredSettings(store).LoadConversion().TickerCol, c.tickerCol) << c.what;
    }
    CRecordingSettingsView view;
    CSettingsPresenter presenter(view, engine::ConversionSettings{}, "");
    presenter.OnInitDialog();
    view.form.tickerOn = true;
    view.form.tickerColumn = "21";
    presenter.OnOK();
    EXPECT_EQ(view.closed, -1);
    EXPECT_EQ(view.asked, std::vector<std::string>{"Please enter an integer between 1 and 20."});
    EXPECT_EQ(view.focused, EControl::TickerCol);

    CMapStore store;
    CStoredSettings stored(store);
    stored.SetBatch({"out", false, false, true, 3});
    EXPECT_EQ(store.ReadInt("Setting", "BatchTickerOn", -1), 1);
    EXPECT_EQ(store.ReadInt("Setting", "BatchTickerCol", -1), 3);
    EXPECT_EQ(stored.Batch().tickerColumn, 3);
}

// The desktop asks about MASTER as the run decides it: in any case, and a MASTER that cannot be checked
// or is no file is an error with its reason, never taken for absence.
TEST(OutputDirectory, MasterIsWhatTheRunTakesForMaster)
{
    const struct {
        const char* szWhat;
        std::function<void(const std::filesystem::path&)> make;
        const char* szFailedCall;  // "" for none
        EDirectoryState state;
        bool master;
        const char* szReason;  // the end of the reason
    } cases[] = {
        {"none", [](const std::filesystem::path&) {}, "", EDirectoryState::Directory, false, ""},
        {"MASTER", [](const std::filesystem::path& d) { std::ofstream(d / "MASTER") << "x"; }, "",
         EDirectoryState::Directory, true, ""},
        {"master", [](const std::filesystem::path& d) { std::ofstream(d / "master") << "x"; }, "",
         EDirectoryState::Directory, true, ""},
        {"a directory MASTER", [](const std::filesystem::path& d) { std::filesystem::create_directory(d / "MASTER"); }, "",
         EDirectoryState::Unreadable, false, "MASTER is not a file"},
        {"unreadable", [](const std::filesystem::path& d) { std::ofstream(d / "MASTER") << "x"; }, "exists MASTER",
         EDirectoryState::Unreadable, false, "MASTER: Permission denied"},
    };
    for (const auto& c : cases) {
        CTempDir dir;
        c.make(dir.Path());
        DirectoryState state;
        if (*c.szFailedCall) {
            CFaultFileSystem faults(c.szFailedCall, EACCES);
            state = LookAtDirectory(dir.Path().string());
        } else {
            state = LookAtDirectory(dir.Path().string());
        }
        EXPECT_EQ(state.state, c.state) << c.szWhat;
        EXPECT_EQ(state.master, c.master) << c.szWhat;
        EXPECT_TRUE(state.reason.ends_with(c.szReason)) << c.szWhat << ": " << state.reason;
    }
}
