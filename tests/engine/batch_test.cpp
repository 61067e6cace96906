// What a batch returns about each of its files, without an observer to learn it from.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>

#include "engine/input/batch_input.h"
#include "engine/run/batch.h"
#include "engine/text/date_formats.h"
#include "support/fault_file_system.h"
#include "test_job.h"

namespace {

const char* OutcomeName(FileOutcome outcome)
{
    switch (outcome) {
    case FileOutcome::Added: return "added";
    case FileOutcome::Updated: return "updated";
    case FileOutcome::Unchanged: return "unchanged";
    case FileOutcome::Failed: return "failed";
    case FileOutcome::NotStarted: return "not started";
    }
    return "?";
}

// Cancels the batch once file nCancelAfter is through.
class CCancellingObserver : public IBatchObserver {
public:
    explicit CCancellingObserver(std::size_t nCancelAfter) : m_nCancelAfter(nCancelAfter) {}
    void OnFile(const std::string&, const BatchTotals&) override {}
    void OnNotice(const std::string&) override {}
    void OnFileDone(std::size_t nFile, const FileResult&) override
    {
        if (nFile == m_nCancelAfter)
            cancel = true;
    }
    std::atomic<bool> cancel{false};

private:
    std::size_t m_nCancelAfter;
};

BatchResult RunBatch(const std::string& dir, const std::vector<std::string>& paths, CRecorder& recorder,
                     IBatchObserver& observer, const std::atomic<bool>* cancel = nullptr)
{
    BatchOptions options;
    options.dir = dir;
    options.inputPaths = paths;
    options.update = true;
    options.syncToDisk = false;
    options.cancel = cancel;
    options.inputSettings = [](const std::string&, const std::string&, IMessageSink&, ConversionSettings& settings,
                               int& nDateFormat) {
        settings = ConversionSettings{};
        nDateFormat = DateFormatNumber(settings.DateFormat);
        return 0;
    };
    return CBatch({recorder, recorder, recorder}, observer, std::move(options)).Run();
}

TEST(BatchResult, EachFileSaysWhatBecameOfItWithTheReasonOfAFailure)
{
    const std::string kFirst = "123098,1,2,0.5,1.5,10,0\n";
    const std::string kLater = "123198,1.5,3,1,2.5,20,0\n";
    const struct {
        const char* szFile;
        std::string before;  // what a first batch converts; empty: no such security before
        std::string rows;
        FileOutcome outcome;
        const char* szReason;  // part of the reason; "" for none
    } cases[] = {
        {"OLD.txt", kFirst, kFirst + kLater, FileOutcome::Updated, ""},
        {"SAME.txt", kFirst, kFirst, FileOutcome::Unchanged, ""},
        {"NEW.txt", "", kFirst, FileOutcome::Added, ""},
        {"BAD.txt", "", "123098,x,2,0.5,1.5,10,0\n", FileOutcome::Failed, "cannot be read"},
        {"LATE.txt", "", kFirst, FileOutcome::NotStarted, "cancelled"},  // the batch is cancelled after BAD
    };
    CTempDir dir;
    const std::string out = dir / "out";
    std::vector<std::string> before, paths;
    for (const auto& c : cases) {
        if (!c.before.empty()) {
            fs::create_directories(dir.Path() / "before");
            WriteText(dir.Path() / "before" / c.szFile, c.before);
            before.push_back((dir.Path() / "before" / c.szFile).string());
        }
        WriteText(dir / c.szFile, c.rows);
        paths.push_back(dir / c.szFile);
    }
    CRecorder recorder;
    CCancellingObserver never(SIZE_MAX);
    ASSERT_EQ(RunBatch(out, before, recorder, never).status, 0) << testing::PrintToString(recorder.messages);

    CCancellingObserver observer(3);
    const BatchResult result = RunBatch(out, paths, recorder, observer, &observer.cancel);
    EXPECT_EQ(result.status, 1);
    ASSERT_EQ(result.files.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const FileResult& file = result.files[i];
        EXPECT_STREQ(OutcomeName(file.outcome), OutcomeName(cases[i].outcome)) << cases[i].szFile << ": " << file.reason;
        EXPECT_NE(file.reason.find(cases[i].szReason), std::string::npos) << cases[i].szFile << ": " << file.reason;
        EXPECT_EQ(file.reason.empty(), *cases[i].szReason == 0) << cases[i].szFile << ": " << file.reason;
        EXPECT_NE(file.reason.rfind(paths[i] + ": ", 0), 0u) << "the reason goes without the message's file name";
    }
    EXPECT_EQ(result.totals.added, 1);
    EXPECT_EQ(result.totals.updated, 2) << "an unchanged update counts as updated";
    EXPECT_EQ(result.totals.failed, 1);

    // A group whose commit fails takes its files with it, each with the commit's reason.
    CFaultFileSystem faults("rename QFCOMMIT.JNL.~NU QFCOMMIT.JNL", EIO);
    WriteText(dir / "LOST.txt", kFirst);
    const BatchResult lost = RunBatch(out, {dir / "LOST.txt"}, recorder, never);
    ASSERT_EQ(lost.files.size(), 1u);
    EXPECT_STREQ(OutcomeName(lost.files[0].outcome), "failed");
    EXPECT_FALSE(lost.files[0].reason.empty());
    EXPECT_EQ(lost.files[0].reason, recorder.messages.back());
    EXPECT_EQ(lost.totals.failed, 1);
    EXPECT_EQ(lost.status, 1);
}

// One layout for all files, or each file's own detected one with what the user gave kept over it; a
// file that neither reads is refused with what the front end needs to word it.
TEST(BatchInput, AFileIsReadWithTheGivenOrDetectedLayoutOrRefusedWithWhy)
{
    const std::string kHeaded = "Date;Open;High;Low;Close;Volume\n2020-01-02;1;2;0.5;1.5;100\n2020-01-03;1.5;3;1;2.5;200\n";
    const std::string kOpenOrClose = "981230 10 11 9 10.5\n981231 10.5 12 10 11\n990104 11 12 10 11.5\n";
    const std::string kIntraday = "Date,Time,Open,High,Low,Close\n2020-01-02,09:30,1,2,0.5,1.5\n2020-01-02,10:30,1,2,0.5,1.5\n";
    using C = LayoutChoice;
    const struct {
        const char* szWhat;
        std::string text;
        bool detect;
        std::vector<LayoutChoice> given;
        bool daily;
        int openCol;  // of the layout given; 0: open off
        InputRefusal refusal;
        int delimiter, volOn, dateFormat;  // of the settings when not refused; the layout given has no volume
    } cases[] = {
        {"given", kHeaded, false, {}, false, 2, InputRefusal::None, 0, 0, DateFormatNumber("MMDDYY")},
        {"detected", kHeaded, true, {}, false, 2, InputRefusal::None, 3, 1, DateFormatNumber("CCYY_MM_DD")},
        {"given over detected", kHeaded, true, {C::kVolumeColumn, C::kDateFormat}, false, 2, InputRefusal::None, 3, 0, DateFormatNumber("MMDDYY")},
        {"open and close left open", kOpenOrClose, true, {}, false, 2, InputRefusal::Detection, 0, 0, 0},
        {"open and close given", kOpenOrClose, true, {C::kOpenColumn, C::kCloseColumn}, false, 2, InputRefusal::None, 2, 0,
         DateFormatNumber("YYMMDD")},
        {"intraday bars", kIntraday, true, {}, false, 2, InputRefusal::None, 0, 0, DateFormatNumber("CCYY_MM_DD")},
        {"intraday bars combined", kIntraday, true, {}, true, 2, InputRefusal::None, 0, 0, DateFormatNumber("CCYY_MM_DD")},
        {"open in the date's column", kHeaded, false, {}, false, 1, InputRefusal::Settings, 0, 0, 0},
    };
    CTempDir dir;
    for (const auto& c : cases) {
        const std::string path = dir / "prices.txt";
        WriteText(path, c.text);
        BatchInput input{ConversionSettings{}, c.detect, c.given};
        input.layout.OpenCol = c.openCol;
        input.layout.Daily = c.daily;
        input.layout.VolOn = 0;
        const FileInput file = ReadFileInput(path, input);
        ASSERT_EQ(static_cast<int>(file.refusal), static_cast<int>(c.refusal))
            << c.szWhat << ": " << file.detected.problem << file.check.message;
        if (c.refusal == InputRefusal::Detection) {
            EXPECT_FALSE(file.detected.problem.empty()) << c.szWhat;
        } else if (c.refusal == InputRefusal::Settings) {
            EXPECT_EQ(file.check.fault, ESettingsFault::DuplicateColumn) << c.szWhat;
        }
        if (file.Refused())
            continue;
        EXPECT_EQ(file.settings.Delimiter, c.delimiter) << c.szWhat;
        EXPECT_EQ(file.settings.VolOn, c.volOn) << c.szWhat;
        EXPECT_EQ(file.dateFormat, c.dateFormat) << c.szWhat;
        EXPECT_EQ(file.settings.OpenCol, c.detect && c.text == kIntraday ? 3 : 2) << c.szWhat << ": the open column given or detected";
    }
}

}  // namespace
