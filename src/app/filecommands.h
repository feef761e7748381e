#pragma once
// The project file commands: New, Close, Open, open a recent file, Save, Save As, Save copy as,
// and the device commands Add, Copy, Remove, Extract and Replace. They choose files and ask
// through the prompter, call the project in a fixed order and tell the main window what to
// bring up to date. The window's fields are held by reference, so the commands run the same on
// the window and in a test.

#include <functional>
#include <memory>
#include <string>

#include "app/preferences.h"
#include "app/projectaccess.h"

namespace kvr::app {

// The recent-file key as the main window writes it; keys compare without case.
inline constexpr const char* RecentKey = "Software\\KVR\\Kx7300\\Definition";
inline constexpr const char* ProjectFilter = "KVR KX7300 Project|*.kvp";
inline constexpr const char* DeviceFilter = "Device Data|*.kvf";

// What the commands need of the main window.
class FileCommandHost {
public:
    virtual ~FileCommandHost() = default;
    // The progress window is shown: a long operation runs.
    virtual bool IsProcessing() = 0;
    // Commits or hides the in-place editors of the pages before a project goes.
    virtual void CommitPageEditors() {}
    virtual void StopTimers() = 0;
    virtual void StartTimers() = 0;
    virtual void CloseTransferConnection() {}
    // The project is gone: hide its pages, forget page selections.
    virtual void ProjectClosed() = 0;
    virtual void BuildProjectTree() = 0;
    virtual void SelectRoot() = 0;
    virtual void UpdateCaption() = 0;
    virtual void ShowFileDate(const std::string& /*Date*/) {}
    virtual void RecentListChanged() = 0;
    // A device exceeds a limit: show the configuration check list instead.
    virtual void ShowCheckList() = 0;
    // The selected device was removed: clear the tree's selection and hide the device page.
    virtual void DeviceRemoved() = 0;
    // The protocol, level 2.
    virtual void Log(const std::string& Line) = 0;
};

// The main window's fields the commands work on.
struct ProjectFields {
    std::unique_ptr<ProjectAccess>& Project;
    std::string& ProjectFileName;
    int& CurDevice;
    const TPreferences& Prefs;
    int& AutoSaveSeconds;
};

class ProjectFileCommands {
public:
    using Factory = std::function<std::unique_ptr<ProjectAccess>()>;

    ProjectFileCommands(ProjectFields Fields, FileCommandHost& Host, Factory CreateProject);

    bool NewProject();
    bool CloseProject();
    // 1 saved, 0 not saved.
    int SaveProject();
    // Loads into a new project first: a file that cannot be read leaves the open project, the
    // file name and the recent list as they were.
    bool OpenProject();
    bool OpenRecent(const std::string& FileName);

    // The menu commands.
    void New2Click();
    void New1Click();
    void Save1Click();
    void SaveAs1Click();
    void Savecopyas1Click();
    void AddDevice();
    void CopyDevice2Click();
    void RemoveDevice1Click();
    void ExtractMPJ1Click();
    void LoadexistingDevice1Click();

private:
    // Loads the file into a new project and, once the open one is closed, puts it in its place.
    bool OpenFile(const std::string& FileName, bool StopTimersWhileLoading);
    // Puts a project in place of none (NewProject's steps after the close).
    void TakeProject(std::unique_ptr<ProjectAccess> Project, const std::string& FileName);
    bool OverLimit();
    // Shows why the file system cannot take the name; true when it can.
    bool UsableName(const std::string& FileName);
    void RecordRecent(const std::string& FileName);
    void FileNotSaved();

    ProjectFields F;
    FileCommandHost& Host;
    Factory CreateProject;
};

} // namespace kvr::app
