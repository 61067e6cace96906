#include "metastock/commit_journal.h"

#include "metastock/file_system.h"

namespace metastock {

namespace {

const char* const kFirstLine = "QUOTEFORGE COMMIT 1";
const char* const kLastLine = "END";

// A bare entry name: no separator of any platform, nothing that climbs out of the directory.
bool IsEntryName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (const char c : name)
        if (c == '/' || c == '\\' || c == ':' || c == '\t' || static_cast<unsigned char>(c) < 0x20)
            return false;
    return true;
}

std::vector<std::string_view> SplitOn(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t end = text.find(separator);
        parts.push_back(text.substr(0, end));
        if (end == std::string_view::npos)
            return parts;
        text.remove_prefix(end + 1);
    }
}

}  // namespace

std::string JournalText(const CommitJournal& journal)
{
    std::string change = journal.change;
    for (char& c : change)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    std::string text = std::string(kFirstLine) + "\nC\t" + change + "\n";
    for (const CommitStep& step : journal.steps)
        text += step.kind == CommitStep::Kind::kRename ? "R\t" + step.from + "\t" + step.to + "\n" : "D\t" + step.to + "\n";
    return text + kLastLine + "\n";
}

bool ParseJournal(std::string_view text, CommitJournal& journal, std::string& problem)
{
    journal = CommitJournal{};
    std::vector<std::string_view> lines = SplitOn(text, '\n');
    if (lines.size() < 3 || lines.front() != kFirstLine || !lines.back().empty() || lines[lines.size() - 2] != kLastLine) {
        problem = "it is not a whole commit journal";
        return false;
    }
    std::size_t k = 1;
    if (lines[k].starts_with("C\t"))
        journal.change = std::string(lines[k++].substr(2));
    for (; k + 2 < lines.size(); ++k) {
        const std::vector<std::string_view> fields = SplitOn(lines[k], '\t');
        CommitStep step;
        bool bRead = false;
        if (fields.size() == 3 && fields[0] == "R" && IsEntryName(fields[1]) && IsEntryName(fields[2])) {
            step = {CommitStep::Kind::kRename, std::string(fields[1]), std::string(fields[2])};
            bRead = true;
        } else if (fields.size() == 2 && fields[0] == "D" && IsEntryName(fields[1])) {
            step = {CommitStep::Kind::kRemove, std::string(), std::string(fields[1])};
            bRead = true;
        }
        if (!bRead) {
            problem = "line " + std::to_string(k + 1) + " is no step of a commit";
            journal = CommitJournal{};
            return false;
        }
        journal.steps.push_back(std::move(step));
    }
    return true;
}

bool CarryOutJournal(const std::filesystem::path& directory, const CommitJournal& journal, std::string& error)
{
    IFileSystem& fileSystem = CurrentFileSystem();
    for (const CommitStep& step : journal.steps) {
        const std::filesystem::path target = directory / step.to;
        if (step.kind == CommitStep::Kind::kRemove) {
            if (!fileSystem.Remove(target)) {
                error = "Cannot delete " + target.string() + ": " + LastFailureReason();
                return false;
            }
            continue;
        }
        const PathStatus source = fileSystem.Exists(directory / step.from);
        if (source.existence == Existence::kError) {
            error = "Cannot put " + target.string() + " in place: " + source.reason;
            return false;
        }
        if (source.existence == Existence::kNo)
            continue;  // renamed before
        if (!source.regularFile) {
            error = "Cannot put " + target.string() + " in place: " + step.from + " is not a file";
            return false;
        }
        if (!fileSystem.Rename(directory / step.from, target)) {
            error = "Cannot put " + target.string() + " in place: " + LastFailureReason();
            return false;
        }
    }
    return true;
}

}  // namespace metastock
