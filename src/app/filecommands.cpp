#include "app/filecommands.h"

#include <algorithm>

#include "app/projectfiles.h"
#include "app/recent.h"
#include "model/modelhost.h"
#include "platform/application.h"
#include "platform/currentprompter.h"
#include "platform/settingsstore.h"

namespace kvr::app {

namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

platform::Prompter& Ask() { return platform::prompter(); }

std::optional<std::string> ChooseSave(const QString& Filter, const QString& Ext, const std::string& InitialDir,
                                      const std::string& Proposal)
{
    platform::FileChoice choice;
    choice.filter = Filter;
    choice.defaultExt = Ext;
    choice.initialDir = platform::FromNativePath(InitialDir);
    choice.fileName = platform::FromNativePath(SaveDialogProposal(Proposal));
    const std::optional<QString> chosen = Ask().saveFileName(choice);
    if (!chosen || chosen->isEmpty())
        return std::nullopt;
    return platform::ToNativePath(*chosen);
}

std::optional<std::string> ChooseOpen(const QString& Filter, const QString& Ext, const std::string& InitialDir)
{
    platform::FileChoice choice;
    choice.filter = Filter;
    choice.defaultExt = Ext;
    choice.initialDir = platform::FromNativePath(InitialDir);
    const std::optional<QString> chosen = Ask().openFileName(choice);
    if (!chosen || chosen->isEmpty())
        return std::nullopt;
    return platform::ToNativePath(*chosen);
}

std::string ProgramDir() { return platform::ProgramFolder(); }

} // namespace

ProjectFileCommands::ProjectFileCommands(ProjectFields Fields, FileCommandHost& Host, Factory CreateProject)
    : F(Fields), Host(Host), CreateProject(std::move(CreateProject))
{
}

bool ProjectFileCommands::CloseProject()
{
    if (Host.IsProcessing()) {
        Ask().showMessage("Unable to create, open or close a project while processing!");
        return false;
    }
    Host.CommitPageEditors();
    if (!F.Project)
        return true;
    Host.StopTimers();
    bool closing = true;
    if (F.Project->IsChanged()) {
        switch (Ask().messageBox("Save changes to disk?", "Close file", Buttons::YesNoCancel, Icon::Question)) {
        case Answer::Yes: closing = SaveProject() == 1; break;
        case Answer::No: break;
        default: closing = false; break;
        }
    }
    if (!closing) {
        Host.StartTimers();
        return false;
    }
    Host.CloseTransferConnection();
    F.Project.reset();
    Host.ProjectClosed();
    return true;
}

void ProjectFileCommands::TakeProject(std::unique_ptr<ProjectAccess> Project, const std::string& FileName)
{
    F.Project = std::move(Project);
    F.Project->SetFitOptions(F.Prefs.FitOptions());
    F.CurDevice = -1;
    F.ProjectFileName = FileName;
    Host.BuildProjectTree();
    Host.SelectRoot();
    Host.UpdateCaption();
    Host.StartTimers();
}

bool ProjectFileCommands::NewProject()
{
    if (!CloseProject())
        return false;
    std::unique_ptr<ProjectAccess> project = CreateProject ? CreateProject() : nullptr;
    if (!project) {
        model::ShowError("Application", "Show", "Not enough memory!");
        return false;
    }
    TakeProject(std::move(project), {});
    return true;
}

void ProjectFileCommands::New2Click()
{
    NewProject(); // sets the fitting options, builds the tree and updates the caption
}

int ProjectFileCommands::SaveProject()
{
    F.AutoSaveSeconds = 0;
    if (!F.Project)
        return 0;
    if (F.ProjectFileName.empty()) {
        const std::optional<std::string> chosen = ChooseSave(ProjectFilter, "kvp", ProgramDir(), {});
        if (!chosen || !UsableName(*chosen))
            return 0;
        F.ProjectFileName = *chosen;
    }
    if (!UsableName(F.ProjectFileName))
        return 0;
    // The new file is complete on disk before any backup moves, and the project file and every
    // backup level stay whole whenever the program is stopped.
    const int levels = std::min(F.Prefs.BackupLevels(), 9);
    const int result = F.Project->SaveToDisk(F.ProjectFileName, [&](const std::string& CompleteFile) {
        return ReplaceWithBackups(CompleteFile, F.ProjectFileName, levels, [this](const std::string& line) { Host.Log(line); });
    });
    Host.UpdateCaption();
    Host.ShowFileDate(F.Project->GetFileDate());
    RecordRecent(F.ProjectFileName);
    return result;
}

bool ProjectFileCommands::OverLimit()
{
    if (!F.Project || F.Project->CountDevicesOverLimit() <= 0)
        return false;
    Host.ShowCheckList();
    return true;
}

bool ProjectFileCommands::UsableName(const std::string& FileName)
{
    const std::string reason = UnusableFileNameReason(FileName);
    if (reason.empty())
        return true;
    Ask().messageBox(platform::FromNativePath(reason), "Warning", Buttons::Ok, Icon::Exclamation);
    return false;
}

void ProjectFileCommands::RecordRecent(const std::string& FileName)
{
    TRecent(platform::settingsStore(), RecentKey).Add(FileName);
    Host.RecentListChanged();
}

void ProjectFileCommands::FileNotSaved()
{
    Ask().messageBox("File not saved!", "Warning", Buttons::Ok, Icon::Exclamation);
    Host.UpdateCaption();
}

void ProjectFileCommands::Save1Click()
{
    if (!F.Project || OverLimit())
        return;
    if (SaveProject() == 0)
        FileNotSaved();
    else
        Host.UpdateCaption();
}

void ProjectFileCommands::SaveAs1Click()
{
    if (!F.Project || OverLimit())
        return;
    const std::optional<std::string> chosen = ChooseSave(ProjectFilter, "kvp", ProgramDir(), F.ProjectFileName);
    if (!chosen || !UsableName(*chosen))
        return;
    F.ProjectFileName = *chosen; // the project carries the new name even when the save fails
    if (SaveProject() == 0)
        FileNotSaved();
    else
        Host.UpdateCaption();
}

void ProjectFileCommands::Savecopyas1Click()
{
    if (!F.Project || OverLimit())
        return;
    const std::optional<std::string> chosen =
        ChooseSave(ProjectFilter, "kvp", ProgramDir(), CopyProposal(F.ProjectFileName));
    if (!chosen || !UsableName(*chosen))
        return;
    F.Project->SaveCopyToDisk(*chosen);
}

bool ProjectFileCommands::OpenFile(const std::string& GivenName, bool StopTimersWhileLoading)
{
    const std::string FileName = AbsoluteFileName(GivenName);
    if (Host.IsProcessing()) {
        Ask().showMessage("Unable to create, open or close a project while processing!");
        return false;
    }
    std::unique_ptr<ProjectAccess> loaded = CreateProject ? CreateProject() : nullptr;
    if (!loaded) {
        model::ShowError("Application", "Show", "Not enough memory!");
        return false;
    }
    loaded->SetFitOptions(F.Prefs.FitOptions());
    // A save of this project that was stopped midway is completed (or cleared) first.
    FinishInterruptedSave(FileName, [this](const std::string& line) { Host.Log(line); });
    if (StopTimersWhileLoading && F.Project)
        Host.StopTimers();
    const bool ok = loaded->LoadFromDisk(FileName);
    if (StopTimersWhileLoading && F.Project)
        Host.StartTimers();
    if (!ok)
        return false; // the data model has said why
    if (!CloseProject())
        return false;
    TakeProject(std::move(loaded), FileName);
    RecordRecent(FileName);
    return true;
}

bool ProjectFileCommands::OpenProject()
{
    const std::optional<std::string> chosen = ChooseOpen(ProjectFilter, "kvp", ProgramDir());
    if (!chosen)
        return false;
    return OpenFile(*chosen, true);
}

void ProjectFileCommands::New1Click()
{
    OpenProject(); // builds the tree, selects the root and updates the caption
}

bool ProjectFileCommands::OpenRecent(const std::string& FileName)
{
    return OpenFile(FileName, false);
}

void ProjectFileCommands::AddDevice()
{
    if (!F.Project)
        return;
    F.Project->AddDevice();
    Host.BuildProjectTree();
}

void ProjectFileCommands::CopyDevice2Click()
{
    if (!F.Project || F.CurDevice < 0 || F.CurDevice >= F.Project->DeviceCount())
        return;
    if (F.Project->IsDummy(F.CurDevice)) {
        Ask().showMessage("Cannot copy a device of a type which is not KX7300!");
        return;
    }
    F.Project->CopyDevice(F.CurDevice);
    Host.BuildProjectTree();
}

void ProjectFileCommands::RemoveDevice1Click()
{
    if (!F.Project)
        return;
    if (F.CurDevice < 0 || F.CurDevice >= F.Project->DeviceCount()) {
        Ask().showMessage("Please select a device first!");
        return;
    }
    if (Ask().messageBox("Are you sure to delete this device?", "Confirm", Buttons::OkCancel, Icon::Question) != Answer::Ok)
        return;
    F.Project->DeleteDevice(F.CurDevice);
    Host.DeviceRemoved();
    F.CurDevice = -1;
    Host.BuildProjectTree();
}

void ProjectFileCommands::ExtractMPJ1Click()
{
    if (!F.Project || F.CurDevice < 0 || F.CurDevice >= F.Project->DeviceCount() || OverLimit())
        return;
    const std::optional<std::string> chosen = ChooseSave(DeviceFilter, "kvf", {}, "*.kvf");
    if (!chosen || !UsableName(*chosen))
        return;
    F.Project->SaveDevice(F.CurDevice, *chosen);
}

void ProjectFileCommands::LoadexistingDevice1Click()
{
    if (!F.Project || F.CurDevice < 0 || F.CurDevice >= F.Project->DeviceCount())
        return;
    if (Ask().messageBox("Do you really want to overwrite the selected device with data from file?", "Warning",
                         Buttons::YesNo, Icon::Question) != Answer::Yes)
        return;
    const std::optional<std::string> chosen = ChooseOpen(DeviceFilter, "kvf", {});
    if (!chosen)
        return;
    if (!F.Project->ReplaceDevice(F.CurDevice, *chosen))
        model::ShowError("CX4AppForm", "Import Device", "An error occured. Unable to import data!");
    Host.BuildProjectTree();
}

} // namespace kvr::app
