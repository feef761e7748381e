#pragma once
// The options record "Preferences": 324 bytes kept whole in the settings store, exactly as the
// program has always stored it (little-endian 32-bit numbers, rectangles as left, top, right,
// bottom). The record is held as its byte image so that reserved bytes survive a round trip.

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <string>

namespace kvr::platform {
class SettingsStore;
}

namespace kvr::app {

struct TRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;

    // Stored values may be anything: the extents are taken in 64 bits and kept within 32.
    std::int32_t Width() const { return Clamp32(std::int64_t{Right} - Left); }
    std::int32_t Height() const { return Clamp32(std::int64_t{Bottom} - Top); }
    static std::int32_t Clamp32(std::int64_t V)
    {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(V, INT32_MIN, INT32_MAX));
    }
    // A rectangle without area was never stored by a window.
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool operator==(const TRect&) const = default;
};

// Window states as stored in byte 108.
enum TWindowState : std::uint8_t { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };

class TPreferences {
public:
    static constexpr std::size_t Size = 324;
    static constexpr std::size_t LogFolderSize = 208;
    static constexpr int DefaultAutoSaveInterval = 10;
    static constexpr int DefaultBackupLevels = 5;

    // Offsets of the fields.
    enum Offset : std::size_t {
        oMainWindow = 0,
        oMaintenanceWindow = 16,
        oLogicSourceWindow = 32,
        oAudioSourceWindow = 48,
        oFitOptions = 64,
        oHideUnnamedSources = 96,
        oReserved97 = 97,
        oReserved98 = 98,
        oAutoSave = 99,
        oAutoSaveInterval = 100,
        oBackupLevels = 101,
        oReserved102 = 102,
        oLogAge = 104,
        oWindowState = 108,
        oSelectNextOutputRouting = 109,
        oLogFolder = 113,
    };

    // All zero.
    TPreferences() = default;
    // The record of a first run: zero but for the backup levels and the save interval.
    static TPreferences Defaults();

    std::array<std::uint8_t, Size> Bytes{};

    TRect MainWindowRect() const { return GetRect(oMainWindow); }
    void SetMainWindowRect(const TRect& r) { SetRect(oMainWindow, r); }
    TRect MaintenanceWindowRect() const { return GetRect(oMaintenanceWindow); }
    void SetMaintenanceWindowRect(const TRect& r) { SetRect(oMaintenanceWindow, r); }
    TRect LogicSourceWindowRect() const { return GetRect(oLogicSourceWindow); }
    void SetLogicSourceWindowRect(const TRect& r) { SetRect(oLogicSourceWindow, r); }
    TRect AudioSourceWindowRect() const { return GetRect(oAudioSourceWindow); }
    void SetAudioSourceWindowRect(const TRect& r) { SetRect(oAudioSourceWindow, r); }

    std::uint8_t FitOptions() const { return Bytes[oFitOptions]; }
    void SetFitOptions(std::uint8_t v) { Bytes[oFitOptions] = v; }
    bool HideUnnamedSources() const { return Bytes[oHideUnnamedSources] == 1; }
    void SetHideUnnamedSources(bool v) { Bytes[oHideUnnamedSources] = v ? 1 : 0; }
    bool AutoSave() const { return Bytes[oAutoSave] != 0; }
    void SetAutoSave(bool v) { Bytes[oAutoSave] = v ? 1 : 0; }
    int AutoSaveInterval() const { return Bytes[oAutoSaveInterval]; }
    void SetAutoSaveInterval(int minutes) { Bytes[oAutoSaveInterval] = static_cast<std::uint8_t>(minutes); }
    int BackupLevels() const { return Bytes[oBackupLevels]; }
    void SetBackupLevels(int levels) { Bytes[oBackupLevels] = static_cast<std::uint8_t>(levels); }
    std::int32_t LogAge() const;
    void SetLogAge(std::int32_t days);
    TWindowState WindowState() const;
    void SetWindowState(TWindowState state) { Bytes[oWindowState] = state; }
    bool SelectNextOutputRouting() const { return Bytes[oSelectNextOutputRouting] != 0; }
    void SetSelectNextOutputRouting(bool v) { Bytes[oSelectNextOutputRouting] = v ? 1 : 0; }
    // Text up to the first zero byte (at most 207 characters).
    std::string LogFolder() const;
    // Cut to 207 characters, zero-filled to the end of the field.
    void SetLogFolder(const std::string& folder);

    bool operator==(const TPreferences&) const = default;

private:
    TRect GetRect(std::size_t offset) const;
    void SetRect(std::size_t offset, const TRect& r);
};

enum class PreferencesLoad {
    Loaded,   // the stored value was read
    Missing,  // nothing stored (first run): the defaults stand
    Unusable, // another type or longer than the record: the defaults stand
};

// Reads "Preferences" into Prefs. A shorter value fills the start of the record and the rest
// keeps what Prefs held. Fields out of their range are brought back to their defaults.
// Bytes 64, 97, 98 and 102 are always 0 afterwards.
PreferencesLoad ReadPreferences(const platform::SettingsStore& Store, TPreferences& Prefs);
// Writes the whole record; false when the store cannot be written.
bool WritePreferences(platform::SettingsStore& Store, const TPreferences& Prefs);
// Service level from the settings: 1 when the value "KOLM" holds exactly "KOLM", else 0.
int ReadServiceLevel(const platform::SettingsStore& Store);

// Records the main window in Prefs at save time: the state always, the bounds unless maximized.
void StoreMainWindow(TPreferences& Prefs, TWindowState State, const TRect& NormalBounds);

// A window rectangle kept on a screen of the given size: a window whose left edge lies beyond
// screen width - 10 is moved so that its right edge is on the screen's right edge; the same
// vertically.
TRect KeepOnScreen(TRect Bounds, int ScreenWidth, int ScreenHeight);

} // namespace kvr::app
