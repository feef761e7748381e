// Status pages, card pages and serial lines as text.

#include <gtest/gtest.h>

#include <cstring>

#include "kvrdata/byteorder.h"
#include "service/moduleinfo/moduletexts.h"

namespace {

using namespace kvr::service;

std::vector<std::uint8_t> StatusPage(std::uint32_t Kind, std::array<std::uint8_t, 4> Firmware)
{
    std::vector<std::uint8_t> p(StatusPageBufferSize, 0xFF);
    std::fill(p.begin(), p.begin() + 114, 0);
    std::copy(Firmware.begin(), Firmware.end(), p.begin() + 2);
    kvr::writeBE32(p, 6, Kind);
    kvr::writeBE16(p, 20, static_cast<std::uint16_t>(-125)); // -1.25 degrees
    p[22] = 1;
    kvr::writeBE32(p, 24, 90061); // 1 day 1 hour 1 minute 1 second
    kvr::writeBE16(p, 28, 4711);
    kvr::writeBE16(p, 30, 24150);
    p[32] = 0x1A;
    p[33] = 2;
    p[34] = 3;
    p[35] = 4;
    p[36] = 1;
    p[37] = 2;
    p[38] = 0x38;
    p[41] = 0x41;
    kvr::writeBE32(p, 64, 48000);
    kvr::writeBE32(p, 68, 44100);
    kvr::writeBE32(p, 72, 0);
    p[76] = 2;
    p[77] = 0x3F;
    kvr::writeBE16(p, 80, 3300);
    kvr::writeBE16(p, 82, 3250);
    p[88] = 0x12;
    p[89] = 0x34;
    p[90] = 0xAB;
    // Two tasks: the second in a state the table does not name.
    const char* names[] = {"Main", "AudioLinkTask"};
    for (int t = 0; t < 2; ++t) {
        const std::size_t at = 114 + 27 * static_cast<std::size_t>(t);
        std::fill(p.begin() + static_cast<std::ptrdiff_t>(at), p.begin() + static_cast<std::ptrdiff_t>(at + 27), 0);
        std::copy_n(names[t], std::strlen(names[t]), p.begin() + static_cast<std::ptrdiff_t>(at));
        p[at + 15] = static_cast<std::uint8_t>(10 + t);
        p[at + 16] = t == 0 ? 2 : 12;
        kvr::writeBE16(p, at + 17, 5);
        kvr::writeBE16(p, at + 19, 100);
        kvr::writeBE16(p, at + 21, 512);
        kvr::writeBE16(p, at + 23, 7);
        kvr::writeBE16(p, at + 25, 125);
    }
    return p;
}

TEST(StatusPage, Kind8)
{
    const auto lines = StatusPageText(StatusPage(8, {5, 20, 9, 0}), 1003);
    const std::vector<std::string> expected = {
        "Module : KX730-851      PN: 1003",
        " ",
        "Firmware Version:  5.20.09.00 ",
        "Config Version:    1.02       ",
        "Hour Meter:     4711",
        "Temp:             -1.25\xB0"
        "C",
        "SerTxOvr:  1A SerRxOvr:   2 CANRxOvr:   3 CANTxOvr:   4 EthRxOvr:  38",
        "Reset: Watchdog Reset   1 days 01 hours 01 minutes 01 seconds ago",
        "SysFreq:  48000Hz Sync1:  44100Hz Sync2:      0Hz AudioLink:   2 DSPOK:  3f",
        " ",
        "Taskname        Prio State         R.Del  FStack  MStack  Scheds   Ct%",
        "           Main   10 Delaying          5     100     512       7  12.5",
        "  AudioLinkTask   11 State 12          5     100     512       7  12.5",
    };
    EXPECT_EQ(lines, expected);
}

TEST(StatusPage, KindsAndFirmware)
{
    EXPECT_EQ(StatusPageText(StatusPage(0, {5, 20, 9, 0}), 1), std::vector<std::string>{"Module information was not read correctly!"});

    auto lines = StatusPageText(StatusPage(0x400, {5, 20, 9, 0}), 7);
    EXPECT_EQ(lines[0], "Module : KX730-850      PN: 7");
    EXPECT_EQ(lines[5], "Temp:             -1.25\xB0"
                        "C     VRamPON:   3.30V   VRam:   3.25V");
    EXPECT_EQ(lines[8], "MAC address: 1234AB");

    lines = StatusPageText(StatusPage(0x40000000, {5, 20, 9, 0}), 7);
    EXPECT_EQ(lines[0], "Module : KX730-027      PN: 7");
    EXPECT_EQ(lines[6], "SerTxOvr:  1A SerRxOvr:   2");

    lines = StatusPageText(StatusPage(2, {5, 3, 2, 0}), 7);
    EXPECT_EQ(lines[5], "V24:              24.15V");
    EXPECT_EQ(lines[7].substr(lines[7].size() - 3), " 41") << "5.3.2.0 from byte 41";
    lines = StatusPageText(StatusPage(2, {5, 3, 1, 0}), 7);
    EXPECT_EQ(lines[7].substr(lines[7].size() - 3), " ff") << "5.3.1.0 has none";
    lines = StatusPageText(StatusPage(0x1234, {5, 3, 1, 0}), 7);
    EXPECT_EQ(lines[0], "Module : unknown        PN: 7");

    auto dated = StatusPage(2, {5, 20, 9, 0});
    kvr::writeBE32(dated, 10, 86400); // 2 January 1970
    EXPECT_EQ(StatusPageText(dated, 1)[2], "Firmware Version:  5.20.09.00        Date: Fri Jan  2 00:00:00 1970");
}

std::vector<std::uint8_t> CardPage(std::uint8_t Code)
{
    std::vector<std::uint8_t> p(CardPageSize, 0);
    p[0] = Code;
    p[1] = 3;
    kvr::writeBE16(p, 2, 815);
    kvr::writeBE32(p, 4, 123456);
    kvr::writeBE32(p, 8, 0);
    kvr::writeBE16(p, 20, 99);
    for (std::size_t i = 23; i < 71; ++i)
        p[i] = static_cast<std::uint8_t>(i - 23);
    p[23] = 0x9C; // -1.00
    p[22] = 100;
    const char text[] = "line one\nline two\nunended";
    std::copy_n(text, sizeof text - 1, p.begin() + 100);
    return p;
}

TEST(CardPage, Texts)
{
    auto lines = CardPageText(CardPage(0x46), 2, 0);
    const std::vector<std::string> head = {"Slot 2",
                                           "Cardtype:      KX730-222  ",
                                           "SN:            123456",
                                           "Hardware rev.: 3",
                                           "FA-Number:     815",
                                           "Date:          Thu Jan  1 00:00:00 1970 ",
                                           "Hour Meter:    99",
                                           "line one",
                                           "line two",
                                           " ",
                                           "AD  pos.corr (dB)",
                                           " 0   -1.00",
                                           " 1    0.01",
                                           " 2    0.02",
                                           " 3    0.03",
                                           " ",
                                           "DA  neg.corr (dB)",
                                           " 0    0.04",
                                           " 1    0.05",
                                           " 2    0.06",
                                           " 3    0.07",
                                           " "};
    EXPECT_EQ(lines, head);

    lines = CardPageText(CardPage(0x32), 1, 0);
    ASSERT_EQ(lines.size(), head.size() + 5);
    EXPECT_EQ(lines[head.size()], "MIC     5     10     15     20     25     30     35     40     45     50");
    EXPECT_EQ(lines.back(), " 3    0.38   0.39   0.40   0.41   0.42   0.43   0.44   0.45   0.46   0.47");

    lines = CardPageText(CardPage(0x47), 1, 0);
    EXPECT_EQ(lines[0], "FA-Number:     815") << "0x47 is no card of the table";
    EXPECT_EQ(lines.back(), " 3    0.03");

    lines = CardPageText(CardPage(0x48), 1, 0);
    EXPECT_EQ(lines[lines.size() - 12], "AD    15dB     18dB     21dB     24dB");
    EXPECT_EQ(lines[lines.size() - 11], " 0   -1.00     0.08     0.16     0.24");
    EXPECT_EQ(lines[lines.size() - 2], " 3    0.07     0.15     0.23     0.31");

    lines = CardPageText(CardPage(0x77), 1, 0);
    EXPECT_EQ(lines.back(), "No additional information available");
    EXPECT_EQ(CardPageText(CardPage(0x46), 9, 0).back(), " ") << "slots 9 and 10 have no corrections";
}

TEST(CardPage, EdgeCases)
{
    auto page = CardPage(0x01);
    page[22] = 200;
    kvr::writeBE32(page, 8, 0xFFFFFFFF);
    const auto lines = CardPageText(page, 10, 86400 * 365);
    EXPECT_EQ(lines[5], "Date:          Fri Jan  1 00:00:00 1971 ") << "no date shows now";
    EXPECT_EQ(lines[7], " ") << "a text offset past the page shows no text";
}

TEST(SerialLines, ModulesAndCards)
{
    const std::uint8_t answer[8] = {2, 0, 0, 0, 5, 20, 9, 0};
    EXPECT_EQ(ModuleSerialLine(answer, 1001), "KX730-020   #F1    PN:  1001    Firmware version: 5.20.9.0");
    const std::uint8_t t31[8] = {31, 4, 0, 0, 5, 20, 9, 0};
    EXPECT_EQ(ModuleSerialLine(t31, 12), "KX730-027         PN:    12");
    const std::uint8_t unknown[8] = {12};
    EXPECT_EQ(ModuleSerialLine(unknown, 12), "unknown module");
    EXPECT_EQ(CarrierSlotLine(1003, 2), "\t\tSlot  9   Type KX730-851     PN  1003    Rev 2");
    EXPECT_EQ(CardSlotLine(2, {0x64, 1, 777}), "\t\tSlot  3   Type KX730-848L    SN   777    Rev 1");
    EXPECT_EQ(CardSlotLine(2, {0x47, 1, 777}), "");
}

} // namespace
