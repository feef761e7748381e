// Bounded strings and hexadecimal numbers, in memory and as they travel.
#include "testrecords.h"

#include <gtest/gtest.h>

using namespace kvrtest;

namespace {

// A record whose only member is one value.
template <typename V>
class TOneValue : public TBlockObject {
public:
    TOneValue() : TBlockObject(nullptr) {}
    void Describe(TBlockFilter* Filter) override { Filter->Transfer("V", &Value); }
    V Value;
};

template <typename V>
std::vector<std::uint8_t> bodyOf(const V& Value)
{
    TOneValue<V> record;
    record.Value = Value;
    const auto bytes = toBytes(record);
    return std::vector<std::uint8_t>(bytes.begin() + 4, bytes.end());
}

template <typename V>
V readBody(const std::vector<std::uint8_t>& Body, V Start = V())
{
    TOneValue<V> record;
    record.Value = Start;
    std::vector<std::uint8_t> bytes{0, 0, static_cast<std::uint8_t>(Body.size() >> 8), static_cast<std::uint8_t>(Body.size())};
    bytes.insert(bytes.end(), Body.begin(), Body.end());
    record.FromBuffer(bytes.data(), static_cast<int>(bytes.size()));
    return record.Value;
}

} // namespace

TEST(BlockValue, FixedStringIsNulPaddedToN)
{
    EXPECT_EQ(bodyOf(TBString<10>("ABC")), bytesOf({'A', 'B', 'C', 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(bodyOf(TBString<3>("UKN")), bytesOf({'U', 'K', 'N'}));
    EXPECT_STREQ(readBody<TBString<10>>(bytesOf({'A', 'B', 'C', 0, 'x', 0, 0, 0, 0, 0})).c_str(), "ABC");
    EXPECT_STREQ(readBody<TBString<3>>(bytesOf({'U', 'K', 'N'})).c_str(), "UKN");
}

TEST(BlockValue, VarStringIsALengthByteAndItsCharacters)
{
    EXPECT_EQ(bodyOf(TBVarString<50>("srv")), bytesOf({3, 's', 'r', 'v'}));
    EXPECT_EQ(bodyOf(TBVarString<50>()), bytesOf({0}));
    EXPECT_STREQ(readBody<TBVarString<50>>(bytesOf({3, 'a', 0, 'c'})).c_str(), "a");
}

TEST(BlockValue, VarStringAbove255TravelsCutTo255)
{
    TBVarString<1000> text(std::string(600, 'x'));
    EXPECT_EQ(text.Length(), 600);
    const auto body = bodyOf(text);
    ASSERT_EQ(body.size(), 256u);
    EXPECT_EQ(body[0], 255);
    EXPECT_EQ(readBody<TBVarString<1000>>(body).Length(), 255);
}

TEST(BlockValue, FailedVarStringReadShowsNoForeignBytes)
{
    // The length byte arrives, the characters do not.
    const auto text = readBody<TBVarString<50>>(bytesOf({10, 'a', 'b'}), TBVarString<50>("old"));
    EXPECT_STREQ(text.c_str(), "old");
}

TEST(BlockValue, AssignmentCutsAndUpdateReportsChange)
{
    TBString<10> s;
    s = "ABCDEFGHIJKL";
    EXPECT_STREQ(s.c_str(), "ABCDEFGHIJ");
    std::string text = "ABCDEFGHIJKL";
    TBString<10> t;
    EXPECT_TRUE(t.Update(text));
    EXPECT_EQ(text, "ABCDEFGHIJ");
    EXPECT_FALSE(t.Update(text));
    s = std::string("ab\0cd", 5);
    EXPECT_STREQ(s.c_str(), "ab");
    EXPECT_EQ(s.Length(), 2);
    t.AssignChars("xyz\0more", 8);
    EXPECT_STREQ(t.c_str(), "xyz");
    TBString<4> empty;
    ASSERT_NE(empty.c_str(), nullptr);
    EXPECT_STREQ(empty.c_str(), "");
}

TEST(BlockValue, PrintfMayExceedNUntilTheNextCut)
{
    TBString<4> s;
    s.printf("%d-%s", 12345, "abc");
    EXPECT_EQ(s.Length(), 9);
    EXPECT_EQ(s.AsString(), "1234");
    s.printf("%d", 987654);
    EXPECT_EQ(bodyOf(s), bytesOf({'9', '8', '7', '6'}));
}

TEST(BlockValue, SetLengthAboveNIsAnAssertion)
{
    TBString<4> s;
    try {
        s.SetLength(5);
        ADD_FAILURE() << "no assertion";
    } catch (const EAssertionFailed& e) {
        const std::string report = e.what();
        EXPECT_NE(report.find("Function: TBString<N>::SetLength\n"), std::string::npos) << report;
        EXPECT_NE(report.find("Condition: length <= N\n"), std::string::npos) << report;
    }
    s.SetLength(2);
    EXPECT_EQ(s.Length(), 2);
}

TEST(BlockValue, TypeNames)
{
    EXPECT_EQ(TBString<10>().GetTypeName(), "TBString<10>");
    EXPECT_EQ(TBVarString<50>().GetTypeName(), "TBVarString<50>");
    EXPECT_EQ(THexNum<unsigned>().GetTypeName(), "uint");
}

TEST(BlockValue, HexNumberIsBigEndianAndShownInHex)
{
    THexNum<unsigned> n(0x12345678);
    EXPECT_EQ(bodyOf(n), bytesOf({0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(n.AsString(), "0x12345678");
    EXPECT_EQ(THexNum<unsigned>(0x0603030A).AsString(), "0x0603030a");
    EXPECT_EQ(readBody<THexNum<unsigned>>(bytesOf({0xCA, 0xFE, 0, 1})).GetValue(), 0xCAFE0001u);

    struct Case {
        const char* text;
        unsigned value;
    };
    for (const Case& c : {Case{"0x00ff", 255}, Case{"0X1A", 26}, Case{"0x", 0}, Case{"", 0}, Case{"0xg1", 1},
                          Case{"0x123456789", 0x23456789}}) {
        THexNum<unsigned> h(7);
        h.FromString(c.text);
        EXPECT_EQ(h.GetValue(), c.value) << c.text;
    }
    EXPECT_FALSE(n.Set(0x12345678));
    EXPECT_TRUE(n.Set(1));
    n.Clear();
    EXPECT_EQ(n.GetValue(), 0u);
}
