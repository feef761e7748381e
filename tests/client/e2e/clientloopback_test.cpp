// The client component against the real server program and the device emulator on loopback:
// connections, device identity for both firmware branches, events from the receive poll, and a
// lost link.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <algorithm>
#include <functional>
#include <memory>

#include "support/loopbackprograms.h"
#include "client/kvrcommunicationclient.h"
#include "client/serverhost.h"
#include "kvrdata/byteorder.h"

namespace {

using namespace Kvrdata_ns;

constexpr unsigned PidABCD = 0x41424344;
constexpr unsigned PidWXYZ = 0x5758595A;

class ClientLoopback : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        const QString Folder = Dir.path() + "/run";
        // The client finds the server of "this user" in this folder.
        qputenv("KVR_RUREZ_DIR", Folder.toLocal8Bit());
        Port = FreeDevicePort();
        ASSERT_NE(Port, 0);
        ASSERT_EQ(Programs.startServerIn(KVR_RUREZ_PATH, Folder, {"--connect-timeout-ms", "1000", "--retry-ms", "200",
                                                                  "--reconnect-ms", "1500", "--broadcast-max-age-ms",
                                                                  "3000", "--device-port", QString::number(Port)}),
                  "");
        // Device 1 has firmware that is identified from its image, device 2 newer firmware that is
        // identified from its information pages.
        ASSERT_EQ(Programs.startEmulator(
                      KVR_DEVEMU_PATH,
                      {QString("ip=127.0.0.2,port=%1,serial=0x1234,firmware=0x05130000,name=EMU1,pid=ABCD,did=3").arg(Port),
                       QString("ip=127.0.0.3,port=%1,serial=0x5678,firmware=0x05140000,name=EMU2,pid=WXYZ,did=4").arg(Port)},
                      200),
                  "");

        kvr::client::TClientServices S = kvr::client::SystemServices();
        Client = std::make_unique<TKVRCommunicationClient>(nullptr, S);
        ASSERT_EQ(Client->GetStatus(), dcsNotConnected);
        Client->OnStatusChanged = [this](QObject*) { Statuses.push_back(Client->GetStatus()); };
    }

    void TearDown() override
    {
        Client.reset();
        Programs.stop();
        qunsetenv("KVR_RUREZ_DIR");
    }

    void OpenTCP(const char* IP)
    {
        Client->SetHostname(IP);
        Client->TCPPort = Port;
        ASSERT_TRUE(Client->OpenTCPConnection());
        ASSERT_EQ(Client->GetStatus(), dcsConnected);
    }

    QTemporaryDir Dir;
    int Port = 0;
    LoopbackPrograms Programs;
    std::unique_ptr<TKVRCommunicationClient> Client;
    std::vector<TKVRClientStatus> Statuses;
};

TEST_F(ClientLoopback, TCPConnectionIdentifiesADeviceFromItsImage)
{
    OpenTCP("127.0.0.2");
    std::string PIDText, Name;
    unsigned PID = 0, DID = 0;
    ASSERT_TRUE(Client->GetDeviceInfos(PIDText, Name, PID, DID));
    EXPECT_EQ(PID, PidABCD);
    EXPECT_EQ(PIDText, "ABCD");
    EXPECT_EQ(Name, "EMU1");
    EXPECT_EQ(DID, 3u);
    unsigned Serial = 0, Version = 0;
    ASSERT_TRUE(Client->GetSerialVersion(Serial, Version));
    EXPECT_EQ(Serial, 0x1234u);
    EXPECT_EQ(Version, 0x05130000u);
    EXPECT_TRUE(Client->CloseConnection());
}

// A device of older firmware leaves the serial and version request unanswered: the client falls
// back to the module request and identifies the device from its image.
TEST_F(ClientLoopback, OlderFirmwareIsIdentifiedThroughTheModuleRequest)
{
    Program Older(KVR_DEVEMU_PATH, {"--device", QString("ip=127.0.0.4,port=0,older-firmware,firmware=0x05100000,name=OLD,pid=ABCD,did=9")});
    const auto Line = Older.waitForLine("device 1");
    ASSERT_TRUE(Line) << Older.errors().toStdString();
    Client->SetHostname("127.0.0.4");
    Client->TCPPort = wordValue(*Line, "tcp").section(':', 1).toInt();
    ASSERT_TRUE(Client->OpenTCPConnection());
    unsigned Serial = 1, Version = 0;
    ASSERT_TRUE(Client->GetSerialVersion(Serial, Version));
    EXPECT_EQ(Serial, 0u);
    EXPECT_EQ(Version, 0x05100000u);
    std::string PIDText, Name;
    unsigned PID = 0, DID = 0;
    ASSERT_TRUE(Client->GetDeviceInfos(PIDText, Name, PID, DID));
    EXPECT_EQ(PIDText, "ABCD");
    EXPECT_EQ(Name, "OLD");
    EXPECT_EQ(DID, 9u);
    EXPECT_TRUE(Client->CloseConnection());
}

TEST_F(ClientLoopback, ConnectionByAddressIdentifiesADeviceFromItsPages)
{
    // The address comes from the device's status broadcast.
    TDeviceAddr DA;
    ASSERT_TRUE(RunUntil([&] { return Client->GetDA(PidWXYZ, 4, 1, DA) == 1; }));
    EXPECT_EQ(DA.IP, 0x7F000003u);
    EXPECT_EQ(DA.MAC, 0x5678u);
    ASSERT_TRUE(Client->OpenConnection(DA));
    EXPECT_EQ(Client->GetStatus(), dcsConnected);
    EXPECT_EQ(Client->GetSerialNr(), 0x5678u);
    EXPECT_EQ(Client->GetHostname(), "127.0.0.3");
    EXPECT_EQ(Client->GetConnectionType(), dctTCP);

    // The information pages live in the device's configuration stream (blocks 1 to 4): write
    // them first, then read the identity back. Byte 4 of the pages is the device ID, signed.
    std::array<std::uint8_t, 32> Pages{};
    Pages[4] = 0xFC;
    const char PageName[] = "Second Frame";
    std::copy_n(PageName, sizeof PageName, Pages.begin() + 12);
    kvr::writeBE32(Pages, 28, PidWXYZ);
    for (std::uint32_t Block = 1; Block <= 4; ++Block) {
        KVRCANBlock CB;
        CB.ID = 0x1E110000 | Block;
        CB.Len = 8;
        std::copy_n(Pages.begin() + (Block - 1) * 8, 8, CB.Data.begin());
        ASSERT_TRUE(Client->SendBlock(CB));
    }
    KVRCANBlock End;
    End.ID = 0x1E117FFF;
    ASSERT_TRUE(Client->SendBlock(End));

    std::string PIDText, Name;
    unsigned PID = 0, DID = 0;
    ASSERT_TRUE(Client->GetDeviceInfos(PIDText, Name, PID, DID));
    EXPECT_EQ(PID, PidWXYZ);
    EXPECT_EQ(PIDText, "WXYZ");
    EXPECT_EQ(Name, "Second Frame");
    EXPECT_EQ(DID, 0xFFFFFFFCu);
    EXPECT_EQ(Client->GetDeviceName(true), "WXYZ - Second Frame");
}

TEST_F(ClientLoopback, PollRaisesBlocksErrorsAndBroadcasts)
{
    OpenTCP("127.0.0.2");
    std::vector<std::uint32_t> Blocks;
    std::vector<std::pair<TConnectionType, std::uint32_t>> Errors;
    std::vector<std::uint32_t> Broadcasts;
    Client->OnCANBlockReceived = [&](TKVRCommunicationClient*, KVRCANBlock CB) { Blocks.push_back(CB.ID); };
    Client->OnErrorMsgReceived = [&](TKVRCommunicationClient*, KVRCANBlock CB, TMessageSource MS, unsigned) {
        Errors.push_back({MS.ConnectionType, CB.ID});
    };
    Client->OnBroadcastReceived = [&](TKVRCommunicationClient*, TUDPMsg M) {
        if (GetUDPMagic(M) == UDPMagicDeviceStatus)
            Broadcasts.push_back(M.Address);
    };

    // An answer the client does not wait for arrives through the poll.
    KVRCANBlock Request;
    Request.ID = 0x112E0000;
    ASSERT_TRUE(Client->SendBlock(Request));
    // An error report of the connected device.
    Programs.emulator->send("error 1 2 3 4");
    ASSERT_TRUE(RunUntil([&] {
        return !Errors.empty() && Blocks.size() >= 2 && !Broadcasts.empty();
    })) << "blocks " << Blocks.size() << " errors " << Errors.size() << " broadcasts " << Broadcasts.size();
    EXPECT_NE(std::find(Blocks.begin(), Blocks.end(), 0x112E0000u), Blocks.end());
    EXPECT_EQ(Errors.front().first, dctTCP);
    EXPECT_EQ(Errors.front().second & 0xFFFF0000, 0x0F100000u);
    EXPECT_NE(std::find(Blocks.begin(), Blocks.end(), Errors.front().second), Blocks.end())
        << "the error block reaches OnCANBlockReceived too";
}

TEST_F(ClientLoopback, LostLinkIsReported)
{
    OpenTCP("127.0.0.2");
    Programs.emulator->send("cut 1");
    Statuses.clear();
    // Sends ride out the reconnecting answers; once the server gives the link up the client is
    // no longer connected.
    KVRCANBlock CB;
    CB.ID = 0x112E0000;
    ASSERT_TRUE(RunUntil([&] {
        Client->SendBlock(CB);
        return Client->GetStatus() == dcsNotConnected;
    }, 10000));
    EXPECT_NE(std::find(Statuses.begin(), Statuses.end(), dcsTryingReconnect), Statuses.end());
    EXPECT_EQ(Statuses.back(), dcsNotConnected);
    EXPECT_FALSE(Client->SendBlock(CB));
}

} // namespace
