#include "console/modulegeometry.h"
#include "console/moduletypes.h"

#include <gtest/gtest.h>

#include <set>

using namespace kvr::console;

namespace {

TEST(ModuleGeometry, TablesHoldTheListedElements)
{
    const std::pair<int, std::size_t> sizes[] = {{10, 50}, {11, 25}, {12, 59}, {13, 30}, {20, 20}, {21, 20},
                                                 {23, 16}, {25, 40}, {26, 32}, {28, 8},  {29, 44}};
    std::set<const ElementRect*> tables;
    std::size_t total = 0;
    for (const auto& [type, size] : sizes) {
        const auto rects = ModuleElementRects(type);
        EXPECT_EQ(size, rects.size()) << type;
        if (tables.insert(rects.data()).second)
            total += rects.size();
    }
    EXPECT_EQ(324u, total);
    EXPECT_EQ(ModuleElementRects(20).data(), ModuleElementRects(21).data());
    EXPECT_NE(ModuleElementRects(23).data(), ModuleElementRects(28).data());

    for (int type : {-1, 0, 1, 2, 3, 9, 14, 19, 22, 24, 27, 30, 65535}) {
        EXPECT_TRUE(ModuleElementRects(type).empty()) << type;
        EXPECT_EQ(0, KeyCount(type)) << type;
    }
}

TEST(ModuleGeometry, SampleRectangles)
{
    const std::tuple<int, int, ElementRect> cases[] = {
        {10, 0, {300, 360, 500, 560}},      {10, 31, {900, 3560, 1100, 3760}}, {10, 38, {1300, 1560, 1500, 1760}},
        {10, 48, {400, 2760, 600, 2960}},   {10, 49, {290, 700, 1110, 800}},   {11, 9, {340, 890, 540, 1090}},
        {11, 15, {1540, 1290, 1740, 1490}}, {11, 23, {1020, 490, 1220, 690}},  {11, 24, {790, 110, 1650, 250}},
        {12, 9, {1320, 1760, 1520, 1960}},  {12, 23, {70, 3560, 270, 3760}},   {12, 34, {100, 1790, 230, 1920}},
        {12, 56, {20, 290, 150, 420}},      {12, 57, {615, 750, 1415, 870}},   {12, 58, {315, 1800, 715, 1920}},
        {13, 23, {1420, 1050, 1550, 1180}}, {13, 26, {1232, 172, 1557, 240}},  {13, 29, {700, 795, 1430, 995}},
        {20, 3, {50, 3260, 350, 3500}},     {21, 19, {1250, 3540, 1550, 3780}}, {23, 5, {420, 1050, 550, 1180}},
        {25, 39, {1420, 1050, 1550, 1180}}, {26, 8, {32, 590, 162, 720}},      {28, 7, {1420, 1050, 1550, 1180}},
        {29, 10, {100, 1960, 300, 2160}},   {29, 33, {1230, 642, 1360, 772}},  {29, 42, {1420, 1742, 1550, 1872}},
        {29, 43, {1300, 1960, 1500, 2160}},
    };
    for (const auto& [type, element, rect] : cases) {
        const auto rects = ModuleElementRects(type);
        ASSERT_LT(static_cast<std::size_t>(element), rects.size()) << type;
        EXPECT_EQ(rect, rects[static_cast<std::size_t>(element)]) << type << " element " << element;
    }
}

// Keys come in three sizes only, the key painter and the key labels tell them apart by width;
// every element lies on its face.
TEST(ModuleGeometry, KeysHaveTheThreeSizesAndElementsLieOnTheFace)
{
    for (int type : KeyModuleTypes) {
        const auto rects = ModuleElementRects(type);
        const FaceExtent face = FaceSize(type);
        ASSERT_GE(rects.size(), static_cast<std::size_t>(KeyCount(type))) << type;
        for (std::size_t e = 0; e < rects.size(); ++e) {
            const ElementRect& r = rects[e];
            EXPECT_TRUE(r.Left >= 0 && r.Top >= 0 && r.Right <= face.Width && r.Bottom <= face.Height)
                << type << " element " << e;
            if (static_cast<int>(e) >= KeyCount(type))
                continue;
            const bool sized = (r.Width() == 200 && r.Height() == 200) || (r.Width() == 130 && r.Height() == 130) ||
                               (r.Width() == 300 && r.Height() == 240);
            EXPECT_TRUE(sized) << type << " key " << e;
        }
    }
    // Type 13's elements past key 23 are lamp windows, the card slot and the display.
    EXPECT_EQ(24, KeyCount(13));
    EXPECT_EQ(320, ModuleElementRects(13)[24].Width());
}

TEST(ModuleGeometry, OptionsKeyLiesPastTheDrawnElements)
{
    for (int type : {23, 28, 29})
        EXPECT_GE(static_cast<std::size_t>(OptionsKey(type)), ModuleElementRects(type).size()) << type;
    EXPECT_EQ(16u, ModuleElementRects(23).size());
    EXPECT_EQ(8u, ModuleElementRects(28).size());
}

TEST(ModuleGeometry, FaceSizes)
{
    const std::pair<int, FaceExtent> cases[] = {{11, {2250, 1600}}, {2, {1600, 1280}},  {13, {1600, 1280}},
                                                {28, {1600, 1280}}, {1, {1600, 3900}},  {29, {1600, 3900}},
                                                {0, {1600, 3900}},  {17, {1600, 3900}}, {300, {1600, 3900}}};
    for (const auto& [type, extent] : cases)
        EXPECT_EQ(extent, FaceSize(type)) << type;
}

TEST(ModuleImage, SizeModuleImageByFace)
{
    const ModuleImageBox previous{5, 7, 111, 222, true};
    struct Case {
        int type;
        int clientWidth;
        int clientHeight;
        ModuleImageBox box;
        float scale;
    };
    const Case cases[] = {
        {11, 470, 900, {10, 20, 450, 320, true}, 0.2f},   // the Studio Panel example
        {12, 400, 820, {40, 20, 320, 780, true}, 0.2f},   // tall: the height decides
        {1, 401, 820, {40, 20, 320, 780, true}, 0.2f},    // halves truncate: 200 - 160
        {26, 340, 900, {10, 20, 320, 256, true}, 0.2f},   // short: the width decides
        {13, 1620, 1400, {10, 20, 1600, 1280, true}, 1.0f},
        // Whole in any box: a short face in a low box and a tall face in a narrow one take the
        // other side's measure.
        {13, 1620, 300, {648, 20, 325, 260, true}, 0.203125f},
        {10, 300, 1000, {10, 20, 280, 682, true}, 0.175f},
        {0, 470, 900, {180, 20, 111, 222, false}, 0.0f},  // no face: hidden, size kept
        {30, 470, 900, {180, 20, 111, 222, false}, 0.0f},
        {20, 400, 30, {200, 20, 0, 0, true}, 0.0f},       // no room below the margins
    };
    for (const Case& c : cases) {
        const ModuleImageSizing sized = SizeModuleImage(c.type, c.clientWidth, c.clientHeight, previous);
        EXPECT_EQ(c.box, sized.Box) << c.type;
        EXPECT_FLOAT_EQ(c.scale, sized.Scale) << c.type;
    }
}

TEST(ModuleImage, ScaleOfThePresentPicture)
{
    const std::tuple<int, int, float> cases[] = {{11, 450, 0.2f}, {29, 320, 0.2f}, {2, 800, 0.5f}, {0, 450, 0.0f}};
    for (const auto& [type, width, scale] : cases) {
        const ModuleImageBox box{3, 33, width, 99, true};
        const ModuleImageSizing got = GetModuleImageScale(type, 600, box);
        EXPECT_FLOAT_EQ(scale, got.Scale) << type;
        // Centred again, the top and the size untouched.
        EXPECT_EQ((ModuleImageBox{300 - width / 2, 33, width, 99, true}), got.Box) << type;
    }
}

} // namespace
