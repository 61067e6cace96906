// A whole conversion of as many rows as a data file holds (65,534), as daily rows and as five-minute
// bars with a time column: reading, checking, the bars' times put into their records, and the files
// staged and committed (without flushes to disk). Prints both times and the ratio of the intraday run to
// the daily one; on a busy machine --benchmark_repetitions=9 --benchmark_enable_random_interleaving=true
// gives steady figures (the medians).

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <system_error>

#include "engine/run/converter.h"
#include "metastock/data_file_format.h"

using namespace engine;
using namespace metastock;

namespace fs = std::filesystem;

namespace {

constexpr int kBarsPerDay = 78;  // 09:30 to 15:55

class CQuietSink : public IMessageSink {
public:
    void ShowMessage(const std::string& text) override { last = text; }
    std::string last;
};

// The rows of one file: daily ones on consecutive days from 1950 on, or five-minute bars of the trading
// day; the same prices either way.
std::string MakeRows(bool bIntraday)
{
    std::string text = bIntraday ? "Date,Time,Open,High,Low,Close,Volume\n" : "Date,Open,High,Low,Close,Volume\n";
    std::chrono::sys_days day = std::chrono::year{1950} / 1 / 1;
    for (int row = 0; row < kMaxDataRecords; ++row) {
        const int bar = row % kBarsPerDay;
        if (row > 0 && (!bIntraday || bar == 0))
            day += std::chrono::days{1};
        const std::chrono::year_month_day date{day};
        const double close = 100 + (row * 37 % 1000) / 100.0;
        char time[16] = "";
        if (bIntraday)
            std::snprintf(time, sizeof time, ",%02d:%02d", 9 + (30 + bar * 5) / 60, (30 + bar * 5) % 60);
        char line[128];
        std::snprintf(line, sizeof line, "%04d-%02u-%02u%s,%.2f,%.2f,%.2f,%.2f,%d\n", static_cast<int>(date.year()),
                      static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()), time, close - 0.25,
                      close + 0.5, close - 0.5, close, 1000 + row % 5000);
        text += line;
    }
    return text;
}

void BM_Convert(benchmark::State& state)
{
    const bool bIntraday = state.range(0) == 1;
    const fs::path work = fs::temp_directory_path() / ("quoteforge-frames-bench-" + std::to_string(state.range(0)));
    fs::create_directories(work);
    const fs::path input = work / "input.csv";
    std::ofstream(input, std::ios::binary) << MakeRows(bIntraday);
    ConversionJob job;
    job.inputPath = input.string();
    job.symbol = "BENCH";
    job.layout.dateFormat = 2;  // CCYY_MM_DD
    job.layout.skipRows = 1;
    job.layout.fieldOn = {true, true, true, true, true, true, false};
    job.layout.fieldColumn = bIntraday ? std::array<int, kFieldCount>{0, 2, 3, 4, 5, 6, 0}
                                       : std::array<int, kFieldCount>{0, 1, 2, 3, 4, 5, 0};
    job.syncToDisk = false;
    CQuietSink messages;
    CNoSettingsWriter settings;
    CSystemToday today;
    int records = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path out = work / "out";
        std::error_code ignored;
        fs::remove_all(out, ignored);
        fs::create_directory(out);
        job.directory = out.string();
        state.ResumeTiming();
        const ConversionResult result = CConverter({messages, settings, today}, job).Run();
        if (result.status != 0) {
            state.SkipWithError(messages.last.c_str());
            break;
        }
        records = result.records;
    }
    std::error_code ignored;
    fs::remove_all(work, ignored);
    state.SetItemsProcessed(state.iterations() * records);
    state.SetLabel(bIntraday ? "five-minute bars, items = records" : "daily rows, items = records");
}
BENCHMARK(BM_Convert)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

// Keeps the time of each run as it reports it, for the ratio.
class CRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        // With repetitions, their median stands for the benchmark.
        for (const Run& run : runs)
            if (!run.error_occurred && (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")) {
                const std::string name = run.run_name.function_name + "/" + run.run_name.args;
                m_times[name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
            }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatio() const
    {
        const auto daily = m_times.find("BM_Convert/0");
        const auto intraday = m_times.find("BM_Convert/1");
        if (daily == m_times.end() || intraday == m_times.end() || daily->second.real <= 0 || daily->second.cpu <= 0)
            return;
        std::printf("65,534 daily rows: %.1f ms (CPU %.1f ms); 65,534 five-minute bars: %.1f ms (CPU %.1f ms); "
                    "ratio %.2f (CPU %.2f)\n",
                    daily->second.real, daily->second.cpu, intraday->second.real, intraday->second.cpu,
                    intraday->second.real / daily->second.real, intraday->second.cpu / daily->second.cpu);
    }

private:
    struct Times {
        double real = 0;  // milliseconds
        double cpu = 0;
    };
    std::map<std::string, Times> m_times;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio();
    benchmark::Shutdown();
    return 0;
}
