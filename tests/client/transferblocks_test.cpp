// Layouts, IDs and bounds of the transfer blocks.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "client/transferblocks.h"
#include "kvrdata/byteorder.h"
#include "transferfixture.h"

namespace {

using namespace kvr::client::transfer;
using Kvrdata_ns::KVRCANBlock;

using transfertest::Block;

// The filter rule of the client's filtered reads, for the masks chosen here.
bool Passes(std::uint32_t AnswerID, std::uint32_t RequestID, std::uint32_t Mask)
{
    return (AnswerID & Mask) == (RequestID & Mask);
}

TEST(ImageBlocks, IdsAndAnswerMaskDemandTheExactBlockNumber)
{
    EXPECT_EQ(ImageReadID(1), 0x1A000001u);
    EXPECT_EQ(ImageWriteID(0), 0x1B000000u);
    EXPECT_EQ(ImageWriteID(8000), 0x1B001F40u);

    struct Case {
        std::uint32_t Request;
        std::uint32_t Answer;
        bool Pass;
    };
    const Case Cases[] = {
        {ImageWriteID(2), ImageWriteID(2), true},
        // A late answer to block n+1 carries every bit of block n when n is even.
        {ImageWriteID(2), ImageWriteID(3), false},
        {ImageWriteID(4), ImageWriteID(5), false},
        {ImageWriteID(4), ImageWriteID(6), false},
        {ImageReadID(8), ImageReadID(9), false},
        {ImageReadID(1), ImageReadID(0x101), false},
        {ImageReadID(0x1000), ImageReadID(0x1001), false},
        // A late write confirmation is no read answer, nor the other way round.
        {ImageReadID(1), ImageWriteID(1), false},
        {ImageWriteID(1), ImageReadID(1), false},
        // Bits the device adds to the class are still accepted.
        {ImageReadID(3), 0x1E000003, true},
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(Passes(C.Answer, C.Request, ImageAnswerMask(C.Request)), C.Pass)
            << std::hex << C.Request << " answered by " << C.Answer;
        // The mask that trusted the request ID's own bits let these through.
        if (!C.Pass && (C.Request & 1) == 0 && C.Answer == C.Request + 1) {
            EXPECT_TRUE(Passes(C.Answer, C.Request, C.Request));
        }
    }
}

// The length must lie within the buffer and be the header plus the two areas the header sizes.
TEST(ImageBlocks, HeaderSizeBounds)
{
    struct Case {
        const char* Magic;
        std::uint16_t Size;
        int Expected;
        int AreasOff = 0; // added to the sum of the two area sizes
    };
    const Case Cases[] = {
        {"MPJ2", 200, 200},     {"MPJ2", 64000, 64000}, {"MPJ2", 1234, 1234},
        {"MPJ2", 199, 0},       {"MPJ2", 0, 0},         {"MPJ2", 64001, 0},
        {"MPJ2", 65535, 0},     {"MPJ1", 1000, 0},      {"mpj2", 1000, 0},
        {"MPJ2", 1234, 0, 1},   {"MPJ2", 1234, 0, -1},  {"MPJ2", 1234, 0, 0xFF00},
    };
    for (const Case& C : Cases) {
        std::vector<std::uint8_t> Header(ImageHeaderSize, 0);
        std::memcpy(Header.data(), C.Magic, 4);
        kvr::writeBE16(Header, ImageLengthOffset, C.Size);
        const int Areas = std::max(C.Size - 200, 0) + C.AreasOff;
        kvr::writeBE16(Header, ImageSetupSizeOffset, static_cast<std::uint16_t>(Areas / 3));
        kvr::writeBE16(Header, ImageStructSizeOffset, static_cast<std::uint16_t>(Areas - Areas / 3));
        EXPECT_EQ(ImageSizeFromHeader(Header), C.Expected) << C.Magic << " " << C.Size << " " << C.AreasOff;
    }
    std::vector<std::uint8_t> Short(100, 0);
    std::memcpy(Short.data(), "MPJ2", 4);
    EXPECT_EQ(ImageSizeFromHeader(Short), 0);
}

TEST(StreamBlocks, IdsSizeAndLimit)
{
    EXPECT_EQ(StreamReadID(0, false), 0x1E210000u);
    EXPECT_EQ(StreamReadID(1, true), 0x1E218001u);
    EXPECT_EQ(StreamWriteID(0x7FFE, false), 0x1E117FFEu);
    EXPECT_EQ(StreamWriteID(0x7FFE, true), 0x1E11FFFEu);
    EXPECT_EQ(StreamEndID(false), 0x1E117FFFu);
    EXPECT_EQ(StreamEndID(true), 0x1E11FFFFu);
    // The largest stream whose last block stays below the end marker.
    EXPECT_EQ(StreamMaxSize, 262136u);
    EXPECT_LT((StreamMaxSize - 1) / StreamBlockSize, StreamEndIndex);

    EXPECT_EQ(StreamSizeFromAnswer(Block(0x1E210001, 8, {0, 0, 0, 0, 0, 0, 0x00, 0x00})), 20);
    EXPECT_EQ(StreamSizeFromAnswer(Block(0x1E210001, 8, {9, 9, 9, 9, 9, 9, 0x01, 0x02})), 0x0102 + 20);
    EXPECT_EQ(StreamSizeFromAnswer(Block(0x1E210001, 8, {0, 0, 0, 0, 0, 0, 0xFF, 0xFF})), 65555);
}

TEST(StatusPages, StoredByPageNumberWithinTheBuffer)
{
    EXPECT_EQ(StatusRequestID(0x0123), 0x05000123u);
    EXPECT_TRUE(Passes(0x05030123, StatusRequestID(0x0123), StatusAnswerMask));
    EXPECT_FALSE(Passes(0x05030124, StatusRequestID(0x0123), StatusAnswerMask));
    EXPECT_FALSE(Passes(0x06030123, StatusRequestID(0x0123), StatusAnswerMask));

    std::vector<std::uint8_t> Buffer(32, 0xEE);
    EXPECT_TRUE(StoreStatusPage(Block(0x05030001, 8, {1, 2, 3, 4, 5, 6, 7, 8}), Buffer));
    EXPECT_EQ(std::vector<std::uint8_t>(Buffer.begin() + 24, Buffer.end()), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(Buffer[23], 0xEE);
    // Page 4 would start at the buffer's end, page 200 far beyond it.
    const auto Before = Buffer;
    EXPECT_FALSE(StoreStatusPage(Block(0x05040001, 8, {9}), Buffer));
    EXPECT_FALSE(StoreStatusPage(Block(0x05C80001, 8, {9}), Buffer));
    EXPECT_FALSE(StoreStatusPage(Block(0x05FF0001, 8, {9}), Buffer));
    EXPECT_EQ(Buffer, Before);
    std::vector<std::uint8_t> Odd(30, 0);
    EXPECT_FALSE(StoreStatusPage(Block(0x05030001, 8, {9}), Odd)) << "a page only partly inside";
}

TEST(ConfigTime, ComesFromHeaderBytes62To65)
{
    EXPECT_EQ(ConfigTimeFirstBlock, 8u);
    std::vector<std::uint8_t> Image(ImageHeaderSize, 0);
    kvr::writeBE32(Image, 54, 0x11111111);
    kvr::writeBE32(Image, ImageChangeTimeOffset, 0x5F3E2D1C);
    const std::size_t From = (ConfigTimeFirstBlock - 1) * ImageBlockSize;
    EXPECT_EQ(ConfigTimeFromBlocks(std::span(Image).subspan(From, 16)), 0x5F3E2D1Cu);
}

TEST(SetupBlocks, ChunksStoreAndNames)
{
    const std::uint8_t Bytes[] = {1, 2, 3, 4, 5, 6, 7};
    const KVRCANBlock Chunk = SetupChunkBlock(0x010C, Bytes);
    EXPECT_EQ(Chunk.ID, 0x11410000u);
    EXPECT_EQ(Chunk.Len, 8);
    EXPECT_EQ(Chunk.Data[0], 0x01);
    EXPECT_EQ(Chunk.Data[1], 0x0C);
    EXPECT_EQ(Chunk.Data[7], 6);
    EXPECT_EQ(Chunk.Data[8], 0) << "at most six setup bytes";
    EXPECT_EQ(SetupChunkBlock(12, std::span(Bytes).first(1)).Len, 3);

    const KVRCANBlock Store = SetupStoreBlock(11, 7, 13);
    EXPECT_EQ(Store.ID, 0x11420000u);
    EXPECT_EQ(Store.Len, 4);
    EXPECT_EQ(std::vector<std::uint8_t>(Store.Data.begin(), Store.Data.begin() + 4), (std::vector<std::uint8_t>{12, 7, 0, 13}));

    const KVRCANBlock Part1 = SetupNamePart(CBID_MX_SETUP_NAME, 5, 1, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(Part1.ID, CBID_MX_SETUP_NAME);
    EXPECT_EQ(Part1.Len, 8);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(Part1.Data.data() + 2), 6), "GHIJKL");
    const KVRCANBlock Short = SetupNamePart(CBID_CH_SETUP_NAME, 5, 1, "ABCDEFGH");
    EXPECT_EQ(std::vector<std::uint8_t>(Short.Data.begin(), Short.Data.begin() + 8),
              (std::vector<std::uint8_t>{5, 1, 'G', 'H', 0, 0, 0, 0}));

    const KVRCANBlock Fader = FaderNamePart(0x0102, 3, "0123456789abcdefXYZ");
    EXPECT_EQ(std::vector<std::uint8_t>(Fader.Data.begin(), Fader.Data.begin() + 8),
              (std::vector<std::uint8_t>{1, 2, 3, 0, 'c', 'd', 'e', 'f'}));
    EXPECT_EQ(FaderNamePart(0x0102, 1, "AB").Data[4], 0);

    EXPECT_EQ(NamePartText(Block(0x11140000, 8, {0, 1, 0, 0, 'a', 'b', 'c', 'd'}), 4, 4), "abcd");
    EXPECT_EQ(NamePartText(Block(0x11140000, 6, {0, 1, 0, 0, 'a', 'b', 'c', 'd'}), 4, 4), "ab");
    EXPECT_EQ(NamePartText(Block(0x11140000, 3, {0, 1, 0, 0, 'a'}), 4, 4), "");

    EXPECT_EQ(ConsoleIDStream(0x01020304, 5, 6, 7, true),
              (std::vector<std::uint8_t>{0xFE, 0, 0, 4, 1, 2, 3, 4, 5, 0x67}));
    EXPECT_EQ(ConsoleIDStream(0, 0, 0, 0, false)[3], 3);
}

TEST(FileBlocks, HeaderRequestAndAnswer)
{
    const KVRCANBlock Request = FileHeaderRequest('w', 600, "cfg/a.bin");
    EXPECT_EQ(Request.ID, 0x99000000u);
    EXPECT_EQ(Request.Len, 9 + 11);
    EXPECT_EQ(kvr::readBE32(Request.Data, 0), 0u);
    EXPECT_EQ(Request.Data[4], 0);
    EXPECT_EQ(Request.Data[5], 'w');
    EXPECT_EQ(kvr::readBE32(Request.Data, 6), 600u);
    EXPECT_EQ(Request.Data[10], 9);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(Request.Data.data() + 11), 9), "cfg/a.bin");
    EXPECT_EQ(FileHeaderRequest('r', 0, std::string(243, 'x')).Len, 254);
    EXPECT_EQ(TCBFileTransferHeaderSize, 255u);

    struct Case {
        std::uint8_t Len;
        std::uint8_t StringLength;
        std::size_t Expected;
    };
    // The text is what StringLength announces, within the block's length and the 244-byte field.
    const Case Cases[] = {{14, 3, 3}, {12, 3, 1}, {11, 3, 0}, {6, 3, 0}, {255, 255, 244}, {100, 255, 89}};
    for (const Case& C : Cases) {
        KVRCANBlock Answer;
        Answer.ID = 0x99000000;
        Answer.Len = C.Len;
        kvr::writeBE32(Answer.Data, 0, 0x1234);
        Answer.Data[4] = 7;
        Answer.Data[5] = 'r';
        kvr::writeBE32(Answer.Data, 6, 0x00010203);
        Answer.Data[10] = C.StringLength;
        for (std::size_t i = 11; i < Answer.Data.size(); ++i)
            Answer.Data[i] = 'e';
        const TCBFileTransferHeader H = DecodeFileHeader(Answer);
        EXPECT_EQ(H.Result, 0x1234u);
        EXPECT_EQ(H.Handle, 7);
        EXPECT_EQ(H.Mode, 'r');
        EXPECT_EQ(H.FileSize, 0x00010203u);
        EXPECT_EQ(H.String.size(), C.Expected) << int(C.Len) << "/" << int(C.StringLength);
    }
}

TEST(FileBlocks, DataAndEnd)
{
    std::vector<std::uint8_t> Bytes(300, 0x5A);
    const KVRCANBlock Data = FileDataBlock(500, 9, Bytes);
    EXPECT_EQ(Data.ID, 0x98000000u);
    EXPECT_EQ(Data.Len, 255) << "250 bytes and the prefix";
    EXPECT_EQ(kvr::readBE32(Data.Data, 0), 500u);
    EXPECT_EQ(Data.Data[4], 9);
    EXPECT_EQ(FileDataBytes(Data).size(), 250u);
    EXPECT_EQ(FileDataBlock(500, 9, std::span(Bytes).first(100)).Len, 105);
    for (std::uint8_t Len : {0, 3, 4, 5})
        EXPECT_TRUE(FileDataBytes(Block(0x98000000, Len)).empty()) << int(Len);
    EXPECT_EQ(FileDataBytes(Block(0x98000000, 6)).size(), 1u);

    const KVRCANBlock End = FileEndBlock(0, 9, 0xCAFEBABE, 9);
    EXPECT_EQ(End.ID, 0x99000001u);
    EXPECT_EQ(End.Len, 9);
    EXPECT_EQ(FileEndCRC(End), 0xCAFEBABEu);
    EXPECT_EQ(End.Data[4], 9);

    KVRCANBlock Answer = FileEndBlock(0x82010001, 9, 0, 17);
    Answer.Data[9] = 7;
    std::memcpy(Answer.Data.data() + 10, "Burning", 7);
    EXPECT_EQ(FileEndResult(Answer), 0x82010001u);
    EXPECT_EQ(FileEndText(Answer), "Burning");
    Answer.Len = 13;
    EXPECT_EQ(FileEndText(Answer), "Bur") << "clamped to the block";
    Answer.Data[9] = 255;
    Answer.Len = 255;
    EXPECT_EQ(FileEndText(Answer).size(), 245u);
    Answer.Len = 9;
    EXPECT_EQ(FileEndText(Answer), "");
}

TEST(FileBlocks, FlashBurnLimit)
{
    struct Case {
        std::uint64_t Size;
        unsigned Limit;
    };
    const Case Cases[] = {{0, 3}, {65534, 3}, {65535, 6}, {131070, 9}, {131071, 9}, {196605, 12}};
    for (const Case& C : Cases)
        EXPECT_EQ(FlashBurnLimit(C.Size), C.Limit) << C.Size;
}

TEST(FilterMasks, FirstBytes)
{
    EXPECT_EQ(FirstBytesMask(0), 0u);
    EXPECT_EQ(FirstBytesMask(2), 0xFFFF000000000000u);
    EXPECT_EQ(FirstBytesMask(5), 0xFFFFFFFFFF000000u);
    EXPECT_EQ(FirstBytesMask(8), ~std::uint64_t{0});
}

} // namespace
