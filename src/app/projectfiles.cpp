#include "app/projectfiles.h"

#include <climits>
#include <filesystem>
#include <system_error>

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

void RotateBackups(const std::string& ProjectFileName, int Levels, const std::function<void(const std::string&)>& Log)
{
    for (int i = Levels - 1; i >= 0; --i) {
        const std::string from = i == 0 ? ProjectFileName : BackupName(ProjectFileName, i);
        const std::string to = BackupName(ProjectFileName, i + 1);
        if (!Exists(from))
            continue;
        std::error_code ec;
        if (Exists(to)) {
            Log("Removing " + to);
            fs::remove(fs::path(to), ec);
        }
        Log("Renaming:" + from + " to " + to);
        if (i == 0) {
            // The project file itself stays in place until the new one replaces it.
            fs::create_hard_link(fs::path(from), fs::path(to), ec);
            if (ec) {
                ec.clear();
                fs::copy_file(fs::path(from), fs::path(to), fs::copy_options::overwrite_existing, ec);
            }
        } else {
            fs::rename(fs::path(from), fs::path(to), ec);
        }
        if (ec)
            Log("Renaming failed!");
    }
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
