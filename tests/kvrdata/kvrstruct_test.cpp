#include "kvrdata/kvrstruct.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace Kvrdata_ns;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes counting(std::size_t n, std::uint8_t start = 1)
{
    Bytes b(n);
    std::iota(b.begin(), b.end(), start);
    return b;
}

// A received message as the server delivers it: numbers in host (little-endian) order.
TUDPMsg receivedStatus(std::uint32_t length, std::uint16_t count)
{
    Bytes image(UDPMsgSize, 0);
    auto le32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            image[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    le32(0, 0xC0A8010A);
    le32(8, UDPMagicDeviceStatus);
    le32(12, 0x00123456);
    le32(16, 7);
    le32(20, 0x41424344);
    le32(24, 0xFFFFFFFE);
    const char name[] = {'M', 'a', 'i', 'n', '\t', 'A', 0, 'X', 'X', 'X'};
    std::copy(std::begin(name), std::end(name), image.begin() + 28);
    image[38] = static_cast<std::uint8_t>(count);
    image[39] = static_cast<std::uint8_t>(count >> 8);
    for (std::size_t i = 0; i < 32; ++i) {
        image[40 + 4 * i] = static_cast<std::uint8_t>(i);
        image[41 + 4 * i] = 0x10;
        image[42 + 4 * i] = 0xA0;
        image[43 + 4 * i] = 0xB0;
    }
    le32(172, length);
    TUDPMsg msg;
    OverlayUDPMsg(msg, image);
    return msg;
}

} // namespace

TEST(CANBlock, ImageIsLittleEndianHeaderThenData)
{
    KVRCANBlock cb;
    EXPECT_EQ(CANBlockToBytes(cb), (std::array<std::uint8_t, CANBlockSize>{})) << "default block is all zero";
    cb.Len = 3;
    cb.Reserved = 0x5A;
    cb.ID = 0x1A000102;
    cb.Data[0] = 0xAA;
    cb.Data[255] = 0xBB;
    const auto image = CANBlockToBytes(cb);
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 7), (Bytes{3, 0x5A, 0x02, 0x01, 0x00, 0x1A, 0xAA}));
    EXPECT_EQ(image[261], 0xBB);
}

TEST(CANBlock, SentWithAtLeastEightDataBytes)
{
    const struct {
        std::uint8_t len;
        std::size_t sent;
    } cases[] = {{0, 14}, {3, 14}, {8, 14}, {9, 15}, {255, 261}};
    for (const auto& c : cases) {
        KVRCANBlock cb;
        cb.Len = c.len;
        cb.ID = 0x11223344;
        std::iota(cb.Data.begin(), cb.Data.end(), std::uint8_t{0x40});
        Bytes v{9, 9};
        ASSERT_TRUE(CANBlockToVariant(cb, v));
        ASSERT_EQ(v.size(), c.sent) << "Len " << int(c.len);
        const auto image = CANBlockToBytes(cb);
        EXPECT_TRUE(std::equal(v.begin(), v.end(), image.begin()));
    }
}

TEST(CANBlock, ReadCopiesOnlyWhatTheArrayHolds)
{
    KVRCANBlock cb;
    cb.Data.fill(0xEE);
    cb.ID = 0xFFFFFFFF;

    Bytes shortArray = counting(4); // Len, Reserved and the two low ID bytes
    ASSERT_TRUE(VariantToCANBlock(shortArray, cb));
    EXPECT_TRUE(shortArray.empty()) << "the array is released after reading";
    EXPECT_EQ(cb.Len, 1);
    EXPECT_EQ(cb.Reserved, 2);
    EXPECT_EQ(cb.ID, 0xFFFF0403u) << "high ID bytes beyond the array keep their values";
    EXPECT_EQ(cb.Data[0], 0xEE);

    Bytes ten = counting(10);
    ASSERT_TRUE(VariantToCANBlock(ten, cb));
    EXPECT_EQ(cb.ID, 0x06050403u);
    EXPECT_EQ(cb.Data[3], 10);
    EXPECT_EQ(cb.Data[4], 0xEE);

    Bytes big = counting(300);
    ASSERT_TRUE(VariantToCANBlock(big, cb));
    const auto image = CANBlockToBytes(cb);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), counting(262).begin()));
}

TEST(UDPMsg, ImageLayoutAndSentSize)
{
    TUDPMsg msg;
    msg.Address = 0xC0A80001;
    msg.Carried = {1, 2, 3, 4};
    msg.Payload[0] = 0x99;
    msg.Payload[163] = 0x77;
    msg.Length = 0x0102;
    msg.Trailer = 0x55;
    const auto image = UDPMsgToBytes(msg);
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 9), (Bytes{0x01, 0x00, 0xA8, 0xC0, 1, 2, 3, 4, 0x99}));
    EXPECT_EQ(image[171], 0x77);
    EXPECT_EQ(Bytes(image.begin() + 172, image.end()), (Bytes{0x02, 0x01, 0, 0, 0x55}));

    Bytes v;
    ASSERT_TRUE(UDPMsgToVariant(msg, v));
    ASSERT_EQ(v.size(), 176u) << "the last byte is not sent";
    EXPECT_TRUE(std::equal(v.begin(), v.end(), image.begin()));
}

TEST(UDPMsg, ReadZeroesThenCopiesAtMost177Bytes)
{
    TUDPMsg msg;
    msg.Payload.fill(0xEE);
    msg.Trailer = 0xEE;
    Bytes twenty = counting(20);
    ASSERT_TRUE(VariantToUDPMsg(twenty, msg));
    EXPECT_TRUE(twenty.empty());
    auto image = UDPMsgToBytes(msg);
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 20, counting(20).begin()));
    EXPECT_TRUE(std::all_of(image.begin() + 20, image.end(), [](std::uint8_t b) { return b == 0; }));

    Bytes big = counting(200);
    ASSERT_TRUE(VariantToUDPMsg(big, msg));
    image = UDPMsgToBytes(msg);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), counting(177).begin()));
}

TEST(UDPMsg, BroadcastCollection)
{
    auto collection = [](std::uint16_t recordSize, std::size_t bodyBytes) {
        Bytes v{static_cast<std::uint8_t>(recordSize >> 8), static_cast<std::uint8_t>(recordSize), 0xAB, 0xCD};
        const Bytes body = counting(bodyBytes, 0x10);
        v.insert(v.end(), body.begin(), body.end());
        return v;
    };

    TUDPMsgVector msgs(3);
    Bytes header = collection(177, 0);
    EXPECT_TRUE(VariantToUDPMsgs(header, msgs));
    EXPECT_TRUE(msgs.empty()) << "header only";

    Bytes two = collection(177, 354 + 10); // a trailing partial record is ignored
    ASSERT_TRUE(VariantToUDPMsgs(two, msgs));
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_TRUE(two.empty());
    EXPECT_EQ(UDPMsgToBytes(msgs[1])[0], static_cast<std::uint8_t>(0x10 + 177));

    Bytes wide = collection(200, 400);
    ASSERT_TRUE(VariantToUDPMsgs(wide, msgs));
    ASSERT_EQ(msgs.size(), 2u);
    const auto second = UDPMsgToBytes(msgs[1]);
    EXPECT_EQ(Bytes(second.begin(), second.end()), counting(177, static_cast<std::uint8_t>(0x10 + 200)))
        << "each record gives its first 177 bytes";

    // A record size below 177 overwrites only the start of an element kept from before.
    msgs.assign(1, TUDPMsg{});
    msgs[0].Trailer = 0x66;
    Bytes narrow = collection(10, 25);
    ASSERT_TRUE(VariantToUDPMsgs(narrow, msgs));
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[0].Trailer, 0x66);
    EXPECT_EQ(UDPMsgToBytes(msgs[1])[0], 0x10 + 10);
    EXPECT_EQ(msgs[1].Trailer, 0) << "an appended element starts zeroed";
}

TEST(UDPMsg, MalformedCollectionGivesEmptyResultAndFalse)
{
    const Bytes cases[] = {{}, {0x00}, {0x00, 0xB1, 0x00}, {0x00, 0x00, 0x00, 0x00, 1, 2, 3}};
    for (const auto& c : cases) {
        Bytes v = c;
        TUDPMsgVector msgs(2);
        EXPECT_FALSE(VariantToUDPMsgs(v, msgs)) << c.size() << " bytes";
        EXPECT_TRUE(msgs.empty());
        EXPECT_TRUE(v.empty());
    }
}

TEST(UDPMsg, DeviceStatusEntriesDependOnLengthAndAreCapped)
{
    const struct {
        std::uint32_t length;
        std::uint16_t count;
        std::size_t entries;
    } cases[] = {{30, 5, 0}, {31, 5, 5}, {164, 40, 32}, {164, 0, 0}};
    for (const auto& c : cases) {
        TUDPDeviceStatus status;
        ASSERT_TRUE(DecodeDeviceStatus(receivedStatus(c.length, c.count), status));
        EXPECT_EQ(status.Entries.size(), c.entries) << "length " << c.length << " count " << c.count;
    }
    TUDPDeviceStatus status;
    ASSERT_TRUE(DecodeDeviceStatus(receivedStatus(164, 3), status));
    EXPECT_EQ(status.Serial, 0x00123456u);
    EXPECT_EQ(status.DeviceID, 7u);
    EXPECT_EQ(status.ProjectID, 0x41424344u);
    EXPECT_EQ(status.ConfigStamp, -2);
    EXPECT_EQ(status.Name, "Main A") << "control characters become blanks, a zero ends the name";
    EXPECT_EQ(status.Entries[2], (TUDPStatusEntry{0x1002, 0xA0, 0xB0}));

    TUDPMsg other = receivedStatus(164, 3);
    other.Payload[0] ^= 1;
    EXPECT_FALSE(DecodeDeviceStatus(other, status));
}

TEST(UDPMsg, DeviceStatusNameUsesAllTenCharacters)
{
    TUDPMsg msg = receivedStatus(30, 0);
    const char name[] = "ABCDEFGHIJ";
    std::copy(name, name + 10, msg.Payload.begin() + 20);
    TUDPDeviceStatus status;
    ASSERT_TRUE(DecodeDeviceStatus(msg, status));
    EXPECT_EQ(status.Name, "ABCDEFGHIJ");
}

TEST(UDPMsg, ReceivedGlobalLogicAndErrorReports)
{
    // Host-order numbers as the server delivers them; the control-block data stay big-endian.
    const Bytes payload{0x96, 0x19, 0x08, 0x20, 0x44, 0x43, 0x42, 0x41, 3, 0, 0x00, 0x00, 0x50, 0x11,
                        0x01, 0x02, 1, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5};
    TUDPMsg msg;
    std::copy(payload.begin(), payload.end(), msg.Payload.begin());
    msg.Length = 17;
    TUDPGlobalLogic logic;
    ASSERT_TRUE(DecodeGlobalLogic(msg, logic));
    EXPECT_EQ(logic.ProjectID, 0x41424344u);
    EXPECT_EQ(logic.ID, GlobalLogicBlockID);
    EXPECT_EQ(logic.Number, 0x0102);
    EXPECT_EQ(logic.State, 1);
    EXPECT_FALSE(IsErrorReport(msg));

    const KVRCANBlock cb = GetEmbeddedCANBlock(msg);
    EXPECT_EQ(cb.Len, 3);
    EXPECT_EQ(cb.ID, GlobalLogicBlockID);
    EXPECT_EQ(Bytes(cb.Data.begin(), cb.Data.begin() + 9), (Bytes{0x01, 0x02, 1, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0}))
        << "eight data bytes only";

    msg.Payload[12] = 0x10;
    msg.Payload[13] = 0x0F;
    EXPECT_TRUE(IsErrorReport(msg));
    TUDPDeviceStatus unused;
    EXPECT_FALSE(DecodeDeviceStatus(msg, unused));
}

TEST(UDPMsg, SentMessagesByteExact)
{
    const struct {
        const char* what;
        TUDPMsg msg;
        Bytes payload;
        std::uint32_t length;
    } cases[] = {
        {"global logic", MakeGlobalLogicMsg(0x41424344, 0x0203, true),
         {150, 25, 8, 32, 'A', 'B', 'C', 'D', 3, 0, 17, 80, 0, 0, 0x02, 0x03, 1}, 17},
        {"global logic off", MakeGlobalLogicMsg(0x41420000, 5, false),
         {150, 25, 8, 32, 'A', 'B', 0, 0, 3, 0, 17, 80, 0, 0, 0x00, 0x05, 0}, 17},
        {"set DHCP", MakeSetDHCPMsg(), {0x68, 0x19, 0x01, 0x23}, 4},
        {"set device IP", MakeSetDeviceIPMsg(true, {0xAA, 0x0B, 0xC0}, 0xC0A8010A, 0xFFFFFF00),
         {0xEF, 0xBE, 0xAD, 0xDE, 1, 0xAA, 0x0B, 0xC0, 192, 168, 1, 10, 255, 255, 255, 0}, 16},
    };
    for (const auto& c : cases) {
        Bytes v;
        ASSERT_TRUE(UDPMsgToVariant(c.msg, v));
        Bytes expected(176, 0);
        std::fill_n(expected.begin(), 4, 0xFF);
        std::copy(c.payload.begin(), c.payload.end(), expected.begin() + 8);
        expected[172] = static_cast<std::uint8_t>(c.length);
        EXPECT_EQ(v, expected) << c.what;
    }
    EXPECT_EQ(MakeSetDeviceIPMsg(false, {1, 2, 3}, 0, 0).Payload[4], 0);
}

TEST(KvrStruct, SwapInt64AndFormatIP)
{
    EXPECT_EQ(SwapInt64(0x0102030405060708ULL), 0x0807060504030201ULL);
    EXPECT_STREQ(FormatIP(0xC0A8000A), "192.168.0.10");
    EXPECT_STREQ(FormatIP(0xFFFFFFFF), "255.255.255.255");
    EXPECT_STREQ(FormatIP(0), "0.0.0.0");
}
