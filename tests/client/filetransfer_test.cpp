// File transfer on the fake server: blocks in order, CRC, the device's refusals, texts from the
// device within their blocks, and the flash-burn wait.

#include <gtest/gtest.h>

#include <cstring>

#include "client/clientmessages.h"
#include "client/filetransfer.h"
#include "client/transferblocks.h"
#include "diagnostics/kvrassert.h"
#include "kvrdata/byteorder.h"
#include "kvrdata/crc32.h"
#include "transferfixture.h"

namespace {

using namespace transfertest;
using kvr::client::FileTransfer;
using namespace kvr::client::transfer;
using Kvrdata_ns::TMemoryStream;

std::vector<std::uint8_t> Content(std::size_t Size)
{
    std::vector<std::uint8_t> Bytes(Size);
    for (std::size_t i = 0; i < Size; ++i)
        Bytes[i] = static_cast<std::uint8_t>(i * 13 + i / 256);
    return Bytes;
}

KVRCANBlock HeaderAnswer(std::uint32_t Result, std::uint8_t Handle, char Mode, std::uint32_t Size, const std::string& Text,
                         int Len = -1)
{
    KVRCANBlock CB = Block(FileHeaderID, 0);
    kvr::writeBE32(CB.Data, 0, Result);
    CB.Data[4] = Handle;
    CB.Data[5] = static_cast<std::uint8_t>(Mode);
    kvr::writeBE32(CB.Data, 6, Size);
    CB.Data[10] = static_cast<std::uint8_t>(Text.size());
    std::memcpy(CB.Data.data() + 11, Text.data(), Text.size());
    CB.Len = static_cast<std::uint8_t>(Len >= 0 ? Len : 11 + static_cast<int>(Text.size()));
    return CB;
}

KVRCANBlock EndAnswer(std::uint32_t Result, std::uint8_t Handle, const std::string& Text, int Len = -1)
{
    KVRCANBlock CB = FileEndBlock(Result, Handle, 0, 0);
    CB.Data[9] = static_cast<std::uint8_t>(Text.size());
    std::memcpy(CB.Data.data() + 10, Text.data(), Text.size());
    CB.Len = static_cast<std::uint8_t>(Len >= 0 ? Len : 10 + static_cast<int>(Text.size()));
    return CB;
}

class SendFileTest : public TransferTest {
protected:
    // A device that accepts writes with handle 7 and answers the end block with EndAnswers.
    void WriteDevice()
    {
        Device = [this](const KVRCANBlock& CB) -> Answers {
            if (CB.ID == FileHeaderID)
                return {HeaderAnswer(0, 7, 'w', 0, {})};
            if (CB.ID == FileDataID) {
                const auto Bytes = FileDataBytes(CB);
                Received.insert(Received.end(), Bytes.begin(), Bytes.end());
                return {};
            }
            if (CB.ID == FileEndID) {
                CRC = FileEndCRC(CB);
                return EndAnswers;
            }
            return {};
        };
    }
    std::vector<std::uint8_t> Received;
    std::uint32_t CRC = 0;
    Answers EndAnswers = {EndAnswer(0, 7, {})};
};

TEST_F(SendFileTest, DataBlocksThenEndWithTheChecksum)
{
    auto& Client = Start();
    WriteDevice();
    const auto Bytes = Content(600);
    TMemoryStream S(Bytes);
    FileTransfer F(Client);
    EXPECT_EQ(F.SendFile(S, "setup/fx.bin"), 0);
    EXPECT_EQ(F.GetErrorMsg(), "");
        EXPECT_EQ(Client.GetErrorMsg(), ""); // the client keeps it too
    const auto Blocks = Sent();
    ASSERT_EQ(Blocks.size(), 5u);
    EXPECT_EQ(Blocks[0].ID, FileHeaderID);
    EXPECT_EQ(Blocks[0].Data[5], 'w');
    EXPECT_EQ(kvr::readBE32(Blocks[0].Data, 6), 600u);
    const std::uint32_t Offsets[] = {0, 250, 500};
    const std::uint8_t Lens[] = {255, 255, 105};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Blocks[1 + i].ID, FileDataID);
        EXPECT_EQ(kvr::readBE32(Blocks[1 + i].Data, 0), Offsets[i]);
        EXPECT_EQ(Blocks[1 + i].Data[4], 7);
        EXPECT_EQ(Blocks[1 + i].Len, Lens[i]);
    }
    EXPECT_EQ(Blocks[4].ID, FileEndID);
    EXPECT_EQ(Blocks[4].Len, 9);
    EXPECT_EQ(Received, Bytes);
    EXPECT_EQ(CRC, Kvrdata_ns::CalcCRC32(Bytes));
    EXPECT_FALSE(Client.GetTransferActive());
}

TEST_F(SendFileTest, EmptyFileSendsHeaderAndEndOnly)
{
    auto& Client = Start();
    WriteDevice();
    TMemoryStream S;
    EXPECT_EQ(FileTransfer(Client).SendFile(S, "empty"), 0);
    EXPECT_EQ(SentIDs(), (std::vector<std::uint32_t>{FileHeaderID, FileEndID}));
    EXPECT_EQ(CRC, 0u);
}

TEST_F(SendFileTest, DeviceRefusalsCarryTheirTextWithinTheBlock)
{
    struct Case {
        const char* Name;
        KVRCANBlock Header;
        Answers End;
        int Result;
        std::string Text;
        std::size_t Sent;
    };
    const Case Cases[] = {
        {"header refused", HeaderAnswer(0x1234, 0, 'w', 0, "abc"), {}, 0x1234, "abc", 1},
        // StringLength says 255, the block holds 3 characters of text.
        {"header text past the block", [] { auto H = HeaderAnswer(0x1234, 0, 'w', 0, "abc"); H.Data[10] = 255; return H; }(),
         {}, 0x1234, "abc", 1},
        {"end refused", HeaderAnswer(0, 7, 'w', 0, {}), {EndAnswer(4, 7, "CRC error")}, 4, "CRC error", 4},
        {"end text past the block", HeaderAnswer(0, 7, 'w', 0, {}),
         {[] { auto E = EndAnswer(4, 7, "CRC"); E.Data[9] = 200; return E; }()}, 4, "CRC", 4},
        {"no header answer", Block(0x99000002, 11), {}, static_cast<int>(0xA101000B), "", 5},
        {"header answer of the other mode", HeaderAnswer(0, 7, 'r', 0, {}), {}, static_cast<int>(0xA101000B), "", 5},
        {"no end answer", HeaderAnswer(0, 7, 'w', 0, {}), {}, static_cast<int>(0xA101000D), "", 3 + 5},
        {"end answer for another handle", HeaderAnswer(0, 7, 'w', 0, {}), {EndAnswer(0, 8, {})},
         static_cast<int>(0xA101000D), "", 3 + 5},
    };
    for (const Case& C : Cases) {
        TearDown();
        SetUp();
        auto& Client = Start();
        Device = [&](const KVRCANBlock& CB) -> Answers {
            if (CB.ID == FileHeaderID)
                return {C.Header};
            if (CB.ID == FileEndID)
                return C.End;
            return {};
        };
        TMemoryStream S(Content(300));
        FileTransfer F(Client);
        EXPECT_EQ(F.SendFile(S, "a"), C.Result) << C.Name;
        const std::string Expected = (static_cast<unsigned>(C.Result) >> 16) == 0xA101
                                         ? InfoFormatter->GetMessageText(static_cast<unsigned>(C.Result))
                                         : C.Text;
        EXPECT_EQ(F.GetErrorMsg(), Expected) << C.Name;
        EXPECT_EQ(Client.GetErrorMsg(), Expected) << C.Name; // the client keeps it too
        EXPECT_EQ(Sent().size(), C.Sent) << C.Name;
        EXPECT_FALSE(Client.GetTransferActive());
    }
}

TEST_F(SendFileTest, FlashBurnWaitsAboutLimitSeconds)
{
    struct Case {
        const char* Name;
        Answers Later; // delivered once the wait has run this far
        std::uint64_t After;
        int Result;
        std::string Text;
    };
    const Case Cases[] = {
        {"final result in time", {EndAnswer(0, 7, {})}, 2500, 0, ""},
        {"final error in time", {EndAnswer(9, 7, "Flash")}, 1000, 9, "Flash"},
        {"burning again", {EndAnswer(0x82010001, 7, "Second")}, 100, static_cast<int>(0x82010001), "Second"},
        {"no final result", {}, 0, static_cast<int>(0xA101000F), ""},
        {"too late", {EndAnswer(0, 7, {})}, 3300, static_cast<int>(0xA101000F), ""},
    };
    for (const Case& C : Cases) {
        TearDown();
        SetUp();
        auto& Client = Start();
        WriteDevice();
        EndAnswers = {EndAnswer(0x82010001, 7, "Burning")};
        std::uint64_t Start = 0;
        bool Delivered = C.Later.empty();
        Client.OnProgress = [&](TKVRCommunicationClient*, int Bytes, int, int Total) {
            // The wait reports its steps as progress against 10 x limit.
            if (Total == 30 && Bytes == 0)
                Start = Clock.T;
            if (Start && !Delivered && Clock.T - Start >= C.After) {
                Delivered = true;
                for (const auto& A : C.Later)
                    Deliver(A);
            }
        };
        TMemoryStream S(Content(600));
        FileTransfer F(Client);
        EXPECT_EQ(F.SendFile(S, "fw.bin"), C.Result) << C.Name;
        const std::string Expected =
            C.Result == static_cast<int>(0xA101000F) ? InfoFormatter->GetMessageText(0xA101000F) : C.Text;
        EXPECT_EQ(F.GetErrorMsg(), Expected) << C.Name;
        EXPECT_EQ(Client.GetErrorMsg(), Expected) << C.Name; // the client keeps it too
        ASSERT_NE(Start, 0u) << C.Name;
        if (C.Result == static_cast<int>(0xA101000F)) {
            // 600 bytes: limit 3, thirty steps of 100 ms.
            EXPECT_GE(Clock.T - Start, 2900u) << C.Name;
            EXPECT_LE(Clock.T - Start, 3300u) << C.Name;
        }
    }
}

TEST_F(SendFileTest, FlashBurnWaitEndsWhenTheLinkIsLost)
{
    auto& Client = Start();
    WriteDevice();
    EndAnswers = {EndAnswer(0x82010001, 7, "Burning")};
    Client.OnProgress = [&](TKVRCommunicationClient* C, int Bytes, int, int Total) {
        if (Total == 30 && Bytes == 2)
            C->SetStatus(dcsNotConnected);
    };
    TMemoryStream S(Content(600));
    EXPECT_EQ(FileTransfer(Client).SendFile(S, "fw.bin"), static_cast<int>(0xA101000F));
}

TEST_F(SendFileTest, LongNamesFailTheAssertionBeforeSending)
{
    auto& Client = Start();
    WriteDevice();
    TMemoryStream S(Content(10));
    EXPECT_THROW(FileTransfer(Client).SendFile(S, std::string(244, 'n')), EAssertionFailed);
    EXPECT_THROW(FileTransfer(Client).ReadFile(S, std::string(300, 'n')), EAssertionFailed);
    EXPECT_TRUE(Sent().empty());
    EXPECT_FALSE(Client.GetTransferActive());
    EXPECT_EQ(FileTransfer(Client).SendFile(S, std::string(243, 'n')), 0);
    EXPECT_EQ(Sent()[0].Len, 254);
}

class ReadFileTest : public TransferTest {
protected:
    // A device that sends File with handle 3: the header answer, the data, then the end block.
    void ReadDevice()
    {
        Device = [this](const KVRCANBlock& CB) -> Answers {
            if (CB.ID == FileHeaderID) {
                Answers A = {HeaderAnswer(0, 3, 'r', static_cast<std::uint32_t>(File.size()), {})};
                for (std::size_t At = 0; At < File.size(); At += 250) {
                    const std::size_t N = std::min<std::size_t>(250, File.size() - At);
                    if (Extra)
                        Extra(A, At);
                    A.push_back(FileDataBlock(static_cast<std::uint32_t>(At), 3, std::span(File).subspan(At, N)));
                }
                if (SendEnd) {
                    KVRCANBlock End = FileEndBlock(0, 3, Kvrdata_ns::CalcCRC32(File) ^ CrcFault, 9);
                    A.push_back(End);
                }
                return A;
            }
            return {};
        };
    }
    std::vector<std::uint8_t> File = Content(600);
    std::function<void(Answers&, std::size_t)> Extra;
    std::uint32_t CrcFault = 0;
    bool SendEnd = true;
};

TEST_F(ReadFileTest, ReadsInFileOrderAndAnswersTheEnd)
{
    auto& Client = Start();
    ReadDevice();
    std::vector<KVRCANBlock> Others;
    Client.OnCANBlockReceived = [&](TKVRCommunicationClient*, KVRCANBlock CB) { Others.push_back(CB); };
    // Before each block: one too short to carry data, and one for another handle.
    Extra = [](Answers& A, std::size_t At) {
        KVRCANBlock Short = FileDataBlock(static_cast<std::uint32_t>(At), 3, {});
        Short.Len = 3;
        A.push_back(Short);
        A.push_back(FileDataBlock(static_cast<std::uint32_t>(At), 4, std::vector<std::uint8_t>(10, 0xEE)));
    };
    // The stream held a longer file before: what remains of it beyond the new one goes.
    TMemoryStream S(std::vector<std::uint8_t>(1000, 0xCC));
    FileTransfer F(Client);
    EXPECT_EQ(F.ReadFile(S, "log/today.txt"), 0);
    EXPECT_EQ(S.Bytes(), File);
    const auto Blocks = Sent();
    ASSERT_EQ(Blocks.size(), 2u);
    EXPECT_EQ(Blocks[0].Data[5], 'r');
    EXPECT_EQ(kvr::readBE32(Blocks[0].Data, 6), 0u);
    EXPECT_EQ(Blocks[1].ID, FileEndID);
    EXPECT_EQ(Blocks[1].Len, 10);
    EXPECT_EQ(kvr::readBE32(Blocks[1].Data, 0), 0u);
    EXPECT_EQ(Blocks[1].Data[4], 3);
    EXPECT_EQ(Others.size(), 3u) << "the other handle's blocks reach the normal dispatch";
}

TEST_F(ReadFileTest, Failures)
{
    struct Case {
        const char* Name;
        std::function<void()> Shape;
        unsigned Code;
        std::size_t Kept; // bytes in the stream afterwards
    };
    const Case Cases[] = {
        {"checksum", [this] { CrcFault = 1; }, 0xA101000E, 600},
        {"no end", [this] { SendEnd = false; }, 0xA101000D, 600},
        {"data missing",
         [this] {
             auto Inner = Device;
             Device = [Inner](const KVRCANBlock& CB) {
                 auto A = Inner(CB);
                 std::erase_if(A, [](const KVRCANBlock& B) { return B.ID == FileDataID && kvr::readBE32(B.Data, 0) == 250; });
                 return A;
             };
         },
         0xA101000C, 250},
        {"silent device", [this] { Device = nullptr; }, 0xA101000B, 0},
    };
    for (const Case& C : Cases) {
        TearDown();
        SetUp();
        File = Content(600);
        CrcFault = 0;
        SendEnd = true;
        Extra = nullptr;
        auto& Client = Start();
        ReadDevice();
        C.Shape();
        TMemoryStream S;
        FileTransfer F(Client);
        EXPECT_EQ(F.ReadFile(S, "x"), static_cast<int>(C.Code)) << C.Name;
        EXPECT_EQ(F.GetErrorMsg(), InfoFormatter->GetMessageText(C.Code)) << C.Name;
        EXPECT_EQ(Client.GetErrorMsg(), InfoFormatter->GetMessageText(C.Code)) << C.Name; // the client keeps it too
        EXPECT_EQ(S.GetSize(), static_cast<std::int64_t>(C.Kept)) << C.Name;
        if (C.Code == 0xA101000E) {
            EXPECT_EQ(kvr::readBE32(Sent().back().Data, 0), 0xA101000Eu) << "the device hears the verdict";
        }
    }
}

TEST_F(ReadFileTest, EmptyFileAndRefusal)
{
    auto& Client = Start();
    File.clear();
    ReadDevice();
    TMemoryStream S;
    EXPECT_EQ(FileTransfer(Client).ReadFile(S, "none"), 0);
    EXPECT_EQ(S.GetSize(), 0);

    Device = [](const KVRCANBlock&) -> Answers { return {HeaderAnswer(2, 0, 'r', 0, "Not found")}; };
    FileTransfer F(Client);
    EXPECT_EQ(F.ReadFile(S, "none"), 2);
    EXPECT_EQ(F.GetErrorMsg(), "Not found");
    EXPECT_EQ(Client.GetErrorMsg(), "Not found"); // the client keeps it too
}

} // namespace
