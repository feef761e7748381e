#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "model/dspfit.h"
#include "model/limits.h"

namespace kvr::model {
namespace {

FittingInput Frame(std::vector<std::uint8_t> variants)
{
    FittingInput in;
    in.DSPCardVariants = std::move(variants);
    return in;
}

void AddFaders(FittingInput& in, std::vector<std::vector<std::uint8_t>> chains)
{
    for (auto& chain : chains) {
        in.FaderChains.push_back(std::move(chain));
        in.FaderHasRecord.push_back(true);
    }
}

TEST(DSPFitNeed, CyclesMustStayBelowTheRemainder)
{
    const DSPNeed remaining{100, 100, 100, 100, 10, 2};
    struct Case {
        DSPNeed need;
        bool fits;
    } cases[] = {
        {{100, 100, 100, 99, 10, 2}, true}, // every other amount may be used up
        {{0, 0, 0, 100, 0, 0}, false},      // exactly the remaining cycles
        {{101, 0, 0, 0, 0, 0}, false},
        {{0, 101, 0, 0, 0, 0}, false},
        {{0, 0, 101, 0, 0, 0}, false},
        {{0, 0, 0, 0, 11, 0}, false},
        {{0, 0, 0, 0, 0, 3}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DSPFitNeed(c.need, remaining), c.fits) << c.need.Cycles;
}

TEST(DSPFitting, CapacitiesPerDSPCardVariant)
{
    struct Case {
        std::vector<std::uint8_t> variants;
        int busCapacity, busLimit, outFktLimit, sofLimit, cycles;
    } cases[] = {
        {{0}, 16, 15, 40, 6, 3000},
        {{1}, 16, 15, 40, 6, 3000},
        {{2}, 16, 15, 40, 6, 3000},
        {{3}, 10, 9, 16, 4, 3000},
        {{4}, 16, 15, 40, 6, 3000},
        {{5}, 10, 9, 0, 4, 3000},
        {{0, 3, 4}, 42, 41, 96, 16, 9000},
        {{}, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const FittingResult r = RunFitting(Frame(c.variants), FitCatalogue());
        EXPECT_EQ(r.BusCapacity, c.busCapacity);
        EXPECT_EQ(r.BusLimit, c.busLimit);
        EXPECT_EQ(r.OutFktLimit, c.outFktLimit);
        EXPECT_EQ(r.SOFLimit, c.sofLimit);
        EXPECT_EQ(r.DSPCycles, c.cycles);
        EXPECT_EQ(r.DSPCardCount, static_cast<int>(c.variants.size()));
    }
}

TEST(DSPFitting, VariantThreeHalvesTheChannels)
{
    const FittingResult r = RunFitting(Frame({3, 0}), FitCatalogue());
    ASSERT_EQ(r.DSPs.size(), 4u);
    EXPECT_EQ(r.DSPs[0].Remaining.Channels, 6);
    EXPECT_EQ(r.DSPs[2].Remaining.Channels, 12);
    EXPECT_EQ(r.DSPs[0].Remaining.PM48, 2700);
}

TEST(DSPFitting, CountLimitsSetReachedAndExceeded)
{
    struct Case {
        int buses, outFkts, sofs;
        std::uint32_t reached, exceeded;
    } cases[] = {
        {14, 39, 5, 0, 0},
        {15, 40, 6, kLimitBuses | kLimitOutFkt | kLimitSOF, 0},
        {16, 41, 7, kLimitBuses | kLimitOutFkt | kLimitSOF, kLimitBuses | kLimitOutFkt | kLimitSOF},
    };
    for (const Case& c : cases) {
        FittingInput in = Frame({0});
        in.BusCount = c.buses;
        in.OutFktCount = c.outFkts;
        in.SOFCount = c.sofs;
        const FittingResult r = RunFitting(in, FitCatalogue());
        EXPECT_EQ(r.Reached & ~kLimitDSP, c.reached) << c.buses;
        EXPECT_EQ(r.Exceeded, c.exceeded) << c.buses;
    }
}

TEST(DSPFitting, WithoutDSPCard)
{
    struct Case {
        int procs, faders, used;
    } cases[] = {{0, 0, 1500}, {1, 0, 1}, {0, 1, 1}};
    for (const Case& c : cases) {
        FittingInput in = Frame({});
        in.FixedProcs.assign(static_cast<std::size_t>(c.procs), {});
        AddFaders(in, std::vector<std::vector<std::uint8_t>>(static_cast<std::size_t>(c.faders)));
        const FittingResult r = RunFitting(in, FitCatalogue());
        EXPECT_EQ(r.DSPCycles, 0);
        EXPECT_EQ(r.DSPCyclesUsed, c.used);
        EXPECT_TRUE(r.Exceeded & kLimitDSP);
        // Every counted bus is too many when there is no capacity.
        EXPECT_TRUE(r.Reached & kLimitBuses);
    }
}

TEST(DSPFitting, ProcessingThatNeedsExactlyTheRemainingCyclesDoesNotFit)
{
    // 9 + 4 x 365 + 31 = 1500 cycles: fits on no DSP; with 29 instead of 31 it fits.
    FittingInput exact = Frame({0});
    exact.FixedProcs = {{35, 35, 35, 35, 21}};
    const FittingResult r1 = RunFitting(exact, FitCatalogue());
    EXPECT_TRUE(r1.Exceeded & kLimitDSP);
    EXPECT_EQ(r1.DSPCyclesUsed, 3001);
    EXPECT_FALSE(r1.AllPlaced);
    // A failed trial leaves no code loaded.
    EXPECT_FALSE(r1.DSPs[0].Loaded[35]);

    FittingInput below = Frame({0});
    below.FixedProcs = {{35, 35, 35, 35, 39}};
    const FittingResult r2 = RunFitting(below, FitCatalogue());
    EXPECT_FALSE(r2.Exceeded & kLimitDSP);
    EXPECT_EQ(r2.DSPs[0].Remaining.Cycles, 2);
    EXPECT_EQ(r2.DSPCyclesUsed, 1498);
}

TEST(DSPFitting, FunctionsOfOneBaseShareTheirCodeMemory)
{
    FittingInput in = Frame({0});
    in.FixedProcs = {{10, 10}, {10}, {14, 16}};
    const FittingResult r = RunFitting(in, FitCatalogue());
    ASSERT_TRUE(r.AllPlaced);
    const DSPResources& dsp = r.DSPs[0];
    EXPECT_EQ(dsp.SlotCount, 3);
    // EQ and Compressor code once each; Expander uses the Compressor's.
    EXPECT_EQ(dsp.Remaining.PM48, 2700 - 343 - 334);
    EXPECT_EQ(dsp.Remaining.PM32, 5000 - 3 * 5);
    EXPECT_EQ(dsp.Remaining.DM32, 10000 - 3 * 6 - 2 * 42);
    EXPECT_EQ(dsp.Remaining.Cycles, 1500 - (9 + 28) - (9 + 14) - (9 + 76));
    EXPECT_EQ(dsp.Remaining.Functions, 125 - 4 - 3 - 4);
    EXPECT_EQ(dsp.Remaining.Channels, 9);
}

TEST(DSPFitting, LevelDetectsFiveToACard)
{
    struct Case {
        std::vector<std::uint8_t> variants;
        int detects;
        bool exceeded;
        std::vector<int> perDSP;
    } cases[] = {
        {{0}, 5, false, {5, 0}},
        {{0}, 6, true, {5, 0}},
        {{0, 0}, 6, false, {5, 0, 1, 0}},
        {{0, 0}, 11, true, {5, 0, 5, 0}},
        {{}, 1, true, {}},
    };
    for (const Case& c : cases) {
        FittingInput in = Frame(c.variants);
        in.LevelDetectCount = c.detects;
        const FittingResult r = RunFitting(in, FitCatalogue());
        EXPECT_EQ((r.Exceeded & kLimitLevelDetect) != 0, c.exceeded) << c.detects;
        ASSERT_EQ(r.DSPs.size(), c.perDSP.size());
        for (std::size_t d = 0; d < c.perDSP.size(); ++d)
            EXPECT_EQ(r.DSPs[d].SlotCount, c.perDSP[d]) << c.detects << " DSP " << d;
    }
    // The first detect loads the code, the others share it.
    FittingInput in = Frame({0});
    in.LevelDetectCount = 2;
    const FittingResult r = RunFitting(in, FitCatalogue());
    EXPECT_EQ(r.DSPs[0].Remaining.PM48, 2700 - 128);
    EXPECT_EQ(r.DSPs[0].Remaining.Cycles, 1500 - 2 * 25);
    EXPECT_EQ(r.DSPs[0].Remaining.Functions, 125 - 4);
}

TEST(DSPFitting, LevelDetectFailureStillPlacesProcessings)
{
    FittingInput in = Frame({0});
    in.LevelDetectCount = 6;
    in.FixedProcs = {{10}};
    const FittingResult r = RunFitting(in, FitCatalogue());
    EXPECT_TRUE(r.Exceeded & kLimitLevelDetect);
    EXPECT_TRUE(r.AllPlaced);
    EXPECT_EQ(r.DSPAssign[5], 0x40);
    EXPECT_EQ(r.DSPCyclesUsed, 5 * 25 + 9 + 14);
}

TEST(DSPFitting, AssignmentTableInPlacementOrder)
{
    FittingInput in = Frame({0});
    in.LevelDetectCount = 2;
    in.FixedProcs = {{10}, {12}};
    AddFaders(in, {{}, {10}, {}});
    const FittingResult r = RunFitting(in, FitCatalogue());
    ASSERT_TRUE(r.AllPlaced);
    const std::vector<std::uint8_t> expected = {0x10, 0x11, 0x40, 0x41, 0x80, 0x81, 0x82};
    EXPECT_EQ(std::vector<std::uint8_t>(r.DSPAssign.begin(), r.DSPAssign.begin() + 7), expected);
    EXPECT_EQ(r.DSPAssign[7], 0);
    // rUvi is loaded once: PM48 452 for the first fader only.
    EXPECT_EQ(r.DSPs[0].Remaining.PM48, 2700 - 128 - 343 - 171 - 452);
    EXPECT_EQ(r.DSPs[0].Remaining.Cycles, 1500 - 50 - 23 - 35 - 3 * 24 - 14);
    EXPECT_EQ(r.DSPCyclesUsed, 1500 - r.DSPs[0].Remaining.Cycles);
}

TEST(DSPFitting, FadersContinueOnTheNextDSPAndCountEarlierOnesAsFull)
{
    // Twelve channels per DSP: fader 12 goes to DSP 1.
    FittingInput in = Frame({0});
    AddFaders(in, std::vector<std::vector<std::uint8_t>>(13));
    const FittingResult r = RunFitting(in, FitCatalogue());
    ASSERT_TRUE(r.AllPlaced);
    EXPECT_EQ(r.DSPs[0].SlotCount, 12);
    EXPECT_EQ(r.DSPs[1].SlotCount, 1);
    EXPECT_EQ(r.DSPAssign[12], 0x80 | 12);
    EXPECT_EQ(r.DSPCyclesUsed, 1500 + 24);
    EXPECT_EQ(r.Reached & kLimitDSP, 0u);
}

TEST(DSPFitting, UnknownFunctionStopsBeforePlacement)
{
    FittingInput in = Frame({0});
    in.LevelDetectCount = 1;
    AddFaders(in, {{10, 99}});
    const FittingResult r = RunFitting(in, FitCatalogue());
    EXPECT_TRUE(r.Stopped);
    EXPECT_EQ(r.UnknownCount, 1);
    EXPECT_EQ(r.Exceeded, kLimitUnknownFunction);
    EXPECT_EQ(r.DSPCycles, 0);
    EXPECT_EQ(r.DSPCyclesUsed, 0);
    EXPECT_FALSE(r.DSPCardCountSet);
    EXPECT_TRUE(r.DSPs.empty());
}

TEST(DSPFitting, AtMostTwentyDSPsAndStructure18StaysInside)
{
    // An 848 card in all 30 slots: 20 DSP records, the rest flagged.
    FittingInput in = Frame(std::vector<std::uint8_t>(30, 0));
    AddFaders(in, std::vector<std::vector<std::uint8_t>>(20, std::vector<std::uint8_t>{35, 35, 35}));
    const FittingResult r = RunFitting(in, FitCatalogue());
    EXPECT_EQ(r.DSPs.size(), 20u);
    EXPECT_EQ(r.DSPCycles, 30000);
    EXPECT_EQ(r.DSPCardCount, 10);
    EXPECT_TRUE(r.Exceeded & kLimitDSP);
    ASSERT_TRUE(r.AllPlaced);
    // 1119 cycles a fader: one per DSP; the table ends inside DSP 10, whose first slot it holds.
    EXPECT_EQ(r.DSPAssign[120], 0x80 | 10);
    EXPECT_EQ(r.DSPs[19].SlotCount, 1);
    EXPECT_EQ(r.DSPCyclesUsed, 19 * 1500 + 1119);
}

TEST(DSPFitting, ReportFileNameReplacesCharactersFilesCannotHold)
{
    EXPECT_EQ(FittingReportFileName("A/B\\C:D*E?F\"G<H>I|J"), "fitting_A_B_C_D_E_F_G_H_I_J.txt");
    EXPECT_EQ(FittingReportFileName("Studio 1"), "fitting_Studio 1.txt");
}

TEST(DSPFitting, GoldenReport)
{
    FittingInput in = Frame({0, 3});
    in.LevelDetectCount = 2;
    in.FixedProcs = {{10, 14}, {35}};
    in.FaderChains = {{}, {16, 10}, {}};
    in.FaderHasRecord = {false, true, true};
    const FittingResult r = RunFitting(in, FitCatalogue());
    const std::string text = FittingReportText(in, r, FitCatalogue(), "Studio 1", "Thu Dec 10 13:00:00 2026");
    std::ifstream golden(std::string(KVR_TEST_DATA_DIR) + "/fitting_golden.txt", std::ios::binary);
    ASSERT_TRUE(golden) << text;
    std::stringstream expected;
    expected << golden.rdbuf();
    EXPECT_EQ(text, expected.str());
}

TEST(ConfigViolations, EveryFlagInItsOrder)
{
    FittingInput in = Frame({0});
    AddFaders(in, {{10}, {}, {10, 99, 98}});
    in.FixedProcs = {{99}, {10}};
    const std::uint32_t all = 0x7F;
    const std::vector<TConfigViolation> expected = {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 3, 0},
                                                    {5, 1, 2}, {5, 2, 0}, {6, 0, 0}, {7, 0, 0}};
    EXPECT_EQ(ConfigViolations(all, in, FitCatalogue(), 100), expected);

    struct Case {
        std::uint32_t bits;
        std::vector<TConfigViolation> list;
    } cases[] = {
        {0, {}},
        {0x01, {{1, 0, 0}}},
        {0x02, {{2, 0, 0}}},
        {0x04, {{3, 0, 0}}},
        {0x08, {{4, 3, 0}}},
        {0x10, {{5, 1, 2}, {5, 2, 0}}},
        {0x20, {{6, 0, 0}}},
        {0x40, {{7, 0, 0}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ConfigViolations(c.bits, in, FitCatalogue(), 100), c.list) << c.bits;
}

TEST(ConfigViolations, CapacityEndsTheListAtAFader)
{
    FittingInput in = Frame({0});
    AddFaders(in, {{99}, {98}});
    in.FixedProcs = {{99}};
    const auto list = ConfigViolations(0x7F, in, FitCatalogue(), 5);
    const std::vector<TConfigViolation> expected = {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 3, 0}, {5, 1, 0}};
    EXPECT_EQ(list, expected);
}

} // namespace
} // namespace kvr::model
