#include "platform/prompter.h"
#include "platform/text1252.h"

#include <gtest/gtest.h>

using namespace kvr::platform;

TEST(Text1252, EveryByteSurvivesARoundTrip)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(toCp1252(fromCp1252(all)), all);
}

TEST(Text1252, KnownCharacters)
{
    EXPECT_EQ(fromCp1252("\x80 \xE4\xFC\xDF"), QString::fromUtf8("€ äüß"));
    EXPECT_EQ(toCp1252(QString::fromUtf8("Daten überschrieben – ok")), "Daten \xFC" "berschrieben \x96 ok");
    EXPECT_EQ(toCp1252(QString::fromUtf8("日本")), "??");
}

TEST(FileFilter, ConvertsPairsToQtFilters)
{
    EXPECT_EQ(qtFileFilter("KVR KX7300 Project|*.kvp"), "KVR KX7300 Project (*.kvp)");
    EXPECT_EQ(qtFileFilter("Device Data|*.kvf|All|*.a;*.b"), "Device Data (*.kvf);;All (*.a *.b)");
    EXPECT_EQ(qtFileFilter(""), "");
}

TEST(ScriptedPrompter, AnswersInOrderAndCountsWhatTheScriptMissed)
{
    ScriptedPrompter p;
    p.answer(Answer::Yes);
    p.file(QStringLiteral("/tmp/a.kvp"));
    EXPECT_EQ(p.messageBox("Save changes to disk?", "Close file", Buttons::YesNoCancel, Icon::Question), Answer::Yes);
    EXPECT_EQ(p.openFileName({}), QStringLiteral("/tmp/a.kvp"));
    EXPECT_TRUE(p.scriptUsedUp());
    EXPECT_EQ(p.messageBox("again", "x", Buttons::YesNo, Icon::None), Answer::Cancel);
    EXPECT_EQ(p.unexpected, 1);
    ASSERT_EQ(p.records().size(), 3U);
    EXPECT_EQ(p.records()[0].caption, "Close file");
    EXPECT_EQ(p.records()[0].buttons, Buttons::YesNoCancel);
}
