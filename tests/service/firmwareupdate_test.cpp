// Update files and the update itself on the fake server.

#include "service/framefixture.h"

#include "service/firmware/firmwareupdate.h"
#include "service/maintenance/mtnmessages.h"
#include "service/updatefile.h"

namespace {

using namespace kvr::service;
using namespace servicetest;

TEST(UpdateFile, KindsChecksumsAndVersions)
{
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        int kind; // -1: no update file
        std::uint32_t version;
    };
    auto odd = UpdateFileBytes(3);
    odd.pop_back();
    const std::vector<Case> cases = {
        {"device", UpdateFileBytes(3, 1), ukDevice, 0x0401000C},
        {"panel", UpdateFileBytes(3, 2), ukPanel, 0x0401000C},
        {"wrong sum", UpdateFileBytes(3, 1, 0x0401000C, 8, 1), -1, 0},
        {"short", std::vector<std::uint8_t>(15, 0), -1, 0},
        {"odd size", odd, -1, 0},
        {"trailer Len 4", UpdateFileBytes(3, 1, 0x0401000C, 4), ukDevice, 0},
        {"trailer only", UpdateFileBytes(0, 1), ukDevice, 0x0401000C},
    };
    for (const Case& c : cases) {
        const auto file = ParseUpdateFile(c.bytes);
        if (c.kind < 0) {
            EXPECT_FALSE(file) << c.name;
            continue;
        }
        ASSERT_TRUE(file) << c.name;
        EXPECT_EQ(file->Kind, c.kind) << c.name;
        EXPECT_EQ(file->Version, c.version) << c.name;
    }
    const auto file = ParseUpdateFile(UpdateFileBytes(2));
    ASSERT_EQ(file->Blocks.size(), 3u);
    EXPECT_EQ(file->Blocks[1].ID, 0x19600001u);
    EXPECT_EQ(file->Blocks[1].Data[0], 208);
}

TEST(UpdateFile, TextsAndDeviceKinds)
{
    EXPECT_EQ(ModuleVersionText({0x0401000C, 0x0401000C}), "04.01.00.12");
    EXPECT_EQ(ModuleVersionText({0x0401000C, 0x0401000D}), "different versions");
    EXPECT_EQ(ModuleVersionText({0xFFFFFFFF}), "unknown");
    EXPECT_EQ(ModuleVersionText({0}), "unknown");
    for (auto [type, kind] : {std::pair{0, 0}, {1, 0}, {5, 0}, {2, 1}, {29, 1}, {30, 2}, {32, 2}})
        EXPECT_EQ(DeviceKindOfModuleType(type), kind) << type;
    EXPECT_EQ(UpdateInfoText(1, "04.01.00.12", 1, 0),
              "Current device type:\t KVR KX7300 device\nCurrent firmware version:\t 04.01.00.12\n\nUpdate file device type:\t KVR "
              "KX7300 device\nUpdate file firmware version:\t could not be detected\n\n");
}

class Update : public FrameTest {
protected:
    void Prepare(std::vector<Module> Modules = {{0x0101, 2, 0}, {0x0202, 4, 0}})
    {
        MakeFrame();
        Broadcast({Device(0x1234, Modules)});
        Frame->SetFocus(ModuleNode(0, 0));
        Up = std::make_unique<FirmwareUpdate>(*Frame);
        Up->ChooseFile = [] { return std::optional<std::string>("/fw/new.upd"); };
        Up->ReadFile = [this](const std::string&) { return std::optional<std::vector<std::uint8_t>>(File); };
        Up->Progress.CancelRequested = [this] { return Cancel; };
        Up->Progress.ClearCancel = [this] { Cancel = false; };
        Server->onSendBlock = [this](std::int32_t H, const kvr::commserver::Bytes& B) {
            const auto cb = clienttest::BlockOf(B);
            Sent.push_back(cb.ID);
            if (cb.ID >> 16 == 0x0600)
                Server->deliverBlock(H, clienttest::BlockBytes(cb.ID, 8, {2, 0, 0, 0, 4, 1, 0, 12}));
            else if ((cb.ID >> 16) == 0x1960 && cb.ID != Unacknowledged)
                Server->deliverBlock(H, clienttest::BlockBytes(cb.ID, 0));
            else if (cb.ID == BurnCommandID)
                for (const auto& [module, code] : Reports)
                    Server->deliverBlock(H, clienttest::BlockBytes(0x0F100000u | module, 8,
                                                                  {static_cast<std::uint8_t>(code >> 8), static_cast<std::uint8_t>(code)}));
        };
        Mark = Sent.size();
    }
    std::vector<std::uint32_t> RecordsSent() const
    {
        std::vector<std::uint32_t> out;
        for (auto id : Sent)
            if (id >> 16 == 0x1960)
                out.push_back(id);
        return out;
    }
    bool BurnSent() const { return std::find(Sent.begin(), Sent.end(), BurnCommandID) != Sent.end(); }
    void TearDown() override
    {
        Up.reset();
        FrameTest::TearDown();
    }

    std::unique_ptr<FirmwareUpdate> Up;
    std::vector<std::uint8_t> File = UpdateFileBytes(3);
    std::vector<std::uint32_t> Sent;
    std::vector<std::pair<std::uint16_t, std::uint16_t>> Reports = {{0x0101, 0x0301}, {0x0202, 0x0301}};
    std::uint32_t Unacknowledged = 0;
    bool Cancel = false;
    std::size_t Mark = 0;
};

TEST_F(Update, RecordsInOrderThenBurnAndRestart)
{
    Prepare();
    Answers = {mrYes, mrYes};
    Up->Execute();
    EXPECT_EQ(RecordsSent(), (std::vector<std::uint32_t>{0x19600000, 0x19600001, 0x19600002, 0x1960FFFF}));
    EXPECT_TRUE(BurnSent());
    EXPECT_EQ(Shown, (std::vector<unsigned>{mmText, mmRestartSystem}));
    EXPECT_EQ(Sent.back(), 0x0103FFFFu);
    EXPECT_FALSE(Frame->Connected());
    EXPECT_EQ(Frame->Focused(), DeviceNode(0)) << "the focus went up to the device";
}

// "Restart System" closes the connection: the status bar says so and forgets the last read's
// progress; a click on the device node, which keeps the focus, connects again, and the next
// update runs.
TEST_F(Update, AfterTheRestartAClickOnTheFocusedNodeConnectsAgain)
{
    Prepare();
    Frame->SetProgressText("collecting module information finished");
    Answers = {mrYes, mrYes};
    Up->Execute();
    ASSERT_EQ(Shown.back(), mmRestartSystem);
    EXPECT_FALSE(Frame->Connected());
    EXPECT_EQ(Frame->StatusPanels()[spConnection], "Not Connected");
    EXPECT_EQ(Frame->StatusPanels()[spProgress], "");
    EXPECT_EQ(Frame->KVRCC().GetStatus(), dcsNotConnected);
    const std::size_t opens = Opens();
    EXPECT_TRUE(Frame->SetFocus(DeviceNode(0)));
    EXPECT_EQ(Opens(), opens) << "the node had the focus: no focus change";
    Frame->FocusedNodeClicked();
    EXPECT_TRUE(Frame->Connected());
    EXPECT_EQ(Opens(), opens + 1);
    EXPECT_EQ(Frame->StatusPanels()[spConnection], "Connected");
    Frame->FocusedNodeClicked();
    EXPECT_EQ(Opens(), opens + 1) << "connected: a click changes nothing";

    Shown.clear();
    Answers = {mrNo};
    Up->Execute();
    EXPECT_EQ(Shown, (std::vector<unsigned>{mmText})) << "the update asks again instead of refusing";
}

TEST_F(Update, UnacknowledgedRecordStopsAndDoublesTheInterval)
{
    Prepare();
    Unacknowledged = 0x19600001;
    Answers = {mrYes};
    Up->Execute();
    EXPECT_EQ(Shown, (std::vector<unsigned>{mmText, mmUpdateIncomplete}));
    EXPECT_FALSE(BurnSent());
    EXPECT_EQ(Up->SendInterval, 40u);
    Unacknowledged = 0;
    Answers = {mrYes, mrNo};
    Up->Execute();
    EXPECT_TRUE(BurnSent());
    EXPECT_EQ(Up->SendInterval, 40u) << "kept for the run";
}

TEST_F(Update, CancelAsksAndNoGoesOn)
{
    Prepare();
    Cancel = true;
    Answers = {mrYes, mrNo, mrNo};
    Up->Execute();
    EXPECT_FALSE(Cancel) << "No clears the request";
    EXPECT_TRUE(BurnSent());
    EXPECT_EQ(RecordsSent().size(), 4u);

    Sent.clear();
    Cancel = true;
    Answers = {mrYes, mrYes};
    Shown.clear();
    Up->Execute();
    EXPECT_EQ(RecordsSent().size(), 1u);
    EXPECT_FALSE(BurnSent());
    EXPECT_EQ(Shown, (std::vector<unsigned>{mmText, mmCancelUpdate}));
}

TEST_F(Update, BurnOnlySendsNoRecord)
{
    Prepare();
    Up->BurnOnly = true;
    Answers = {mrYes, mrNo};
    Up->Execute();
    EXPECT_TRUE(RecordsSent().empty());
    EXPECT_TRUE(BurnSent());
}

TEST_F(Update, BurnReportsCountListedModulesOnceEach)
{
    struct Case {
        const char* name;
        std::vector<std::pair<std::uint16_t, std::uint16_t>> reports;
        bool restartAsked;
    } const cases[] = {
        {"all succeed", {{0x0101, 0x0301}, {0x0202, 0x0301}}, true},
        {"first report decides", {{0x0101, 0x0301}, {0x0101, 0x0300}, {0x0202, 0x0301}}, true},
        {"one fails", {{0x0101, 0x0300}, {0x0202, 0x0301}}, false},
        {"a stranger does not stand in for a silent module", {{0x0101, 0x0301}, {0x0999, 0x0301}}, false},
        {"one silent", {{0x0101, 0x0301}}, false},
        {"other codes are ignored", {{0x0101, 0x0301}, {0x0202, 0x0302}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare();
        Reports = c.reports;
        Answers = {mrYes, mrNo};
        Shown.clear();
        Up->Execute();
        EXPECT_EQ(Shown.back(), c.restartAsked ? mmRestartSystem : mmModuleUpdateFailed);
        Up.reset();
        Frame.reset();
        Store = {};
        Answers.clear();
    }
}

TEST_F(Update, RefusalsAndQuestions)
{
    Prepare({{0x0101, 31, 0}});
    Answers = {mrCancel};
    Up->Execute();
    EXPECT_EQ(Shown, (std::vector<unsigned>{mmText})) << "a device file for a panel is not compatible";
    EXPECT_EQ(Buttons_.back(), "C");
    EXPECT_TRUE(RecordsSent().empty());

    Shown.clear();
    File = UpdateFileBytes(3, 1, 0, 8, 5);
    Up->Execute();
    EXPECT_EQ(Shown, (std::vector<unsigned>{mmCorruptFile}));

    Shown.clear();
    Frame->KVRCC().Tag = 0;
    Up->Execute();
    EXPECT_EQ(Shown, (std::vector<unsigned>{mmUpdateNoConnection}));

    Shown.clear();
    Frame->SetFocus(nullptr);
    Up->Execute();
    EXPECT_EQ(Shown, (std::vector<unsigned>{mmSelectDevice}));
}

TEST_F(Update, UnknownDeviceSkipsTheCheckOrStopsOnAbort)
{
    Prepare({{0x0101, 5, 0}});
    File = UpdateFileBytes(2, 1, 0, 8, 7); // a wrong sum is not looked at
    Answers = {mrAbort};
    Up->Execute();
    EXPECT_EQ(Shown, (std::vector<unsigned>{mmChecksumSkipped, mmUpdateCanceled}));
    Shown.clear();
    Reports = {{0x0101, 0x0301}};
    Answers = {mrOk, mrYes, mrNo};
    Up->Execute();
    EXPECT_EQ(RecordsSent().size(), 3u);
    EXPECT_EQ(Shown.back(), mmRestartSystem);
}

} // namespace
