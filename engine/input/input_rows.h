#pragma once
// Which of the input's checked records a run writes: all of them for a new security, and for an update
// those dated after the security's last date (and, for intraday bars, time), as far as the data file has
// room.

#include <cstddef>

#include "engine/input/row_reading.h"
#include "metastock/mbf.h"

namespace engine {

struct RowWindow {
    bool afterDateOnly = false;
    float afterDate = 0;  // a date code
    int afterTime = -1;   // HHMMSS of the last bar on afterDate, for intraday records; -1 for none
    int room = 0;         // records the data file can still take
};

struct RowsInWindow {
    std::size_t first = 0;         // the first record taken
    int records = 0;               // how many, from first on
    metastock::MbfSingle firstDate = {};
    metastock::MbfSingle lastDate = {};
    int firstTime = -1;            // HHMMSS of the first and last intraday bar taken; -1 for other records
    int lastTime = -1;
    bool beyondRoom = false;       // a record was left out for want of room (not reported: the caller words it)

    const std::uint8_t* Bytes(const CheckedRows& rows) const { return rows.Record(first); }
    std::size_t Size(const CheckedRows& rows) const { return static_cast<std::size_t>(records) * rows.recordLength; }
};

// The records (oldest first) that fall in the window: they follow one another, since the records are in
// date order.
RowsInWindow FindRows(const CheckedRows& rows, const RowWindow& window);

}  // namespace engine
