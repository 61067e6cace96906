#include "engine/input_rows.h"

#include <algorithm>

namespace engine {

using namespace metastock;

RowsRead PutRows(const std::vector<RowRecord>& rows, const InputLayout& layout, const RowWindow& window, IRecordSink& sink)
{
    RowsRead result;
    const float* pLastDate = nullptr;  // encoded once, after the last row
    for (const RowRecord& row : rows) {
        const float date = row.values[kDateField];
        if (window.afterDateOnly && !(date > window.afterDate))
            continue;
        if (result.records == window.room) {
            result.beyondRoom = true;
            break;
        }
        std::uint8_t record[4 * kFieldCount];
        std::size_t recordLength = 0;
        for (int q = 0; q < kFieldCount; ++q) {
            if (!layout.fieldOn[q])
                continue;
            const MbfSingle value = FloatToMbf(row.values[static_cast<std::size_t>(q)]);
            std::copy(value.begin(), value.end(), record + recordLength);
            recordLength += 4;
        }
        if (result.records == 0)
            result.firstDate = FloatToMbf(date);
        pLastDate = &row.values[kDateField];
        if (sink.Append(record, recordLength) != 0) {
            result.status = 1;
            break;
        }
        ++result.records;
    }
    if (pLastDate)
        result.lastDate = FloatToMbf(*pLastDate);
    return result;
}

}  // namespace engine
