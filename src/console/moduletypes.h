#pragma once
// The catalogue of console module types 0-29: texts, key and pot counts, the main display, the
// options key and the number prefix. Fixed data; every lookup takes any int so that a type read
// from a device image cannot index past the 30 rows (an unknown type reads as an empty row).

#include <array>
#include <string>
#include <string_view>

namespace kvr::console {

inline constexpr int kModuleTypeCount = 30;
inline constexpr int kLevelNameCount = 10;

// Column 0 model number, 1-10 default pot names in pot order, 11 description.
inline constexpr int kModelNumberColumn = 0;
inline constexpr int kDescriptionColumn = 11;
using ModuleTypeRow = std::array<std::string_view, 12>;
extern const std::array<ModuleTypeRow, kModuleTypeCount> ModuleTypeTable;

bool IsKnownModuleType(int type);

std::string_view ModelNumber(int type);
// level 0-9; empty text = no default name.
std::string_view LevelName(int type, int level);
std::string_view Description(int type);

int PotCount(int type);
// Keys that carry key-function records; element indices below it are keys.
int KeyCount(int type);
// Element index of the main display, -1 none.
int DisplayElement(int type);
// Key number (outside the drawn keys) whose record holds the module options, -1 none.
int OptionsKey(int type);
std::string_view ModuleNumberPrefix(int type);
// The number as the module panel and the printouts show it: prefix and entry byte 4 plus 1.
std::string ModuleNumberText(int type, int numberByte);

// Fader modules and overbridges: their keys come from the device's shared key tables.
inline constexpr std::array<int, 5> FaderFamilyTypes{20, 21, 23, 28, 29};
// Faces drawn 1280 high; the Studio Panel (11) is listed but has its own size.
inline constexpr std::array<int, 7> ShortFaceTypes{2, 11, 13, 23, 25, 26, 28};
// Faces 1600 x 3900 of the lower row (types without a row share the size but not the set).
inline constexpr std::array<int, 6> TallFaceTypes{1, 10, 12, 20, 21, 29};
// Types with an element table and artwork.
inline constexpr std::array<int, 11> KeyModuleTypes{10, 11, 12, 13, 20, 21, 23, 25, 26, 28, 29};

inline constexpr int kStudioPanelType = 11;
inline constexpr int kCentralModuleType = 12;

template <std::size_t N>
constexpr bool IsIn(const std::array<int, N>& set, int type)
{
    for (int t : set) {
        if (t == type)
            return true;
    }
    return false;
}

inline constexpr bool IsFaderFamilyType(int type) { return IsIn(FaderFamilyTypes, type); }

} // namespace kvr::console
