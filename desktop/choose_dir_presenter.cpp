#include "desktop/choose_dir_presenter.h"

#include <filesystem>
#include <system_error>

#include "desktop/output_directory.h"
#include "metastock/path_text.h"

namespace desktop {

namespace fs = std::filesystem;

namespace {

// Characters that no directory name may hold. The platform's separators are allowed: '\' and ':' on
// Windows, '/' elsewhere.
#ifdef _WIN32
constexpr char kForbidden[] = "*?|/<>\"";
#else
constexpr char kForbidden[] = "*?|<>\"";
#endif

bool IsDirectory(const fs::path& path)
{
    std::error_code error;
    return !path.empty() && fs::is_directory(path, error);
}

fs::path WorkingDirectory()
{
    std::error_code error;
    fs::path current = fs::current_path(error);
    return error ? fs::path("/") : current;
}

// Absolute (counted from the working directory), without "." and "..", and without a trailing separator
// except the root's.
fs::path Clean(const fs::path& path)
{
    fs::path clean = (path.is_absolute() ? path : WorkingDirectory() / path).lexically_normal();
    if (!clean.has_filename() && clean.has_relative_path())
        clean = clean.parent_path();
    return clean;
}

// The path itself when it is a directory, else its nearest existing parent, else the working directory.
fs::path NearestExistingDirectory(const fs::path& path)
{
    for (fs::path directory = Clean(path);; directory = directory.parent_path()) {
        if (IsDirectory(directory))
            return directory;
        if (directory == directory.parent_path())
            return WorkingDirectory();
    }
}

std::string Text(const fs::path& path)
{
    return metastock::TextFromPath(path);
}

}  // namespace

std::string NativePathText(const std::string& path)
{
    return Text(metastock::PathFromText(path).make_preferred());
}

CChooseDirPresenter::CChooseDirPresenter(IChooseDirView& view, CStoredSettings* stored) : m_view(view), m_stored(stored)
{
}

void CChooseDirPresenter::OnInit(const std::string& initial)
{
    if (initial.empty()) {
        const fs::path remembered = m_stored ? metastock::PathFromText(m_stored->ChooserFolder()) : fs::path();
        OnOpen(Text(IsDirectory(remembered) ? remembered : WorkingDirectory()));
        return;
    }
    const fs::path path = metastock::PathFromText(initial);
    if (IsDirectory(path)) {
        OnOpen(initial);
        return;
    }
    // A directory still to be made: the field keeps it, so that OK offers to create it.
    m_shown = Text(NearestExistingDirectory(path));
    m_view.ShowDirectory(m_shown, initial);
}

void CChooseDirPresenter::OnOpen(const std::string& directory)
{
    m_shown = Text(Clean(metastock::PathFromText(directory)));
    m_view.ShowDirectory(m_shown, NativePathText(m_shown));
}

void CChooseDirPresenter::OnSelect(const std::string& directory)
{
    m_view.ShowField(NativePathText(Text(Clean(metastock::PathFromText(directory)))));
}

void CChooseDirPresenter::OnOK(const std::string& text)
{
    if (text.find_first_of(kForbidden) != std::string::npos) {
        m_view.Ask(text + " is not a valid pathname.", EButtons::Ok);
        m_view.FocusField();
        return;
    }
    const fs::path typed = metastock::PathFromText(text);
    const bool fromShown = !text.empty() && !typed.is_absolute() && !typed.has_root_directory();
    const std::string directory =
        fromShown ? NativePathText(Text(Clean(metastock::PathFromText(m_shown) / typed))) : text;
    const fs::path path = metastock::PathFromText(directory);
    if (IsDirectory(path)) {
        Choose(directory);
        return;
    }
    if (m_view.Ask("Directory " + text + " does not exist.\nCreate this directory?", EButtons::YesNo) != EAnswer::Yes)
        return;
    // One level only: the parent must exist already.
    std::string reason;
    if (directory.empty() || !IsDirectory(Clean(path).parent_path()) || !MakeOutputDirectory(directory, reason)) {
        m_view.Ask("There was a problem creating " + text + ".\nThe new directory was not created.", EButtons::Ok);
        return;
    }
    Choose(directory);
}

void CChooseDirPresenter::Choose(const std::string& directory)
{
    m_chosen = directory;
    if (m_stored)
        m_stored->SetChooserFolder(directory);
    m_view.Accept();
}

}  // namespace desktop
