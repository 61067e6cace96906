#pragma once
// Many securities into one MetaStock directory, one input file each. The symbol comes from the file's
// name or from a column of its first data row. Files with a ticker column hold any number of securities:
// their rows are gathered by ticker across all such files, and each ticker is one security, converted
// after the files of one security each. When a directory's MASTER is full the batch goes on in
// numbered sub-directories DIR/2, DIR/3, ..., each with a MASTER of its own; the duplicate check covers
// DIR and all of them. A file that fails is reported and the batch goes on.
//
// The batch holds the lock of each directory it uses from start to end. Securities are committed in
// groups: the runs stage their files into the directory's commit, and at least every second (and at the
// end) the staged files are flushed together and one MASTER rename makes them visible. A kill or power
// loss leaves every security of the committed groups and nothing of the others.
//
// Worker threads may read and parse the files ahead; the files are staged and committed in their order
// on the calling thread, so that the bytes written and the messages do not depend on the threads.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/job/conversion_settings.h"
#include "engine/job/services.h"
#include "metastock/master_format.h"

namespace engine {

class CDirectoryCommit;
class CTickerSpool;

struct BatchTotals {
    int added = 0;
    int updated = 0;
    int failed = 0;
    std::int64_t records = 0;  // data records written, by added and updated securities alike
};

// What became of one input file.
enum class FileOutcome {
    Added,       // a new security
    Updated,     // an update that gained rows
    Unchanged,   // an update that found no rows after the security's last date
    Failed,      // refused, failed, or lost with its group's commit
    NotStarted,  // the batch stopped before its turn: cancelled, or the directory could not be used
};

struct FileResult {
    FileOutcome outcome = FileOutcome::NotStarted;
    // For Failed and NotStarted: why, for people, without the file's name; for Failed the file's last
    // message (or the commit's), which the message sink was given too.
    std::string reason;
    std::string ticker;  // of a security from files of many securities; empty for a file's own result
};

// What a batch tells its caller while it runs. Messages of a failing file go to the message sink.
class IBatchObserver {
public:
    virtual ~IBatchObserver() = default;
    // A file is being converted; totals count the securities finished so far.
    virtual void OnFile(const std::string& path, const BatchTotals& totals) = 0;
    // Something the user should know that is no failure: a symbol cut to fit, a new sub-directory.
    virtual void OnNotice(const std::string& text) = 0;
    // File nFile is through: staged whole (added or updated) or failed. A staged security is in the
    // directory after the next commit; the batch's result has the final word.
    virtual void OnFileDone(std::size_t nFile, const FileResult& result)
    {
        (void)nFile;
        (void)result;
    }
    // Likewise for the security of ticker nTicker of files of many securities.
    virtual void OnTickerDone(std::size_t nTicker, const FileResult& result)
    {
        (void)nTicker;
        (void)result;
    }
};

// The input settings of one file (delimiter, skip, date format, columns), given its path as the user
// named it and its absolute path; non-zero after a message naming the file when it has none. The batch
// adds symbol, name, input file and directory. Called on worker threads: it reports through messages only.
using BatchInputSettings = std::function<int(const std::string& path, const std::string& absolutePath,
                                             IMessageSink& messages, ConversionSettings& settings, int& nDateFormat)>;

struct BatchOptions {
    std::string dir;
    std::vector<std::string> inputPaths;
    int symbolColumn = 0;  // 1-based column of the first data row that holds the symbol; 0: the file name
    int nameColumn = 0;    // likewise for the name; 0: no name
    int maxPerDir = metastock::kMaxSecurities;
    // Beyond 255 securities: XMASTER when the directory has one or this is set, else the next DIR/<n>.
    bool xmaster = false;
    bool syncToDisk = true;  // false: no flushes to disk (scratch output)
    bool update = false;     // a symbol already there gets the input's later rows, as convert --update does
    std::chrono::milliseconds groupInterval{1000};  // the longest time between two commits
    BatchInputSettings inputSettings;
    // Worker threads that read and parse the files ahead while the batch stages and commits them in
    // order; 1 reads each file when its turn comes. The bytes written are the same either way.
    int threads = 1;
    // Symbols per file (UTF-8), in the order of inputPaths; a missing or empty one comes from the file as
    // symbolColumn says.
    std::vector<std::string> symbols;
    // Set from any thread to stop: no file is started after it is seen, what is staged is committed, so
    // that the directory holds whole securities only.
    const std::atomic<bool>* cancel = nullptr;
    // Files of many securities: the 1-based columns of each row's ticker and name; 0 finds them by their
    // headings (the ticker also by its values). Not used for a file whose symbol is given or comes from
    // symbolColumn, unless tickersOverSymbols: then a file of two or more tickers is gathered whatever
    // symbol it is given (a window proposes a symbol for every file before it is read).
    int tickerColumn = 0;
    int tickerNameColumn = 0;
    bool tickersOverSymbols = false;
    // The frame the user stated. Each ticker of a file of many takes it, or its period column's; never
    // one detected from the rows of all the file's securities together.
    FrameChoice statedFrame = FrameChoice::kFromDates;
};

struct BatchResult {
    int status = 0;  // 0 when every file was added or updated, 1 when any failed or the batch could not start
    BatchTotals totals;  // added, updated (unchanged ones too) and records count committed securities only
    std::vector<FileResult> files;  // in the order of the input paths
    // One per ticker of the files of many securities, in the order they first appear. Such a file's own
    // result is Failed when any of its securities failed, else Added, Updated or Unchanged.
    std::vector<FileResult> tickers;
};

class CBatch {
public:
    CBatch(const RunServices& services, IBatchObserver& observer, BatchOptions options);
    ~CBatch();

    // Converts every input file, each failure reported by name.
    BatchResult Run();

private:
    struct Directory {
        std::string path;   // absolute
        std::string shown;  // as the user named it, for messages
        int securities = 0;                // committed and staged
        std::vector<std::string> symbols;  // in Windows-1252 and upper case, trailing blanks removed
        std::shared_ptr<CDirectoryCommit> commit;
        BatchTotals pending;                // of the securities staged since the last commit
        std::vector<std::string> pendingAdded, pendingUpdated;  // their symbols, UTF-8, for the journal
        std::vector<std::size_t> pendingFiles;                  // their input files
    };

    class CFileMessages;
    struct Prepared;
    // What the first look at a file found: its settings, and its ticker column when it has one.
    struct FileLayout;

    // Opens the directories and converts the files; false when the directories cannot be used.
    bool Start();
    // The file's settings, symbol and name, and (but for an update) its records read into memory; safe
    // on any thread, since it touches nothing of the batch but what it reads.
    std::unique_ptr<Prepared> Prepare(std::size_t nFile) const;
    // Stages the prepared file into its directory, in the order of the files.
    int Finish(Prepared& prepared, std::size_t nFile);
    // Files, or tickers, taken one after the other: each prepared (on a worker, ahead, with threads),
    // then announced to the observer, finished into its result, and done with.
    struct Steps {
        std::size_t count = 0;
        std::function<std::unique_ptr<Prepared>(std::size_t)> prepare;  // safe on any thread
        std::function<std::string(std::size_t)> label;
        std::function<std::size_t(std::size_t)> result;  // for FinishAndReport
        std::function<void(std::size_t)> done;           // may be empty
    };
    void RunInOrder(const Steps& steps);
    void ReadAheadOnWorkers(const Steps& steps);
    // bNoticeCut: a symbol cut to fit is noticed (not when the caller gives the file's symbol).
    int SymbolAndName(CFileMessages& messages, const std::string& absolutePath, ConversionSettings& settings,
                      bool bNoticeCut) const;
    int ReadDirectories();
    int OpenDirectory(Directory& directory);
    void ReadSymbols(Directory& directory);
    void CommitGroups();
    Directory* DirectoryHolding(const std::string& storedSymbol);
    Directory* DirectoryWithRoom();
    void Fail(const std::string& path, const std::string& text);
    bool Cancelled() const { return m_options.cancel && m_options.cancel->load(); }
    // Finish and tell the observer what became of the file.
    void FinishAndReport(Prepared& prepared, std::size_t nFile);
    int PendingUpdates() const;
    // A file's result, or for n from the number of files on a ticker's.
    FileResult& ResultAt(std::size_t n);
    // Files of many securities: which files have a ticker column; their rows gathered by ticker; one
    // security per ticker converted; and each such file's result from those of its tickers.
    void FindTickerFiles();
    void GatherTickers();
    void ConvertTickers();
    // Safe on any thread, as Prepare.
    std::unique_ptr<Prepared> PrepareTicker(std::size_t nGroup) const;
    void ReportTickerFiles();

    class CLastMessage;

    RunServices m_services;
    IBatchObserver& m_observer;
    BatchOptions m_options;
    std::shared_ptr<CLastMessage> m_pCommitMessages;  // the directories' messages, the last one kept
    BatchResult m_result;
    std::string m_strFailReason;  // of the file being finished, when the batch itself refused it
    std::string m_strDir;         // absolute
    std::string m_strShownDir;
    std::vector<std::string> m_absolutePaths;  // of the input files, to read them by
    std::vector<FileLayout> m_layouts;         // of the input files, from FindTickerFiles
    std::vector<std::size_t> m_plainFiles;     // the files of one security each
    std::vector<std::string> m_unreadFiles;    // why a file of many was not gathered whole; empty when it was
    std::unique_ptr<CTickerSpool> m_pSpool;
    std::vector<Directory> m_directories;  // DIR, DIR/2, DIR/3, ...
    std::chrono::steady_clock::time_point m_lastCommit;
};

// The first nCharacters characters of a UTF-8 text; cut is set when anything was left out.
std::string FirstCharacters(const std::string& text, std::size_t nCharacters, bool& cut);

}  // namespace engine
