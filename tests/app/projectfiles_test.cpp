#include "app/projectfiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
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
    // A save of the content "new" over name, with its backups.
    bool Rotate(const std::string& name, int levels, const std::function<bool()>& proceed = {})
    {
        Write("complete.tmp", "new");
        return ReplaceWithBackups(P("complete.tmp"), P(name), levels, [this](const std::string& line) { log.push_back(line); },
                                  proceed);
    }
    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.insert(entry.path().filename().string());
        return names;
    }
};

TEST_F(BackupRotation, ThreeLevelsShiftEveryFileDownAndLogInOrder)
{
    Write("studio.kvp", "now");
    Write("studio.kv1", "one");
    Write("studio.kv2", "two");
    Write("studio.kv3", "three");
    EXPECT_TRUE(Rotate("studio.kvp", 3));
    EXPECT_EQ(Read("studio.kvp"), "new");
    EXPECT_EQ(Read("studio.kv1"), "now");
    EXPECT_EQ(Read("studio.kv2"), "one");
    EXPECT_EQ(Read("studio.kv3"), "two");
    EXPECT_EQ(Names(), (std::set<std::string>{"studio.kvp", "studio.kv1", "studio.kv2", "studio.kv3"}));
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
    EXPECT_TRUE(Rotate("studio.kvp", 0));
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(Read("studio.kvp"), "new");

    Write("noext", "x");
    EXPECT_TRUE(Rotate("noext", 5));
    EXPECT_EQ(Read("noextkv1"), "x");
    EXPECT_EQ(log, (std::vector<std::string>{"Renaming:" + P("noext") + " to " + P("noextkv1")}));
}

TEST_F(BackupRotation, AFailedRenameIsLoggedAndTheRotationGoesOn)
{
    Write("studio.kvp", "now");
    fs::create_directories(P("studio.kv2/inside")); // a full folder cannot be removed
    Write("studio.kv1", "one");
    EXPECT_TRUE(Rotate("studio.kvp", 2));
    EXPECT_EQ(log.back(), "Renaming:" + P("studio.kvp") + " to " + P("studio.kv1"));
    EXPECT_NE(std::find(log.begin(), log.end(), "Renaming failed!"), log.end());
    EXPECT_EQ(Read("studio.kv1"), "now");
    EXPECT_EQ(Read("studio.kvp"), "new");
}

// A level whose source is missing is vacated as a plain rotation vacates it; the last level
// without a source stays.
TEST_F(BackupRotation, ALevelWithoutSourceIsVacatedAndNothingElseIsLeft)
{
    Write("studio.kvp", "now");
    Write("studio.kv2", "two");
    Write("studio.kv3", "three");
    EXPECT_TRUE(Rotate("studio.kvp", 3));
    EXPECT_EQ(Names(), (std::set<std::string>{"studio.kvp", "studio.kv1", "studio.kv3"}));
    EXPECT_EQ(Read("studio.kv1"), "now");
    EXPECT_EQ(Read("studio.kv3"), "two");
}

// The save stopped before each of its steps in turn, as a kill would stop it: at every stop the
// project file holds the old or the new project and every level is there, each with a
// different project; the next open (FinishInterruptedSave) then leaves exactly the history
// before the save or exactly the one after it, and nothing of its own.
TEST_F(BackupRotation, ASaveStoppedAtAnyStepLeavesTheProjectAndTheWholeHistory)
{
    const std::vector<std::string> before = {"p0", "p1", "p2", "p3", "p4", "p5"};
    const std::vector<std::string> after = {"new", "p0", "p1", "p2", "p3", "p4"};
    const auto names = [](const std::string& base) {
        std::vector<std::string> list = {base + ".kvp"};
        for (int level = 1; level <= 5; ++level)
            list.push_back(base + ".kv" + std::to_string(level));
        return list;
    };
    const std::vector<std::string> files = names("studio");
    const auto contents = [&] {
        std::vector<std::string> held;
        for (const std::string& file : files)
            held.push_back(fs::exists(P(file)) ? Read(file) : "(missing)");
        return held;
    };
    int stop = 0;
    bool committed = false;
    for (bool completed = false; !completed; ++stop) {
        SCOPED_TRACE("stopped before step " + std::to_string(stop));
        fs::remove_all(dir);
        fs::create_directories(dir);
        for (std::size_t i = 0; i < files.size(); ++i)
            Write(files[i], before[i]);
        int steps = 0;
        completed = Rotate("studio.kvp", 5, [&] { return steps++ < stop; });

        const std::vector<std::string> held = contents();
        EXPECT_TRUE(held[0] == "p0" || held[0] == "new") << held[0];
        EXPECT_EQ(std::set<std::string>(held.begin(), held.end()).size(), held.size()) << "a level missing or twice";

        FinishInterruptedSave(P("studio.kvp"), [](const std::string&) {});
        const std::vector<std::string> finished = contents();
        EXPECT_TRUE(finished == before || finished == after) << finished[0] << " " << finished[1] << " " << finished[5];
        // Stops before the commit leave the old history, later ones the new.
        EXPECT_TRUE(finished == after || !committed);
        committed = committed || finished == after;
        std::set<std::string> expected(files.begin(), files.end());
        expected.insert("complete.tmp"); // the caller's temporary, removed by the caller when the save stopped early
        std::set<std::string> left = Names();
        left.insert("complete.tmp");
        EXPECT_EQ(left, expected);
    }
    EXPECT_TRUE(committed);
    EXPECT_GT(stop, 10);
}
