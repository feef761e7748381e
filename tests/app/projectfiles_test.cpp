#include "app/projectfiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace kvr::app;
namespace fs = std::filesystem;

TEST(ProjectFileNames, BackupNamesAndCopyProposals)
{
    struct Case {
        std::string name, level1, level9, copy;
    } const cases[] = {
        {"/p/studio.kvp", "/p/studio.kv1", "/p/studio.kv9", "/p/studio_copy.kvp"},
        {"/p/studio", "/p/studiokv1", "/p/studiokv9", "_copy.kvp"},
        {"/p.d/studio", "/p.d/studiokv1", "/p.d/studiokv9", "_copy.kvp"}, // a folder's dot is no extension
        {"/p/a.b.kvp", "/p/a.b.kv1", "/p/a.b.kv9", "/p/a.b_copy.kvp"},
        {"/p/old.kv3", "/p/old.kv1", "/p/old.kv9", "/p/old_copy.kvp"},
        {"/p/x.KVP", "/p/x.kv1", "/p/x.kv9", "_copy.kvp"}, // ".kv" is looked for with its case
        {"", "kv1", "kv9", "_copy.kvp"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BackupName(c.name, 1), c.level1) << c.name;
        EXPECT_EQ(BackupName(c.name, 9), c.level9) << c.name;
        EXPECT_EQ(CopyProposal(c.name), c.copy) << c.name;
    }
}

TEST(ProjectFileNames, SaveDialogsStartEmptyWhereTheProposalIsAFilter)
{
    const std::pair<std::string, std::string> cases[] = {
        {"*.kvf", ""}, {"/p/*.kvf", ""}, {"dev?.kvf", ""}, {"/p/studio_copy.kvp", "/p/studio_copy.kvp"}, {"", ""}};
    for (const auto& [proposal, field] : cases)
        EXPECT_EQ(SaveDialogProposal(proposal), field) << proposal;
}

TEST(ProjectFileNames, NamesTheFileSystemCannotTake)
{
    EXPECT_EQ(UnusableFileNameReason("/tmp/studio.kvp"), "");
    // Without a dot the backups append "kv1".."kv9", which must fit as well.
    EXPECT_EQ(UnusableFileNameReason("/tmp/" + std::string(252, 'a')), "");
    EXPECT_NE(UnusableFileNameReason("/tmp/" + std::string(253, 'a')), "");
    EXPECT_EQ(UnusableFileNameReason("/tmp/" + std::string(251, 'a') + ".kvp"), "");
    EXPECT_NE(UnusableFileNameReason("/tmp/" + std::string(252, 'a') + ".kvp"), "");
    // A path far beyond 255 characters is fine as long as each part fits.
    std::string deep = "/tmp";
    for (int i = 0; i < 30; ++i)
        deep += "/" + std::string(20, 'd');
    EXPECT_EQ(UnusableFileNameReason(deep + "/studio.kvp"), "");
    EXPECT_NE(UnusableFileNameReason(std::string(5000, 'a')), "");
    EXPECT_NE(UnusableFileNameReason(""), "");
    EXPECT_NE(UnusableFileNameReason(std::string("a\0b.kvp", 7)), "");
}

class BackupRotation : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() / ("kvr_backups_" + std::to_string(::getpid()));
    std::vector<std::string> log;

    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    std::string P(const std::string& name) const { return (dir / name).string(); }
    void Write(const std::string& name, const std::string& content) { std::ofstream(P(name)) << content; }
    std::string Read(const std::string& name) const
    {
        std::ifstream in(P(name));
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void Rotate(const std::string& name, int levels)
    {
        RotateBackups(P(name), levels, [this](const std::string& line) { log.push_back(line); });
    }
};

TEST_F(BackupRotation, ThreeLevelsShiftEveryFileDownAndLogInOrder)
{
    Write("studio.kvp", "now");
    Write("studio.kv1", "one");
    Write("studio.kv2", "two");
    Write("studio.kv3", "three");
    Rotate("studio.kvp", 3);
    EXPECT_EQ(Read("studio.kvp"), "now") << "the project file stays until the save replaces it";
    EXPECT_EQ(Read("studio.kv1"), "now");
    EXPECT_EQ(Read("studio.kv2"), "one");
    EXPECT_EQ(Read("studio.kv3"), "two");
    EXPECT_FALSE(fs::exists(P("studio.kv4")));
    EXPECT_EQ(log, (std::vector<std::string>{
                       "Removing " + P("studio.kv3"),
                       "Renaming:" + P("studio.kv2") + " to " + P("studio.kv3"),
                       "Renaming:" + P("studio.kv1") + " to " + P("studio.kv2"),
                       "Renaming:" + P("studio.kvp") + " to " + P("studio.kv1"),
                   }));
}

TEST_F(BackupRotation, ZeroLevelsKeepNothingAndMissingLevelsAreSkipped)
{
    Write("studio.kvp", "now");
    Rotate("studio.kvp", 0);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(Read("studio.kvp"), "now");

    Write("noext", "x");
    Rotate("noext", 5);
    EXPECT_EQ(Read("noextkv1"), "x");
    EXPECT_EQ(log, (std::vector<std::string>{"Renaming:" + P("noext") + " to " + P("noextkv1")}));
}

TEST_F(BackupRotation, AFailedRenameIsLoggedAndTheRotationGoesOn)
{
    Write("studio.kvp", "now");
    fs::create_directories(P("studio.kv2/inside")); // a full folder cannot be removed
    Write("studio.kv1", "one");
    Rotate("studio.kvp", 2);
    EXPECT_EQ(log.back(), "Renaming:" + P("studio.kvp") + " to " + P("studio.kv1"));
    EXPECT_NE(std::find(log.begin(), log.end(), "Renaming failed!"), log.end());
    EXPECT_EQ(Read("studio.kv1"), "now");
}
