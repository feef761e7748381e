#include "app/connectionlist.h"

#include <gtest/gtest.h>

#include "../client/clientfixture.h"
#include "kvrdata/byteorder.h"
#include "kvrdata/blockstream.h"
#include "kvrdata/stream.h"
#include "kvrdata/udpmsgv6.h"

using namespace kvr::app;
using Kvrdata_ns::TUDPMsg;

namespace {

constexpr unsigned PidABCD = 0x41424344;

// An older status broadcast as the server hands it over (numbers in host order).
TUDPMsg Status(unsigned IP, unsigned Serial, unsigned DID, unsigned PID, const char* Name, std::uint16_t Entries = 1)
{
    TUDPMsg M;
    M.Address = IP;
    kvr::writeLE32(M.Payload, 0, Kvrdata_ns::UDPMagicDeviceStatus);
    kvr::writeLE32(M.Payload, 4, Serial);
    kvr::writeLE32(M.Payload, 8, DID);
    kvr::writeLE32(M.Payload, 12, PID);
    for (int i = 0; Name[i] && i < 10; ++i)
        M.Payload[20 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(Name[i]);
    kvr::writeLE16(M.Payload, 30, Entries);
    M.Length = 60;
    return M;
}

void AddV6Device(Kvrdata_ns::TUDPMsgsV6& Msgs, unsigned IP, unsigned MAC, std::uint8_t DID, unsigned PID,
                 const char* Hardware, const char* Name)
{
    Kvrdata_ns::TBCDevice Device;
    Device.DID = DID;
    Device.PID = PID;
    Device.MAC = MAC;
    Device.HardwareName = Hardware;
    Device.DeviceName = Name;
    std::vector<std::uint8_t> Datagram(4);
    kvr::writeBE32(Datagram, 0, Kvrdata_ns::V6TypeDevice);
    std::vector<std::uint8_t> Record;
    Device.ToVariant(Record);
    Datagram.insert(Datagram.end(), Record.begin(), Record.end());
    auto* M = static_cast<Kvrdata_ns::TUDPMsgV6*>(Msgs.CreateElement());
    Msgs.Insert(M);
    M->GetData()->GetStream()->Write(Datagram.data(), static_cast<int>(Datagram.size()));
    M->FromIP = IP;
}

std::vector<std::string> T(std::initializer_list<const char*> Texts)
{
    return {Texts.begin(), Texts.end()};
}

} // namespace

TEST(ConnectionListTest, OlderRowsShowNetworkAndSerialDevicesAndSkipEmptyStatus)
{
    ConnectionList list(dgKX7300);
    list.Refresh({Status(0x0A000102, 0xAB123456, 0x1F, PidABCD, "STUDIO-ONE-X"),
                  Status(0, 3, 2, PidABCD, "SER\0IGNORED"), Status(0x0A000103, 0x999, 4, PidABCD, "EMPTY", 0)});
    ASSERT_EQ(list.Rows().size(), 2u);
    EXPECT_EQ(list.Rows()[0].Texts, T({"ABCD", "0000001F", "STUDIO-ONE", "10.0.1.2", "123456"}));
    EXPECT_EQ(list.Rows()[1].Texts, T({"ABCD", "00000002", "SER", "COM3", ""}));
    EXPECT_EQ(list.Rows()[0].Key, 0xAB123456u);
    EXPECT_EQ(list.ColumnTitles().size(), 5u);
}

TEST(ConnectionListTest, NewerRowsComeFromDeviceRecords)
{
    Kvrdata_ns::TUDPMsgsV6 msgs;
    AddV6Device(msgs, 0x7F000002, 0x05654321, 7, PidABCD, "KX7500", "Mixer 1");
    auto* junk = static_cast<Kvrdata_ns::TUDPMsgV6*>(msgs.CreateElement());
    msgs.Insert(junk); // no device record: left out
    ConnectionList list(dgKX7500);
    list.Refresh(msgs);
    ASSERT_EQ(list.Rows().size(), 1u);
    EXPECT_EQ(list.Rows()[0].Texts, T({"ABCD", "7", "KX7500", "Mixer 1", "127.0.0.2", "654321"}));
    EXPECT_EQ(list.Rows()[0].Key, 0x654321u);

    list.Select(0);
    TDeviceAddr addr;
    ASSERT_TRUE(list.GetAddress(addr));
    EXPECT_EQ(addr.CK, Kvrdata_ns::dckBroadcast);
    EXPECT_EQ(addr.PID, PidABCD);
    EXPECT_EQ(addr.DID, 7u);
    EXPECT_EQ(addr.IP, 0x7F000002u);
}

TEST(ConnectionListTest, SelectionFollowsTheDeviceAcrossRefreshes)
{
    ConnectionList list(dgKX7300);
    const TUDPMsg a = Status(0x0A000001, 0x1001, 1, PidABCD, "A");
    const TUDPMsg b = Status(0x0A000002, 0x1002, 2, PidABCD, "B");
    list.Refresh({a, b});
    list.Select(1);
    list.Refresh({b, a});
    EXPECT_EQ(list.Selected(), 0);
    list.Refresh({a});
    EXPECT_EQ(list.Selected(), -1);
    list.Refresh({a, b});
    EXPECT_EQ(list.Selected(), -1); // once lost, the selection stays lost
}

TEST(ConnectionListTest, SetAddressByKind)
{
    ConnectionList older(dgKX7300);
    older.Refresh({Status(0x0A000001, 0x1001, 5, PidABCD, "A"), Status(0x0A000002, 0x1002, 5, PidABCD, "B")});

    TDeviceAddr addr;
    addr.CK = Kvrdata_ns::dckBroadcast;
    addr.PID = PidABCD;
    addr.DID = 5;
    addr.MAC = 0; // any serial number: the first row
    EXPECT_TRUE(older.SetAddress(addr));
    EXPECT_EQ(older.Selected(), 0);
    addr.MAC = 0xFF001002; // the low 24 bits count
    EXPECT_TRUE(older.SetAddress(addr));
    EXPECT_EQ(older.Selected(), 1);
    addr.MAC = 0x2000;
    EXPECT_FALSE(older.SetAddress(addr));
    EXPECT_EQ(older.Selected(), -1);

    addr.CK = Kvrdata_ns::dckFixedIP;
    addr.IP = 0xC0A80001;
    EXPECT_TRUE(older.SetAddress(addr));
    EXPECT_EQ(older.Choice, ConnectionChoice::FixedIP);
    EXPECT_EQ(older.IPText, "192.168.0.1");

    addr = TDeviceAddr();
    addr.CK = Kvrdata_ns::dckCOMPort;
    addr.SetCOMPort(3);
    EXPECT_TRUE(older.SetAddress(addr));
    EXPECT_EQ(older.Choice, ConnectionChoice::COMPort);
    EXPECT_EQ(older.COMPortIndex, 2); // "COM3"

    ConnectionList newer(dgKX7500);
    EXPECT_FALSE(newer.SetAddress(addr));
    addr.CK = Kvrdata_ns::dckNone;
    EXPECT_FALSE(older.SetAddress(addr));
}

TEST(ConnectionListTest, GetAddressByChoice)
{
    ConnectionList list(dgKX7300);
    list.Refresh({Status(0x0A000001, 0x1001, 5, PidABCD, "DEV")});

    TDeviceAddr addr;
    addr.PID = 0x11;
    addr.DID = 0x22;
    addr.Name = "KEEP";
    // "Select:" without a row: no choice, the address stays as it was.
    EXPECT_FALSE(list.GetAddress(addr));
    EXPECT_EQ(addr.CK, Kvrdata_ns::dckNone);

    list.IPEditChange("10.0.0.5");
    ASSERT_TRUE(list.GetAddress(addr));
    EXPECT_EQ(addr.CK, Kvrdata_ns::dckFixedIP);
    EXPECT_EQ(addr.IP, 0x0A000005u);
    EXPECT_EQ(addr.PID, 0x11u);
    EXPECT_EQ(std::string(addr.Name.c_str()), "KEEP");
    list.IPEditChange("not an address");
    ASSERT_TRUE(list.GetAddress(addr));
    EXPECT_EQ(addr.IP, 0x0A000005u);

    list.COMPortComboClick(1);
    ASSERT_TRUE(list.GetAddress(addr));
    EXPECT_EQ(addr.CK, Kvrdata_ns::dckCOMPort);
    EXPECT_EQ(addr.GetCOMPort(), 2);

    list.Select(0);
    list.DeviceListClick();
    ASSERT_TRUE(list.GetAddress(addr));
    EXPECT_EQ(addr.CK, Kvrdata_ns::dckBroadcast);
    EXPECT_EQ(addr.PID, PidABCD);
    EXPECT_EQ(addr.DID, 5u);
    EXPECT_EQ(addr.IP, 0x0A000001u);
    EXPECT_EQ(addr.MAC, 0x1001u);
    EXPECT_EQ(std::string(addr.Name.c_str()), "DEV");

    // Typing an address drops the row selection.
    list.IPEditChange("1.2.3.4");
    EXPECT_EQ(list.Selected(), -1);
}

TEST(ConnectionListTest, OkOnlyWhenTheChoiceNamesSomethingToConnectTo)
{
    ConnectionList list(dgKX7300);
    list.COMPorts = {1, 5}; // the ports this machine has
    list.Refresh({Status(0x0A000001, 0x1001, 5, PidABCD, "DEV")});
    EXPECT_FALSE(list.CanConnect()); // "Select:" without a row
    list.Select(0);
    EXPECT_TRUE(list.CanConnect());
    list.Refresh({Status(0x0A000002, 0x1002, 6, PidABCD, "OTHER")});
    EXPECT_FALSE(list.CanConnect()); // the chosen device is gone

    const struct {
        const char* text;
        bool ok;
    } ips[] = {{"10.0.0.5", true}, {"not an address", false}, {"", false}, {"0.0.0.0", false}};
    for (const auto& c : ips) {
        list.IPEditChange(c.text);
        EXPECT_EQ(list.CanConnect(), c.ok) << c.text;
    }

    // The combo lists the existing ports; an address on a port the machine lacks selects none.
    list.COMPortComboClick(1);
    TDeviceAddr addr;
    ASSERT_TRUE(list.GetAddress(addr));
    EXPECT_EQ(addr.GetCOMPort(), 5);
    addr.SetCOMPort(3);
    EXPECT_TRUE(list.SetAddress(addr));
    EXPECT_EQ(list.COMPortIndex, -1);
    EXPECT_FALSE(list.CanConnect());
    list.COMPorts.clear();
    list.COMPortComboClick(0);
    EXPECT_FALSE(list.CanConnect());
}

namespace {

class ConnectionDialogTest : public clienttest::ClientTest {
protected:
    void SetBroadcasts(const std::vector<TUDPMsg>& Msgs)
    {
        clienttest::Bytes collection{0, 177, 0, 0};
        for (const TUDPMsg& M : Msgs) {
            const auto bytes = Kvrdata_ns::UDPMsgToBytes(M);
            collection.insert(collection.end(), bytes.begin(), bytes.end());
        }
        Server->setBroadcasts(collection);
    }
};

} // namespace

TEST_F(ConnectionDialogTest, OkWithoutARowOpensNothing)
{
    auto& C = MakeClient();
    SetBroadcasts({Status(0x7F000002, 0x4321, 1, PidABCD, "EMU")});
    int shown = 0;
    const auto okAsIs = [&](ConnectionList& List) {
        ++shown;
        EXPECT_EQ(List.Rows().size(), 1u);
        List.Select(-1);
        return ConnectResultOK;
    };
    EXPECT_EQ(ConnectionDialog(C, true, okAsIs), ConnectResultCancel);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(CallCount(clienttest::RpcMethod::OpenConnection), 0u);
    EXPECT_EQ(C.GetStatus(), dcsNotConnected);

    TDeviceAddr addr;
    addr.CK = Kvrdata_ns::dckBroadcast;
    addr.PID = 0x99;
    EXPECT_EQ(ConnectionDialog(C, addr, false, okAsIs), ConnectResultCancel);
    EXPECT_EQ(addr.PID, 0x99u);
    EXPECT_EQ(C.LastDeviceAddr.CK, Kvrdata_ns::dckNone);
}

TEST_F(ConnectionDialogTest, ChoiceIsRememberedAndPresetsTheNextDialog)
{
    auto& C = MakeClient();
    SetBroadcasts({Status(0x7F000002, 0x4321, 1, PidABCD, "EMU"), Status(0x7F000003, 0x4322, 2, PidABCD, "EMU2")});
    TDeviceAddr addr;
    addr.CK = Kvrdata_ns::dckBroadcast;
    addr.PID = PidABCD;
    addr.DID = 2;
    int preset = -2;
    EXPECT_EQ(ConnectionDialog(C, addr, false,
                               [&](ConnectionList& List) {
                                   preset = List.Selected();
                                   return ConnectResultOK;
                               }),
              ConnectResultOK);
    EXPECT_EQ(preset, 1);
    EXPECT_EQ(addr.IP, 0x7F000003u);
    EXPECT_EQ(C.LastDeviceAddr.DID, 2u);

    // An address the dialog cannot show falls back to the last one only with UseLast.
    TDeviceAddr none;
    EXPECT_EQ(ConnectionDialog(C, none, true,
                               [&](ConnectionList& List) {
                                   preset = List.Selected();
                                   return ConnectResultCancel;
                               }),
              ConnectResultCancel);
    EXPECT_EQ(preset, 1);
    EXPECT_EQ(ConnectionDialog(C, none, false,
                               [&](ConnectionList& List) {
                                   preset = List.Selected();
                                   return ConnectResultCancel;
                               }),
              ConnectResultCancel);
    EXPECT_EQ(preset, -1);
    EXPECT_EQ(none.CK, Kvrdata_ns::dckNone);
}

TEST_F(ConnectionDialogTest, FailedServerShowsNothing)
{
    Host->CreateResults = {clienttest::HResult(0x80004005), clienttest::HResult(0x80004005),
                           clienttest::HResult(0x80004005)};
    auto& C = MakeClient();
    ASSERT_EQ(C.GetStatus(), dcsServerInitFailed);
    int shown = 0;
    TDeviceAddr addr;
    EXPECT_EQ(ConnectionDialog(C, addr, true, [&](ConnectionList&) { return ++shown, ConnectResultOK; }), ConnectResultFailed);
    EXPECT_EQ(ConnectionDialog(C, false, [&](ConnectionList&) { return ++shown, ConnectResultOK; }), ConnectResultFailed);
    EXPECT_EQ(shown, 0);
}

TEST_F(ConnectionDialogTest, RemoteServerThatCannotBeReachedFallsBackToLocal)
{
    auto& C = MakeClient();
    C.SetOptions(OptionSet(dcoRemoteServerAllowed));
    Host->RemoteResult = clienttest::HResult(0x800706BA);
    EXPECT_FALSE(ConnectRemoteServer(C, "studio-pc"));
    EXPECT_EQ(C.GetServerMachine(), "");
    EXPECT_FALSE(ConnectRemoteServer(C, ""));
    Host->RemoteResult = 0;
    EXPECT_TRUE(ConnectRemoteServer(C, "studio-pc"));
    EXPECT_EQ(C.GetServerMachine(), "studio-pc");
}

TEST_F(ConnectionDialogTest, ParameterlessFormConnectsToTheChoice)
{
    auto& C = MakeClient();
    const auto fixedIP = [](ConnectionList& List) {
        List.IPEditChange("127.0.0.1");
        return ConnectResultOK;
    };
    EXPECT_EQ(ConnectionDialog(C, false, fixedIP), ConnectResultOK);
    EXPECT_EQ(CallCount(clienttest::RpcMethod::OpenConnection), 1u);
    EXPECT_EQ(C.GetStatus(), dcsConnected);
    EXPECT_EQ(C.LastDeviceAddr.CK, Kvrdata_ns::dckFixedIP);
    EXPECT_EQ(C.LastDeviceAddr.IP, 0x7F000001u);

    // A connection the server refuses gives 7.
    Server->scriptResults(clienttest::RpcMethod::OpenConnection, {1});
    EXPECT_EQ(ConnectionDialog(C, false, fixedIP), ConnectResultFailed);
    EXPECT_NE(C.GetStatus(), dcsConnected);
}
