#pragma once
// The registration the client looks for: the server program's path and version under the
// server's class key of the settings store. Written with QSettings in the store's place (INI in
// the user's config folder, or in KVR_CONFIG_DIR).

#include <string>

namespace kvr::commserver {

inline constexpr const char* ServerClassKey = "CLSID/{C6B7D95B-7002-4A7A-94D1-6478A7CCD204}";

struct ServerRegistration {
    std::string path;
    std::string version;
};

bool registerServer(const ServerRegistration& registration);
ServerRegistration readServerRegistration();

} // namespace kvr::commserver
