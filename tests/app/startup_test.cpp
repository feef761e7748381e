#include "app/startup.h"

#include <gtest/gtest.h>

using namespace kvr::app;

TEST(StartCommand, OnlyTheFirstWordCounts)
{
    struct Case {
        std::vector<std::string> words;
        std::string project;
        int level;
    } const cases[] = {
        {{}, "", -1},
        {{"x.kvp"}, "x.kvp", -1},
        {{"/home/u/Studio A.kvp", "vux"}, "/home/u/Studio A.kvp", -1},
        {{"vux"}, "", 2},
        {{"x.KVP"}, "", -1},
        {{"VUX"}, "", -1},
        {{"x.kv1"}, "", -1},
        {{"-debug:0x8005", "vux"}, "", -1},
        {{"other", "vux"}, "", -1},
        {{"dir.kvp/file"}, "", -1},
        {{".kvp"}, ".kvp", -1},
    };
    for (const auto& c : cases) {
        const StartCommand command = ParseStartCommand(c.words);
        const std::string first = c.words.empty() ? "(none)" : c.words.front();
        EXPECT_EQ(command.ProjectFile, c.project) << first;
        EXPECT_EQ(command.ServiceLevel, c.level) << first;
    }
}

TEST(ProgramVersion, KeepsFilesReadable)
{
    struct Case {
        ProgramVersionParts parts;
        std::uint64_t expected;
    } const cases[] = {
        {{5, 1, 9, 409}, FallbackProgramVersion},
        {{0, 0, 0, 0}, FallbackProgramVersion},
        {{5, 1, 10, 3}, 0x0005'0001'000A'0003},
        {{5, 2, 0, 0}, 0x0005'0002'0000'0000},
        {{6, 0, 0, 1}, 0x0006'0000'0000'0001},
        {{5, 1, 8, 999}, FallbackProgramVersion},  // older layout
        {{4, 9, 9, 1}, FallbackProgramVersion},
        {{16, 0, 0, 0}, FallbackProgramVersion},   // read back as a very old file
        {{5, 16, 0, 0}, FallbackProgramVersion},
        {{5, 1, 16, 0}, FallbackProgramVersion},
        {{5, 1, 9, 65535}, 0x0005'0001'0009'FFFF},
        {{5, 1, 9, 65536}, FallbackProgramVersion},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EffectiveProgramVersion(c.parts), c.expected)
            << c.parts.Major << "." << c.parts.Minor << "." << c.parts.Release << "." << c.parts.Build;
    EXPECT_EQ(FallbackProgramVersion, (0x50001ull << 32) | 0x90199ull);
}

TEST(MainTexts, CaptionStatusAndInfo)
{
    EXPECT_EQ(MainCaption(""), "Cordex4 - ");
    EXPECT_EQ(MainCaption("/p/Studio.kvp"), "Cordex4 - /p/Studio.kvp");
    EXPECT_EQ(FileStateText(true), "File modified");
    EXPECT_EQ(FileStateText(false), "File saved");

    std::uint8_t header[100] = {};
    header[5] = 4;
    header[7] = 5;
    header[9] = 2;
    header[11] = 17;
    EXPECT_EQ(FileInfoText(HeaderVersion(header)), "Created with CorDex4:    4.5.2 build 17");
    header[10] = 0x01; // build 273: big-endian
    EXPECT_EQ(HeaderVersion(header).Build, 273u);

    EXPECT_EQ(AboutVersionText(SplitVersion(FallbackProgramVersion)), "Version 5.1.9 Build 409");
}
