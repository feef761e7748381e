// The text form of blocks, the log lines, their batching and the memo limit.

#include <gtest/gtest.h>

#include "service/maintenance/messagelog.h"

namespace {

using namespace kvr::service;
using Kvrdata_ns::KVRCANBlock;

KVRCANBlock Block(std::uint32_t ID, std::vector<std::uint8_t> Data)
{
    KVRCANBlock cb;
    cb.ID = ID;
    cb.Len = static_cast<std::uint8_t>(Data.size());
    std::copy(Data.begin(), Data.end(), cb.Data.begin());
    return cb;
}

TEST(MessageLog, BlockText)
{
    struct Case {
        KVRCANBlock block;
        std::string text;
    } const cases[] = {
        {Block(0x0103FFFF, {}), "0x0103FFFF   0" + std::string(25, ' ') + "{}"},
        {Block(0x111CFFFF, {9}), "0x111CFFFF   1 09" + std::string(22, ' ') + "{.}"},
        {Block(0x06000012, {'A', 0x80, 0x7F, 0x1F, ' ', 'z', 0, 0xFF, 'x', 'y', 'Q', 0x20}),
         "0x06000012  12 41 80 7F 1F 20 7A 00 FF {A*\x7F. z.*xyQ }"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CANBlockToText(c.block), c.text);
}

TEST(MessageLog, LinesWaitForTheBatchWithNamesOf15Characters)
{
    MessageLog log([] { return std::string("2026-01-02 03:04:05.678"); });
    log.MemoLog("text", Kvrdata_ns::dctTCP, ldSent, "A device name that is long");
    log.MemoLog("more", Kvrdata_ns::dctCOM, ldReceived, "EMU1");
    log.MemoLog("odd", static_cast<Kvrdata_ns::TConnectionType>(9), ldReceived, "");
    ASSERT_TRUE(log.HasPending());
    const auto lines = log.TakePending();
    EXPECT_FALSE(log.HasPending());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "2026-01-02 03:04:05.678 SNT TCP A device name t text");
    EXPECT_EQ(lines[1], "2026-01-02 03:04:05.678 RCV COM EMU1            more");
    EXPECT_EQ(lines[2], "2026-01-02 03:04:05.678 RCV Ukn                 odd");
}

TEST(MessageLog, ReceivedBlocksFollowTheProtocolSwitchButUpdateStartAlwaysShows)
{
    MessageLog log([] { return std::string("T"); });
    log.BlockReceived(Block(0x01020304, {1}), Kvrdata_ns::dctTCP, "EMU1");
    log.BlockReceived(Block(UpdateStartedID, {}), Kvrdata_ns::dctTCP, "EMU1");
    auto lines = log.TakePending();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "T SNT TCP EMU1             Update started");

    log.Protocol = true;
    log.BlockReceived(Block(0x01020304, {1}), Kvrdata_ns::dctTCP, "EMU1");
    log.Logged(Block(0x0103FFFF, {}), Kvrdata_ns::dctTCP, ldSent, "EMU1");
    lines = log.TakePending();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, 6), "T RCV ");
    EXPECT_NE(lines[0].find("0x01020304"), std::string::npos);
    EXPECT_EQ(lines[1].substr(0, 6), "T SNT ");
}

TEST(MessageLog, ForeignUDPFilter)
{
    constexpr std::uint32_t Host = 0x7F000001;
    struct Case {
        bool filter;
        Kvrdata_ns::TConnectionType kind;
        std::uint32_t sender;
        bool logged;
    } const cases[] = {
        {false, Kvrdata_ns::dctUDP, 0x0A000001, true},
        {true, Kvrdata_ns::dctUDP, 0x0A000001, false},
        {true, Kvrdata_ns::dctUDP, Host, true},
        {true, Kvrdata_ns::dctTCP, 0x0A000001, true},
        {true, Kvrdata_ns::dctCOM, 0, true},
    };
    for (const Case& c : cases) {
        MessageLog log([] { return std::string("T"); });
        log.FilterForeignUDP = c.filter;
        log.ErrorReceived(Block(0x0F100007, {0, 0, 0x12, 0x34, 0, 0, 0, 5}), {c.kind, "EMU1"}, c.sender, Host);
        const auto lines = log.TakePending();
        ASSERT_EQ(lines.size(), c.logged ? 1u : 0u) << c.filter << ' ' << int(c.kind);
        if (c.logged) {
            EXPECT_NE(lines[0].find("Module"), std::string::npos) << lines[0];
        }
    }
}

TEST(MessageLog, MemoKeepsItsNewestFifthPast32000Characters)
{
    EXPECT_EQ(MemoTrimCount(0), 0u);
    EXPECT_EQ(MemoTrimCount(32000), 0u);
    EXPECT_EQ(MemoTrimCount(32001), 25600u);
    EXPECT_EQ(MemoTrimCount(40003), 32002u);
}

} // namespace
