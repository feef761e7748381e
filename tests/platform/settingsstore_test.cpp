#include "platform/settingsstore.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kvr::platform;

namespace {

// Every store must behave alike; each case runs on the memory store and on an INI file.
class SettingsStoreTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (GetParam())
            store_ = std::make_unique<IniSettingsStore>(dir_.filePath("sub/settings.ini").toStdString());
        else
            store_ = std::make_unique<MemorySettingsStore>();
    }
    QTemporaryDir dir_;
    std::unique_ptr<SettingsStore> store_;
};

} // namespace

TEST_P(SettingsStoreTest, ValuesRoundTripAndKeysIgnoreCase)
{
    std::vector<std::uint8_t> prefs(324);
    for (std::size_t i = 0; i < prefs.size(); ++i)
        prefs[i] = static_cast<std::uint8_t>(i * 7);
    ASSERT_TRUE(store_->writeBinary(DefinitionKey, "Preferences", prefs));
    ASSERT_TRUE(store_->writeString(DefinitionKey, "Recent0", "C:\\Projekte\\Studio \xE4" "1.kvp"));
    ASSERT_TRUE(store_->writeInteger(DefinitionKey, "Service", -2));

    EXPECT_EQ(store_->readBinary("Software\\KVR\\Kx7300\\Definition", "preferences"), prefs);
    EXPECT_EQ(store_->readString(DefinitionKey, "RECENT0"), "C:\\Projekte\\Studio \xE4" "1.kvp");
    EXPECT_EQ(store_->readInteger(DefinitionKey, "Service"), -2);
    EXPECT_TRUE(store_->valueExists(DefinitionKey, "recent0"));
    EXPECT_FALSE(store_->valueExists(DefinitionKey, "Recent1"));
    EXPECT_FALSE(store_->readBinary(DefinitionKey, "Recent0").has_value()) << "a string is not binary";
    EXPECT_FALSE(store_->readString("Software\\Other", "Recent0").has_value());

    EXPECT_TRUE(store_->deleteValue(DefinitionKey, "Recent0"));
    EXPECT_FALSE(store_->deleteValue(DefinitionKey, "Recent0"));
    EXPECT_FALSE(store_->readString(DefinitionKey, "Recent0").has_value());
}

INSTANTIATE_TEST_SUITE_P(Stores, SettingsStoreTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? std::string("Ini") : std::string("Memory"); });

TEST(IniSettingsStore, SurvivesANewStoreOnTheSameFile)
{
    QTemporaryDir dir;
    const auto file = dir.filePath("settings.ini").toStdString();
    IniSettingsStore(file).writeInteger(DefinitionKey, "Level", 7);
    EXPECT_EQ(IniSettingsStore(file).readInteger(DefinitionKey, "level"), 7);
}

TEST(IniSettingsStore, UnwritableFileReportsFailure)
{
    QTemporaryDir dir;
    const auto folder = dir.filePath("locked").toStdString();
    std::filesystem::create_directories(folder);
    IniSettingsStore store(folder + "/settings.ini");
    std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const bool rootCanWriteAnyway = ::geteuid() == 0;
    if (!rootCanWriteAnyway) {
        EXPECT_FALSE(store.writeInteger(DefinitionKey, "Level", 1));
    }
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
}

TEST(MemorySettingsStore, ReadOnlyRefusesWrites)
{
    MemorySettingsStore store;
    store.setReadOnly(true);
    EXPECT_FALSE(store.writeString(DefinitionKey, "Recent0", "x"));
    EXPECT_FALSE(store.valueExists(DefinitionKey, "Recent0"));
}

// Only a regular file (or none yet) is read and written. A pipe there would block the first
// read until someone writes into it: the store reads nothing, refuses writes, says why, and
// leaves the pipe alone. Each read runs against a deadline; a blocked one is released by
// opening the pipe's other end.
TEST(IniSettingsStore, ReadsAndWritesOnlyARegularFile)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    const std::string regular = folder + "/regular.ini";
    IniSettingsStore(regular).writeInteger(DefinitionKey, "Level", 7);
    const std::string pipe = folder + "/pipe.ini";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::filesystem::create_directories(folder + "/folder.ini");
    std::filesystem::create_symlink(pipe, folder + "/linktopipe.ini");
    std::filesystem::create_symlink(regular, folder + "/linktoregular.ini");

    struct Case {
        const char* name;
        bool usable;
    } const cases[] = {
        {"regular.ini", true}, {"linktoregular.ini", true}, {"missing.ini", true},
        {"pipe.ini", false},   {"linktopipe.ini", false},   {"folder.ini", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = folder + "/" + c.name;
        IniSettingsStore store(file);
        auto read = std::async(std::launch::async, [&] { return store.readInteger(DefinitionKey, "Level"); });
        if (read.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << "the read blocked";
            const int writer = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0)
                ::close(writer);
        }
        const std::optional<std::int32_t> level = read.get();
        EXPECT_EQ(store.unusableReason().empty(), c.usable);
        if (c.usable) {
            EXPECT_EQ(level, c.name == std::string("missing.ini") ? std::nullopt : std::optional<std::int32_t>(7));
            continue;
        }
        EXPECT_EQ(level, std::nullopt);
        EXPECT_FALSE(store.writeInteger(DefinitionKey, "Level", 8));
        EXPECT_FALSE(store.valueExists(DefinitionKey, "Level"));
        EXPECT_EQ(store.unusableReason(), "The settings file \"" + file +
                                              "\" is not a regular file. The program starts with its default settings and "
                                              "keeps no changes to them.");
    }
    struct stat info {};
    ASSERT_EQ(::stat(pipe.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the pipe was left as it is";
}
