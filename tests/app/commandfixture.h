#pragma once
// The file commands on the data model in a temporary folder: scripted answers, settings in
// memory, and a main window that records what it is asked to do.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/filecommands.h"
#include "app/qtmodelhost.h"
#include "app/recent.h"
#include "model/device.h"
#include "model/modelhost.h"
#include "model/project.h"
#include "platform/currentprompter.h"
#include "platform/settingsstore.h"

namespace apptest {

// Keeps the names proposed by the save dialogs.
class Prompts : public kvr::platform::ScriptedPrompter {
public:
    std::vector<QString> proposals;
    std::optional<QString> saveFileName(const kvr::platform::FileChoice& choice) override
    {
        proposals.push_back(choice.fileName);
        return ScriptedPrompter::saveFileName(choice);
    }
    std::vector<QString> Texts() const
    {
        std::vector<QString> texts;
        for (const auto& r : records())
            if (r.kind == Record::MessageBox || r.kind == Record::Message)
                texts.push_back(r.text);
        return texts;
    }
};

class RecordingWindow : public kvr::app::FileCommandHost {
public:
    std::vector<std::string> calls;
    std::vector<std::string> log;
    bool processing = false;

    bool IsProcessing() override { return processing; }
    void StopTimers() override { calls.push_back("StopTimers"); }
    void StartTimers() override { calls.push_back("StartTimers"); }
    void ProjectClosed() override { calls.push_back("ProjectClosed"); }
    void BuildProjectTree() override { calls.push_back("BuildProjectTree"); }
    void SelectRoot() override { calls.push_back("SelectRoot"); }
    void UpdateCaption() override { calls.push_back("UpdateCaption"); }
    void RecentListChanged() override { calls.push_back("RecentListChanged"); }
    void ShowCheckList() override { calls.push_back("ShowCheckList"); }
    void DeviceRemoved() override { calls.push_back("DeviceRemoved"); }
    void Log(const std::string& line) override { log.push_back(line); }
    bool Called(const std::string& name) const { return std::find(calls.begin(), calls.end(), name) != calls.end(); }
};

class CommandFixture : public ::testing::Test {
protected:
    std::filesystem::path dir;
    Prompts* prompts = nullptr;
    kvr::platform::MemorySettingsStore* store = nullptr;
    kvr::app::QtModelHost modelHost;
    RecordingWindow window;

    std::unique_ptr<kvr::app::ProjectAccess> project;
    std::string fileName;
    int curDevice = -1;
    kvr::app::TPreferences prefs = kvr::app::TPreferences::Defaults();
    int autoSave = 7;
    kvr::app::ProjectFileCommands commands{kvr::app::ProjectFields{project, fileName, curDevice, prefs, autoSave}, window,
                                           [] { return kvr::app::NewProject(); }};

    void SetUp() override
    {
        static int serial = 0;
        dir = std::filesystem::temp_directory_path() /
              ("kvr_app_" + std::to_string(::getpid()) + "_" + std::to_string(++serial));
        std::filesystem::create_directories(dir);
        auto script = std::make_unique<Prompts>();
        prompts = script.get();
        kvr::platform::setPrompter(std::move(script));
        auto settings = std::make_unique<kvr::platform::MemorySettingsStore>();
        store = settings.get();
        kvr::platform::setSettingsStore(std::move(settings));
        kvr::model::SetModelHost(&modelHost);
    }
    void TearDown() override
    {
        kvr::model::SetModelHost(nullptr);
        kvr::platform::setPrompter(nullptr);
        std::filesystem::remove_all(dir);
    }

    std::string P(const std::string& name) const { return (dir / name).string(); }
    kvr::model::TProject& Model() { return *project->Model(); }
    std::vector<std::string> Recent() const
    {
        std::vector<std::string> names;
        for (const auto& e : kvr::app::TRecent(*store, kvr::app::RecentKey).MenuEntries())
            names.push_back(e.Name);
        return names;
    }
    // A saved project of the given devices, written by the data model itself.
    std::string SavedProject(const std::string& name, const std::vector<std::string>& devices)
    {
        kvr::model::TProject saved;
        saved.SetName("Fixture");
        for (const std::string& device : devices)
            saved.Device(saved.AddDevice())->SetName(device);
        EXPECT_EQ(saved.SaveToDisk(P(name), true), 1);
        return P(name);
    }
    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

} // namespace apptest
