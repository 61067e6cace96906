#include "desktop/stored_settings.h"

namespace desktop {

using engine::ConversionSettings;

namespace {

// The numeric settings from SkipOn on, in the order they are read and written; visit gets each one's name
// and member.
template <typename Settings, typename Visit>
void ForEachNumber(Settings& settings, Visit visit)
{
    visit("SkipOn", settings.SkipOn);
    visit("SkipRows", settings.SkipRows);
    visit("DateCol", settings.DateCol);
    visit("OpenOn", settings.OpenOn);
    visit("OpenCol", settings.OpenCol);
    visit("HiOn", settings.HiOn);
    visit("HiCol", settings.HiCol);
    visit("LoOn", settings.LoOn);
    visit("LoCol", settings.LoCol);
    visit("CloCol", settings.CloCol);
    visit("VolOn", settings.VolOn);
    visit("VolCol", settings.VolCol);
    visit("OIOn", settings.OIOn);
    visit("OICol", settings.OICol);
}

}  // namespace

ConversionSettings CStoredSettings::LoadConversion() const
{
    ConversionSettings settings;
    settings.DateFormat = m_store.ReadString(kSettingSection, "DateFormat", settings.DateFormat);
    settings.Exist = m_store.ReadInt(kSettingSection, "Exist", settings.Exist);
    settings.Delimiter = m_store.ReadInt(kSettingSection, "Delimiter", settings.Delimiter);
    settings.Path = m_store.ReadString(kSettingSection, "Path", "");
    settings.Symbol = m_store.ReadString(kSettingSection, "Symbol", "");
    settings.Name = m_store.ReadString(kSettingSection, "Name", "");
    settings.DecimalComma = m_store.ReadInt(kSettingSection, "DecimalComma", 0) != 0;
    settings.Daily = m_store.ReadInt(kSettingSection, "Daily", 0) != 0;
    // 0 from the dates to 4 intraday; any other number is the default.
    const int frame = m_store.ReadInt(kSettingSection, "TimeFrame", 0);
    settings.TimeFrame = frame >= 0 && frame <= static_cast<int>(engine::FrameChoice::kIntraday)
                             ? static_cast<engine::FrameChoice>(frame)
                             : engine::FrameChoice::kFromDates;
    ForEachNumber(settings, [&](const char* name, int& value) { value = m_store.ReadInt(kSettingSection, name, value); });
    if (m_store.ReadInt(kSettingSection, "TickerOn", 0) != 0)
        settings.TickerCol = m_store.ReadInt(kSettingSection, "TickerCol", 1);
    return settings;
}

void CStoredSettings::StoreConversion(const ConversionSettings& settings)
{
    m_store.WriteString(kSettingSection, "DateFormat", settings.DateFormat);
    m_store.WriteInt(kSettingSection, "Delimiter", settings.Delimiter);
    m_store.WriteInt(kSettingSection, "Exist", settings.Exist);
    m_store.WriteInt(kSettingSection, "DecimalComma", settings.DecimalComma ? 1 : 0);
    m_store.WriteInt(kSettingSection, "Daily", settings.Daily ? 1 : 0);
    m_store.WriteInt(kSettingSection, "TimeFrame", static_cast<int>(settings.TimeFrame));
    ForEachNumber(settings, [&](const char* name, int value) { m_store.WriteInt(kSettingSection, name, value); });
    // An unchecked ticker column keeps the column last given, as an unchecked field keeps none.
    m_store.WriteInt(kSettingSection, "TickerOn", settings.TickerCol > 0 ? 1 : 0);
    if (settings.TickerCol > 0)
        m_store.WriteInt(kSettingSection, "TickerCol", settings.TickerCol);
}

std::string CStoredSettings::OpenFolder() const
{
    return m_store.ReadString(kSettingSection, "OpenFolder", "");
}

void CStoredSettings::SetOpenFolder(const std::string& folder)
{
    m_store.WriteString(kSettingSection, "OpenFolder", folder);
}

std::string CStoredSettings::ChooserFolder() const
{
    return m_store.ReadString(kSettingSection, "ChooserPath", "");
}

void CStoredSettings::SetChooserFolder(const std::string& folder)
{
    m_store.WriteString(kSettingSection, "ChooserPath", folder);
}

std::string CStoredSettings::PanelDirectory() const
{
    return m_store.ReadString(kSettingSection, "PanelPath", m_store.ReadString(kSettingSection, "Path", ""));
}

void CStoredSettings::SetPanelDirectory(const std::string& directory)
{
    m_store.WriteString(kSettingSection, "PanelPath", directory);
}

BatchChoices CStoredSettings::Batch() const
{
    BatchChoices choices;
    choices.directory = m_store.ReadString(kSettingSection, "BatchPath", m_store.ReadString(kSettingSection, "Path", ""));
    choices.detect = m_store.ReadInt(kSettingSection, "BatchDetect", 0) != 0;
    choices.daily = m_store.ReadInt(kSettingSection, "BatchDaily", 0) != 0;
    choices.tickerOn = m_store.ReadInt(kSettingSection, "BatchTickerOn", 0) != 0;
    choices.tickerColumn = m_store.ReadInt(kSettingSection, "BatchTickerCol", choices.tickerColumn);
    return choices;
}

void CStoredSettings::SetBatch(const BatchChoices& choices)
{
    m_store.WriteString(kSettingSection, "BatchPath", choices.directory);
    m_store.WriteInt(kSettingSection, "BatchDetect", choices.detect ? 1 : 0);
    m_store.WriteInt(kSettingSection, "BatchDaily", choices.daily ? 1 : 0);
    m_store.WriteInt(kSettingSection, "BatchTickerOn", choices.tickerOn ? 1 : 0);
    m_store.WriteInt(kSettingSection, "BatchTickerCol", choices.tickerColumn);
}

}  // namespace desktop
