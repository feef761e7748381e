#pragma once
// The recent-file list: up to ten values "Recent0".."Recent9" under a settings key, Recent9 at
// the top of the menu. The list lives in the settings only; a TRecent holds nothing but the key.

#include <string>
#include <vector>

namespace kvr::platform {
class SettingsStore;
}

namespace kvr::app {

class TRecent {
public:
    struct Entry {
        int Index;        // the digit of the value name
        std::string Name; // the file name as stored
    };

    TRecent(platform::SettingsStore& Store, std::string KeyPath);

    // Records a file name: a listed name moves to the top, a new one takes the highest free
    // value or, on a full list, pushes the oldest out. Names compare exactly.
    void Add(const std::string& Name);
    // The stored names from the top of the menu down (Recent9 first); missing values are left out.
    std::vector<Entry> MenuEntries() const;

    // Moves the names of First + 1 .. End - 1 down one place; a missing value leaves the one
    // below unchanged.
    void ShiftDown(int First, int End);

    static std::string ValueName(int Index);

private:
    platform::SettingsStore& Store;
    std::string KeyPath;
};

} // namespace kvr::app
