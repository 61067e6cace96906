#pragma once
// What the commands share in their output: the message sink that writes one line per message to standard
// error, and the text forms of numbers, fields and dates.

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "engine/job/run_summary.h"
#include "engine/job/services.h"

namespace cli {

// A message as one line of a terminal: its line breaks turned into blanks, other control characters
// escaped (\x1b), since a message may name a symbol read from a damaged index.
std::string OneLine(std::string_view text);

// The engine's message with the flag that stands for each option phrase in it: "combine intraday bars into
// days (--daily)".
std::string WithFlagNames(std::string text);

// Each message on one line of the stream, as OneLine gives it, with the flag names.
class CErrorLineSink : public engine::IMessageSink {
public:
    explicit CErrorLineSink(std::ostream& err) : m_err(err) {}
    void ShowMessage(const std::string& text) override;
    void ShowNotice(const std::string& text) override;

private:
    std::ostream& m_err;
};

using engine::WithThousands;  // 4180313 as "4,180,313"

// A CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(std::string_view text);

// A JSON string literal of UTF-8 text.
std::string JsonString(std::string_view text);


}  // namespace cli
