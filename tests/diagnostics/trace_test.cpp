// Switches, the mask filter, trace line formats and the call stacks of trace scopes.
#include <latch>
#include <stdexcept>
#include <thread>

#include "formatter_fixture.h"

using namespace kvrtest;

namespace {

struct SwitchCase {
    std::vector<std::string> Args;
    unsigned Mask;
    unsigned MaxDepth;
    std::string Prefix;
};

class SwitchTest : public FormatterTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(SwitchTest, Parses)
{
    const SwitchCase& c = GetParam();
    TKVRInfoFormatter& f = Make(c.Args);
    EXPECT_EQ(f.Mask(), c.Mask);
    EXPECT_EQ(f.MaxDepth(), c.MaxDepth);
    EXPECT_EQ(f.FilePrefix(), c.Prefix);
}

INSTANTIATE_TEST_SUITE_P(
    Switches, SwitchTest,
    ::testing::Values(SwitchCase{{}, 0, 50, ""}, SwitchCase{{"-debug:0x8005"}, 0x8005, 50, ""},
                      SwitchCase{{"-debug:$8005"}, 0x8005, 50, ""}, SwitchCase{{"-debug:x1F"}, 0x1F, 50, ""},
                      SwitchCase{{"-debug:0XFFFFFFFF"}, 0xFFFFFFFF, 50, ""},
                      SwitchCase{{"-debug:33285"}, 33285, 50, ""}, SwitchCase{{"-debug:-1"}, 0xFFFFFFFF, 50, ""},
                      SwitchCase{{"-debug:12ab"}, 0, 50, ""}, SwitchCase{{"-debug:"}, 0, 50, ""},
                      SwitchCase{{"-debug:0x8005", "-debug:0x205"}, 0x205, 50, ""},
                      // the value stands at a fixed position, so a switch inside a word reads ":5"
                      SwitchCase{{"x-debug:5"}, 0, 50, ""},
                      SwitchCase{{"-file:run"}, 0x100, 50, "run"},
                      SwitchCase{{"-debug:0x8005", "-file:run"}, 0x8105, 50, "run"},
                      SwitchCase{{"-file:run", "-debug:0x8005"}, 0x8105, 50, "run"},
                      SwitchCase{{"-file:c:\\logs\\x.y"}, 0x100, 50, "c__logs_x_y"},
                      SwitchCase{{"-file:a b/c~$!#"}, 0x100, 50, "a_b_c~$!#"},
                      SwitchCase{{"-csdepth:300"}, 0, 44, ""}, SwitchCase{{"-csdepth:0"}, 0, 0, ""},
                      SwitchCase{{"-csdepth:$10", "-debug:0x200"}, 0x200, 16, ""}));

TEST_F(FormatterTest, ProgramPathIsNotASwitch)
{
    F = std::make_unique<TKVRInfoFormatter>(MakeSetup());
    const char* argv[] = {"-debug:0x8005", "-csdepth:3"};
    F->ParseSwitches(2, argv);
    EXPECT_EQ(F->Mask(), 0u);
    EXPECT_EQ(F->MaxDepth(), 3u);
}

struct FilterCase {
    unsigned Mask;
    unsigned Level;
    bool Passes;
};

class FilterTest : public FormatterTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(FilterTest, LevelAgainstMask)
{
    const FilterCase& c = GetParam();
    TKVRInfoFormatter& f = Make({kvr::diag::Format("-debug:0x%x", c.Mask)});
    EXPECT_EQ(f.Passes(c.Level), c.Passes);
    f.Trace(c.Level, "line");
    EXPECT_EQ(DebugLines().size(), c.Passes ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Mask, FilterTest,
                         ::testing::Values(FilterCase{0x8005, 0x8005, true}, FilterCase{0x8005, 0x8006, false},
                                           FilterCase{0x8005, 0x8000, true}, FilterCase{0x8005, 0x4001, false},
                                           FilterCase{0x8005, 0x0001, false}, FilterCase{0xC005, 0x4005, true},
                                           FilterCase{0x0, 0x100, false}, FilterCase{0x100, 0x101, false},
                                           FilterCase{0x1FF, 0x8000, false}, FilterCase{0x81FF, 0x80FF, true},
                                           FilterCase{0x2002, 0x2002, true}, FilterCase{0x2002, 0x2005, false}));

TEST_F(FormatterTest, LineFormatsWithoutScopes)
{
    TKVRInfoFormatter& f = Make({"-debug:0x80FF"});
    const std::string tag = ThreadTag();
    f.Trace(0x8004, "hello %d", 5);
    f.Trace(0x8000, "common");
    f.Trace(0x8001, "crit");
    f.Trace(0x8002, "error");
    f.Trace(0x8003, "warn");
    f.Trace(0x8007, "debug");
    f.TraceText(0x8004, "ready %d");
    f.Trace(0x8004, "0123456789abc+ no prefix");
    f.Trace(0x8004, "0123456789abc- none %s", "either");
    EXPECT_EQ(DebugLines(), (std::vector<std::string>{
                                tag + " INFO  hello 5", tag + " COMMONcommon", tag + " CRIT  crit", tag + " ERROR error",
                                tag + " WARN  warn", tag + " DEBUG debug", tag + " INFO  ready %d",
                                "0123456789abc+ no prefix", "0123456789abc- none either"}));
    EXPECT_EQ(f.FormatPrefix('+', "STACK"), tag + " STACK");
}

TEST_F(FormatterTest, StackLinesAndIndentation)
{
    TKVRInfoFormatter& f = Make({"-debug:0x8205"});
    const std::string tag = ThreadTag();
    {
        TKVRFI a(f, "TProject::LoadFromDisk");
        TKVRFI b(f, "TDevice::SetAllData");
        f.Trace(0x8004, "inside");
        f.Trace(0x8000, "common");
    }
    const auto lines = DebugLines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], tag + " STACK + TProject::LoadFromDisk");
    EXPECT_EQ(lines[1], tag + " STACK ++ TDevice::SetAllData");
    EXPECT_EQ(lines[1][13], '+');
    EXPECT_EQ(lines[2], tag + " INFO     inside");
    EXPECT_EQ(lines[3], tag + " COMMON   common");
    EXPECT_TRUE(HeadThenMs(lines[4], tag + " STACK -- TDevice::SetAllData  (")) << lines[4];
    EXPECT_TRUE(HeadThenMs(lines[5], tag + " STACK - TProject::LoadFromDisk  (")) << lines[5];
    EXPECT_EQ(f.StackItemCount(), 0u);
}

TEST_F(FormatterTest, LowLevelKeepsStacksWithoutStackLines)
{
    TKVRInfoFormatter& f = Make({"-debug:0x8204"});
    TKVRFI a(f, "A::A");
    TKVRFI b(f, "B::B");
    f.Trace(0x8004, "x");
    EXPECT_EQ(DebugLines(), std::vector<std::string>{ThreadTag() + " INFO     x"});
}

TEST_F(FormatterTest, ScopesBeyondMaxDepthAreCountedOnly)
{
    TKVRInfoFormatter& f = Make({"-debug:0x205", "-csdepth:2"});
    const std::string tag = ThreadTag();
    f.PushFunction("L1");
    f.PushFunction("L2");
    f.PushFunction("L3");
    f.PushFunction("L4");
    EXPECT_EQ(f.StackItemCount(), 3u);
    EXPECT_EQ(f.StackDepth(), 4u);
    f.PopFunction(); // the fourth recorded nothing
    EXPECT_EQ(f.StackItemCount(), 3u);
    f.PopFunction();
    EXPECT_EQ(f.StackItemCount(), 2u);
    auto lines = DebugLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], tag + " STACK +++ L3");
    EXPECT_TRUE(HeadThenMs(lines[3], tag + " STACK --- L3  (")) << lines[3];
    f.PopFunction();
    f.PopFunction();
    EXPECT_EQ(f.StackDepth(), 0u);
    EXPECT_EQ(f.StackItemCount(), 0u);
}

TEST_F(FormatterTest, DepthZeroRecordsOnlyTheOutermostScope)
{
    TKVRInfoFormatter& f = Make({"-debug:0x200", "-csdepth:0"});
    TKVRFI a(f, "A");
    TKVRFI b(f, "B");
    TKVRFI c(f, "C");
    EXPECT_EQ(f.StackItemCount(), 1u);
    EXPECT_EQ(f.StackDepth(), 3u);
}

TEST_F(FormatterTest, ScopesOffCostNothing)
{
    TKVRInfoFormatter& f = Make({"-debug:0x8005"});
    TKVRFI a(f, "A");
    EXPECT_EQ(f.StackDepth(), 0u);
    EXPECT_TRUE(DebugLines().empty());
}

TEST_F(FormatterTest, ExceptionStillPops)
{
    TKVRInfoFormatter& f = Make({"-debug:0x200"});
    try {
        TKVRFI a(f, "Outer");
        TKVRFI b(f, "Inner");
        throw std::runtime_error("x");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(f.StackItemCount(), 0u);
    EXPECT_EQ(f.StackDepth(), 0u);
}

TEST_F(FormatterTest, ThreadsKeepTheirOwnDepth)
{
    TKVRInfoFormatter& f = Make({"-debug:0x8204"});
    std::latch opened(2);
    std::string tags[2];
    auto body = [&](int Index, int Depth) {
        std::vector<std::unique_ptr<TKVRFI>> scopes;
        for (int i = 0; i < Depth; ++i)
            scopes.push_back(std::make_unique<TKVRFI>(f, "Scope"));
        tags[Index] = ThreadTag();
        opened.arrive_and_wait();
        f.Trace(0x8004, "line");
    };
    std::thread a(body, 0, 1);
    std::thread b(body, 1, 3);
    a.join();
    b.join();
    auto lines = DebugLines();
    ASSERT_EQ(lines.size(), 2u);
    std::sort(lines.begin(), lines.end());
    std::vector<std::string> expected{tags[0] + " INFO    line", tags[1] + " INFO      line"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lines, expected);
}

TEST_F(FormatterTest, DumpListsOpenScopes)
{
    TKVRInfoFormatter& f = Make({"-debug:0x8301"});
    TKVRFI a(f, "TKVRCommunicationClient::SendFile");
    f.DumpThreadStacks();
    const auto lines = DebugLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], ThreadTag() + " CRIT    current thread states:");
    const std::string head = ThreadTag() + " CRIT    ThreadID: " + ThreadTag().substr(1, 4) +
                             " - TKVRCommunicationClient::SendFile(";
    EXPECT_TRUE(lines[1].starts_with(head) && lines[1].ends_with("ms) ->")) << lines[1];
}

} // namespace
