#include "kvrdata/deviceaddr.h"

#include "kvrdata/blockstream.h"
#include "kvrdata/udpmsgv6.h"

#include <gtest/gtest.h>

using namespace Kvrdata_ns;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr unsigned PID_ABCD = 0x41424344;

TDeviceAddr sampleAddr()
{
    TDeviceAddr a;
    a.IP = 0xC0A8010A;
    a.MAC = 0x00123456;
    a.PID = PID_ABCD;
    a.DID = 42;
    a.Name = "Studio 1";
    a.CK = dckBroadcast;
    a.COMPort = 3;
    a.Server = "srv";
    a.Client = "CX4";
    a.FirmwareVersion = 0x05630000;
    a.ConnectionType = dctTCP;
    return a;
}

const Bytes sampleBytes{
    0x00, 0x00, 0x00, 0x2A,                                     // header: ID, option, body size 42
    0xC0, 0xA8, 0x01, 0x0A,                                     // IP
    0x00, 0x12, 0x34, 0x56,                                     // MAC
    0x41, 0x42, 0x43, 0x44,                                     // PID
    0x00, 0x00, 0x00, 0x2A,                                     // DID
    'S', 't', 'u', 'd', 'i', 'o', ' ', '1', 0x00, 0x00,         // Name
    0x00, 0x00, 0x00, 0x01,                                     // CK as an int
    0x03,                                                       // COMPort
    0x03, 's', 'r', 'v',                                        // Server
    'C', 'X', '4',                                              // Client
    0x05, 0x63, 0x00, 0x00,                                     // FirmwareVersion
};

// A newer-generation broadcast carrying an older-style status record (wire order).
void setStatusDatagram(TUDPMsgV6& Msg, unsigned IP, unsigned MAC, unsigned DID, unsigned PID)
{
    Bytes d(32, 0);
    auto be32 = [&](std::size_t at, unsigned v) {
        for (int i = 0; i < 4; ++i)
            d[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
    };
    be32(0, V6TypeDeviceStatus);
    be32(4, MAC);
    be32(8, DID);
    be32(12, PID);
    Msg.FromIP = IP;
    TMemoryStream& s = *Msg.GetData()->GetStream();
    s.Clear();
    s.Write(d.data(), static_cast<int>(d.size()));
}

} // namespace

TEST(DeviceAddr, DefaultAddressAndItsBlock)
{
    TDeviceAddr a;
    EXPECT_EQ(a.GetDescription(), "None");
    EXPECT_EQ(a.GetConnectionType(), dctUnknown);
    EXPECT_STREQ(a.Client.c_str(), "UKN");
    EXPECT_STREQ(a.Server.c_str(), "");
    EXPECT_STREQ(a.Name.c_str(), "");
    EXPECT_EQ(a.GetClassName(), "TBlockObject");

    Bytes v;
    ASSERT_TRUE(a.ToVariant(v));
    Bytes expected(43, 0);
    expected[3] = 0x27;
    expected[36] = 'U';
    expected[37] = 'K';
    expected[38] = 'N';
    EXPECT_EQ(v, expected);
}

TEST(DeviceAddr, BlockFormatByteExactAndBack)
{
    TDeviceAddr a = sampleAddr();
    Bytes v;
    ASSERT_TRUE(a.ToVariant(v));
    EXPECT_EQ(v, sampleBytes);

    TDeviceAddr b;
    b.ConnectionType = dctUSB;
    ASSERT_TRUE(b.FromVariant(v));
    EXPECT_TRUE(v.empty());
    EXPECT_EQ(b.IP, a.IP);
    EXPECT_EQ(b.MAC, a.MAC);
    EXPECT_EQ(b.PID, a.PID);
    EXPECT_EQ(b.DID, a.DID);
    EXPECT_STREQ(b.Name.c_str(), "Studio 1");
    EXPECT_EQ(b.CK, dckBroadcast);
    EXPECT_EQ(b.COMPort, 3);
    EXPECT_STREQ(b.Server.c_str(), "srv");
    EXPECT_STREQ(b.Client.c_str(), "CX4");
    EXPECT_EQ(b.FirmwareVersion, 0x05630000u);
    EXPECT_EQ(b.ConnectionType, dctUSB) << "the connection type never travels";

    // The kind travels as an int; the member keeps its low byte.
    Bytes wide = sampleBytes;
    wide[32] = 0x7F;
    wide[33] = 0x02;
    ASSERT_TRUE(b.FromVariant(wide));
    EXPECT_EQ(b.CK, dckFixedIP);

    Bytes truncated(sampleBytes.begin(), sampleBytes.begin() + 20);
    EXPECT_FALSE(b.FromVariant(truncated));
}

TEST(DeviceAddr, CopiesCarryEveryMember)
{
    const TDeviceAddr a = sampleAddr();
    TDeviceAddr copy(a);
    TDeviceAddr assigned;
    assigned = a;
    for (const TDeviceAddr* c : {&copy, &assigned}) {
        Bytes v;
        ASSERT_TRUE(const_cast<TDeviceAddr*>(c)->ToVariant(v));
        EXPECT_EQ(v, sampleBytes);
        EXPECT_EQ(c->ConnectionType, dctTCP);
    }
    TDeviceAddr viaBlocks;
    viaBlocks.Assign(&copy);
    EXPECT_EQ(viaBlocks.PID, PID_ABCD);
    EXPECT_EQ(viaBlocks.ConnectionType, dctUnknown) << "Assign copies only what is described";
}

TEST(DeviceAddr, Descriptions)
{
    const struct {
        TKVRConnectionKind ck;
        unsigned pid;
        const char* text;
    } cases[] = {
        {dckBroadcast, PID_ABCD, "Project: ABCD Device: 0000002A"},
        {dckBroadcast, 0, "Project:  Device: 0000002A"},
        {dckBroadcast, 0x41420044, "Project: AB Device: 0000002A"},
        {dckFixedIP, 0, "Fixed IP Address: 192.168.1.10"},
        {dckCOMPort, 0, "COM Port 4"},
        {dckUSB, 0, "USB"},
        {static_cast<TKVRConnectionKind>(9), 0, ""},
    };
    for (const auto& c : cases) {
        TDeviceAddr a;
        a.CK = c.ck;
        a.PID = c.pid;
        a.DID = 42;
        a.IP = 0xC0A8010A;
        a.COMPort = 4;
        a.MAC = 7; // another port than COMPort: the description shows COMPort
        EXPECT_EQ(a.GetDescription(), c.text);
    }
}

TEST(DeviceAddr, ConnectionTypeAndPort)
{
    const struct {
        TKVRConnectionKind ck;
        unsigned mac;
        TConnectionType type;
        std::uint8_t port; // GetCOMPort with COMPort 9
        const char* address;
    } cases[] = {
        {dckBroadcast, 768, dctTCP, 9, "10.0.0.1"},
        {dckBroadcast, 7, dctCOM, 7, "7"},
        {dckBroadcast, 0, dctUDP, 0, ""}, // the stored type
        {dckBroadcast, 255, dctCOM, 9, "9"},
        {dckBroadcast, 0x01000005, dctCOM, 5, "5"}, // only the low 24 bits count
        {dckFixedIP, 0x123456, dctTCP, 9, "10.0.0.1"},
        {dckCOMPort, 300, dctCOM, 9, "9"},
        {dckUSB, 0, dctUnknown, 0, ""},
        {dckNone, 0, dctUnknown, 0, ""},
        {static_cast<TKVRConnectionKind>(5), 0, dctUnknown, 0, ""},
    };
    for (const auto& c : cases) {
        TDeviceAddr a;
        a.CK = c.ck;
        a.MAC = c.mac;
        a.COMPort = 9;
        a.IP = 0x0A000001;
        a.ConnectionType = dctUDP;
        EXPECT_EQ(a.GetConnectionType(), c.type) << int(c.ck) << " " << c.mac;
        EXPECT_EQ(a.GetCOMPort(), c.port) << int(c.ck) << " " << c.mac;
        EXPECT_EQ(a.GetAddressText(), c.address) << int(c.ck) << " " << c.mac;
    }

    TDeviceAddr a;
    a.MAC = 0x00123456;
    a.SetCOMPort(255);
    EXPECT_EQ(a.COMPort, 255);
    EXPECT_EQ(a.MAC, 0x00123456u);
    a.SetCOMPort(3);
    EXPECT_EQ(a.MAC, 3u);
}

TEST(DeviceAddr, TextHelpers)
{
    std::string text = "old";
    EXPECT_TRUE(IPToStr(0xC0A80101, text));
    EXPECT_EQ(text, "192.168.1.1");

    const struct {
        const char* text;
        bool ok;
        unsigned ip;
    } cases[] = {
        {"192.168.1.1", true, 0xC0A80101},
        {"255.255.255.255", true, 0xFFFFFFFF},
        {" 10. 0.0.+7 rest", true, 0x0A000007}, // what "%d.%d.%d.%d" accepts
        {"-0.1.2.3", true, 0x00010203},
        {"10.0.0.256", false, 0},
        {"1.-2.3.4", false, 0},
        {"99999999999999999999.1.1.1", false, 0},
        {"1.2.3", false, 0}, // fewer than four numbers
        {"1.2.3.", false, 0},
        {"1 .2.3.4", false, 0},
        {"", false, 0},
        {"a.b.c.d", false, 0},
    };
    for (const auto& c : cases) {
        unsigned ip = 0x5A5A5A5A;
        EXPECT_EQ(StrToIP(ip, c.text), c.ok) << c.text;
        EXPECT_EQ(ip, c.ok ? c.ip : 0x5A5A5A5Au) << c.text;
    }

    EXPECT_EQ(PIDToStr(0x41420000), "AB");
    EXPECT_EQ(PIDToStr(0), "");
    EXPECT_EQ(PIDToStr(0x00410042), "A B");
    EXPECT_EQ(PIDToStr(PID_ABCD), "ABCD");
}

TEST(DeviceAddr, FromNewerGenerationBroadcast)
{
    const struct {
        const char* what;
        unsigned fromIP, mac, did, pid;
        TKVRConnectionKind ck;
        unsigned ip, addrMAC, addrDID, addrPID;
        std::uint8_t port;
    } cases[] = {
        {"project device", 0xC0A8010A, 0x123456, 5, PID_ABCD, dckBroadcast, 0xC0A8010A, 0x123456, 5, PID_ABCD, 0},
        {"DID 0 with sender", 0xC0A8010A, 0x123456, 0, PID_ABCD, dckFixedIP, 0xC0A8010A, 0x123456, 0, 0, 0},
        {"PID 0 with sender", 0xC0A8010A, 0x123456, 5, 0, dckFixedIP, 0xC0A8010A, 0x123456, 0, 0, 0},
        {"serial line", 0, 5, 0, 0, dckCOMPort, 0, 5, 0, 0, 5},
        {"nothing fits", 0, 0x123456, 0, 0, dckNone, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        TUDPMsgV6 msg;
        setStatusDatagram(msg, c.fromIP, c.mac, c.did, c.pid);
        TDeviceAddr a(msg, "");
        EXPECT_EQ(a.CK, c.ck) << c.what;
        EXPECT_EQ(a.IP, c.ip) << c.what;
        EXPECT_EQ(a.MAC, c.addrMAC) << c.what;
        EXPECT_EQ(a.DID, c.addrDID) << c.what;
        EXPECT_EQ(a.PID, c.addrPID) << c.what;
        EXPECT_EQ(a.COMPort, c.port) << c.what;
        EXPECT_EQ(a.ConnectionType, dctUnknown) << c.what;
        EXPECT_STREQ(a.Client.c_str(), "") << c.what;
    }

    // A broadcast that is no device record leaves the address as initialised.
    TUDPMsgV6 other;
    const std::uint8_t report[] = {0xFE, 0x00, 0x00, 0x02, 1, 2};
    other.GetData()->GetStream()->Write(report, sizeof report);
    other.FromIP = 0x0A000001;
    TDeviceAddr a(other, "CX4");
    EXPECT_EQ(a.CK, dckNone);
    EXPECT_EQ(a.IP, 0u);
    EXPECT_STREQ(a.Client.c_str(), "CX4");
}
