#include "controls/browsefoldersdialog.h"

#include "platform/currentprompter.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kvr::controls {

namespace {

QString standardFolder(QStandardPaths::StandardLocation location)
{
    const QString path = QStandardPaths::writableLocation(location);
    if (!path.isEmpty() && QFileInfo(path).isDir())
        return path;
    return QDir::homePath();
}

} // namespace

QString rootFolder(tagTBrowseFoldersRoot root)
{
    switch (root) {
    case bfrDesktop:
    case bfrDesktopDir:
        return standardFolder(QStandardPaths::DesktopLocation);
    case bfrPersonal:
        return standardFolder(QStandardPaths::DocumentsLocation);
    case bfrFonts:
        return standardFolder(QStandardPaths::FontsLocation);
    case bfrPrograms:
    case bfrStartMenu:
        return standardFolder(QStandardPaths::ApplicationsLocation);
    case bfrDrives:
        return QDir::rootPath();
    default:
        return QDir::homePath();
    }
}

unsigned folderOptions(const TBrowseFoldersFlags& flags)
{
    unsigned options = 0;
    for (const tagTBrowseFoldersFlag flag : flags) {
        switch (flag) {
        case bffBrowseForComputer: options |= platform::FolderComputers; break;
        case bffBrowseForPrinter: options |= platform::FolderPrinters; break;
        case bffDontGoBelowDomain: options |= platform::FolderStayInDomain; break;
        case bffReturnsAncestors: options |= platform::FolderAncestors; break;
        case bffReturnOnlyDirs: options |= platform::FolderDirsOnly; break;
        case bffEditBox: options |= platform::FolderEditBox; break;
        case bffStatusText: options |= platform::FolderStatusText; break;
        case bffNewDialogStyle: options |= platform::FolderNewFolder; break;
        }
    }
    return options;
}

bool TBrowseFoldersDialog::Execute()
{
    platform::FolderChoice choice;
    choice.caption = Title;
    choice.initialDir = folder_;
    choice.rootDir = rootFolder(Root);
    choice.options = folderOptions(Options);
    const std::optional<QString> chosen = platform::prompter().chooseFolder(choice);
    if (!chosen)
        return false;
    const QString name = QDir(QDir::cleanPath(*chosen)).dirName();
    displayName_ = name.isEmpty() ? *chosen : name;
    folder_ = *chosen;
    return true;
}

bool TBrowseFoldersDialog::Execute(QWidget*)
{
    return Execute();
}

} // namespace kvr::controls
