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

// Shifts the backups one level down before a save replaces the project file: with Levels kept,
// level L-1 becomes L, ..., the project file becomes level 1. A level that is in the way is
// removed first. The project file stays where it is (level 1 is linked to it, or a copy where
// the file system has no links), so its path is never empty; the save then replaces it. Failures
// only leave a log line; the save goes on. Levels 0 keeps no backup.
void RotateBackups(const std::string& ProjectFileName, int Levels, const std::function<void(const std::string&)>& Log);

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
