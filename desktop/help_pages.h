#pragma once
// The help pages (res/help) that the windows open at: every front end shows the same page for the same
// window, the Qt build from its resources, the Windows build from the help folder beside the program.

#include <string>

namespace desktop {

struct HelpPage {
    const char* file;     // in the help folder: "settings.html"
    const char* section;  // the anchor the page opens at; empty for its top
};

inline constexpr HelpPage kIndexHelpPage{"index.html", ""};
inline constexpr HelpPage kSettingsHelpPage{"settings.html", "conversion-settings"};
inline constexpr HelpPage kChooseDirHelpPage{"settings.html", "choose-directory"};
inline constexpr HelpPage kAboutHelpPage{"overview.html", "about"};
inline constexpr HelpPage kBatchHelpPage{"batch.html", ""};

// The page's address inside the help folder: "settings.html#conversion-settings".
inline std::string HelpAddress(const HelpPage& page)
{
    return *page.section ? std::string(page.file) + "#" + page.section : std::string(page.file);
}

}  // namespace desktop
