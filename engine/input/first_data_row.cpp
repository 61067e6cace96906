#include "engine/input/first_data_row.h"

#include "engine/text/line_parsing.h"
#include "engine/text/text_reader.h"
#include "metastock/file_system.h"
#include "metastock/path_text.h"

namespace engine {

FirstDataRow ReadFirstDataRow(const std::string& path, char delimiter, int skipRows)
{
    FirstDataRow row;
    const auto file = metastock::CurrentFileSystem().OpenForReading(metastock::PathFromText(path));
    if (!file) {
        row.failure = metastock::LastFailureReason();
        return row;
    }
    row.opened = true;
    CLineSource source(file.get());
    std::string_view line;
    while (row.line < skipRows && source.NextLine(line))
        ++row.line;
    TextField fields[kMaxFields];
    std::string scratch;
    while (source.NextLine(line)) {
        ++row.line;
        if (!IsBlankRow(fields, SplitFields(line, delimiter, fields, scratch))) {
            row.found = true;
            row.text = line;
            return row;
        }
    }
    if (source.Failed())
        row.failure = source.FailureReason();
    return row;
}

}  // namespace engine
