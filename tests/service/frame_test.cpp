// The frame: devices into the tree, the connection that follows the focus, the menu states by
// node and the access code.

#include "service/framefixture.h"
#include "service/maintenance/mtnmessages.h"

namespace {

using namespace kvr::service;
using namespace servicetest;

const std::vector<Module> Modules3 = {{1001, 2, 0}, {1002, 3, 1}, {1003, 4, 0}};

TEST_F(FrameTest, BroadcastsBecomeDevicesWithTheirModules)
{
    MakeFrame();
    Broadcast({Device(0x1234, Modules3), Device(0x5678, {{7, 31, 0}}, 0x7F000003)});
    ASSERT_EQ(Frame->Tree().Roots().size(), 2u);
    EXPECT_EQ(Frame->NodeText(*DeviceNode(0)), "ABCD - EMU1 - 001234");
    ASSERT_EQ(DeviceNode(0)->Children.size(), 3u);
    EXPECT_EQ(Frame->NodeText(*ModuleNode(0, 1)), "KX730-010  #C2  PN: 1002");
    EXPECT_EQ(Frame->StatusPanels()[spTime], "now");

    // A changed module list rebuilds the children and keeps the expansion.
    DeviceNode(0)->Expanded = true;
    const unsigned generation = Frame->Tree().Generation();
    Broadcast({Device(0x1234, {{1001, 2, 0}}), Device(0x5678, {{7, 31, 0}}, 0x7F000003)});
    EXPECT_NE(Frame->Tree().Generation(), generation);
    EXPECT_EQ(DeviceNode(0)->Children.size(), 1u);
    EXPECT_TRUE(DeviceNode(0)->Expanded);

    const unsigned unchanged = Frame->Tree().Generation();
    Broadcast({Device(0x1234, {{1001, 2, 0}}), Device(0x5678, {{7, 31, 0}}, 0x7F000003)});
    EXPECT_EQ(Frame->Tree().Generation(), unchanged) << "an unchanged broadcast rebuilds nothing";
}

TEST_F(FrameTest, FocusConnectsOncePerDevice)
{
    MakeFrame();
    Broadcast({Device(0x1234, Modules3), Device(0x5678, Modules3, 0x7F000003)});
    ASSERT_TRUE(Frame->SetFocus(ModuleNode(0, 0)));
    EXPECT_EQ(Opens(), 1u);
    EXPECT_TRUE(Frame->Connected());
    EXPECT_EQ(Frame->StatusPanels()[spConnection], "Connected");

    Frame->SetFocus(ModuleNode(0, 2));
    Frame->SetFocus(DeviceNode(0));
    EXPECT_EQ(Opens(), 1u) << "no reconnect between nodes of one device";

    Frame->SetFocus(ModuleNode(1, 0));
    EXPECT_EQ(Opens(), 2u);

    // Not connected, a move within the device retries; focus to no node leaves an open
    // connection open.
    Frame->KVRCC().Tag = 0;
    Frame->SetFocus(ModuleNode(1, 1));
    EXPECT_EQ(Opens(), 3u);
    EXPECT_TRUE(Frame->Connected());
    Frame->SetFocus(nullptr);
    EXPECT_TRUE(Frame->Connected());
    EXPECT_TRUE(Server->isConnected(FrameHandle()));
}

TEST_F(FrameTest, RefusedConnectionShowsNotConnected)
{
    MakeFrame();
    Broadcast({Device(0x1234, Modules3)});
    Server->scriptResults(kvr::commserver::RpcMethod::OpenConnection, {kvr::commserver::ResultNoConnection});
    Frame->SetFocus(ModuleNode(0, 0));
    EXPECT_FALSE(Frame->Connected());
    EXPECT_EQ(Frame->StatusPanels()[spConnection], "Not Connected");
    EXPECT_EQ(Frame->CurrentDevice(), "");
}

TEST_F(FrameTest, ExpiredDeviceTakesTheFocusButNotTheConnection)
{
    MakeFrame();
    Broadcast({Device(0x1234, Modules3)});
    Frame->SetFocus(ModuleNode(0, 1));
    ASSERT_TRUE(Frame->Connected());
    Broadcast({Device(0x1234, Modules3)}); // seen now
    Clock.T += 4000;
    Broadcast({});
    EXPECT_EQ(Frame->Tree().Roots().size(), 1u) << "not yet";
    Clock.T += 1500;
    Broadcast({});
    EXPECT_TRUE(Frame->Tree().Roots().empty());
    EXPECT_TRUE(Frame->Devices().Entries().empty());
    EXPECT_EQ(Frame->Focused(), nullptr);
    EXPECT_FALSE(Frame->Item("ResetDeviceActn").Enabled);
    EXPECT_TRUE(Frame->Connected());
}

TEST_F(FrameTest, ChangedModulesTakeAFocusedModuleAway)
{
    MakeFrame();
    Broadcast({Device(0x1234, Modules3)});
    Frame->SetFocus(ModuleNode(0, 2));
    Broadcast({Device(0x1234, {{1001, 2, 0}})});
    EXPECT_EQ(Frame->Focused(), nullptr);
    EXPECT_TRUE(Frame->Connected());
}

TEST_F(FrameTest, ItemStatesFollowTheFocusedNode)
{
    MakeFrame();
    Broadcast({Device(0x1234, {{1, 2, 0}, {2, 4, 0}, {3, 31, 0}, {4, 11, 0}, {5, 3, 0}})});
    auto on = [this](const char* name) { return Frame->Item(name).Enabled && Frame->Item(name).Visible; };

    EXPECT_FALSE(Frame->Item("ResetDeviceActn").Enabled) << "no node";
    EXPECT_FALSE(Frame->Item("ModulesMnu").Visible);

    Frame->SetFocus(DeviceNode(0));
    EXPECT_TRUE(on("ResetDeviceActn"));
    EXPECT_TRUE(on("SaveSetup1_6Actn"));
    EXPECT_FALSE(Frame->Item("LampTestActn").Visible);
    EXPECT_FALSE(Frame->Item("SetModuleIDActn").Visible);
    EXPECT_FALSE(Frame->Item("InformationPopUp").Enabled);
    EXPECT_TRUE(Frame->Item("ModuleResetPopUp").Enabled);
    EXPECT_EQ(Frame->StatusPanels()[spNode], "ABCD - EMU1 - 001234");
    EXPECT_EQ(Frame->StatusPanels()[spAddress], "127.0.0.2");

    Frame->SetFocus(ModuleNode(0, 0)); // type 2: ID items 1-10
    EXPECT_TRUE(on("LampTestActn"));
    EXPECT_FALSE(Frame->Item("SaveSetup1_6Actn").Enabled);
    EXPECT_TRUE(Frame->Item("ID10").Visible);
    EXPECT_FALSE(Frame->Item("ID_11").Visible);
    EXPECT_FALSE(Frame->Item("GetCardsActn").Visible);
    EXPECT_FALSE(Frame->Item("AdjustContrastPopUp").Visible);

    Frame->SetFocus(ModuleNode(0, 1)); // type 4: ID items 1-3, cards
    EXPECT_TRUE(Frame->Item("ID3").Visible);
    EXPECT_FALSE(Frame->Item("ID4").Visible);
    EXPECT_TRUE(on("GetCardsActn"));

    Frame->SetFocus(ModuleNode(0, 2)); // type 31: contrast, IDs left as they were
    EXPECT_TRUE(Frame->Item("AdjustContrastPopUp").Visible);
    EXPECT_TRUE(Frame->Item("AdjustContrastMnu").Enabled);
    EXPECT_FALSE(Frame->Item("ID4").Visible);

    Frame->SetFocus(ModuleNode(0, 4)); // type 3: all twelve
    EXPECT_TRUE(Frame->Item("ID_12").Visible);

    Frame->SetFocus(ModuleNode(0, 3)); // type 11: no module IDs
    EXPECT_FALSE(Frame->Item("SetModuleID1").Visible);
    EXPECT_FALSE(Frame->Item("SetModuleIDMnu").Enabled);

    TModuleNode* card = AddCard(ModuleNode(0, 1), 8, 3);
    Frame->SetFocus(card);
    EXPECT_FALSE(Frame->Item("LampTestActn").Visible);
    EXPECT_FALSE(Frame->Item("SetModuleID1").Visible);
    EXPECT_TRUE(Frame->Item("InformationPopUp").Enabled);
    EXPECT_FALSE(Frame->Item("SwitchMLCard").Visible) << "the service flag is off";
}

TEST_F(FrameTest, AccessCodeShowsTheServiceActions)
{
    struct Case {
        std::optional<std::string> value;
        bool granted;
    } const cases[] = {{std::nullopt, false}, {"KOLM", true}, {"kolm", false}, {"KOLM ", false}};
    for (const Case& c : cases) {
        Store = {};
        if (c.value)
            Store.writeString(kvr::platform::DefinitionKey, "KOLM", *c.value); // names match in any case
        MakeFrame();
        EXPECT_EQ(Frame->ServiceFlag(), c.granted);
        for (const char* name : {"ResetHourMeterActn", "SetDHCPActn", "ShowInternalCANActn", "SwitchMLCard"})
            EXPECT_EQ(Frame->Item(name).Visible, c.granted) << name;
        Actions.reset();
        Frame.reset();
    }
}

TEST_F(FrameTest, ServiceFlagShowsTheMLCardSwitchOnType8Cards)
{
    Store.writeString(kvr::platform::DefinitionKey, "Kolm", "KOLM");
    MakeFrame();
    Broadcast({Device(0x1234, Modules3)});
    Frame->SetFocus(AddCard(ModuleNode(0, 2), 8, 9));
    EXPECT_TRUE(Frame->Item("SwitchMLCard").Visible);
    EXPECT_TRUE(Frame->Item("ShowInternalCANActn").Enabled);
    Frame->SetFocus(AddCard(ModuleNode(0, 2), 9, 10));
    EXPECT_FALSE(Frame->Item("SwitchMLCard").Visible);
}

TEST_F(FrameTest, ClientStatusSetsTheConnectedFlag)
{
    MakeFrame();
    Broadcast({Device(0x1234, Modules3)});
    Frame->SetFocus(DeviceNode(0));
    ASSERT_TRUE(Frame->Connected());
    Frame->KVRCC().SetStatus(dcsNotConnected);
    EXPECT_FALSE(Frame->Connected());
    EXPECT_EQ(Frame->StatusPanels()[spConnection], "Not Connected");
    Frame->SetProtocol(true);
    Frame->KVRCC().SetStatus(dcsConnected);
    EXPECT_TRUE(Frame->Connected());
    const auto& calls = Server->calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().method, kvr::commserver::RpcMethod::SetLogging);
    EXPECT_EQ(calls.back().numbers.at(0), 1);
}

TEST_F(FrameTest, RefreshAllDevicesEndsOnTheDeviceItStartedFrom)
{
    MakeFrame();
    Broadcast({Device(0x1234, Modules3), Device(0x5678, Modules3, 0x7F000003)});
    Frame->SetFocus(ModuleNode(1, 0));
    const std::size_t before = Opens();
    Frame->RefreshAllDevices();
    EXPECT_EQ(Frame->Focused(), DeviceNode(1));
    EXPECT_EQ(Opens(), before + 2) << "each device once; the last one is where it started";
}

TEST_F(FrameTest, AddAndCloseDevice)
{
    MakeFrame();
    DialogResult = 1;
    DialogAddr.CK = Kvrdata_ns::dckFixedIP;
    DialogAddr.IP = 0x0A000005;
    Frame->AddDevice();
    EXPECT_EQ(CallCount(kvr::commserver::RpcMethod::AddKnownDevice), 1u);
    DialogAddr.CK = Kvrdata_ns::dckBroadcast;
    Frame->AddDevice();
    EXPECT_EQ(CallCount(kvr::commserver::RpcMethod::AddKnownDevice), 1u) << "a device found by broadcast needs none";
    Server->scriptResults(kvr::commserver::RpcMethod::AddKnownDevice, {kvr::commserver::ResultInvalidArgument});
    DialogAddr.CK = Kvrdata_ns::dckFixedIP;
    Frame->AddDevice();
    EXPECT_EQ(Shown, (std::vector<unsigned>{mmCouldNotConnect}));

    Broadcast({Device(0x1234, Modules3)});
    Frame->SetFocus(ModuleNode(0, 1));
    Frame->CloseDevice();
    EXPECT_TRUE(Frame->Tree().Roots().empty());
    EXPECT_TRUE(Frame->Devices().Entries().empty());
    EXPECT_FALSE(Frame->Connected());
    EXPECT_EQ(CallCount(kvr::commserver::RpcMethod::RemoveKnownDevice), 1u);
}

TEST_F(FrameTest, OpenInEditorOpensTheServerLogWhenThereIsOne)
{
    std::vector<std::string> opened;
    std::string log;
    MakeFrame();
    // Rebuilt with the two services.
    kvr::service::TMaintenanceServices s;
    s.ServerLogFile = [&log] { return log; };
    s.OpenFile = [&opened](const std::string& Path) { opened.push_back(Path); };
    s.Settings = &Store;
    Actions.reset();
    Frame = std::make_unique<MaintenanceFrame>(std::make_unique<TKVRCommunicationClient>(nullptr, Services()), s);
    Frame->ShowFile();
    EXPECT_TRUE(opened.empty());
    log = "/run/kvr/rurez.log";
    Frame->ShowFile();
    EXPECT_EQ(opened, (std::vector<std::string>{"/run/kvr/rurez.log"}));
}

} // namespace
