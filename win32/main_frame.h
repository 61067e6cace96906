#pragma once
// The main window: menu, accelerators, toolbar, a status bar of one pane, and the read-only log (an edit
// control) filling the rest. Its caption is always "Quoteforge"; its place and size are remembered in
// section "Screen". It is the window of the conversion command (desktop::CConversionCommand).

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "desktop/conversion_command.h"
#include "desktop/stored_settings.h"
#include "engine/job/services.h"
#include "win32/directory_panel.h"
#include "win32/message_box.h"
#include "win32/preview_grid.h"
#include "win32/registry_store.h"
#include "win32/window_thread.h"

namespace win32 {

// False, after a message naming it, when the path is no file that can be read.
bool CheckFileReadable(HWND hOwner, const std::string& path);

class CMainFrame : public desktop::IConversionView {
public:
    CMainFrame();
    ~CMainFrame() override;

    // Creates and shows the window; false when it cannot be made.
    bool Create(HINSTANCE hInstance, int nShow);
    HWND Window() const { return m_hWnd; }
    HACCEL Accelerators() const { return m_hAccel; }

    // Opens a file as File > Open does; one opened goes to the top of the recent-file list.
    bool OpenDocumentFile(const std::string& path);
    // Files dropped on the window or named on the command line: one opens, several go to Convert Many Files.
    void OpenFiles(const std::vector<std::string>& files);

    // The conversion command's window.
    bool EditSettings(engine::ConversionSettings& settings, int& dateFormat) override;
    desktop::EAnswer Ask(const std::string& text, desktop::EButtons buttons) override;
    void AppendLog(const std::string& text) override;
    void RunInBackground(const std::function<void()>& work) override;
    void ShowBusy(bool busy) override;
    void Beep() override;
    engine::IMessageSink& RunMessages() override;
    engine::ISettingsWriter& RunSettings() override;
    void ShowDirectory(const std::string& directory) override;

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateLog();
    void PlaceWindow(int nShow);
    void OnSize();
    void OnCommand(int id);
    void OnNotify(const NMHDR& header);
    void OnMenuSelect(UINT item, UINT flags);
    void OnDropFiles(HDROP hDrop);
    void OnClose();
    void OnFileOpen();
    void OnSettings();
    void OnConvertMany(const std::vector<std::string>& files);
    void OnAppAbout();
    void OnClearWindow();
    void OnPreviewFile();
    void UpdateRecentFileMenu();
    void OnUpdateSettings();
    void ShowStatus(const std::wstring& text);
    void TogglePanel(int command);
    // The panels that View shows and hides, each with its command and the name its visibility is stored under.
    struct Panel {
        CPanel* pPanel;
        int command;
        const char* name;
    };
    std::vector<Panel> Panels();

    HWND m_hWnd = nullptr;
    HWND m_hToolBar = nullptr;
    HIMAGELIST m_hToolBarImages = nullptr;
    HWND m_hStatusBar = nullptr;
    HWND m_hLog = nullptr;
    HACCEL m_hAccel = nullptr;
    HFONT m_hLogFont = nullptr;
    bool m_bBusy = false;

    CRegistryStore m_store;
    desktop::CStoredSettings m_stored{m_store};
    engine::CSystemToday m_today;
    // The run's messages and write-back, each passed to the window's thread.
    std::unique_ptr<CMessageBoxSink> m_pMessages;
    std::unique_ptr<CWindowThreadSink> m_pRunMessages;
    CStoreSettingsWriter m_writeBack{m_store};
    CWindowThreadSettingsWriter m_runSettings{m_writeBack};
    desktop::CConversionCommand m_command{*this, m_stored, m_today};

    std::string m_inputPath;  // the file opened last; set by a successful open, never cleared
    int m_nDateFormat = 1;    // the date-format number of the dialog's last OK
    std::vector<std::string> m_recentFiles;
    CPreviewGrid m_previewGrid;
    CDirectoryPanel m_directoryPanel{m_stored, [this](const std::string& line) { AppendLog("\r\n" + line); }};
};

}  // namespace win32
