// The receive poll, dispatch, name assemblers, error events and progress.

#include "clientfixture.h"
#include "kvrdata/byteorder.h"

namespace clienttest {
namespace {

using namespace Kvrdata_ns;

KVRCANBlock Block(std::uint32_t ID, std::uint8_t Len, std::vector<std::uint8_t> Data = {})
{
    KVRCANBlock CB;
    CB.ID = ID;
    CB.Len = Len;
    std::copy(Data.begin(), Data.end(), CB.Data.begin());
    return CB;
}

std::vector<std::uint8_t> Part(std::uint8_t Number, std::uint8_t PartNo, const char* Six)
{
    std::vector<std::uint8_t> D = {Number, PartNo};
    for (int i = 0; i < 6; ++i)
        D.push_back(static_cast<std::uint8_t>(Six[i]));
    return D;
}

std::vector<std::uint8_t> FaderPart(std::uint16_t Channel, std::uint8_t PartNo, const char* Four)
{
    std::vector<std::uint8_t> D = {static_cast<std::uint8_t>(Channel >> 8), static_cast<std::uint8_t>(Channel), PartNo, 0};
    for (int i = 0; i < 4; ++i)
        D.push_back(static_cast<std::uint8_t>(Four[i]));
    return D;
}

class PollTest : public ClientTest {
protected:
    TKVRCommunicationClient& Recording()
    {
        auto& C = Connected();
        C.OnCANBlockReceived = [this](TKVRCommunicationClient*, KVRCANBlock CB) { Blocks.push_back(CB.ID); };
        C.OnChSetupNameReceived = [this](TKVRCommunicationClient*, int ID, const std::string& S) {
            Names.push_back("ch " + std::to_string(ID) + " [" + S + "]");
        };
        C.OnMxSetupNameReceived = [this](TKVRCommunicationClient*, int ID, const std::string& S) {
            Names.push_back("mx " + std::to_string(ID) + " [" + S + "]");
        };
        C.OnFaderChNameReceived = [this](TKVRCommunicationClient*, int ID, const std::string& S) {
            Names.push_back("fader " + std::to_string(ID) + " [" + S + "]");
        };
        C.OnErrorMsgReceived = [this](TKVRCommunicationClient*, KVRCANBlock CB, TMessageSource MS, unsigned IP) {
            Errors.push_back({CB.ID, MS.ConnectionType, MS.Name, IP});
        };
        return C;
    }

    struct Error {
        std::uint32_t ID;
        TConnectionType Type;
        std::string Name;
        unsigned IP;
        bool operator==(const Error&) const = default;
    };
    std::vector<std::uint32_t> Blocks;
    std::vector<std::string> Names;
    std::vector<Error> Errors;
};

TEST_F(PollTest, TickDrainsTheQueueInOrder)
{
    auto& C = Recording();
    for (std::uint32_t ID : {0x22000001u, 0x22000002u, 0x22000003u})
        Server->deliverBlock(H(), BlockBytes(ID, 1, {1}));
    C.OnTimer(nullptr);
    EXPECT_EQ(Blocks, (std::vector<std::uint32_t>{0x22000001, 0x22000002, 0x22000003}));
    EXPECT_EQ(Server->queuedBlocks(H()), 0u);
}

// The server hands over only the bytes a block uses: a short block read after a long one must not
// carry the long one's bytes.
TEST_F(PollTest, ShortBlockAfterLongOneCarriesNoStaleBytes)
{
    auto& C = Recording();
    std::vector<KVRCANBlock> Got;
    C.OnCANBlockReceived = [&](TKVRCommunicationClient*, KVRCANBlock CB) { Got.push_back(CB); };
    std::vector<std::uint8_t> Long(20, 0xEE);
    Server->deliverBlock(H(), BlockBytes(0x22000001, 20, Long));
    Server->deliverBlock(H(), BlockBytes(0x22000002, 2, {1, 2}));
    C.OnTimer(nullptr);
    ASSERT_EQ(Got.size(), 2u);
    EXPECT_EQ(Got[1].Data[2], 0);
    EXPECT_EQ(Got[1].Data[12], 0);
}

TEST_F(PollTest, NothingWithoutInternalTimer)
{
    auto& C = Recording();
    Server->deliverBlock(H(), BlockBytes(0x22000001, 1, {1}));
    C.UseInternalTimer = false;
    const auto Calls = Server->calls().size();
    C.OnTimer(nullptr);
    EXPECT_EQ(Server->calls().size(), Calls);
    EXPECT_TRUE(Blocks.empty());
}

TEST_F(PollTest, SilenceRaisesOneEventPerSilence)
{
    auto& C = Recording();
    int Silences = 0;
    C.OnNoCANBlockReceived = [&](QObject*) { ++Silences; };
    C.OnTimer(nullptr);
    EXPECT_EQ(Silences, 0) << "nothing before a first block";
    Server->deliverBlock(H(), BlockBytes(0x22000001, 1, {1}));
    C.OnTimer(nullptr);
    Clock.T += 299;
    C.OnTimer(nullptr);
    EXPECT_EQ(Silences, 0);
    Clock.T += 1;
    C.OnTimer(nullptr);
    Clock.T += 1000;
    C.OnTimer(nullptr);
    EXPECT_EQ(Silences, 1);
    Server->deliverBlock(H(), BlockBytes(0x22000001, 1, {1}));
    C.OnTimer(nullptr);
    Clock.T += 300;
    C.OnTimer(nullptr);
    EXPECT_EQ(Silences, 2);
}

TEST_F(PollTest, RouteMessagesGoToTheirEventWhenAssigned)
{
    auto& C = Recording();
    C.ProcessBlock(Block(0x01F50001, 2));
    EXPECT_EQ(Blocks, std::vector<std::uint32_t>{0x01F50001});
    int Routes = 0;
    C.OnRouteMsgReceived = [&](TKVRCommunicationClient*, KVRCANBlock) { ++Routes; };
    C.ProcessBlock(Block(0x01F50002, 2));
    EXPECT_EQ(Routes, 1);
    EXPECT_EQ(Blocks.size(), 1u);
}

TEST_F(PollTest, SetupNamesAssembleFromTwoParts)
{
    auto& C = Recording();
    C.ProcessBlock(Block(0x112A0000, 8, Part(5, 0, " Morni")));
    C.ProcessBlock(Block(0x112A0000, 8, Part(5, 1, "ng\0\0\0\0")));
    // A repeated last part (the device answered twice) starts no 18-character name.
    C.ProcessBlock(Block(0x112A0000, 8, Part(5, 1, "ng\0\0\0\0")));
    C.ProcessBlock(Block(0x112F0000, 8, Part(2, 0, "Mix A ")));
    C.ProcessBlock(Block(0x112A0000, 8, Part(6, 1, "other ")));
    C.ProcessBlock(Block(0x112F0000, 8, Part(2, 1, "      ")));
    EXPECT_EQ(Names, (std::vector<std::string>{"ch 5 [Morning]", "mx 2 [Mix A]"}));
    EXPECT_TRUE(Blocks.empty()) << "name blocks are taken, dropped ones too";
}

// A bad part number comes from the device: it is dropped and traced, not asserted, so the poll
// survives it.
TEST_F(PollTest, SetupNameWithBadPartIsDropped)
{
    auto& C = Recording();
    Server->deliverBlock(H(), BlockBytes(0x112A0000, 8, Part(5, 0, "abcdef")));
    Server->deliverBlock(H(), BlockBytes(0x112A0000, 8, Part(5, 7, "ghijkl")));
    Server->deliverBlock(H(), BlockBytes(0x22000001, 1, {1}));
    C.GetTimer().SetEnabled(true);
    EXPECT_NO_THROW(C.GetTimer().DoTimer());
    EXPECT_FALSE(C.GetTimer().GetWorking());
    EXPECT_EQ(Blocks, std::vector<std::uint32_t>{0x22000001});
    EXPECT_TRUE(Names.empty());
}

TEST_F(PollTest, SetupNamesWithoutHandlerAreOrdinaryBlocks)
{
    auto& C = Recording();
    C.OnChSetupNameReceived = nullptr;
    C.ProcessBlock(Block(0x112A0000, 8, Part(5, 0, "abcdef")));
    EXPECT_EQ(Blocks, std::vector<std::uint32_t>{0x112A0000});
}

TEST_F(PollTest, FaderNamesAssembleFromFourParts)
{
    auto& C = Recording();
    const char* Parts[] = {"  Vo", "ice ", "Over", "\0\0\0\0"};
    for (std::uint8_t i = 0; i < 4; ++i)
        C.ProcessBlock(Block(0x11140000, 8, FaderPart(0x0102, i, Parts[i])));
    EXPECT_EQ(Names, std::vector<std::string>{"fader 258 [Voice Over]"});

    Names.clear();
    C.ProcessBlock(Block(0x11140000, 8, FaderPart(7, 0, "abcd")));
    C.ProcessBlock(Block(0x11140000, 8, FaderPart(7, 2, "efgh")));
    C.ProcessBlock(Block(0x11140000, 8, FaderPart(7, 3, "ijkl")));
    C.ProcessBlock(Block(0x11140000, 7, FaderPart(7, 0, "abcd")));
    EXPECT_TRUE(Names.empty());
    EXPECT_TRUE(Blocks.empty());
}

TEST_F(PollTest, ErrorBlocksRaiseTheirEventBeforeDispatch)
{
    auto& C = Recording();
    Server->deliverBlock(H(), BlockBytes(0x0F100003, 8, {0, 1}));
    C.OnTimer(nullptr);
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0], (Error{0x0F100003, dctTCP, "127.0.0.1", 0}));
    EXPECT_EQ(Blocks, std::vector<std::uint32_t>{0x0F100003}) << "passed on as a block too";
}

// An error read over a serial connection names the serial port, not a network address.
TEST_F(PollTest, ErrorOverSerialConnectionIsLabelledCOM)
{
    auto& C = Recording();
    C.COMPort = 4;
    ASSERT_TRUE(C.OpenSerialConnection());
    Server->deliverBlock(H(), BlockBytes(0x0F100003, 8, {0, 1}));
    KVRCANBlock CB;
    ASSERT_TRUE(C.ReadBlock(CB));
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].Type, dctCOM);
    EXPECT_EQ(Errors[0].Name, "COM4");
}

TUDPMsg ErrorBroadcast(std::uint32_t From)
{
    TUDPMsg M;
    M.Address = From;
    kvr::writeLE32(M.Payload, 0, 0x06061999);
    M.Payload[16 - UDPPayloadOffset] = 8;
    kvr::writeLE32(M.Payload, 18 - UDPPayloadOffset, 0x0F100042);
    M.Payload[22 - UDPPayloadOffset] = 0x12;
    return M;
}

Bytes Image(const TUDPMsg& M)
{
    const auto I = UDPMsgToBytes(M);
    return Bytes(I.begin(), I.end());
}

TEST_F(PollTest, BroadcastsAndErrorBroadcasts)
{
    auto& C = Recording();
    std::vector<std::uint32_t> Broadcasts;
    C.OnBroadcastReceived = [&](TKVRCommunicationClient*, TUDPMsg M) { Broadcasts.push_back(M.Address); };
    TUDPMsg Status;
    Status.Address = 0x0A000005;
    kvr::writeLE32(Status.Payload, 0, UDPMagicDeviceStatus);
    Server->queueUDP(H(), Image(ErrorBroadcast(0x7F000001))); // our own device: already reported
    Server->queueUDP(H(), Image(ErrorBroadcast(0x0A000007)));
    Server->queueUDP(H(), Image(Status));
    C.OnTimer(nullptr);
    EXPECT_EQ(Broadcasts, std::vector<std::uint32_t>{0x0A000005});
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0], (Error{0x0F100042, dctUDP, "10.0.0.7", 0x0A000007}));

    // A client that is not connected still drains broadcasts, but reads no blocks.
    C.CloseConnection();
    Server->deliverBlock(H(), BlockBytes(0x22000001, 1, {1}));
    Server->queueUDP(H(), Image(ErrorBroadcast(0x7F000001)));
    Server->queueUDP(H(), Image(Status));
    C.OnTimer(nullptr);
    EXPECT_EQ(Broadcasts.size(), 2u);
    EXPECT_EQ(Errors.size(), 2u);
    EXPECT_TRUE(Blocks.empty());

    C.PeriodicReadBroadcasts = false;
    Server->queueUDP(H(), Image(Status));
    C.OnTimer(nullptr);
    EXPECT_EQ(Broadcasts.size(), 2u);
}

TEST_F(ClientTest, ProgressPercentages)
{
    auto& C = MakeClient();
    std::vector<std::array<int, 3>> Events;
    C.OnProgress = [&](TKVRCommunicationClient*, int Bytes, int Sum, int Total) { Events.push_back({Bytes, Sum, Total}); };
    C.SetProgress(100, 200);
    EXPECT_EQ(C.BytesSum, 100u);
    C.SetProgress(150, 200);
    EXPECT_EQ(C.BytesSum, 150u);
    C.SetProgress(10, 200);
    EXPECT_EQ(C.BytesSum, 160u);
    EXPECT_EQ(Events, (std::vector<std::array<int, 3>>{{100, 100, 200}, {150, 150, 200}, {10, 160, 200}}));

    Events.clear();
    C.SetProgress(0, 1000);
    C.SetProgress(1, 1000);
    EXPECT_EQ(Events.size(), 1u) << "0 % twice raises once";

    // Above about 21 MB bytes x 100 leaves 32 bits.
    Events.clear();
    C.SetProgress(30'000'000, 40'000'000);
    ASSERT_EQ(Events.size(), 1u);
    C.SetProgress(36'000'000, 40'000'000);
    ASSERT_EQ(Events.size(), 2u);
    C.SetProgress(36'100'000, 40'000'000);
    EXPECT_EQ(Events.size(), 2u) << "still 90 %";
    C.SetProgress(5, 0);
    EXPECT_EQ(Events.size(), 3u) << "a total of 0 counts as 1";
}

} // namespace
} // namespace clienttest
