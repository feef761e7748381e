#pragma once
// A client on the fake server, a fake clock that only moves when the client waits, and a host
// that scripts the server's creation and installation.

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "client/clientmessages.h"
#include "client/kvrcommunicationclient.h"
#include "commserver/fakecommserver.h"
#include "diagnostics/kvrinfoformat.h"

namespace clienttest {

using kvr::commserver::Bytes;
using kvr::commserver::FakeCommServer;
using kvr::commserver::HResult;
using kvr::commserver::RpcMethod;

struct FakeClock {
    std::uint64_t T = 10'000'000;
    int Pumps = 0;
    std::vector<unsigned> Sleeps;
};

// The fake server whose waiting read takes the time it was given when nothing is queued.
class TimedFakeServer : public FakeCommServer {
public:
    explicit TimedFakeServer(FakeClock& Clock) : Clock(Clock) {}
    HResult ReadBlockEx2(std::int32_t H, std::int32_t TimeOut, Bytes& B, std::int32_t& Result) override
    {
        const HResult Hr = FakeCommServer::ReadBlockEx2(H, TimeOut, B, Result);
        if (Hr >= 0 && Result == kvr::commserver::ResultNothingQueued)
            Clock.T += static_cast<std::uint64_t>(std::max(TimeOut, 0)) + ExtraWait;
        return Hr;
    }
    std::uint64_t ExtraWait = 0;

private:
    FakeClock& Clock;
};

class FakeHost : public kvr::client::IServerHost {
public:
    explicit FakeHost(std::shared_ptr<TimedFakeServer> Server) : Server(std::move(Server)) {}

    HResult CreateLocal(std::shared_ptr<kvr::commserver::ICommServer>& Out) override
    {
        ++Creations;
        HResult Hr = 0;
        if (!CreateResults.empty()) {
            Hr = CreateResults.front();
            CreateResults.pop_front();
        }
        if (Hr == 0) {
            if (!Versions.empty()) {
                Server->setVersion(Versions.front());
                Versions.pop_front();
            }
            Out = Server;
        }
        return Hr;
    }
    HResult CreateRemote(const std::string& Machine, std::shared_ptr<kvr::commserver::ICommServer>& Out) override
    {
        RemoteMachines.push_back(Machine);
        if (RemoteResult == 0)
            Out = Server;
        return RemoteResult;
    }
    std::string RegisteredCommandLine() override { return Registered; }
    std::string InstallFolder() override { return "/home/u/.local/share/kvr/"; }
    std::string TempFolder() override { return "/tmp/"; }
    bool WriteServerImage(const std::string& Path) override
    {
        Written.push_back(Path);
        return !Unwritable.count(Path);
    }
    void RunRegistration(const std::string& Path) override { Registrations.push_back(Path); }
    bool ServerRunning() override { return Running; }
    void DebugOutput(const std::string& Line) override { Lines.push_back(Line); }
    void Terminate() override { Terminated = true; }

    std::shared_ptr<TimedFakeServer> Server;
    std::deque<HResult> CreateResults;
    std::deque<std::int32_t> Versions;
    HResult RemoteResult = 0;
    std::vector<std::string> RemoteMachines;
    std::string Registered = "/opt/kvr/rurez";
    std::set<std::string> Unwritable;
    std::vector<std::string> Written;
    std::vector<std::string> Registrations;
    std::vector<std::string> Lines;
    bool Running = false;
    bool Terminated = false;
    int Creations = 0;
};

inline Bytes BlockBytes(std::uint32_t ID, std::uint8_t Len, std::vector<std::uint8_t> Data = {})
{
    Kvrdata_ns::KVRCANBlock CB;
    CB.ID = ID;
    CB.Len = Len;
    std::copy(Data.begin(), Data.end(), CB.Data.begin());
    Bytes V;
    Kvrdata_ns::CANBlockToVariant(CB, V);
    return V;
}

inline Kvrdata_ns::KVRCANBlock BlockOf(const Bytes& B)
{
    Kvrdata_ns::KVRCANBlock CB;
    Bytes Copy = B;
    Kvrdata_ns::VariantToCANBlock(Copy, CB);
    return CB;
}

class ClientTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        kvr::client::ClientModuleState() = {};
        Clock = {};
        Shown.clear();
        ShownTexts.clear();
        Server = std::make_shared<TimedFakeServer>(Clock);
        Host = std::make_shared<FakeHost>(Server);
        InfoFormatter->SetMessagePresenter([this](int, const std::string& Text, unsigned Code, const std::string&) {
            Shown.push_back(Code);
            ShownTexts.push_back(Text);
            return static_cast<int>(mrOk);
        });
    }
    void TearDown() override
    {
        Client.reset();
        InfoFormatter->SetMessagePresenter(nullptr);
    }

    kvr::client::TClientServices Services(bool Designing = false)
    {
        kvr::client::TClientServices S;
        S.Now = [this] { return Clock.T; };
        S.ProcessMessages = [this] {
            ++Clock.Pumps;
            Clock.T += 1;
            if (OnPump)
                OnPump();
        };
        S.Sleep = [this](unsigned Ms) {
            Clock.Sleeps.push_back(Ms);
            Clock.T += Ms;
        };
        S.Host = Host;
        S.Designing = Designing;
        return S;
    }

    TKVRCommunicationClient& MakeClient()
    {
        Client = std::make_unique<TKVRCommunicationClient>(nullptr, Services());
        return *Client;
    }

    // A client connected over TCP to 127.0.0.1.
    TKVRCommunicationClient& Connected()
    {
        auto& C = MakeClient();
        C.SetHostIP(0x7F000001);
        EXPECT_TRUE(C.OpenTCPConnection());
        return C;
    }

    std::int32_t H() const { return Client->GetClientHandle(); }

    std::size_t CallCount(RpcMethod Method) const
    {
        std::size_t N = 0;
        for (const auto& Call : Server->calls())
            N += Call.method == Method;
        return N;
    }

    FakeClock Clock;
    std::shared_ptr<TimedFakeServer> Server;
    std::shared_ptr<FakeHost> Host;
    std::unique_ptr<TKVRCommunicationClient> Client;
    std::vector<unsigned> Shown;
    std::vector<std::string> ShownTexts;
    std::function<void()> OnPump;
};

} // namespace clienttest
