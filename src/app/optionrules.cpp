#include "app/optionrules.h"

#include <algorithm>
#include <charconv>

namespace kvr::app {

int NumberOrDefault(const std::string& Text, int Fallback)
{
    const char* first = Text.data();
    const char* last = Text.data() + Text.size();
    while (first < last && *first == ' ')
        ++first;
    while (last > first && last[-1] == ' ')
        --last;
    if (first < last && *first == '+')
        ++first;
    int value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || first == last)
        return Fallback;
    return value;
}

int ProposedLogAge(std::int32_t LogAge)
{
    return LogAge == 0 ? 365 : LogAge;
}

int LogAgeOnExit(const std::string& Text)
{
    const int days = NumberOrDefault(Text, 0);
    return std::min(days, 365);
}

FolderCheck CheckLogFolder(const std::string& Text, const std::function<bool(const std::string&)>& FolderExists)
{
    FolderCheck check{Text, false};
    if (check.Folder.empty())
        return check;
    const auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
    // A lone root separator is kept: it names a folder.
    while (check.Folder.size() > 1 && isSeparator(check.Folder.back()))
        check.Folder.pop_back();
    if (check.Folder == "\\")
        check.Folder.clear();
    if (check.Folder.empty() || FolderExists(check.Folder))
        return check;
    check.NotFound = true;
    while (!check.Folder.empty() && !FolderExists(check.Folder))
        check.Folder.resize(check.Folder.size() >= 2 ? check.Folder.size() - 2 : 0);
    return check;
}

void ApplyOptionFields(TPreferences& Prefs, const std::string& Folder, const std::string& Interval,
                       const std::string& BackupLevels, const std::string& LogAge)
{
    Prefs.SetLogFolder(Folder);
    Prefs.SetAutoSaveInterval(std::clamp(NumberOrDefault(Interval, TPreferences::DefaultAutoSaveInterval), 1, 60));
    Prefs.SetBackupLevels(std::clamp(NumberOrDefault(BackupLevels, TPreferences::DefaultBackupLevels), 0, 9));
    Prefs.SetLogAge(std::clamp(NumberOrDefault(LogAge, 0), 0, 365));
    Prefs.SetFitOptions(0);
}

} // namespace kvr::app
