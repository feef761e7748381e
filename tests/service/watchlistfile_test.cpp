#include "service/watch/watchlistfile.h"

#include <gtest/gtest.h>

using namespace kvr::service;

namespace {
std::vector<uint8_t> Header(int32_t count, int32_t size, size_t recordBytes, const char* magic = "TDV1") {
    std::vector<uint8_t> b(60 + recordBytes, 0);
    for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(magic[i]);
    for (int i = 0; i < 4; ++i) b[4 + i] = static_cast<uint8_t>(static_cast<uint32_t>(count) >> (8 * i));
    for (int i = 0; i < 4; ++i) b[8 + i] = static_cast<uint8_t>(static_cast<uint32_t>(size) >> (8 * i));
    return b;
}
}  // namespace

TEST(WatchListFile, ThreeWatchesGiveTheGoldenBytesAndReadBackWithStateZero) {
    const std::vector<WatchRecord> w = {{0x11500000, 1, 0}, {0x01F3FFFF, 0, 2}, {-1, 5, 0x01020304}};
    const auto bytes = WatchListFile::Encode(w);
    ASSERT_EQ(bytes.size(), 96u);
    const std::vector<uint8_t> head = {'T', 'D', 'V', '1', 3, 0, 0, 0, 12, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 12), head);
    const std::vector<uint8_t> first = {0x00, 0x00, 0x50, 0x11, 1, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 60, bytes.begin() + 72), first);
    const std::vector<uint8_t> last = {0xFF, 0xFF, 0xFF, 0xFF, 5, 0, 0, 0, 4, 3, 2, 1};
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 84, bytes.end()), last);
    const auto back = WatchListFile::Decode(bytes);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 3u);
    EXPECT_EQ((*back)[2].LogicID, -1);
    EXPECT_EQ((*back)[2].SecondaryIndex, 0x01020304);
    for (const auto& r : *back) EXPECT_EQ(r.State, 0);
    EXPECT_EQ(WatchListFile::Encode({}).size(), 60u);
}

TEST(WatchListFile, ShortAndLongRecordsAndAnyMagic) {
    // Size 8: LogicID and State only, secondary index 0; size 16: the extra bytes are skipped.
    auto b8 = Header(2, 8, 16, "XXXX");
    b8[60] = 7; b8[68] = 9; b8[72] = 0;
    const auto r8 = WatchListFile::Decode(b8);
    ASSERT_TRUE(r8);
    ASSERT_EQ(r8->size(), 2u);
    EXPECT_EQ((*r8)[0].LogicID, 7);
    EXPECT_EQ((*r8)[1].LogicID, 9);
    EXPECT_EQ((*r8)[1].SecondaryIndex, 0);
    auto b16 = Header(2, 16, 32);
    b16[60] = 1; b16[68] = 4; b16[76] = 2; b16[84] = 6;
    const auto r16 = WatchListFile::Decode(b16);
    ASSERT_TRUE(r16);
    EXPECT_EQ((*r16)[0].LogicID, 1);
    EXPECT_EQ((*r16)[0].SecondaryIndex, 4);
    EXPECT_EQ((*r16)[1].LogicID, 2);
    EXPECT_EQ((*r16)[1].SecondaryIndex, 6);
}

TEST(WatchListFile, DamagedFilesAreRefusedAndCountZeroOrBelowEmpties) {
    struct Case { const char* name; std::vector<uint8_t> bytes; bool damaged; };
    const Case cases[] = {
        {"short header", std::vector<uint8_t>(59, 0), true},
        {"count beyond file", Header(2, 12, 12), true},
        {"size beyond file", Header(1, 13, 12), true},
        {"size 0", Header(1, 0, 12), true},
        {"size negative", Header(1, -12, 12), true},
        {"huge count", Header(0x7FFFFFFF, 0x7FFFFFFF, 12), true},
        {"count 0", Header(0, 12, 0), false},
        {"count negative", Header(-3, 0, 0), false},
    };
    for (const Case& c : cases) {
        const auto r = WatchListFile::Decode(c.bytes);
        EXPECT_EQ(!r.has_value(), c.damaged) << c.name;
        if (r) {
            EXPECT_TRUE(r->empty()) << c.name;
        }
    }
}

TEST(WatchListFile, DeviceNamesStayInTheirFolder) {
    const std::pair<const char*, const char*> cases[] = {
        {"3-Studio A", "3-Studio A.tdv"},
        {"3-../../etc/x", "3-.._.._etc_x.tdv"},
        {"3-a\\b\nc", "3-a_b_c.tdv"},
        {"..", "_...tdv"},
        {"", "_.tdv"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(WatchListFile::FileName(in), out) << in;
}
