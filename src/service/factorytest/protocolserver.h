#pragma once
// Where the factory test protocols are fetched from: a base URL kept in the settings store, so
// it survives a restart and can be pointed at a local server.

#include <string>

namespace kvr::platform {
class SettingsStore;
}

namespace kvr::service {

inline constexpr const char* FactoryTestUrlName = "FactoryTestProtocolURL";
inline constexpr const char* DefaultFactoryTestUrl = "http://protocols.example.com/";

// The stored base URL, ending with "/"; the default when none is stored or the stored text is
// no http(s) URL. A missing value is written with the default, so the setting shows in the
// settings file.
std::string FactoryTestBaseUrl(platform::SettingsStore& Store);
// Stores an http(s) URL, a "/" added when it lacks one; false (nothing stored) for other text.
bool SetFactoryTestBaseUrl(platform::SettingsStore& Store, const std::string& Url);

} // namespace kvr::service
