#pragma once
// The rows of files of many securities, gathered by ticker without holding them in memory: a first pass
// copies each data line into one temporary file and keeps, per ticker, where its lines lie and which line
// of which input each one was; then one security at a time reads its lines back as one input.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/input/ticker_column.h"
#include "engine/job/conversion_job.h"
#include "metastock/file_system.h"

namespace engine {

struct SpooledLine {
    std::uint64_t offset = 0;  // in the temporary file
    std::uint32_t length = 0;  // without the line end
    std::uint32_t line = 0;    // 1-based, in its input
    std::uint32_t file = 0;    // the input's index
};

struct TickerGroup {
    std::string ticker;
    std::string name;   // from the first row's name column; empty when there is none
    std::string period;  // likewise from the period column
    std::size_t firstFile = 0;
    std::vector<std::size_t> files;  // the inputs that hold its rows, in the order first seen
    std::vector<SpooledLine> lines;
};

class CTickerSpool {
public:
    CTickerSpool() = default;
    ~CTickerSpool();
    CTickerSpool(const CTickerSpool&) = delete;
    CTickerSpool& operator=(const CTickerSpool&) = delete;

    // Makes the temporary file, exclusively, in the system's temporary directory (else in fallback);
    // false with the system's reason.
    bool Create(const std::filesystem::path& fallback, std::string& reason);
    // Copies the data lines of one input (those after the layout's heading rows, blank ones left out) into
    // the groups of their tickers. A line without a ticker whose date reads is a row of no security: it is
    // left out and its line number put in untickered. Any other line without a ticker (a footer) goes with
    // the line before it. False with the system's reason when the input cannot be read.
    bool Add(std::size_t nFile, metastock::IReadableFile& input, const InputLayout& layout,
             const TickerColumns& columns, std::vector<std::uint32_t>& untickered, std::string& reason);
    // Flushes what was copied; call once all inputs are added.
    bool Finish(std::string& reason);

    const std::vector<TickerGroup>& Groups() const { return m_groups; }
    bool Holds(const std::string& ticker) const { return m_groupOf.count(ticker) > 0; }
    // The lines of a group, one after the other as one input; false with the system's reason. Safe on
    // any thread once Finish is through (each call reads through its own opening).
    bool ReadLines(const TickerGroup& group, std::string& text, std::string& reason) const;
    // Frees the memory of a group's index once it is converted.
    void Release(std::size_t nGroup);

private:
    bool Flush(std::string& reason);

    std::filesystem::path m_path;
    std::unique_ptr<metastock::IWritableFile> m_pFile;
    std::string m_buffer;  // lines not yet written
    std::uint64_t m_nWritten = 0;
    bool m_bFinished = false;
    std::vector<TickerGroup> m_groups;
    std::unordered_map<std::string, std::size_t> m_groupOf;
};

// A message about a group's rows with each "Line N" of its gathered lines named as the line of its own
// input ("Line 17 of eod_20240105.csv"), and inputPath (the path the run named the rows by) replaced by
// source.
std::string WithInputLines(const std::string& text, const TickerGroup& group, const std::vector<std::string>& shownPaths,
                           const std::string& inputPath, const std::string& source);

}  // namespace engine
