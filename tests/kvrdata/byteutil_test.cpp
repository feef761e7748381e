#include "kvrdata/byteorder.h"
#include "kvrdata/sync.h"
#include "kvrdata/util.h"

#include <gtest/gtest.h>

#include <thread>

using namespace Kvrdata_ns;

TEST(ByteOrder, OffsetReadsAndWritesInBothOrders)
{
    std::vector<std::uint8_t> bytes(8, 0);
    kvr::writeBE32(bytes, 0, 0x12345678);
    kvr::writeLE32(bytes, 4, 0x12345678);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x12, 0x34, 0x56, 0x78, 0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(kvr::readBE16(bytes, 1), 0x3456);
    EXPECT_EQ(kvr::readLE16(bytes, 1), 0x5634);
    EXPECT_EQ(kvr::readBE64(bytes, 0), 0x1234567878563412ULL);
    EXPECT_THROW(kvr::readBE32(bytes, 5), kvr::ByteRangeError);
    EXPECT_THROW(kvr::writeBE16(bytes, 7, 1), kvr::ByteRangeError);
    EXPECT_THROW(kvr::readU8(bytes, SIZE_MAX), kvr::ByteRangeError);
}

TEST(ByteOrder, ReaderFailsStickyPastTheEnd)
{
    const std::vector<std::uint8_t> bytes{0x01, 0x02, 0x03};
    kvr::ByteReader reader(bytes);
    EXPECT_EQ(reader.be16(), 0x0102);
    EXPECT_TRUE(reader.ok());
    EXPECT_EQ(reader.be16(), 0) << "only one byte left";
    EXPECT_FALSE(reader.ok());
    EXPECT_EQ(reader.u8(), 0) << "failure is sticky";
    EXPECT_TRUE(reader.bytes(0).empty());
}

TEST(ByteOrder, WriterAppends)
{
    std::vector<std::uint8_t> out;
    kvr::ByteWriter writer(out);
    writer.u8(0xAA);
    writer.be16(0x0102);
    writer.le16(0x0102);
    writer.zeros(2);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0xAA, 0x01, 0x02, 0x02, 0x01, 0x00, 0x00}));
}

TEST(ByteUtil, SwapAndAlphaNum)
{
    EXPECT_EQ(static_cast<unsigned>(SwapInt32(0x12345678)), 0x78563412U);
    unsigned char three[] = {1, 2, 3};
    SwapBytes(three, 3);
    EXPECT_EQ(three[0], 3);
    EXPECT_EQ(three[2], 1);
    unsigned char one[] = {7};
    SwapBytes(one, 1);
    SwapBytes(one, 0);
    EXPECT_EQ(one[0], 7);

    EXPECT_EQ(AlphaNumOnly("&Data"), "Data");
    EXPECT_EQ(AlphaNumOnly("TBOVector<TDeviceAddr>"), "TBOVectorTDeviceAddr");
    EXPECT_EQ(AlphaNumOnly("\xE4x\xFC" "9"), "x9");
    EXPECT_EQ(AlphaNumOnly(""), "");
}

TEST(Sync, LockIsCreatedOnceAndKeptForWaiters)
{
    TMTAccess* lock = nullptr;
    int counter = 0;
    auto work = [&] {
        for (int i = 0; i < 1000; ++i) {
            TMTAccessHelper guard(&lock, "counter", [](void*) { return 0; }, nullptr);
            TMTAccessHelper reentered(&lock, "counter");
            ++counter;
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 2000);
    ASSERT_NE(lock, nullptr) << "the lock outlives every guard";
    delete lock;
}
