#pragma once
// Names around a project file: its rotating backups, the name proposed for a copy, and whether
// the file system can take a name at all.

#include <functional>
#include <string>

namespace kvr::app {

// The project file name up to and including the last "." of its file part; the whole name when
// the file part has none (a dot in a folder name is not an extension).
std::string BackupBase(const std::string& ProjectFileName);
// Backup of level 1 (newest) to 9 (oldest): base + "kv" + level.
std::string BackupName(const std::string& ProjectFileName, int Level);

// Puts a new project file in place and shifts the backups one level down: with Levels kept,
// level L-1 becomes L, ..., the old project file becomes level 1. CompleteFile is the new
// project, completely written and on disk, in the project file's folder. The log lines name
// the moves as a plain rotation would ("Removing ...", "Renaming:... to ...", "Renaming
// failed!"); a level that cannot move only leaves its log line. Levels 0 keeps no backup.
// Whenever the program is stopped, the project file holds the old or the new project and every
// backup level is there; a save stopped after its new file was committed is completed by the
// next open or save of the project (FinishInterruptedSave), one stopped before leaves the old
// project and its backups as they were. False, with nothing changed, when the new file cannot
// be put in place. Proceed, for tests, is asked before each step that changes a name; false
// stops the save there, as a kill would.
bool ReplaceWithBackups(const std::string& CompleteFile, const std::string& ProjectFileName, int Levels,
                        const std::function<void(const std::string&)>& Log, const std::function<bool()>& Proceed = {});
// Completes a save with backups that was stopped after it had committed its new file, or
// removes what a save stopped before that point left behind.
void FinishInterruptedSave(const std::string& ProjectFileName, const std::function<void(const std::string&)>& Log);

// Save copy as: the part of the name before the first ".kv" (empty when none) + "_copy.kvp".
std::string CopyProposal(const std::string& ProjectFileName);

// The name a save dialog starts with: a proposal with a wildcard ("*.kvf") is only the dialog's
// filter here, so the field starts empty instead of offering a file literally named "*.kvf".
std::string SaveDialogProposal(const std::string& Proposal);

// The name as the recent list and the window keep it: absolute, so that an entry made from a
// relative name on the command line opens from any folder. Otherwise as given.
std::string AbsoluteFileName(const std::string& FileName);

// Empty when the file system can take the name (and the backup names made from it); else the
// message telling why not.
std::string UnusableFileNameReason(const std::string& FileName);

} // namespace kvr::app
