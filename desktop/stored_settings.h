#pragma once
// Everything the desktop remembers, read and written in one place: the conversion settings of
// section "Setting" and the choices of the windows (the folder File > Open starts in, the directory the
// chooser handed back last, the Directory panel's directory, Convert Many Files' directory and layout).

#include <string>

#include "desktop/string_store.h"
#include "engine/job/conversion_settings.h"

namespace desktop {

inline constexpr char kSettingSection[] = "Setting";

// What Convert Many Files starts from.
struct BatchChoices {
    std::string directory;
    bool detect = false;   // detect each file's layout rather than use the Conversion Settings
    bool daily = false;    // combine intraday bars into days
    bool tickerOn = false; // the ticker column of files of many securities is given; off: found
    int tickerColumn = 1;
};

class CStoredSettings {
public:
    explicit CStoredSettings(IStringStore& store) : m_store(store) {}

    engine::ConversionSettings LoadConversion() const;
    // All but Path, Symbol and Name, which the run writes once it has added the security.
    void StoreConversion(const engine::ConversionSettings& settings);

    std::string OpenFolder() const;
    void SetOpenFolder(const std::string& folder);
    // The directory the Choose Directory dialog handed back last.
    std::string ChooserFolder() const;
    void SetChooserFolder(const std::string& folder);
    // The Directory panel's directory; the conversion settings' Path until one is chosen.
    std::string PanelDirectory() const;
    void SetPanelDirectory(const std::string& directory);
    BatchChoices Batch() const;
    void SetBatch(const BatchChoices& choices);

private:
    IStringStore& m_store;
};

}  // namespace desktop
