#pragma once
// What the toolkit's commands share: how each registers with the command line, the message sink that
// writes one line per message to standard error, and the text forms of their output.

#include <CLI/CLI.hpp>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include "engine/services.h"

// A registered subcommand and what runs it once its options are parsed; the run returns the exit status.
struct CSubcommand {
    CLI::App* pCommand = nullptr;
    std::function<int(std::ostream& out, std::ostream& err)> run;
};

CSubcommand AddListCommand(CLI::App& app);
CSubcommand AddExportCommand(CLI::App& app);
CSubcommand AddCheckCommand(CLI::App& app);
CSubcommand AddRemoveCommand(CLI::App& app);

// Each message on one line of the stream, its line breaks turned into blanks.
class CErrorLineSink : public engine::IMessageSink {
public:
    explicit CErrorLineSink(std::ostream& err) : m_err(err) {}
    void ShowMessage(const std::string& text) override;
    void ShowNotice(const std::string& text) override;

private:
    std::ostream& m_err;
};

// 4180313 as "4,180,313".
std::string WithThousands(std::int64_t value);

// A CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(std::string_view text);

// A JSON string literal of UTF-8 text.
std::string JsonString(std::string_view text);

// YYYYMMDD as YYYY-MM-DD; empty for 0.
std::string IsoDate(int yyyymmdd);
