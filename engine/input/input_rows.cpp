#include "engine/input/input_rows.h"

#include <algorithm>

namespace engine {

using namespace metastock;

RowsInWindow FindRows(const CheckedRows& rows, const RowWindow& window)
{
    RowsInWindow result;
    const std::size_t count = rows.Count();
    const auto later = [&](std::size_t k) {
        const float date = MbfToFloat(rows.Date(k));
        return date > window.afterDate || (date == window.afterDate && window.afterTime >= 0 && rows.Time(k) > window.afterTime);
    };
    if (window.afterDateOnly)
        while (result.first < count && !later(result.first))
            ++result.first;
    const std::size_t left = count - result.first;
    const std::size_t room = static_cast<std::size_t>(std::max(window.room, 0));
    result.beyondRoom = left > room;
    result.records = static_cast<int>(std::min(left, room));
    if (result.records > 0) {
        result.firstDate = rows.Date(result.first);
        result.lastDate = rows.Date(result.first + static_cast<std::size_t>(result.records) - 1);
        result.firstTime = rows.Time(result.first);
        result.lastTime = rows.Time(result.first + static_cast<std::size_t>(result.records) - 1);
    }
    return result;
}

}  // namespace engine
