// The stored settings file as any hand or damage may have left it: the options record and the
// recent-file list read back without reading outside a field, and a new recent entry is listed
// once among at most ten.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/preferences.h"
#include "app/recent.h"
#include "platform/settingsstore.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string FileName = FuzzInputFile("settings", data, size);
    kvr::platform::IniSettingsStore Store(FileName);
    using namespace kvr::app;

    TPreferences Prefs = TPreferences::Defaults();
    ReadPreferences(Store, Prefs);
    if (Prefs.LogFolder().size() >= TPreferences::LogFolderSize)
        __builtin_trap();
    KeepOnScreen(Prefs.MainWindowRect(), 1400, 900);
    Prefs.WindowState();
    Prefs.LogAge();
    ReadServiceLevel(Store);

    TRecent Recent(Store, kvr::platform::DefinitionKey);
    Recent.MenuEntries();
    Recent.Add("/home/u/new.kvp");
    const auto Entries = Recent.MenuEntries();
    const auto Listed = std::count_if(Entries.begin(), Entries.end(), [](const TRecent::Entry& E) { return E.Name == "/home/u/new.kvp"; });
    if (Entries.size() > 10 || Listed != 1)
        __builtin_trap();
    ::unlink(FileName.c_str());
    return 0;
}
