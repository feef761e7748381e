// Numbered messages: registration, texts, the presenter hook and "-debughelp".
#include <future>

#include "formatter_fixture.h"

using namespace kvrtest;

namespace {

TEST_F(FormatterTest, OwnTextsAreRegistered)
{
    TKVRInfoFormatter& f = Make({});
    EXPECT_EQ(f.GetMessageText(0x81000002, 5u, 1u, 7u, 17u), "Severity: 5\nType: 1\nModule: 7\nCode: 17");
    EXPECT_EQ(f.GetMessageText(0x43000001, "X"), "X +");
    EXPECT_EQ(f.GetMessageText(0x12345678), "Unknown error");
    EXPECT_EQ(f.GetCodedMessageText(0xA1000006), "A1000006: Could not create the message form.");
}

TEST_F(FormatterTest, ShowMessagePassesKindAndResult)
{
    static const TInfoMessage table[] = {{0x6107001F, "Delete %s?"}};
    TKVRInfoFormatter& f = Make({});
    ASSERT_TRUE(f.RegisterMessages(table, 1));
    Answer = mrYes;
    EXPECT_EQ(f.ShowMessage(0x6107001F, "YN", "setup 3"), mrYes);
    ASSERT_EQ(Shown.size(), 1u);
    EXPECT_EQ(Shown[0].Kind, 3);
    EXPECT_EQ(Shown[0].Text, "Delete setup 3?");
    EXPECT_EQ(Shown[0].Code, 0x6107001Fu);
    EXPECT_EQ(Shown[0].Buttons, "YN");
}

TEST_F(FormatterTest, PresenterFailureGivesZero)
{
    TKVRInfoFormatter& f = Make({});
    f.SetMessagePresenter([](int, const std::string&, unsigned, const std::string&) -> int {
        throw std::runtime_error("no display");
    });
    EXPECT_EQ(f.ShowMessage(0xA1000001, "", "x"), 0);
    EXPECT_EQ(DebugLines(), std::vector<std::string>{"A1000006: Could not create the message form."});
}

TEST_F(FormatterTest, DefaultPresenterAnswersWithTheDefaultButton)
{
    TKVRFormatterSetup s = MakeSetup();
    s.Presenter = nullptr;
    TKVRInfoFormatter& f = Make(s, {});
    EXPECT_EQ(f.ShowMessage(0x6107001F, "Y!N"), mrNo);
}

TEST(DefaultModalResult, Table)
{
    const std::pair<const char*, int> cases[] = {{"", mrOk}, {"O", mrOk}, {"YN", mrYes}, {"Y!N", mrNo},
                                                 {"OA", mrOk}, {"!C", mrCancel}, {"M", mrOk}, {"MR", mrRetry},
                                                 {"OM", mrOk}, {"A", mrAbort}};
    for (const auto& [buttons, result] : cases)
        EXPECT_EQ(DefaultModalResult(buttons), result) << buttons;
}

TEST_F(FormatterTest, DuplicateCodeShowsBothTextsOutsideTheLock)
{
    static const TInfoMessage first[] = {{0xA1070011, "old"}, {0xA1070012, "same"}};
    static const TInfoMessage second[] = {{0xA1070011, "new"}, {0xA1070012, "same"}};
    TKVRInfoFormatter& f = Make({"-debug:0x8005"});
    ASSERT_TRUE(f.RegisterMessages(first, 2));
    bool otherThreadTraced = false;
    f.SetMessagePresenter([&](int Kind, const std::string& Text, unsigned Code, const std::string&) {
        Shown.push_back({Kind, Text, Code, ""});
        // While the dialog is up, another thread must be able to trace.
        auto other = std::async(std::launch::async, [&] { f.Trace(0x8001, "from another thread"); });
        otherThreadTraced = other.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
        return mrOk;
    });
    ASSERT_TRUE(f.RegisterMessages(second, 2));
    ASSERT_EQ(Shown.size(), 1u);
    EXPECT_EQ(Shown[0].Code, 0xA1000007u);
    EXPECT_EQ(Shown[0].Kind, 5);
    EXPECT_EQ(Shown[0].Text, "Duplicate message a1070011:\n\nold text: old\n\nnew text: new");
    EXPECT_TRUE(otherThreadTraced);
    EXPECT_EQ(f.GetMessageText(0xA1070011), "new");
}

TEST_F(FormatterTest, EmptyTableIsRefused)
{
    TKVRInfoFormatter& f = Make({});
    static const TInfoMessage table[] = {{0x1, "x"}};
    EXPECT_FALSE(f.RegisterMessages(nullptr, 3));
    EXPECT_FALSE(f.RegisterMessages(table, 0));
    ASSERT_EQ(Shown.size(), 2u);
    EXPECT_EQ(Shown[0].Text, "An empty message list was assigned.");
    EXPECT_EQ(Shown[0].Kind, 5);
    EXPECT_EQ(f.GetMessageText(0x1), "Unknown error");
}

TEST(DebugHelpDeathTest, ShowsHelpAndExitsWithZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto run = [] {
        TKVRFormatterSetup s;
        s.DebuggerPresent = true;
        TKVRInfoFormatter f(s);
        const char* argv[] = {"prog", "-debughelp"};
        f.ParseSwitches(2, argv);
    };
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(0), "Information 81000004: Help on integrated debug message output engine");
}

} // namespace
