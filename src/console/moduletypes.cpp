#include "console/moduletypes.h"

#include "model/keyfunctions.h"

namespace kvr::console {

namespace {

struct TypeCounts {
    int Pots;
    int Display;
    int Options;
    std::string_view Prefix;
};

constexpr TypeCounts kNone{0, -1, -1, ""};

constexpr std::array<TypeCounts, kModuleTypeCount> kCounts = [] {
    std::array<TypeCounts, kModuleTypeCount> c{};
    c.fill(kNone);
    c[10] = {2, 49, -1, " #C"};
    c[11] = {3, 24, -1, " #C"};
    c[12] = {4, 57, -1, " #C"};
    c[13] = {2, 29, -1, " #C"};
    c[20] = {0, -1, -1, " #F"};
    c[21] = {0, -1, -1, " #F"};
    c[23] = {0, -1, 16, " #F"};
    c[25] = {0, -1, -1, " #C"};
    c[26] = {8, -1, -1, " #C"};
    c[28] = {0, -1, 8, "#F"};
    c[29] = {0, -1, 45, "#F"};
    return c;
}();

} // namespace

const std::array<ModuleTypeRow, kModuleTypeCount> ModuleTypeTable = [] {
    std::array<ModuleTypeRow, kModuleTypeCount> t{};
    t[1] = {"Blind Module"};
    t[2] = {"Blind Overbridge"};
    t[10] = {"KX730-010", "Monitor", "Headphone", "", "", "", "", "", "", "", "", "Main Module"};
    t[11] = {"KX730-011", "Monitor", "Headphone 1", "Headphone 2", "", "", "", "", "", "", "", "Studio Panel"};
    t[12] = {"KX730-012", "Monitor", "Headphone", "Level 1", "Level 2", "", "", "", "", "", "", "Central Module"};
    t[13] = {"KX730-013", "Level A", "Level B", "", "", "", "", "", "", "", "", "Central Overbridge"};
    t[20] = {"KX730-020", "", "", "", "", "", "", "", "", "", "", "Fader Module"};
    t[21] = {"KX730-021", "", "", "", "", "", "", "", "", "", "", "Motor Fader"};
    t[23] = {"KX730-023", "", "", "", "", "", "", "", "", "", "", "Fader Overbridge"};
    t[25] = {"KX730-025", "", "", "", "", "", "", "", "", "", "", "40 Pushbutton"};
    t[26] = {"KX730-026", "Level 1", "Level 2", "Level 3", "Level 4", "Level 5", "Level 6", "Level 7", "Level 8", "", "",
             "32 Pushbutton"};
    t[28] = {"KX730-028", "", "", "", "", "", "", "", "", "", "", "Fader Overbridge"};
    t[29] = {"KX730-029", "", "", "", "", "", "", "", "", "", "", "Fader Module"};
    return t;
}();

bool IsKnownModuleType(int type)
{
    return type >= 0 && type < kModuleTypeCount;
}

std::string_view ModelNumber(int type)
{
    return IsKnownModuleType(type) ? ModuleTypeTable[type][kModelNumberColumn] : std::string_view{};
}

std::string_view LevelName(int type, int level)
{
    if (!IsKnownModuleType(type) || level < 0 || level >= kLevelNameCount)
        return {};
    return ModuleTypeTable[type][1 + level];
}

std::string_view Description(int type)
{
    return IsKnownModuleType(type) ? ModuleTypeTable[type][kDescriptionColumn] : std::string_view{};
}

int PotCount(int type)
{
    return IsKnownModuleType(type) ? kCounts[type].Pots : 0;
}

int KeyCount(int type)
{
    // The model carries the key counts for its record bookkeeping; beyond 29 it knows types
    // that this catalogue does not draw.
    return IsKnownModuleType(type) ? model::ModuleKeyCount(type) : 0;
}

int DisplayElement(int type)
{
    return IsKnownModuleType(type) ? kCounts[type].Display : -1;
}

int OptionsKey(int type)
{
    return IsKnownModuleType(type) ? kCounts[type].Options : -1;
}

std::string_view ModuleNumberPrefix(int type)
{
    return IsKnownModuleType(type) ? kCounts[type].Prefix : std::string_view{};
}

std::string ModuleNumberText(int type, int numberByte)
{
    return std::string(ModuleNumberPrefix(type)) + std::to_string(numberByte + 1);
}

} // namespace kvr::console
