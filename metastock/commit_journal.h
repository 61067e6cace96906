#pragma once
// A change to several files of a directory cannot be made in one rename, so it is decided by one: the
// journal, a short text naming every rename and removal of the change in order, is written beside the
// files, flushed and renamed into place once every new file is flushed under its temporary name. From
// then on the change is made: the writer carries the steps out and removes the journal, and when it is
// killed or fails half-way, the next writer that takes the directory's lock finds the journal and
// carries the rest out first. Each step can be carried out again without harm: a rename whose source
// is gone was done, a removal of a file that is not there was done.
//
// The text, lines ending in LF:
//   QUOTEFORGE COMMIT 1
//   C <tab> what the change does, for people ("The security XYZ was added to")
//   R <tab> temporary name <tab> name      (rename)
//   D <tab> name                          (removal)
//   END
// Names are entries of the directory itself, never paths.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace metastock {

// The journal's name in a directory; its temporary name is TemporaryName(kJournalName).
inline constexpr const char* kJournalName = "QFCOMMIT.JNL";

struct CommitStep {
    enum class Kind { kRename, kRemove };
    Kind kind = Kind::kRename;
    std::string from;  // with kRename: the temporary name
    std::string to;    // the name renamed to, or removed
};

struct CommitJournal {
    std::string change;  // what the change does, as its run says it; one line
    std::vector<CommitStep> steps;
};

std::string JournalText(const CommitJournal& journal);
// False with what is wrong when text is not a whole journal (cut short, or a name that is a path).
bool ParseJournal(std::string_view text, CommitJournal& journal, std::string& problem);

// Carries the steps out in directory, in order, each once even when some were done before: false with a
// message naming the file the user knows (not its temporary name) and the system's reason at the first
// step that fails; the steps after it are not tried.
bool CarryOutJournal(const std::filesystem::path& directory, const CommitJournal& journal, std::string& error);

}  // namespace metastock
