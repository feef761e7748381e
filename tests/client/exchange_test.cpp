// Block and UDP exchange on the fake server and the fake clock.

#include <csignal>

#include "clientfixture.h"
#include "diagnostics/kvrassert.h"
#include "kvrdata/byteorder.h"

namespace clienttest {
namespace {

using namespace Kvrdata_ns;
using kvr::commserver::HrServerUnavailable;

KVRCANBlock Block(std::uint32_t ID, std::uint8_t Len, std::vector<std::uint8_t> Data = {})
{
    KVRCANBlock CB;
    CB.ID = ID;
    CB.Len = Len;
    std::copy(Data.begin(), Data.end(), CB.Data.begin());
    return CB;
}

TEST(BlockMatch, RuleUnderMasks)
{
    struct Case {
        const char* What;
        KVRCANBlock R;
        KVRCANBlock Pattern;
        unsigned IDMask;
        std::uint8_t LenMask;
        std::uint64_t DataMask;
        bool Matches;
    };
    const auto P3 = Block(0x112A0000, 3, {1, 2, 3, 4, 5, 6, 7, 8});
    const Case Cases[] = {
        {"same block", P3, P3, 0xFFFFFFFF, 0xFF, ~0ull, true},
        {"ID differs", Block(0x112A0001, 3, {1, 2, 3}), P3, 0xFFFFFFFF, 0xFF, ~0ull, false},
        {"ID differs outside the mask", Block(0x112A0001, 3, {1, 2, 3}), P3, 0xFFFF0000, 0xFF, ~0ull, true},
        {"length differs", Block(0x112A0000, 4, {1, 2, 3}), P3, 0xFFFFFFFF, 0xFF, ~0ull, false},
        {"LenMask 0 accepts any length", Block(0x112A0000, 8, {1, 2, 3}), P3, 0xFFFFFFFF, 0, ~0ull, true},
        {"pattern length 3 limits the data", Block(0x112A0000, 3, {1, 2, 3, 9, 9, 9, 9, 9}), P3, 0xFFFFFFFF, 0xFF,
         ~0ull, true},
        {"third byte differs", Block(0x112A0000, 3, {1, 2, 4}), P3, 0xFFFFFFFF, 0xFF, ~0ull, false},
        {"top mask byte is Data[0]", Block(0x112A0000, 3, {1, 9, 9}), P3, 0xFFFFFFFF, 0xFF, 0xFF00000000000000ull,
         true},
        {"Data[0] differs under top byte", Block(0x112A0000, 3, {0, 2, 3}), P3, 0xFFFFFFFF, 0xFF,
         0xFF00000000000000ull, false},
        {"low mask byte is Data[7]", Block(0x1, 8, {0, 0, 0, 0, 0, 0, 0, 0x5A}), Block(0x1, 8, {9, 9, 9, 9, 9, 9, 9, 0x5A}),
         0xFFFFFFFF, 0xFF, 0x00000000000000FFull, true},
        {"partial mask bits", Block(0x1, 8, {0xF1}), Block(0x1, 8, {0x01}), 0xFFFFFFFF, 0xFF, 0x0F00000000000000ull,
         true},
        {"pattern length 0 ignores data", Block(0x1, 8, {7, 7}), Block(0x1, 0), 0xFFFFFFFF, 0, ~0ull, true},
        {"pattern length 8 compares all", Block(0x1, 8, {1, 2, 3, 4, 5, 6, 7, 0}), Block(0x1, 8, {1, 2, 3, 4, 5, 6, 7, 8}),
         0xFFFFFFFF, 0xFF, ~0ull, false},
        {"pattern length above 8 compares 8", Block(0x1, 20, {1, 2, 3, 4, 5, 6, 7, 8, 0}),
         Block(0x1, 20, {1, 2, 3, 4, 5, 6, 7, 8, 9}), 0xFFFFFFFF, 0xFF, ~0ull, true},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(kvr::client::BlockMatches(Case.R, Case.Pattern, Case.IDMask, Case.LenMask, Case.DataMask),
                  Case.Matches)
            << Case.What;
}

TEST_F(ClientTest, SendResultCodesGiveStatusAttemptsAndPauses)
{
    struct Case {
        const char* What;
        std::vector<std::int32_t> Results;
        bool Responding;
        bool Sent;
        TKVRClientStatus Status;
        std::size_t Calls;
        std::size_t Pauses;
    };
    const Case Cases[] = {
        {"sent at once", {0}, true, true, dcsConnected, 1, 0},
        {"9: not connected, no pause", {9}, true, false, dcsNotConnected, 1, 0},
        {"3: no connection", {3}, true, false, dcsNotConnected, 1, 0},
        {"other results use up the retries", {5, 5, 5, 5, 5, 5}, true, false, dcsConnected, 5, 5},
        {"second attempt succeeds", {5, 0}, true, true, dcsConnected, 2, 1},
        {"reconnecting does not count and ends with the first success", {10, 10, 10, 10, 10, 10, 0}, true, true,
         dcsConnected, 7, 6},
        {"reconnecting then gone", {10, 9}, true, false, dcsNotConnected, 2, 1},
        {"a failing HRESULT is a failed attempt", {}, false, false, dcsConnected, 5, 5},
    };
    for (const auto& Case : Cases) {
        SetUp();
        auto& C = Connected();
        std::vector<TKVRClientStatus> Seen;
        C.OnStatusChanged = [&](QObject*) { Seen.push_back(C.GetStatus()); };
        Server->scriptResults(RpcMethod::SendBlock, Case.Results);
        Server->setResponding(Case.Responding);
        Clock.Sleeps.clear();
        KVRCANBlock CB = Block(0x11000000, 2, {1, 2});
        EXPECT_EQ(C.SendBlock(CB), Case.Sent) << Case.What;
        EXPECT_EQ(C.GetStatus(), Case.Status) << Case.What;
        EXPECT_EQ(CallCount(RpcMethod::SendBlock), Case.Calls) << Case.What;
        EXPECT_EQ(Clock.Sleeps.size(), Case.Pauses) << Case.What;
        for (unsigned Pause : Clock.Sleeps)
            EXPECT_EQ(Pause, 200u) << Case.What;
        if (Case.Results.size() > 1 && Case.Results[0] == 10 && Case.Sent) {
            EXPECT_EQ(Seen, (std::vector<TKVRClientStatus>{dcsTryingReconnect, dcsConnected})) << Case.What;
        }
        TearDown();
    }
}

TEST_F(ClientTest, ReconnectingStateKeepsSendingAndRecovers)
{
    auto& C = Connected();
    C.SetStatus(dcsTryingReconnect);
    KVRCANBlock CB = Block(0x11000000, 0);
    EXPECT_TRUE(C.SendBlock(CB));
    EXPECT_EQ(C.GetStatus(), dcsConnected);

    C.SetStatus(dcsTryingReconnect);
    Server->deliverBlock(H(), BlockBytes(0x11000001, 1, {5}));
    EXPECT_TRUE(C.ReadBlock(CB));
    EXPECT_EQ(C.GetStatus(), dcsConnected) << "a successful read ends it too";
}

TEST_F(ClientTest, EndlessReconnectingDoesNotHoldTheThreadForEver)
{
    auto& C = Connected();
    Server->scriptResults(RpcMethod::SendBlock, std::vector<std::int32_t>(200, 10));
    KVRCANBlock CB = Block(0x11000000, 0);
    EXPECT_FALSE(C.SendBlock(CB));
    EXPECT_EQ(C.GetStatus(), dcsTryingReconnect);
    EXPECT_LE(CallCount(RpcMethod::SendBlock), 60u);
}

TEST_F(ClientTest, SendWithoutConnectionOrRetriesCallsNothing)
{
    auto& C = MakeClient();
    KVRCANBlock CB = Block(0x11000000, 0);
    EXPECT_FALSE(C.SendBlock(CB));
    EXPECT_EQ(CallCount(RpcMethod::SendBlock), 0u);
    // The pacing still counts from this call.
    const auto Before = Clock.Pumps;
    EXPECT_FALSE(C.SendBlock(CB));
    EXPECT_EQ(Clock.Pumps - Before, 10);

    auto& D = Connected();
    D.Retries = 0;
    KVRCANBlock Answer;
    EXPECT_FALSE(D.SendBlock(CB));
    EXPECT_FALSE(D.RequestBlockFiltered(CB, Answer, ~0u, 0, 0, 0));
    EXPECT_EQ(CallCount(RpcMethod::SendBlock), 0u);
}

TEST_F(ClientTest, PacingWaitsTheRestOfTicksSendLettingMessagesThrough)
{
    auto& C = Connected();
    C.TicksSend = 10;
    KVRCANBlock CB = Block(0x11000000, 0);
    ASSERT_TRUE(C.SendBlock(CB));
    Clock.T += 2;
    const auto Start = Clock.T;
    const auto Pumps = Clock.Pumps;
    ASSERT_TRUE(C.SendBlock(CB));
    EXPECT_EQ(Clock.T - Start, 8u);
    EXPECT_EQ(Clock.Pumps - Pumps, 8);
    EXPECT_TRUE(Clock.Sleeps.empty());

    // After a pause longer than TicksSend nothing is waited.
    Clock.T += 50;
    const auto Pumps2 = Clock.Pumps;
    ASSERT_TRUE(C.SendBlock(CB));
    EXPECT_EQ(Clock.Pumps, Pumps2);

    // ResetFixedTicks forgets the last send.
    C.ResetFixedTicks();
    const auto Pumps3 = Clock.Pumps;
    ASSERT_TRUE(C.SendBlock(CB));
    EXPECT_EQ(Clock.Pumps, Pumps3);
}

TEST_F(ClientTest, ReadBlockExEndsWhenTheServerAnswersLate)
{
    auto& C = Connected();
    // Every empty answer comes 5 ms after the time asked for: the time left turns negative.
    Server->ExtraWait = 5;
    KVRCANBlock CB;
    EXPECT_FALSE(C.ReadBlockEx(100, CB));
    EXPECT_EQ(CallCount(RpcMethod::ReadBlockEx2), 1u);
    EXPECT_TRUE(C.UseInternalTimer);

    Server->ExtraWait = 0;
    EXPECT_FALSE(C.ReadBlockEx(0, CB));
    EXPECT_EQ(CallCount(RpcMethod::ReadBlockEx2), 2u) << "time-out 0 asks once";
}

TEST_F(ClientTest, ReadFailuresSetStatus)
{
    auto& C = Connected();
    KVRCANBlock CB;
    Server->scriptResults(RpcMethod::ReadBlock2, {11});
    EXPECT_FALSE(C.ReadBlock(CB));
    EXPECT_EQ(C.GetStatus(), dcsNotConnected) << "11 closes the connection";
    EXPECT_EQ(CallCount(RpcMethod::CloseConnection), 1u);

    Server->setResponding(false);
    EXPECT_FALSE(C.ReadBlock(CB));
    EXPECT_EQ(C.GetStatus(), dcsServerNotResponding);
}

TEST_F(ClientTest, FilteredReadDispatchesOthersAndTakesTheMatch)
{
    auto& C = Connected();
    std::vector<std::uint32_t> Events;
    C.OnCANBlockReceived = [&](TKVRCommunicationClient*, KVRCANBlock CB) { Events.push_back(CB.ID); };
    Server->deliverBlock(H(), BlockBytes(0x22000000, 1, {1}));
    Server->deliverBlock(H(), BlockBytes(0x112E0005, 8, {1, 2, 3, 4, 5, 6, 7, 8}));
    KVRCANBlock Pattern = Block(0x112E0000, 8);
    ASSERT_TRUE(C.ReadBlockFiltered(Pattern, 0xFFFF0000, 0xFF, 0, -1));
    EXPECT_EQ(Pattern.ID, 0x112E0005u);
    EXPECT_EQ(Pattern.Data[7], 8);
    EXPECT_EQ(Events, std::vector<std::uint32_t>{0x22000000});
    EXPECT_TRUE(C.UseInternalTimer);
}

TEST_F(ClientTest, FilteredReadWaitsTicksReadForNothing)
{
    auto& C = Connected();
    C.TicksRead = 300;
    const auto Start = Clock.T;
    KVRCANBlock Pattern = Block(0x112E0000, 8);
    EXPECT_FALSE(C.ReadBlockFiltered(Pattern, ~0u, 0, 0, -1));
    EXPECT_EQ(Clock.T - Start, 300u);
}

TEST_F(ClientTest, RequestRetriesUntilAnswered)
{
    auto& C = Connected();
    int Sends = 0;
    Server->onSendBlock = [&](std::int32_t Handle, const Bytes&) {
        if (++Sends == 3)
            Server->deliverBlock(Handle, BlockBytes(0x112E0000, 8, {0, 0, 0, 1}));
    };
    KVRCANBlock Request = Block(0x112E0000, 0);
    KVRCANBlock Expected = Block(0x112E0000, 0);
    ASSERT_TRUE(C.RequestBlockFiltered(Request, Expected, ~0u, 0, 0, 50));
    EXPECT_EQ(Sends, 3);
    EXPECT_EQ(Expected.Data[3], 1);
}

// An older-generation broadcast collection: record size, two spare bytes, then the records.
Bytes Collection(const std::vector<TUDPMsg>& Msgs)
{
    Bytes B(4);
    kvr::writeBE16(B, 0, UDPMsgSize);
    for (const auto& M : Msgs) {
        const auto Image = UDPMsgToBytes(M);
        B.insert(B.end(), Image.begin(), Image.end());
    }
    return B;
}

TUDPMsg Status(std::uint32_t IP, std::uint32_t MAC, std::uint32_t DID, std::uint32_t PID, const char* Name = "")
{
    TUDPMsg M;
    M.Address = IP;
    kvr::writeLE32(M.Payload, 0, UDPMagicDeviceStatus);
    kvr::writeLE32(M.Payload, 4, MAC);
    kvr::writeLE32(M.Payload, 8, DID);
    kvr::writeLE32(M.Payload, 12, PID);
    for (int i = 0; Name[i] && i < 10; ++i)
        M.Payload[20 + i] = static_cast<std::uint8_t>(Name[i]);
    M.Length = 60;
    return M;
}

TEST_F(ClientTest, GetDAFindsTheNthMatch)
{
    auto& C = MakeClient();
    Server->setBroadcasts(Collection({Status(0x0A000001, 0x55000101, 1, 0x41424344),
                                      Status(0x0A000009, 0x55000109, 2, 0x41424344),
                                      Status(0x0A000002, 0x55000102, 1, 0x41424344),
                                      Status(0x0A000003, 0x55000103, 1, 0x41424344)}));
    TDeviceAddr DA;
    EXPECT_EQ(C.GetDA(0x41424344, 1, 2, DA), 2);
    EXPECT_EQ(DA.IP, 0x0A000002u);
    EXPECT_EQ(DA.MAC, 0x000102u);
    EXPECT_EQ(DA.PID, 0x41424344u);
    EXPECT_EQ(DA.DID, 1u);
    EXPECT_EQ(DA.CK, dckBroadcast);

    TDeviceAddr Untouched;
    Untouched.IP = 77;
    EXPECT_EQ(C.GetDA(0x41424344, 1, 5, Untouched), 3);
    EXPECT_EQ(Untouched.IP, 77u);
    EXPECT_EQ(C.GetDA(0x41424344, 3, 1, Untouched), 0);

    TDeviceAddr ByMAC;
    ASSERT_TRUE(C.GetDAbyMAC(0x000109, ByMAC));
    EXPECT_EQ(ByMAC.IP, 0x0A000009u);
    EXPECT_EQ(ByMAC.DID, 2u);
    EXPECT_FALSE(C.GetDAbyMAC(0x000999, ByMAC));
}

TEST_F(ClientTest, NameFromIPComesFromBroadcasts)
{
    auto& C = MakeClient();
    Server->setBroadcasts(Collection({Status(0x0A000001, 0x101, 1, 0x41424344, "Frame A  ")}));
    EXPECT_EQ(C.GetNameFromIP(0x0A000001), "Frame A");
    EXPECT_EQ(C.GetNameFromIP(0xC0A80101), "192.168.1.1");
}

TEST_F(ClientTest, UDPSendAndRead)
{
    auto& C = MakeClient();
    TUDPMsg M = MakeSetDHCPMsg();
    EXPECT_TRUE(C.SendUDPBlock(M));
    EXPECT_EQ(Server->calls().back().bytes.size(), UDPSentSize);
    Server->scriptResults(RpcMethod::SendUDPBlock, {4});
    Clock.Sleeps.clear();
    EXPECT_FALSE(C.SendUDPBlock(M));
    EXPECT_EQ(Clock.Sleeps, (std::vector<unsigned>{10, 200})) << "paced, then the pause after the failure";

    const auto Image = UDPMsgToBytes(Status(0x0A000001, 1, 2, 3));
    Server->queueUDP(C.GetClientHandle(), Bytes(Image.begin(), Image.end()));
    TUDPMsg In;
    ASSERT_TRUE(C.ReadUDPBlock(In));
    EXPECT_EQ(In.Address, 0x0A000001u);
    EXPECT_FALSE(C.ReadUDPBlock(In));
    EXPECT_THROW(C.ReadUDPBlockV6(nullptr), EAssertionFailed);
}

// Under a debugger the assertion returns once the debugger lets the program go on; the missing
// message must then fail the call, not be used.
TEST_F(ClientTest, MissingNewerGenerationMessageFailsAfterTheDebuggerBreak)
{
    auto& C = Connected();
    const auto PreviousProbe = kvr::diag::SetDebuggerProbe([] { return true; });
    const auto PreviousTrap = std::signal(SIGTRAP, SIG_IGN);
    const std::size_t Calls = Server->calls().size();
    EXPECT_FALSE(C.SendUDPBlockV6(nullptr));
    EXPECT_FALSE(C.ReadUDPBlockV6(nullptr));
    std::signal(SIGTRAP, PreviousTrap);
    kvr::diag::SetDebuggerProbe(PreviousProbe);
    EXPECT_EQ(Server->calls().size(), Calls) << "no server call without a message";
}

} // namespace
} // namespace clienttest
