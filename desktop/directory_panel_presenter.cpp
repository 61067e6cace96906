#include "desktop/directory_panel_presenter.h"

#include <algorithm>
#include <cstdlib>

#include "desktop/log_text.h"
#include "engine/directory/directory_check.h"
#include "engine/directory/remove_security.h"
#include "engine/directory/security_listing.h"
#include "engine/text/code_page.h"
#include "metastock/path_text.h"

namespace desktop {

namespace {

// Keeps the last message, which says why an export or a removal failed.
class CLastMessage : public engine::IMessageSink {
public:
    void ShowMessage(const std::string& text) override { m_text = text; }
    void ShowNotice(const std::string&) override {}
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

// The number in a cell such as "1234" or "F12.DAT"; cells without one sort first.
long NumberIn(const std::string& cell)
{
    const std::size_t digit = cell.find_first_of("0123456789");
    return digit == std::string::npos ? -1 : std::strtol(cell.c_str() + digit, nullptr, 10);
}

std::string Joined(const std::vector<std::string>& symbols)
{
    std::string text;
    for (const std::string& symbol : symbols)
        text += (text.empty() ? "" : ", ") + symbol;
    return text;
}

}  // namespace

CDirectoryPanelPresenter::CDirectoryPanelPresenter(IDirectoryPanelView& view, CStoredSettings& stored)
    : m_view(view), m_stored(stored)
{
}

void CDirectoryPanelPresenter::OnInit()
{
    m_view.ShowSortColumn(m_sortColumn, m_bAscending);
    ShowDirectory(m_stored.PanelDirectory());
}

void CDirectoryPanelPresenter::ShowDirectory(const std::string& directory)
{
    m_directory = directory;
    if (!directory.empty())
        m_stored.SetPanelDirectory(directory);
    m_rows.clear();
    m_view.ShowRows(m_rows, true);  // the old directory's rows and scroll position go at once
    Refresh();
}

void CDirectoryPanelPresenter::Refresh()
{
    std::vector<engine::ListedSecurity> listed;
    std::string error;
    bool bRead = false;
    if (!m_directory.empty()) {
        const std::string directory = m_directory;
        // Listing reads every data file whole.
        m_view.RunInBackground([&] {
            CLastMessage notices;
            bRead = engine::ListSecurities(metastock::PathFromText(directory), listed, error, notices);
        });
    }
    m_view.ShowCaption(m_directory.empty() ? "No output directory yet." : bRead ? m_directory : m_directory + "\n" + error);
    m_rows.clear();
    // A damaged index may hold control characters: shown escaped, as the command line shows them.
    const auto shown = [](const std::string& value) { return engine::EscapeControls(value); };
    for (const engine::ListedSecurity& security : listed)
        m_rows.push_back({{shown(security.symbol), shown(security.name), shown(security.dataFile), shown(security.fields),
                           shown(security.frame), shown(security.first), shown(security.last),
                           security.records.empty() ? "unreadable" : shown(security.records)},
                          security.storedSymbol});
    Sort();
    m_selected.clear();
    m_view.ShowRows(m_rows, true);
    UpdateControls();
}

void CDirectoryPanelPresenter::Sort()
{
    const auto column = static_cast<std::size_t>(m_sortColumn);
    const bool bNumber = m_sortColumn == EPanelColumn::DataFile || m_sortColumn == EPanelColumn::Records;
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](const PanelRow& a, const PanelRow& b) {
        const PanelRow& first = m_bAscending ? a : b;
        const PanelRow& second = m_bAscending ? b : a;
        if (bNumber)
            return NumberIn(first.cells[column]) < NumberIn(second.cells[column]);
        return first.cells[column] < second.cells[column];
    });
}

void CDirectoryPanelPresenter::OnHeaderClicked(EPanelColumn column)
{
    m_bAscending = column == m_sortColumn ? !m_bAscending : true;
    m_sortColumn = column;
    Sort();
    m_selected.clear();
    m_view.ShowSortColumn(m_sortColumn, m_bAscending);
    m_view.ShowRows(m_rows, false);
    UpdateControls();
}

void CDirectoryPanelPresenter::OnSelectionChanged(std::vector<std::size_t> rows)
{
    rows.erase(std::remove_if(rows.begin(), rows.end(), [&](std::size_t row) { return row >= m_rows.size(); }), rows.end());
    m_selected = std::move(rows);
    UpdateControls();
}

void CDirectoryPanelPresenter::UpdateControls()
{
    m_view.Enable(EPanelControl::Export, !m_selected.empty());
    m_view.Enable(EPanelControl::Remove, !m_selected.empty());
    m_view.Enable(EPanelControl::Check, !m_directory.empty());
    m_view.Enable(EPanelControl::OpenFolder, !m_directory.empty());
}

void CDirectoryPanelPresenter::OnChooseDirectory()
{
    std::string directory = m_directory;
    if (m_view.ChooseDirectory(directory) && !directory.empty())
        ShowDirectory(directory);
}

void CDirectoryPanelPresenter::OnOpenFolder()
{
    if (!m_directory.empty())
        m_view.OpenInFileManager(m_directory);
}

void CDirectoryPanelPresenter::OnDoubleClick(std::size_t row)
{
    if (row >= m_rows.size())
        return;
    m_selected = {row};
    UpdateControls();
    OnExport();
}

void CDirectoryPanelPresenter::OnExport()
{
    if (m_selected.empty())
        return;
    engine::ExportOptions options;
    if (!m_view.AskExportOptions(options))
        return;
    const std::vector<std::size_t> rows = m_selected;
    if (rows.size() == 1) {
        const std::string& symbol = m_rows[rows.front()].cells[0];
        std::string file = symbol + ".csv";
        if (m_view.ChooseExportFile(symbol, file) && !file.empty())
            ExportRow(rows.front(), file, options);
        return;
    }
    std::string folder;
    if (!m_view.ChooseExportFolder(folder) || folder.empty())
        return;
    for (std::size_t row : rows)
        ExportRow(row, metastock::TextFromPath(metastock::PathFromText(folder) / metastock::PathFromText(m_rows[row].cells[0] + ".csv")),
                  options);
}

bool CDirectoryPanelPresenter::ExportRow(std::size_t row, const std::string& file, const engine::ExportOptions& options)
{
    if (row >= m_rows.size())
        return false;
    const std::string& symbol = m_rows[row].cells[0];
    CLastMessage messages;
    if (engine::ExportSecurityToFile(metastock::PathFromText(m_directory), m_rows[row].storedSymbol, options,
                                     metastock::PathFromText(file), messages) != 0) {
        m_view.AppendLog("Export of " + symbol + " failed. " + OneLine(messages.Text()));
        return false;
    }
    m_view.AppendLog(symbol + " exported to " + file);
    return true;
}

void CDirectoryPanelPresenter::OnRemove()
{
    if (m_selected.empty())
        return;
    std::vector<std::string> symbols;
    for (std::size_t row : m_selected)
        symbols.push_back(m_rows[row].cells[0]);
    const std::string question =
        symbols.size() == 1
            ? "Remove " + symbols.front() + " from " + m_directory + "?\nIts data file is deleted; this cannot be undone."
            : "Remove " + std::to_string(symbols.size()) + " securities (" + Joined(symbols) + ") from " + m_directory +
                  "?\nTheir data files are deleted; this cannot be undone.";
    if (m_view.Ask(question, EButtons::YesNoDefaultNo) != EAnswer::Yes)
        return;
    for (std::size_t row : m_selected) {
        const std::string& symbol = m_rows[row].cells[0];
        CLastMessage messages;
        std::string removedFile;
        if (engine::RemoveSecurity(metastock::PathFromText(m_directory), m_rows[row].storedSymbol, messages, removedFile) == 0)
            m_view.AppendLog(symbol + " removed from " + m_directory + " (" + removedFile + ")");
        else
            m_view.AppendLog("Removing " + symbol + " failed. " + OneLine(messages.Text()));
    }
    Refresh();
}

void CDirectoryPanelPresenter::OnCheck()
{
    if (m_directory.empty())
        return;
    engine::DirectoryReport report;
    const std::string directory = m_directory;
    m_view.RunInBackground([&] { report = engine::CheckDirectory(metastock::PathFromText(directory)); });
    std::string line = "Check of " + m_directory + ": " + std::to_string(report.securities) + " securities, ";
    line += report.problems.empty() ? "no problems found" : std::to_string(report.problems.size()) + " problems:";
    for (const std::string& problem : report.problems)
        line += "\r\n    " + problem;
    m_view.AppendLog(line);
}

}  // namespace desktop
