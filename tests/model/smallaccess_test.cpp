#include "model/gpoaccess.h"
#include "model/potaccess.h"
#include "model/recordtext.h"
#include "model/smallrecordaccess.h"
#include "recordfixture.h"

#include <cstring>

using namespace kvr::model;
using namespace kvr::model::test;

namespace {

class SmallAccess : public RecordTest {};

std::array<std::uint8_t, 10> Name10(const char* text)
{
    std::array<std::uint8_t, 10> n{};
    std::memcpy(n.data(), text, std::min<std::size_t>(std::strlen(text), 10));
    return n;
}

} // namespace

TEST_F(SmallAccess, ClearingAPotNameRemovesItsOwnAssignment)
{
    SetPotiAssign(device, 4, 1, 2);
    SetPotiAssign(device, 5, 3, 6);
    SetPotName(device, 5, Name10("Mic"));
    std::string name;
    EXPECT_EQ(GetPotName(device, 5, name), 1);
    EXPECT_EQ(name, "Mic");
    SetPotName(device, 5, Name10(""));
    int slot = 0;
    int input = 0;
    EXPECT_EQ(GetPotiAssign(device, 5, slot, input), 0);
    ASSERT_EQ(GetPotiAssign(device, 4, slot, input), 1); // another pot's assignment stays
    EXPECT_EQ(slot, 1);
    EXPECT_EQ(GetPotName(device, 5, name), 0);
    EXPECT_EQ(name, "Pot. 5");
}

TEST_F(SmallAccess, PotIDsOfCleanFeedsAndOutOfRange)
{
    std::vector<std::uint8_t> feeds(6 * 32, 0);
    std::memcpy(feeds.data() + 5 * 32, "CF Studio", 9);
    device.SetData(stCleanFeed, feeds);
    std::string name = "unchanged";
    EXPECT_EQ(GetPotName(device, 130, name), 1);
    EXPECT_EQ(name, "CF Studio");
    name = "unchanged";
    EXPECT_EQ(GetPotName(device, 131, name), 0);
    EXPECT_EQ(GetPotName(device, 0, name), 0);
    EXPECT_EQ(name, "unchanged");
    const auto before = device.GetAllData();
    SetPotName(device, 125, Name10("x"));
    SetPotName(device, 0, Name10("x"));
    EXPECT_EQ(device.GetAllData(), before);
}

TEST_F(SmallAccess, FindPotModule)
{
    device.SetSetupData(100, ModuleEntry(20, 3));
    device.SetSetupData(112, ModuleEntry(26, 3));
    std::vector<std::uint8_t> entry;
    ASSERT_EQ(FindPotModule(device, 3, entry), 1);
    EXPECT_EQ(entry[0], 26);
    EXPECT_EQ(FindPotModule(device, 4, entry), 0);
}

TEST_F(SmallAccess, SourceListsNetworkAndGlobalLogics)
{
    TSourceList list;
    EXPECT_EQ(GetSourceList(device, 3, list), 0);
    EXPECT_EQ(LabelText(list.Label), "Source List 4");
    list.Count = 1;
    list.Entries[0].Left = 0x4002;
    SetSourceList(device, 3, list);
    EXPECT_TRUE(device.FAudioSourcesChanged);
    ASSERT_EQ(GetSourceList(device, 3, list), 1);
    EXPECT_EQ(list.Entries[0].Left, 0x4002);
    const auto before = device.GetAllData();
    SetSourceList(device, 11, list);
    EXPECT_EQ(GetSourceList(device, -1, list), 0);
    EXPECT_EQ(device.GetAllData(), before);

    TNetworkSettings net;
    GetNetworkSettings(device, net);
    EXPECT_EQ(net.Flags, kNetworkDHCP);
    net.IP = 0x0A000005;
    net.Flags = 0x80000001u;
    SetNetworkSettings(device, net);
    EXPECT_EQ(net.Flags, kNetworkDHCP);
    TNetworkSettings back;
    GetNetworkSettings(device, back);
    EXPECT_EQ(back.IP, 0x0A000005u);

    SetGLSource(device, 3, 0xC001);
    SetGLSource(device, 12, 0xC002);
    SetGLSource(device, 5, 0xC003);
    SetGLSource(device, 12, 0);
    EXPECT_EQ(device.GetData(stGLAssign), (std::vector<std::uint8_t>{2, 0, 3, 0, 0xC0, 0x01, 5, 0, 0xC0, 0x03}));
    EXPECT_EQ(GetGLSource(device, 5), 0xC003);
}

TEST_F(SmallAccess, ConsoleNamesRotSelAndLabels)
{
    std::string name;
    EXPECT_EQ(GetConsoleName(device, 2, name), 0);
    EXPECT_EQ(name, "Console 3");
    std::array<std::uint8_t, 16> n{'D', 'e', 's', 'k'};
    SetConsoleName(device, 2, n);
    EXPECT_EQ(device.GetData(stConsoleNames).size(), 100u);
    EXPECT_EQ(GetConsoleName(device, 2, name), 1);
    EXPECT_EQ(name, "Desk");
    EXPECT_EQ(GetConsoleName(device, 6, name), 0);
    EXPECT_EQ(name, "Desk"); // left as it was

    const auto before = device.GetAllData();
    SetRotSelSourceList(device, 4, -1);
    EXPECT_EQ(device.GetAllData(), before);
    SetRotSelSourceList(device, 4, 2);
    EXPECT_EQ(GetRotSelSourceList(device, 4), 2);
    EXPECT_EQ(GetRotSelSourceList(device, 5), -1);
}

TEST_F(SmallAccess, CalcGPOIDReadsTheSlotsCard)
{
    device.SetSetupData(5, std::vector<std::uint8_t>{0x01, 0x37, 0, 0}); // 311 GPIO card
    device.SetSetupData(12, std::vector<std::uint8_t>{0x00, 0xDE, 0, 0}); // 222
    EXPECT_EQ(CalcGPOID(device, 5, 6), 0x8502);
    EXPECT_EQ(CalcGPOID(device, 5, 1), 20);
    EXPECT_EQ(CalcGPOID(device, 12, 3), 41);
    EXPECT_EQ(CalcGPOID(device, 12, 2), -1);
    EXPECT_EQ(GetGPORouting(device, 41), 0xC000);
    SetGPORouting(device, 0x8502, 0xC123);
    EXPECT_EQ(GetGPORouting(device, 0x8502), 0xC123);
    MakeDummy(device);
    EXPECT_EQ(GetGPORouting(device, 0x8502), 0);
}

TEST_F(SmallAccess, DeviceAddressFromTheImage)
{
    device.SetName("Studio A");
    auto header = device.GetHeader();
    header[dh::ProjectID] = 'A';
    header[dh::ProjectID + 1] = 'B';
    header[dh::ProjectID + 2] = 'C';
    header[dh::ProjectID + 3] = 'D';
    header[dh::DeviceID + 3] = 7;
    device.SetHeader(header, false);
    auto addr = GetDeviceAddr(device);
    EXPECT_EQ(addr.IP, 0u); // no network settings: DHCP
    EXPECT_EQ(addr.PID, 0x41424344u);
    EXPECT_EQ(addr.DID, 7u);
    EXPECT_EQ(addr.CK, Kvrdata_ns::dckBroadcast);
    EXPECT_STREQ(addr.Name.c_str(), "Studio A");

    TNetworkSettings net;
    GetNetworkSettings(device, net);
    net.IP = 0xC0A80105;
    net.Flags = 0;
    SetNetworkSettings(device, net);
    EXPECT_EQ(GetDeviceAddr(device).IP, 0xC0A80105u);
    EXPECT_EQ(device.FAddr.IP, 0xC0A80105u);
    MakeDummy(device);
    device.FAddr.DID = 99;
    EXPECT_EQ(GetDeviceAddr(device).DID, 99u); // not refreshed
}
