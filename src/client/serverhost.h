#pragma once
// The server host of the running program: creates the server object through the RPC proxy,
// starts the registered server when none answers, writes and registers the server program that
// the program carries.
//
// The carried server is the file KVR_SERVER_IMAGE names, else "rurez" in the program's folder.
// It is installed into KVR_SERVER_INSTALL_DIR, else <user data folder>/kvr/.
//
// A server that cannot start says why on its standard output, which the host reads from a file:
// the wait for its socket ends as soon as it has ended.
//
// An older server found running is asked to end (its lock names its process), and the host
// waits for its socket to close before the update writes the new one; a server ends by itself a
// few seconds after its last client has gone.

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
    int UdpPortInUse() const override { return FUdpPortInUse; }
    void Terminate() override;

    // Where the carried server program is.
    static std::string CarriedServerPath();

private:
    std::int64_t StartedPid = 0; // the server this host started, until it asks it to end
    int FUdpPortInUse = 0;
};

} // namespace kvr::client
