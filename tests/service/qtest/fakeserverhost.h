#pragma once
// A server host that hands the client the given fake server, for the service windows' widget
// tests.

#include <cstdint>
#include <memory>
#include <string>

#include "client/serverhost.h"
#include "commserver/fakecommserver.h"

namespace servicetest {

class FakeServerHost : public kvr::client::IServerHost {
public:
    explicit FakeServerHost(std::shared_ptr<kvr::commserver::FakeCommServer> S) : S(std::move(S)) {}
    kvr::client::HResult CreateLocal(std::shared_ptr<kvr::commserver::ICommServer>& Out) override
    {
        Out = S;
        return 0;
    }
    kvr::client::HResult CreateRemote(const std::string&, std::shared_ptr<kvr::commserver::ICommServer>&) override
    {
        return kvr::client::HrClassNotRegistered;
    }
    std::string RegisteredCommandLine() override { return "/opt/kvr/rurez"; }
    std::string InstallFolder() override { return "/tmp/"; }
    std::string TempFolder() override { return "/tmp/"; }
    bool WriteServerImage(const std::string&) override { return false; }
    void RunRegistration(const std::string&) override {}
    bool ServerRunning() override { return true; }
    void DebugOutput(const std::string&) override {}
    void Terminate() override {}
    std::shared_ptr<kvr::commserver::FakeCommServer> S;
};

// A client's services over the fake server, on a fake clock that moves 25 ms at every look so
// that the client's waits for answers end at once.
inline kvr::client::TClientServices FakeClientServices(std::shared_ptr<kvr::commserver::FakeCommServer> Server,
                                                       std::shared_ptr<std::uint64_t> Clock)
{
    kvr::client::TClientServices cs;
    cs.Now = [Clock] { return *Clock += 25; };
    cs.ProcessMessages = [] {};
    cs.Sleep = [Clock](unsigned Ms) { *Clock += Ms; };
    cs.Host = std::make_shared<FakeServerHost>(std::move(Server));
    return cs;
}

} // namespace servicetest
