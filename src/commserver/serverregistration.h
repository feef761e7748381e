#pragma once
// The registration the client looks for: the server program's path (the default value of
// "LocalServer32" under the server's class key) and its version. The server layer may not use the
// platform layer, so this writes the settings store's INI file directly, by the store's rules:
// $KVR_CONFIG_DIR/settings.ini, else kvrconfig/settings.ini in the user's config folder; key
// parts and value names lower case and joined by '/', the default value named "(default)".

#include <map>
#include <string>

namespace kvr::commserver {

inline constexpr const char* ServerClassKey = "CLSID\\{C6B7D95B-7002-4A7A-94D1-6478A7CCD204}";
inline constexpr const char* ServerPathKey = "CLSID\\{C6B7D95B-7002-4A7A-94D1-6478A7CCD204}\\LocalServer32";

struct ServerRegistration {
    std::string path;
    std::string version;
};

// Only a regular file (or none yet) is read or written as the settings file: anything else
// there (a FIFO, a device) could block the reader for good. Otherwise false, with why in words.
bool settingsFileUsable(std::string* problem = nullptr);

bool registerServer(const ServerRegistration& registration);
ServerRegistration readServerRegistration();
std::string settingsFileName();
// Every value under a key of the store, by value name (lower case, as the store keeps them); none
// when the settings file is not usable.
std::map<std::string, std::string> readStoredValues(const std::string& key);

} // namespace kvr::commserver
