// The one-shot service commands: what each sends, the questions, and the refusals.

#include "service/framefixture.h"

#include "service/maintenance/mtnmessages.h"

namespace {

using namespace kvr::service;
using namespace servicetest;
using kvr::commserver::RpcMethod;

struct Sent {
    std::uint32_t ID;
    std::vector<std::uint8_t> Data;
    bool operator==(const Sent&) const = default;
};

std::ostream& operator<<(std::ostream& Out, const Sent& S)
{
    Out << std::hex << S.ID << std::dec << '[';
    for (auto b : S.Data)
        Out << int(b) << ' ';
    return Out << ']';
}

enum class Node { None, Device, Module, Card };

class ServiceCommands : public FrameTest {
protected:
    // Three modules, the focus on the node asked for, connected.
    void Prepare(Node Where)
    {
        Store.writeString(kvr::platform::DefinitionKey, "Kolm", "KOLM");
        MakeFrame();
        Broadcast({Device(0x1234, {{0x0101, 2, 0}, {0x0202, 4, 0}, {0x0303, 3, 0}})});
        TModuleNode* module = ModuleNode(0, 1);
        TModuleNode* card = AddCard(module, 8, 4);
        Frame->SetFocus(Where == Node::Device ? DeviceNode(0) : Where == Node::Module ? module : Where == Node::Card ? card : nullptr);
        Server->onSendBlock = nullptr;
        Mark = Server->sentBlocks(FrameHandle()).size();
    }
    std::vector<Sent> SentSinceMark()
    {
        std::vector<Sent> out;
        const auto all = SentBlocks();
        for (std::size_t i = Mark; i < all.size(); ++i)
            out.push_back({all[i].ID, std::vector<std::uint8_t>(all[i].Data.begin(), all[i].Data.begin() + all[i].Len)});
        return out;
    }
    std::size_t Mark = 0;
};

TEST_F(ServiceCommands, EachCommandSendsItsBlocks)
{
    struct Case {
        const char* name;
        Node where;
        std::function<void(ServiceActions&)> run;
        std::deque<int> answers;
        std::vector<Sent> sent;
        std::vector<unsigned> asked;
    };
    const std::vector<Case> cases = {
        {"reset device", Node::Module, [](auto& a) { a.ResetDevice(); }, {}, {{0x0103FFFF, {}}}, {}},
        {"reset module", Node::Module, [](auto& a) { a.ResetModule(); }, {}, {{0x01030202, {}}}, {}},
        {"reset from card", Node::Card, [](auto& a) { a.ResetModule(); }, {}, {{0x01030202, {}}}, {}},
        {"reset module on device", Node::Device, [](auto& a) { a.ResetModule(); }, {}, {{0x0103FFFF, {}}}, {}},
        {"testmode on", Node::Module, [](auto& a) { a.LampTest(true); }, {}, {{0x01F20202, {1}}}, {}},
        {"testmode off", Node::Module, [](auto& a) { a.LampTest(false); }, {}, {{0x01F20202, {0}}}, {}},
        {"hour meter", Node::Card, [](auto& a) { a.ResetHourMeter(); }, {}, {{0x01FA0202, {}}}, {}},
        {"hour meter device", Node::Device, [](auto& a) { a.ResetHourMeter(); }, {}, {{0x01FAFFFF, {}}}, {}},
        {"module id 12", Node::Module, [](auto& a) { a.SetModuleID(11); }, {}, {{0x01FE0202, {11}}}, {}},
        {"clear params", Node::Device, [](auto& a) { a.ClearParamMem(); }, {mrYes}, {{0x111CFFFF, {9}}}, {mmClearParamQuestion}},
        {"clear params no", Node::Device, [](auto& a) { a.ClearParamMem(); }, {mrNo}, {}, {mmClearParamQuestion}},
        {"save setup 0", Node::Device, [](auto& a) { a.SaveSetup0(); }, {mrYes}, {{0x111C0000, {11, 0}}}, {mmSaveSetup0Question}},
        {"save setup 0 no", Node::Device, [](auto& a) { a.SaveSetup0(); }, {mrNo}, {}, {mmSaveSetup0Question}},
        {"save setups 1-6", Node::Device, [](auto& a) { a.SaveSetup1_6(); }, {mrYes},
         {{0x111C0000, {11, 1}}, {0x111C0000, {11, 2}}, {0x111C0000, {11, 3}}, {0x111C0000, {11, 4}}, {0x111C0000, {11, 5}},
          {0x111C0000, {11, 6}}},
         {mmSaveSetupQuestion}},
        {"save setup on a module", Node::Module, [](auto& a) { a.SaveSetup0(); }, {}, {}, {}},
        {"848L", Node::Card, [](auto& a) { a.SwitchMLCard(); }, {}, {{0x01200202, {0x90, 0, 1, 0, 100}}}, {}},
        {"848L on a module", Node::Module, [](auto& a) { a.SwitchMLCard(); }, {}, {}, {}},
        {"delete mixer names cancelled", Node::None, [](auto& a) { a.DeleteMixerSetupNames(); }, {mrCancel}, {},
         {mmDeleteMixerNamesQuestion}},
        {"dhcp no", Node::None, [](auto& a) { a.SetDHCP(); }, {mrNo}, {}, {mmDHCPQuestion}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare(c.where);
        Answers = c.answers;
        Shown.clear();
        c.run(*Actions);
        EXPECT_EQ(SentSinceMark(), c.sent);
        EXPECT_EQ(Shown, c.asked);
        EXPECT_TRUE(Answers.empty());
        Actions.reset();
        Frame.reset();
        Store = {};
    }
}

TEST_F(ServiceCommands, RefusalsWhileNotConnected)
{
    struct Case {
        const char* name;
        Node where;
        std::function<void(ServiceActions&)> run;
        std::vector<unsigned> shown;
    };
    const std::vector<Case> cases = {
        {"reset", Node::Module, [](auto& a) { a.ResetDevice(); }, {mmResetFailed}},
        {"testmode", Node::Module, [](auto& a) { a.LampTest(true); }, {mmLamptestFailed}},
        {"clear params", Node::Device, [](auto& a) { a.ClearParamMem(); }, {mmClearParamFailed}},
        {"hour meter", Node::Module, [](auto& a) { a.ResetHourMeter(); }, {mmResetHourMeterFailed}},
        {"module id", Node::Module, [](auto& a) { a.SetModuleID(0); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare(c.where);
        Frame->KVRCC().Tag = 0; // the frame's flag decides; the client is still connected
        Shown.clear();
        c.run(*Actions);
        EXPECT_EQ(Shown, c.shown);
        EXPECT_TRUE(SentSinceMark().empty());
        Actions.reset();
        Frame.reset();
        Store = {};
    }
}

TEST_F(ServiceCommands, SavesAndTheCardSwitchGoOutWhateverTheConnectedFlag)
{
    Prepare(Node::Device);
    Frame->KVRCC().Tag = 0;
    Answers = {mrYes};
    Actions->SaveSetup1_6();
    EXPECT_EQ(SentSinceMark().size(), 6u);
}

TEST_F(ServiceCommands, TestmodeIsKeptEvenWhenNotSent)
{
    Prepare(Node::Module);
    TModuleNode* module = Frame->Focused();
    Actions->LampTest(true);
    EXPECT_EQ(module->Rec.TestMode, 1);
    Frame->KVRCC().Tag = 0;
    Actions->LampTest(false);
    EXPECT_EQ(module->Rec.TestMode, 0);
    EXPECT_EQ(Shown.back(), mmLamptestFailed);
    Frame->KVRCC().Tag = 1;
    Actions->LampTest(true);
    Frame->SetFocus(DeviceNode(0));
    Frame->SetFocus(module);
    EXPECT_TRUE(Frame->Item("LampTestActn").Checked);
}

TEST_F(ServiceCommands, DeviceResetClosesTheConnectionAfterItsWait)
{
    Prepare(Node::Device);
    const std::uint64_t before = Clock.T;
    Actions->ResetDevice();
    EXPECT_GE(Clock.T - before, 3u * 80u) << "Retries x 80 ms";
    EXPECT_FALSE(Frame->Connected());
    EXPECT_EQ(Frame->Focused(), nullptr);
    EXPECT_FALSE(Server->isConnected(FrameHandle()));
    EXPECT_EQ(Frame->Tree().Roots().size(), 1u) << "the device stays in the tree";

    // A module reset keeps it.
    Frame->SetFocus(ModuleNode(0, 0));
    ASSERT_TRUE(Frame->Connected());
    Actions->ResetModule();
    EXPECT_TRUE(Frame->Connected());
}

TEST_F(ServiceCommands, DeletesStopAtTheFirstFailure)
{
    Prepare(Node::Device);
    // Channel setup n sends a chunk and a store block; the third store fails.
    Server->scriptResults(RpcMethod::SendBlock, {0, 0, 0, 0, 0, kvr::commserver::ResultNoConnection});
    Answers = {mrOk};
    Actions->DeleteChannelSetups();
    EXPECT_EQ(Shown, (std::vector<unsigned>{mmDeleteChannelSetupsQuestion, mmDeleteChannelSetupsFailed}));
    EXPECT_EQ(Buttons_.front(), "OC");
    const auto sent = SentSinceMark();
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[3].ID >> 16, 0x1142u);
    EXPECT_EQ(sent[3].Data, (std::vector<std::uint8_t>{12, 2, 0, 4}));
}

TEST_F(ServiceCommands, DeleteMixerSetupNamesAllSix)
{
    Prepare(Node::Device);
    Answers = {mrOk};
    Actions->DeleteMixerSetupNames();
    EXPECT_EQ(Shown, (std::vector<unsigned>{mmDeleteMixerNamesQuestion}));
    const auto sent = SentSinceMark();
    EXPECT_EQ(sent.size(), 12u) << "two name parts for each of the six";
    EXPECT_TRUE(std::all_of(sent.begin(), sent.end(), [](const Sent& s) { return s.ID >> 16 == 0x112F; }));
}

TEST_F(ServiceCommands, SetDHCPGoesToEveryDeviceAndNeedsNoNode)
{
    Prepare(Node::None);
    Answers = {mrYes};
    Actions->SetDHCP();
    EXPECT_EQ(Shown, (std::vector<unsigned>{mmDHCPQuestion}));
    const auto& calls = Server->calls();
    const auto it = std::find_if(calls.begin(), calls.end(), [](const auto& c) { return c.method == RpcMethod::SendUDPBlock; });
    ASSERT_NE(it, calls.end());
    const auto& b = it->bytes;
    ASSERT_GE(b.size(), 176u);
    EXPECT_EQ(kvr::readLE32(b, 0), 0xFFFFFFFFu);
    EXPECT_EQ(kvr::readLE32(b, 8), 0x23011968u);
    EXPECT_EQ(kvr::readLE32(b, 172), 4u);
    EXPECT_TRUE(std::all_of(b.begin() + 12, b.begin() + 172, [](auto v) { return v == 0; }));
}

TEST_F(ServiceCommands, CommandsThatWaitDoNotNest)
{
    Prepare(Node::Module);
    int inner = -1;
    // A second reset pressed while the first waits is kept out.
    OnPump = [&] {
        if (inner == -1) {
            inner = static_cast<int>(SentSinceMark().size());
            Actions->ResetModule();
        }
    };
    Actions->ResetModule();
    OnPump = nullptr;
    EXPECT_EQ(SentSinceMark().size(), 1u);
}

} // namespace
