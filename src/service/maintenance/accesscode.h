#pragma once
// The access code that unlocks the hidden service actions: the value "Kolm" of the program's
// definition key holds exactly "KOLM" (value names match without regard to case, so the main
// window's service level reads the same value).

namespace kvr::platform {
class SettingsStore;
}

namespace kvr::service {

bool ServiceAccessGranted(const platform::SettingsStore& Store);

} // namespace kvr::service
