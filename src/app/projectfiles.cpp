#include "app/projectfiles.h"

#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace kvr::app {

namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& name)
{
    std::error_code ec;
    return fs::exists(fs::path(name), ec);
}

} // namespace

std::string BackupBase(const std::string& ProjectFileName)
{
    const std::size_t slash = ProjectFileName.find_last_of('/');
    const std::size_t dot = ProjectFileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return ProjectFileName;
    return ProjectFileName.substr(0, dot + 1);
}

std::string BackupName(const std::string& ProjectFileName, int Level)
{
    return BackupBase(ProjectFileName) + "kv" + std::to_string(Level);
}

namespace {

// A save with backups works on names of its own beside the project file, and changes the names
// people see only once its new file is committed:
//   1. each level's new content is linked (or copied) to "<project>.kvN.next"; a level that is
//      vacated and gets nothing gets a mark "<project>.kvN.gone";
//   2. the complete new file is renamed to "<project>.new": from here on the save counts as
//      made, and "<project>.new" marks it until every name is in place;
//   3. the project file is replaced (a link of the new file renamed over it), then levels
//      1, 2, ... take their ".next" file (or go, for a ".gone" mark), then "<project>.new" goes.
// Every rename replaces a name in one step, so no level is ever missing, and at any moment only
// the level about to be renamed is held under its ".next" name. A save stopped in step 3 is
// finished by FinishInterruptedSave, which repeats step 3 (each part of it may run twice); one
// stopped before step 2 leaves only names the next save or open removes.
constexpr int MaxLevels = 9;

std::string NewName(const std::string& Project) { return Project + ".new"; }
std::string LinkName(const std::string& Project) { return Project + ".new.tmp"; }
std::string NextName(const std::string& Project, int Level) { return Project + ".kv" + std::to_string(Level) + ".next"; }
std::string GoneName(const std::string& Project, int Level) { return Project + ".kv" + std::to_string(Level) + ".gone"; }

// Thrown when the test hook stops a save.
struct SaveStopped {};

class BackupSave {
public:
    BackupSave(const std::string& Project, const std::function<void(const std::string&)>& Log,
               const std::function<bool()>& Proceed)
        : Project(Project), Log(Log), Proceed(Proceed)
    {
    }

    void Stage(int Levels);
    bool Commit(const std::string& CompleteFile);
    bool PlaceAll(bool Finishing);
    void RemoveStaging() const;

private:
    void Step() const
    {
        if (Proceed && !Proceed())
            throw SaveStopped{};
    }
    void SyncFolder() const;

    const std::string& Project;
    const std::function<void(const std::string&)>& Log;
    const std::function<bool()>& Proceed;
};

bool IsFolder(const std::string& name)
{
    std::error_code ec;
    return fs::is_directory(fs::symlink_status(fs::path(name), ec));
}

void Remove(const std::string& name)
{
    std::error_code ec;
    fs::remove(fs::path(name), ec);
}

// Gives From's content a second name; a copy, synced, where the file system has no links.
bool LinkOrCopy(const std::string& From, const std::string& To)
{
    Remove(To);
    std::error_code ec;
    fs::create_hard_link(fs::path(From), fs::path(To), ec);
    if (!ec)
        return true;
    ec.clear();
    if (!fs::copy_file(fs::path(From), fs::path(To), fs::copy_options::overwrite_existing, ec) || ec) {
        Remove(To);
        return false;
    }
    const int fd = ::open(To.c_str(), O_RDONLY);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    return synced;
}

bool RenameOver(const std::string& From, const std::string& To)
{
    std::error_code ec;
    fs::rename(fs::path(From), fs::path(To), ec);
    return !ec;
}

void BackupSave::SyncFolder() const
{
    const fs::path folder = fs::path(Project).has_parent_path() ? fs::path(Project).parent_path() : fs::path(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void BackupSave::Stage(int Levels)
{
    std::vector<bool> vacated(MaxLevels + 2, false);
    for (int i = std::min(Levels, MaxLevels) - 1; i >= 0; --i) {
        const std::string from = i == 0 ? Project : BackupName(Project, i);
        const std::string to = BackupName(Project, i + 1);
        // A project opened from a backup file keeps that level itself.
        if (to == Project || !Exists(from))
            continue;
        // A level that moves up itself is replaced, not removed.
        if (Exists(to) && !vacated[static_cast<std::size_t>(i + 1)])
            Log("Removing " + to);
        Log("Renaming:" + from + " to " + to);
        Step();
        if (IsFolder(to) || !LinkOrCopy(from, NextName(Project, i + 1))) {
            Log("Renaming failed!");
            continue;
        }
        vacated[static_cast<std::size_t>(i)] = i > 0;
    }
    for (int level = 1; level < MaxLevels; ++level) {
        if (!vacated[static_cast<std::size_t>(level)] || Exists(NextName(Project, level)))
            continue;
        Step();
        std::ofstream(GoneName(Project, level)).close();
    }
    SyncFolder();
}

bool BackupSave::Commit(const std::string& CompleteFile)
{
    Step();
    if (!RenameOver(CompleteFile, NewName(Project))) {
        RemoveStaging();
        return false;
    }
    SyncFolder();
    return true;
}

bool BackupSave::PlaceAll(bool Finishing)
{
    const std::string newFile = NewName(Project);
    Step();
    const bool placed = LinkOrCopy(newFile, LinkName(Project)) && RenameOver(LinkName(Project), Project);
    // A rename between two names of one file does nothing: so it is when this runs again.
    Remove(LinkName(Project));
    if (!placed) {
        if (Finishing) {
            Log("Unable to complete the interrupted save of " + Project);
            return false;
        }
        // Nothing people see has changed yet: the save did not happen.
        Remove(newFile);
        RemoveStaging();
        return false;
    }
    for (int level = 1; level <= MaxLevels; ++level) {
        const std::string backup = BackupName(Project, level);
        if (Exists(NextName(Project, level))) {
            Step();
            if (!RenameOver(NextName(Project, level), backup))
                Log("Renaming failed!");
            Remove(NextName(Project, level));
        } else if (Exists(GoneName(Project, level))) {
            Step();
            Remove(backup);
            Remove(GoneName(Project, level));
        }
    }
    Step();
    Remove(newFile);
    SyncFolder();
    return true;
}

void BackupSave::RemoveStaging() const
{
    Remove(LinkName(Project));
    for (int level = 1; level <= MaxLevels; ++level) {
        Remove(NextName(Project, level));
        Remove(GoneName(Project, level));
    }
}

} // namespace

bool ReplaceWithBackups(const std::string& CompleteFile, const std::string& ProjectFileName, int Levels,
                        const std::function<void(const std::string&)>& Log, const std::function<bool()>& Proceed)
{
    FinishInterruptedSave(ProjectFileName, Log);
    BackupSave save(ProjectFileName, Log, Proceed);
    try {
        save.Stage(Levels);
        return save.Commit(CompleteFile) && save.PlaceAll(false);
    } catch (const SaveStopped&) {
        return false;
    }
}

void FinishInterruptedSave(const std::string& ProjectFileName, const std::function<void(const std::string&)>& Log)
{
    const std::function<bool()> always;
    BackupSave save(ProjectFileName, Log, always);
    if (!Exists(NewName(ProjectFileName))) {
        save.RemoveStaging();
        return;
    }
    Log("Completing the interrupted save of " + ProjectFileName);
    save.PlaceAll(true);
}

std::string CopyProposal(const std::string& ProjectFileName)
{
    const std::size_t at = ProjectFileName.find(".kv");
    return (at == std::string::npos ? std::string() : ProjectFileName.substr(0, at)) + "_copy.kvp";
}

std::string UnusableFileNameReason(const std::string& FileName)
{
    if (FileName.empty())
        return "No file name given!";
    if (FileName.find('\0') != std::string::npos)
        return "The file name contains a character the file system cannot take!";
    // The longest backup name is what must fit.
    const std::string longest = BackupName(FileName, 9).size() > FileName.size() ? BackupName(FileName, 9) : FileName;
    if (longest.size() >= PATH_MAX)
        return "The file name is too long for the file system (" + std::to_string(FileName.size()) + " characters)!";
    std::size_t start = 0;
    while (start <= longest.size()) {
        std::size_t end = longest.find('/', start);
        if (end == std::string::npos)
            end = longest.size();
        if (end - start > NAME_MAX)
            return "A part of the file name is too long for the file system (more than " + std::to_string(NAME_MAX) +
                   " characters)!";
        start = end + 1;
    }
    return {};
}

std::string SaveDialogProposal(const std::string& Proposal)
{
    return Proposal.find_first_of("*?") == std::string::npos ? Proposal : std::string();
}

std::string AbsoluteFileName(const std::string& FileName)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(FileName, error);
    return error || FileName.empty() ? FileName : absolute.string();
}

} // namespace kvr::app
