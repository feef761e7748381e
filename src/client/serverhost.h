#pragma once
// The server host of the running program: creates the server object through the RPC proxy,
// starts the registered server when none answers, writes and registers the server program that
// the program carries.
//
// The carried server is the file KVR_SERVER_IMAGE names, else "rurez" in the program's folder.
// It is installed into KVR_SERVER_INSTALL_DIR, else <user data folder>/kvr/.
//
// A server this host started only to be asked its version ends when the client lets it go, as a
// local server does when its last client releases it; otherwise an older server, once started,
// could never be replaced.

#include <string>

#include "client/clientservices.h"

namespace kvr::client {

// Port of a server on a named machine when the name carries none ("machine:port").
inline constexpr std::uint16_t RemoteServerPort = 2010;

class TLocalServerHost : public IServerHost {
public:
    HResult CreateLocal(std::shared_ptr<ICommServer>& Server) override;
    HResult CreateRemote(const std::string& Machine, std::shared_ptr<ICommServer>& Server) override;
    std::string RegisteredCommandLine() override;
    std::string InstallFolder() override;
    std::string TempFolder() override;
    bool WriteServerImage(const std::string& Path) override;
    void RunRegistration(const std::string& Path) override;
    bool ServerRunning() override;
    void DebugOutput(const std::string& Line) override;
    void Terminate() override;

    // Where the carried server program is.
    static std::string CarriedServerPath();

private:
    void EndStartedServer();

    std::int64_t StartedPid = 0; // the server this host started, until it ends it
};

} // namespace kvr::client
