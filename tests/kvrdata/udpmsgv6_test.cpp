#include "kvrdata/udpmsgv6.h"

#include "kvrdata/blockstream.h"
#include "kvrdata/deviceaddr.h"

#include <gtest/gtest.h>

using namespace Kvrdata_ns;
using Bytes = std::vector<std::uint8_t>;

namespace {

void setData(TUDPMsgV6& Msg, const Bytes& Data)
{
    TMemoryStream& s = *Msg.GetData()->GetStream();
    s.Clear();
    s.Write(Data.data(), static_cast<int>(Data.size()));
}

Bytes dataOf(TUDPMsgV6& Msg)
{
    return Msg.GetData()->GetStream()->Bytes();
}

Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes be32(unsigned v)
{
    return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v)};
}

Bytes text10(const char* s)
{
    Bytes b(10, 0);
    for (std::size_t i = 0; s[i] && i < 10; ++i)
        b[i] = static_cast<std::uint8_t>(s[i]);
    return b;
}

// One TBCDevice block: header, "Values" group, then the eight members.
Bytes deviceBlock(unsigned firmware)
{
    return join({{0x00, 0x00, 0x00, 0x2A, 0x01, 0x00, 0x00, 0x26},
                 be32(0x00123456),
                 {0x05},
                 be32(0x41424344),
                 be32(0x00000100),
                 text10("KX7500"),
                 text10("Studio 1"),
                 be32(firmware),
                 {0x07}});
}

// Older-style status record in wire order: Count, then entries (value 0x10+i, i; bytes A0 B0).
Bytes statusRecord(std::uint16_t count, std::size_t entriesPresent)
{
    Bytes d = join({be32(V6TypeDeviceStatus), be32(0x00000305), be32(0x0000012A), be32(0x41424344),
                    be32(0x00010002), text10("Main A")});
    d.push_back(static_cast<std::uint8_t>(count >> 8));
    d.push_back(static_cast<std::uint8_t>(count));
    for (std::size_t i = 0; i < entriesPresent; ++i)
        d.insert(d.end(), {static_cast<std::uint8_t>(0x10 + i), static_cast<std::uint8_t>(i), 0xA0, 0xB0});
    return d;
}

} // namespace

TEST(UDPMsgV6, BlockFormatByteExactAndReadAgainDecodesAfresh)
{
    TUDPMsgV6 msg;
    msg.FromIP = 0xC0A8010A;
    msg.FromPort = 2009;
    setData(msg, {1, 2, 3, 4, 5});
    Bytes v;
    ASSERT_TRUE(msg.ToVariant(v));
    const Bytes expected{0x00, 0x00, 0x00, 0x15,                                                      // message
                         0x01, 0x00, 0x00, 0x08, 0xC0, 0xA8, 0x01, 0x0A, 0x00, 0x00, 0x07, 0xD9,      // Values
                         0x00, 0x00, 0x00, 0x05, 1, 2, 3, 4, 5};                                       // &Data
    EXPECT_EQ(v, expected);

    TUDPMsgV6 copy;
    setData(copy, join({{0xFE, 0x00, 0x00, 0x09}, {7}}));
    ASSERT_NE(copy.GetCANBlock(), nullptr);
    ASSERT_TRUE(copy.FromVariant(v));
    EXPECT_EQ(copy.MsgType, V6NotDecoded) << "reading discards the earlier decoding";
    EXPECT_EQ(copy.FromIP, 0xC0A8010Au);
    EXPECT_EQ(copy.FromPort, 2009u);
    EXPECT_EQ(dataOf(copy), (Bytes{1, 2, 3, 4, 5}));
    EXPECT_EQ(copy.GetMsgType(), 0x01020304);

    // The next decoding sees the new data.
    TUDPMsgV6 device;
    setData(device, join({be32(V6TypeDevice), deviceBlock(1)}));
    ASSERT_TRUE(device.ToVariant(v));
    ASSERT_TRUE(copy.FromVariant(v));
    ASSERT_NE(copy.GetDevice(), nullptr);
    EXPECT_EQ(copy.GetCANBlock(), nullptr);

    // Clearing returns the message to undecoded as well and empties the data.
    copy.ClearMembers();
    EXPECT_EQ(copy.MsgType, V6NotDecoded);
    EXPECT_TRUE(dataOf(copy).empty());
    EXPECT_EQ(copy.GetDevice(), nullptr);
    EXPECT_EQ(copy.GetMsgType(), V6TooShort);
}

TEST(UDPMsgV6, ShortDataDecodeToNothing)
{
    for (const Bytes& d : {Bytes{}, Bytes{0xFE, 0x06, 0x20}}) {
        TUDPMsgV6 msg;
        setData(msg, d);
        EXPECT_EQ(msg.GetMsgType(), V6TooShort);
        EXPECT_EQ(msg.GetDevice(), nullptr);
        EXPECT_EQ(msg.GetRouting(), nullptr);
        EXPECT_EQ(msg.GetCANBlock(), nullptr);
    }
}

TEST(UDPMsgV6, ExtendedTypesBecomeControlBlocks)
{
    TUDPMsgV6 msg;
    const Bytes body{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    setData(msg, join({be32(V6TypeErrorReport), body}));
    EXPECT_EQ(msg.GetMsgType(), static_cast<int>(V6TypeErrorReport));
    EXPECT_EQ(msg.GetDevice(), nullptr);
    const TKVRCANBlock* cb = msg.GetCANBlock();
    ASSERT_NE(cb, nullptr);
    EXPECT_EQ(cb->ID, V6TypeErrorReport);
    EXPECT_EQ(cb->Len, 12);
    EXPECT_TRUE(std::equal(body.begin(), body.end(), cb->Data.begin()));
    EXPECT_EQ(cb->Data[12], 0);

    // A record that does not fit the 256 data bytes keeps no data.
    TUDPMsgV6 big;
    setData(big, join({be32(0xFE000004), Bytes(256, 0xAA)}));
    ASSERT_NE(big.GetCANBlock(), nullptr);
    EXPECT_EQ(big.GetCANBlock()->Len, 0);
    EXPECT_EQ(big.GetCANBlock()->Data[0], 0);
}

TEST(UDPMsgV6, GlobalLogicDatagramConvertedToHostOrder)
{
    // Type, project ID, Len, reserved, control-block ID, logic number 7, state 1: 17 bytes.
    const Bytes wire{0x20, 0x08, 0x19, 0x96, 'A', 'B', 'C', 'D', 3, 0, 0x11, 0x50, 0x00, 0x00, 0x00, 0x07, 1};
    TUDPMsgV6 msg;
    setData(msg, wire);
    EXPECT_EQ(msg.GetMsgType(), 0x20081996);
    const TKVRCANBlock* cb = msg.GetCANBlock();
    ASSERT_NE(cb, nullptr);
    EXPECT_EQ(cb->ID, 0x20081996u);
    EXPECT_EQ(cb->Len, 17);
    const Bytes host{0x96, 0x19, 0x08, 0x20, 'D', 'C', 'B', 'A', 3, 0, 0x00, 0x00, 0x50, 0x11, 0x00, 0x07, 1};
    EXPECT_EQ(Bytes(cb->Data.begin(), cb->Data.begin() + 17), host);
    EXPECT_EQ(cb->Data[17], 0);
    EXPECT_EQ(dataOf(msg), host) << "the data stay converted";
    EXPECT_EQ(msg.GetDevice(), nullptr);

    // Shorter than its layout: only fields wholly inside are converted.
    TUDPMsgV6 cut;
    setData(cut, {0x20, 0x08, 0x19, 0x96, 'A', 'B', 'C', 'D', 3, 0, 0x11, 0x50});
    ASSERT_NE(cut.GetCANBlock(), nullptr);
    EXPECT_EQ(dataOf(cut), (Bytes{0x96, 0x19, 0x08, 0x20, 'D', 'C', 'B', 'A', 3, 0, 0x11, 0x50}));
    EXPECT_EQ(cut.GetCANBlock()->Len, 12);
}

TEST(UDPMsgV6, OlderStyleStatusRecord)
{
    TUDPMsgV6 msg;
    setData(msg, statusRecord(40, 40));
    const TBCDevice* device = msg.GetDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(msg.GetMsgType(), static_cast<int>(V6TypeDeviceStatus));
    EXPECT_EQ(device->MAC, 0x305u);
    EXPECT_EQ(device->DID, 0x2A) << "the least significant byte";
    EXPECT_EQ(device->PID, 0x41424344u);
    EXPECT_EQ(device->TS, 0x00010002u);
    EXPECT_STREQ(device->DeviceName.c_str(), "Main A");
    EXPECT_STREQ(device->HardwareName.c_str(), "");
    EXPECT_EQ(device->FirmwareVersion, 0u);
    EXPECT_EQ(device->DeviceType, 42);
    EXPECT_EQ(device->GetPIDStr(), "ABCD");
    EXPECT_EQ(msg.GetCANBlock(), nullptr);

    const Bytes d = dataOf(msg);
    EXPECT_EQ(Bytes(d.begin() + 30, d.begin() + 32), (Bytes{40, 0})) << "count in host order";
    EXPECT_EQ(Bytes(d.begin() + 32 + 4 * 31, d.begin() + 32 + 4 * 32), (Bytes{31, 0x2F, 0xA0, 0xB0}));
    EXPECT_EQ(Bytes(d.begin() + 32 + 4 * 32, d.begin() + 32 + 4 * 33), (Bytes{0x30, 32, 0xA0, 0xB0}))
        << "only 32 entries are converted";
}

TEST(UDPMsgV6, TruncatedStatusRecordReadsOnlyWhatIsThere)
{
    const struct {
        std::size_t size;
        unsigned mac, pid, ts;
        const char* name;
    } cases[] = {
        {6, 0, 0, 0, ""},
        {18, 0x305, 0x41424344, 0, ""},
        {29, 0x305, 0x41424344, 0x00010002, ""},
        {30, 0x305, 0x41424344, 0x00010002, "Main A"},
        {32 + 4 * 3 + 2, 0x305, 0x41424344, 0x00010002, "Main A"}, // count 9, three and a half entries
    };
    for (const auto& c : cases) {
        Bytes wire = statusRecord(9, 4);
        wire.resize(c.size);
        TUDPMsgV6 msg;
        setData(msg, wire);
        const TBCDevice* device = msg.GetDevice();
        ASSERT_NE(device, nullptr) << c.size;
        EXPECT_EQ(device->MAC, c.mac) << c.size;
        EXPECT_EQ(device->PID, c.pid) << c.size;
        EXPECT_EQ(device->TS, c.ts) << c.size;
        EXPECT_STREQ(device->DeviceName.c_str(), c.name) << c.size;
        EXPECT_EQ(dataOf(msg).size(), c.size);
    }
    Bytes wire = statusRecord(9, 4);
    wire.resize(32 + 4 * 3 + 1);
    TUDPMsgV6 msg;
    setData(msg, wire);
    ASSERT_NE(msg.GetDevice(), nullptr);
    EXPECT_EQ(dataOf(msg).back(), 0x13) << "a 16-bit entry cut in half stays as it came";
    EXPECT_EQ(dataOf(msg)[32 + 4 * 2], 0x02);
    EXPECT_EQ(dataOf(msg)[32 + 4 * 2 + 1], 0x12);
}

TEST(UDPMsgV6, DeviceRecordInBlockFormat)
{
    TUDPMsgV6 msg;
    msg.FromIP = 0xC0A8010A;
    setData(msg, join({be32(V6TypeDevice), deviceBlock(0x02041B00)}));
    const TBCDevice* device = msg.GetDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(msg.DecodeResult, 0);
    EXPECT_EQ(device->MAC, 0x00123456u);
    EXPECT_EQ(device->DID, 5);
    EXPECT_EQ(device->PID, 0x41424344u);
    EXPECT_EQ(device->TS, 0x100u);
    EXPECT_STREQ(device->HardwareName.c_str(), "KX7500");
    EXPECT_STREQ(device->DeviceName.c_str(), "Studio 1");
    EXPECT_EQ(device->FirmwareVersion, 0x05630000u) << "the older number of that release is mapped";
    EXPECT_EQ(device->DeviceType, 7);
    EXPECT_EQ(device->Elem.Size(), 0);

    TDeviceAddr addr(msg, "CX4");
    EXPECT_EQ(addr.CK, dckBroadcast);
    EXPECT_EQ(addr.FirmwareVersion, 0x05630000u);
    EXPECT_EQ(addr.IP, 0xC0A8010Au);

    // Writing a device gives the same block.
    TBCDevice written;
    written.MAC = 0x00123456;
    written.DID = 5;
    written.PID = 0x41424344;
    written.TS = 0x100;
    written.HardwareName = "KX7500";
    written.DeviceName = "Studio 1";
    written.FirmwareVersion = 0x02041B00;
    written.DeviceType = 7;
    Bytes v;
    ASSERT_TRUE(written.ToVariant(v));
    EXPECT_EQ(v, deviceBlock(0x02041B00));
    EXPECT_EQ(written.FirmwareVersion, 0x05630000u) << "after any write too";
}

TEST(UDPMsgV6, BrokenDeviceRecordLeavesNothingDecoded)
{
    Bytes block = deviceBlock(1);
    block[3] = 0x50; // size beyond the data
    TUDPMsgV6 msg;
    setData(msg, join({be32(V6TypeDevice), block}));
    EXPECT_EQ(msg.GetDevice(), nullptr);
    EXPECT_GE(msg.DecodeResult, 999);
    EXPECT_EQ(msg.MsgType, V6NotDecoded) << "the next query decodes again";
}

TEST(UDPMsgV6, RoutingRecords)
{
    const Bytes pairs = join({be32(1), be32(2), be32(3), be32(4)});
    for (unsigned type = V6TypeRoutingFirst; type <= V6TypeRoutingLast; ++type) {
        TUDPMsgV6 msg;
        setData(msg, join({be32(type), be32(0x41424344), {9, 2}, pairs}));
        const TBCRouting* routing = msg.GetRouting();
        ASSERT_NE(routing, nullptr) << std::hex << type;
        EXPECT_EQ(routing->PID, 0x41424344u);
        EXPECT_EQ(routing->DID, 9);
        ASSERT_EQ(routing->CPCount, 2);
        ASSERT_EQ(const_cast<TBCRouting*>(routing)->Elem.Size(), 2);
        const auto* second = const_cast<TBCRouting*>(routing)->Elem.Element(1);
        EXPECT_EQ(second->OutputAddr, 3u);
        EXPECT_EQ(second->InputAddr, 4u);
        EXPECT_EQ(msg.GetCANBlock(), nullptr);
        EXPECT_EQ(msg.GetDevice(), nullptr);
    }

    const struct {
        const char* what;
        Bytes body;
        std::uint8_t count;
    } cases[] = {
        {"no crosspoints", join({be32(1), {9, 0}}), 0},
        {"count beyond the data", join({be32(1), {9, 5}, pairs, {1, 2, 3}}), 2},
        {"header cut short", {0x41, 0x42, 0x43}, 0},
        {"no body", {}, 0},
    };
    for (const auto& c : cases) {
        TUDPMsgV6 msg;
        setData(msg, join({be32(V6TypeRoutingFirst), c.body}));
        TBCRouting* routing = msg.GetRouting();
        ASSERT_NE(routing, nullptr) << c.what;
        EXPECT_EQ(routing->CPCount, c.count) << c.what;
        EXPECT_EQ(routing->Elem.Size(), c.count) << c.what;
    }

    TUDPMsgV6 next;
    setData(next, join({be32(V6TypeRoutingLast + 1), {1}}));
    EXPECT_EQ(next.GetRouting(), nullptr);
    EXPECT_NE(next.GetCANBlock(), nullptr);
}

TEST(UDPMsgV6, RoutingBlockFormat)
{
    TBCRouting routing;
    routing.PID = 0x41424344;
    routing.DID = 9;
    routing.AddCrosspoint(1, 2);
    routing.AddCrosspoint(3, 4);
    routing.CPCount = 3; // more than there are: the count written is the number written
    Bytes v;
    ASSERT_TRUE(routing.ToVariant(v));
    const Bytes expected = join({{0x00, 0x00, 0x00, 0x1A, 0x01, 0x00, 0x00, 0x16},
                                 be32(0x41424344),
                                 {9, 2},
                                 be32(1),
                                 be32(2),
                                 be32(3),
                                 be32(4)});
    EXPECT_EQ(v, expected);

    TBCRouting read;
    read.AddCrosspoint(7, 7);
    Bytes copy = v;
    ASSERT_TRUE(read.FromVariant(copy));
    ASSERT_EQ(read.Elem.Size(), 2) << "earlier crosspoints are replaced";
    EXPECT_EQ(read.CPCount, 2);
    EXPECT_EQ(read.Elem.Element(0)->OutputAddr, 1u);
    EXPECT_EQ(read.Elem.Element(1)->InputAddr, 4u);

    // A count larger than the pairs present: only whole pairs become crosspoints.
    const Bytes shortBlock =
        join({{0x00, 0x00, 0x00, 0x12, 0x01, 0x00, 0x00, 0x0E}, be32(0x41424344), {9, 3}, be32(5), be32(6)});
    copy = shortBlock;
    ASSERT_TRUE(read.FromVariant(copy));
    ASSERT_EQ(read.Elem.Size(), 1);
    EXPECT_EQ(read.CPCount, 1);
    EXPECT_EQ(read.Elem.Element(0)->InputAddr, 6u);

    read.ClearMembers();
    EXPECT_EQ(read.Elem.Size(), 0);
    read.AddCrosspoint(1, 1);
    read.CPCount = 1;
    read.Init();
    EXPECT_EQ(read.Elem.Size(), 0);
    EXPECT_EQ(read.CPCount, 0);
}

TEST(UDPMsgV6, ClassNamesAndVectorOfMessages)
{
    EXPECT_EQ(TUDPMsgV6().GetClassName(), "TUDPMsgV6");
    EXPECT_EQ(TBCDevice().GetClassName(), "TBCDevice");
    EXPECT_EQ(TBCModule().GetClassName(), "TBCModule");
    EXPECT_EQ(TBCRouting().GetClassName(), "TBCRouting");
    EXPECT_EQ(TBCCrosspoint().GetClassName(), "TBCCrosspoint");
    EXPECT_EQ(TUDPMsgsV6().GetClassName(), "TBOVector<TUDPMsgV6>");
    EXPECT_EQ(TBCModules().GetClassName(), "TBOVector<TBCModule>");
    EXPECT_EQ(TBCCrosspoints().GetClassName(), "TBOVector<TBCCrosspoint>");

    TUDPMsgsV6 msgs;
    for (unsigned i = 0; i < 2; ++i) {
        auto* m = static_cast<TUDPMsgV6*>(msgs.CreateElement());
        msgs.Insert(m);
        m->FromIP = 0x0A000001 + i;
        setData(*m, join({be32(V6TypeDevice), deviceBlock(i)}));
    }
    Bytes v;
    ASSERT_TRUE(msgs.ToVariant(v));
    TUDPMsgsV6 read;
    ASSERT_TRUE(read.FromVariant(v));
    ASSERT_EQ(read.Size(), 2);
    EXPECT_EQ(read.Element(1)->FromIP, 0x0A000002u);
    ASSERT_NE(read.Element(1)->GetDevice(), nullptr);
    EXPECT_EQ(read.Element(1)->GetDevice()->FirmwareVersion, 1u);
}
