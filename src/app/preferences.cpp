#include "app/preferences.h"

#include <algorithm>

#include "kvrdata/byteorder.h"
#include "platform/settingsstore.h"
#include "service/maintenance/accesscode.h"

namespace kvr::app {

namespace {

constexpr const char* PreferencesValue = "Preferences";

} // namespace

TPreferences TPreferences::Defaults()
{
    TPreferences p;
    p.SetAutoSaveInterval(DefaultAutoSaveInterval);
    p.SetBackupLevels(DefaultBackupLevels);
    return p;
}

std::int32_t TPreferences::LogAge() const
{
    return static_cast<std::int32_t>(kvr::readLE32(Bytes, oLogAge));
}

void TPreferences::SetLogAge(std::int32_t days)
{
    kvr::writeLE32(Bytes, oLogAge, static_cast<std::uint32_t>(days));
}

TWindowState TPreferences::WindowState() const
{
    const std::uint8_t state = Bytes[oWindowState];
    return state <= wsMaximized ? static_cast<TWindowState>(state) : wsNormal;
}

std::string TPreferences::LogFolder() const
{
    const auto begin = Bytes.begin() + oLogFolder;
    const auto end = begin + LogFolderSize;
    return std::string(begin, std::find(begin, end, std::uint8_t{0}));
}

void TPreferences::SetLogFolder(const std::string& folder)
{
    const std::size_t length = std::min(folder.size(), LogFolderSize - 1);
    std::fill_n(Bytes.begin() + oLogFolder, LogFolderSize, std::uint8_t{0});
    std::copy_n(folder.begin(), length, Bytes.begin() + oLogFolder);
}

TRect TPreferences::GetRect(std::size_t offset) const
{
    return TRect{static_cast<std::int32_t>(kvr::readLE32(Bytes, offset)),
                 static_cast<std::int32_t>(kvr::readLE32(Bytes, offset + 4)),
                 static_cast<std::int32_t>(kvr::readLE32(Bytes, offset + 8)),
                 static_cast<std::int32_t>(kvr::readLE32(Bytes, offset + 12))};
}

void TPreferences::SetRect(std::size_t offset, const TRect& r)
{
    kvr::writeLE32(Bytes, offset, static_cast<std::uint32_t>(r.Left));
    kvr::writeLE32(Bytes, offset + 4, static_cast<std::uint32_t>(r.Top));
    kvr::writeLE32(Bytes, offset + 8, static_cast<std::uint32_t>(r.Right));
    kvr::writeLE32(Bytes, offset + 12, static_cast<std::uint32_t>(r.Bottom));
}

PreferencesLoad ReadPreferences(const platform::SettingsStore& Store, TPreferences& Prefs)
{
    PreferencesLoad result = PreferencesLoad::Missing;
    if (Store.valueExists(platform::DefinitionKey, PreferencesValue)) {
        const auto bytes = Store.readBinary(platform::DefinitionKey, PreferencesValue);
        if (!bytes || bytes->size() > TPreferences::Size) {
            result = PreferencesLoad::Unusable;
        } else {
            std::copy(bytes->begin(), bytes->end(), Prefs.Bytes.begin());
            result = PreferencesLoad::Loaded;
        }
    }
    // A record written before the defaults existed holds an interval of 0, which would save on
    // every tick; such values fall back to the defaults.
    if (Prefs.AutoSaveInterval() < 1 || Prefs.AutoSaveInterval() > 60)
        Prefs.SetAutoSaveInterval(TPreferences::DefaultAutoSaveInterval);
    if (Prefs.BackupLevels() > 9)
        Prefs.SetBackupLevels(TPreferences::DefaultBackupLevels);
    if (Prefs.LogAge() < 0 || Prefs.LogAge() > 365)
        Prefs.SetLogAge(0);
    for (const auto offset : {TPreferences::oFitOptions, TPreferences::oReserved97, TPreferences::oReserved98,
                              TPreferences::oReserved102})
        Prefs.Bytes[offset] = 0;
    return result;
}

bool WritePreferences(platform::SettingsStore& Store, const TPreferences& Prefs)
{
    return Store.writeBinary(platform::DefinitionKey, PreferencesValue,
                             std::vector<std::uint8_t>(Prefs.Bytes.begin(), Prefs.Bytes.end()));
}

int ReadServiceLevel(const platform::SettingsStore& Store)
{
    return service::ServiceAccessGranted(Store) ? 1 : 0;
}

void StoreMainWindow(TPreferences& Prefs, TWindowState State, const TRect& NormalBounds)
{
    Prefs.SetWindowState(State);
    if (State != wsMaximized)
        Prefs.SetMainWindowRect(NormalBounds);
}

TRect KeepOnScreen(TRect Bounds, int ScreenWidth, int ScreenHeight)
{
    // In 64 bits: the stored rectangle may hold any numbers.
    const std::int64_t width = Bounds.Width();
    const std::int64_t height = Bounds.Height();
    if (ScreenWidth < std::int64_t{Bounds.Left} + 10) {
        Bounds.Left = TRect::Clamp32(ScreenWidth - width);
        Bounds.Right = TRect::Clamp32(Bounds.Left + width);
    }
    if (ScreenHeight < std::int64_t{Bounds.Top} + 10) {
        Bounds.Top = TRect::Clamp32(ScreenHeight - height);
        Bounds.Bottom = TRect::Clamp32(Bounds.Top + height);
    }
    return Bounds;
}

} // namespace kvr::app
