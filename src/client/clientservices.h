#pragma once
// What the communication client needs from its surroundings: the millisecond clock, a way to let
// messages through while it waits, a blocking sleep, and the host that creates, installs and
// registers the communication server. The program uses SystemServices(); tests pass fakes.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "commserver/icommserver.h"

namespace kvr::client {

using kvr::commserver::HResult;
using kvr::commserver::ICommServer;

// Results of creating the server object that the client tells apart.
inline constexpr HResult HrAccessDenied = static_cast<HResult>(0x80070005u);
inline constexpr HResult HrClassNotRegistered = static_cast<HResult>(0x80040154u);
inline constexpr HResult HrServerExecFailure = static_cast<HResult>(0x80080005u);

class IServerHost {
public:
    virtual ~IServerHost() = default;

    // Creates the server object on this machine (starting the registered server when none
    // answers) or on a named machine; 0 is success.
    virtual HResult CreateLocal(std::shared_ptr<ICommServer>& Server) = 0;
    virtual HResult CreateRemote(const std::string& Machine, std::shared_ptr<ICommServer>& Server) = 0;

    // The registered command line of the server; empty when there is no registration.
    virtual std::string RegisteredCommandLine() = 0;
    // The per-user folder the server is installed into and the temporary folder, each with a
    // trailing separator.
    virtual std::string InstallFolder() = 0;
    virtual std::string TempFolder() = 0;
    // Writes the server program that the program carries to Path (create or replace); false
    // when the file cannot be created or written.
    virtual bool WriteServerImage(const std::string& Path) = 0;
    // Runs Path with "/regserver" and waits, within a deadline, for it to end; the outcome is
    // not examined.
    virtual void RunRegistration(const std::string& Path) = 0;
    // Asks a running server of this user to end and waits, within a deadline, for its socket to
    // close; true when one is still running.
    virtual bool ServerRunning() = 0;
    // The debugger output of the installation steps.
    virtual void DebugOutput(const std::string& Line) = 0;
    // The UDP port of the device broadcasts when the last server started could not have it
    // because another program holds it; 0 otherwise.
    virtual int UdpPortInUse() const { return 0; }
    // Asks the application to end when control returns to its message loop.
    virtual void Terminate() = 0;
};

struct TClientServices {
    std::function<std::uint64_t()> Now;           // monotonic milliseconds
    std::function<void()> ProcessMessages;         // lets pending messages through once
    std::function<void(unsigned Ms)> Sleep;        // blocks without letting messages through
    std::shared_ptr<IServerHost> Host;
    bool Designing = false;                        // a component being designed talks to nothing
};

// The running program's services: steady clock, QCoreApplication::processEvents, thread sleep
// and the local server host.
TClientServices SystemServices();

// The server file name and the version the program carries.
inline constexpr const char* ServerFileName = "rurez";
inline constexpr std::int32_t ContainedServerVersion = 0x015A0D00;

} // namespace kvr::client
