#pragma once
// A maintenance frame whose client talks to the fake server, on the fake clock of the client
// tests, with its settings in memory and its messages recorded.

#include <gtest/gtest.h>

#include "client/clientfixture.h"
#include "platform/settingsstore.h"
#include "service/maintenance/maintenanceframe.h"
#include "service/maintenance/serviceactions.h"
#include "service/statusmsg.h"

namespace servicetest {

class FrameTest : public clienttest::ClientTest {
protected:
    void SetUp() override
    {
        clienttest::ClientTest::SetUp();
        InfoFormatter->SetMessagePresenter([this](int, const std::string&, unsigned Code, const std::string& Buttons) {
            Shown.push_back(Code);
            Buttons_.push_back(Buttons);
            if (Answers.empty())
                return 0;
            const int a = Answers.front();
            Answers.pop_front();
            return a;
        });
    }
    void TearDown() override
    {
        Actions.reset();
        Frame.reset();
        clienttest::ClientTest::TearDown();
    }

    kvr::service::MaintenanceFrame& MakeFrame()
    {
        kvr::service::TMaintenanceServices s;
        s.Tick = [this] { return static_cast<std::uint32_t>(Clock.T); };
        s.ProcessMessages = [this] {
            Clock.T += 1;
            if (OnPump)
                OnPump();
        };
        s.DateTimeText = [] { return std::string("now"); };
        s.LogStamp = [] { return std::string("T"); };
        s.ConnectionDialog = [this](TDeviceAddr& Addr) {
            Addr = DialogAddr;
            return DialogResult;
        };
        s.Settings = &Store;
        Frame = std::make_unique<kvr::service::MaintenanceFrame>(std::make_unique<TKVRCommunicationClient>(nullptr, Services()),
                                                                 std::move(s));
        Actions = std::make_unique<kvr::service::ServiceActions>(*Frame);
        return *Frame;
    }

    // The devices broadcast, and the frame takes them in one refresh.
    void Broadcast(const std::vector<Status>& Devices)
    {
        std::vector<Kvrdata_ns::TUDPMsg> msgs;
        for (const Status& d : Devices)
            msgs.push_back(StatusMsg(d));
        Server->setBroadcasts(Collection(msgs));
        Frame->RefreshDeviceList();
    }

    kvr::service::TModuleNode* DeviceNode(std::size_t I) { return Frame->Tree().Roots().at(I).get(); }
    kvr::service::TModuleNode* ModuleNode(std::size_t Device, std::size_t I)
    {
        return DeviceNode(Device)->Children.at(I).get();
    }
    // A card node under a module, as reading the cards adds them.
    kvr::service::TModuleNode* AddCard(kvr::service::TModuleNode* Module, int CardType, int Slot)
    {
        return Frame->Tree().AddTreeNode(Module, Module->Rec.Address, CardType, 0, Module->Rec.Device, Slot, "card");
    }

    std::size_t Opens() const { return CallCount(kvr::commserver::RpcMethod::OpenConnection); }
    std::int32_t FrameHandle() const { return Frame->KVRCC().GetClientHandle(); }
    std::vector<Kvrdata_ns::KVRCANBlock> SentBlocks() const
    {
        std::vector<Kvrdata_ns::KVRCANBlock> out;
        for (const auto& b : Server->sentBlocks(FrameHandle()))
            out.push_back(clienttest::BlockOf(b));
        return out;
    }

    std::deque<int> Answers;          // the buttons the user presses, in order
    std::vector<std::string> Buttons_; // the buttons each message offered
    kvr::platform::MemorySettingsStore Store;
    TDeviceAddr DialogAddr;
    int DialogResult = 2;
    std::unique_ptr<kvr::service::MaintenanceFrame> Frame;
    std::unique_ptr<kvr::service::ServiceActions> Actions;
};

inline Status Device(std::uint32_t Serial, std::vector<Module> Modules, std::uint32_t IP = 0x7F000002)
{
    Status s;
    s.Serial = Serial;
    s.Modules = std::move(Modules);
    s.IP = IP;
    return s;
}

} // namespace servicetest
