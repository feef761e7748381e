// Configuration, setup and file transfers end to end: the client through the real server program
// to the device emulator, on loopback.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <numeric>

#include "client/configtransfer.h"
#include "client/filetransfer.h"
#include "client/setupservices.h"
#include "client/transferblocks.h"
#include "diagnostics/kvrinfoformat.h"
#include "kvrdata/byteorder.h"
#include "loopbackclient.h"

namespace {

using kvr::client::ConfigTransfer;
using kvr::client::FileTransfer;
using kvr::client::SetupServices;
using namespace kvr::client::transfer;
using Kvrdata_ns::TMemoryStream;

// The server and the emulator are built beside this test program.
QString BuiltProgram(const char* Folder, const char* Name)
{
    return QDir(QCoreApplication::applicationDirPath() + "/../../tools/" + Folder).absoluteFilePath(Name);
}

std::vector<std::uint8_t> MakeImage(std::size_t Size)
{
    std::vector<std::uint8_t> Image(Size);
    for (std::size_t i = 0; i < Size; ++i)
        Image[i] = static_cast<std::uint8_t>(i * 31 + i / 251);
    std::memcpy(Image.data(), "MPJ2", 4);
    kvr::writeBE16(Image, ImageLengthOffset, static_cast<std::uint16_t>(Size));
    kvr::writeBE16(Image, ImageSetupSizeOffset, static_cast<std::uint16_t>(Size - 200)); // all of it setup entries
    kvr::writeBE16(Image, ImageStructSizeOffset, 0);
    return Image;
}

class TransferEndToEnd : public ::testing::Test {
protected:
    // The server, then one emulated device with the given fault knobs, then a connected client.
    void Begin(const QString& Knobs = {})
    {
        const std::string Error = Loop.Start(BuiltProgram("rurez", "rurez"), BuiltProgram("devemu", "devemu"), Knobs);
        ASSERT_EQ(Error, "");
        Client = Loop.Client.get();
        Emulator = Loop.Programs.emulator.get();
    }

    std::size_t DeviceReceived()
    {
        Emulator->send("received 1");
        const auto Line = Emulator->waitForLine("received 1");
        return Line ? wordValue(*Line, "blocks").toULongLong() : 0;
    }

    loopback::LoopbackClient Loop;
    TKVRCommunicationClient* Client = nullptr;
    Program* Emulator = nullptr;
};

TEST_F(TransferEndToEnd, ImagesAreWrittenAndReadBackByteIdentical)
{
    Begin();
    for (std::size_t Size : {std::size_t{64000}, std::size_t{457}}) {
        auto Image = MakeImage(Size);
        kvr::writeBE32(Image, ImageChangeTimeOffset, 0x5F3E2D1C + static_cast<std::uint32_t>(Size));
        ASSERT_TRUE(ConfigTransfer(*Client).LoadToTarget(Image.data(), static_cast<int>(Size))) << Size;
        std::vector<std::uint8_t> Back(ImageMaxSize, 0);
        ASSERT_EQ(ConfigTransfer(*Client).LoadFromTarget(Back.data()), static_cast<int>(Size));
        EXPECT_TRUE(std::equal(Image.begin(), Image.end(), Back.begin())) << Size;
        EXPECT_EQ(ConfigTransfer(*Client).GetConfigTime(), 0x5F3E2D1C + Size);
    }
}

TEST_F(TransferEndToEnd, BothConfigurationStreams)
{
    Begin();
    std::vector<std::uint8_t> Small = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    std::vector<std::uint8_t> Large(65555);
    for (std::size_t i = 0; i < Large.size(); ++i)
        Large[i] = static_cast<std::uint8_t>(i ^ (i >> 8));
    kvr::writeBE16(Large, 14, 65535); // the size word: everything after the first 20 bytes

    for (bool Alternate : {false, true}) {
        TMemoryStream S9(Small);
        TMemoryStream SL(Large);
        ASSERT_EQ(ConfigTransfer(*Client).SendConfig(Alternate ? SL : S9, Alternate), 0);
        ASSERT_EQ(ConfigTransfer(*Client).SendConfig(Alternate ? S9 : SL, !Alternate), 0);

        TMemoryStream Back;
        ASSERT_EQ(ConfigTransfer(*Client).ReadConfig(Back, Alternate), 0);
        TMemoryStream BackOther;
        ASSERT_EQ(ConfigTransfer(*Client).ReadConfig(BackOther, !Alternate), 0);
        const auto& BigBack = Alternate ? Back : BackOther;
        const auto& SmallBack = Alternate ? BackOther : Back;
        EXPECT_EQ(BigBack.Bytes(), Large);
        // Nine bytes have no size word: the device's stream reads as its 20-byte minimum.
        ASSERT_EQ(SmallBack.Bytes().size(), 20u);
        EXPECT_TRUE(std::equal(Small.begin(), Small.end(), SmallBack.Bytes().begin()));
    }
    EXPECT_FALSE(Client->GetTransferActive());
}

// With the emulator repeating, delaying or dropping answers, a stream read gives the device's
// bytes or fails; it never reports other bytes as read.
TEST_F(TransferEndToEnd, StreamReadUnderFaultyAnswersIsRightOrFails)
{
    std::vector<std::uint8_t> Stream(160);
    for (std::size_t i = 0; i < Stream.size(); ++i)
        Stream[i] = static_cast<std::uint8_t>(i * 13 + 5);
    kvr::writeBE16(Stream, 14, static_cast<std::uint16_t>(Stream.size() - 20));
    for (const char* Knobs : {"dup=1", "late=5:1000", "drop=3", "bad-id=4", "bad-len=4"}) {
        loopback::LoopbackClient Faulty;
        ASSERT_EQ(Faulty.Start(BuiltProgram("rurez", "rurez"), BuiltProgram("devemu", "devemu"), Knobs), "");
        TMemoryStream Out(Stream);
        const int Sent = ConfigTransfer(*Faulty.Client).SendConfig(Out, false);
        const std::vector<std::uint8_t> Before = {7, 7, 7};
        TMemoryStream Back(Before);
        const int Read = ConfigTransfer(*Faulty.Client).ReadConfig(Back, false);
        ASSERT_TRUE(Read == 0 || Read == -1) << Knobs;
        if (Read == 0 && Sent == 0) {
            EXPECT_EQ(Back.Bytes(), Stream) << Knobs;
        } else if (Read == -1) {
            EXPECT_EQ(Back.Bytes(), Before) << Knobs << ": a failed read leaves the stream as it was";
        }
        EXPECT_EQ(Sent, 0) << Knobs << ": the retries carry the write";
        EXPECT_EQ(Read, 0) << Knobs << ": the retries carry the read";
    }
}

// Every answer a second late: the image write ends as failed after a few blocks instead of
// "succeeding" after minutes (hours for a whole image).
TEST_F(TransferEndToEnd, ImageWriteToADeviceThatAnswersLateEndsSoon)
{
    Begin("delay=1000");
    const auto Image = MakeImage(400);
    const auto Began = std::chrono::steady_clock::now();
    EXPECT_FALSE(ConfigTransfer(*Client).LoadToTarget(Image.data(), 400));
    const auto Took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - Began);
    EXPECT_LT(Took.count(), 20000);
}

// A link cut in the middle of an image write: the device takes a configuration only when it is
// complete, so reading it back gives the old image, not a mix of old and new bytes.
TEST_F(TransferEndToEnd, ImageWriteCutShortLeavesTheDevicesImage)
{
    Begin("cut-after=70");
    const auto Old = MakeImage(400);
    ASSERT_TRUE(ConfigTransfer(*Client).LoadToTarget(Old.data(), 400)); // 51 blocks and the start
    std::vector<std::uint8_t> Before(ImageMaxSize, 0);
    Before.assign(Old.begin(), Old.end());
    Before.resize(ImageMaxSize, 0);
    auto New = MakeImage(400);
    for (std::size_t i = 200; i < New.size(); ++i)
        New[i] ^= 0xA5;
    EXPECT_FALSE(ConfigTransfer(*Client).LoadToTarget(New.data(), 400)) << "the link goes after 17 blocks";
    Emulator->send("resume 1");
    ASSERT_TRUE(Emulator->waitForLine("ok resume"));
    Client->CloseConnection();
    ASSERT_TRUE(Client->OpenTCPConnection());
    std::vector<std::uint8_t> After(ImageMaxSize, 0);
    ASSERT_EQ(ConfigTransfer(*Client).LoadFromTarget(After.data()), 400);
    EXPECT_EQ(After, Before);
}

// Answers whose data bytes the emulator inverts (every n-th answer of a fresh device): where the
// transfer carries a check, the read fails instead of reporting wrong bytes as read. A 4000-byte
// image with every 7th answer inverted has its header sizes inverted in block 7; the 20-byte
// stream has its size word inverted the second time block 1 is read (answer 3).
TEST_F(TransferEndToEnd, InvertedAnswersFailReadsThatCarryACheck)
{
    const auto Image = MakeImage(4000);
    QTemporaryDir Dir;
    const QString File = Dir.filePath("device.kvf");
    QFile Out(File);
    ASSERT_TRUE(Out.open(QIODevice::WriteOnly));
    Out.write(reinterpret_cast<const char*>(Image.data()), static_cast<qint64>(Image.size()));
    Out.close();

    loopback::LoopbackClient ImageDevice;
    ASSERT_EQ(ImageDevice.Start(BuiltProgram("rurez", "rurez"), BuiltProgram("devemu", "devemu"), "image=" + File + ",flip=7"), "");
    std::vector<std::uint8_t> Back(ImageMaxSize, 0xAB);
    const int Size = ConfigTransfer(*ImageDevice.Client).LoadFromTarget(Back.data());
    const auto Wrong = std::inner_product(Image.begin(), Image.end(), Back.begin(), 0, std::plus<>(), std::not_equal_to<>());
    EXPECT_EQ(Size, 0) << "read reported with " << Wrong << " of " << Image.size() << " bytes wrong";
    EXPECT_TRUE(std::all_of(Back.begin(), Back.end(), [](std::uint8_t B) { return B == 0xAB; }));

    loopback::LoopbackClient StreamDevice;
    ASSERT_EQ(StreamDevice.Start(BuiltProgram("rurez", "rurez"), BuiltProgram("devemu", "devemu"), "flip=3"), "");
    const std::vector<std::uint8_t> Before = {7, 7, 7};
    TMemoryStream Stream(Before);
    EXPECT_EQ(ConfigTransfer(*StreamDevice.Client).ReadConfig(Stream, false), -1)
        << "read reported: " << Stream.Bytes().size() << " bytes";
    EXPECT_EQ(Stream.Bytes(), Before);
}

TEST_F(TransferEndToEnd, SetupsAndNames)
{
    Begin();
    SetupServices Svc(*Client);
    for (std::size_t Size : {std::size_t{13}, std::size_t{1000}}) {
        std::vector<std::uint8_t> Setup(Size);
        for (std::size_t i = 0; i < Size; ++i)
            Setup[i] = static_cast<std::uint8_t>(i * 3 + 1);
        TMemoryStream S(Setup);
        ASSERT_TRUE(Svc.SendSetup(2, static_cast<unsigned char>(Size % 256), &S));
        TMemoryStream Back;
        ASSERT_TRUE(Svc.ReadSetup(2, static_cast<unsigned char>(Size % 256), &Back));
        EXPECT_EQ(Back.Bytes(), Setup);
        unsigned short Read = 0;
        ASSERT_TRUE(Svc.ReadSetupSize(2, static_cast<unsigned char>(Size % 256), Read));
        EXPECT_EQ(Read, Size);
    }

    std::string Name;
    ASSERT_TRUE(Svc.SetSetupName(CBID_CH_SETUP_NAME, 5, "Morning Show"));
    ASSERT_TRUE(Svc.SetSetupName(CBID_MX_SETUP_NAME, 5, "Late News"));
    ASSERT_TRUE(Svc.GetSetupName(CBID_CH_SETUP_NAME, 5, Name));
    EXPECT_EQ(Name, "Morning Show");
    ASSERT_TRUE(Svc.GetSetupName(CBID_MX_SETUP_NAME, 5, Name));
    EXPECT_EQ(Name, "Late News");
    ASSERT_TRUE(Svc.DeleteMixerSetupName(5));
    ASSERT_TRUE(Svc.GetSetupName(CBID_MX_SETUP_NAME, 5, Name));
    EXPECT_EQ(Name, "");

    ASSERT_TRUE(Svc.SetFaderChName(0x0102, "Presenter Mic 1 and more"));
    ASSERT_TRUE(Svc.GetFaderChName(0x0102, Name));
    EXPECT_EQ(Name, "Presenter Mic 1");
    ASSERT_TRUE(Svc.SetFaderChName(0x0102, ""));
    ASSERT_TRUE(Svc.GetFaderChName(0x0102, Name));
    EXPECT_EQ(Name, "");

    // Names the device sends while the client waits for another one reach their events.
    ASSERT_TRUE(Svc.SetSetupName(CBID_CH_SETUP_NAME, 6, "Evening"));
    ASSERT_TRUE(Svc.SetFaderChName(9, "Guest"));
    std::vector<std::pair<int, std::string>> ChNames;
    std::vector<std::pair<int, std::string>> FaderNames;
    Client->OnChSetupNameReceived = [&](TKVRCommunicationClient*, int ID, const std::string& S) { ChNames.push_back({ID, S}); };
    Client->OnFaderChNameReceived = [&](TKVRCommunicationClient*, int ID, const std::string& S) { FaderNames.push_back({ID, S}); };
    KVRCANBlock Ask = MakeBlock(CBID_CH_SETUP_NAME, std::vector<std::uint8_t>{6});
    ASSERT_TRUE(Client->SendBlock(Ask));
    ASSERT_TRUE(Svc.GetSetupName(CBID_CH_SETUP_NAME, 5, Name));
    EXPECT_EQ(Name, "Morning Show");
    ASSERT_EQ(ChNames.size(), 1u);
    EXPECT_EQ(ChNames[0], (std::pair<int, std::string>{6, "Evening"}));

    // And names the device pushes by itself, through the receive poll.
    for (const char* Part : {"0009000047756573", "0009010074000000", "0009020000000000", "0009030000000000"})
        Emulator->send(QString("send 1 0x11140000 ") + Part);
    Emulator->send("send 1 0x112F0000 0700416674657220");
    Emulator->send("send 1 0x112F0000 0701486f75727300");
    std::vector<std::pair<int, std::string>> MxNames;
    Client->OnMxSetupNameReceived = [&](TKVRCommunicationClient*, int ID, const std::string& S) { MxNames.push_back({ID, S}); };
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while ((FaderNames.empty() || MxNames.empty()) && std::chrono::steady_clock::now() < Deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(FaderNames.size(), 1u);
    EXPECT_EQ(FaderNames[0], (std::pair<int, std::string>{9, "Guest"}));
    ASSERT_EQ(MxNames.size(), 1u);
    EXPECT_EQ(MxNames[0], (std::pair<int, std::string>{7, "After Hours"}));
}

TEST_F(TransferEndToEnd, FileWithChecksumAndReadBack)
{
    Begin();
    std::vector<std::uint8_t> Content(600);
    for (std::size_t i = 0; i < Content.size(); ++i)
        Content[i] = static_cast<std::uint8_t>(i * 7 + 5);
    TMemoryStream S(Content);
    FileTransfer F(*Client);
    ASSERT_EQ(F.SendFile(S, "presets/a.bin"), 0) << F.GetErrorMsg();
    TMemoryStream Back;
    ASSERT_EQ(F.ReadFile(Back, "presets/a.bin"), 0) << F.GetErrorMsg();
    EXPECT_EQ(Back.Bytes(), Content);
    EXPECT_EQ(F.GetErrorMsg(), "");

    TMemoryStream Missing;
    EXPECT_EQ(F.ReadFile(Missing, "nothing.bin"), 2);
    EXPECT_EQ(F.GetErrorMsg(), "Not found");
}

TEST_F(TransferEndToEnd, FileChecksumFault)
{
    Begin("corrupt-crc");
    TMemoryStream S(std::vector<std::uint8_t>(600, 0x42));
    FileTransfer F(*Client);
    // The device checks what it receives itself; its report on reading is corrupted.
    ASSERT_EQ(F.SendFile(S, "a.bin"), 0);
    TMemoryStream Back;
    EXPECT_EQ(F.ReadFile(Back, "a.bin"), static_cast<int>(0xA101000E));
    EXPECT_EQ(F.GetErrorMsg(), InfoFormatter->GetMessageText(0xA101000E));
    EXPECT_EQ(Back.GetSize(), 600);
}

TEST_F(TransferEndToEnd, FlashBurnReportedInTime)
{
    Begin("flash-burn");
    TMemoryStream S(std::vector<std::uint8_t>(600, 0x42));
    FileTransfer F(*Client);
    EXPECT_EQ(F.SendFile(S, "fw.bin"), 0) << F.GetErrorMsg();
}

TEST_F(TransferEndToEnd, FlashBurnNotReportedInTime)
{
    // Answers: 1 the header, 2 "burning", 3 the final result, which comes 20 s late; a 600-byte
    // file gets 3 s.
    Begin("flash-burn,late=3:20000");
    TMemoryStream S(std::vector<std::uint8_t>(600, 0x42));
    FileTransfer F(*Client);
    const auto Start = std::chrono::steady_clock::now();
    EXPECT_EQ(F.SendFile(S, "fw.bin"), static_cast<int>(0xA101000F));
    EXPECT_EQ(F.GetErrorMsg(), InfoFormatter->GetMessageText(0xA101000F));
    const auto Took = std::chrono::steady_clock::now() - Start;
    EXPECT_GE(Took, std::chrono::milliseconds(2800));
    EXPECT_LT(Took, std::chrono::milliseconds(15000));
}

TEST_F(TransferEndToEnd, LateDuplicateAnswersDoNotConfirmTheNextBlock)
{
    // Every answer comes twice, every seventh not at all: a block whose own answer is lost must
    // be sent again, never confirmed by the duplicate of the block before it.
    Begin("dup=1,drop=7");
    std::vector<KVRCANBlock> Others;
    Client->OnCANBlockReceived = [&](TKVRCommunicationClient*, KVRCANBlock CB) { Others.push_back(CB); };
    const auto Image = MakeImage(400);
    ASSERT_TRUE(ConfigTransfer(*Client).LoadToTarget(Image.data(), 400));
    const std::size_t Blocks = 1 + 400 / 8;
    // Six answers of fifty were dropped; each of those blocks went out again.
    EXPECT_GE(DeviceReceived(), Blocks + 400 / 8 / 7);
    EXPECT_FALSE(Others.empty());
    for (const auto& CB : Others)
        EXPECT_EQ(CB.ID >> 16, 0x1B00u);
    std::vector<std::uint8_t> Back(ImageMaxSize, 0);
    const int Got = ConfigTransfer(*Client).LoadFromTarget(Back.data());
    ASSERT_EQ(Got, 400);
    EXPECT_TRUE(std::equal(Image.begin(), Image.end(), Back.begin()));
}

TEST_F(TransferEndToEnd, LinkCutMidwayFailsAndKeepsTheCallersImage)
{
    Begin("cut-after=100");
    std::vector<std::uint8_t> Buffer(ImageMaxSize, 0xAB);
    const auto Image = MakeImage(2000);
    EXPECT_FALSE(ConfigTransfer(*Client).LoadToTarget(Image.data(), 2000));
    EXPECT_NE(Client->GetStatus(), dcsConnected);
    EXPECT_EQ(ConfigTransfer(*Client).LoadFromTarget(Buffer.data()), 0);
    EXPECT_TRUE(std::all_of(Buffer.begin(), Buffer.end(), [](std::uint8_t B) { return B == 0xAB; }));
}

TEST_F(TransferEndToEnd, LinkCutDuringARead)
{
    Begin();
    const auto Image = MakeImage(4000);
    ASSERT_TRUE(ConfigTransfer(*Client).LoadToTarget(Image.data(), 4000));
    std::vector<std::uint8_t> Buffer(ImageMaxSize, 0xAB);
    int Cuts = 0;
    Client->OnProgress = [&](TKVRCommunicationClient*, int Bytes, int, int Total) {
        if (Total == 4000 && Bytes >= 2000 && Cuts++ == 0)
            Emulator->send("cut 1");
    };
    EXPECT_EQ(ConfigTransfer(*Client).LoadFromTarget(Buffer.data()), 0);
    EXPECT_TRUE(std::all_of(Buffer.begin(), Buffer.end(), [](std::uint8_t B) { return B == 0xAB; }));
}

} // namespace
