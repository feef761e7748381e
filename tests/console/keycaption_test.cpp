#include "console/keycaption.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kvr::console;
using kvr::model::TKeyRecord;

namespace {

TKeyRecord WithCaption(const char* text, std::size_t length)
{
    TKeyRecord r{};
    r[0] = 7;
    std::memcpy(r.data() + 1, text, std::min(length, r.size() - 1));
    return r;
}

TEST(KeyCaption, BytesOneToThirtyEndingAtZeroSplitAtBackslash)
{
    struct Case {
        std::string stored; // bytes from 1 on, as many as given
        std::string text;
        std::vector<std::string> lines;
    };
    const std::string thirty = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";
    const Case cases[] = {
        {"", "", {""}},
        {"MIC", "MIC", {"MIC"}},
        {"MIC\\ON", "MIC\\ON", {"MIC", "ON"}},
        {"A\\B\\C", "A\\B\\C", {"A", "B", "C"}},
        {"\\", "\\", {"", ""}},
        {std::string("AB\0CD", 5), "AB", {"AB"}},
        // A full 30-byte caption runs into byte 31, the function code, which is not text.
        {thirty + "\x04", thirty, {thirty}},
        {"\xe4\xf6\xfc", "\xe4\xf6\xfc", {"\xe4\xf6\xfc"}},
    };
    for (const Case& c : cases) {
        const TKeyRecord r = WithCaption(c.stored.data(), c.stored.size());
        EXPECT_EQ(c.text, KeyCaptionText(r)) << c.stored;
        EXPECT_EQ(c.lines, KeyCaptionLines(r)) << c.stored;
    }
}

} // namespace
