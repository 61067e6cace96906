// Arbitrary bytes as a commit journal that a killed run left: read, written back, and carried out in a
// scratch directory. Besides the sanitizers: what reads as a journal writes back to the same steps, and
// its steps never reach outside the directory.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "metastock/commit_journal.h"

using namespace metastock;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CommitJournal journal;
    std::string problem;
    if (!ParseJournal(text, journal, problem))
        return 0;
    CommitJournal again;
    if (!ParseJournal(JournalText(journal), again, problem) || again.steps.size() != journal.steps.size())
        std::abort();
    for (std::size_t k = 0; k < journal.steps.size(); ++k) {
        const CommitStep& step = journal.steps[k];
        if (step.to != again.steps[k].to || step.from != again.steps[k].from)
            std::abort();
        for (const std::string& name : {step.from, step.to})
            if (name.find('/') != std::string::npos || name == "..")
                std::abort();
    }
    static const std::filesystem::path dir = ScratchDir() / "journal";
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    std::filesystem::create_directories(dir / "inner", ignored);
    std::string error;
    CarryOutJournal(dir, journal, error);
    if (!std::filesystem::is_directory(dir / "inner"))
        std::abort();  // a directory is never removed
    return 0;
}
