#pragma once
// The Directory panel beside the log: the securities of one MetaStock directory as a table (symbol, name,
// data file, fields, time frame, first and last date, records), sorted by the column whose header was clicked, with
// Export... and Remove for the selected securities, Check directory, a directory of its own (chosen here
// or the one a run wrote to, and remembered) and a way to open it in the file manager. It never changes a
// directory except by Remove, which asks first.

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "desktop/question.h"
#include "desktop/stored_settings.h"
#include "engine/directory/export.h"

namespace desktop {

enum class EPanelColumn { Symbol, Name, DataFile, Fields, Frame, First, Last, Records };
inline constexpr std::size_t kPanelColumnCount = 8;
// The columns' headings, in EPanelColumn order.
inline constexpr const char* kPanelColumnHeadings[kPanelColumnCount] = {"Symbol", "Name",  "Data file", "Fields",
                                                                       "Frame",  "First", "Last",      "Records"};

enum class EPanelControl { Export, Remove, Check, OpenFolder };

struct PanelRow {
    std::array<std::string, kPanelColumnCount> cells;  // as shown, in EPanelColumn order
    std::string storedSymbol;                          // as the index holds it, to export and remove by
};

class IDirectoryPanelView : public IQuestions {
public:
    virtual void ShowCaption(const std::string& text) = 0;
    // fromTop: a new directory, shown from its first row.
    virtual void ShowRows(const std::vector<PanelRow>& rows, bool fromTop) = 0;
    virtual void ShowSortColumn(EPanelColumn column, bool ascending) = 0;
    virtual void Enable(EPanelControl control, bool on) = 0;
    virtual void AppendLog(const std::string& line) = 0;
    virtual bool ChooseDirectory(std::string& directory) = 0;
    virtual void OpenInFileManager(const std::string& directory) = 0;
    // The export's date format, delimiter and heading line; false: cancelled.
    virtual bool AskExportOptions(engine::ExportOptions& options) = 0;
    // The file for one security (file holds the proposed name), or the folder for several.
    virtual bool ChooseExportFile(const std::string& symbol, std::string& file) = 0;
    virtual bool ChooseExportFolder(std::string& folder) = 0;
    // Runs work off the window's thread and returns once it is done.
    virtual void RunInBackground(const std::function<void()>& work) = 0;
};

class CDirectoryPanelPresenter {
public:
    CDirectoryPanelPresenter(IDirectoryPanelView& view, CStoredSettings& stored);

    // Shows the remembered directory.
    void OnInit();
    // Shows and remembers the directory (text in the engine's form, UTF-8); an empty one, or one without
    // MASTER, leaves the table empty with a note.
    void ShowDirectory(const std::string& directory);
    void Refresh();
    void OnChooseDirectory();
    void OnOpenFolder();
    void OnHeaderClicked(EPanelColumn column);
    // rows: the selected rows in the order shown.
    void OnSelectionChanged(std::vector<std::size_t> rows);
    void OnExport();
    // Exports the security in the row, as Export... does for the selection.
    void OnDoubleClick(std::size_t row);
    void OnRemove();
    void OnCheck();
    // Writes the security of the row to the file; true when written.
    bool ExportRow(std::size_t row, const std::string& file, const engine::ExportOptions& options);

    const std::string& Directory() const { return m_directory; }
    const std::vector<PanelRow>& Rows() const { return m_rows; }

private:
    void Sort();
    void UpdateControls();

    IDirectoryPanelView& m_view;
    CStoredSettings& m_stored;
    std::string m_directory;
    std::vector<PanelRow> m_rows;
    std::vector<std::size_t> m_selected;
    EPanelColumn m_sortColumn = EPanelColumn::DataFile;
    bool m_bAscending = true;
};

}  // namespace desktop
