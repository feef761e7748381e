#pragma once
// Rules of the options dialog ("Configuration"), apart from its widgets: what each control
// writes into the dialog's working copy of the preferences.

#include <functional>
#include <string>

#include "app/preferences.h"

namespace kvr::app {

// A number typed into a field; Fallback when the text is not a whole number.
int NumberOrDefault(const std::string& Text, int Fallback);

// "Delete files older than " checked: the days to show (the log age, or 365 when it is 0).
int ProposedLogAge(std::int32_t LogAge);

// Leaving the log-age field: the number (0 when not a number), at most 365. A result of 0 or
// less means the field is disabled, shows 0 and the check box is unchecked.
int LogAgeOnExit(const std::string& Text);

struct FolderCheck {
    std::string Folder;
    bool NotFound = false; // "The path you entered was not found!" is due
};

// Leaving the log-folder field: trailing separators go; a folder that does not exist is
// shortened two characters at a time until it is empty or names an existing folder.
FolderCheck CheckLogFolder(const std::string& Text, const std::function<bool(const std::string&)>& FolderExists);

// OK: the edit fields go into the working copy, and the fitting options are cleared.
void ApplyOptionFields(TPreferences& Prefs, const std::string& Folder, const std::string& Interval,
                       const std::string& BackupLevels, const std::string& LogAge);

} // namespace kvr::app
