#include "app/preferences.h"

#include <gtest/gtest.h>

#include "platform/settingsstore.h"

using namespace kvr::app;
using kvr::platform::DefinitionKey;
using kvr::platform::MemorySettingsStore;

namespace {

std::vector<std::uint8_t> Pattern(std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i % 7 + 1);
    return bytes;
}

} // namespace

TEST(Preferences, FieldsSitAtTheirOffsets)
{
    static_assert(TPreferences::Size == 324);
    TPreferences p;
    p.SetMainWindowRect({10, 20, 962, 696});
    p.SetLogicSourceWindowRect({-5, 1, 2, 3});
    p.SetAutoSave(true);
    p.SetAutoSaveInterval(15);
    p.SetBackupLevels(7);
    p.SetLogAge(0x01020304);
    p.SetWindowState(wsMaximized);
    p.SetSelectNextOutputRouting(true);
    p.SetHideUnnamedSources(true);
    p.SetLogFolder("/var/log/kvr");

    EXPECT_EQ(p.Bytes[0], 10);
    EXPECT_EQ(p.Bytes[8], 962 & 0xFF);
    EXPECT_EQ(p.Bytes[9], 962 >> 8);
    EXPECT_EQ(p.Bytes[32], 0xFB); // -5, little-endian
    EXPECT_EQ(p.Bytes[35], 0xFF);
    EXPECT_EQ(p.Bytes[96], 1);
    EXPECT_EQ(p.Bytes[99], 1);
    EXPECT_EQ(p.Bytes[100], 15);
    EXPECT_EQ(p.Bytes[101], 7);
    EXPECT_EQ(p.Bytes[104], 0x04);
    EXPECT_EQ(p.Bytes[107], 0x01);
    EXPECT_EQ(p.Bytes[108], 2);
    EXPECT_EQ(p.Bytes[109], 1);
    EXPECT_EQ(p.Bytes[113], '/');
    EXPECT_EQ(p.LogFolder(), "/var/log/kvr");
    EXPECT_EQ(p.LogicSourceWindowRect(), (TRect{-5, 1, 2, 3}));
}

TEST(Preferences, LogFolderIsCutTo207CharactersAndZeroFilled)
{
    TPreferences p;
    p.Bytes.fill(0xEE);
    p.SetLogFolder(std::string(300, 'x'));
    EXPECT_EQ(p.LogFolder(), std::string(207, 'x'));
    EXPECT_EQ(p.Bytes[113 + 207], 0);
    EXPECT_EQ(p.Bytes[320], 0);
    EXPECT_EQ(p.Bytes[321], 0xEE); // the reserved tail stays
    p.SetLogFolder("ab");
    EXPECT_EQ(p.LogFolder(), "ab");
    EXPECT_EQ(p.Bytes[116], 0);
}

TEST(Preferences, FirstRunGivesTheDefaultsInsteadOfAnAllZeroRecord)
{
    MemorySettingsStore store;
    TPreferences p = TPreferences::Defaults();
    EXPECT_EQ(ReadPreferences(store, p), PreferencesLoad::Missing);
    EXPECT_EQ(p.BackupLevels(), 5);
    EXPECT_EQ(p.AutoSaveInterval(), 10);
    EXPECT_FALSE(p.AutoSave());
    EXPECT_TRUE(p.MainWindowRect().IsEmpty());
}

TEST(Preferences, StoredRecordRoundTripsWithReservedBytesClearedOnLoad)
{
    MemorySettingsStore store;
    auto bytes = Pattern(324);
    bytes[100] = 30; // interval
    bytes[101] = 3;  // levels
    bytes[104] = 7;  // log age 7
    bytes[105] = bytes[106] = bytes[107] = 0;
    ASSERT_TRUE(store.writeBinary(DefinitionKey, "Preferences", bytes));
    TPreferences p = TPreferences::Defaults();
    EXPECT_EQ(ReadPreferences(store, p), PreferencesLoad::Loaded);
    for (std::size_t i = 0; i < 324; ++i) {
        if (i == 64 || i == 97 || i == 98 || i == 102)
            EXPECT_EQ(p.Bytes[i], 0) << i;
        else
            EXPECT_EQ(p.Bytes[i], bytes[i]) << i;
    }
    ASSERT_TRUE(WritePreferences(store, p));
    EXPECT_EQ(store.readBinary(DefinitionKey, "preferences")->size(), 324u);
}

TEST(Preferences, ShortValueFillsTheStartAndKeepsTheRest)
{
    MemorySettingsStore store;
    ASSERT_TRUE(store.writeBinary(DefinitionKey, "Preferences", std::vector<std::uint8_t>(16, 0x11)));
    TPreferences p = TPreferences::Defaults();
    EXPECT_EQ(ReadPreferences(store, p), PreferencesLoad::Loaded);
    EXPECT_EQ(p.MainWindowRect().Left, 0x11111111);
    EXPECT_EQ(p.Bytes[16], 0);
    EXPECT_EQ(p.AutoSaveInterval(), 10);
    EXPECT_EQ(p.BackupLevels(), 5);
}

TEST(Preferences, LongOrWrongTypedValuesAreUnusableAndLeaveTheRecord)
{
    struct Case {
        const char* what;
        std::function<void(MemorySettingsStore&)> store;
    };
    const Case cases[] = {
        {"longer", [](MemorySettingsStore& s) { s.writeBinary(DefinitionKey, "Preferences", Pattern(325)); }},
        {"string", [](MemorySettingsStore& s) { s.writeString(DefinitionKey, "Preferences", "abc"); }},
        {"integer", [](MemorySettingsStore& s) { s.writeInteger(DefinitionKey, "PREFERENCES", 4); }},
    };
    for (const auto& c : cases) {
        MemorySettingsStore store;
        c.store(store);
        TPreferences p = TPreferences::Defaults();
        EXPECT_EQ(ReadPreferences(store, p), PreferencesLoad::Unusable) << c.what;
        EXPECT_EQ(p, TPreferences::Defaults()) << c.what;
    }
}

TEST(Preferences, OutOfRangeOptionsFallBackToDefaults)
{
    MemorySettingsStore store;
    std::vector<std::uint8_t> bytes(324, 0); // what a first run used to save
    bytes[104] = 0x90;                        // log age 400 = 0x190
    bytes[105] = 0x01;
    bytes[101] = 12;
    store.writeBinary(DefinitionKey, "Preferences", bytes);
    TPreferences p;
    ASSERT_EQ(ReadPreferences(store, p), PreferencesLoad::Loaded);
    EXPECT_EQ(p.AutoSaveInterval(), 10);
    EXPECT_EQ(p.BackupLevels(), 5);
    EXPECT_EQ(p.LogAge(), 0);

    bytes[101] = 0; // no backups is a valid choice
    bytes[100] = 60;
    bytes[104] = bytes[105] = 0;
    store.writeBinary(DefinitionKey, "Preferences", bytes);
    ASSERT_EQ(ReadPreferences(store, p), PreferencesLoad::Loaded);
    EXPECT_EQ(p.BackupLevels(), 0);
    EXPECT_EQ(p.AutoSaveInterval(), 60);
}

TEST(Preferences, UnwritableStoreReportsFailure)
{
    MemorySettingsStore store;
    store.setReadOnly(true);
    EXPECT_FALSE(WritePreferences(store, TPreferences::Defaults()));
}

TEST(Preferences, ServiceLevelFromTheKolmValue)
{
    struct Case {
        std::optional<std::string> value;
        int level;
    } const cases[] = {{std::nullopt, 0}, {"KOLM", 1}, {"kolm", 0}, {"KOLM ", 0}, {"", 0}};
    for (const auto& c : cases) {
        MemorySettingsStore store;
        if (c.value)
            store.writeString(DefinitionKey, "Kolm", *c.value);
        EXPECT_EQ(ReadServiceLevel(store), c.level) << c.value.value_or("(none)");
    }
    MemorySettingsStore wrongType;
    wrongType.writeInteger(DefinitionKey, "KOLM", 1);
    EXPECT_EQ(ReadServiceLevel(wrongType), 0);
}

TEST(Preferences, MaximizedWindowKeepsItsLastNormalRectangle)
{
    TPreferences p;
    StoreMainWindow(p, wsNormal, {100, 50, 1052, 726});
    StoreMainWindow(p, wsMaximized, {0, 0, 1920, 1080});
    EXPECT_EQ(p.WindowState(), wsMaximized);
    EXPECT_EQ(p.MainWindowRect(), (TRect{100, 50, 1052, 726}));
}

TEST(Preferences, WindowsAreKeptOnTheScreen)
{
    EXPECT_EQ(KeepOnScreen({1915, 100, 2867, 776}, 1920, 1080), (TRect{968, 100, 1920, 776}));
    EXPECT_EQ(KeepOnScreen({100, 1075, 1052, 1751}, 1920, 1080), (TRect{100, 404, 1052, 1080}));
    EXPECT_EQ(KeepOnScreen({1910, 1070, 2862, 1746}, 1920, 1080), (TRect{1910, 1070, 2862, 1746}));
    EXPECT_EQ(KeepOnScreen({1911, 0, 2863, 676}, 1920, 1080).Left, 968);
    // A damaged settings file: extents that do not fit 32 bits are kept, not overflowed.
    EXPECT_EQ((TRect{-1086374081, 0, 1717924462, 10}).Width(), INT32_MAX);
    EXPECT_EQ(KeepOnScreen({INT32_MAX - 5, INT32_MIN, INT32_MIN, INT32_MAX}, 1920, 1080).Left, INT32_MAX);
}
