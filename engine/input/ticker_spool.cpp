#include "engine/input/ticker_spool.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <fstream>
#include <random>

#include "engine/text/date_formats.h"
#include "engine/text/line_parsing.h"
#include "engine/text/text_reader.h"
#include "metastock/path_text.h"

namespace engine {

using namespace metastock;

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kWriteBlock = 1 << 20;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

CTickerSpool::~CTickerSpool()
{
    m_pFile.reset();
    if (!m_path.empty())
        CurrentFileSystem().Remove(m_path);
}

bool CTickerSpool::Create(const fs::path& fallback, std::string& reason)
{
    std::error_code error;
    fs::path directory = fs::temp_directory_path(error);
    if (error)
        directory = fallback;
    std::mt19937_64 random(static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                           std::random_device{}());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path path = directory / ("quoteforge-rows-" + std::to_string(random() % 1000000000) + ".tmp");
        m_pFile = CurrentFileSystem().CreateExclusive(path, fs::path());
        if (m_pFile) {
            m_path = path;
            return true;
        }
        if (CurrentFileSystem().Exists(path).existence != Existence::kYes)
            break;  // not a name taken: the system refused
    }
    reason = LastFailureReason();
    return false;
}

bool CTickerSpool::Flush(std::string& reason)
{
    if (!m_buffer.empty() && !m_pFile->Write(m_buffer.data(), m_buffer.size())) {
        reason = LastFailureReason();
        return false;
    }
    m_buffer.clear();
    return true;
}

bool CTickerSpool::Add(std::size_t nFile, IReadableFile& input, const InputLayout& layout,
                       const TickerColumns& columns, std::vector<std::uint32_t>& untickered, std::string& reason)
{
    CLineSource source(&input);
    TextField fields[kMaxFields];
    std::string scratch;
    std::string_view line;
    TickerGroup* group = nullptr;
    for (std::uint32_t nLine = 1; source.NextLine(line); ++nLine) {
        if (static_cast<int>(nLine) <= layout.skipRows)
            continue;
        const int nFields = std::min(SplitFields(line, layout.delimiter, fields, scratch), kMaxFields);
        if (IsBlankRow(fields, nFields))
            continue;
        const auto field = [&](int column) {
            return column >= 0 && column < nFields ? std::string(fields[column].text) : std::string();
        };
        const std::string ticker = TickerOf(field(columns.ticker));
        if (!ticker.empty()) {
            const auto [at, added] = m_groupOf.emplace(ticker, m_groups.size());
            if (added) {
                m_groups.push_back({ticker, TickerOf(field(columns.name)), TickerOf(field(columns.period)), nFile, {}, {}});
                m_groups.back().lines.reserve(16);
            }
            group = &m_groups[at->second];
        } else if (ReadDate(field(layout.fieldColumn[kDateField]), layout.dateFormat).result != DateResult::kNotADate) {
            untickered.push_back(nLine);
            continue;
        }
        if (!group)
            continue;
        if (group->files.empty() || group->files.back() != nFile)
            if (std::find(group->files.begin(), group->files.end(), nFile) == group->files.end())
                group->files.push_back(nFile);
        group->lines.push_back({m_nWritten + m_buffer.size(), static_cast<std::uint32_t>(line.size()), nLine,
                                static_cast<std::uint32_t>(nFile)});
        m_buffer.append(line);
        m_buffer.push_back('\n');
        if (m_buffer.size() >= kWriteBlock) {
            m_nWritten += m_buffer.size();
            if (!Flush(reason))
                return false;
        }
    }
    if (source.Failed()) {
        reason = source.FailureReason();
        return false;
    }
    return true;
}

bool CTickerSpool::Finish(std::string& reason)
{
    m_nWritten += m_buffer.size();
    if (!Flush(reason))
        return false;
    if (!m_pFile->Close()) {
        reason = LastFailureReason();
        return false;
    }
    m_bFinished = true;
    return true;
}

bool CTickerSpool::ReadLines(const TickerGroup& group, std::string& text, std::string& reason) const
{
    text.clear();
    // Unbuffered: a ticker's lines lie apart (a market file holds each day's rows together), and a buffer
    // refilled at every seek would read far more than the lines.
    std::ifstream reader;
    reader.rdbuf()->pubsetbuf(nullptr, 0);
    if (m_bFinished)
        reader.open(m_path, std::ios::binary);
    if (!reader) {
        reason = "cannot open " + TextFromPath(m_path) + " again";
        return false;
    }
    std::size_t total = 0;
    for (const SpooledLine& line : group.lines)
        total += line.length + 1;
    text.reserve(total);
    // Lines that follow one another in the temporary file are read in one go.
    for (std::size_t i = 0; i < group.lines.size();) {
        std::size_t end = i + 1;
        while (end < group.lines.size() &&
               group.lines[end].offset == group.lines[end - 1].offset + group.lines[end - 1].length + 1)
            ++end;
        const std::uint64_t size = group.lines[end - 1].offset + group.lines[end - 1].length + 1 - group.lines[i].offset;
        const std::size_t at = text.size();
        text.resize(at + size);
        reader.seekg(static_cast<std::streamoff>(group.lines[i].offset));
        if (!reader.read(text.data() + at, static_cast<std::streamsize>(size))) {
            reason = "cannot read back " + TextFromPath(m_path);
            return false;
        }
        i = end;
    }
    return true;
}

void CTickerSpool::Release(std::size_t nGroup)
{
    std::vector<SpooledLine>().swap(m_groups[nGroup].lines);
}

std::string WithInputLines(const std::string& text, const TickerGroup& group, const std::vector<std::string>& shownPaths,
                           const std::string& inputPath, const std::string& source)
{
    const bool bOneFile = group.files.size() <= 1;
    const auto lineOf = [&](std::size_t n) -> const SpooledLine* {
        return n >= 1 && n <= group.lines.size() ? &group.lines[n - 1] : nullptr;
    };
    const auto fileOf = [&](const SpooledLine& line) {
        return line.file < shownPaths.size() ? shownPaths[line.file] : std::string();
    };
    const auto number = [&](std::size_t& at) {
        std::size_t n = 0;
        while (at < text.size() && IsDigit(text[at]))
            n = n * 10 + static_cast<std::size_t>(text[at++] - '0');
        return n;
    };
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (!inputPath.empty() && text.compare(i, inputPath.size(), inputPath) == 0) {
            out += source;
            i += inputPath.size();
            continue;
        }
        const bool bStart = i == 0 || !std::isalpha(static_cast<unsigned char>(text[i - 1]));
        const bool bTwo = text.compare(i, 6, "Lines ") == 0;
        const std::size_t word = bTwo ? 6 : 5;
        if (bStart && (bTwo || text.compare(i, 5, "Line ") == 0) && i + word < text.size() && IsDigit(text[i + word])) {
            std::size_t at = i + word;
            const SpooledLine* first = lineOf(number(at));
            const SpooledLine* second = nullptr;
            if (bTwo && text.compare(at, 5, " and ") == 0 && at + 5 < text.size() && IsDigit(text[at + 5])) {
                at += 5;
                second = lineOf(number(at));
            }
            if (first && (!bTwo || second)) {
                if (!second)
                    out += "Line " + std::to_string(first->line) + (bOneFile ? "" : " of " + fileOf(*first));
                else if (bOneFile || first->file == second->file)
                    out += "Lines " + std::to_string(first->line) + " and " + std::to_string(second->line) +
                           (bOneFile ? "" : " of " + fileOf(*first));
                else
                    out += "Line " + std::to_string(first->line) + " of " + fileOf(*first) + " and line " +
                           std::to_string(second->line) + " of " + fileOf(*second);
                i = at;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

}  // namespace engine
