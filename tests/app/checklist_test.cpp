#include "app/checklist.h"

#include <gtest/gtest.h>

using namespace kvr::app;

TEST(CheckList, EveryViolationKindHasItsRow)
{
    const auto label = [](int index) { return index == 2 ? std::string("Compressor Main\0\0", 17) : std::string("FP"); };
    struct Case {
        ConfigViolation v;
        const char* problem;
        const char* solution;
    } const cases[] = {
        {{1, 0, 0}, "Too many summing buses", "Please remove some"},
        {{2, 0, 0}, "Too many output functions", "Please remove some"},
        {{3, 0, 0}, "Too many signal processings in use", "Please remove some"},
        {{4, 0, 0}, "Too many Level Detects", "Please remove some."},
        {{5, 1, 2}, "Unknown DSP-function in processing of fader #3!", "Remove the unknown function."},
        {{5, 2, 2}, "Unknown DSP-function in fixed processing \"Compressor\"!", "Remove the unknown function."},
        {{5, 2, 0}, "Unknown DSP-function in fixed processing \"FP\"!", "Remove the unknown function."},
        {{5, 9, 0}, "Unknown DSP-function in ", "Remove the unknown function."},
        {{6, 0, 0}, "Too many commands placed in scripts", "Please reduce the commands."},
        {{7, 0, 0}, "Too many super output functions", "Please remove some"},
        {{0, 0, 0}, "", ""},
        {{8, 1, 1}, "", ""},
    };
    for (const auto& c : cases) {
        const CheckListRow row = CheckListRowFor("Studio 1", c.v, label);
        EXPECT_EQ(row, (CheckListRow{"Studio 1", c.problem, c.solution})) << int(c.v.Kind) << "/" << int(c.v.SubKind);
    }
}

TEST(CheckList, FaderNumbersCountFromOne)
{
    EXPECT_EQ(CheckListRowFor("D", {5, 1, 255}, {}).Problem, "Unknown DSP-function in processing of fader #256!");
    EXPECT_EQ(CheckListRowFor("D", {5, 2, 1}, {}).Problem, "Unknown DSP-function in fixed processing \"\"!");
}
