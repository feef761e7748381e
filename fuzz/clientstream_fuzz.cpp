// The client's configuration transfers against a device whose every answer comes from the input:
// answers twice, late, for other blocks, of any length, or none at all. A failed read must leave
// the caller's data as it was; nothing may read or write outside the buffers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "client/configtransfer.h"
#include "client/kvrcommunicationclient.h"
#include "commserver/fakecommserver.h"
#include "diagnostics/kvrinfoformat.h"
#include "kvrdata/kvrstruct.h"
#include "fuzzinput.h"

namespace {

using kvr::commserver::Bytes;
using kvr::commserver::HResult;

// A fake clock that moves when the client waits for an answer that is not there, so every
// transfer ends.
class TimedServer : public kvr::commserver::FakeCommServer {
public:
    explicit TimedServer(std::uint64_t& Clock) : Clock(Clock) {}
    HResult ReadBlockEx2(std::int32_t H, std::int32_t TimeOut, Bytes& B, std::int32_t& Result) override
    {
        const HResult Hr = FakeCommServer::ReadBlockEx2(H, TimeOut, B, Result);
        if (Hr >= 0 && Result == kvr::commserver::ResultNothingQueued)
            Clock += static_cast<std::uint64_t>(std::max(TimeOut, 1));
        return Hr;
    }

private:
    std::uint64_t& Clock;
};

class Host : public kvr::client::IServerHost {
public:
    explicit Host(std::shared_ptr<TimedServer> Server) : Server(std::move(Server)) {}
    HResult CreateLocal(std::shared_ptr<kvr::commserver::ICommServer>& Out) override
    {
        Out = Server;
        return 0;
    }
    HResult CreateRemote(const std::string&, std::shared_ptr<kvr::commserver::ICommServer>& Out) override
    {
        Out = Server;
        return 0;
    }
    std::string RegisteredCommandLine() override { return "/opt/kvr/rurez"; }
    std::string InstallFolder() override { return "/nonexistent/"; }
    std::string TempFolder() override { return "/nonexistent/"; }
    bool WriteServerImage(const std::string&) override { return false; }
    void RunRegistration(const std::string&) override {}
    bool ServerRunning() override { return false; }
    void DebugOutput(const std::string&) override {}
    void Terminate() override {}

private:
    std::shared_ptr<TimedServer> Server;
};

// The device's answers to one block: a count, then per answer how its ID relates to the
// request, its length and its bytes.
void Answer(FuzzScript& In, TimedServer& Server, std::int32_t H, const Kvrdata_ns::KVRCANBlock& Request)
{
    const unsigned Count = In.Next() % 4;
    for (unsigned i = 0; i < Count; ++i) {
        const std::uint8_t How = In.Next();
        Kvrdata_ns::KVRCANBlock A;
        switch (How % 4) {
        case 0:
        case 1:
            A.ID = Request.ID;
            break;
        case 2:
            A.ID = Request.ID + static_cast<std::uint32_t>(static_cast<std::int8_t>(In.Next()));
            break;
        default:
            A.ID = static_cast<std::uint32_t>(In.Next()) << 24 | static_cast<std::uint32_t>(In.Next()) << 16
                | static_cast<std::uint32_t>(In.Next()) << 8 | In.Next();
        }
        A.Len = static_cast<std::uint8_t>(How >> 4 > 8 ? 8 : How >> 4);
        for (std::size_t b = 0; b < A.Len; ++b)
            A.Data[b] = In.Next();
        Bytes V;
        Kvrdata_ns::CANBlockToVariant(A, V);
        Server.deliverBlock(H, V);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    static const bool Quiet = [] {
        InfoFormatter->SetMessagePresenter([](int, const std::string&, unsigned, const std::string&) { return static_cast<int>(mrOk); });
        return true;
    }();
    (void)Quiet;
    kvr::client::ClientModuleState() = {};

    FuzzScript In{data + 1, size - 1};
    std::uint64_t Clock = 10'000'000;
    auto Server = std::make_shared<TimedServer>(Clock);
    kvr::client::TClientServices S;
    S.Now = [&Clock] { return Clock; };
    S.ProcessMessages = [&Clock] { Clock += 1; };
    S.Sleep = [&Clock](unsigned Ms) { Clock += Ms; };
    S.Host = std::make_shared<Host>(Server);
    TKVRCommunicationClient Client(nullptr, S);
    Client.SetHostIP(0x7F000001);
    if (!Client.OpenTCPConnection())
        return 0;
    Server->onSendBlock = [&](std::int32_t H, const Bytes& B) {
        Kvrdata_ns::KVRCANBlock CB;
        Bytes Copy = B;
        Kvrdata_ns::VariantToCANBlock(Copy, CB);
        Answer(In, *Server, H, CB);
    };

    kvr::client::ConfigTransfer Transfer(Client);
    switch (data[0] % 4) {
    case 0:
    case 1: {
        Kvrdata_ns::TMemoryStream Stream(std::vector<std::uint8_t>{1, 2, 3});
        if (Transfer.ReadConfig(Stream, data[0] & 1) != 0 && Stream.Bytes() != std::vector<std::uint8_t>{1, 2, 3})
            __builtin_trap(); // a failed read changed the caller's stream
        break;
    }
    case 2: {
        std::vector<std::uint8_t> Buffer(8 * (data[0] >> 2), 0xEE);
        Transfer.LoadStatusInfo(0x42, Buffer);
        break;
    }
    default: {
        std::vector<std::uint8_t> Image(64000, 0xA5);
        if (Transfer.LoadFromTarget(Image.data()) == 0
            && std::any_of(Image.begin(), Image.end(), [](std::uint8_t B) { return B != 0xA5; }))
            __builtin_trap(); // a failed read changed the caller's image
        Transfer.GetConfigTime();
        break;
    }
    }
    return 0;
}
