#pragma once
// A communication client on the real server program with one emulated device, both started on
// loopback and stopped again. Used by the end-to-end tests and the transfer benchmark.

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "support/loopbackprograms.h"
#include "client/kvrcommunicationclient.h"
#include "commserver/commserverproxy.h"

namespace loopback {

// Creates the server object as a proxy to the server started here; nothing to install.
class ProxyHost : public kvr::client::IServerHost {
public:
    explicit ProxyHost(std::string Socket) : Socket(std::move(Socket)) {}
    kvr::client::HResult CreateLocal(std::shared_ptr<kvr::commserver::ICommServer>& Server) override
    {
        Server = std::make_shared<kvr::commserver::CommServerProxy>(kvr::commserver::ProxyEndpoint{Socket, {}, 0});
        return 0;
    }
    kvr::client::HResult CreateRemote(const std::string&, std::shared_ptr<kvr::commserver::ICommServer>&) override
    {
        return kvr::client::HrClassNotRegistered;
    }
    std::string RegisteredCommandLine() override { return {}; }
    std::string InstallFolder() override { return {}; }
    std::string TempFolder() override { return {}; }
    bool WriteServerImage(const std::string&) override { return false; }
    void RunRegistration(const std::string&) override {}
    bool ServerRunning() override { return true; }
    void DebugOutput(const std::string&) override {}
    void Terminate() override {}

private:
    std::string Socket;
};

class LoopbackClient {
public:
    // Starts the server, then one device at 127.0.0.2 with the emulator's fault knobs, then
    // connects a client over TCP. Empty on success, else what went wrong.
    std::string Start(const QString& RurezPath, const QString& DevemuPath, const QString& Knobs = {})
    {
        if (!Dir.isValid())
            return "no temporary folder";
        const QString Folder = Dir.path() + "/run";
        if (std::string Error = Programs.startServerIn(RurezPath, Folder, {"--connect-timeout-ms", "1000", "--retry-ms",
                                                                           "200", "--reconnect-ms", "1000"});
            !Error.empty())
            return Error;
        QString Spec = "ip=127.0.0.2,serial=0x4321,name=EMU";
        if (!Knobs.isEmpty())
            Spec += "," + Knobs;
        if (std::string Error = Programs.startEmulator(DevemuPath, {Spec}, 0, false); !Error.empty())
            return Error;
        DevicePort = Programs.devicePorts.front();
        SocketPath = kvr::commserver::serverSocketPath(Folder.toStdString());

        kvr::client::TClientServices S;
        S.Now = [] {
            return static_cast<std::uint64_t>(
                std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count());
        };
        S.ProcessMessages = [] { QCoreApplication::processEvents(); };
        S.Sleep = [](unsigned Ms) { std::this_thread::sleep_for(std::chrono::milliseconds(Ms)); };
        S.Host = std::make_shared<ProxyHost>(SocketPath);
        Client = std::make_unique<TKVRCommunicationClient>(nullptr, S);
        if (Client->GetStatus() != dcsNotConnected)
            return "client: no server object";
        // As the main window has it: no pacing between sends.
        Client->TicksSend = 0;
        Client->SetHostname("127.0.0.2");
        Client->TCPPort = DevicePort;
        if (!Client->OpenTCPConnection())
            return "client: no connection to the device";
        return {};
    }

    ~LoopbackClient()
    {
        Client.reset();
        Programs.stop();
    }

    QTemporaryDir Dir;
    LoopbackPrograms Programs;
    std::unique_ptr<TKVRCommunicationClient> Client;
    std::string SocketPath;
    int DevicePort = 0;
};

} // namespace loopback
