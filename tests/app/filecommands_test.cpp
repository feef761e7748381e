// The project file commands on the data model, with scripted answers in a temporary folder.
#include "commandfixture.h"

#include "app/projectfiles.h"

#include <csignal>
#include <random>
#include <set>
#include <sys/wait.h>

using namespace kvr::app;
using apptest::CommandFixture;
using kvr::platform::Answer;

namespace {
namespace fs = std::filesystem;
}

TEST_F(CommandFixture, NewAddSaveWritesTheFileAndASecondSaveRotatesTheBackups)
{
    ASSERT_TRUE(commands.NewProject());
    EXPECT_TRUE(fileName.empty());
    commands.AddDevice();
    ASSERT_EQ(project->DeviceCount(), 1);
    EXPECT_TRUE(project->IsChanged());

    prompts->file(QString::fromStdString(P("studio.kvp")));
    commands.Save1Click();
    EXPECT_EQ(fileName, P("studio.kvp"));
    EXPECT_TRUE(fs::exists(P("studio.kvp")));
    EXPECT_FALSE(project->IsChanged());
    EXPECT_EQ(autoSave, 0);
    EXPECT_EQ(Recent(), std::vector<std::string>{P("studio.kvp")});
    EXPECT_TRUE(window.log.empty()); // nothing to rotate yet
    EXPECT_TRUE(prompts->Texts().empty());

    const std::string first = Read(P("studio.kvp"));
    commands.AddDevice();
    commands.Save1Click();
    EXPECT_EQ(window.log, std::vector<std::string>{"Renaming:" + P("studio.kvp") + " to " + P("studio.kv1")});
    EXPECT_EQ(Read(P("studio.kv1")), first);
    EXPECT_NE(Read(P("studio.kvp")), first);
    commands.Save1Click();
    EXPECT_EQ(window.log, (std::vector<std::string>{"Renaming:" + P("studio.kvp") + " to " + P("studio.kv1"),
                                                    "Renaming:" + P("studio.kv1") + " to " + P("studio.kv2"),
                                                    "Renaming:" + P("studio.kvp") + " to " + P("studio.kv1")}));
    EXPECT_EQ(Read(P("studio.kv2")), first);
    EXPECT_EQ(Recent(), std::vector<std::string>{P("studio.kvp")});
    EXPECT_TRUE(prompts->scriptUsedUp());
}

TEST_F(CommandFixture, CancellingTheSaveDialogOfANewProjectSaysFileNotSaved)
{
    ASSERT_TRUE(commands.NewProject());
    prompts->file(std::nullopt);
    prompts->answer(Answer::Ok);
    commands.Save1Click();
    EXPECT_EQ(prompts->Texts(), std::vector<QString>{"File not saved!"});
    EXPECT_TRUE(fileName.empty());
    EXPECT_TRUE(Recent().empty());
}

TEST_F(CommandFixture, ANameTheFileSystemCannotTakeIsRefusedWithoutTakingIt)
{
    ASSERT_TRUE(commands.NewProject());
    const std::string tooLong = P(std::string(300, 'x') + ".kvp");
    prompts->file(QString::fromStdString(tooLong));
    prompts->answer(Answer::Ok); // the reason
    prompts->answer(Answer::Ok); // File not saved!
    commands.SaveAs1Click();
    EXPECT_TRUE(fileName.empty());
    ASSERT_EQ(prompts->Texts().size(), 1u);
    EXPECT_TRUE(prompts->Texts()[0].contains("too long"));
    EXPECT_TRUE(Recent().empty());

    // A long path whose parts all fit is handed over whole.
    std::string deep = dir.string();
    for (int i = 0; i < 14; ++i)
        deep += "/" + std::string(20, 'd');
    fs::create_directories(deep);
    prompts->file(QString::fromStdString(deep + "/studio.kvp"));
    commands.SaveAs1Click();
    EXPECT_EQ(fileName, deep + "/studio.kvp");
    EXPECT_GT(fileName.size(), 255u);
    EXPECT_TRUE(fs::exists(deep + "/studio.kvp"));
}

TEST_F(CommandFixture, SaveCopyAsProposesACopyNameAndKeepsTheChangedState)
{
    ASSERT_TRUE(commands.NewProject());
    commands.AddDevice();
    prompts->file(QString::fromStdString(P("studio_copy.kvp")));
    commands.Savecopyas1Click();
    EXPECT_EQ(prompts->proposals.back(), QString("_copy.kvp"));

    prompts->file(QString::fromStdString(P("studio.kvp")));
    commands.SaveAs1Click();
    ASSERT_FALSE(project->IsChanged());
    commands.AddDevice();
    Model().SetName("Edited");
    prompts->file(QString::fromStdString(P("other.kvp")));
    commands.Savecopyas1Click();
    EXPECT_EQ(prompts->proposals.back(), QString::fromStdString(P("studio_copy.kvp")));
    EXPECT_TRUE(fs::exists(P("other.kvp")));
    EXPECT_EQ(fileName, P("studio.kvp"));
    EXPECT_TRUE(project->IsChanged());
    EXPECT_TRUE(Model().IsModified());
    EXPECT_TRUE(Model().Device(1)->IsChanged());
    EXPECT_EQ(Recent(), std::vector<std::string>{P("studio.kvp")});

    // Closing asks, so the edits are not lost.
    prompts->answer(Answer::Cancel);
    EXPECT_FALSE(commands.CloseProject());
    EXPECT_EQ(prompts->Texts().back(), QString("Save changes to disk?"));
}

TEST_F(CommandFixture, CloseOfAChangedProject)
{
    ASSERT_TRUE(commands.NewProject());
    commands.AddDevice();
    ProjectAccess* open = project.get();
    window.calls.clear();

    prompts->answer(Answer::Cancel);
    EXPECT_FALSE(commands.CloseProject());
    EXPECT_EQ(project.get(), open);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"StopTimers", "StartTimers"}));
    EXPECT_EQ(prompts->records().back().caption, QString("Close file"));

    // Yes with a cancelled save dialog: the save failed, the project stays.
    prompts->answer(Answer::Yes);
    prompts->file(std::nullopt);
    EXPECT_FALSE(commands.CloseProject());
    EXPECT_EQ(project.get(), open);

    window.calls.clear();
    prompts->answer(Answer::No);
    EXPECT_TRUE(commands.CloseProject());
    EXPECT_EQ(project, nullptr);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"StopTimers", "ProjectClosed"}));
    EXPECT_TRUE(prompts->scriptUsedUp());
}

TEST_F(CommandFixture, OpenTakesTheFileAndRecordsIt)
{
    const std::string file = SavedProject("fixture%1.kvp", {"One", "Two"});
    ASSERT_TRUE(commands.NewProject());
    window.calls.clear();
    prompts->file(QString::fromStdString(file));
    commands.New1Click();
    EXPECT_EQ(fileName, file); // a name with "%" exactly as chosen
    EXPECT_EQ(project->DeviceCount(), 2);
    EXPECT_EQ(project->DeviceName(1), "Two");
    EXPECT_FALSE(project->IsChanged());
    EXPECT_EQ(curDevice, -1);
    EXPECT_EQ(Recent(), std::vector<std::string>{file});
    EXPECT_TRUE(window.Called("BuildProjectTree"));
    EXPECT_TRUE(window.Called("SelectRoot"));
    EXPECT_TRUE(prompts->Texts().empty());
}

TEST_F(CommandFixture, ARelativeNameIsRecordedAbsolute)
{
    SavedProject("relative.kvp", {"One"});
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    const bool opened = commands.OpenRecent("relative.kvp"); // as the command line names it
    fs::current_path(before);
    ASSERT_TRUE(opened);
    EXPECT_EQ(fileName, P("relative.kvp"));
    EXPECT_EQ(Recent(), std::vector<std::string>{P("relative.kvp")});
}

TEST_F(CommandFixture, ADamagedProjectFileLeavesTheOpenProjectUntouched)
{
    const std::string good = SavedProject("good.kvp", {"One", "Two", "Three"});
    std::string bytes = Read(good);
    bytes.resize(bytes.size() - 40); // the last device is cut short
    std::ofstream(P("damaged.kvp"), std::ios::binary) << bytes;

    prompts->file(QString::fromStdString(good));
    commands.New1Click();
    commands.AddDevice(); // an unsaved edit
    ProjectAccess* open = project.get();
    const std::vector<std::string> recent = Recent();
    window.calls.clear();

    prompts->file(QString::fromStdString(P("damaged.kvp")));
    prompts->answer(Answer::Ok); // the data model's error
    EXPECT_FALSE(commands.OpenProject());
    EXPECT_EQ(project.get(), open);
    EXPECT_EQ(project->DeviceCount(), 4);
    EXPECT_TRUE(project->IsChanged());
    EXPECT_EQ(fileName, good);
    EXPECT_EQ(Recent(), recent);
    EXPECT_FALSE(window.Called("BuildProjectTree"));
    ASSERT_EQ(prompts->records().back().caption, QString("Error"));

    // The same from the recent list, and for a file that is gone.
    prompts->answer(Answer::Ok);
    EXPECT_FALSE(commands.OpenRecent(P("damaged.kvp")));
    prompts->answer(Answer::Ok);
    EXPECT_FALSE(commands.OpenRecent(P("missing.kvp")));
    EXPECT_EQ(project.get(), open);
    EXPECT_EQ(fileName, good);
    EXPECT_EQ(Recent(), recent);
}

TEST_F(CommandFixture, OpenRefusesWhileProcessingAfterTheFileWasChosen)
{
    const std::string file = SavedProject("p.kvp", {"One"});
    ASSERT_TRUE(commands.NewProject());
    window.processing = true;
    prompts->file(QString::fromStdString(file));
    EXPECT_FALSE(commands.OpenProject());
    EXPECT_EQ(prompts->Texts(), std::vector<QString>{"Unable to create, open or close a project while processing!"});
    EXPECT_EQ(project->DeviceCount(), 0);
    EXPECT_FALSE(commands.NewProject());
}

TEST_F(CommandFixture, RemoveDeviceAsksAndNeedsADevice)
{
    ASSERT_TRUE(commands.NewProject());
    commands.AddDevice();
    commands.AddDevice();
    commands.RemoveDevice1Click();
    EXPECT_EQ(prompts->Texts(), std::vector<QString>{"Please select a device first!"});

    curDevice = 1;
    prompts->answer(Answer::Cancel);
    commands.RemoveDevice1Click();
    EXPECT_EQ(project->DeviceCount(), 2);
    EXPECT_EQ(curDevice, 1);

    prompts->answer(Answer::Ok);
    window.calls.clear();
    commands.RemoveDevice1Click();
    EXPECT_EQ(project->DeviceCount(), 1);
    EXPECT_EQ(curDevice, -1);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"DeviceRemoved", "BuildProjectTree"}));
    EXPECT_EQ(prompts->records().back().caption, QString("Confirm"));
}

TEST_F(CommandFixture, CopyDeviceCopiesTheSelectedOne)
{
    ASSERT_TRUE(commands.NewProject());
    commands.AddDevice();
    Model().Device(0)->SetName("Main");
    commands.CopyDevice2Click(); // nothing selected
    EXPECT_EQ(project->DeviceCount(), 1);
    curDevice = 0;
    commands.CopyDevice2Click();
    ASSERT_EQ(project->DeviceCount(), 2);
    EXPECT_EQ(project->DeviceName(1), "copy from \"Main\"");

    auto header = Model().Device(1)->GetHeader();
    header[kvr::model::dh::DummyDevModel] = 1;
    Model().Device(1)->SetHeader(header, false);
    curDevice = 1;
    commands.CopyDevice2Click();
    EXPECT_EQ(project->DeviceCount(), 2);
    EXPECT_EQ(prompts->Texts(), std::vector<QString>{"Cannot copy a device of a type which is not KX7300!"});
}

TEST_F(CommandFixture, ExtractAndReplaceRoundTripADevice)
{
    ASSERT_TRUE(commands.NewProject());
    commands.AddDevice();
    commands.AddDevice();
    Model().Device(0)->SetName("Source");
    const std::uint8_t card[] = {0x03, 0x50, 0, 0, 2, 2, 0, 0};
    ASSERT_GE(Model().Device(0)->SetSetupData(9, card), 0);
    const std::uint32_t targetId = Model().Device(1)->GetDeviceID();

    curDevice = 0;
    prompts->file(QString::fromStdString(P("device.kvf")));
    commands.ExtractMPJ1Click();
    ASSERT_TRUE(fs::exists(P("device.kvf")));

    curDevice = 1;
    prompts->answer(Answer::No);
    commands.LoadexistingDevice1Click();
    EXPECT_EQ(project->DeviceName(1), "Device 2");

    prompts->answer(Answer::Yes);
    prompts->file(QString::fromStdString(P("device.kvf")));
    window.calls.clear();
    commands.LoadexistingDevice1Click();
    EXPECT_EQ(project->DeviceName(1), "Source");
    EXPECT_EQ(Model().Device(1)->GetSetupData(9), std::vector<std::uint8_t>(std::begin(card), std::end(card)));
    EXPECT_EQ(Model().Device(1)->GetDeviceID(), targetId);
    EXPECT_EQ(window.calls, std::vector<std::string>{"BuildProjectTree"});

    // A file the data model refuses: its own error, then the command's, and the tree all the same.
    std::ofstream(P("broken.kvf"), std::ios::binary) << "MPJ2 is not enough";
    prompts->answer(Answer::Yes);
    prompts->file(QString::fromStdString(P("broken.kvf")));
    window.calls.clear();
    commands.LoadexistingDevice1Click();
    EXPECT_TRUE(prompts->Texts().back().contains("CX4AppForm->Import Device: An error occured. Unable to import data!"));
    EXPECT_EQ(window.calls, std::vector<std::string>{"BuildProjectTree"});
    EXPECT_EQ(project->DeviceName(1), "Source");
}

namespace {
std::size_t TemporaryFiles(const fs::path& Dir)
{
    std::size_t n = 0;
    for (const auto& entry : fs::directory_iterator(Dir))
        n += entry.path().filename().string().find(".kvp.tmp") != std::string::npos ? 1 : 0;
    return n;
}
} // namespace

// The save killed at random moments, 200 times: the project's path always holds the old or the
// new project, and the temporary files the killed saves left are gone after the next save.
TEST_F(CommandFixture, KilledSavesLeaveTheOldOrTheNewProject)
{
    ASSERT_TRUE(commands.NewProject());
    commands.AddDevice();
    fileName = P("kill.kvp");
    Model().SetName("Alpha");
    ASSERT_EQ(commands.SaveProject(), 1);
    std::mt19937 random(4711);
    const std::set<std::string> names = {"Alpha", "Beta"};
    int holdingTheFile = 0;
    for (int kill = 0; kill < 200; ++kill) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (bool beta = true;; beta = !beta) {
                Model().SetName(beta ? "Beta" : "Alpha");
                commands.SaveProject();
            }
        }
        ::usleep(std::uniform_int_distribution<int>(0, 15000)(random));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        kvr::model::TProject reread;
        if (fs::exists(fileName) && reread.LoadFromDisk(fileName, true) == 1 && names.count(reread.GetName()) == 1)
            ++holdingTheFile;
    }
    EXPECT_EQ(holdingTheFile, 200);
    ASSERT_EQ(commands.SaveProject(), 1);
    EXPECT_EQ(TemporaryFiles(dir), 0u);
}

namespace {
// The number in the name "Save N" that a saved project's header holds (bytes 12-47); -1 for a
// missing file or another name. Whole files are the other kill test's concern.
long SaveNumber(const std::string& File)
{
    std::ifstream in(File, std::ios::binary);
    std::string header(100, '\0');
    if (!in.read(header.data(), 100))
        return -1;
    const std::string name = header.substr(12, 36).c_str();
    return name.rfind("Save ", 0) == 0 ? std::stol(name.substr(5)) : -1;
}
} // namespace

// Saves with five backup levels killed at random moments, 120 times: each time the project file
// and all five levels are there, each holding another save; after the next open has finished
// an interrupted save, they hold six saves from newest to oldest, none twice and none missing.
TEST_F(CommandFixture, KilledSavesKeepEveryBackupLevel)
{
    ASSERT_TRUE(commands.NewProject());
    commands.AddDevice();
    fileName = P("history.kvp");
    ASSERT_EQ(prefs.BackupLevels(), 5);
    for (int n = 1; n <= 6; ++n) {
        Model().SetName("Save " + std::to_string(n));
        ASSERT_EQ(commands.SaveProject(), 1);
    }
    std::vector<std::string> files = {fileName};
    for (int level = 1; level <= 5; ++level)
        files.push_back(BackupName(fileName, level));
    const auto numbers = [&] {
        std::vector<long> held;
        for (const std::string& file : files)
            held.push_back(SaveNumber(file));
        return held;
    };
    std::mt19937 random(4712);
    int wholeAtKill = 0;
    int inOrderAfterOpen = 0;
    for (int kill = 0; kill < 120; ++kill) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (long n = (kill + 1) * 1000000L;; ++n) {
                Model().SetName("Save " + std::to_string(n));
                commands.SaveProject();
            }
        }
        // Long enough for several saves of a child, each of which may be cut anywhere.
        ::usleep(std::uniform_int_distribution<int>(0, 60000)(random));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::vector<long> atKill = numbers();
        if (std::find(atKill.begin(), atKill.end(), -1) == atKill.end() &&
            std::set<long>(atKill.begin(), atKill.end()).size() == atKill.size())
            ++wholeAtKill;
        FinishInterruptedSave(fileName, [](const std::string&) {});
        // Newest first; within one run of saves (numbers of one million) without a gap.
        const std::vector<long> opened = numbers();
        bool inOrder = opened.back() > 0;
        for (std::size_t i = 1; i < opened.size(); ++i)
            inOrder = inOrder && opened[i] < opened[i - 1] &&
                      (opened[i] / 1000000 != opened[i - 1] / 1000000 || opened[i] == opened[i - 1] - 1);
        inOrderAfterOpen += inOrder ? 1 : 0;
    }
    EXPECT_EQ(wholeAtKill, 120);
    EXPECT_EQ(inOrderAfterOpen, 120);
}
