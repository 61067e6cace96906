#pragma once
// A conversion job wired to services that record instead of showing, and readers for what it writes.

#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/run/converter.h"
#include "metastock/mbf.h"
#include "support/temp_dir.h"

using namespace metastock;
using namespace engine;

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using Rows = std::vector<std::vector<float>>;  // data records, each value read back from its MBF bytes

class CRecorder : public IMessageSink, public ISettingsWriter, public IToday {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void WriteString(const std::string& section, const std::string& name, const std::string& value) override
    {
        settings.push_back(section + "/" + name + "=" + value);
    }
    void ShowNotice(const std::string& text) override
    {
        std::lock_guard lock(m_mutex);
        notices.push_back(text);
        m_noticed.notify_all();
    }
    std::string TodayText() override { return "12/06/26"; }

    // Waits until a notice has come, from any thread.
    void WaitForNotice()
    {
        std::unique_lock lock(m_mutex);
        m_noticed.wait(lock, [this] { return !notices.empty(); });
    }

    Strings messages, settings, notices;

private:
    std::mutex m_mutex;
    std::condition_variable m_noticed;
};

// The recorder's today, 6 December 2026, as a new record's first and last date.
inline const std::string kCreatedTwice = "B0 F4 19 95 B0 F4 19 95";

// A job converting input into directory: all seven fields in columns 1 to 7, comma delimiter, MM_DD_YY
// dates, symbol XYZ, name XYZ CORP, a new MASTER. Tests change the job, then run it. The working
// directory is restored when the test goes.
class CTestJob {
public:
    CTestJob(const fs::path& input, const fs::path& directory, const char* szSymbol = "XYZ")
    {
        job.inputPath = input.string();
        job.directory = directory.string();
        job.symbol = szSymbol;
        job.name = "XYZ CORP";
        Fields({{kDateField, 0}, {kOpenField, 1}, {kHighField, 2}, {kLowField, 3}, {kCloseField, 4}, {kVolumeField, 5},
                {kOpenInterestField, 6}});
        job.layout.dateFormat = 3;
    }

    // Only these fields are on, each read from the column given (counted from 0).
    void Fields(const std::vector<std::pair<Field, int>>& fields)
    {
        job.layout.fieldOn.fill(false);
        for (const auto& [field, column] : fields) {
            job.layout.fieldOn[field] = true;
            job.layout.fieldColumn[field] = column;
        }
    }
    int FieldsOn() const { return job.layout.FieldsOn(); }

    // The converter of the job as it stands at the first call.
    CConverter& Converter()
    {
        if (!m_pConverter)
            m_pConverter = std::make_unique<CConverter>(services, job);
        return *m_pConverter;
    }
    int Run()
    {
        result = Converter().Run();
        return result.status;
    }

    CKeepWorkingDirectory keepWorkingDirectory;
    CRecorder recorder;
    RunServices services{recorder, recorder, recorder};
    ConversionJob job;
    ConversionResult result;

private:
    std::unique_ptr<CConverter> m_pConverter;
};

inline Rows DataRecords(const fs::path& file, int nFields)
{
    const std::vector<unsigned char> bytes = ReadBytes(file);
    const std::size_t length = 4 * static_cast<std::size_t>(nFields);
    Rows records;
    for (std::size_t offset = length; offset + length <= bytes.size(); offset += length) {
        std::vector<float>& record = records.emplace_back();
        for (std::size_t i = offset; i < offset + length; i += 4)
            record.push_back(MbfToFloat({bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3]}));
    }
    return records;
}

struct CConversion {
    int nStatus = -1;
    Strings messages;
    Rows records;
};

// One run over text in a fresh directory, with the job adjusted first.
template <class Adjust>
CConversion ConvertText(const std::string& text, Adjust adjust)
{
    CTempDir dir;
    WriteText(dir / "input.txt", text);
    CTestJob test(dir / "input.txt", dir.Path());
    adjust(test);
    const int status = test.Run();
    return {status, test.recorder.messages, DataRecords(dir / "F1.DAT", test.FieldsOn())};
}

// Records of date and close, read from the first two columns.
inline CConversion ConvertDateAndClose(const std::string& text, int nDateFormat = 3, char delimiter = ',')
{
    return ConvertText(text, [&](CTestJob& test) {
        test.Fields({{kDateField, 0}, {kCloseField, 1}});
        test.job.layout.dateFormat = nDateFormat;
        test.job.layout.delimiter = delimiter;
    });
}

// prefix and n, padded with spaces to 16 characters.
inline std::string Padded(std::string prefix, int n)
{
    prefix += std::to_string(n);
    prefix.resize(16, ' ');
    return prefix;
}

// A MASTER with the given record count and file counter, and a record per file number n: 7 fields,
// name "NAME <n>", dates 1 January 2000, symbol "S<n>".
inline std::string MasterBytes(int nCount, int nCounter, const std::vector<int>& fileNumbers)
{
    using namespace std::string_literals;
    std::string bytes(53, '\0');
    bytes[0] = static_cast<char>(nCount);
    bytes[2] = static_cast<char>(nCounter);
    for (int n : fileNumbers) {
        std::string record = std::string(1, static_cast<char>(n)) + "\x00\x65\x1C\x07\x00\x00"s;
        record += Padded("NAME ", n);
        record += "\x00\x00\x50\x2A\x74\x94\x50\x2A\x74\x94" "D\x00\x00"s;
        record += Padded("S", n) + '\0';
        bytes += record;
    }
    return bytes;
}
