#include "console/modulegeometry.h"

#include "console/moduletypes.h"

#include <algorithm>
#include <array>
#include <vector>

namespace kvr::console {

namespace {

constexpr int kLarge = 200;
constexpr int kSmall = 130;
constexpr int kWideWidth = 300;
constexpr int kWideHeight = 240;

// Column positions of the small-key rows of the overbridges and pushbutton modules.
constexpr std::array<int, 8> kColumnX{32, 232, 420, 620, 820, 1020, 1220, 1420};

using Table = std::vector<ElementRect>;

ElementRect Box(int left, int top, int width, int height)
{
    return {left, top, left + width, top + height};
}

ElementRect Corners(int left, int top, int right, int bottom)
{
    return {left, top, right, bottom};
}

Table MainModule()
{
    Table t;
    constexpr int rowTop[] = {360, 960, 1160, 1360, 1560, 1960, 2360, 3560};
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 4; ++c)
            t.push_back(Box(300 + 200 * c, rowTop[r], kLarge, kLarge));
    }
    for (int i = 0; i < 7; ++i)
        t.push_back(Box(1300, 360 + 200 * i, kLarge, kLarge));
    for (int i = 0; i < 9; ++i)
        t.push_back(Box(1300, 1960 + 200 * i, kLarge, kLarge));
    t.push_back(Box(400, 2760, kLarge, kLarge));
    t.push_back(Corners(290, 700, 1110, 800));
    return t;
}

Table StudioPanel()
{
    Table t;
    for (int i = 0; i < 5; ++i) {
        t.push_back(Box(140, 90 + 200 * i, kLarge, kLarge));
        t.push_back(Box(340, 90 + 200 * i, kLarge, kLarge));
    }
    t.push_back(Box(140, 1290, kLarge, kLarge));
    t.push_back(Box(340, 1290, kLarge, kLarge));
    for (int i = 0; i < 4; ++i)
        t.push_back(Box(940 + 200 * i, 1290, kLarge, kLarge));
    for (int i = 0; i < 7; ++i)
        t.push_back(Box(1940, 90 + 200 * i, kLarge, kLarge));
    t.push_back(Box(1020, 490, kLarge, kLarge));
    t.push_back(Corners(790, 110, 1650, 250));
    return t;
}

Table CentralModule()
{
    Table t;
    for (int x : {1320, 1120}) {
        for (int i = 0; i < 10; ++i)
            t.push_back(Box(x, 3560 - 200 * i, kLarge, kLarge));
    }
    for (int i = 0; i < 4; ++i)
        t.push_back(Box(670 - 200 * i, 3560, kLarge, kLarge));
    t.push_back(Box(200, 3290, kSmall, kSmall));
    t.push_back(Box(200, 2890, kSmall, kSmall));
    for (int y : {2600, 1990}) {
        for (int i = 0; i < 4; ++i)
            t.push_back(Box(700 - 200 * i, y, kSmall, kSmall));
    }
    t.push_back(Box(100, 1790, kSmall, kSmall));
    for (int y : {1100, 920}) {
        for (int i = 0; i < 3; ++i)
            t.push_back(Box(1420 - 200 * i, y, kSmall, kSmall));
    }
    for (int y : {490, 290}) {
        for (int i = 0; i < 8; ++i)
            t.push_back(Box(1420 - 200 * i, y, kSmall, kSmall));
    }
    t.push_back(Corners(615, 750, 1415, 870));
    t.push_back(Corners(315, 1800, 715, 1920));
    return t;
}

Table CentralOverbridge()
{
    Table t;
    for (int y : {390, 590, 1050}) {
        for (int c = 0; c < 8; ++c)
            t.push_back(Box(20 + 200 * c, y, kSmall, kSmall));
    }
    t.push_back(Corners(35, 172, 355, 240));   // MIC ON
    t.push_back(Corners(35, 272, 355, 340));   // PHONE 1
    t.push_back(Corners(1232, 172, 1557, 240)); // ON AIR
    t.push_back(Corners(1232, 272, 1557, 340)); // PHONE 2
    t.push_back(Corners(470, 220, 1135, 325));  // chip-card slot
    t.push_back(Corners(700, 795, 1430, 995));  // display
    return t;
}

Table FaderModule()
{
    Table t;
    for (int k = 0; k < 4; ++k) {
        const int dx = 400 * k;
        for (int y : {360, 960, 1360})
            t.push_back(Box(100 + dx, y, kLarge, kLarge));
        t.push_back(Box(50 + dx, 3260, kWideWidth, kWideHeight));
        t.push_back(Box(50 + dx, 3540, kWideWidth, kWideHeight));
    }
    return t;
}

Table SmallKeyRows(std::initializer_list<int> rowTops, bool pairsByColumn)
{
    Table t;
    if (pairsByColumn) {
        for (int x : kColumnX) {
            for (int y : rowTops)
                t.push_back(Box(x, y, kSmall, kSmall));
        }
        return t;
    }
    for (int y : rowTops) {
        for (int x : kColumnX)
            t.push_back(Box(x, y, kSmall, kSmall));
    }
    return t;
}

Table FaderModule29()
{
    Table t;
    for (int k = 0; k < 4; ++k) {
        // The last strip sits a little further left than the pitch would put it.
        const int left = k < 3 ? 32 + 400 * k : 1230;
        const int right = k < 3 ? 232 + 400 * k : 1420;
        for (int j = 0; j < 4; ++j) {
            t.push_back(Box(left, 642 + 200 * j, kSmall, kSmall));
            t.push_back(Box(right, 642 + 200 * j, kSmall, kSmall));
        }
        t.push_back(Box(left, 1742, kSmall, kSmall));
        t.push_back(Box(right, 1742, kSmall, kSmall));
        t.push_back(Box(k < 3 ? 100 + 400 * k : 1300, 1960, kLarge, kLarge));
    }
    return t;
}

struct Tables {
    Table Main = MainModule();
    Table Studio = StudioPanel();
    Table Central = CentralModule();
    Table CentralOB = CentralOverbridge();
    Table Fader = FaderModule();
    Table FaderOB = SmallKeyRows({840, 1050}, true);
    Table Push40 = SmallKeyRows({190, 390, 590, 850, 1050}, false);
    Table Push32 = SmallKeyRows({390, 590, 850, 1050}, false);
    Table FaderOB28 = SmallKeyRows({1050}, false);
    Table Fader29 = FaderModule29();
};

const Tables& Geometry()
{
    static const Tables tables;
    return tables;
}

int ImageLeft(int clientWidth, int width)
{
    return clientWidth / 2 - width / 2;
}

} // namespace

FaceExtent FaceSize(int type)
{
    if (type == kStudioPanelType)
        return {2250, 1600};
    if (IsIn(ShortFaceTypes, type))
        return {1600, 1280};
    return {1600, 3900};
}

std::span<const ElementRect> ModuleElementRects(int type)
{
    const Tables& g = Geometry();
    switch (type) {
    case 10: return g.Main;
    case 11: return g.Studio;
    case 12: return g.Central;
    case 13: return g.CentralOB;
    case 20:
    case 21: return g.Fader;
    case 23: return g.FaderOB;
    case 25: return g.Push40;
    case 26: return g.Push32;
    case 28: return g.FaderOB28;
    case 29: return g.Fader29;
    default: return {};
    }
}

ModuleImageSizing SizeModuleImage(int type, int clientWidth, int clientHeight, const ModuleImageBox& current)
{
    ModuleImageSizing out{current, 0.0f};
    ModuleImageBox& box = out.Box;
    const FaceExtent face = FaceSize(type);
    const bool tall = IsIn(TallFaceTypes, type);
    const bool wide = IsIn(ShortFaceTypes, type); // the Studio Panel included
    // A group box too small for the margins gives an empty picture, not a negative one.
    const int roomWidth = std::max(0, clientWidth - 20);
    const int roomHeight = std::max(0, clientHeight - 40);
    const auto byHeight = [&](int height) {
        box.Height = height;
        out.Scale = static_cast<float>(static_cast<double>(box.Height) / face.Height);
        box.Width = static_cast<int>(static_cast<double>(out.Scale) * face.Width);
    };
    const auto byWidth = [&](int width) {
        box.Width = width;
        out.Scale = static_cast<float>(static_cast<double>(box.Width) / face.Width);
        box.Height = static_cast<int>(static_cast<double>(out.Scale) * face.Height);
    };
    // A tall face fills the height and a short one the width; where that would reach beyond the
    // other side of the box (a short face in a wide, low box), the other side decides, so the
    // face is always whole.
    if (tall) {
        byHeight(roomHeight);
        if (box.Width > roomWidth)
            byWidth(roomWidth);
    } else if (wide) {
        byWidth(roomWidth);
        if (box.Height > roomHeight)
            byHeight(roomHeight);
    }
    box.Visible = tall || wide;
    box.Left = ImageLeft(clientWidth, box.Width);
    box.Top = 20;
    return out;
}

ModuleImageSizing GetModuleImageScale(int type, int clientWidth, const ModuleImageBox& current)
{
    ModuleImageSizing out{current, 0.0f};
    if (IsIn(TallFaceTypes, type) || IsIn(ShortFaceTypes, type))
        out.Scale = static_cast<float>(static_cast<double>(current.Width) / FaceSize(type).Width);
    out.Box.Left = ImageLeft(clientWidth, current.Width);
    return out;
}

} // namespace kvr::console
