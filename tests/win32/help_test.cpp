// The help pages of quoteforge.exe: where the program looks for them, and the message when one is missing.

#include <gtest/gtest.h>

#include <string>

#include "win32/help.h"
#include "win32/text.h"

namespace {

TEST(Help, AMissingPageIsNamedWithTheSystemsReason)
{
    // The tests run where no help folder stands beside them.
    for (const desktop::HelpPage& page : {desktop::kSettingsHelpPage, desktop::HelpPage{"no-such-page.html", ""}}) {
        const std::string path = win32::Utf8(win32::HelpFilePath(page));
        EXPECT_EQ(path.substr(path.size() - std::string("\\help\\").size() - std::string(page.file).size()),
                  std::string("\\help\\") + page.file);
        std::string message;
        EXPECT_FALSE(win32::OpenHelpPage(nullptr, page, message));
        const std::string heading = "Cannot open the help page\n" + path + "\n";
        EXPECT_EQ(message.substr(0, heading.size()), heading);
        EXPECT_GT(message.size(), heading.size()) << "the system's reason follows the path";
    }
}

}  // namespace
