#include <gtest/gtest.h>

#include "app/frameio/framecards.h"
#include "app/frameio/frameview.h"
#include "framefixture.h"
#include "model/gpoaccess.h"
#include "model/summingbuses.h"
#include "platform/prompter.h"

namespace kvr::app::frameio::test {
namespace {

using namespace model;
using platform::Answer;
using platform::ScriptedPrompter;

// A project with a new device (30 slots, an 848L in slot 10) and scripted answers.
struct Cards : FrameProject {
    ScriptedPrompter Prompts;
    int Level = 0;
    FrameCardContext Context() { return {Project, Device, Level, 0, Prompts}; }
    Bytes Slot(int slot) { return Dev().GetSetupData(static_cast<std::uint8_t>(slot)); }
    int SubType(int slot)
    {
        const Bytes r = Slot(slot);
        return r.size() > 5 ? r[5] : -1;
    }
    int Links() { return static_cast<int>(DeviceLinkCount(Project.GetProjData(pstDeviceLinks))); }
    std::vector<std::string> Texts()
    {
        std::vector<std::string> out;
        for (const auto& r : Prompts.records())
            out.push_back(r.text.toStdString());
        return out;
    }
    bool Choose(int slot, int item) { return SlotTypeSelectorChange(Context(), slot, item); }
    bool ChooseDSP(int slot, int item, int curSlot = 255)
    {
        CurSlot = curSlot;
        return DSPTypeSelectorChange(Context(), slot, item, CurSlot);
    }
    int CurSlot = 255;
};

int MadiCount(const Bytes& r) { return r.size() >= 4 ? r[2] + 256 * (r[3] & 1) : -1; }
int EntryID(const Bytes& r, std::size_t first, int i) { return readBE16(r, first + 24 * static_cast<std::size_t>(i) + 16); }
std::string EntryLabel(const Bytes& r, std::size_t first, int i)
{
    const auto* p = reinterpret_cast<const char*>(r.data() + first + 24 * static_cast<std::size_t>(i));
    return std::string(p, strnlen(p, 16));
}

TEST(DSPCombinations, TableCountsItsRowsAndMixes)
{
    const auto& table = DSPCardCombinationTable();
    EXPECT_EQ(table.size(), 89u);
    std::vector<std::array<int, 3>> mixes;
    for (const auto& row : table)
        if (row.Kind == 2)
            mixes.push_back({row.Slot9, row.Slot19, row.Slot29});
    EXPECT_EQ(mixes, (std::vector<std::array<int, 3>>{{1, 2, 0}, {2, 1, 0}}));
    const struct {
        int v9, v19, v29, slot, candidate, kind;
    } cases[] = {
        {1, 0, 0, 19, 1, 1}, {1, 0, 0, 19, 2, 2}, {1, 0, 0, 19, 3, 0}, {2, 3, 0, 29, 1, 0},
        {2, 3, 0, 29, 5, 1}, {2, 2, 3, 9, 0, 0},  {3, 0, 0, 9, 0, 1},  {1, 1, 0, 29, 2, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LookupDSPCardCombination(c.v9, c.v19, c.v29, c.slot, c.candidate), c.kind)
            << c.v9 << c.v19 << c.v29 << " slot " << c.slot << " candidate " << c.candidate;
}

TEST(DefaultRecords, EveryCardTypeByteExact)
{
    Cards f; // header bytes 73 and 77: 18 and 21
    const struct {
        int type;
        std::size_t length;
        std::vector<int> ids;
        int level;
        int gpios;
    } cases[] = {
        {111, 324, {0x2300, 0x2380, 0x2302, 0x2382, 0x2304, 0x2384, 0x2306, 0x2386}, -9, 8},
        {122, 276, {0x300, 0x301, 0x2380, 0x302, 0x303, 0x2382}, -12, 8},
        {123, 228, {0x300, 0x301, 0x302, 0x303}, -12, 8},
        {222, 228, {0x2300, 0x2380, 0x2302, 0x2382}, -12, 8},
        {223, 228, {0x2300, 0x2380, 0x2302, 0x2382}, -18, 8},
        {311, 260, {}, 0, 16},
    };
    for (const auto& c : cases) {
        const Bytes r = DefaultCardRecord(c.type, 2, f.Dev());
        ASSERT_EQ(r.size(), c.length) << c.type;
        EXPECT_EQ(readBE16(r, 0), c.type);
        EXPECT_EQ(r[2], c.ids.size()) << c.type;
        EXPECT_EQ(r[3], c.gpios) << c.type;
        for (std::size_t i = 0; i < c.ids.size(); ++i) {
            EXPECT_EQ(EntryID(r, 4, static_cast<int>(i)), c.ids[i]) << c.type << " entry " << i;
            EXPECT_EQ(static_cast<std::int8_t>(r[4 + 24 * i + 19]), c.level) << c.type;
            EXPECT_EQ(r[4 + 24 * i + 18], 0);
            EXPECT_EQ(EntryLabel(r, 4, static_cast<int>(i)), GetChannelName(c.ids[i], c.type, false).substr(0, 16));
        }
        // GPIO labels: GPIs and GPOs alternate on I/O cards; every fourth is a GPI on the GPIO card.
        const std::size_t g = 4 + 24 * c.ids.size();
        const auto* label = reinterpret_cast<const char*>(r.data() + g + 16);
        EXPECT_EQ(std::string(label, strnlen(label, 16)),
                  GetChannelName(MakeChannelID(2, 1, 0x40) | 0x80, c.type, false).substr(0, 16));
        if (c.type == 311) {
            const auto* gpi = reinterpret_cast<const char*>(r.data() + g + 64);
            EXPECT_EQ(std::string(gpi, strnlen(gpi, 16)), GetChannelName(MakeChannelID(2, 4, 0x40), 311, false).substr(0, 16));
        }
    }
    EXPECT_TRUE(DefaultCardRecord(999, 2, f.Dev()).empty());

    Bytes madi(8, 0);
    AppendMadiPort(madi, 9, 0, -9);
    AppendMadiPort(madi, 9, 1, -9);
    EXPECT_EQ(MadiCount(madi), 128);
    EXPECT_EQ(madi.size(), 8u + 24 * 128);
    EXPECT_EQ(EntryID(madi, 8, 0), MakeChannelID(9, 0, 0x2000));
    EXPECT_EQ(EntryID(madi, 8, 31), MakeChannelID(9, 62, 0x2000));
    EXPECT_EQ(EntryID(madi, 8, 32), MakeChannelID(9, 0, 0x2080));
    EXPECT_EQ(EntryID(madi, 8, 64), MakeChannelID(9, 0, 0x2040));
    EXPECT_EQ(EntryID(madi, 8, 127), MakeChannelID(9, 62, 0x20C0));
}

TEST(CardChoice, DSPCardIsPutIntoAnEmptyRackFirst)
{
    {
        Cards f;
        EXPECT_TRUE(f.Choose(0, 1));
        EXPECT_TRUE(f.Prompts.records().empty());
        EXPECT_EQ(f.Slot(0), DefaultCardRecord(111, 0, f.Dev()));
    }
    {
        // 848L in slot 10: slot 21's rack can take no DSP card.
        Cards f;
        EXPECT_FALSE(f.Choose(20, 2));
        EXPECT_EQ(f.Texts(), std::vector<std::string>{"Your DSP-Card combination does not allow insertion of this card type!"});
        EXPECT_TRUE(f.Slot(20).empty());
        EXPECT_TRUE(f.Slot(29).empty());
    }
    for (const auto& [answer, changed] : {std::pair{Answer::No, false}, {Answer::Yes, true}}) {
        Cards f;
        f.Level = 1;
        f.Prompts.answer(answer);
        EXPECT_EQ(f.Choose(20, 2), changed);
        ASSERT_EQ(f.Prompts.records().size(), 1u);
        EXPECT_EQ(f.Prompts.records()[0].text, "You are trying to set an invalid card combination!, continue?");
        EXPECT_EQ(f.Prompts.records()[0].caption, "Override allowed settings");
        EXPECT_EQ(f.Slot(20).empty(), !changed);
        EXPECT_EQ(f.SubType(29), changed ? 1 : -1); // the override writes an 848M
    }
    {
        // 848M in slot 10, slot 20 empty: the 848L candidate is only a mix, so an 848M goes in.
        Cards f;
        f.Put(9, DSPCard(1, 0, 0, {}));
        EXPECT_TRUE(f.Choose(10, 4));
        EXPECT_EQ(f.SubType(19), 1);
        EXPECT_EQ(readBE16(f.Slot(10), 0), 222);
    }
}

TEST(CardRemoval, NothingOfARemovedCardRemains)
{
    Cards f;
    EXPECT_TRUE(f.Choose(3, 5)); // a GPIO card in slot 4
    for (int n = 0; n < 8; ++n)
        SetGPORouting(f.Dev(), (3 * 256 + n) | 0x8000, static_cast<std::uint16_t>(0x100 + n));
    auto h = f.Dev().GetHeader();
    writeBE16(h, 98, static_cast<std::uint16_t>(385 + 4 * 3 + 1)); // its second GPI as port-2 condition
    f.Dev().SetHeader(h, false);
    EXPECT_TRUE(f.Choose(1, 4));
    f.LinkTo(MakeChannelID(1, 0, 0x2000)); // a 222 channel fed by a link
    ASSERT_EQ(f.Links(), 1);

    EXPECT_TRUE(f.Choose(3, 0));
    EXPECT_TRUE(f.Slot(3).empty());
    // The slot's routing record is gone: its GPOs read the structure's "no source" again.
    for (int n = 0; n < 8; ++n)
        EXPECT_EQ(GetGPORouting(f.Dev(), (3 * 256 + n) | 0x8000), 0xC000) << n;
    EXPECT_EQ(f.Dev().GetData(stGPORouting).size(), 192u);
    EXPECT_EQ(readBE16(f.Dev().Header(), 98), 0);
    EXPECT_TRUE(f.Choose(1, 0));
    EXPECT_EQ(f.Links(), 0);
}

TEST(CardRemoval, FrameTypeChangeTakesTheDroppedCardsOut)
{
    Cards f;
    ASSERT_TRUE(f.ChooseDSP(19, di848L));
    ASSERT_TRUE(f.Choose(10, 5));
    ASSERT_TRUE(f.Choose(11, 1));
    f.LinkTo(MakeChannelID(11, 0, 0x2000));
    auto h = f.Dev().GetHeader();
    writeBE16(h, 100, static_cast<std::uint16_t>(385 + 32 + 0));
    f.Dev().SetHeader(h, false);

    EXPECT_TRUE(FrameTypeChange(f.Context(), 0));
    EXPECT_TRUE(f.Prompts.records().empty());
    EXPECT_EQ(f.Dev().GetSlotCount(), 10);
    for (const int slot : {10, 11, 19})
        EXPECT_TRUE(f.Slot(slot).empty()) << slot;
    EXPECT_EQ(f.Links(), 0);
    EXPECT_EQ(readBE16(f.Dev().Header(), 100), 0);
    EXPECT_FALSE(f.Slot(9).empty());
    EXPECT_FALSE(FrameTypeChange(f.Context(), 0));
    EXPECT_TRUE(FrameTypeChange(f.Context(), 1));
    EXPECT_EQ(f.Dev().GetSlotCount(), 30);
}

TEST(CardChoice, AReplacedCardKeepsWhatTheNewCardServes)
{
    const struct {
        const char* name;
        int newItem;
        bool linkStays;
    } cases[] = {
        {"222 to 223: same layout", 6, true},
        {"222 to 111: another signal class", 1, false},
        {"222 to 123: no outputs", 3, false},
        {"222 to the GPIO card", 5, false},
    };
    for (const auto& c : cases) {
        Cards f;
        ASSERT_TRUE(f.Choose(0, 4));
        f.LinkTo(MakeChannelID(0, 0, 0x2080)); // the first stereo output
        EXPECT_TRUE(f.Choose(0, c.newItem)) << c.name;
        EXPECT_EQ(f.Links(), c.linkStays ? 1 : 0) << c.name;
    }
}

TEST(DSPChoice, KindsAndTheirTransitions)
{
    {
        Cards f;
        EXPECT_FALSE(f.ChooseDSP(29, di848L));
        EXPECT_EQ(f.Texts(), std::vector<std::string>{"This DSP-Card combination is not allowed!"});
    }
    {
        Cards f;
        ASSERT_TRUE(f.ChooseDSP(9, di421));
        Bytes r = f.Slot(9);
        EXPECT_EQ(MadiCount(r), 64);
        EXPECT_EQ(r[3], 0x40);
        EXPECT_EQ(r[5], 2);
        ASSERT_TRUE(f.ChooseDSP(9, di422Redundant));
        r = f.Slot(9);
        EXPECT_EQ(r[3] & 0x20, 0x20);
        EXPECT_EQ(r[5], 2);
        EXPECT_EQ(MadiCount(r), 64);
        ASSERT_TRUE(f.ChooseDSP(9, di422));
        r = f.Slot(9);
        EXPECT_EQ(r[3] & 0x20, 0);
        EXPECT_EQ(r[4], 0x40);
        EXPECT_EQ(MadiCount(r), 128);
        EXPECT_EQ(r.size(), 8u + 24 * 128);
    }
    {
        // +421 over +422 keeps port 1's entries and labels and drops port 2 with its links.
        Cards f;
        ASSERT_TRUE(f.ChooseDSP(9, di422));
        Bytes r = f.Slot(9);
        r[8] = 'X';
        f.Put(9, r);
        f.LinkTo(10 * 256 + 0, 3);
        f.LinkTo(10 * 256 + 1, 3);
        ASSERT_TRUE(f.ChooseDSP(9, di421));
        r = f.Slot(9);
        EXPECT_EQ(MadiCount(r), 64);
        EXPECT_EQ(EntryLabel(r, 8, 0).substr(0, 1), "X");
        for (int i = 0; i < 64; ++i)
            EXPECT_EQ(EntryID(r, 8, i) & 0x40, 0) << i;
        ASSERT_EQ(f.Links(), 1);
        // 848M over +421: the MADI card's links and the view of its channels go.
        ASSERT_TRUE(f.ChooseDSP(9, di848M, 9));
        EXPECT_EQ(f.Links(), 0);
        EXPECT_EQ(f.CurSlot, 255);
        EXPECT_EQ(f.Slot(9).size(), 8u);
        ASSERT_TRUE(f.ChooseDSP(9, di424));
        EXPECT_EQ(f.Slot(9), (Bytes{0x03, 0x50, 0, 4, 0, 4, 0, 0}));
    }
}

TEST(DSPChoice, NoneAndTheMixQuestions)
{
    for (const auto& [answer, cleared] : {std::pair{Answer::Cancel, false}, {Answer::Ok, true}}) {
        Cards f;
        f.Put(9, DSPCard(1, 0, 0, {}));
        ASSERT_TRUE(f.ChooseDSP(19, di848M));
        ASSERT_TRUE(f.Choose(10, 1));
        ASSERT_TRUE(f.Choose(17, 4));
        f.Prompts.answer(answer);
        EXPECT_EQ(f.ChooseDSP(19, diNone), cleared);
        EXPECT_EQ(f.Texts(), std::vector<std::string>{"Slots 11 to 30 will be cleared when removing this card!"});
        for (const int slot : {10, 17, 19})
            EXPECT_EQ(f.Slot(slot).empty(), cleared) << slot;
        EXPECT_FALSE(f.Slot(9).empty());
    }
    {
        // Slot 10's card goes only after slot 20's.
        Cards f;
        ASSERT_TRUE(f.ChooseDSP(19, di848L));
        EXPECT_FALSE(f.ChooseDSP(9, diNone));
        EXPECT_EQ(f.Texts(), std::vector<std::string>{"This DSP-Card combination is not allowed!"});
    }
    for (const auto& [item, question] :
         {std::pair{di848L, "Combiniation of KX730-848L and KX730-848M is not allowed!\nDo you want to change both cards "
                            "to KX730-848L? If you do this, slot 30 will be cleard!"},
          std::pair{di848M, "Combiniation of KX730-848L and KX730-848M is not allowed!\nDo you want to change cards in "
                            "slot 10 and 20 to KX730-848M?"}}) {
        Cards f;
        const int mixWith = item == di848L ? 1 : 0; // the other kind in slot 10
        f.Put(9, DSPCard(mixWith, 0, 0, {}));
        if (item == di848M)
            f.Put(19, DSPCard(0, 0, 0, {}));
        f.Prompts.answer(Answer::Cancel);
        EXPECT_FALSE(f.ChooseDSP(19, item));
        EXPECT_EQ(f.Texts(), std::vector<std::string>{question});
        EXPECT_EQ(f.SubType(9), mixWith);
        f.Prompts.answer(Answer::Ok);
        EXPECT_TRUE(f.ChooseDSP(19, item));
        const int sub = item == di848L ? 0 : 1;
        EXPECT_EQ(f.SubType(9), sub);
        EXPECT_EQ(f.SubType(19), sub);
    }
}

} // namespace
} // namespace kvr::app::frameio::test
