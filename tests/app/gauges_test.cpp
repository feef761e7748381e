#include "app/gauges.h"

#include <gtest/gtest.h>

using namespace kvr::app;

TEST(Gauges, ProjectRootGreysThemAndKeepsTheirValues)
{
    Gauges previous;
    previous[0] = GaugeState{clRed, clWhite, 32, 40, true};
    const Gauges g = UpdateGauges(previous, std::nullopt);
    for (const auto& gauge : g) {
        EXPECT_EQ(gauge.ForeColor, clGray);
        EXPECT_EQ(gauge.BackColor, clSilver);
        EXPECT_FALSE(gauge.LabelEnabled);
    }
    EXPECT_EQ(g[0].MaxValue, 32);
    EXPECT_EQ(g[0].Progress, 40);
}

TEST(Gauges, CountsAgainstCapacity)
{
    struct Case {
        const char* what;
        DeviceResources d;
        GaugeState bus, out, dsp;
    } const cases[] = {
        {"within", {10, 16, 3, 8, 1, 2, 500, 1000},
         {clNavy, clWhite, 16, 10, true}, {clNavy, clWhite, 10, 4, true}, {clNavy, clWhite, 1000, 500, true}},
        {"buses over", {17, 16, 0, 8, 0, 0, 0, 1000},
         {clRed, clWhite, 16, 17, true}, {clNavy, clWhite, 8, 0, true}, {clNavy, clWhite, 1000, 0, true}},
        {"super outputs over", {0, 16, 3, 8, 3, 2, 0, 1000},
         {clNavy, clWhite, 16, 0, true}, {clRed, clWhite, 10, 10, true}, {clNavy, clWhite, 1000, 0, true}},
        {"outputs over", {0, 16, 9, 8, 0, 2, 1001, 1000},
         {clNavy, clWhite, 16, 0, true}, {clRed, clWhite, 10, 10, true}, {clRed, clWhite, 1000, 1001, true}},
        {"exactly full", {16, 16, 8, 8, 2, 2, 1000, 1000},
         {clNavy, clWhite, 16, 16, true}, {clNavy, clWhite, 10, 10, true}, {clNavy, clWhite, 1000, 1000, true}},
    };
    for (const auto& c : cases) {
        const Gauges g = UpdateGauges({}, c.d);
        EXPECT_EQ(g[0], c.bus) << c.what;
        EXPECT_EQ(g[1], c.out) << c.what;
        EXPECT_EQ(g[2], c.dsp) << c.what;
    }
}
