#pragma once
// What the desktop needs to know of an output directory before a run: whether it stands, whether it
// holds a MASTER, and the last date of a symbol it holds. Read through the file-system seam.

#include <string>

namespace desktop {

enum class EDirectoryState { Missing, File, Directory, Unreadable };

struct DirectoryState {
    EDirectoryState state = EDirectoryState::Missing;
    bool master = false;   // a file named MASTER, in any case
    std::string reason;    // with Unreadable: why, with the system's reason
};

// directory in the engine's form (UTF-8).
DirectoryState LookAtDirectory(const std::string& directory);

// The symbol's last date as YYYY-MM-DD when the directory holds it ("its last date" when it holds none);
// empty when it does not, or cannot be read (which the run then reports).
std::string HeldLastDate(const std::string& directory, const std::string& symbol);

// Makes the directory; false with the system's reason.
bool MakeOutputDirectory(const std::string& directory, std::string& reason);

}  // namespace desktop
