#pragma once
// Reading the input's rows into data records, as the job's input layout says. The records go to a sink
// one by one, so that a conversion never holds more of them in memory than its writer buffers.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/conversion_job.h"
#include "engine/services.h"
#include "metastock/mbf.h"

namespace engine {

class CTextReader;

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
    int status = 0;                // non-zero: the sink stopped (after its message) or the input failed
    bool readFailed = false;       // reading the input failed (not reported: the caller names the file)
    int records = 0;               // handed to the sink
    metastock::MbfSingle firstDate = {};
    metastock::MbfSingle lastDate = {};
    bool dateStyleFailed = false;  // the first date did not match the date format's style (reported)
    bool beyondRoom = false;       // a row was left out for want of room (not reported: the caller words it)
};

// Reads every line of the input after the skipped ones that holds a token into one data record each.
RowsRead ReadInputRows(CTextReader& input, const InputLayout& layout, const RowWindow& window, IRecordSink& sink,
                       IMessageSink& messages);

// Copies text into a fixed buffer, such as the date text that ParseDate reads, cutting it to fit.
template <std::size_t N>
void CopyText(char (&buffer)[N], std::string_view text)
{
    const std::size_t length = text.size() < N ? text.size() : N - 1;
    text.copy(buffer, length);
    buffer[length] = '\0';
}

}  // namespace engine
