// Assertion reports and the wait cursor.
#include <gtest/gtest.h>

#include <vector>

#include "diagnostics/kvrassert.h"
#include "diagnostics/waitcursor.h"

namespace {

class AssertTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PreviousHook = kvr::diag::SetPlainMessageHook([this](const std::string& Text) { Shown.push_back(Text); });
        PreviousProbe = kvr::diag::SetDebuggerProbe([] { return false; });
    }
    void TearDown() override
    {
        kvr::diag::SetPlainMessageHook(PreviousHook);
        kvr::diag::SetDebuggerProbe(PreviousProbe);
    }
    std::vector<std::string> Shown;
    kvr::diag::PlainMessageHook PreviousHook;
    kvr::diag::DebuggerProbe PreviousProbe;
};

TEST_F(AssertTest, ReportIsShownOnceAndRaised)
{
    const std::string expected = "\n\nAssertion failed:\nFile: src/kvrdata/blockvalue.h\n"
                                 "Function: TBString<N>::SetLength\nLine: 214\nCondition: Len < N\n\n";
    try {
        AssertionFailed("src/kvrdata/blockvalue.h", "TBString<N>::SetLength", 214, "Len < N");
        FAIL() << "no exception";
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(std::string(e.what()), expected);
    }
    EXPECT_EQ(Shown, std::vector<std::string>{expected});
}

int Checked(int Len)
{
    KVR_ASSERT_IN("TKVRCommunicationClient::SendFile", Len < 40);
    return Len;
}

TEST_F(AssertTest, MacroPassesConditionAndOperation)
{
    EXPECT_EQ(Checked(3), 3);
    EXPECT_TRUE(Shown.empty());
    try {
        Checked(40);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) { // callers see a general error
        const std::string report = e.what();
        EXPECT_NE(report.find("Function: TKVRCommunicationClient::SendFile\n"), std::string::npos);
        EXPECT_NE(report.find("Condition: Len < 40\n"), std::string::npos);
        EXPECT_NE(report.find("assert_test.cpp\n"), std::string::npos);
    }
    try {
        const int n = 2;
        KVR_ASSERT(n == 3);
    } catch (const EAssertionFailed& e) {
        EXPECT_NE(std::string(e.what()).find("Function: TestBody\n"), std::string::npos);
    }
}

class RecordingCursor : public kvr::diag::CursorHook {
public:
    TKVRCursor Current() override { return Cursor; }
    void Set(TKVRCursor C) override
    {
        Cursor = C;
        Changes.push_back(C);
    }
    void ProcessMessages() override { ++Processed; }
    TKVRCursor Cursor = TKVRCursor::Default;
    std::vector<TKVRCursor> Changes;
    int Processed = 0;
};

class WaitCursorTest : public ::testing::Test {
protected:
    void SetUp() override { kvr::diag::SetCursorHook(Hook); }
    void TearDown() override { kvr::diag::SetCursorHook(nullptr); }
    std::shared_ptr<RecordingCursor> Hook = std::make_shared<RecordingCursor>();
};

TEST_F(WaitCursorTest, NestedScopesSetAndRestoreOnce)
{
    {
        TWaitCursor outer(true);
        {
            TWaitCursor inner(false);
            EXPECT_EQ(TWaitCursor::Nesting(), 2);
        }
        EXPECT_EQ(Hook->Cursor, TKVRCursor::HourGlass);
    }
    EXPECT_EQ(Hook->Changes, (std::vector<TKVRCursor>{TKVRCursor::HourGlass, TKVRCursor::Default}));
    EXPECT_EQ(Hook->Processed, 2);
    EXPECT_EQ(TWaitCursor::Nesting(), 0);
}

TEST_F(WaitCursorTest, OtherCursorsAreLeftAlone)
{
    Hook->Cursor = TKVRCursor::Other; // a drag cursor
    {
        TWaitCursor w(true);
    }
    EXPECT_TRUE(Hook->Changes.empty());
    EXPECT_EQ(Hook->Processed, 0);

    Hook->Cursor = TKVRCursor::AppStart;
    {
        TWaitCursor w(false);
        Hook->Cursor = TKVRCursor::Other; // someone else changed it meanwhile
    }
    EXPECT_EQ(Hook->Changes, std::vector<TKVRCursor>{TKVRCursor::HourGlass});
    EXPECT_EQ(Hook->Cursor, TKVRCursor::Other);
}

} // namespace
