// The component: construction, status and its popup, connection type, options, server machine,
// connections and the device identity.

#include <array>

#include "clientfixture.h"
#include "kvrdata/byteorder.h"

namespace clienttest {
namespace {

using namespace Kvrdata_ns;

TEST_F(ClientTest, ConstructedClientIsNotConnectedWithPollRunning)
{
    auto& C = MakeClient();
    EXPECT_EQ(C.GetStatus(), dcsNotConnected);
    EXPECT_EQ(C.GetStatusText(), "Not connected");
    EXPECT_TRUE(C.HasServer());
    EXPECT_TRUE(C.GetTimer().GetEnabled());
    EXPECT_EQ(C.GetTimer().GetInterval(), 20u);
    EXPECT_GE(C.GetClientHandle(), 1);
    EXPECT_EQ(C.GetHostname(), "127.0.0.1");
    EXPECT_EQ(C.GetHostIP(), 0u);
    EXPECT_EQ(C.Tag, 0);
    EXPECT_TRUE(Shown.empty());
}

TEST_F(ClientTest, DesignModeCreatesNoServer)
{
    Client = std::make_unique<TKVRCommunicationClient>(nullptr, Services(true));
    EXPECT_FALSE(Client->HasServer());
    EXPECT_FALSE(Client->GetTimer().GetEnabled());
    EXPECT_EQ(Host->Creations, 0);
}

TEST_F(ClientTest, MessageTableIsRegisteredWithItsTexts)
{
    MakeClient();
    EXPECT_EQ(InfoFormatter->GetMessageText(kvr::client::msgNoRemoteServer),
              "Couldn't connect to remote KVR Communication Server.");
    EXPECT_EQ(InfoFormatter->GetMessageText(kvr::client::msgNoWriteAccess, "/x/"),
              "KVR Communication Server could not be installed.\nPossible cause: no write access to server directory "
              "/x/.\nConnections to audio devices are not possible.\n");
    EXPECT_EQ(InfoFormatter->GetMessageText(kvr::client::msgDeviceNoResponse),
              "Device doesn't respond. \n\nCheck the connection and device status, then try again.");
}

TEST_F(ClientTest, StatusTextsAndStatusChangedOnlyOnChange)
{
    auto& C = MakeClient();
    int Changes = 0;
    C.OnStatusChanged = [&](QObject* Sender) {
        EXPECT_EQ(Sender, &C);
        ++Changes;
    };
    const std::pair<TKVRClientStatus, const char*> Texts[] = {
        {dcsServerInitFailed, "KVR Communication Server init failed"},
        {dcsConnected, "Connected"},
        {dcsTryingReconnect, "Trying Reconnect"},
        {dcsServerNotResponding, "KVR Communication Server not responding. Restart the software."},
        {dcsNotConnected, "Not connected"},
    };
    for (const auto& [Status, Text] : Texts) {
        C.SetStatus(Status);
        EXPECT_EQ(C.GetStatusText(), Text);
    }
    EXPECT_EQ(Changes, 5);
    C.SetStatus(dcsNotConnected);
    EXPECT_EQ(Changes, 5);
    C.SetTransferActive(true);
    C.SetTransferActive(true);
    EXPECT_EQ(Changes, 6);
}

TEST_F(ClientTest, NotRespondingPopupIsThrottled)
{
    auto& C = MakeClient();
    C.SetStatus(dcsServerNotResponding);
    EXPECT_TRUE(Shown.empty()) << "the first change shows nothing";
    Clock.T = 200'000;
    C.SetStatus(dcsServerNotResponding);
    ASSERT_EQ(Shown.size(), 1u);
    EXPECT_EQ(Shown[0], kvr::client::msgServerNotResponding);
    Clock.T += 10'000;
    C.SetStatus(dcsServerNotResponding);
    EXPECT_EQ(Shown.size(), 1u) << "10 s later: not again";
    Clock.T += 50'001;
    C.SetStatus(dcsServerNotResponding);
    EXPECT_EQ(Shown.size(), 2u) << "more than 60 s after the last popup";

    // Shared by all instances: a second client within the minute shows nothing.
    TKVRCommunicationClient Other(nullptr, Services());
    Other.SetStatus(dcsServerNotResponding);
    Clock.T += 1000;
    Other.SetStatus(dcsServerNotResponding);
    EXPECT_EQ(Shown.size(), 2u);
}

TEST_F(ClientTest, NoPopupWhenSwitchedOff)
{
    auto& C = MakeClient();
    C.TicksPopupMessage = 0;
    C.SetStatus(dcsServerNotResponding);
    Clock.T = 500'000;
    C.SetStatus(dcsServerNotResponding);
    Clock.T += 100'000;
    C.SetStatus(dcsServerNotResponding);
    EXPECT_TRUE(Shown.empty());
}

TEST_F(ClientTest, ConnectionTypeFollowsKindAndSerial)
{
    auto& C = MakeClient();
    struct Case {
        TKVRConnectionKind Kind;
        int COMPort;
        TConnectionType Expected;
    };
    // A broadcast address with a serial number up to 255 names a COM port.
    const Case Cases[] = {
        {dckBroadcast, 0, dctCOM}, {dckBroadcast, 255, dctCOM}, {dckBroadcast, 256, dctTCP},
        {dckFixedIP, 3, dctTCP},   {dckCOMPort, 3, dctCOM},     {dckUSB, 3, dctUnknown},
        {dckNone, 3, dctUnknown},
    };
    for (const auto& Case : Cases) {
        C.COMPort = Case.COMPort;
        Server->scriptResults(RpcMethod::OpenSerialConnection, {0});
        ASSERT_TRUE(C.COMPort == 0 || C.OpenSerialConnection()); // sets SerialNr = COMPort
        C.ConnectionKind = Case.Kind;
        EXPECT_EQ(C.GetConnectionType(), Case.Expected) << int(Case.Kind) << " " << Case.COMPort;
    }
}

TEST_F(ClientTest, OpenConnectionTakesOverTheAddress)
{
    auto& C = MakeClient();
    C.ShortClient = "TDVX";
    TDeviceAddr DA;
    DA.IP = 0xC0A80105;
    DA.MAC = 0x12001234;
    DA.CK = dckBroadcast;
    DA.COMPort = 3;
    ASSERT_TRUE(C.OpenConnection(DA));
    EXPECT_EQ(C.GetStatus(), dcsConnected);
    EXPECT_EQ(C.GetHostIP(), 0xC0A80105u);
    EXPECT_EQ(C.GetHostname(), "192.168.1.5");
    EXPECT_EQ(C.GetSerialNr(), 0x1234u);
    EXPECT_EQ(C.COMPort, 3);
    EXPECT_EQ(C.ConnectionKind, dckBroadcast);
    EXPECT_EQ(std::string(DA.Client.c_str()), "TDV");

    // What the server got is the address in the block format.
    TDeviceAddr Sent;
    Bytes B = Server->calls().back().bytes;
    ASSERT_TRUE(Sent.FromVariant(B));
    EXPECT_EQ(Sent.IP, 0xC0A80105u);
    EXPECT_EQ(std::string(Sent.Client.c_str()), "TDV");

    Server->scriptResults(RpcMethod::OpenConnection, {5});
    EXPECT_FALSE(C.OpenConnection(DA));
    EXPECT_EQ(C.GetStatus(), dcsNotConnected);
    EXPECT_TRUE(C.GetTimer().GetEnabled());

    Server->setResponding(false);
    EXPECT_FALSE(C.OpenConnection(DA));
    EXPECT_FALSE(C.GetTimer().GetEnabled()) << "a server that did not answer stops the poll";
}

TEST_F(ClientTest, OpenTCPAndSerialRefuseMissingSettings)
{
    auto& C = MakeClient();
    C.SetHostname("");
    EXPECT_FALSE(C.OpenTCPConnection());
    C.SetHostname("10.0.0.7");
    EXPECT_EQ(C.GetHostIP(), 0x0A000007u);
    C.TCPPort = 0;
    EXPECT_FALSE(C.OpenTCPConnection());
    C.COMPort = 0;
    EXPECT_FALSE(C.OpenSerialConnection());
    EXPECT_EQ(CallCount(RpcMethod::OpenTCPConnection) + CallCount(RpcMethod::OpenSerialConnection), 0u);

    C.TCPPort = 2008;
    ASSERT_TRUE(C.OpenTCPConnection());
    EXPECT_EQ(Server->calls().back().text, "10.0.0.7");
    EXPECT_EQ(Server->calls().back().numbers.at(0), 2008);
    EXPECT_EQ(C.GetSerialNr(), 0u);

    EXPECT_TRUE(C.CloseConnection());
    EXPECT_EQ(C.GetStatus(), dcsNotConnected);
    EXPECT_TRUE(C.CloseConnection()) << "a second close still asks the server";
    EXPECT_EQ(CallCount(RpcMethod::CloseConnection), 2u);
}

TEST_F(ClientTest, SetHostIPWritesDottedText)
{
    auto& C = MakeClient();
    C.SetHostIP(0);
    EXPECT_EQ(C.GetHostname(), "0.0.0.0");
    C.SetHostIP(2130706433);
    EXPECT_EQ(C.GetHostname(), "127.0.0.1");
}

TEST_F(ClientTest, InitFailedClientCallsNothing)
{
    Host->CreateResults = {kvr::client::HrClassNotRegistered, kvr::client::HrClassNotRegistered};
    auto& C = MakeClient();
    ASSERT_EQ(C.GetStatus(), dcsServerInitFailed);
    TDeviceAddr DA;
    KVRCANBlock CB;
    EXPECT_FALSE(C.OpenConnection(DA));
    EXPECT_FALSE(C.OpenTCPConnection());
    EXPECT_FALSE(C.SendBlock(CB));
    EXPECT_FALSE(C.ReadBlock(CB));
    EXPECT_EQ(C.Ping("x", 100), -1);
    EXPECT_EQ(C.GetDA(1, 2, 1, DA), 0);
    C.SetFilter(0x11000000);
    EXPECT_EQ(C.GetFilter(), 0x11000000u);
    C.OnTimer(nullptr);
}

TEST_F(ClientTest, FilterGoesToTheServer)
{
    auto& C = MakeClient();
    C.SetFilter(0x11000000);
    C.SetFilterMask(0xFF000000);
    const auto& Last = Server->calls().back();
    EXPECT_EQ(Last.method, RpcMethod::SetFilter);
    EXPECT_EQ(Last.numbers, (std::vector<std::int32_t>{0x11000000, static_cast<std::int32_t>(0xFF000000)}));
}

TEST_F(ClientTest, ServerMachineNeedsTheRemoteOption)
{
    auto& C = MakeClient();
    const int Before = Host->Creations;
    C.SetServerMachine("");
    EXPECT_EQ(Host->Creations, Before) << "the current value does nothing";
    C.SetServerMachine("studio-pc");
    EXPECT_EQ(Host->Creations, Before + 1) << "without the option the object is local";
    EXPECT_TRUE(Host->RemoteMachines.empty());
    EXPECT_EQ(C.GetServerMachine(), "studio-pc");

    C.SetOptions(OptionSet(dcoRemoteServerAllowed));
    Host->RemoteResult = kvr::client::HrServerExecFailure;
    C.SetServerMachine("other-pc");
    EXPECT_EQ(Host->RemoteMachines, std::vector<std::string>{"other-pc"});
    EXPECT_EQ(C.GetStatus(), dcsServerInitFailed);
    EXPECT_EQ(C.GetServerMachine(), "") << "falls back to a local object";
    EXPECT_TRUE(C.HasServer());
}

// The device behind the fake server: a serial/version answer and the identity data.
class IdentityTest : public ClientTest {
protected:
    void Answer(std::uint32_t Version)
    {
        Server->onSendBlock = [this, Version](std::int32_t Handle, const Bytes& B) {
            const KVRCANBlock CB = BlockOf(B);
            Requests.push_back(CB.ID);
            std::vector<std::uint8_t> Data(8);
            if (CB.ID == 0x112E0000) {
                kvr::writeBE32(Data, 0, 0x00A1B2C3);
                kvr::writeBE32(Data, 4, Version);
            } else if ((CB.ID & 0xFFFFFF00) == 0x1A000000) {
                const unsigned n = CB.ID & 0xFF;
                std::copy_n(Image.begin() + (n - 1) * 8, 8, Data.begin());
            } else if ((CB.ID & 0xFFFFFF00) == 0x1E210000) {
                const unsigned p = CB.ID & 0xFF;
                std::copy_n(Pages.begin() + (p - 1) * 8, 8, Data.begin());
            } else {
                return;
            }
            Server->deliverBlock(Handle, BlockBytes(CB.ID, 8, Data));
        };
    }

    std::array<std::uint8_t, 96> Image{};
    std::array<std::uint8_t, 32> Pages{};
    std::vector<std::uint32_t> Requests;
};

TEST_F(IdentityTest, FirmwareVersionChoosesTheIdentityRequests)
{
    // Image: PID at 12-15, name at 16-25, DID at 78-81.
    kvr::writeBE32(Image, 12, 0x41424344);
    const char Name[] = "FRAME-ONE!";
    std::copy_n(Name, 10, Image.begin() + 16);
    kvr::writeBE32(Image, 78, 7);
    // Information pages: DID byte 4, name 12-27, PID 28-31.
    Pages[4] = 9;
    const char PageName[] = "Studio 4 Frame";
    std::copy_n(PageName, sizeof PageName, Pages.begin() + 12);
    kvr::writeBE32(Pages, 28, 0x20585920); // " XY "

    const std::vector<std::uint32_t> FromImage = {0x112E0000, 0x1A000002, 0x1A000003, 0x1A000004, 0x1A00000A, 0x1A00000B};
    const std::vector<std::uint32_t> FromPages = {0x112E0000, 0x1E210001, 0x1E210002, 0x1E210003, 0x1E210004};
    struct Case {
        std::uint32_t Version;
        bool Image;
    };
    const Case Cases[] = {{0x05000000, true}, {0x05130000, true}, {0x0513FFFF, true},
                          {0x05140000, false}, {0x04000000, false}, {0x04FFFFFF, false}};
    auto& C = Connected();
    for (const auto& Case : Cases) {
        Requests.clear();
        Answer(Case.Version);
        std::string PIDText, DevName;
        unsigned PID = 1, DID = 1;
        ASSERT_TRUE(C.GetDeviceInfos(PIDText, DevName, PID, DID)) << std::hex << Case.Version;
        if (Case.Image) {
            EXPECT_EQ(Requests, FromImage);
            EXPECT_EQ(PID, 0x41424344u);
            EXPECT_EQ(PIDText, "ABCD");
            EXPECT_EQ(DevName, "FRAME-ONE!");
            EXPECT_EQ(DID, 7u);
        } else {
            EXPECT_EQ(Requests, FromPages);
            EXPECT_EQ(PID, 0x20585920u);
            EXPECT_EQ(PIDText, "XY");
            EXPECT_EQ(DevName, "Studio 4 Frame");
            EXPECT_EQ(DID, 9u);
        }
    }
    Answer(0x05130000);
    EXPECT_EQ(C.GetDeviceName(true), "ABCD - FRAME-ONE!");
    EXPECT_EQ(C.GetDeviceName(false), "FRAME-ONE!");
}

TEST_F(IdentityTest, DeviceIDIsSignExtended)
{
    Pages[4] = 0x80;
    Answer(0x06000000);
    auto& C = Connected();
    std::string PIDText, Name;
    unsigned PID = 0, DID = 0;
    ASSERT_TRUE(C.GetDeviceInfos(PIDText, Name, PID, DID));
    EXPECT_EQ(DID, 0xFFFFFF80u);
}

TEST_F(IdentityTest, MissingAnswerFailsAndKeepsWhatWasRead)
{
    kvr::writeBE32(Image, 12, 0x41424344);
    Answer(0x05100000);
    auto Inner = Server->onSendBlock;
    Server->onSendBlock = [&](std::int32_t Handle, const Bytes& B) {
        if (BlockOf(B).ID != 0x1A000003)
            Inner(Handle, B);
        else
            Requests.push_back(0x1A000003);
    };
    auto& C = Connected();
    C.Retries = 2;
    std::string PIDText = "x", Name = "y";
    unsigned PID = 0, DID = 5;
    EXPECT_FALSE(C.GetDeviceInfos(PIDText, Name, PID, DID));
    EXPECT_EQ(PID, 0x41424344u);
    EXPECT_EQ(DID, 0u);
    EXPECT_EQ(PIDText, "");
}

TEST_F(IdentityTest, OlderFirmwareAnswersTheModuleBlock)
{
    Server->onSendBlock = [this](std::int32_t Handle, const Bytes& B) {
        const KVRCANBlock CB = BlockOf(B);
        if (CB.ID == 0x06000000)
            Server->deliverBlock(Handle, BlockBytes(0x06000012, 8, {0, 0, 0, 0, 0x03, 0x01, 0, 0}));
    };
    auto& C = Connected();
    C.Retries = 1;
    unsigned Serial = 9, Version = 0;
    ASSERT_TRUE(C.GetSerialVersion(Serial, Version));
    EXPECT_EQ(Serial, 0u);
    EXPECT_EQ(Version, 0x03010000u);
}

} // namespace
} // namespace clienttest
