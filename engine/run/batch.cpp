#include "engine/run/batch.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>
#include <unordered_set>

#include "engine/directory/directory_commit.h"
#include "engine/input/first_data_row.h"
#include "engine/input/memory_input.h"
#include "engine/input/input_rows.h"
#include "engine/input/ticker_spool.h"
#include "engine/run/converter.h"
#include "engine/text/code_page.h"
#include "engine/text/line_parsing.h"
#include "engine/text/text_reader.h"
#include "engine/text/trimmed_text.h"
#include "metastock/directory_names.h"
#include "metastock/file_names.h"
#include "metastock/file_system.h"
#include "metastock/master_file.h"
#include "metastock/path_text.h"

namespace engine {

using namespace metastock;

namespace fs = std::filesystem;

std::string FirstCharacters(const std::string& text, std::size_t nCharacters, bool& cut)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool continuation = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
        if (!continuation && characters++ == nCharacters) {
            cut = true;
            return text.substr(0, i);
        }
    }
    cut = false;
    return text;
}

// The batch's own messages and its directories', passed on; the last one is the reason of the files that
// a failed commit or directory takes with it.
class CBatch::CLastMessage : public IMessageSink {
public:
    explicit CLastMessage(IMessageSink& sink) : m_sink(sink) {}

    void ShowMessage(const std::string& text) override
    {
        last = text;
        m_sink.ShowMessage(text);
    }
    void ShowNotice(const std::string& text) override { m_sink.ShowNotice(text); }

    std::string last;

private:
    IMessageSink& m_sink;
};

struct CBatch::FileLayout {
    bool known = false;  // the settings were found; else refusal holds why not
    std::shared_ptr<CFileMessages> refusal;
    ConversionSettings settings;
    int dateFormat = 0;
    TickerColumns columns;  // with the file's ticker when it has one only; count is 2 or more for others
    bool many = false;      // its rows are gathered by ticker
    // Whether the file holds tickers is not known: it could not be read (unread says why) or has no
    // settings. Its rows may belong to any ticker, so no ticker is converted without them.
    bool unknown = false;
    std::string unread;
};

CBatch::CBatch(const RunServices& services, IBatchObserver& observer, BatchOptions options)
    : m_services(services), m_observer(observer), m_options(std::move(options)),
      m_pCommitMessages(std::make_shared<CLastMessage>(services.messages))
{
}

// The messages of one file, each naming the file: kept while the file is read ahead (on any thread),
// then shown in the order of the files when the batch comes to it, and from then on straight away.
class CBatch::CFileMessages : public IMessageSink {
public:
    explicit CFileMessages(const std::string& path) : m_strPath(path) {}

    void ShowMessage(const std::string& text) override
    {
        lastReason = rewrite ? rewrite(text) : text;
        Add(false, m_strPath + ": " + lastReason);
    }
    void ShowNotice(const std::string& text) override { Add(true, m_strPath + ": " + (rewrite ? rewrite(text) : text)); }

    // What another reading of the file said, kept to be shown as this one's.
    void KeepFrom(const CFileMessages& other)
    {
        m_kept = other.m_kept;
        lastReason = other.lastReason;
    }

    void Show(IMessageSink& sink, IBatchObserver& observer)
    {
        m_pSink = &sink;
        m_pObserver = &observer;
        for (const auto& [bNotice, text] : m_kept)
            Add(bNotice, text);
        m_kept.clear();
    }

private:
    void Add(bool bNotice, const std::string& line)
    {
        if (!m_pSink)
            m_kept.emplace_back(bNotice, line);
        else if (bNotice)
            m_pObserver->OnNotice(line);
        else
            m_pSink->ShowMessage(line);
    }

public:
    std::string lastReason;  // the last message, without the file's name
    // Turns the run's wording into the user's: the lines of a ticker's gathered rows into their files' lines.
    std::function<std::string(const std::string&)> rewrite;

private:
    std::string m_strPath;
    std::vector<std::pair<bool, std::string>> m_kept;
    IMessageSink* m_pSink = nullptr;
    IBatchObserver* m_pObserver = nullptr;
};

struct CBatch::Prepared {
    Prepared(const std::string& label_, const std::string& absolutePath_)
        : messages(label_), label(label_), absolutePath(absolutePath_)
    {
    }
    CFileMessages messages;
    std::string label;         // the file as the user named it, or the ticker
    std::string absolutePath;  // of the file, or of a ticker's first file
    bool rowsGiven = false;    // an update of a ticker: its rows are read already
    CheckedRows rows;
    bool ready = false;  // false when the file failed
    bool unchanged = false;  // an update with no later rows
    ConversionSettings settings;
    int dateFormat = 0;
    std::string storedSymbol;  // Windows-1252
    RecordsReadAhead ahead;
};

CBatch::~CBatch() = default;

void CBatch::Fail(const std::string& path, const std::string& text)
{
    m_services.messages.ShowMessage(path + ": " + text);
    m_strFailReason = text;
    ++m_result.totals.failed;
}

BatchResult CBatch::Run()
{
    m_result = BatchResult{};
    m_result.files.assign(m_options.inputPaths.size(), FileResult{FileOutcome::NotStarted, "the batch was cancelled", {}});
    const bool bStarted = Start();
    if (!bStarted)
        for (FileResult& file : m_result.files)
            file.reason = m_pCommitMessages->last;
    m_pSpool.reset();
    m_directories.clear();  // releases the locks
    m_result.status = !bStarted || m_result.totals.failed > 0 ? 1 : 0;
    return std::move(m_result);
}

bool CBatch::Start()
{
    std::error_code error;
    const fs::path dir = fs::absolute(PathFromText(m_options.dir), error);
    std::string reason = error.message();
    if (error || !CurrentFileSystem().CreateDirectory(dir, reason)) {
        m_pCommitMessages->ShowMessage("Cannot make the directory " + m_options.dir + ": " + reason);
        return false;
    }
    m_strShownDir = m_options.dir;
    while (m_strShownDir.size() > 1 && m_strShownDir.back() == kPathSeparator)
        m_strShownDir.pop_back();
    m_strDir = TextFromPath(dir.lexically_normal());
    if (m_strDir.size() > 1 && m_strDir.back() == kPathSeparator)
        m_strDir.pop_back();
    if (ReadDirectories() != 0)
        return false;
    // Inputs are read by their absolute paths, named in messages as given.
    m_absolutePaths.clear();
    for (const std::string& path : m_options.inputPaths) {
        const fs::path input = fs::absolute(PathFromText(path), error);
        m_absolutePaths.push_back(error ? path : TextFromPath(input));
    }
    FindTickerFiles();
    GatherTickers();
    m_lastCommit = std::chrono::steady_clock::now();
    Steps files;
    files.count = m_plainFiles.size();
    files.prepare = [this](std::size_t i) { return Prepare(m_plainFiles[i]); };
    files.label = [this](std::size_t i) { return m_options.inputPaths[m_plainFiles[i]]; };
    files.result = [this](std::size_t i) { return m_plainFiles[i]; };
    RunInOrder(files);
    ConvertTickers();
    CommitGroups();
    ReportTickerFiles();
    return true;
}

// DIR and its numbered sub-directories as they stand, each locked for the whole batch.
int CBatch::ReadDirectories()
{
    m_directories.clear();
    for (int k = 1;; ++k) {
        Directory directory;
        directory.path = k == 1 ? m_strDir : m_strDir + kPathSeparator + std::to_string(k);
        directory.shown = k == 1 ? m_strShownDir : m_strShownDir + kPathSeparator + std::to_string(k);
        if (k > 1) {
            const PathStatus status = CurrentFileSystem().Exists(PathFromText(directory.path));
            if (status.existence == Existence::kError) {
                m_pCommitMessages->ShowMessage("Cannot read " + directory.shown + ": " + status.reason);
                return 1;
            }
            if (status.existence == Existence::kNo || status.regularFile)
                return 0;
        }
        if (OpenDirectory(directory) != 0)
            return 1;
        m_directories.push_back(std::move(directory));
    }
}

// Locks the directory and reads its indexes: the securities of MASTER, and the symbols of EMASTER and
// XMASTER too, since a new security must not take any of them.
int CBatch::OpenDirectory(Directory& directory)
{
    directory.commit = std::make_shared<CDirectoryCommit>(*m_pCommitMessages, m_options.syncToDisk);
    if (directory.commit->Lock(PathFromText(directory.path), "batch") != 0 || directory.commit->ReadIndexes() != 0)
        return 1;
    directory.commit->AllowXmaster(m_options.xmaster || directory.commit->Extras().hasXmaster);
    ReadSymbols(directory);
    return 0;
}

void CBatch::ReadSymbols(Directory& directory)
{
    const MasterFile& master = directory.commit->Master();
    directory.securities = static_cast<int>(master.records.size());
    directory.symbols.clear();
    for (const MasterRecord& record : master.records)
        if (!IsDirectoryEntry(record))
            directory.symbols.push_back(ComparedSymbol(MasterEntry(record).symbol));
    const ExtraIndexes& extras = directory.commit->Extras();
    for (const IndexFile* index : {&extras.emaster, &extras.xmaster})
        for (const IndexEntry& entry : index->entries)
            directory.symbols.push_back(ComparedSymbol(entry.symbol));
}

namespace {

std::string Joined(const std::vector<std::string>& symbols)
{
    std::string text;
    for (const std::string& symbol : symbols) {
        if (!text.empty())
            text += ", ";
        text += symbol;
    }
    return text;
}

// What a group's commit does, as its journal keeps it: "The securities A, B were added to".
std::string GroupChange(const std::vector<std::string>& added, const std::vector<std::string>& updated)
{
    std::string text = "The securities";
    if (!added.empty()) {
        text += ' ';
        text += Joined(added);
        text += updated.empty() ? " were added to" : " were added and";
    }
    if (!updated.empty()) {
        text += ' ';
        text += Joined(updated);
        text += " were updated in";
    }
    return text;
}

// Whether an interrupted group's change, as its journal kept it, added symbol.
bool AddedBy(const std::string& change, const std::string& symbol)
{
    const std::string start = "The securities ";
    const std::size_t end = change.find(" were added");
    if (!change.starts_with(start) || end == std::string::npos)
        return false;
    std::string_view list(change.data() + start.size(), end - start.size());
    for (;;) {
        const std::size_t comma = list.find(", ");
        if (list.substr(0, comma) == symbol)
            return true;
        if (comma == std::string_view::npos)
            return false;
        list.remove_prefix(comma + 2);
    }
}

}  // namespace

// Commits what each directory has staged: its files flushed together, then one journal.
void CBatch::CommitGroups()
{
    for (Directory& directory : m_directories) {
        if (!directory.commit->HasStaged())
            continue;
        const std::string change = GroupChange(directory.pendingAdded, directory.pendingUpdated);
        directory.pendingAdded.clear();
        directory.pendingUpdated.clear();
        m_pCommitMessages->last.clear();
        if (directory.commit->Commit(change) == 0) {
            m_result.totals.added += directory.pending.added;
            m_result.totals.updated += directory.pending.updated;
            m_result.totals.records += directory.pending.records;
        } else {  // the commit said why; its securities are not there
            m_result.totals.failed += directory.pending.added + directory.pending.updated;
            for (std::size_t nFile : directory.pendingFiles) {
                ResultAt(nFile).outcome = FileOutcome::Failed;
                ResultAt(nFile).reason = m_pCommitMessages->last;
            }
            directory.commit->Discard();
            ReadSymbols(directory);
        }
        directory.pendingFiles.clear();
        directory.pending = BatchTotals{};
    }
    m_lastCommit = std::chrono::steady_clock::now();
}

CBatch::Directory* CBatch::DirectoryHolding(const std::string& storedSymbol)
{
    const std::string wanted = ComparedSymbol(storedSymbol);
    for (Directory& directory : m_directories)
        if (std::find(directory.symbols.begin(), directory.symbols.end(), wanted) != directory.symbols.end())
            return &directory;
    return nullptr;
}

// The first of DIR, DIR/2, ... with room for one more security; a new numbered sub-directory when all are full.
CBatch::Directory* CBatch::DirectoryWithRoom()
{
    const int limit = std::clamp(m_options.maxPerDir, 1, kMaxSecurities);
    for (Directory& directory : m_directories)
        if (directory.securities < limit || (limit == kMaxSecurities && directory.commit->XmasterAllowed()))
            return &directory;
    Directory directory;
    directory.path = m_strDir + kPathSeparator + std::to_string(m_directories.size() + 1);
    directory.shown = m_strShownDir + kPathSeparator + std::to_string(m_directories.size() + 1);
    std::string reason;
    if (!CurrentFileSystem().CreateDirectory(PathFromText(directory.path), reason)) {
        m_pCommitMessages->ShowMessage("Cannot make the directory " + directory.shown + ": " + reason);
        return nullptr;
    }
    if (OpenDirectory(directory) != 0)
        return nullptr;
    m_observer.OnNotice(m_directories.back().shown + " is full (" + std::to_string(limit) +
                        " securities); going on in " + directory.shown);
    m_directories.push_back(std::move(directory));
    return &m_directories.back();
}

// The symbol from the file's name without its extension, or from a column of the first data row, with
// the blanks around it removed, upper-cased as a Windows-1252 symbol and cut to 16 characters with a
// notice; the name from a column or empty. Either one failing Windows-1252 fails the file.
int CBatch::SymbolAndName(CFileMessages& messages, const std::string& absolutePath, ConversionSettings& settings,
                          bool bNoticeCut) const
{
    std::vector<std::string> tokens;
    const char delimiter = DelimiterOf(settings);
    const int nSkipRows = settings.SkipOn ? settings.SkipRows : 0;
    if (m_options.symbolColumn > 0 || m_options.nameColumn > 0) {
        const FirstDataRow row = ReadFirstDataRow(absolutePath, delimiter, nSkipRows);
        if (!row.failure.empty()) {
            messages.ShowMessage((row.opened ? "Cannot read the input file: " : "Cannot open the input file: ") +
                                 row.failure);
            return 1;
        }
        TextField fields[kMaxFields];
        std::string scratch;
        const int nFields = row.found ? std::min(SplitFields(row.text, delimiter, fields, scratch), kMaxFields) : 0;
        for (int i = 0; i < nFields; ++i)
            tokens.emplace_back(fields[i].text);
    }
    const int nTokens = static_cast<int>(tokens.size());
    for (int column : {m_options.symbolColumn, m_options.nameColumn})
        if (column > nTokens) {
            messages.ShowMessage(nTokens == 0 ? "no data row to take the symbol or name from"
                                    : "the first data row has no column " + std::to_string(column));
            return 1;
        }
    const std::string whole = NormalisedSymbol(Trimmed(
        m_options.symbolColumn > 0 ? tokens[static_cast<std::size_t>(m_options.symbolColumn - 1)] : TextFromPath(PathFromText(absolutePath).stem())));
    if (whole.empty()) {
        messages.ShowMessage("no symbol in " + (m_options.symbolColumn > 0 ? "column " + std::to_string(m_options.symbolColumn) +
                                                                " of the first data row"
                                                          : std::string("the file name")));
        return 1;
    }
    bool cut = false;
    settings.Symbol = TrimmedRight(FirstCharacters(whole, kMaxSymbolLength, cut));
    if (cut && bNoticeCut)
        messages.ShowNotice("symbol " + whole + " cut to 16 characters: " + settings.Symbol);
    settings.Name = m_options.nameColumn > 0
                        ? TrimmedRight(FirstCharacters(TrimmedRight(tokens[static_cast<std::size_t>(m_options.nameColumn - 1)]), kMaxNameLength, cut))
                        : std::string();
    for (ESetting eField : {ESetting::Symbol, ESetting::Name}) {
        const SettingsCheck check = CheckSetting(settings, eField);
        if (check.Failed()) {
            messages.ShowMessage(check.message);
            return 1;
        }
    }
    return 0;
}

void CBatch::RunInOrder(const Steps& steps)
{
    if (m_options.threads > 1 && steps.count > 1)
        return ReadAheadOnWorkers(steps);
    for (std::size_t i = 0; i < steps.count && !Cancelled(); ++i) {
        m_observer.OnFile(steps.label(i), m_result.totals);
        FinishAndReport(*steps.prepare(i), steps.result(i));
        if (steps.done)
            steps.done(i);
        if (std::chrono::steady_clock::now() - m_lastCommit >= m_options.groupInterval)
            CommitGroups();
    }
}

// Workers prepare the files a few ahead of the one being staged; the results wait in their slots.
void CBatch::ReadAheadOnWorkers(const Steps& steps)
{
    const std::size_t nFiles = steps.count;
    const std::size_t nAhead = 2 * static_cast<std::size_t>(m_options.threads);  // bounds the memory held
    std::vector<std::unique_ptr<Prepared>> ready(nFiles);
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t nNext = 0;      // the next file for a worker
    std::size_t nFinished = 0;  // files staged
    auto work = [&] {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return nNext >= nFiles || nNext < nFinished + nAhead; });
            if (nNext >= nFiles)
                return;
            const std::size_t i = nNext++;
            lock.unlock();
            std::unique_ptr<Prepared> prepared = steps.prepare(i);
            lock.lock();
            ready[i] = std::move(prepared);
            changed.notify_all();
        }
    };
    std::vector<std::thread> workers;
    for (int t = 0; t < m_options.threads && static_cast<std::size_t>(t) < nFiles; ++t)
        workers.emplace_back(work);
    for (std::size_t i = 0; i < nFiles; ++i) {
        if (Cancelled()) {  // the workers take no further file
            std::lock_guard lock(mutex);
            nNext = nFiles;
            changed.notify_all();
            break;
        }
        m_observer.OnFile(steps.label(i), m_result.totals);
        std::unique_ptr<Prepared> prepared;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return ready[i] != nullptr; });
            prepared = std::move(ready[i]);
            nFinished = i + 1;
            changed.notify_all();
        }
        FinishAndReport(*prepared, steps.result(i));
        if (steps.done)
            steps.done(i);
        if (std::chrono::steady_clock::now() - m_lastCommit >= m_options.groupInterval)
            CommitGroups();
    }
    for (std::thread& worker : workers)
        worker.join();
}

std::unique_ptr<CBatch::Prepared> CBatch::Prepare(std::size_t nFile) const
{
    const std::string& absolutePath = m_absolutePaths[nFile];
    const std::vector<std::string>& symbols = m_options.symbols;
    auto prepared = std::make_unique<Prepared>(m_options.inputPaths[nFile], absolutePath);
    CFileMessages& messages = prepared->messages;
    ConversionSettings settings;
    int nDateFormat = 0;
    const bool bSymbolGiven = nFile < symbols.size() && !symbols[nFile].empty();
    // The first look at the file found its settings, or why it has none, or that it cannot be read.
    const FileLayout& layout = m_layouts[nFile];
    if (layout.refusal) {
        messages.KeepFrom(*layout.refusal);
        return prepared;
    }
    if (!layout.unread.empty()) {
        messages.ShowMessage("Cannot read the input file: " + layout.unread);
        return prepared;
    }
    settings = layout.settings;
    nDateFormat = layout.dateFormat;
    if (SymbolAndName(messages, absolutePath, settings, !bSymbolGiven) != 0)
        return prepared;
    if (bSymbolGiven) {
        settings.Symbol = NormalisedSymbol(symbols[nFile]);
        const SettingsCheck check = CheckSetting(settings, ESetting::Symbol);
        if (check.Failed() || settings.Symbol.empty()) {
            messages.ShowMessage(check.Failed() ? check.message : "no symbol given");
            return prepared;
        }
    }
    const ConversionJob job = MakeConversionJob(settings, nDateFormat, absolutePath);
    std::string storedName;
    if (!StoredText(job, prepared->storedSymbol, storedName)) {
        messages.ShowMessage("the symbol or name cannot be stored in Windows-1252");
        return prepared;
    }
    if (!m_options.update && ReadAhead(job, messages, prepared->ahead) != 0)
        return prepared;
    prepared->settings = settings;
    prepared->dateFormat = nDateFormat;
    prepared->ready = true;
    return prepared;
}

void CBatch::FinishAndReport(Prepared& prepared, std::size_t nFile)
{
    const int nUpdatedBefore = m_result.totals.updated + PendingUpdates();
    m_strFailReason.clear();
    FileResult& file = ResultAt(nFile);
    if (Finish(prepared, nFile) != 0) {
        file.outcome = FileOutcome::Failed;
        file.reason = m_strFailReason.empty() ? prepared.messages.lastReason : m_strFailReason;
    } else {
        file.outcome = prepared.unchanged ? FileOutcome::Unchanged
                       : m_result.totals.updated + PendingUpdates() > nUpdatedBefore ? FileOutcome::Updated
                                                                                       : FileOutcome::Added;
        file.reason.clear();
    }
    if (nFile < m_result.files.size())
        m_observer.OnFileDone(nFile, file);
    else
        m_observer.OnTickerDone(nFile - m_result.files.size(), file);
}

FileResult& CBatch::ResultAt(std::size_t n)
{
    return n < m_result.files.size() ? m_result.files[n] : m_result.tickers[n - m_result.files.size()];
}

int CBatch::PendingUpdates() const
{
    int nUpdated = 0;
    for (const Directory& directory : m_directories)
        nUpdated += directory.pending.updated;
    return nUpdated;
}

int CBatch::Finish(Prepared& prepared, std::size_t nFile)
{
    const std::string& path = prepared.label;
    prepared.messages.Show(m_services.messages, m_observer);
    if (!prepared.ready) {
        ++m_result.totals.failed;
        return 1;
    }
    ConversionSettings& settings = prepared.settings;
    Directory* target = DirectoryHolding(prepared.storedSymbol);
    if (target && !m_options.update) {
        // The retry of a batch killed after a commit that this batch's lock has just finished: the
        // security is there with these very records.
        if (AddedBy(target->commit->FinishedChange(), settings.Symbol) &&
            target->commit->HeldWithRecords(prepared.storedSymbol, prepared.ahead.fields, prepared.ahead.records.data(),
                                             prepared.ahead.records.size(), prepared.ahead.count) != 0) {
            ++m_result.totals.added;
            m_result.totals.records += prepared.ahead.count;
            return 0;
        }
        Fail(path, "Duplicate Symbol " + settings.Symbol + " in " + target->shown);
        return 1;
    }
    // An update reads the security's data file as committed, so what is staged there goes first.
    if (target && target->commit->HasStaged())
        CommitGroups();
    m_pCommitMessages->last.clear();
    if (!target)
        target = DirectoryWithRoom();
    if (!target) {
        m_strFailReason = m_pCommitMessages->last;
        ++m_result.totals.failed;
        return 1;
    }
    if (CountCharacters(target->path) > static_cast<std::size_t>(kMaxFullPathLength)) {
        Fail(path, "The full path of the output directory is too long: " + target->path);
        return 1;
    }
    settings.Path = target->path;
    // As for one convert after the other: the first security makes MASTER, the others add to it.
    settings.Exist = target->commit->HasMaster() || target->securities > 0 ? 0 : 1;
    ConversionJob job = MakeConversionJob(settings, prepared.dateFormat, prepared.absolutePath);
    job.syncToDisk = m_options.syncToDisk;
    job.update = m_options.update;
    CConverter converter({prepared.messages, m_services.settings, m_services.today}, std::move(job), target->commit);
    if (!m_options.update)
        converter.UseRecordsReadAhead(std::move(prepared.ahead));
    else if (prepared.rowsGiven)
        converter.UseCheckedRows(std::move(prepared.rows));
    const CDirectoryCommit::Savepoint savepoint = target->commit->TakeSavepoint();
    const ConversionResult result = converter.Run();
    if (!result.staged) {
        target->commit->RollBackTo(savepoint);
        if (result.status == 0 && result.updated) {  // no rows later than the security's last date
            prepared.unchanged = true;
            ++m_result.totals.updated;
            return 0;
        }
        ++m_result.totals.failed;
        return 1;
    }
    if (result.updated) {
        if (result.status != 0) {
            ++m_result.totals.failed;
            return 1;
        }
        ++target->pending.updated;
        target->pending.records += result.records;
        target->pendingUpdated.push_back(settings.Symbol);
        target->pendingFiles.push_back(nFile);
        return 0;
    }
    // Staged, even when the conversion reported a failure (a date style that does not match): the
    // security is in MASTER at the next commit.
    ++target->securities;
    target->symbols.push_back(ComparedSymbol(prepared.storedSymbol));
    if (result.status != 0) {
        ++m_result.totals.failed;
        return 1;
    }
    ++target->pending.added;
    target->pending.records += result.records;
    target->pendingAdded.push_back(settings.Symbol);
    target->pendingFiles.push_back(nFile);
    return 0;
}

// Files of many securities.

namespace {

bool SameLayout(const InputLayout& a, const InputLayout& b)
{
    return a.delimiter == b.delimiter && a.dateFormat == b.dateFormat && a.fieldOn == b.fieldOn &&
           a.fieldColumn == b.fieldColumn && a.decimalComma == b.decimalComma;
}

// Turns off the fields besides the date and the close whose column is empty in every line of text.
void LeaveOutEmptyFields(std::string_view text, const InputLayout& layout, ConversionSettings& settings)
{
    std::array<bool, kFieldCount> empty{};
    for (int i = kOpenField; i < kFieldCount; ++i)
        empty[static_cast<std::size_t>(i)] = i != kCloseField && layout.fieldOn[static_cast<std::size_t>(i)];
    TextField fields[kMaxFields];
    std::string scratch;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const int nFields = std::min(SplitFields(text.substr(at, end - at), layout.delimiter, fields, scratch), kMaxFields);
        for (std::size_t i = 0; i < empty.size(); ++i) {
            const int column = layout.fieldColumn[i];
            empty[i] = empty[i] && (column >= nFields || fields[column].text.empty());
        }
        at = end + 1;
    }
    for (int i = kOpenField; i < kFieldCount; ++i)
        if (empty[static_cast<std::size_t>(i)])
            SetField(settings, i, false, FieldColumn(settings, i));
}

// The first lines of a regular file, as a run reads them; none for anything else, which is read once
// only. False with the system's reason when the file cannot be read.
bool HeadLines(const std::string& absolutePath, std::vector<std::string>& lines, std::string& reason)
{
    const PathStatus status = CurrentFileSystem().Exists(PathFromText(absolutePath));
    if (status.existence == Existence::kError) {
        reason = status.reason;
        return false;
    }
    if (!status.regularFile)
        return true;
    const std::unique_ptr<IReadableFile> input = OpenInputFile(absolutePath, reason);
    if (!input)
        return false;
    CLineSource source(input.get());
    std::string_view line;
    while (lines.size() < static_cast<std::size_t>(kDetectedLines) && source.NextLine(line))
        lines.emplace_back(line);
    reason = source.FailureReason();
    return !source.Failed();
}

}  // namespace

void CBatch::FindTickerFiles()
{
    const std::size_t nFiles = m_options.inputPaths.size();
    m_layouts.assign(nFiles, FileLayout{});
    m_unreadFiles.assign(nFiles, std::string());
    m_plainFiles.clear();
    m_result.tickers.clear();
    const auto look = [&](std::size_t i) {
        FileLayout& layout = m_layouts[i];
        const bool bSymbolGiven = i < m_options.symbols.size() && !m_options.symbols[i].empty();
        auto messages = std::make_shared<CFileMessages>(m_options.inputPaths[i]);
        layout.known = m_options.inputSettings(m_options.inputPaths[i], m_absolutePaths[i], *messages, layout.settings,
                                               layout.dateFormat) == 0;
        if (!layout.known) {
            layout.refusal = std::move(messages);
            layout.unknown = true;
            return;
        }
        if ((bSymbolGiven && !m_options.tickersOverSymbols) || m_options.symbolColumn != 0)
            return;
        const InputLayout read = MakeConversionJob(layout.settings, layout.dateFormat, m_absolutePaths[i]).layout;
        std::vector<std::string> lines;
        std::string reason;
        if (!HeadLines(m_absolutePaths[i], lines, reason)) {
            layout.unknown = true;
            layout.unread = reason;
            return;
        }
        layout.columns = FindTickerColumns(lines, read, m_options.tickerColumn - 1, m_options.tickerNameColumn - 1);
        // Two tickers in the head make a file of many; only a file of one needs all its tickers counted.
        if (!layout.columns.Found() || layout.columns.count > 1) {
            std::vector<std::string>().swap(layout.columns.tickers);
            return;
        }
        std::unique_ptr<IReadableFile> input = OpenInputFile(m_absolutePaths[i], reason);
        if (!input || !CountTickers(*input, read, layout.columns, reason)) {
            layout.columns = TickerColumns{};
            layout.unknown = true;
            layout.unread = reason;
        }
        // Only a file's one ticker is needed later; the tickers of many files would grow with their rows.
        if (layout.columns.count > 1)
            std::vector<std::string>().swap(layout.columns.tickers);
    };
    // Each file's look touches only its own slot, so the workers share them out.
    const std::size_t nThreads = std::min<std::size_t>(static_cast<std::size_t>(std::max(m_options.threads, 1)), nFiles);
    std::vector<std::thread> workers;
    for (std::size_t t = 1; t < nThreads; ++t)
        workers.emplace_back([&, t] {
            for (std::size_t i = t; i < nFiles; i += nThreads)
                look(i);
        });
    for (std::size_t i = 0; i < nFiles; i += std::max<std::size_t>(nThreads, 1))
        look(i);
    for (std::thread& worker : workers)
        worker.join();
    for (std::size_t i = 0; i < nFiles; ++i) {
        FileLayout& layout = m_layouts[i];
        const bool bSymbolGiven = i < m_options.symbols.size() && !m_options.symbols[i].empty();
        // The vendors' layout names every row's security, whatever the file is called.
        layout.many = layout.columns.Found() &&
                      (layout.columns.count > 1 ||
                       ((m_options.tickerColumn > 0 || layout.columns.vendorHeading) && !bSymbolGiven));
    }
}

// Copies the lines of the files of many securities into the temporary file by ticker; then a file of
// one ticker joins them when that ticker is among theirs or (for an update) the directory holds it. Any
// other file is one security named as before, even with a ticker column.
void CBatch::GatherTickers()
{
    const std::size_t nFiles = m_layouts.size();
    const auto plainOnly = [&] {
        for (std::size_t i = 0; i < nFiles; ++i)
            if (!m_layouts[i].many)
                m_plainFiles.push_back(i);
    };
    if (std::none_of(m_layouts.begin(), m_layouts.end(), [](const FileLayout& layout) { return layout.many; }) ||
        Cancelled())
        return plainOnly();
    m_pSpool = std::make_unique<CTickerSpool>();
    std::string reason;
    if (!m_pSpool->Create(PathFromText(m_strDir), reason)) {
        m_pCommitMessages->ShowMessage("Cannot make a temporary file to gather the rows of each ticker: " + reason);
        for (std::size_t i = 0; i < nFiles; ++i)
            if (m_layouts[i].many) {
                m_result.files[i] = {FileOutcome::Failed, m_pCommitMessages->last, {}};
                ++m_result.totals.failed;
            }
        m_pSpool.reset();
        return plainOnly();
    }
    const auto add = [&](std::size_t i) {
        const FileLayout& layout = m_layouts[i];
        const std::string& path = m_options.inputPaths[i];
        std::unique_ptr<IReadableFile> input = OpenInputFile(m_absolutePaths[i], reason);
        const InputLayout read = MakeConversionJob(layout.settings, layout.dateFormat, m_absolutePaths[i]).layout;
        std::vector<std::uint32_t> untickered;
        if (!input || !m_pSpool->Add(i, *input, read, layout.columns, untickered, reason)) {
            m_services.messages.ShowMessage(path + ": " + (input ? "Cannot read the input file: " : "Cannot open the input file: ") +
                                            reason);
            m_unreadFiles[i] = "could not be read";
        } else if (!untickered.empty()) {
            // A row of no security cannot be put right by any ticker: it is refused, or skipped as bad rows are.
            std::string lines;
            for (std::size_t k = 0; k < untickered.size() && k < static_cast<std::size_t>(kListedBadRows); ++k)
                lines += (k == 0 ? "" : ", ") + std::to_string(untickered[k]);
            const std::string counted = untickered.size() == 1 ? "line " + lines : "lines " + lines +
                                        (untickered.size() > kListedBadRows ? " and " + std::to_string(untickered.size() - kListedBadRows) + " more" : "");
            const std::string said = untickered.size() == 1 ? "the row of " + counted + " names no ticker"
                                                            : "the rows of " + counted + " name no ticker";
            if (read.skipBadRows) {
                m_observer.OnNotice(path + ": " + said + "; skipped");
            } else {
                m_services.messages.ShowMessage(path + ": " + said);
                m_unreadFiles[i] = "has rows that name no ticker";
            }
        }
    };
    for (std::size_t i = 0; i < nFiles; ++i)
        if (m_layouts[i].many)
            add(i);
    for (std::size_t i = 0; i < nFiles; ++i) {
        FileLayout& layout = m_layouts[i];
        const bool bSymbolGiven = i < m_options.symbols.size() && !m_options.symbols[i].empty();
        if (!layout.many && layout.columns.count == 1 && !bSymbolGiven) {
            const std::string& ticker = layout.columns.tickers.front();
            ConversionJob job;
            job.symbol = NormalisedSymbol(ticker);
            std::string stored, name;
            layout.many = m_pSpool->Holds(ticker) ||
                          (m_options.update && StoredText(job, stored, name) && DirectoryHolding(stored) != nullptr);
            if (layout.many)
                add(i);
        }
        if (!layout.many)
            m_plainFiles.push_back(i);
    }
    if (!m_pSpool->Finish(reason)) {
        m_pCommitMessages->ShowMessage("Cannot write the temporary file that gathers the rows of each ticker: " + reason);
        for (std::size_t i = 0; i < nFiles; ++i)
            if (m_layouts[i].many)
                m_unreadFiles[i] = "could not be copied to the temporary file";
    }
}

// Converts one ticker after the other, after the files of one security each.
void CBatch::ConvertTickers()
{
    if (!m_pSpool)
        return;
    const std::vector<TickerGroup>& groups = m_pSpool->Groups();
    for (const TickerGroup& group : groups)
        m_result.tickers.push_back({FileOutcome::NotStarted, "the batch was cancelled", group.ticker});
    Steps tickers;
    tickers.count = groups.size();
    tickers.prepare = [this](std::size_t g) { return PrepareTicker(g); };
    tickers.label = [&groups](std::size_t g) { return groups[g].ticker; };
    tickers.result = [this](std::size_t g) { return m_result.files.size() + g; };
    tickers.done = [this](std::size_t g) { m_pSpool->Release(g); };
    RunInOrder(tickers);
}

// One ticker's settings (those of its first file, without heading rows, which its gathered rows have not),
// symbol and name, and its rows read from the temporary file.
std::unique_ptr<CBatch::Prepared> CBatch::PrepareTicker(std::size_t nGroup) const
{
    const TickerGroup& group = m_pSpool->Groups()[nGroup];
    const FileLayout& first = m_layouts[group.firstFile];
    auto prepared = std::make_unique<Prepared>(group.ticker, m_absolutePaths[group.firstFile]);
    CFileMessages& messages = prepared->messages;
    const std::string source = m_options.inputPaths[group.firstFile] +
                               (group.files.size() > 1 ? " and " + std::to_string(group.files.size() - 1) +
                                                             (group.files.size() == 2 ? " more file" : " more files")
                                                       : std::string());
    messages.rewrite = [this, &group, source, inputPath = AbsoluteInputPath(prepared->absolutePath)](const std::string& text) {
        return WithInputLines(text, group, m_options.inputPaths, inputPath, source);
    };
    // A file of many that could not be read whole may have held rows of any ticker.
    for (std::size_t nFile = 0; nFile < m_layouts.size(); ++nFile) {
        const std::string& why = m_layouts[nFile].unknown ? "could not be read" : m_unreadFiles[nFile];
        if (!why.empty()) {
            messages.ShowMessage("not converted: " + m_options.inputPaths[nFile] + " " + why +
                                 ", and it may hold rows of this ticker");
            return prepared;
        }
    }
    const InputLayout firstLayout = MakeConversionJob(first.settings, first.dateFormat, prepared->absolutePath).layout;
    for (std::size_t nFile : group.files) {
        const FileLayout& layout = m_layouts[nFile];
        if (!SameLayout(MakeConversionJob(layout.settings, layout.dateFormat, m_absolutePaths[nFile]).layout, firstLayout)) {
            messages.ShowMessage("its rows in " + m_options.inputPaths[group.firstFile] + " and " +
                                 m_options.inputPaths[nFile] + " are laid out differently");
            return prepared;
        }
    }
    ConversionSettings settings = first.settings;
    settings.SkipOn = 0;
    settings.SkipRows = 0;
    const std::string whole = NormalisedSymbol(group.ticker);
    bool cut = false;
    settings.Symbol = TrimmedRight(FirstCharacters(whole, kMaxSymbolLength, cut));
    if (cut)
        messages.ShowNotice("symbol " + whole + " cut to 16 characters: " + settings.Symbol);
    settings.Name = TrimmedRight(FirstCharacters(group.name, kMaxNameLength, cut));
    if (cut)
        messages.ShowNotice("name " + group.name + " cut to " + std::to_string(kMaxNameLength) + " characters: " + settings.Name);
    const FrameChoice frame = FrameOfPeriod(group.period);
    settings.TimeFrame = frame != FrameChoice::kFromDates ? frame : m_options.statedFrame;
    // The rows of several securities show no one frame: each ticker's rows read the times its file names.
    const TickerColumns& columns = m_layouts[group.firstFile].columns;
    if (settings.TimeCol == 0 && columns.time >= 0)
        settings.TimeCol = columns.time + 1;
    for (ESetting eField : {ESetting::Symbol, ESetting::Name}) {
        const SettingsCheck check = CheckSetting(settings, eField);
        if (check.Failed()) {
            messages.ShowMessage(check.message);
            return prepared;
        }
    }
    const ConversionJob job = MakeConversionJob(settings, first.dateFormat, prepared->absolutePath);
    std::string storedName;
    if (!StoredText(job, prepared->storedSymbol, storedName)) {
        messages.ShowMessage("the symbol or name cannot be stored in Windows-1252");
        return prepared;
    }
    std::string text, reason;
    if (!m_pSpool->ReadLines(group, text, reason)) {
        messages.ShowMessage(reason);
        return prepared;
    }
    // A field that a ticker's rows all leave empty is one the security lacks (export --all writes it so);
    // an update keeps the fields of the security it appends to.
    if (!m_options.update)
        LeaveOutEmptyFields(text, job.layout, settings);
    const ConversionJob read = MakeConversionJob(settings, first.dateFormat, prepared->absolutePath);
    CMemoryInput input(std::move(text));
    CheckedRows rows = ReadRows(input, read.layout);
    if (m_options.update) {
        prepared->rows = std::move(rows);
        prepared->rowsGiven = true;
    } else {
        const std::string problem = RowsProblem(rows, read);
        if (!problem.empty()) {
            messages.ShowMessage(problem);
            return prepared;
        }
        prepared->ahead = TakeRecordsReadAhead(rows);
    }
    prepared->settings = settings;
    prepared->dateFormat = first.dateFormat;
    prepared->ready = true;
    return prepared;
}

// A file of many securities failed when any of its tickers did; else it is what its tickers became.
void CBatch::ReportTickerFiles()
{
    if (!m_pSpool)
        return;
    const std::vector<TickerGroup>& groups = m_pSpool->Groups();
    for (std::size_t i = 0; i < m_layouts.size(); ++i) {
        if (!m_layouts[i].many || m_result.files[i].outcome == FileOutcome::Failed)
            continue;
        std::vector<std::string> failed;
        bool bAny = false, bAdded = false, bUpdated = false, bNotStarted = false;
        for (std::size_t g = 0; g < groups.size(); ++g) {
            if (std::find(groups[g].files.begin(), groups[g].files.end(), i) == groups[g].files.end())
                continue;
            const FileOutcome outcome = m_result.tickers[g].outcome;
            bAny = true;
            bAdded |= outcome == FileOutcome::Added;
            bUpdated |= outcome == FileOutcome::Updated;
            bNotStarted |= outcome == FileOutcome::NotStarted;
            if (outcome == FileOutcome::Failed)
                failed.push_back(groups[g].ticker);
        }
        FileResult& file = m_result.files[i];
        if (!m_unreadFiles[i].empty()) {
            file = {FileOutcome::Failed, "the file " + m_unreadFiles[i], {}};
            if (failed.empty())  // else its tickers count as failed already
                ++m_result.totals.failed;
        } else if (!bAny) {
            file = {FileOutcome::Failed, "no row names a ticker", {}};
            m_services.messages.ShowMessage(m_options.inputPaths[i] + ": " + file.reason);
            ++m_result.totals.failed;
        } else if (!failed.empty()) {
            TickerColumns named;
            named.tickers = failed;
            named.count = failed.size();
            file = {FileOutcome::Failed,
                    std::to_string(failed.size()) + " of its securities failed: " + TickerList(named),
                    {}};
        } else if (bNotStarted) {
            file = {FileOutcome::NotStarted, "the batch was cancelled", {}};
        } else {
            file = {bAdded ? FileOutcome::Added : bUpdated ? FileOutcome::Updated : FileOutcome::Unchanged, {}, {}};
        }
        m_observer.OnFileDone(i, file);
    }
}

}  // namespace engine
