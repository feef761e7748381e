#include "app/optionrules.h"

#include <gtest/gtest.h>

#include <set>

using namespace kvr::app;

TEST(OptionRules, NumbersFromFields)
{
    EXPECT_EQ(NumberOrDefault("12", 5), 12);
    EXPECT_EQ(NumberOrDefault(" 7 ", 5), 7);
    EXPECT_EQ(NumberOrDefault("-3", 5), -3);
    EXPECT_EQ(NumberOrDefault("", 5), 5);
    EXPECT_EQ(NumberOrDefault("1x", 5), 5);
    EXPECT_EQ(NumberOrDefault("99999999999", 5), 5);
}

TEST(OptionRules, LogAgeField)
{
    EXPECT_EQ(ProposedLogAge(0), 365);
    EXPECT_EQ(ProposedLogAge(30), 30);
    EXPECT_EQ(LogAgeOnExit("400"), 365);
    EXPECT_EQ(LogAgeOnExit("12"), 12);
    EXPECT_EQ(LogAgeOnExit("0"), 0);
    EXPECT_EQ(LogAgeOnExit("abc"), 0);
    EXPECT_LE(LogAgeOnExit("-4"), 0);
}

TEST(OptionRules, LogFolderOnLeavingTheField)
{
    const std::set<std::string> existing{"C:\\logs", "C:\\ab", "/var/log", "/"};
    const auto exists = [&](const std::string& f) { return existing.count(f) > 0; };

    struct Case {
        const char* typed;
        const char* folder;
        bool notFound;
    } const cases[] = {
        {"", "", false},
        {"C:\\logs\\", "C:\\logs", false},
        {"C:\\logs\\\\", "C:\\logs", false},
        {"/var/log/", "/var/log", false},
        {"C:\\ab\\xyz", "C:\\ab", true},
        {"C:\\zz", "", true},
        {"/", "/", false},
    };
    for (const auto& c : cases) {
        const FolderCheck check = CheckLogFolder(c.typed, exists);
        EXPECT_EQ(check.Folder, c.folder) << c.typed;
        EXPECT_EQ(check.NotFound, c.notFound) << c.typed;
    }
}

TEST(OptionRules, OkTakesTheFieldsAndClearsTheFitOptions)
{
    TPreferences p = TPreferences::Defaults();
    p.SetFitOptions(3);
    ApplyOptionFields(p, "/var/log", "25", "x", "30");
    EXPECT_EQ(p.LogFolder(), "/var/log");
    EXPECT_EQ(p.AutoSaveInterval(), 25);
    EXPECT_EQ(p.BackupLevels(), 5);
    EXPECT_EQ(p.LogAge(), 30);
    EXPECT_EQ(p.FitOptions(), 0);

    ApplyOptionFields(p, "", "", "0", "");
    EXPECT_EQ(p.AutoSaveInterval(), 10);
    EXPECT_EQ(p.BackupLevels(), 0);
    EXPECT_EQ(p.LogAge(), 0);
}
