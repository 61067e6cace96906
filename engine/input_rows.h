#pragma once
// The input's checked rows as data records, as the job's input layout says. The records go to a sink
// one by one.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include <vector>

#include "engine/conversion_job.h"
#include "engine/row_reading.h"
#include "engine/services.h"
#include "metastock/mbf.h"

namespace engine {

// Takes each data record: the MBF values of the fields that are on, in field order. 0, or non-zero to
// stop the reading (after the sink's own message).
class IRecordSink {
public:
    virtual ~IRecordSink() = default;
    virtual int Append(const std::uint8_t* record, std::size_t length) = 0;
};

// Which rows a run takes: an update only those dated after the security's last date, and no more than
// the data file has room for.
struct RowWindow {
    bool afterDateOnly = false;
    float afterDate = 0;  // a date code
    int room = 0;         // records the data file can still take
};

struct RowsRead {
    int status = 0;                // non-zero: the sink stopped (after its message)
    int records = 0;               // handed to the sink
    metastock::MbfSingle firstDate = {};
    metastock::MbfSingle lastDate = {};
    bool beyondRoom = false;       // a row was left out for want of room (not reported: the caller words it)
};

// Hands the checked rows (oldest first) that fall in the window to the sink, each as the data record of
// the fields that are on.
RowsRead PutRows(const std::vector<RowRecord>& rows, const InputLayout& layout, const RowWindow& window, IRecordSink& sink);

}  // namespace engine
