#include "engine/batch.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "engine/converter.h"
#include "engine/directory_commit.h"
#include "engine/line_parsing.h"
#include "engine/text_reader.h"
#include "metastock/file_names.h"
#include "metastock/master_file.h"
#include "metastock/path_text.h"

namespace engine {

using namespace metastock;

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxSymbolCharacters = 16;
constexpr std::size_t kMaxNameCharacters = 16;

// The messages of one file's run, each naming the file.
class CFileMessageSink : public IMessageSink {
public:
    CFileMessageSink(IMessageSink& sink, const std::string& path) : m_sink(sink), m_strPath(path) {}
    void ShowMessage(const std::string& text) override { m_sink.ShowMessage(m_strPath + ": " + text); }

private:
    IMessageSink& m_sink;
    std::string m_strPath;
};

std::string TrimRight(std::string text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    return text;
}

bool SameSymbol(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
    });
}

// The tokens of the first data row: the first line after the skipped ones that holds a token.
int FirstDataRow(const std::string& path, char delimiter, int nSkipRows, CTokenTable& tokens, int& nTokens)
{
    CTextReader input;
    if (!input.Open(path))
        return 1;
    std::string_view piece;
    for (int skipped = 0; skipped < nSkipRows && input.ReadLine(piece); ++skipped) {
    }
    while (input.ReadLine(piece))
        if ((nTokens = tokens.Split(WithoutLineFeed(piece), delimiter)) > 0)
            return 0;
    nTokens = 0;
    return 0;
}

}  // namespace

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

CBatch::CBatch(const CRunServices& services, IBatchObserver& observer) : m_services(services), m_observer(observer) {}

void CBatch::Fail(const std::string& path, const std::string& text)
{
    m_services.messages.ShowMessage(path + ": " + text);
    ++m_totals.nFailed;
}

int CBatch::Run()
{
    m_totals = BatchTotals{};
    std::error_code error;
    const fs::path dir = fs::absolute(PathFromText(m_strDir), error);
    if (!error && !fs::is_directory(dir, error))
        fs::create_directory(dir, error);
    if (error || !fs::is_directory(dir, error)) {
        m_services.messages.ShowMessage("Cannot make the directory " + m_strDir);
        return 1;
    }
    m_strShownDir = m_strDir;
    while (m_strShownDir.size() > 1 && m_strShownDir.back() == kPathSeparator)
        m_strShownDir.pop_back();
    m_strDir = dir.lexically_normal().string();
    if (m_strDir.size() > 1 && m_strDir.back() == kPathSeparator)
        m_strDir.pop_back();
    if (ReadDirectories() != 0)
        return 1;
    // A run changes the working directory, so the inputs are made absolute first.
    std::vector<std::string> inputs;
    for (const std::string& path : m_inputPaths) {
        const fs::path input = fs::absolute(PathFromText(path), error);
        inputs.push_back(error ? path : input.string());
    }
    m_lastCommit = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        m_observer.OnFile(m_inputPaths[i], m_totals);
        ConvertFile(m_inputPaths[i], inputs[i]);
        if (std::chrono::steady_clock::now() - m_lastCommit >= m_groupInterval)
            CommitGroups();
    }
    CommitGroups();
    m_directories.clear();  // releases the locks
    return m_totals.nFailed > 0 ? 1 : 0;
}

// DIR and its numbered sub-directories as they stand, each locked for the whole batch.
int CBatch::ReadDirectories()
{
    m_directories.clear();
    for (int k = 1;; ++k) {
        Directory directory;
        directory.strPath = k == 1 ? m_strDir : m_strDir + kPathSeparator + std::to_string(k);
        directory.strShown = k == 1 ? m_strShownDir : m_strShownDir + kPathSeparator + std::to_string(k);
        std::error_code error;
        if (k > 1 && !fs::is_directory(PathFromText(directory.strPath), error))
            return 0;
        if (OpenDirectory(directory) != 0)
            return 1;
        m_directories.push_back(std::move(directory));
    }
}

// Locks the directory and reads its indexes: the securities of MASTER, and the symbols of EMASTER and
// XMASTER too, since a new security must not take any of them.
int CBatch::OpenDirectory(Directory& directory)
{
    directory.pCommit = std::make_shared<CDirectoryCommit>(m_services.messages, m_bSyncToDisk != 0);
    if (directory.pCommit->Lock(PathFromText(directory.strPath)) != 0 || directory.pCommit->ReadIndexes() != 0)
        return 1;
    ReadSymbols(directory);
    return 0;
}

void CBatch::ReadSymbols(Directory& directory)
{
    const MasterFile& master = directory.pCommit->Master();
    directory.nSecurities = static_cast<int>(master.records.size());
    directory.symbols.clear();
    for (const MasterRecord& record : master.records)
        if (!IsDirectoryEntry(record))
            directory.symbols.push_back(MasterEntry(record).strSymbol);
    const ExtraIndexes& extras = directory.pCommit->Extras();
    for (const IndexFile* index : {&extras.emaster, &extras.xmaster})
        for (const IndexEntry& entry : index->entries)
            directory.symbols.push_back(entry.strSymbol);
}

// Commits what each directory has staged: its files flushed together, then one MASTER rename.
void CBatch::CommitGroups()
{
    for (Directory& directory : m_directories) {
        if (!directory.pCommit->HasStaged())
            continue;
        if (directory.pCommit->Commit() == 0) {
            m_totals.nAdded += directory.pending.nAdded;
            m_totals.nUpdated += directory.pending.nUpdated;
            m_totals.nRecords += directory.pending.nRecords;
        } else {  // the commit said why; its securities are not there
            m_totals.nFailed += directory.pending.nAdded + directory.pending.nUpdated;
            directory.pCommit->Discard();
            ReadSymbols(directory);
        }
        directory.pending = BatchTotals{};
    }
    m_lastCommit = std::chrono::steady_clock::now();
}

CBatch::Directory* CBatch::DirectoryHolding(const std::string& storedSymbol)
{
    for (Directory& directory : m_directories)
        for (const std::string& symbol : directory.symbols)
            if (SameSymbol(symbol, storedSymbol))
                return &directory;
    return nullptr;
}

// The first of DIR, DIR/2, ... with room for one more security; a new numbered sub-directory when all are full.
CBatch::Directory* CBatch::DirectoryWithRoom()
{
    const int limit = std::clamp(m_nMaxPerDir, 1, kMaxSecurities);
    for (Directory& directory : m_directories)
        if (directory.nSecurities < limit)
            return &directory;
    Directory directory;
    directory.strPath = m_strDir + kPathSeparator + std::to_string(m_directories.size() + 1);
    directory.strShown = m_strShownDir + kPathSeparator + std::to_string(m_directories.size() + 1);
    std::error_code error;
    fs::create_directory(PathFromText(directory.strPath), error);
    if (error) {
        m_services.messages.ShowMessage("Cannot make the directory " + directory.strShown);
        return nullptr;
    }
    if (OpenDirectory(directory) != 0)
        return nullptr;
    m_observer.OnNotice(m_directories.back().strShown + " is full (" + std::to_string(limit) +
                        " securities); going on in " + directory.strShown);
    m_directories.push_back(std::move(directory));
    return &m_directories.back();
}

// The symbol from the file's name without its extension, or from a column of the first data row; the
// name from a column or empty. Both are cut to 16 characters, the symbol with a notice.
int CBatch::SymbolAndName(const std::string& path, const std::string& absolutePath, std::string& symbol,
                          std::string& name)
{
    CTokenTable tokens;
    int nTokens = 0;
    if ((m_nSymbolColumn > 0 || m_nNameColumn > 0) && FirstDataRow(absolutePath, m_cDelimiter, m_nSkipRows, tokens, nTokens) != 0) {
        Fail(path, "Cannot open the input file");
        return 1;
    }
    for (int column : {m_nSymbolColumn, m_nNameColumn})
        if (column > nTokens) {
            Fail(path, nTokens == 0 ? "no data row to take the symbol or name from"
                                    : "the first data row has no column " + std::to_string(column));
            return 1;
        }
    symbol = m_nSymbolColumn > 0 ? std::string(tokens[m_nSymbolColumn - 1]) : PathFromText(path).stem().string();
    symbol = TrimRight(symbol);
    for (char& c : symbol)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (symbol.empty()) {
        Fail(path, "no symbol in " + (m_nSymbolColumn > 0 ? "column " + std::to_string(m_nSymbolColumn) +
                                                                " of the first data row"
                                                          : std::string("the file name")));
        return 1;
    }
    bool cut = false;
    const std::string whole = symbol;
    symbol = TrimRight(FirstCharacters(whole, kMaxSymbolCharacters, cut));
    if (cut)
        m_observer.OnNotice(path + ": symbol " + whole + " cut to 16 characters: " + symbol);
    name = m_nNameColumn > 0 ? FirstCharacters(TrimRight(std::string(tokens[m_nNameColumn - 1])), kMaxNameCharacters, cut)
                             : std::string();
    return 0;
}

int CBatch::ConvertFile(const std::string& path, const std::string& absolutePath)
{
    std::string symbol, name;
    if (SymbolAndName(path, absolutePath, symbol, name) != 0)
        return 1;
    CFileMessageSink messages(m_services.messages, path);
    CConverter job({messages, m_services.settings, m_services.today});
    if (m_fillJob(job, symbol, name) != 0) {
        ++m_totals.nFailed;
        return 1;
    }
    Directory* target = DirectoryHolding(job.m_szSymbol);
    if (target && !m_bUpdate) {
        Fail(path, "Duplicate Symbol " + std::string(job.m_szSymbol) + " in " + target->strShown);
        return 1;
    }
    // An update reads the security's data file as committed, so what is staged there goes first.
    if (target && target->pCommit->HasStaged())
        CommitGroups();
    if (!target)
        target = DirectoryWithRoom();
    if (!target) {
        ++m_totals.nFailed;
        return 1;
    }
    job.m_strInputPath = absolutePath;
    CopyText(job.m_szPath, target->strPath);
    // As for one convert after the other: the first security makes MASTER, the others add to it.
    job.m_bUseExisting = target->pCommit->HasMaster() || target->nSecurities > 0;
    job.m_bSyncToDisk = m_bSyncToDisk;
    job.m_pGroup = target->pCommit;
    job.m_bUpdate = m_bUpdate;
    const CDirectoryCommit::CSavepoint savepoint = target->pCommit->Savepoint();
    const int status = job.Run();
    if (!job.m_bStaged) {
        target->pCommit->RollBackTo(savepoint);
        if (status == 0 && job.m_bUpdating) {  // no rows later than the security's last date
            ++m_totals.nUpdated;
            return 0;
        }
        ++m_totals.nFailed;
        return 1;
    }
    if (job.m_bUpdating) {
        if (status != 0) {
            ++m_totals.nFailed;
            return 1;
        }
        ++target->pending.nUpdated;
        target->pending.nRecords += job.m_nRecords;
        return 0;
    }
    // Staged, even when the conversion reported a failure (a date style that does not match): the
    // security is in MASTER at the next commit.
    ++target->nSecurities;
    target->symbols.emplace_back(job.m_szSymbol);
    if (status != 0) {
        ++m_totals.nFailed;
        return 1;
    }
    ++target->pending.nAdded;
    target->pending.nRecords += job.m_nRecords;
    return 0;
}

}  // namespace engine
