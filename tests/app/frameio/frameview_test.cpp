#include <gtest/gtest.h>

#include "app/frameio/frameview.h"
#include "framefixture.h"

namespace kvr::app::frameio::test {
namespace {

struct HeightCase {
    const char* name;
    int curSlot;
    bool gpios;
    int height;
};

TEST(FrameViewRows, ImageHeightFollowsCardsViewAndShowGPIOs)
{
    FrameProject fresh; // 30 slots, the new device's DSP card in slot 10
    FrameProject small;
    SetFrameType(small.Dev(), 0);
    FrameProject full;
    FillFullFrame(full);
    // 111: 8+8, 122: 6+8, 223: 4+8, 311: 16, 16 one-row slots, +421: 4, +422: 6, +424: 4.
    const HeightCase freshCases[] = {
        {"new device, GPIOs on", 255, true, 50 + 16 * 30},
        {"new device, GPIOs off", 255, false, 50 + 16 * 30},
        {"single slot of a plain DSP card", 9, true, 50 + 16},
    };
    const HeightCase fullCases[] = {
        {"full frame, GPIOs on", 255, true, 50 + 16 * 95},
        {"full frame, GPIOs off keeps the GPIO card's rows", 255, false, 50 + 16 * 71},
        {"single slot of DSP + MADI: one row per channel", 9, true, 50 + 16 * 4},
        {"single slot of the delay card without entries", 29, true, 50},
        {"single slot of an I/O card", 0, true, 50},
    };
    for (const auto& c : freshCases) {
        FrameIOView v;
        v.Load(fresh.Dev(), c.curSlot, c.gpios);
        EXPECT_EQ(v.ImageHeight(), c.height) << c.name;
    }
    FrameIOView tenSlots;
    tenSlots.Load(small.Dev(), 255, true);
    EXPECT_EQ(tenSlots.ImageHeight(), 50 + 16 * 10);
    for (const auto& c : fullCases) {
        FrameIOView v;
        v.Load(full.Dev(), c.curSlot, c.gpios);
        EXPECT_EQ(v.ImageHeight(), c.height) << c.name;
    }
}

TEST(FrameViewRows, SlotBlocksFollowEachOtherDownToTheImageBottom)
{
    FrameProject full;
    FillFullFrame(full);
    for (const bool gpios : {true, false}) {
        FrameIOView v;
        v.Load(full.Dev(), 255, gpios);
        v.PlaceAllSlots();
        EXPECT_EQ(v.SlotTop(0), 50);
        for (int slot = 1; slot < 30; ++slot)
            EXPECT_EQ(v.SlotTop(slot), v.SlotBottom(slot - 1)) << slot;
        EXPECT_EQ(v.SlotBottom(29), v.ImageHeight());
    }
    FrameIOView v;
    v.Load(full.Dev(), 255, true);
    v.PlaceAllSlots();
    EXPECT_EQ(v.SlotBottom(0), 50 + 16 * 16);
    EXPECT_EQ(v.SlotTop(9), 50 + 16 * (16 + 14 + 12 + 16 + 5));
    EXPECT_EQ(v.SlotBottom(19) - v.SlotTop(19), 96);
}

TEST(FrameViewRows, DamagedCountsGiveTheRowsTheyCountWithoutReadingPastThePayload)
{
    // Byte 3 says 8 GPIOs, the payload ends in the second channel entry.
    Bytes io = IOCard(222, 0, 4, 8);
    io.resize(4 + 24 + 10);
    // A MADI count of 300 with two entries stored.
    const Bytes madi = DSPCard(2, 0x01, 0, MadiEntries(9, 1, -3, -4), 300);
    FrameIOView v;
    FrameProject fresh;
    v.Load(fresh.Dev(), 255, true);
    v.SetRecord(0, SlotRecord(io, true));
    v.PlaceAllSlots();
    EXPECT_EQ(v.SlotRows(0), 12);
    for (int row = 0; row < 12; ++row) {
        v.PointerMove(400, v.SlotTop(0) + 16 * row + 8);
        EXPECT_EQ(v.FPointerRow, row);
        EXPECT_EQ(v.Cursor(fresh.Project, fresh.Device), CursorKind::IBeam) << row;
    }
    EXPECT_EQ(v.Record(0).GPIOLabel(7), "");
    EXPECT_FALSE(v.Record(0).Entry(1).has_value());

    FrameIOView single;
    single.Load(fresh.Dev(), 9, true);
    single.SetRecord(9, SlotRecord(madi, true));
    EXPECT_EQ(single.Record(9).MadiCount(), 2);
    EXPECT_EQ(single.ImageHeight(), 50 + 32);
}

struct HoverCase {
    int x, y;
    int slot, row, port;
    CursorKind cursor;
};

void CheckHover(FrameIOView& v, FrameProject& f, const std::vector<HoverCase>& cases)
{
    for (const auto& c : cases) {
        v.PointerMove(c.x, c.y);
        const std::string at = "(" + std::to_string(c.x) + ", " + std::to_string(c.y) + ")";
        EXPECT_EQ(v.FPointerSlot, c.slot) << at;
        EXPECT_EQ(v.FPointerRow, c.row) << at;
        if (c.row >= 0 && v.Record(c.slot).Kind() == CardKind::DSP) {
            EXPECT_EQ(v.FPointerPort, c.port) << at;
        }
        EXPECT_EQ(v.Cursor(f.Project, f.Device), c.cursor) << at;
    }
}

constexpr auto D = CursorKind::Default;
constexpr auto H = CursorKind::Hand;
constexpr auto I = CursorKind::IBeam;
constexpr auto F = CursorKind::Forbidden;

TEST(FrameViewHover, WholeFrameGivesSlotRowPortAndCursor)
{
    FrameProject f;
    FillFullFrame(f);
    // Channel 1 of the 122 card (slot index 1) is fed by a link to its odd partner.
    f.LinkTo(model::MakeChannelID(1, 0, 0) | 1);
    FrameIOView v;
    v.Load(f.Dev(), 255, true);
    v.PlaceAllSlots();
    const int s1 = v.SlotTop(1), s3 = v.SlotTop(3), s4 = v.SlotTop(4), s8 = v.SlotTop(8);
    const int s9 = v.SlotTop(9), s19 = v.SlotTop(19), s29 = v.SlotTop(29);
    CheckHover(v, f, {
        // header: Set All rows, and no row above them or on their border
        {500, 40, -2, -3, 0, D}, {500, 25, -1, -4, 0, D}, {500, 10, -1, -9, 0, D}, {500, 30, -1, -9, 0, D},
        // 111, row 0 an input: type, stereo, label, level, SRC, mode, no output cells
        {100, 58, 0, 0, 0, H}, {300, 58, 0, 0, 0, H}, {400, 58, 0, 0, 0, I}, {500, 58, 0, 0, 0, H},
        {600, 58, 0, 0, 0, H}, {650, 58, 0, 0, 0, H}, {720, 58, 0, 0, 0, D}, {790, 58, 0, 0, 0, D},
        {150, 58, 0, 0, 0, D},
        // 111, row 4 an output: no SRC, mode, output mode and dither; no type cell below row 0
        {600, 122, 0, 4, 0, D}, {650, 122, 0, 4, 0, H}, {720, 122, 0, 4, 0, H}, {790, 122, 0, 4, 0, H},
        {100, 122, 0, 4, 0, D},
        // 111 GPIO row: label only; a row border hits no row
        {400, 186, 0, 8, 0, I}, {300, 186, 0, 8, 0, D}, {400, 66, 0, -9, 0, D}, {100, 66, 0, -9, 0, D},
        // 122 with its first channel a link target: forbidden right of the output address
        {150, s1 + 8, 1, 0, 0, D}, {211, s1 + 8, 1, 0, 0, F}, {400, s1 + 8, 1, 0, 0, F}, {500, s1 + 24, 1, 1, 0, F}, {500, s1 + 40, 1, 2, 0, H},
        // 311: GPIs on rows 0, 4, 8, 12 have the pull-up cell; every row the label
        {850, s3 + 8, 3, 0, 0, H}, {850, s3 + 24, 3, 1, 0, D}, {850, s3 + 72, 3, 4, 0, H},
        {400, s3 + 24, 3, 1, 0, I}, {500, s3 + 8, 3, 0, 0, D}, {100, s3 + 8, 3, 0, 0, H},
        // empty slot: type only; controller position: nothing
        {100, s4 + 8, 4, -1, 0, H}, {400, s4 + 8, 4, -1, 0, D}, {100, s8 + 8, 8, -1, 0, D},
        // DSP + MADI: title rows, port line 0 (AES10 MADI, no condition)
        {100, s9 + 4, 9, -2, 0, H}, {100, s9 + 20, 9, -1, 0, H}, {200, s9 + 40, 9, 0, 0, H},
        {400, s9 + 40, 9, 0, 0, H}, {500, s9 + 40, 9, 0, 0, H}, {600, s9 + 40, 9, 0, 0, D},
        {100, s9 + 40, 9, 0, 0, D},
        // DSP + 2x MADI: port 1 carries float (no level cell), port 2 a stagebox
        {500, s19 + 40, 19, 0, 0, D}, {200, s19 + 40, 19, 0, 0, H}, {500, s19 + 72, 19, 2, 1, H},
        // DSP + delay: only the channel count cell
        {200, s29 + 40, 29, 0, 0, H}, {400, s29 + 40, 29, 0, 0, D}, {500, s29 + 40, 29, 0, 0, D},
        // below the table
        {100, v.ImageHeight() + 5, -1, -9, 0, D},
    });
}

TEST(FrameViewHover, SingleSlotViewOfMadiChannels)
{
    FrameProject f;
    FillFullFrame(f);
    // Port 1 of slot 10 is the target of a MADI link.
    f.LinkTo(10 * 256, 3);
    FrameIOView v;
    v.Load(f.Dev(), 9, true);
    v.PlaceAllSlots();
    CheckHover(v, f, {
        {300, 58, 9, 0, 0, H}, {400, 58, 9, 0, 0, I}, {500, 58, 9, 0, 0, H},
        // right of x 210 outside the channel's own cells: the linked port forbids
        {250, 58, 9, 0, 0, F}, {600, 58, 9, 0, 0, F}, {150, 58, 9, 0, 0, D},
        // port 2's channels are free
        {250, 90, 9, 2, 1, D}, {400, 90, 9, 2, 1, I},
        {400, 114, 9, -9, 0, D},
    });
    FrameIOView two;
    two.Load(f.Dev(), 19, true);
    two.PlaceAllSlots();
    // Port 1 carries float: its channels have no level cell.
    CheckHover(two, f, {{500, 58, 19, 0, 0, D}, {500, 90, 19, 2, 1, H}, {300, 58, 19, 0, 0, H}});
}

TEST(FrameViewHover, OddStereoChannelHasNoLabelEditorAndConditionFrameNoHand)
{
    FrameProject f;
    Bytes card = IOCard(222, 0, 4, 8);
    writeBE16(card, 4 + 24 + 16, static_cast<std::uint16_t>(0x2000 | model::MakeChannelID(0, 1, 0)));
    f.Put(0, card);
    f.Put(9, DSPCard(2, 0x20, 0, MadiEntries(9, 2, 0, 0)));
    FrameIOView v;
    v.Load(f.Dev(), 255, false);
    v.PlaceAllSlots();
    const int s9 = v.SlotTop(9);
    CheckHover(v, f, {
        {400, 74, 0, 1, 0, D}, {400, 58, 0, 0, 0, I},
        // the redundant card's condition frame opens the source window on click, yet shows no hand
        {600, s9 + 40, 9, 0, 0, D}, {500, s9 + 40, 9, 0, 0, H},
    });
    EXPECT_TRUE(IsEditableChannel(0x2000 | 0x80 | 0x102));
    EXPECT_FALSE(IsEditableChannel(0x2000 | 0x80 | 0x103));
    EXPECT_TRUE(IsEditableChannel(0x103));
}

TEST(FrameViewWheel, StepsOf48StopAtTheEndsAndOnlyWhileActive)
{
    struct Case {
        bool active;
        int position, maximum;
        bool up;
        std::optional<int> to;
    } cases[] = {
        {false, 100, 500, true, std::nullopt}, {false, 100, 500, false, std::nullopt},
        {true, 100, 500, true, 52},            {true, 48, 500, true, 0},
        {true, 30, 500, true, 0},              {true, 0, 500, true, std::nullopt},
        {true, 100, 500, false, 148},          {true, 452, 500, false, 500},
        {true, 470, 500, false, 500},          {true, 500, 500, false, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WheelScroll(c.active, c.position, c.maximum, c.up), c.to)
            << c.position << (c.up ? " up" : " down") << (c.active ? "" : " inactive");
}

} // namespace
} // namespace kvr::app::frameio::test
