#include "console/keyfunctioncatalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace kvr::console;

namespace {

TEST(KeyFunctionCatalogue, FunctionBoxesByModuleType)
{
    for (int type : {10, 11, 12, 13, 25, 26})
        EXPECT_EQ(16u, FunctionList(KeyFunctionsOf(type)).size()) << type;
    for (int type : {20, 21, 23, 28, 29})
        EXPECT_EQ(32u, FunctionList(KeyFunctionsOf(type)).size()) << type;
    const auto console = FunctionList(ConsoleKeyFunctions());
    EXPECT_EQ("Fader Key Function", console[15].Caption);
    EXPECT_EQ(16, console[15].Identifier);
    EXPECT_EQ(8, console[8].Identifier);
    const auto fader = FunctionList(FaderKeyFunctions());
    EXPECT_EQ("Direct Input Select", fader[31].Caption);
    EXPECT_EQ(25, fader[25].Identifier);
    EXPECT_EQ(25, fader[26].Identifier);
    EXPECT_EQ(30, fader[31].Identifier);
}

// Function rows below 32, subfunction rows from 32; every list closed by an end row.
TEST(KeyFunctionCatalogue, IdentifierRules)
{
    for (const auto catalogue : {ConsoleKeyFunctions(), FaderKeyFunctions()}) {
        const auto functions = FunctionList(catalogue);
        for (const auto& row : functions)
            EXPECT_LT(row.Identifier, 32) << row.Caption;
        EXPECT_TRUE(catalogue[functions.size()].IsEndRow());
        EXPECT_TRUE(catalogue.back().IsEndRow());
        for (std::size_t i = functions.size() + 1; i < catalogue.size(); ++i) {
            if (!catalogue[i].IsEndRow()) {
                EXPECT_GE(catalogue[i].Identifier, 32) << catalogue[i].Caption;
            }
        }
        // Every sub-list a function names exists and is not empty.
        for (const auto& row : functions) {
            if (row.SubList != kNoSubList) {
                EXPECT_FALSE(SubFunctionList(catalogue, row).empty()) << row.Caption;
            }
        }
    }
}

TEST(KeyFunctionCatalogue, SubFunctionLists)
{
    const auto console = ConsoleKeyFunctions();
    const auto functions = FunctionList(console);
    // (function item, list size, first caption, last caption, last identifier)
    const std::tuple<int, std::size_t, const char*, const char*, int> cases[] = {
        {1, 23, "Gain", "Stereo Width Control", 54},   {7, 8, "Load Channel Setup", "Save to Chipcard", 74},
        {8, 63, "None", "EQ4 Gain/Freq/Qual", 162},    {9, 26, "Phantom Power", "Display Channel Timer", 195},
        {10, 5, "Timer Start", "Timer Fader", 204},    {11, 3, "Input", "Take", 212},
        {15, 13, "Program Bus ON/OFF", "Direct Input Select", 232},
    };
    for (const auto& [item, size, first, last, lastID] : cases) {
        const auto list = SubFunctionList(console, functions[static_cast<std::size_t>(item)]);
        ASSERT_EQ(size, list.size()) << item;
        EXPECT_EQ(first, list.front().Caption);
        EXPECT_EQ(last, list.back().Caption);
        EXPECT_EQ(lastID, list.back().Identifier);
    }
    EXPECT_TRUE(SubFunctionList(console, functions[2]).empty());

    const auto fader = FaderKeyFunctions();
    const auto faderFunctions = FunctionList(fader);
    // "Encoder Function" starts at the encoder list's second row; "ON/OFF Function" has 24 rows.
    const auto encoders = SubFunctionList(fader, faderFunctions[25]);
    EXPECT_EQ(66u, encoders.size());
    EXPECT_EQ("None", encoders.front().Caption);
    EXPECT_EQ(165, encoders.back().Identifier);
    const auto onOff = SubFunctionList(fader, faderFunctions[23]);
    EXPECT_EQ(24u, onOff.size());
    EXPECT_EQ("AUX", onOff[9].Caption);
    EXPECT_EQ(193, onOff.back().Identifier);

    // Spins and controls as the rows list them.
    const auto system = SubFunctionList(console, functions[1]);
    EXPECT_EQ("DSP Device Number", system[14].SpinCaption); // "EQ"
    EXPECT_EQ(4, system[14].SpinMax);
    EXPECT_EQ(2, system[20].SpinMax); // "Var. LP/HP"
    EXPECT_TRUE(functions[2].LeftSource && functions[2].RightSource);
    EXPECT_TRUE(functions[6].LampSources);
    EXPECT_EQ(2, FunctionList(fader)[10].ExclusivePair);
    EXPECT_EQ(eeEncoderSet, faderFunctions[26].Extra);
}

TEST(KeyFunctionCatalogue, StoredValuesFindTheirRows)
{
    const auto console = ConsoleKeyFunctions();
    EXPECT_EQ(6, FunctionItem(console, 4));   // "User Defined"
    EXPECT_EQ(0, FunctionItem(console, 99));  // unknown: "no function"
    EXPECT_EQ(0, FunctionItem(console, 255)); // the end row is not an item
    const auto fader = FaderKeyFunctions();
    const auto encoders = SubFunctionList(fader, FunctionList(fader)[25]);
    // 46 is "EQ1 Qual" first and "AUX17 Gain" later: the subfunction takes the first.
    EXPECT_EQ("EQ1 Qual", encoders[static_cast<std::size_t>(SubFunctionItem(encoders, 46))].Caption);
    EXPECT_EQ(0, SubFunctionItem(encoders, 200));

    // The module options' encoder list: 66 items, the last of a repeated value wins.
    const auto list = EncoderFunctionList();
    ASSERT_EQ(66u, list.size());
    EXPECT_EQ("None", list.front().Caption);
    EXPECT_EQ("AUX17 Gain", list[static_cast<std::size_t>(EncoderItem(46))].Caption);
    EXPECT_EQ("EQ4 Gain/Freq/Qual", list.back().Caption);
    EXPECT_EQ(0, EncoderItem(254));
}

} // namespace
