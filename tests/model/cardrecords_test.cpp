#include "model/cardrecords.h"
#include "model/device.h"
#include "model/recordtext.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kvr::model;
using Bytes = std::vector<std::uint8_t>;

namespace {

TChannelEntry Channel(const char* label, std::uint16_t id)
{
    TChannelEntry e;
    std::strncpy(e.Label.data(), label, e.Label.size());
    e.ID = id;
    e.Level = 48;
    e.SecondRef = 0x1234;
    e.Extra = {7, 8};
    return e;
}

} // namespace

TEST(CardRecord, IOCardSizeAndRoundTrip)
{
    TCardRecord card;
    card.CardType = 222;
    for (int i = 0; i < 4; ++i)
        card.Channels.push_back(Channel("Mic", static_cast<std::uint16_t>(0x0300 + i)));
    const Bytes bytes = EncodeCardRecord(card);
    ASSERT_EQ(bytes.size(), 100u);
    EXPECT_EQ(CalcCardRecordSize(bytes), 100);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[1], 222);
    EXPECT_EQ(bytes[4 + 16], 0x03); // channel ID big-endian
    EXPECT_EQ(bytes[4 + 17], 0x00);

    TCardRecord back;
    ASSERT_TRUE(DecodeCardRecord(bytes, back));
    EXPECT_EQ(EncodeCardRecord(back), bytes);
    EXPECT_EQ(back.Channels[3].ID, 0x0303);
}

TEST(CardRecord, DSPCardChannelWordIsLittleEndianNineBits)
{
    Bytes bytes = {0x03, 0x50, 0x05, 0xFE, 0, 3, 0, 0}; // 848, word 0xFE05
    bytes.resize(8 + 24 * 5, 0);
    EXPECT_EQ(DSPChannelCount(bytes), 5); // 0xFE05 & 0x1FF
    TCardRecord card;
    ASSERT_TRUE(DecodeCardRecord(bytes, card));
    EXPECT_TRUE(card.IsDSP());
    EXPECT_EQ(card.Channels.size(), 5u);
    EXPECT_EQ(card.DSPVariant(), 3);
    EXPECT_EQ(card.DSPFlags, 0xFE00);
    EXPECT_EQ(EncodeCardRecord(card), bytes);
}

// Byte 2 of the GPIO card holds its GPI pull-ups: whatever they are, the 16 labels start at byte 4.
TEST(CardRecord, GPIOCardByteTwoIsPullUpsNotChannels)
{
    for (const std::uint8_t pullUps : {std::uint8_t{0x00}, std::uint8_t{0x01}, std::uint8_t{0x0F}}) {
        Bytes bytes = {0x01, 0x37, pullUps, 16};
        for (int g = 0; g < 16; ++g) {
            Bytes label(16, 0);
            const std::string text = "Door " + std::to_string(g + 1);
            std::copy(text.begin(), text.end(), label.begin());
            bytes.insert(bytes.end(), label.begin(), label.end());
        }
        TCardRecord card;
        ASSERT_TRUE(DecodeCardRecord(bytes, card));
        EXPECT_TRUE(card.Channels.empty()) << int(pullUps);
        EXPECT_EQ(card.PullUps, pullUps);
        ASSERT_EQ(card.GPIOs.size(), 16u) << int(pullUps);
        EXPECT_EQ(FieldText(card.GPIOs[0]), "Door 1") << int(pullUps);
        EXPECT_EQ(FieldText(card.GPIOs[15]), "Door 16") << int(pullUps);
        EXPECT_EQ(EncodeCardRecord(card), bytes) << int(pullUps);
    }
}

TEST(CardRecord, DamagedCountsAreClamped)
{
    struct Case {
        const char* name;
        Bytes bytes;
        std::size_t channels;
        std::size_t gpios;
    };
    const Case cases[] = {
        {"io count above payload", [] { Bytes b{0, 111, 200, 9}; b.resize(4 + 24 * 2 + 5); return b; }(), 2, 0},
        {"gpio count above payload", [] { Bytes b{0, 111, 1, 50}; b.resize(4 + 24 + 16 + 3); return b; }(), 1, 1},
        {"dsp word count 511", [] { Bytes b{0x03, 0x50, 0xFF, 0x01, 0, 2, 0, 0}; b.resize(8 + 24 + 10); return b; }(), 1, 0},
        {"head only", Bytes{0, 111}, 0, 0},
    };
    for (const auto& c : cases) {
        TCardRecord card;
        EXPECT_TRUE(DecodeCardRecord(c.bytes, card)) << c.name;
        EXPECT_EQ(card.Channels.size(), c.channels) << c.name;
        EXPECT_EQ(card.GPIOs.size(), c.gpios) << c.name;
    }
    TCardRecord card;
    EXPECT_FALSE(DecodeCardRecord(Bytes{1}, card));
    EXPECT_EQ(CardTypeOf(Bytes{1}), 0);
}

TEST(PotiAssign, SetRemovesAndAppendsOnePerPot)
{
    Bytes p = {3, 0, 1, 6, 5, 0, 4, 2};
    PutPotiAssign(p, 5, 9, 0);
    EXPECT_EQ(p, (Bytes{3, 0, 1, 6}));
    PutPotiAssign(p, 5, 9, 2);
    PutPotiAssign(p, 5, 8, 6);
    EXPECT_EQ(p, (Bytes{3, 0, 1, 6, 5, 0, 8, 6}));
    int slot = -1;
    int input = -1;
    ASSERT_TRUE(FindPotiAssign(p, 5, slot, input));
    EXPECT_EQ(slot, 8);
    EXPECT_EQ(input, 6);
    EXPECT_FALSE(FindPotiAssign(p, 4, slot, input));

    Bytes damaged = {3, 0, 1, 6, 9, 9}; // a torn tail stays behind the whole entries
    PutPotiAssign(damaged, 7, 1, 2);
    EXPECT_EQ(damaged, (Bytes{3, 0, 1, 6, 7, 0, 1, 2, 9, 9}));
}

TEST(RotSelSourceList, SetGetRemove)
{
    Bytes p;
    PutRotSelSourceList(p, 4, -1);
    EXPECT_TRUE(p.empty());
    PutRotSelSourceList(p, 4, 2);
    PutRotSelSourceList(p, 1, 0);
    PutRotSelSourceList(p, 4, 7);
    EXPECT_EQ(p, (Bytes{4, 7, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(FindRotSelSourceList(p, 4), 7);
    EXPECT_EQ(FindRotSelSourceList(p, 2), -1);
    PutRotSelSourceList(p, 4, -1);
    EXPECT_EQ(p, (Bytes{1, 0, 0, 0}));
}

TEST(ConsoleNames, DefaultsStoredAndShortStructures)
{
    std::string name;
    EXPECT_EQ(ReadConsoleName({}, 2, name), 0);
    EXPECT_EQ(name, "Console 3");

    Bytes p;
    std::array<std::uint8_t, 16> full{};
    std::memcpy(full.data(), "ABCDEFGHIJKLMNOP", 16);
    PutConsoleName(p, 1, full);
    ASSERT_EQ(p.size(), 100u);
    EXPECT_EQ(ReadConsoleName(p, 1, name), 1);
    EXPECT_EQ(name, "ABCDEFGHIJKLMNOP"); // unterminated field stays bounded
    EXPECT_EQ(ReadConsoleName(p, 5, name), 0);
    EXPECT_EQ(name, "Console 6");

    const Bytes shortStruct = {'A', 'B'}; // shorter than its fixed size
    EXPECT_EQ(ReadConsoleName(shortStruct, 0, name), 1);
    EXPECT_EQ(name, "AB");
    EXPECT_EQ(ReadConsoleName(shortStruct, 4, name), 0);
}

TEST(FaderChannelLabels, NewestFirstOnePerChannel)
{
    Bytes p;
    TFaderChannelLabel r;
    r.Number = 1;
    std::memcpy(r.Label.data(), "Studio Left", 11);
    EXPECT_EQ(PutFaderChannelLabel(p, 3, r), 1);
    std::memcpy(r.Label.data(), "Studio Right", 12);
    EXPECT_EQ(PutFaderChannelLabel(p, 3, r), 1);
    EXPECT_EQ(PutFaderChannelLabel(p, 4, r), 1);
    ASSERT_EQ(p.size(), 2u + 2 * 18);
    EXPECT_EQ(p[2], 4);
    EXPECT_EQ(p[2 + 18], 3);
    TFaderChannelLabel out;
    ASSERT_TRUE(FindFaderChannelLabel(p, 3, out));
    EXPECT_EQ(LabelText(out.Label), "Studio Right");

    TFaderChannelLabel empty;
    EXPECT_EQ(PutFaderChannelLabel(p, 3, empty), 1); // removed one
    EXPECT_FALSE(FindFaderChannelLabel(p, 3, out));
    EXPECT_EQ(PutFaderChannelLabel(p, 3, empty), 0);
}

TEST(FaderChannelLabels, DamagedRecordSizeIsSafe)
{
    const Bytes zeroStride = {0, 0, 5, 'x', 'y'};
    TFaderChannelLabel out;
    EXPECT_FALSE(FindFaderChannelLabel(zeroStride, 5, out));
    Bytes copy = zeroStride;
    TFaderChannelLabel r;
    r.Number = 5;
    EXPECT_EQ(PutFaderChannelLabel(copy, 5, r), -1);
    EXPECT_EQ(copy, zeroStride);

    Bytes shortStride = {0, 4, 5, 'a', 'b', 'c', 6, 'd', 'e', 'f'};
    ASSERT_TRUE(FindFaderChannelLabel(shortStride, 6, out));
    EXPECT_EQ(LabelText(out.Label), "def");
}

namespace {

Bytes Entry(const char* label, int id, int option, int level)
{
    Bytes e(24, 0);
    std::strncpy(reinterpret_cast<char*>(e.data()), label, 16);
    e[16] = static_cast<std::uint8_t>(id >> 8);
    e[17] = static_cast<std::uint8_t>(id & 0xFF);
    e[18] = static_cast<std::uint8_t>(option);
    e[19] = static_cast<std::uint8_t>(level);
    return e;
}

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes Label16(const char* text)
{
    Bytes g(16, 0);
    std::strncpy(reinterpret_cast<char*>(g.data()), text, 16);
    return g;
}

} // namespace

// Every accessor reads absent past the payload: a short or damaged record gives zeros, no entry
// and empty labels instead of bytes beyond its end.
TEST(CardRecordView, FieldsOfSampleAndDamagedRecords)
{
    struct Case {
        const char* name;
        Bytes bytes;
        int type, stated, channels, gpios, pullUps, madi, variant;
        bool redundant;
        int firstID, firstLevel;
        const char* firstGPIO;
    };
    const Case cases[] = {
        {"io card", Cat({{0, 111, 2, 2}, Entry("Mic", 0x2300, 5, 0xFA), Entry("Spk", 0x0382, 0, 0), Label16("Door"), Label16("Lamp")}),
         111, 2, 2, 2, 0, 0, 0, false, 0x2300, -6, "Door"},
        {"io card, channels cut", Cat({{0, 222, 3, 8}, Entry("A", 0x0300, 0, 0)}), 222, 3, 1, 0, 0, 0, 0, false, 0x0300, 0, ""},
        {"io card, gpios cut", Cat({{0, 111, 0, 8}, Label16("One"), {1, 2, 3}}), 111, 0, 0, 1, 0, 0, 0, false, 0, 0, "One"},
        {"gpio card, pull-ups on", Cat({{0x01, 0x37, 0x0F, 2}, Label16("In"), Label16("Out")}), 311, 0, 0, 2, 0x0F, 0, 0, false,
         0, 0, "In"},
        {"dsp card, two madi", Cat({{0x03, 0x50, 0x02, 0x20, 0x40, 3, 0, 0}, Entry("M1", 0x0A00, 0, 0xF6), Entry("M2", 0x0A40, 0, 0)}),
         848, 2, 2, 0, 0, 2, 3, true, 0x0A00, -10, ""},
        {"dsp card, 9-bit count past payload", Cat({{0x03, 0x50, 0xFF, 0x01, 0, 2, 0, 0}, Entry("M", 0x0A00, 0, 0), {9}}), 848,
         511, 1, 0, 0, 511, 2, false, 0x0A00, 0, ""},
        {"dsp head cut at byte 4", Bytes{0x03, 0x50, 0x05, 0x20}, 848, 5, 0, 0, 0, 5, 0, true, 0, 0, ""},
        {"type only", Bytes{0, 111}, 111, 0, 0, 0, 0, 0, 0, false, 0, 0, ""},
        {"one byte", Bytes{1}, 0, 0, 0, 0, 0, 0, 0, false, 0, 0, ""},
        {"empty", Bytes{}, 0, 0, 0, 0, 0, 0, 0, false, 0, 0, ""},
    };
    for (const auto& c : cases) {
        const CardRecordView v(c.bytes);
        EXPECT_EQ(v.CardType(), c.type) << c.name;
        EXPECT_EQ(v.ChannelCount(), c.stated) << c.name;
        EXPECT_EQ(v.StoredChannels(), c.channels) << c.name;
        EXPECT_EQ(v.StoredGPIOs(), c.gpios) << c.name;
        EXPECT_EQ(v.PullUps(), c.pullUps) << c.name;
        if (v.IsDSPCard()) { // the DSP fields mean nothing on other cards
            EXPECT_EQ(v.MadiCount(), c.madi) << c.name;
            EXPECT_EQ(v.DSPVariant(), c.variant) << c.name;
            EXPECT_EQ(v.Redundant(), c.redundant) << c.name;
        }
        EXPECT_EQ(v.ChannelID(0), c.firstID) << c.name;
        EXPECT_EQ(v.Channel(0) ? v.Channel(0)->Level() : 0, c.firstLevel) << c.name;
        EXPECT_EQ(v.GPIOLabel(0), c.firstGPIO) << c.name;
        // Past the stored entries nothing is read.
        EXPECT_FALSE(v.Channel(c.channels)) << c.name;
        EXPECT_FALSE(v.Channel(-1)) << c.name;
        EXPECT_EQ(v.GPIOLabel(c.gpios), "") << c.name;
        // The decoder is the same reader.
        TCardRecord card;
        if (DecodeCardRecord(c.bytes, card)) {
            EXPECT_EQ(static_cast<int>(card.Channels.size()), c.channels) << c.name;
            EXPECT_EQ(static_cast<int>(card.GPIOs.size()), c.gpios) << c.name;
            EXPECT_EQ(card.PullUps, c.pullUps) << c.name;
        }
    }
}

// The writers change only what the record holds, and the DSP card's count keeps its flag bits.
TEST(CardRecordWriter, WritesInsideThePayloadOnly)
{
    Bytes dsp = Cat({{0x03, 0x50, 0x01, 0xFE, 0, 2, 0, 0}, Entry("M", 0x0A00, 0, 0)});
    CardRecordWriter w(dsp);
    w.SetMadiCount(0x102);
    EXPECT_EQ(dsp[2], 0x02);
    EXPECT_EQ(dsp[3], 0xFF); // bit 8 of the count set, the flags kept
    w.SetMadiCount(1);
    w.SetLevel(0, -12);
    w.SetOption(0, 0x21);
    w.SetChannelID(0, 0x0A42);
    EXPECT_EQ(CardRecordView(dsp).Channel(0)->Level(), -12);
    EXPECT_EQ(CardRecordView(dsp).Channel(0)->Option(), 0x21);
    EXPECT_EQ(CardRecordView(dsp).ChannelID(0), 0x0A42);

    Bytes cut = Cat({{0, 111, 3, 0}, Entry("A", 0x0300, 0, 0)});
    const Bytes before = cut;
    CardRecordWriter c(cut);
    c.SetLevel(1, 5);
    c.SetOption(2, 1);
    c.SetChannelID(-1, 7);
    EXPECT_FALSE(c.SetLabelAt(cut.size() - 8, "Label"));
    EXPECT_EQ(cut, before);

    // The GPIO card's byte 2 is its pull-ups: a channel count is never written there.
    Bytes gpio = {0x01, 0x37, 0x05, 0};
    CardRecordWriter(gpio).SetChannelCount(0);
    EXPECT_EQ(CardRecordView(gpio).PullUps(), 0x05);
}
