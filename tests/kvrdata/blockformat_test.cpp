// Golden bytes and status codes of the binary block format.
#include "testrecords.h"

#include "kvrdata/crc32.h"

#include <gtest/gtest.h>

using namespace kvrtest;

namespace {

// Body of a default address record: four numbers, the name, CK, COMPort, an empty server
// name, "UKN" and the firmware version.
std::vector<std::uint8_t> defaultAddrBody()
{
    std::vector<std::uint8_t> body(16 + 10 + 4 + 1, 0);
    body.push_back(0); // length of the empty server name
    body.insert(body.end(), {'U', 'K', 'N', 0, 0, 0, 0});
    return body;
}

std::vector<std::uint8_t> withHeader(std::uint8_t ID, std::uint8_t Option, const std::vector<std::uint8_t>& Body,
                                     int Size = -1)
{
    const int size = Size < 0 ? static_cast<int>(Body.size()) : Size;
    std::vector<std::uint8_t> bytes{ID, Option, static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)};
    bytes.insert(bytes.end(), Body.begin(), Body.end());
    return bytes;
}

struct ReadResult {
    short code;
    std::string worst;
};

// Reads bytes into Object as FromBinaryStream does and reports the worst message.
ReadResult readAs(TBlockObject& Object, const std::vector<std::uint8_t>& Bytes, int Options = boObjectStream | boNoFileHeader,
                  const char* Name = "TBlockObject")
{
    TMemoryStream stream(Bytes);
    TBinaryFilter filter(&stream, Options);
    const short code = filter.Read(Name, &Object);
    return {code, MessageText(filter.GetWorstMessage())};
}

class FixedClock : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = TBlockFilter::CurrentTime;
        TBlockFilter::CurrentTime = [] { return std::uint32_t{0x5F5E1000}; };
    }
    void TearDown() override { TBlockFilter::CurrentTime = saved; }
    TBlockFilter::TClock saved = nullptr;
};

// A record whose only member is a raw stream, with or without the large size form.
class TRawRecord : public TBlockObject {
public:
    explicit TRawRecord(bool Big) : TBlockObject(nullptr) { SetBigSize(Big); }
    void Describe(TBlockFilter* Filter) override { Filter->Transfer("Raw", &Raw); }
    TMemoryStream Raw;
};

} // namespace

TEST(BlockFormat, DefaultAddressRecordIs43Bytes)
{
    TAddrRecord record;
    const auto bytes = toBytes(record);
    EXPECT_EQ(bytes, withHeader(0, 0, defaultAddrBody()));
    ASSERT_EQ(bytes.size(), 43u);
    EXPECT_EQ(bytes[3], 0x27);
}

TEST(BlockFormat, MembersAreBigEndianInDescribeOrder)
{
    TAddrRecord record;
    record.IP = 0xC0A80101;
    record.DID = 42;
    record.Name = "ABC";
    record.CK = 2;
    record.COMPort = 7;
    record.Server = "srv";
    record.FirmwareVersion = 0x01020304;
    const auto bytes = toBytes(record);
    const auto expected = bytesOf({0, 0, 0, 42, 0xC0, 0xA8, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 42,
                                   'A', 'B', 'C', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 7, 3, 's', 'r', 'v',
                                   'U', 'K', 'N', 1, 2, 3, 4});
    EXPECT_EQ(bytes, expected);

    TAddrRecord back;
    auto copy = bytes;
    ASSERT_TRUE(back.FromVariant(copy));
    EXPECT_TRUE(copy.empty());
    EXPECT_EQ(back.IP, record.IP);
    EXPECT_STREQ(back.Name.c_str(), "ABC");
    EXPECT_EQ(back.CK, 2);
    EXPECT_STREQ(back.Server.c_str(), "srv");
    EXPECT_EQ(back.FirmwareVersion, 0x01020304u);
}

TEST(BlockFormat, BigIDIsStoredBigEndianInTheHeader)
{
    class TBig : public TBlockObject {
    public:
        TBig() : TBlockObject(nullptr, 0x1234, true, false) {}
        void Describe(TBlockFilter*) override {}
    } big;
    EXPECT_EQ(big.GetID(), 0x1234);
    EXPECT_EQ(toBytes(big), bytesOf({0x12, 0x34, 0, 0}));
}

TEST(BlockFormat, BigSizeCarriesBits16To23InTheOptionByte)
{
    TBlockStream block;
    std::vector<std::uint8_t> data(70000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 7);
    block.GetStream()->WriteBuffer(data.data(), static_cast<int>(data.size()));
    const auto bytes = toBytes(block);
    ASSERT_EQ(bytes.size(), 70004u);
    EXPECT_EQ(bytesOf({0, 1, 0x11, 0x70}), std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4));

    TBlockStream back;
    back.GetStream()->WriteBuffer("old", 3);
    auto copy = bytes;
    ASSERT_TRUE(back.FromVariant(copy));
    EXPECT_EQ(back.GetStream()->Bytes(), data);
}

TEST(BlockFormat, BodyTooLongForItsSizeFieldIs1003)
{
    TRawRecord small(false);
    std::vector<std::uint8_t> data(70000, 0xAB);
    small.Raw.WriteBuffer(data.data(), static_cast<int>(data.size()));
    TMemoryStream stream;
    TBinaryFilter filter(&stream, boNoFileHeader);
    EXPECT_EQ(filter.Write("BO", &small), bsBodyTooLong);

    TRawRecord big(true);
    big.Raw.WriteBuffer(data.data(), static_cast<int>(data.size()));
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(big.ToVariant(bytes));
}

TEST(BlockFormat, BlockStreamHeaderAndEmptyForm)
{
    TBlockStream block;
    EXPECT_EQ(toBytes(block), bytesOf({0, 0, 0, 0}));
    block.GetStream()->WriteBuffer("\x01\x02\x03\x04\x05", 5);
    EXPECT_EQ(toBytes(block), bytesOf({0, 0, 0, 5, 1, 2, 3, 4, 5}));

    // An empty block read replaces the old data too: nothing stale is taken for new data.
    auto empty = bytesOf({0, 0, 0, 0});
    ASSERT_TRUE(block.FromVariant(empty));
    EXPECT_EQ(block.GetStream()->GetSize(), 0);
}

TEST_F(FixedClock, FileHeaderGoldenBytesAndWrongFileID)
{
    TAddrRecord record;
    TMemoryStream stream;
    {
        TBinaryFilter filter(&stream, 0);
        EXPECT_EQ(filter.Write("DPF", &record), bsOk);
    }
    auto expected = bytesOf({'D', 'P', 'F', 0, 0x06, 0x03, 0x03, 0x00, 0x5F, 0x5E, 0x10, 0x00, 0, 0, 0, 0, 0, 0, 0, 0});
    const auto block = withHeader(0, 0, defaultAddrBody());
    expected.insert(expected.end(), block.begin(), block.end());
    EXPECT_EQ(stream.Bytes(), expected);

    {
        TAddrRecord back;
        TBinaryFilter filter(&stream, 0);
        EXPECT_EQ(filter.Read("DPF", &back), bsOk);
        EXPECT_EQ(filter.GetReadFileVersion(), 0x06030300u);
        EXPECT_EQ(filter.GetWriteTime(), 0x5F5E1000u);
    }
    TAddrRecord other;
    other.IP = 5;
    const auto r = readAs(other, stream.Bytes(), 0, "DPD");
    EXPECT_EQ(r.code, bsWrongFileID);
    EXPECT_EQ(r.worst, ": 1006 (Wrong file ID.)");
    EXPECT_EQ(other.IP, 5u);
}

TEST_F(FixedClock, FileNeedingNewerSoftwareIs1000)
{
    TAddrRecord record;
    TMemoryStream stream;
    WrittenLowestSoftwareVersion = 0x07000000;
    {
        TBinaryFilter filter(&stream, 0);
        filter.Write("DPD", &record);
    }
    WrittenLowestSoftwareVersion = 0;
    const auto r = readAs(record, stream.Bytes(), 0, "DPD");
    EXPECT_EQ(r.code, bsSoftwareTooOld);
    EXPECT_EQ(r.worst, ": 1000 (Software version is lower than needed for this file.)");
}

TEST_F(FixedClock, TruncatedFileHeaderFailsAndReadsNoBlock)
{
    TAddrRecord record;
    TMemoryStream stream;
    {
        TBinaryFilter filter(&stream, 0);
        filter.Write("DPF", &record);
    }
    auto bytes = stream.Bytes();
    bytes.resize(6);
    const auto r = readAs(record, bytes, 0, "DPF");
    EXPECT_EQ(r.code, bsFileTooShort);
}

TEST(BlockFormat, CRCTrailerGoldenBytesAndCheck)
{
    TAddrRecord record;
    record.Name = "crc";
    TMemoryStream stream;
    {
        TBinaryFilter filter(&stream, boNoFileHeader | boCRC32);
        EXPECT_EQ(filter.Write("BO", &record), bsOk);
    }
    auto bytes = stream.Bytes();
    ASSERT_EQ(bytes.size(), 47u);
    const std::vector<std::uint8_t> body(bytes.begin(), bytes.end() - 4);
    EXPECT_EQ(body, toBytes(record));
    const std::uint32_t crc = CalcCRC32(std::span<const std::uint8_t>(body));
    EXPECT_EQ(bytesOf({int(crc >> 24), int((crc >> 16) & 0xFF), int((crc >> 8) & 0xFF), int(crc & 0xFF)}),
              std::vector<std::uint8_t>(bytes.end() - 4, bytes.end()));

    TAddrRecord back;
    EXPECT_EQ(readAs(back, bytes, boNoFileHeader | boCRC32).code, bsOk);
    EXPECT_STREQ(back.Name.c_str(), "crc");

    // Any flipped byte fails the check and nothing is read.
    for (std::size_t i = 0; i < body.size(); i += 5) {
        auto damaged = bytes;
        damaged[i] ^= 0x10;
        TAddrRecord untouched;
        const auto r = readAs(untouched, damaged, boNoFileHeader | boCRC32);
        EXPECT_EQ(r.code, bsCRCFailed) << "byte " << i;
        EXPECT_EQ(r.worst, ": 1007 (CRC check failed.)");
        EXPECT_STREQ(untouched.Name.c_str(), "");
    }
}

TEST(BlockFormat, CRCOnStreamShorterThanTrailerIs1007)
{
    for (std::size_t size = 0; size < 4; ++size) {
        TAddrRecord record;
        EXPECT_EQ(readAs(record, std::vector<std::uint8_t>(size, 0), boNoFileHeader | boCRC32).code, bsCRCFailed)
            << size;
    }
}

TEST(BlockFormat, SeveralRootsShareOneStreamAndOneTrailer)
{
    TAddrRecord first;
    first.DID = 1;
    TAddrRecord second;
    second.DID = 2;
    TMemoryStream stream;
    {
        TBinaryFilter filter(&stream, boNoFileHeader | boCRC32 | boSeveralRoots);
        filter.Write("BO", &first);
        filter.Write("BO", &second);
    }
    ASSERT_EQ(stream.GetSize(), 43 + 43 + 4);
    TAddrRecord a;
    TAddrRecord b;
    TBinaryFilter filter(&stream, boNoFileHeader | boCRC32 | boSeveralRoots);
    EXPECT_EQ(filter.Read("BO", &a), bsOk);
    EXPECT_EQ(filter.Read("BO", &b), bsOk);
    EXPECT_EQ(a.DID, 1u);
    EXPECT_EQ(b.DID, 2u);
}

// Damaged and hostile blocks: each ends with its status and text, and keeps what it can.
struct StatusCase {
    const char* what;
    std::vector<std::uint8_t> bytes;
    short code;
    const char* worst;
};

void PrintTo(const StatusCase& c, std::ostream* os)
{
    *os << c.what;
}

class BlockStatus : public ::testing::TestWithParam<StatusCase> {};

TEST_P(BlockStatus, EndsWithStatusAndText)
{
    const auto& c = GetParam();
    TAddrRecord record;
    const auto r = readAs(record, c.bytes);
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(r.worst, c.worst);

    // FromBinaryStream counts warnings as success.
    TAddrRecord again;
    TMemoryStream stream(c.bytes);
    EXPECT_EQ(again.FromBinaryStream(&stream, false), c.code < bsFatal);
}

namespace {
std::vector<std::uint8_t> longerBlock()
{
    auto body = defaultAddrBody();
    body.insert(body.end(), {9, 9, 9});
    return withHeader(0, 0, body);
}
std::vector<std::uint8_t> shortBlock()
{
    return withHeader(0, 0, bytesOf({0xC0, 0xA8, 0, 1}));
}
std::vector<std::uint8_t> nameOverlapsEnd()
{
    return withHeader(0, 0, std::vector<std::uint8_t>(16 + 4, 0));
}
std::vector<std::uint8_t> sizePastData()
{
    return withHeader(0, 0, defaultAddrBody(), 0x30);
}
std::vector<std::uint8_t> serverPastBlock()
{
    auto body = std::vector<std::uint8_t>(16 + 10 + 4 + 1, 0);
    body.insert(body.end(), {200, 'a', 'b'});
    return withHeader(0, 0, body);
}
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Damaged, BlockStatus,
    ::testing::Values(
        StatusCase{"empty stream", {}, 100, ": 100 (Block too short or name of value not found.)"},
        StatusCase{"block ends early", shortBlock(), 100,
                   ":TBlockObject:MAC 100 (Block too short or name of value not found.)"},
        StatusCase{"three bytes more", longerBlock(), 101, ":TBlockObject: 101 (Block too long, not all data read.)"},
        StatusCase{"value crosses the end", nameOverlapsEnd(), 1002,
                   ":TBlockObject:Name 1002 (Element to be read overlaps end of block.)"},
        StatusCase{"length byte past the block", serverPastBlock(), 1002,
                   ":TBlockObject:Server 1002 (Element to be read overlaps end of block.)"},
        StatusCase{"size past the data", sizePastData(), 1008, ":TBlockObject: 1008 (File shorter than block size.)"},
        StatusCase{"header cut", bytesOf({0, 0, 0}), 1008, ":TBlockObject:Size 1008 (File shorter than block size.)"},
        StatusCase{"header cut after ID", bytesOf({0}), 1008,
                   ":TBlockObject:BlockOption 1008 (File shorter than block size.)"}),
    [](const auto& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p)
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

TEST(BlockFormat, TruncatedHeaderAlsoReports1004)
{
    TAddrRecord record;
    TMemoryStream stream(bytesOf({0, 0, 0}));
    TBinaryFilter filter(&stream, boNoFileHeader);
    filter.Read("BO", &record);
    bool saw1004 = false;
    for (int i = 0; i < filter.GetMessages().Size(); ++i)
        saw1004 |= filter.GetMessages().Element(i)->IOState == bsHeaderIncomplete;
    EXPECT_TRUE(saw1004);
}

TEST(BlockFormat, ShortBlockKeepsOldValuesOfMissingMembers)
{
    TAddrRecord record;
    record.MAC = 77;
    record.Name = "keep";
    EXPECT_EQ(readAs(record, shortBlock()).code, bsBlockTooShort);
    EXPECT_EQ(record.IP, 0xC0A80001u);
    EXPECT_EQ(record.MAC, 77u);
    EXPECT_STREQ(record.Name.c_str(), "keep");
}

TEST(BlockFormat, LongerBlockIsSkippedAndTheStreamGoesOn)
{
    auto bytes = longerBlock();
    const auto next = withHeader(0, 0, defaultAddrBody());
    bytes.insert(bytes.end(), next.begin(), next.end());
    TMemoryStream stream(bytes);
    TAddrRecord first;
    EXPECT_TRUE(first.FromBinaryStream(&stream, true));
    EXPECT_EQ(stream.GetPosition(), 46);
    TAddrRecord second;
    EXPECT_TRUE(second.FromBinaryStream(&stream, true));
    EXPECT_EQ(stream.GetPosition(), static_cast<std::int64_t>(bytes.size()));
}

TEST(BlockFormat, VarStringLongerThanNIsCut)
{
    auto body = std::vector<std::uint8_t>(16 + 10 + 4 + 1, 0);
    body.push_back(60);
    for (int i = 0; i < 60; ++i)
        body.push_back(static_cast<std::uint8_t>('a' + i % 26));
    body.insert(body.end(), {'X', 'Y', 'Z', 0, 0, 0, 9});
    TAddrRecord record;
    EXPECT_EQ(readAs(record, withHeader(0, 0, body)).code, bsOk);
    EXPECT_EQ(record.Server.Length(), 50);
    EXPECT_STREQ(record.Client.c_str(), "XYZ");
    EXPECT_EQ(record.FirmwareVersion, 9u);
}
