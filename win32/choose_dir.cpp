#include "win32/choose_dir.h"

#include <shlobj.h>
#include <shobjidl.h>

#include "desktop/choose_dir_presenter.h"
#include "win32/dialog_placement.h"
#include "win32/message_box.h"
#include "win32/text.h"

namespace win32 {

namespace {

class CChooseDirView : public desktop::IChooseDirView {
public:
    explicit CChooseDirView(HWND hOwner) : m_hOwner(hOwner) {}

    void ShowDirectory(const std::string& directory, const std::string& field) override
    {
        m_directory = directory;
        m_field = field;
    }
    void ShowField(const std::string& text) override { m_field = text; }
    void FocusField() override {}
    void Accept() override { m_bAccepted = true; }
    desktop::EAnswer Ask(const std::string& text, desktop::EButtons buttons) override
    {
        return AskBox(m_hOwner, text, buttons);
    }

    // Shows the folder dialog; false when it was cancelled.
    bool Pick(std::string& picked)
    {
        IFileDialog* pDialog = nullptr;
        if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&pDialog))))
            return false;
        DWORD options = 0;
        pDialog->GetOptions(&options);
        pDialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR);
        pDialog->SetTitle(L"Choose Directory");
        IShellItem* pFolder = nullptr;
        if (SUCCEEDED(SHCreateItemFromParsingName(Wide(m_directory).c_str(), nullptr, IID_PPV_ARGS(&pFolder)))) {
            pDialog->SetFolder(pFolder);
            pFolder->Release();
        }
        // A directory still to be made stays in the name field, as typed.
        if (m_field != desktop::NativePathText(m_directory))
            pDialog->SetFileName(Wide(m_field).c_str());
        bool bPicked = false;
        IShellItem* pItem = nullptr;
        CCentredSystemDialog centred;
        if (SUCCEEDED(pDialog->Show(m_hOwner)) && SUCCEEDED(pDialog->GetResult(&pItem))) {
            PWSTR pszPath = nullptr;
            if (SUCCEEDED(pItem->GetDisplayName(SIGDN_FILESYSPATH, &pszPath))) {
                picked = Utf8(pszPath);
                CoTaskMemFree(pszPath);
                bPicked = true;
            }
            pItem->Release();
        }
        pDialog->Release();
        return bPicked;
    }

    bool Accepted() const { return m_bAccepted; }

private:
    HWND m_hOwner;
    std::string m_directory;
    std::string m_field;
    bool m_bAccepted = false;
};

}  // namespace

bool ChooseDirectory(HWND hOwner, desktop::CStoredSettings* stored, std::string& path)
{
    CChooseDirView view(hOwner);
    desktop::CChooseDirPresenter presenter(view, stored);
    presenter.OnInit(path);
    std::string picked;
    while (view.Pick(picked)) {
        presenter.OnOK(picked);
        if (view.Accepted()) {
            path = presenter.Chosen();
            return true;
        }
    }
    return false;
}

}  // namespace win32
