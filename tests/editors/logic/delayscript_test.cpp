#include <gtest/gtest.h>

#include "editors/logic/delayscripteditors.h"
#include "logicfixture.h"

namespace kvr::editors::test {
namespace {

TEST(DelayText, SecondsTypedAreStoredInTenthsWithinLimits)
{
    const std::pair<const char*, int> cases[] = {
        {"2.5", 25}, {"0", 0}, {"1000.1", 10000}, {"-3", 10000}, {"1000", 10000}, {"999.9", 9999},
        {"", 0}, {"abc", 0}, {".5", 5}, {"1.25", 12}, {" 7", 70}, {"12345678", 10000}, {"4.x", 40},
    };
    for (const auto& [text, tenths] : cases)
        EXPECT_EQ(ParseTenths(text), tenths) << text;
    EXPECT_EQ(FormatTenths(25), "2.5");
    EXPECT_EQ(FormatTenths(10000), "1000.0");
    EXPECT_EQ(DelayEditKey(','), '.');
    EXPECT_EQ(DelayEditKey('7'), '7');
}

TEST(ScriptText, LinesAreReadInFieldOrderAndWrittenInNormalForm)
{
    struct Case {
        const char* line;
        std::uint32_t id;
        int length;
        std::vector<std::uint8_t> data;
        const char* normal;
    };
    const Case cases[] = {
        {"1234, 2, 5, ff", 0x1234, 2, {0x05, 0xFF}, "00001234, 2, 05, FF"},
        {"1234", 0x1234, 0, {}, "00001234, 0"},
        {"A, 9, 1,2,3,4,5,6,7,8,9", 0xA, 8, {1, 2, 3, 4, 5, 6, 7, 8}, "0000000A, 8, 01, 02, 03, 04, 05, 06, 07, 08"},
        {"DEADBEEF, 1, 1FF", 0xDEADBEEF, 1, {0xFF}, "DEADBEEF, 1, FF"},
        {"10, 3, 7", 0x10, 3, {7, 0, 0}, "00000010, 3, 07, 00, 00"},
        {"10, -2, 7", 0x10, 0, {}, "00000010, 0"},
        {"ZZ, 2, 1, 2", 0, 0, {}, "00000000, 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const TScriptCommand command = ParseScriptLine(c.line);
        EXPECT_EQ(command.ID, c.id);
        EXPECT_EQ(command.Length, c.length);
        for (std::size_t i = 0; i < 8; ++i)
            EXPECT_EQ(command.Data[i], i < c.data.size() ? c.data[i] : 0) << i;
        EXPECT_EQ(FormatScriptCommand(command), c.normal);
        // The normal form reads back as the same command.
        EXPECT_EQ(FormatScriptCommand(ParseScriptLine(FormatScriptCommand(command))), c.normal);
    }
}

class DelayEditorTest : public LogicPageTest {
public:
    DelayEditorTest()
    {
        AddLogicDelay(*dev);
        ShowAndSelect(lkLogicDelay, 0);
        editor.Fill();
    }
    TLogicDelay Delay()
    {
        TLogicDelay d;
        EXPECT_EQ(GetLogicDelay(*dev, 0, d), 1);
        return d;
    }
    LogicDelayEditor editor{page};
};

TEST_F(DelayEditorTest, TypedTimesAreStoredAndShownAgainOnExit)
{
    EXPECT_EQ(editor.DelayText, "1.0");
    EXPECT_EQ(editor.ImpulseText, "1.0");
    editor.SetDelay("2.5");
    editor.SetImpulseLength("0");
    EXPECT_EQ(Delay().Delay, 25);
    EXPECT_EQ(Delay().ImpulseLength, 1);
    editor.SetImpulseLength("-3");
    EXPECT_EQ(Delay().ImpulseLength, 10000);
    editor.ExitEdits();
    EXPECT_EQ(editor.DelayText, "2.5");
    EXPECT_EQ(editor.ImpulseText, "1000.0");
    editor.SetLabel("Door delay long");
    EXPECT_EQ(page.Rows()[0].Caption, "Door delay");
    page.RefreshLogicEditor([&] { editor.SetDelay("9"); });
    EXPECT_EQ(Delay().Delay, 25);
}

TEST_F(DelayEditorTest, TheSourceIsTheRecordsSourceWithoutCondition)
{
    EXPECT_TRUE(Assign(ltLogicDelay, 0xC000 | 931).Written);
    EXPECT_EQ(Delay().Source, 931);
    editor.Fill();
    EXPECT_EQ(editor.SourceTag, 931);
    EXPECT_EQ(editor.SourceText, GetLogicSourceName(project, 931, 0));
}

class ScriptEditorTest : public LogicPageTest {
public:
    ScriptEditorTest()
    {
        AddScript(*dev);
        AddScript(*dev);
        ShowAndSelect(lkScripts, 1);
        editor.Fill();
    }
    // Script index with count commands.
    void Commands(int index, int count)
    {
        TScript s;
        ASSERT_EQ(GetScript(*dev, index, s), 1);
        s.Count = static_cast<std::uint8_t>(count);
        SetScript(*dev, index, s);
    }
    TScript Script(int index)
    {
        TScript s;
        EXPECT_EQ(GetScript(*dev, index, s), 1);
        return s;
    }
    ScriptEditor editor{page};
};

TEST_F(ScriptEditorTest, ApplyStoresTheLinesInNormalFormAndDropsBlankOnes)
{
    editor.Lines = {"1234, 2, 5, ff", "", "  ", "beef"};
    EXPECT_EQ(editor.Apply(), "");
    EXPECT_EQ(editor.Lines, (std::vector<std::string>{"00001234, 2, 05, FF", "0000BEEF, 0"}));
    const TScript s = Script(1);
    ASSERT_EQ(s.Count, 2);
    EXPECT_EQ(s.Commands[0].ID, 0x1234u);
    EXPECT_EQ(s.Commands[0].Data[1], 0xFF);
    // The second line gave no length or data: none, whatever the line above held.
    EXPECT_EQ(s.Commands[1].ID, 0xBEEFu);
    EXPECT_EQ(s.Commands[1].Length, 0);
    EXPECT_EQ(s.Commands[1].Data[0], 0);
    EXPECT_EQ(editor.CommandsUsed, "Overall commands used: 2/1000");

    editor.Fill();
    EXPECT_EQ(editor.Lines, (std::vector<std::string>{"00001234, 2, 05, FF", "0000BEEF, 0"}));
}

TEST_F(ScriptEditorTest, ApplyKeepsToTheDevicesCommandBudget)
{
    // Other scripts hold 990 commands; this one's stored five do not count against it.
    for (int i = 0; i < 4; ++i)
        AddScript(*dev);
    for (int i : {0, 2, 3, 4})
        Commands(i, i == 0 ? 225 : 255);
    Commands(1, 5);
    editor.Fill();
    EXPECT_EQ(editor.CommandsUsed, "Overall commands used: 995/1000");
    editor.Lines.assign(11, "1, 0");
    EXPECT_EQ(editor.Apply(), "Too many script commands! Please remove some.");
    EXPECT_EQ(Script(1).Count, 5);
    EXPECT_EQ(editor.Lines.size(), 11u); // the memo stays for the user to shorten
    editor.Lines.assign(10, "1, 0");
    EXPECT_EQ(editor.Apply(), "");
    EXPECT_EQ(Script(1).Count, 10);
    EXPECT_EQ(editor.CommandsUsed, "Overall commands used: 1000/1000");
    EXPECT_FALSE(host.progressShown);
}

TEST_F(ScriptEditorTest, AMemoOf256LinesIsCutTo255)
{
    editor.Lines.assign(256, "2, 1, 3");
    EXPECT_EQ(editor.MemoChange(), "Maximum number of 255 Commands per script allowed!");
    EXPECT_EQ(editor.Lines.size(), 255u);
    EXPECT_EQ(editor.MemoChange(), "");
    EXPECT_EQ(editor.Apply(), "");
    EXPECT_EQ(Script(1).Count, 255);
    EXPECT_EQ(host.progress.back(), 255); // long memos run with the progress window
    EXPECT_FALSE(host.progressShown);
}

} // namespace
} // namespace kvr::editors::test
