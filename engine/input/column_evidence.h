#pragma once
// Which column holds which price field, decided by the values of the data rows and by the headings the
// values bear out.

#include <string>
#include <vector>

#include "engine/input/layout_detection.h"
#include "engine/text/heading_names.h"
#include "metastock/data_file_format.h"

namespace engine {

// One column of the data rows, read with the file's number style.
struct ColumnValues {
    int column = 0;           // 1-based
    std::string heading;    // the heading above it that names a role, else the last one; may be empty
    HeadingRole role = HeadingRole::kNone;
    bool wholeHeading = false;  // the heading as a whole names the role (not one of its words)
    bool numeric = false;     // every cell a number or an empty word, and most of them numbers
    bool readable = false;    // every cell a number or an empty word
    bool whole = false;       // every number whole
    bool nonNegative = false;
    bool positive = false;
    bool constant = false;    // one value on every row
    std::vector<double> values;  // per data row, oldest first; NaN where the cell is empty
};

// The fields' columns, or why they cannot be settled.
struct ColumnRoles {
    FieldEvidence fields[metastock::kFieldCount];  // date left alone
    std::vector<std::string> notes;
    std::string problem;
    std::vector<LayoutChoice> openChoices;
};

ColumnRoles AssignColumnRoles(const std::vector<ColumnValues>& columns);

}  // namespace engine
