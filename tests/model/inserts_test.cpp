#include <gtest/gtest.h>

#include <cstring>

#include "adaptrecorder.h"
#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/faderaccess.h"
#include "model/inserts.h"
#include "model/linkaccess.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/smallrecordaccess.h"
#include "model/recordhooks.h"
#include "recordinghost.h"

namespace kvr::model {
namespace {

using Bytes = std::vector<std::uint8_t>;

class Inserts : public ::testing::Test {
protected:
    test::RecordingHost host;
    test::AdaptRecorder adapt;
    TDevice dev;
};

TEST_F(Inserts, FixedInsertOfTheOwnPreFaderSourceIsRemoved)
{
    TFixedInsert rec{3, 0x11, 0x0305};
    SetFixedInsert(dev, 3, rec);
    EXPECT_EQ(dev.GetData(stFixedInsert), (Bytes{2, 4, 3, 0x11, 0x03, 0x05}));
    TFixedInsert out{3};
    EXPECT_TRUE(GetFixedInsert(dev, 3, out));
    EXPECT_EQ(out.Source, 0x0305);
    EXPECT_EQ(out.Option, 0x11);

    rec = {3, 0, static_cast<TAudioRef>(18944 + 6)};
    SetFixedInsert(dev, 3, rec);
    EXPECT_EQ(rec.Source, 0);
    Bytes payload;
    EXPECT_FALSE(dev.GetData(stFixedInsert, payload));
    EXPECT_FALSE(GetFixedInsert(dev, 3, out));
    EXPECT_EQ(out.Source, 18944 + 6);
    EXPECT_EQ(out.Option, 0);
}

TEST_F(Inserts, TrimFixedInsertsDropsFadersThatAreGone)
{
    for (int f : {1, 9, 4}) {
        TFixedInsert rec{static_cast<std::uint8_t>(f), 0, 0x0101};
        SetFixedInsert(dev, f, rec);
    }
    auto header = dev.GetHeader();
    header[dh::FaderCount] = 8;
    dev.SetHeader(header, false);
    TrimFixedInserts(dev); // through the record hooks, as a fader-module removal does
    EXPECT_EQ(dev.GetData(stFixedInsert), (Bytes{2, 4, 1, 0, 1, 1, 4, 0, 1, 1}));
    dev.SetData(stFixedInsert, {});
    TrimFixedInsertPoints(dev);
    EXPECT_EQ(dev.GetData(stFixedInsert), (Bytes{2, 4}));
}

TEST_F(Inserts, SwitchableInserts)
{
    TSwitchableInsert out;
    // Clearing an insert that has none leaves the structure alone.
    TSwitchableInsert empty{5};
    SetSwitchableInsert(dev, 5, empty);
    Bytes payload;
    EXPECT_FALSE(dev.GetData(stInsert, payload));
    EXPECT_FALSE(GetSwitchableInsert(dev, 5, out));
    EXPECT_EQ(std::string(out.Label.data()), "Insert 6");

    TSwitchableInsert rec{5, 1, 1000, 0x0302, {}};
    std::memcpy(rec.Label.data(), "Hall", 4);
    SetSwitchableInsert(dev, 5, rec);
    EXPECT_EQ(rec.Routing, 767);
    payload = dev.GetData(stInsert);
    ASSERT_EQ(payload.size(), 24u);
    EXPECT_EQ(readBE16(payload, 4), 767);
    ASSERT_TRUE(GetSwitchableInsert(dev, 5, out));
    EXPECT_EQ(out.Source, 0x0302);
    EXPECT_EQ(std::string(out.Label.data()), "Hall");

    SetSwitchableInsert(dev, 5, empty);
    EXPECT_FALSE(dev.GetData(stInsert, payload));
}

TEST_F(Inserts, DamagedInsertBlocksReadBounded)
{
    for (const Bytes& damaged : {Bytes{200, 4, 1}, Bytes{2, 0, 1, 2}, Bytes{2, 4, 3, 0}}) {
        dev.SetData(stFixedInsert, damaged);
        dev.SetData(stInsert, damaged);
        TFixedInsert f;
        TSwitchableInsert s;
        EXPECT_FALSE(GetFixedInsert(dev, 3, f));
        EXPECT_FALSE(GetSwitchableInsert(dev, 3, s));
        EXPECT_EQ(dev.GetData(stFixedInsert), damaged);
    }
}

TGlobalPoolRecord Pool(std::uint32_t source, int lines)
{
    TGlobalPoolRecord pool;
    InitGlobalPoolLine(pool);
    pool.SourceDevice = source;
    pool.Count = static_cast<std::uint8_t>(lines);
    for (int i = 0; i < std::min(lines, kMaxPoolLines); ++i)
        pool.Lines[static_cast<std::size_t>(i)] = {static_cast<std::uint16_t>(0x0300 + i), static_cast<std::uint16_t>(0x0500 + i), 0, 0};
    return pool;
}

TEST_F(Inserts, PoolLayoutAndCountLimit)
{
    TGlobalPoolRecord out;
    EXPECT_EQ(GetGlobalPoolLines(dev, out), 0);
    TGlobalPoolRecord pool = Pool(5, 12);
    SetGlobalPoolLines(dev, pool);
    EXPECT_EQ(pool.Count, 10);
    const Bytes payload = dev.GetData(stGlobalPool);
    ASSERT_EQ(payload.size(), 8u + 60);
    EXPECT_EQ(payload[0], 8);
    EXPECT_EQ(payload[1], 6);
    EXPECT_EQ(payload[2], 10);
    EXPECT_EQ(readBE32(payload, 4), 5u);
    EXPECT_EQ(readBE16(payload, 8 + 6 * 9), 0x0309);
    ASSERT_EQ(GetGlobalPoolLines(dev, out), 1);
    EXPECT_EQ(out.Lines[9].RemoteOutput, 0x0509);

    DeletePoolLine(out, 0);
    EXPECT_EQ(out.Count, 9);
    EXPECT_EQ(out.Lines[0].LocalInput, 0x0301);
    EXPECT_TRUE(DeletePoolLineOfInput(out, 0x0305));
    EXPECT_FALSE(DeletePoolLineOfInput(out, 0x0305));
    EXPECT_EQ(out.Count, 8);
    // Lines past the count are not in use.
    EXPECT_TRUE(PoolUsesLocalInput(out, 0x0309));
    EXPECT_FALSE(PoolUsesLocalInput(out, 0x0305));
    EXPECT_TRUE(PoolUsesRemoteOutput(out, 0x0501));
    EXPECT_FALSE(PoolUsesRemoteOutput(out, 0x0500));
    out.Lines[8].LocalInput = 0x0377;
    EXPECT_FALSE(PoolUsesLocalInput(out, 0x0377));
    AddPoolLine(out);
    EXPECT_EQ(out.Count, 9);
    EXPECT_EQ(out.Lines[8].LocalInput, 0);
    AddPoolLine(out);
    AddPoolLine(out);
    EXPECT_EQ(out.Count, 10);

    pool.SourceDevice = 0;
    SetGlobalPoolLines(dev, pool);
    Bytes removed;
    EXPECT_FALSE(dev.GetData(stGlobalPool, removed));
}

TEST_F(Inserts, ChangingThePoolSourceReleasesPoolFedChannels)
{
    for (int i = 0; i < 149; ++i)
        AddFaderChannel(dev);
    TFaderChannel channel;
    for (const int n : {2, 149}) {
        GetFaderChannel(dev, n, channel);
        channel.Source = static_cast<std::uint16_t>(kPoolFedSource + n);
        channel.PoolSource = 0x0302;
        SetFaderChannel(dev, n, channel);
    }
    TSourceList list;
    GetSourceList(dev, 1, list);
    list.Count = 2;
    list.Entries[0] = {0x8302, 0x8303, {}};
    list.Entries[1] = {0x0302, 0x0303, {}};
    SetSourceList(dev, 1, list);

    TGlobalPoolRecord pool = Pool(5, 2);
    SetGlobalPoolLines(dev, pool); // from no pool to device 5
    for (const int n : {2, 149}) {
        GetFaderChannel(dev, n, channel);
        channel.Source = static_cast<std::uint16_t>(kPoolFedSource + n);
        channel.PoolSource = 0x0302;
        SetFaderChannel(dev, n, channel);
    }
    SetSourceList(dev, 1, list);
    SetGlobalPoolLines(dev, pool); // same source: nothing released
    GetFaderChannel(dev, 149, channel);
    EXPECT_EQ(channel.PoolSource, 0x0302);

    pool.SourceDevice = 7;
    SetGlobalPoolLines(dev, pool);
    for (const int n : {2, 149}) {
        GetFaderChannel(dev, n, channel);
        EXPECT_EQ(channel.Source, 0) << n;
        EXPECT_EQ(channel.PoolSource, 0) << n;
    }
    GetSourceList(dev, 1, list);
    EXPECT_EQ(list.Entries[0].Left, 0);
    EXPECT_EQ(list.Entries[0].Right, 0);
    EXPECT_EQ(list.Entries[1].Left, 0x0302);
}

TEST_F(Inserts, ReleasingThePoolClearsPoolKeysOfEveryModuleTypeWithoutASharedTable)
{
    const struct {
        std::uint16_t type;
        bool cleared;
    } cases[] = {{10, true}, {13, true}, {40, true}, {42, true}, {20, false}, {23, false}};
    for (const auto& c : cases) {
        Bytes module(6, 0);
        writeLE16(module, 0, c.type);
        module[5] = 1;
        Bytes key(42, 0);
        key[1] = 'K';
        key[31] = 1;
        key[34] = 1;
        writeBE16(key, 38, 0x8302);
        module.insert(module.end(), key.begin(), key.end());
        dev.SetSetupData(100, module);
        ClearPoolSourceRefs(dev);
        const Bytes after = dev.GetSetupData(100);
        EXPECT_EQ(readBE16(after, 6 + 38), c.cleared ? 0 : 0x8302) << "module type " << c.type;
        EXPECT_EQ(after[6 + 34], c.cleared ? 0 : 1) << "module type " << c.type;
    }
}

TEST_F(Inserts, OlderPoolLayoutIsConverted)
{
    const Bytes old = {6, 4, 2, 0, 0, 0, 0x03, 0x01, 0x05, 0x11, 0x03, 0x02, 0x05, 0x12, 0x03, 0x13};
    dev.SetData(stGlobalPool, old);
    EXPECT_TRUE(FixGlobalPoolLines(dev));
    const Bytes fixed = dev.GetData(stGlobalPool);
    TGlobalPoolRecord pool;
    ASSERT_EQ(GetGlobalPoolLines(dev, pool), 1);
    EXPECT_EQ(fixed[0], 8);
    EXPECT_EQ(fixed[1], 6);
    EXPECT_EQ(pool.Count, 2);
    EXPECT_EQ(pool.Lines[1].LocalInput, 0x0302);
    EXPECT_EQ(pool.Lines[1].RemoteOutput, 0x0512);
    EXPECT_EQ(pool.Lines[1].Flags, 0);
    EXPECT_EQ(pool.Lines[1].Reserve, 0);
    EXPECT_FALSE(FixGlobalPoolLines(dev));
}

TEST_F(Inserts, DamagedPoolReadsBounded)
{
    for (const Bytes& damaged : {Bytes{8}, Bytes{8, 6, 10, 0, 0, 0, 0, 5, 1, 2}, Bytes{250, 250, 10}}) {
        dev.SetData(stGlobalPool, damaged);
        TGlobalPoolRecord pool;
        ASSERT_EQ(GetGlobalPoolLines(dev, pool), 1);
        EXPECT_EQ(pool.Count, 0);
        EXPECT_EQ(IsSourceListOnGlobalPool(dev, 0), 0);
        EXPECT_EQ(dev.GetData(stGlobalPool), damaged);
    }
}

TEST_F(Inserts, RotarySelectorsOnThePool)
{
    TGlobalPoolRecord pool = Pool(5, 2);
    pool.Lines[1].Flags = 0x03;
    pool.Lines[1].Reserve = 0x32; // rotary selector position 2, monitor bus 2
    EXPECT_TRUE(IsRotarySelectorOnGlobalPool(pool, 2));
    EXPECT_FALSE(IsRotarySelectorOnGlobalPool(pool, 1));
    SetGlobalPoolLines(dev, pool);
    SetRotSelSourceList(dev, 2, 4);
    EXPECT_EQ(IsSourceListOnGlobalPool(dev, 4), 1);
    EXPECT_EQ(IsSourceListOnGlobalPool(dev, 3), 0);
}

TEST_F(Inserts, CardTypeOfChannel)
{
    EXPECT_EQ(GetCardTypeOfChannel(dev, 0x0A05), 848); // slot 9
    EXPECT_EQ(GetCardTypeOfChannel(dev, 0x0305), 0);
    EXPECT_EQ(GetCardTypeOfChannel(dev, 0x0005), 0);
}

Bytes IOCard(int slot, int channels)
{
    Bytes card = {0, 222, static_cast<std::uint8_t>(channels), 0};
    for (int c = 0; c < channels; ++c) {
        Bytes entry(24, 0);
        writeBE16(entry, 16, static_cast<std::uint16_t>(((slot + 1) << 8) | (c == 1 ? 0x40 : 0) | c));
        card.insert(card.end(), entry.begin(), entry.end());
    }
    return card;
}

TEST(PoolAcrossDevices, LinkDeleteRemovesThePoolLineOfItsTargetPort)
{
    test::RecordingHost host;
    TProject project;
    project.AddDevice();
    project.AddDevice();
    TDevice& target = *project.Device(1);
    TGlobalPoolRecord pool = Pool(project.Device(0)->GetDeviceID(), 3);
    pool.Lines[1].LocalInput = 0x0312;
    SetGlobalPoolLines(target, pool);
    TDeviceLink link;
    link.SDev = 0;
    link.TDev = 1;
    link.TPort = 0x0312;
    link.Type = 1;
    ASSERT_GE(AddDeviceLink(project, link), 0);
    GetDeviceLink(project, 0, link);
    DeleteDeviceLink(project, link.ID);
    TGlobalPoolRecord out;
    ASSERT_EQ(GetGlobalPoolLines(target, out), 1);
    EXPECT_EQ(out.Count, 2);
    EXPECT_EQ(out.Lines[1].LocalInput, 0x0302);
}

TEST(PoolAcrossDevices, MADILinkDeleteRemovesTheLinesOfEveryChannelOfTheDSPCard)
{
    test::RecordingHost host;
    TProject project;
    project.AddDevice();
    project.AddDevice();
    TDevice& target = *project.Device(1);
    // DSP card in slot 19: count 2 in the low 9 bits of the little-endian word, flags above.
    Bytes card = {0x03, 0x50, 0x02, 0xFE, 0, 2, 0, 0};
    for (const std::uint16_t id : {0x1401, 0x1402}) {
        Bytes entry(24, 0);
        writeBE16(entry, 16, id);
        card.insert(card.end(), entry.begin(), entry.end());
    }
    target.SetSetupData(19, card);
    TGlobalPoolRecord pool = Pool(project.Device(0)->GetDeviceID(), 3);
    pool.Lines[0].LocalInput = 0x1402;
    pool.Lines[2].LocalInput = 0x1401;
    SetGlobalPoolLines(target, pool);
    TDeviceLink link;
    link.TDev = 1;
    link.TSlot = 19;
    link.Type = 2;
    ASSERT_GE(AddDeviceLink(project, link), 0);
    GetDeviceLink(project, 0, link);
    DeleteDeviceLink(project, link.ID);
    TGlobalPoolRecord out;
    ASSERT_EQ(GetGlobalPoolLines(target, out), 1);
    EXPECT_EQ(out.Count, 1);
    EXPECT_EQ(out.Lines[0].LocalInput, 0x0301);
}

TEST(PoolAcrossDevices, ReplacedCardReleasesReferencesAndPoolFedChannels)
{
    test::RecordingHost host;
    test::AdaptRecorder adapt;
    TProject project;
    project.AddDevice();
    project.AddDevice();
    TDevice& source = *project.Device(0);
    TDevice& fed = *project.Device(1);
    source.SetSetupData(2, IOCard(2, 2));
    TGlobalPoolRecord pool = Pool(source.GetDeviceID(), 1);
    SetGlobalPoolLines(fed, pool);
    AddFaderChannel(fed);
    AddFaderChannel(fed);
    TFaderChannel channel;
    for (const int n : {1, 2}) {
        GetFaderChannel(fed, n, channel);
        channel.Source = static_cast<std::uint16_t>(kPoolFedSource + n);
        channel.PoolSource = n == 1 ? 0x0300 : 0x0341;
        SetFaderChannel(fed, n, channel);
    }
    ClearSlotReferences(project, source.GetDeviceID(), 2, 64, 64);
    // References only to the channel with bit 6, pool-fed channels for every channel of the slot.
    EXPECT_EQ(adapt.calls, std::vector<std::string>{"audio 833 0"});
    for (const int n : {1, 2}) {
        GetFaderChannel(fed, n, channel);
        EXPECT_EQ(channel.Source, 0) << n;
    }
}

} // namespace
} // namespace kvr::model
