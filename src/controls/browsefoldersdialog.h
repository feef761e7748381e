#pragma once
// A folder browser as a component: set Folder, Root, Options and Title, call Execute, read the
// chosen Folder and its DisplayName. It asks through the platform prompter, so tests script it.

#include <QString>

#include <set>

class QWidget;

namespace kvr::controls {

enum tagTBrowseFoldersRoot {
    bfrRecycleBin,
    bfrControlPanel,
    bfrDesktop,
    bfrDesktopDir,
    bfrDrives,
    bfrFonts,
    bfrNetHood,
    bfrNetwork,
    bfrPersonal,
    bfrPrinters,
    bfrPrograms,
    bfrRecent,
    bfrSendTo,
    bfrStartMenu,
    bfrStartUp,
    bfrTemplates,
};

enum tagTBrowseFoldersFlag {
    bffBrowseForComputer,
    bffBrowseForPrinter,
    bffDontGoBelowDomain,
    bffReturnsAncestors,
    bffReturnOnlyDirs,
    bffEditBox,
    bffStatusText,
    bffNewDialogStyle,
};

using TBrowseFoldersFlags = std::set<tagTBrowseFoldersFlag>;

// The folder a root stands for here: its standard location when the desktop has one and it
// exists, else the home folder.
QString rootFolder(tagTBrowseFoldersRoot root);
// The browser options (platform FolderOption bits) for a set of flags.
unsigned folderOptions(const TBrowseFoldersFlags& flags);

class TBrowseFoldersDialog {
public:
    QString Folder() const { return folder_; }
    // Blanks at both ends are dropped.
    void SetFolder(const QString& value) { folder_ = value.trimmed(); }
    QString DisplayName() const { return displayName_; }

    tagTBrowseFoldersRoot Root = bfrDesktop;
    TBrowseFoldersFlags Options = {bffReturnOnlyDirs};
    QString Title;

    // True when a folder was chosen; a cancel leaves Folder and DisplayName as they were. The
    // browser's owner is the active window in both forms.
    bool Execute();
    bool Execute(QWidget* parent);

private:
    QString folder_;
    QString displayName_;
};

} // namespace kvr::controls
