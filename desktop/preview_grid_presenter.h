#pragma once
// The preview grid beside the log: the input file's first ten lines as a run reads them, split into
// columns by the Conversion Settings dialog's current settings, each column headed by the field read from
// it (or "unused"), the skipped rows greyed and the rows that the run could not read marked, with the
// run's own reason and the cell it is about. Beside the grid stands what detection makes of the file:
// the layout it found, or why it found none.

#include <string>
#include <vector>

#include "engine/job/conversion_settings.h"

namespace desktop {

inline constexpr int kPreviewLines = 10;

// What the preview of one file needs, read through one opening.
struct FilePreview {
    bool opened = false;
    std::vector<std::string> lines;  // the first kPreviewLines, as a run reads them (byte-order marks, CR line ends)
    std::string sentence;            // what detection found, or why it found no layout, in its own words
};

// The file's preview; a file that cannot be opened or read gives no lines and the reason as the sentence.
FilePreview ReadFilePreview(const std::string& path);

enum class ERowMark { Data, Skipped, Bad };

struct PreviewRow {
    std::string label;               // the line's number, or "skip"
    std::vector<std::string> cells;  // the line's fields as the run splits them
    ERowMark mark = ERowMark::Data;  // Skipped: a heading row, or a row without a close
    std::string reason;              // Skipped: "skipped", or why the run leaves it out; Bad: why it cannot read it
    int badCell = -1;                // Bad: the 0-based cell the reason is about; -1 when it has none (a missing column)
};

struct PreviewTable {
    std::vector<std::string> headers;  // per column: the fields read from it ("Date", "High + Low"), "Time" for the
                                       // bars' times, or "unused"
    std::vector<PreviewRow> rows;
};

class IPreviewGridView {
public:
    virtual ~IPreviewGridView() = default;
    // The line beside the grid: what detection makes of the file.
    virtual void ShowCaption(const std::string& text) = 0;
    virtual void ShowTable(const PreviewTable& table) = 0;
};

class CPreviewGridPresenter {
public:
    explicit CPreviewGridPresenter(IPreviewGridView& view) : m_view(view) {}

    // Shows the file's lines by the default settings until the dialog gives its own.
    void SetFile(FilePreview preview);
    void ShowSettings(const engine::ConversionSettings& settings);

    // The grid of the lines by the settings: every data row judged as the run judges it after the rows
    // before it, so that a row is marked exactly when a run would refuse it.
    static PreviewTable TableOf(const std::vector<std::string>& lines, const engine::ConversionSettings& settings);

private:
    IPreviewGridView& m_view;
    std::vector<std::string> m_lines;
};

}  // namespace desktop
