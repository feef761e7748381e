#include "console/moduletypes.h"
#include "model/keyfunctions.h"

#include <gtest/gtest.h>

#include <set>

using namespace kvr::console;

namespace {

struct TypeRow {
    int type;
    const char* model;
    std::vector<const char*> levels;
    const char* description;
    int pots;
    int keys;
    int display;
    int options;
    const char* prefix;
};

const TypeRow kRows[] = {
    {0, "", {}, "", 0, 0, -1, -1, ""},
    {1, "Blind Module", {}, "", 0, 0, -1, -1, ""},
    {2, "Blind Overbridge", {}, "", 0, 0, -1, -1, ""},
    {10, "KX730-010", {"Monitor", "Headphone"}, "Main Module", 2, 49, 49, -1, " #C"},
    {11, "KX730-011", {"Monitor", "Headphone 1", "Headphone 2"}, "Studio Panel", 3, 24, 24, -1, " #C"},
    {12, "KX730-012", {"Monitor", "Headphone", "Level 1", "Level 2"}, "Central Module", 4, 57, 57, -1, " #C"},
    {13, "KX730-013", {"Level A", "Level B"}, "Central Overbridge", 2, 24, 29, -1, " #C"},
    {20, "KX730-020", {}, "Fader Module", 0, 20, -1, -1, " #F"},
    {21, "KX730-021", {}, "Motor Fader", 0, 20, -1, -1, " #F"},
    {23, "KX730-023", {}, "Fader Overbridge", 0, 16, -1, 16, " #F"},
    {25, "KX730-025", {}, "40 Pushbutton", 0, 40, -1, -1, " #C"},
    {26, "KX730-026", {"Level 1", "Level 2", "Level 3", "Level 4", "Level 5", "Level 6", "Level 7", "Level 8"},
     "32 Pushbutton", 8, 32, -1, -1, " #C"},
    {28, "KX730-028", {}, "Fader Overbridge", 0, 8, -1, 8, "#F"},
    {29, "KX730-029", {}, "Fader Module", 0, 44, -1, 45, "#F"},
};

void ExpectRow(const TypeRow& row)
{
    SCOPED_TRACE(row.type);
    EXPECT_EQ(row.model, ModelNumber(row.type));
    EXPECT_EQ(row.description, Description(row.type));
    for (int level = 0; level < kLevelNameCount; ++level) {
        const std::string_view expected =
            level < static_cast<int>(row.levels.size()) ? row.levels[static_cast<std::size_t>(level)] : "";
        EXPECT_EQ(expected, LevelName(row.type, level)) << level;
    }
    EXPECT_EQ(row.pots, PotCount(row.type));
    EXPECT_EQ(row.keys, KeyCount(row.type));
    EXPECT_EQ(row.display, DisplayElement(row.type));
    EXPECT_EQ(row.options, OptionsKey(row.type));
    EXPECT_EQ(row.prefix, ModuleNumberPrefix(row.type));
}

TEST(ModuleTypes, EveryTypeReadsItsRow)
{
    std::set<int> listed;
    for (const TypeRow& row : kRows) {
        ExpectRow(row);
        listed.insert(row.type);
    }
    // Every other type of 0-29, and types a damaged image may carry, read as an empty row.
    std::vector<int> others{-1, 30, 31, 40, 255, 65535};
    for (int type = 0; type < kModuleTypeCount; ++type) {
        if (!listed.count(type))
            others.push_back(type);
    }
    for (int type : others)
        ExpectRow({type, "", {}, "", 0, 0, -1, -1, ""});
}

TEST(ModuleTypes, PotCountMatchesTheDefaultNames)
{
    for (int type = 0; type < kModuleTypeCount; ++type) {
        int named = 0;
        while (named < kLevelNameCount && !LevelName(type, named).empty())
            ++named;
        EXPECT_EQ(PotCount(type), named) << type;
    }
    EXPECT_EQ("", LevelName(26, 10));
    EXPECT_EQ("", LevelName(26, -1));
}

TEST(ModuleTypes, NumberTextsWithAndWithoutTheBlank)
{
    const std::tuple<int, int, const char*> cases[] = {
        {28, 0, "#F1"}, {29, 2, "#F3"}, {23, 0, " #F1"}, {20, 2, " #F3"}, {12, 4, " #C5"}, {1, 0, "1"}, {99, 0, "1"}};
    for (const auto& [type, number, text] : cases)
        EXPECT_EQ(text, ModuleNumberText(type, number)) << type;
}

TEST(ModuleTypes, TypeSets)
{
    for (int type = -1; type <= kModuleTypeCount; ++type) {
        // The painter's fader family is exactly the set the model keeps shared key tables for.
        EXPECT_EQ(kvr::model::SharedKeyTableOf(type).has_value(), IsFaderFamilyType(type)) << type;
        // Only types with keys have a main display or an options key.
        if (DisplayElement(type) >= 0 || OptionsKey(type) >= 0) {
            EXPECT_TRUE(IsIn(KeyModuleTypes, type)) << type;
        }
    }
    // The options key lies outside the drawn keys.
    for (int type : {23, 28, 29})
        EXPECT_GE(OptionsKey(type), KeyCount(type)) << type;
}

} // namespace
