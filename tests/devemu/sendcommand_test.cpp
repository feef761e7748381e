// The emulator's "send" command line.

#include <gtest/gtest.h>

#include <sstream>

#include "devemu/sendcommand.h"

namespace {

TEST(SendCommand, ParsesIdAndHexData)
{
    struct Case {
        const char* Line;
        bool Ok;
        std::uint32_t Id;
        std::vector<std::uint8_t> Data;
    };
    const Case Cases[] = {
        {"0x112A0000 0500416263", true, 0x112A0000, {5, 0, 'A', 'b', 'c'}},
        {"287440896 ff", true, 0x11220000, {0xFF}},
        {"0x9A000004 -", true, 0x9A000004, {}},
        {"0x9A000004", true, 0x9A000004, {}},
        {"0x1234 abc", false, 0, {}},       // odd number of digits
        {"0x1234 zz", false, 0, {}},        // no hex digits
        {"0x1FFFFFFFF 00", false, 0, {}},   // more than 32 bits
        {"12x 00", false, 0, {}},
        {"", false, 0, {}},
    };
    for (const Case& C : Cases) {
        std::istringstream Line(C.Line);
        const auto Frame = kvr::devemu::parseSendCommand(Line);
        ASSERT_EQ(Frame.has_value(), C.Ok) << C.Line;
        if (!Frame)
            continue;
        EXPECT_EQ(Frame->id, C.Id) << C.Line;
        EXPECT_EQ(std::vector<std::uint8_t>(Frame->data.begin(), Frame->data.begin() + Frame->len), C.Data) << C.Line;
    }
    std::istringstream TooLong("0x1 " + std::string(512, 'a'));
    EXPECT_FALSE(kvr::devemu::parseSendCommand(TooLong));
    std::istringstream Longest("0x1 " + std::string(510, 'a'));
    EXPECT_EQ(kvr::devemu::parseSendCommand(Longest)->len, 255);
}

} // namespace
