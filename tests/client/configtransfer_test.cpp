// Configuration transfers on the fake server: order of blocks, retries, filters and refusals.

#include <gtest/gtest.h>

#include <set>

#include <cstring>
#include <map>
#include <memory>

#include "client/configtransfer.h"
#include "kvrdata/blockstream.h"
#include "kvrdata/byteorder.h"
#include "kvrdata/udpmsgv6.h"
#include "transferfixture.h"

namespace {

using namespace transfertest;
using kvr::client::ConfigTransfer;
using Kvrdata_ns::TMemoryStream;

std::vector<std::uint8_t> MakeImage(std::size_t Size)
{
    std::vector<std::uint8_t> Image(Size);
    for (std::size_t i = 0; i < Size; ++i)
        Image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    if (Size >= 200) {
        std::memcpy(Image.data(), "MPJ2", 4);
        kvr::writeBE16(Image, 58, static_cast<std::uint16_t>(Size));
        kvr::writeBE16(Image, 54, static_cast<std::uint16_t>(Size - 200)); // all of it setup entries
        kvr::writeBE16(Image, 56, 0);
    }
    return Image;
}

class ImageTest : public TransferTest {
protected:
    // A device holding Image: it answers reads with 8 bytes and confirms writes.
    void ImageDevice()
    {
        Device = [this](const KVRCANBlock& CB) -> Answers {
            const unsigned N = CB.ID & 0xFFFF;
            if ((CB.ID >> 16) == 0x1A00 && N > 0) {
                if (DropRead(N))
                    return {};
                KVRCANBlock A = Block(CB.ID, 8);
                for (std::size_t i = 0; i < 8 && (N - 1) * 8 + i < Image.size(); ++i)
                    A.Data[i] = Image[(N - 1) * 8 + i];
                return {A};
            }
            if ((CB.ID >> 16) == 0x1B00 && N > 0) {
                if (DropWrite(N))
                    return {};
                Written[N] = std::vector<std::uint8_t>(CB.Data.begin(), CB.Data.begin() + CB.Len);
                return {Block(CB.ID, 0)};
            }
            return {};
        };
    }

    std::vector<std::uint8_t> Image;
    std::map<unsigned, std::vector<std::uint8_t>> Written;
    std::function<bool(unsigned)> DropRead = [](unsigned) { return false; };
    std::function<bool(unsigned)> DropWrite = [](unsigned) { return false; };
};

TEST_F(ImageTest, WriteGoesFromTheLastChunkToTheFirst)
{
    struct Case {
        int Size;
        std::vector<std::uint32_t> IDs;
        std::uint8_t FirstLen;
    };
    const Case Cases[] = {
        {16, {0x1B000000, 0x1B000002, 0x1B000001}, 8},
        {17, {0x1B000000, 0x1B000003, 0x1B000002, 0x1B000001}, 1},
        {20, {0x1B000000, 0x1B000003, 0x1B000002, 0x1B000001}, 4},
        {0, {0x1B000000}, 0},
    };
    for (const Case& C : Cases) {
        TearDown();
        SetUp();
        Written.clear();
        auto& Client = Start();
        ImageDevice();
        // Exactly Size bytes: a read past the image's end is caught by the sanitizer.
        const auto Source = MakeImage(200);
        std::vector<std::uint8_t> Exact(Source.begin(), Source.begin() + C.Size);
        EXPECT_TRUE(ConfigTransfer(Client).LoadToTarget(Exact.data(), C.Size));
        EXPECT_EQ(SentIDs(), C.IDs) << C.Size;
        if (C.IDs.size() > 1) {
            EXPECT_EQ(Sent()[1].Len, C.FirstLen);
            std::vector<std::uint8_t> Joined;
            for (const auto& [N, Bytes] : Written)
                Joined.insert(Joined.end(), Bytes.begin(), Bytes.end());
            EXPECT_EQ(Joined, Exact);
        }
    }
}

TEST_F(ImageTest, WriteRefusesSizesNoImageHas)
{
    auto& Client = Start();
    ImageDevice();
    const auto Source = MakeImage(200);
    EXPECT_FALSE(ConfigTransfer(Client).LoadToTarget(Source.data(), -8));
    std::vector<std::uint8_t> Big(64008, 1);
    EXPECT_FALSE(ConfigTransfer(Client).LoadToTarget(Big.data(), 64001));
    EXPECT_TRUE(Sent().empty());
}

TEST_F(ImageTest, WriteTriesEachChunkFourTimesOfRetriesAttempts)
{
    auto& Client = Start();
    ImageDevice();
    int Block1 = 0;
    // Block 1 is confirmed on its seventh send: the second try's second attempt.
    DropWrite = [&](unsigned N) { return N == 1 && ++Block1 < 7; };
    const auto Source = MakeImage(16);
    EXPECT_TRUE(ConfigTransfer(Client).LoadToTarget(Source.data(), 16));
    EXPECT_EQ(SentCount(0x1B000001), 7u);
    EXPECT_EQ(Client.Retries, 5u);

    TearDown();
    SetUp();
    auto& Again = Start();
    ImageDevice();
    DropWrite = [](unsigned N) { return N == 2; };
    EXPECT_FALSE(ConfigTransfer(Again).LoadToTarget(Source.data(), 16));
    EXPECT_EQ(SentCount(0x1B000002), 4u * 5u);
    EXPECT_EQ(SentCount(0x1B000001), 0u) << "a chunk that never answers ends the write";
}

// A device that answers each block only after its request was repeated has stopped answering in
// time: the transfer ends after a few such blocks instead of taking hours.
TEST_F(ImageTest, ADeviceAnsweringOnlyAfterRepeatsEndsTheTransfer)
{
    struct Case {
        const char* What;
        bool Write;
        unsigned LateBlocks; // blocks, in the order sent, whose first request goes unanswered
        bool Completes;
    };
    const Case Cases[] = {
        {"read, every block late", false, 1000, false},
        {"read, seven late blocks, then in time", false, ConfigTransfer::LateBlocksLimit - 1, true},
        {"write, every block late", true, 1000, false},
        {"write, seven late blocks, then in time", true, ConfigTransfer::LateBlocksLimit - 1, true},
    };
    for (const Case& C : Cases) {
        TearDown();
        SetUp();
        auto& Client = Start();
        Image = MakeImage(400);
        ImageDevice();
        std::set<unsigned> Seen;
        const auto FirstTryOfALateBlock = [&](unsigned N) {
            const bool First = Seen.insert(N).second;
            return First && Seen.size() <= C.LateBlocks;
        };
        (C.Write ? DropWrite : DropRead) = FirstTryOfALateBlock;
        const std::uint64_t Began = Clock.T;
        bool Completed = false;
        if (C.Write) {
            Completed = ConfigTransfer(Client).LoadToTarget(Image.data(), 400);
        } else {
            std::vector<std::uint8_t> Buffer(64000);
            Completed = ConfigTransfer(Client).LoadFromTarget(Buffer.data()) == 400;
        }
        EXPECT_EQ(Completed, C.Completes) << C.What;
        if (!C.Completes) {
            EXPECT_EQ(Seen.size(), ConfigTransfer::LateBlocksLimit) << C.What;
            EXPECT_LE(Clock.T - Began, 8u * 2 * Client.TicksRead) << C.What;
        }
    }
}

TEST_F(ImageTest, LateDuplicateAnswerDoesNotConfirmTheNextBlock)
{
    auto& Client = Start();
    ImageDevice();
    // Block 3 is answered twice, block 2 never: the second answer to block 3 arrives while the
    // client waits for block 2, and 0x1B000003 carries every bit of 0x1B000002.
    auto Inner = Device;
    Device = [&](const KVRCANBlock& CB) {
        auto A = Inner(CB);
        if (CB.ID == 0x1B000003)
            A.push_back(A.front());
        if (CB.ID == 0x1B000002)
            A.clear();
        return A;
    };
    std::vector<KVRCANBlock> Unasked;
    Client.OnCANBlockReceived = [&](TKVRCommunicationClient*, KVRCANBlock CB) { Unasked.push_back(CB); };
    const auto Source = MakeImage(24);
    EXPECT_FALSE(ConfigTransfer(Client).LoadToTarget(Source.data(), 24));
    EXPECT_EQ(SentCount(0x1B000002), 20u);
    ASSERT_EQ(Unasked.size(), 1u);
    EXPECT_EQ(Unasked[0].ID, 0x1B000003u);
}

TEST_F(ImageTest, LateWriteConfirmationIsNoImageData)
{
    auto& Client = Start();
    Image = MakeImage(200);
    ImageDevice();
    // The confirmation of the last written block comes a second time, after the write is over.
    Deliver(Block(0x1B000001, 0));
    std::vector<std::uint8_t> Buffer(64000, 0);
    EXPECT_EQ(ConfigTransfer(Client).LoadFromTarget(Buffer.data()), 200);
    EXPECT_TRUE(std::equal(Image.begin(), Image.end(), Buffer.begin()));
}

TEST_F(ImageTest, ReadReturnsTheHeaderSizeAndWholeBlocks)
{
    auto& Client = Start();
    Image = MakeImage(300);
    ImageDevice();
    unsigned RetriesSeen = 0;
    auto Inner = Device;
    Device = [&](const KVRCANBlock& CB) {
        RetriesSeen = Client.Retries;
        return Inner(CB);
    };
    std::vector<std::uint8_t> Buffer(64000, 0xEE);
    EXPECT_EQ(ConfigTransfer(Client).LoadFromTarget(Buffer.data()), 300);
    EXPECT_TRUE(std::equal(Image.begin(), Image.end(), Buffer.begin()));
    // 38 blocks: the last one carries 4 bytes past the image (zeros from this device).
    EXPECT_EQ(SentIDs().back(), 0x1A000026u);
    EXPECT_EQ(SentIDs().size(), 38u);
    EXPECT_EQ(Buffer[303], 0);
    EXPECT_EQ(Buffer[304], 0xEE);
    EXPECT_EQ(RetriesSeen, 20u);
    EXPECT_EQ(Client.Retries, 5u);
}

TEST_F(ImageTest, ReadRefusesBadHeadersAndKeepsTheCallersImageOnFailure)
{
    struct Case {
        const char* Name;
        std::function<void(std::vector<std::uint8_t>&)> Shape;
        unsigned DropFrom; // 0: no drop
        std::size_t Requests;
    };
    const Case Cases[] = {
        {"too large", [](auto& I) { kvr::writeBE16(I, 58, 64001); }, 0, 25},
        {"largest 16-bit", [](auto& I) { kvr::writeBE16(I, 58, 65535); }, 0, 25},
        {"too small", [](auto& I) { kvr::writeBE16(I, 58, 199); }, 0, 25},
        {"no magic", [](auto& I) { I[3] = '1'; }, 0, 25},
        {"header sizes inverted on the way",
         [](auto& I) { std::transform(I.begin() + 48, I.begin() + 56, I.begin() + 48, [](std::uint8_t B) { return ~B; }); }, 0,
         25},
        {"silent in the header", [](auto&) {}, 10, 9 + 20},
        {"silent after the header", [](auto&) {}, 30, 29 + 20},
    };
    for (const Case& C : Cases) {
        TearDown();
        SetUp();
        auto& Client = Start();
        Image = MakeImage(400);
        C.Shape(Image);
        DropRead = [&](unsigned N) { return C.DropFrom && N >= C.DropFrom; };
        ImageDevice();
        std::vector<std::uint8_t> Buffer(64000, 0xAB);
        EXPECT_EQ(ConfigTransfer(Client).LoadFromTarget(Buffer.data()), 0) << C.Name;
        EXPECT_EQ(SentIDs().size(), C.Requests) << C.Name;
        EXPECT_TRUE(std::all_of(Buffer.begin(), Buffer.end(), [](std::uint8_t B) { return B == 0xAB; })) << C.Name;
        EXPECT_EQ(Client.Retries, 5u);
    }
}

TEST_F(ImageTest, ReadEndsWhenTheConnectionIsLost)
{
    auto& Client = Start();
    Image = MakeImage(400);
    ImageDevice();
    auto Inner = Device;
    Device = [&](const KVRCANBlock& CB) {
        auto A = Inner(CB);
        if (CB.ID == 0x1A000030)
            Server->scriptResults(kvr::commserver::RpcMethod::SendBlock, {9});
        return A;
    };
    std::vector<std::uint8_t> Buffer(64000, 0xAB);
    EXPECT_EQ(ConfigTransfer(Client).LoadFromTarget(Buffer.data()), 0);
    EXPECT_EQ(Client.GetStatus(), dcsNotConnected);
    EXPECT_EQ(Buffer[0], 0xAB);
}

TEST_F(ImageTest, ConfigTimeIsTheHeadersChangeTime)
{
    auto& Client = Start();
    Image = MakeImage(200);
    kvr::writeBE32(Image, 54, 0x01020304);
    kvr::writeBE32(Image, 62, 0x5F3E2D1C);
    ImageDevice();
    EXPECT_EQ(ConfigTransfer(Client).GetConfigTime(), 0x5F3E2D1Cu);
    EXPECT_EQ(SentIDs(), (std::vector<std::uint32_t>{0x1A000008, 0x1A000009}));
    DropRead = [](unsigned N) { return N == 9; };
    EXPECT_EQ(ConfigTransfer(Client).GetConfigTime(), 0u);
}

class StreamTest : public TransferTest {
protected:
    void StreamDevice()
    {
        Device = [this](const KVRCANBlock& CB) -> Answers {
            const bool Alt = (CB.ID & 0x8000) != 0;
            const unsigned I = CB.ID & 0x7FFF;
            auto& S = Streams[Alt];
            Active.push_back(Client->GetTransferActive() && !Client->GetTimer().GetEnabled());
            if ((CB.ID >> 16) == 0x1E21) {
                KVRCANBlock A = Block(CB.ID, 8);
                for (std::size_t k = 0; k < 8 && I * 8 + k < S.size(); ++k)
                    A.Data[k] = S[I * 8 + k];
                return {A};
            }
            if ((CB.ID >> 16) == 0x1E11 && I != 0x7FFF) {
                if (S.size() < I * 8 + CB.Len)
                    S.resize(I * 8 + CB.Len);
                std::copy_n(CB.Data.begin(), CB.Len, S.begin() + I * 8);
                return {Block(CB.ID, 0)};
            }
            return {};
        };
    }
    std::vector<std::uint8_t> Streams[2];
    std::vector<bool> Active;
};

TEST_F(StreamTest, SendOrderAndEndMarker)
{
    struct Case {
        std::size_t Size;
        bool Alternate;
        std::vector<std::uint32_t> IDs;
    };
    const Case Cases[] = {
        {0, false, {0x1E117FFF}},
        {9, false, {0x1E110000, 0x1E110001, 0x1E117FFF}},
        {9, true, {0x1E118000, 0x1E118001, 0x1E11FFFF}},
        {16, false, {0x1E110000, 0x1E110001, 0x1E117FFF}},
    };
    for (const Case& C : Cases) {
        TearDown();
        SetUp();
        Streams[0].clear();
        Streams[1].clear();
        auto& Client = Start();
        StreamDevice();
        std::vector<std::uint8_t> Bytes(C.Size);
        for (std::size_t i = 0; i < C.Size; ++i)
            Bytes[i] = static_cast<std::uint8_t>(i + 1);
        TMemoryStream S(Bytes);
        EXPECT_EQ(ConfigTransfer(Client).SendConfig(S, C.Alternate), 0);
        EXPECT_EQ(SentIDs(), C.IDs) << C.Size;
        EXPECT_EQ(Streams[C.Alternate], Bytes);
        if (C.Size == 9) {
            EXPECT_EQ(Sent()[1].Len, 1);
        }
        EXPECT_FALSE(Client.GetTransferActive());
        EXPECT_TRUE(Client.GetTimer().GetEnabled());
    }
}

TEST_F(StreamTest, SendRefusesAStreamPastTheEndMarker)
{
    auto& Client = Start();
    // The device never answers, so the largest accepted stream stops after its first block.
    TMemoryStream Largest(std::vector<std::uint8_t>(262136, 1));
    EXPECT_EQ(ConfigTransfer(Client).SendConfig(Largest, false), -1);
    EXPECT_EQ(SentCount(0x1E110000), 5u);
    TMemoryStream TooLarge(std::vector<std::uint8_t>(262137, 1));
    const std::size_t Before = Sent().size();
    EXPECT_EQ(ConfigTransfer(Client).SendConfig(TooLarge, true), -1);
    EXPECT_EQ(Sent().size(), Before);
    EXPECT_FALSE(Client.GetTransferActive());
}

TEST_F(StreamTest, ReadTakesTheSizeWordAndAPartialLastBlock)
{
    auto& Client = Start();
    StreamDevice();
    Streams[1] = std::vector<std::uint8_t>(30, 0x11);
    kvr::writeBE16(Streams[1], 14, 0); // 20 bytes
    TMemoryStream S;
    EXPECT_EQ(ConfigTransfer(Client).ReadConfigSize(true), 20);
    EXPECT_EQ(ConfigTransfer(Client).ReadConfig(S, true), 0);
    EXPECT_EQ(SentIDs(), (std::vector<std::uint32_t>{0x1E218001, 0x1E218001, 0x1E218000, 0x1E218001, 0x1E218002}));
    EXPECT_EQ(S.Bytes(), std::vector<std::uint8_t>(Streams[1].begin(), Streams[1].begin() + 20));
    EXPECT_TRUE(std::all_of(Active.begin() + 1, Active.end(), [](bool B) { return B; }))
        << "transfer flag set and poll stopped while reading";
    EXPECT_FALSE(Client.GetTransferActive());

    // A silent device: -1.
    Device = nullptr;
    TMemoryStream Silent;
    EXPECT_EQ(ConfigTransfer(Client).ReadConfig(Silent, false), -1);
    EXPECT_EQ(ConfigTransfer(Client).ReadConfigSize(false), -1);
}

// Answers that come twice, late or for another block are matched to the block they answer: the
// read gives the device's bytes or fails, never other bytes, and a failed read leaves the
// caller's stream as it was.
TEST_F(StreamTest, ReadTakesEachBlockOnlyFromItsOwnAnswer)
{
    struct Case {
        const char* What;
        // The answers of the device to a read of block I, given its honest answer A and the
        // answer it gave before.
        std::function<Answers(unsigned I, const KVRCANBlock& A, const KVRCANBlock& Before)> Device;
        bool Completes;
    };
    const Case Cases[] = {
        {"every answer twice", [](unsigned, const KVRCANBlock& A, const KVRCANBlock&) { return Answers{A, A}; }, true},
        {"the previous answer again first",
         [](unsigned, const KVRCANBlock& A, const KVRCANBlock& Before) { return Answers{Before, A}; }, true},
        {"a block one byte longer first",
         [](unsigned, const KVRCANBlock& A, const KVRCANBlock&) {
             KVRCANBlock Longer = A;
             Longer.Len = 9;
             Longer.Data[0] ^= 0xFF;
             return Answers{Longer, A};
         },
         true},
        {"block 1 inverted when read as stream bytes",
         [](unsigned I, const KVRCANBlock& A, const KVRCANBlock&) {
             KVRCANBlock Inverted = A;
             for (std::size_t i = 0; I == 1 && i < Inverted.Len; ++i)
                 Inverted.Data[i] = static_cast<std::uint8_t>(~Inverted.Data[i]);
             return Answers{Inverted};
         },
         false},
        {"only stale answers from block 3 on",
         [](unsigned I, const KVRCANBlock& A, const KVRCANBlock& Before) { return I >= 3 ? Answers{Before} : Answers{A}; },
         false},
    };
    for (const Case& C : Cases) {
        TearDown();
        SetUp();
        auto& Client = Start();
        StreamDevice();
        Streams[0].resize(60);
        for (std::size_t i = 0; i < Streams[0].size(); ++i)
            Streams[0][i] = static_cast<std::uint8_t>(i * 7 + 3);
        kvr::writeBE16(Streams[0], 14, 40); // 60 bytes
        auto Honest = Device;
        bool SizeRead = false;
        Device = [&, Honest](const KVRCANBlock& CB) -> Answers {
            const Answers A = Honest(CB);
            if ((CB.ID >> 16) != 0x1E21 || A.empty() || !std::exchange(SizeRead, true))
                return A;
            const unsigned I = CB.ID & 0x7FFF;
            KVRCANBlock Previous = CB;
            Previous.ID = CB.ID - (I > 0 ? 1 : 0);
            return C.Device(I, A.front(), Honest(Previous).front());
        };
        TMemoryStream S(std::vector<std::uint8_t>{9, 9, 9});
        const int Result = ConfigTransfer(Client).ReadConfig(S, false);
        if (C.Completes) {
            EXPECT_EQ(Result, 0) << C.What;
            EXPECT_EQ(S.Bytes(), Streams[0]) << C.What;
        } else {
            EXPECT_EQ(Result, -1) << C.What;
            EXPECT_EQ(S.Bytes(), (std::vector<std::uint8_t>{9, 9, 9})) << C.What;
        }
    }
}

TEST_F(TransferTest, StatusPagesByNumberUntilPage255)
{
    auto& Client = Start();
    Device = [](const KVRCANBlock& CB) -> Answers {
        if (CB.ID != 0x05000042)
            return {};
        return {Block(0x05030042, 8, {3, 3, 3, 3, 3, 3, 3, 3}), Block(0x05000042, 8, {1, 2, 3, 4, 5, 6, 7, 8}),
                Block(0x05000043, 8, {9, 9}), // another module
                Block(0x05C80042, 8, {7}),    // beyond the caller's buffer
                Block(0x05FF0042, 8), Block(0x05010042, 8, {5})};
    };
    std::vector<KVRCANBlock> Events;
    Client.OnCANBlockReceived = [&](TKVRCommunicationClient*, KVRCANBlock CB) { Events.push_back(CB); };
    std::vector<std::uint8_t> Buffer(32, 0xEE);
    EXPECT_TRUE(ConfigTransfer(Client).LoadStatusInfo(0x42, Buffer));
    EXPECT_EQ(std::vector<std::uint8_t>(Buffer.begin(), Buffer.begin() + 8), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(Buffer[8], 0xEE) << "page 1 came after the end";
    EXPECT_EQ(std::vector<std::uint8_t>(Buffer.begin() + 24, Buffer.end()), std::vector<std::uint8_t>(8, 3));
    std::vector<std::uint32_t> IDs;
    for (const auto& CB : Events)
        IDs.push_back(CB.ID);
    EXPECT_EQ(IDs, (std::vector<std::uint32_t>{0x05030042, 0x05000042, 0x05000043, 0x05C80042}));
    EXPECT_TRUE(Client.GetTimer().GetEnabled());

    Server->scriptResults(kvr::commserver::RpcMethod::SendBlock, {9});
    EXPECT_FALSE(ConfigTransfer(Client).LoadStatusInfo(0x42, Buffer));
}

TEST_F(TransferTest, ConfigTimeFromBroadcasts)
{
    auto& Client = Start();
    auto Record = [](unsigned DID, unsigned PID, unsigned Stamp) {
        Kvrdata_ns::TUDPMsg M;
        M.Address = 0x7F000002;
        kvr::writeLE32(M.Payload, 0, 0x06061999);
        kvr::writeLE32(M.Payload, 8, DID);
        kvr::writeLE32(M.Payload, 12, PID);
        kvr::writeLE32(M.Payload, 16, Stamp);
        M.Length = 30;
        return Kvrdata_ns::UDPMsgToBytes(M);
    };
    clienttest::Bytes Collection{0, 177, 0, 0};
    for (const auto& R : {Record(1, 0x41424344, 111), Record(2, 0x41424344, 222), Record(2, 0x41424344, 333)})
        Collection.insert(Collection.end(), R.begin(), R.end());
    Server->setBroadcasts(Collection);
    EXPECT_EQ(ConfigTransfer(Client).GetConfigTimeUDP(0x41424344, 2), 222u);
    EXPECT_EQ(ConfigTransfer(Client).GetConfigTimeUDP(0x41424344, 3), 0u);

    // Newer-generation device records: the device ID is compared as one byte.
    Kvrdata_ns::TUDPMsgsV6 Msgs;
    for (unsigned DID : {2u, 3u}) {
        Kvrdata_ns::TBCDevice Device;
        Device.DID = static_cast<std::uint8_t>(DID);
        Device.PID = 0x41424344;
        Device.TS = 1000 + DID;
        clienttest::Bytes Datagram(4);
        kvr::writeBE32(Datagram, 0, Kvrdata_ns::V6TypeDevice);
        clienttest::Bytes Record;
        Device.ToVariant(Record);
        Datagram.insert(Datagram.end(), Record.begin(), Record.end());
        auto* M = static_cast<Kvrdata_ns::TUDPMsgV6*>(Msgs.CreateElement());
        Msgs.Insert(M);
        M->GetData()->GetStream()->Write(Datagram.data(), static_cast<int>(Datagram.size()));
    }
    clienttest::Bytes V6;
    Msgs.ToVariant(V6);
    Server->setBroadcastsV6(V6);
    EXPECT_EQ(ConfigTransfer(Client).GetConfigTimeUDP(0x41424344, 2), 222u) << "the older generation first";
    EXPECT_EQ(ConfigTransfer(Client).GetConfigTimeUDP(0x41424344, 0x103), 1003u);
    EXPECT_EQ(ConfigTransfer(Client).GetConfigTimeUDP(0x41424345, 3), 0u);
}

} // namespace
