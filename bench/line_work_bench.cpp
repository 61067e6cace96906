// The work a conversion does for every input line: split it into fields, read the date, read the six
// values and encode them as the data record's MBF singles. Each step alone, then the whole sequence over
// a series of lines shaped like the generated sample, then the row reader's whole read of a series,
// plain and with every field quoted.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "engine/input/row_reading.h"
#include "engine/text/date_formats.h"
#include "engine/text/line_parsing.h"
#include "engine/text/text_reader.h"
#include "metastock/day_number.h"
#include "metastock/mbf.h"

using namespace metastock;
using namespace engine;

namespace {

constexpr std::string_view kCommaLine = "12/31/1998,1234.50,1240.25,1230.00,1238.75,1234567,45678";
constexpr std::string_view kTabLine = "12/31/1998\t1234.50\t1240.25\t1230.00\t1238.75\t1234567\t45678";
constexpr std::string_view kSpaceLine = "12/31/1998 1234.50  1240.25 1230.00 1238.75   1234567 45678";

constexpr std::int16_t kMmDdCcYy = 4;
constexpr int kValueCount = 6;

struct DelimitedLine {
    std::string_view text;
    char delimiter;
};
constexpr std::string_view kQuotedLine =
    "\"12/31/1998\",\"1234.50\",\"1240.25\",\"1230.00\",\"1238.75\",\"1234567\",\"45678\"";
constexpr std::array<DelimitedLine, 4> kDelimitedLines = {
    {{kCommaLine, ','}, {kTabLine, '\t'}, {kSpaceLine, ' '}, {kQuotedLine, ','}}};
constexpr const char* kLineLabels[] = {"comma", "tab", "space", "quoted"};

void BM_FloatToMbf(benchmark::State& state)
{
    std::array<float, kValueCount> values = {1234.50f, 1240.25f, 1230.00f, 1238.75f, 1234567.0f, 45678.0f};
    for (auto _ : state)
        for (float& value : values) {
            benchmark::DoNotOptimize(value);
            benchmark::DoNotOptimize(FloatToMbf(value));
        }
    state.SetItemsProcessed(state.iterations() * kValueCount);
}
BENCHMARK(BM_FloatToMbf);

void BM_DayToDateCode(benchmark::State& state)
{
    std::uint16_t nDayNumber = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(DayToDateCode(nDayNumber));
        nDayNumber = nDayNumber == 65535 ? 1 : nDayNumber + 1;  // every readable day in turn
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DayToDateCode);

// Lines as the line reader hands them over (line feed included), a daily series with prices that wander,
// so that neither the branches nor the number lengths repeat from one line to the next.
std::vector<std::string> MakeSeries(std::size_t count)
{
    std::vector<std::string> lines;
    lines.reserve(count);
    std::uint32_t seed = 20261207;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<double>((seed >> 8) & 0xFFFF) / 65536.0;
    };
    double close = 100.0;
    int year = 1961, month = 1, day = 1;
    constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (std::size_t i = 0; i < count; ++i) {
        const double open = close * (1 + (next() - 0.5) * 0.01);
        close = open * (1 + (next() - 0.495) * 0.03);
        const double high = (open > close ? open : close) * (1 + next() * 0.01);
        const double low = (open < close ? open : close) * (1 - next() * 0.01);
        char line[128];
        std::snprintf(line, sizeof line, "%02d/%02d/%04d,%.2f,%.2f,%.2f,%.2f,%d,%d\n", month, day, year, open, high,
                      low, close, static_cast<int>(200000 + next() * 1800000), static_cast<int>(40000 + next() * 20000));
        lines.emplace_back(line);
        const bool bLeap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
        const int monthDays = kMonthDays[month - 1] + (month == 2 && bLeap ? 1 : 0);
        if (++day > monthDays) {
            day = 1;
            if (++month > 12) {
                month = 1;
                ++year;
            }
        }
    }
    return lines;
}

// Everything the row reader does for one line between reading it and keeping the record.
void BM_WholeLine(benchmark::State& state)
{
    constexpr std::size_t kLines = 4096;  // a power of two, so the index wraps with a mask
    const std::vector<std::string> lines = MakeSeries(kLines);
    TextField fields[kMaxFields];
    std::string scratch;
    MbfSingle record[7] = {};
    std::size_t index = 0;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        const std::string_view line = WithoutLineFeed(lines[index]);
        index = (index + 1) & (kLines - 1);
        bytes += static_cast<std::int64_t>(line.size());
        if (SplitFields(line, ',', fields, scratch) < 7)
            continue;
        const DateRead date = ReadDate(fields[0].text, kMmDdCcYy);
        record[0] = FloatToMbf(static_cast<float>(DateCodeValue(date.year, date.month, date.day)));
        for (int q = 1; q < 7; ++q) {
            float value = 0;
            ReadNumber(fields[q], NumberStyle{}, value);
            record[q] = FloatToMbf(value);
        }
        benchmark::DoNotOptimize(record);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(bytes);
    state.SetLabel("items = lines");
}
BENCHMARK(BM_WholeLine);

}  // namespace

namespace {

// The lines split as the row reader splits them, with quotes and empty fields kept in place.
void BM_SplitFields(benchmark::State& state)
{
    const DelimitedLine& line = kDelimitedLines[static_cast<std::size_t>(state.range(0))];
    TextField fields[kMaxFields];
    std::string scratch;
    for (auto _ : state)
        benchmark::DoNotOptimize(SplitFields(line.text, line.delimiter, fields, scratch));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(line.text.size()));
    state.SetLabel(kLineLabels[state.range(0)]);
}
BENCHMARK(BM_SplitFields)->DenseRange(0, 3);

// 31 December 1998 in each of the sixteen formats.
constexpr std::array<const char*, kDateFormatCount> kAllDateTexts = {
    "98/12/31", "1998/12/31", "12/31/98", "12/31/1998", "31/12/98",  "31/12/1998",  "981231",       "19981231",
    "123198",   "12311998",   "311298",   "31121998",   "31-Dec-98", "31-DEC-1998", "Dec 31, 1998", "1998-Dec-31",
    "915062400", "915062400000", "36160",
};

void BM_ReadDate(benchmark::State& state)
{
    const int format = static_cast<int>(state.range(0));
    const std::string_view text = kAllDateTexts[static_cast<std::size_t>(format - 1)];
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadDate(text, format));
    state.SetLabel(kDateFormatNames[format - 1]);
}
BENCHMARK(BM_ReadDate)->DenseRange(1, kDateFormatCount);

void BM_ReadNumber(benchmark::State& state)
{
    const std::array<TextField, 5> fields = {{{"1234.50", false}, {"1234567", false}, {"1,234,567.5", true},
                                             {"1.25M", false}, {"-0.000123", false}}};
    const TextField& field = fields[static_cast<std::size_t>(state.range(0))];
    float value = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadNumber(field, NumberStyle{}, value));
        benchmark::DoNotOptimize(value);
    }
    state.SetLabel(std::string(field.text));
}
BENCHMARK(BM_ReadNumber)->DenseRange(0, 4);

// An input file held in memory, read in blocks as the file system gives them.
class CMemoryFile : public IReadableFile {
public:
    explicit CMemoryFile(const std::string& text) : m_text(text) {}
    std::ptrdiff_t Read(void* buffer, std::size_t size) override
    {
        const std::size_t count = std::min(size, m_text.size() - m_nPos);
        std::memcpy(buffer, m_text.data() + m_nPos, count);
        m_nPos += count;
        return static_cast<std::ptrdiff_t>(count);
    }

private:
    const std::string& m_text;
    std::size_t m_nPos = 0;
};

// Every field of a line in double quotes.
std::string Quoted(const std::string& line)
{
    std::string quoted = "\"";
    for (char c : line)
        quoted += c == ',' ? std::string("\",\"") : c == '\n' ? std::string("\"\n") : std::string(1, c);
    return quoted;
}

// The whole read step of a run over 4096 lines: split, check, sort, as records in memory; range 1 quotes
// every field.
void BM_ReadRows(benchmark::State& state)
{
    std::string text;
    for (const std::string& line : MakeSeries(4096))
        text += state.range(0) == 1 ? Quoted(line) : line;
    InputLayout layout;
    layout.dateFormat = kMmDdCcYy;
    layout.fieldOn.fill(true);
    layout.fieldColumn = {0, 1, 2, 3, 4, 5, 6};
    for (auto _ : state) {
        CMemoryFile file(text);
        benchmark::DoNotOptimize(ReadRows(file, layout));
    }
    state.SetItemsProcessed(state.iterations() * 4096);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
    state.SetLabel(state.range(0) == 1 ? "quoted, items = lines" : "items = lines");
}
BENCHMARK(BM_ReadRows)->DenseRange(0, 1);

}  // namespace

BENCHMARK_MAIN();
