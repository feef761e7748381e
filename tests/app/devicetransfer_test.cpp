#include "app/devicetransfer.h"

#include <gtest/gtest.h>

#include <deque>

#include "../model/recordinghost.h"
#include "kvrdata/byteorder.h"
#include "model/project.h"
#include "platform/currentprompter.h"

using namespace kvr::app;
using kvr::platform::Answer;

namespace {

class FakeLink : public TransferLink {
public:
    bool ConnectionDialog(TDeviceAddr& Addr) override
    {
        Log.push_back("dialog");
        DialogAddr = Addr;
        return DialogOk;
    }
    bool Connected() override { return IsOpen; }
    bool OpenConnection(TDeviceAddr&) override
    {
        Log.push_back("open");
        IsOpen = OpenOk;
        return OpenOk;
    }
    void CloseConnection() override
    {
        Log.push_back("close");
        IsOpen = false;
    }
    bool GetDeviceInfos(unsigned& PID, unsigned& DID) override
    {
        PID = 0;
        DID = 0;
        if (!InfosOk)
            return false;
        PID = DevicePID;
        DID = DeviceDID;
        return true;
    }
    int LoadFromTarget(unsigned char* Image) override
    {
        Log.push_back("read");
        std::copy(DeviceImage.begin(), DeviceImage.end(), Image);
        return ReadOk ? static_cast<int>(DeviceImage.size()) : 0;
    }
    bool LoadToTarget(const unsigned char* Image, int Size) override
    {
        Log.push_back("write");
        if (WriteOk)
            DeviceImage.assign(Image, Image + Size);
        return WriteOk;
    }

    std::vector<std::string> Log;
    TDeviceAddr DialogAddr;
    bool DialogOk = true;
    bool OpenOk = true;
    bool IsOpen = false;
    bool InfosOk = true;
    bool ReadOk = true;
    bool WriteOk = true;
    unsigned DevicePID = 0;
    unsigned DeviceDID = 0;
    std::vector<std::uint8_t> DeviceImage;
};

class DeviceTransferTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto p = std::make_unique<kvr::platform::ScriptedPrompter>();
        prompter = p.get();
        kvr::platform::setPrompter(std::move(p));
        project.AddDevice();
        project.AddDevice();
        link.DevicePID = static_cast<unsigned>(project.GetProjectID());
        link.DeviceDID = project.Device(1)->GetDeviceID();
        TransferHost h;
        h.Processing = [this] { return processing; };
        h.Terminating = [] { return false; };
        h.ShowCheckList = [this] { link.Log.push_back("checklist"); };
        h.RebuildTree = [this] { link.Log.push_back("tree"); };
        h.TransferEnded = [this] { link.Log.push_back("ended"); };
        transfer = std::make_unique<DeviceTransfer>(link, h);
    }
    void TearDown() override
    {
        EXPECT_EQ(prompter->unexpected, 0);
        kvr::platform::setPrompter(nullptr);
    }

    std::vector<QString> Texts() const
    {
        std::vector<QString> t;
        for (const auto& r : prompter->records())
            t.push_back(r.text);
        return t;
    }

    // The image of a device of another project, with its own device ID.
    std::vector<std::uint8_t> ForeignImage(std::uint32_t DID)
    {
        kvr::model::TProject other;
        other.AddDevice();
        auto header = other.Device(0)->GetHeader();
        kvr::writeBE32(header, 78, DID);
        kvr::writeBE32(header, 12, 0x58595A41);
        other.Device(0)->SetHeader(header, false);
        return other.Device(0)->GetAllData();
    }

    kvr::model::test::RecordingHost host;
    kvr::model::TProject project;
    FakeLink link;
    kvr::platform::ScriptedPrompter* prompter = nullptr;
    std::unique_ptr<DeviceTransfer> transfer;
    bool processing = false;
};

using Log = std::vector<std::string>;

} // namespace

TEST_F(DeviceTransferTest, RootSelectedDoesNothing)
{
    EXPECT_EQ(transfer->LoadToDevice(&project, -1), TransferOutcome::Nothing);
    EXPECT_EQ(transfer->LoadFromDevice(&project, -1), TransferOutcome::Nothing);
    EXPECT_EQ(transfer->LoadToDevice(nullptr, 0), TransferOutcome::Nothing);
    EXPECT_TRUE(link.Log.empty());
    EXPECT_TRUE(prompter->records().empty());
}

TEST_F(DeviceTransferTest, OverLimitShowsTheCheckListOnlyWhenSending)
{
    project.Device(0)->FLimitExceeded = 1;
    EXPECT_EQ(transfer->LoadToDevice(&project, 1), TransferOutcome::OverLimit);
    EXPECT_EQ(link.Log, Log({"checklist"}));
    link.Log.clear();
    link.DeviceImage = project.Device(1)->GetAllData();
    EXPECT_EQ(transfer->LoadFromDevice(&project, 1), TransferOutcome::Done);
    EXPECT_EQ(link.Log, Log({"dialog", "open", "read", "ended", "close", "tree"}));
}

TEST_F(DeviceTransferTest, RefusedWhileProcessing)
{
    processing = true;
    EXPECT_EQ(transfer->LoadToDevice(&project, 0), TransferOutcome::Busy);
    EXPECT_EQ(transfer->LoadFromDevice(&project, 0), TransferOutcome::Busy);
    EXPECT_EQ(Texts(), std::vector<QString>({"Cannot load configuration to device while processing!",
                                             "Cannot load configuration from device while processing!"}));
    EXPECT_TRUE(link.Log.empty());
    // The connection is left alone meanwhile.
    link.IsOpen = true;
    transfer->CloseTransferConnection();
    TDeviceAddr addr;
    EXPECT_FALSE(transfer->OpenTransferConnection(addr));
    EXPECT_TRUE(link.Log.empty());
}

TEST_F(DeviceTransferTest, CancelAndNoConnection)
{
    link.DialogOk = false;
    EXPECT_EQ(transfer->LoadToDevice(&project, 1), TransferOutcome::Cancelled);
    EXPECT_EQ(link.Log, Log({"dialog"}));
    EXPECT_EQ(link.DialogAddr.CK, Kvrdata_ns::dckBroadcast); // preset from the device's own address
    EXPECT_EQ(link.DialogAddr.DID, project.Device(1)->GetDeviceID());

    link.DialogOk = true;
    link.OpenOk = false;
    EXPECT_EQ(transfer->LoadToDevice(&project, 1), TransferOutcome::NoConnection);
    EXPECT_EQ(transfer->LoadFromDevice(&project, 1), TransferOutcome::NoConnection);
    // Both directions say so: a silent end of Load from Device looks as if nothing was asked.
    EXPECT_EQ(Texts(), std::vector<QString>({"Could not connect to device!", "Could not connect to device!"}));
}

TEST_F(DeviceTransferTest, SendingToTheSameDeviceAsksNothingAndStampsTheImage)
{
    host.now = 0x5A000000;
    EXPECT_EQ(transfer->LoadToDevice(&project, 1), TransferOutcome::Done);
    EXPECT_EQ(link.Log, Log({"dialog", "open", "write", "ended", "close", "tree"}));
    EXPECT_TRUE(prompter->records().empty());
    EXPECT_EQ(link.DeviceImage, project.Device(1)->GetAllData());
    EXPECT_EQ(kvr::readBE32(link.DeviceImage, 62), 0x5A000000u);
    EXPECT_EQ(project.Device(1)->GetChangeTime(), 0x5A000000u);
}

TEST_F(DeviceTransferTest, AnotherDeviceAsksFirst)
{
    struct Case {
        bool SameProject;
        bool SameDevice;
        Answer Reply;
        TransferOutcome Outcome;
    };
    for (const Case c : {Case{true, false, Answer::No, TransferOutcome::Declined},
                         Case{false, true, Answer::No, TransferOutcome::Declined},
                         Case{false, false, Answer::Yes, TransferOutcome::Done}}) {
        link.Log.clear();
        link.DevicePID = static_cast<unsigned>(project.GetProjectID()) ^ (c.SameProject ? 0 : 1);
        link.DeviceDID = project.Device(1)->GetDeviceID() + (c.SameDevice ? 0 : 1);
        prompter->answer(c.Reply);
        const bool wasOpen = link.IsOpen;
        EXPECT_EQ(transfer->LoadToDevice(&project, 1), c.Outcome);
        const auto& rec = prompter->records().back();
        EXPECT_EQ(rec.text, "You are trying to send data of another device. Continue transfer?");
        EXPECT_EQ(rec.caption, "Warning");
        EXPECT_EQ(rec.buttons, kvr::platform::Buttons::YesNo);
        EXPECT_EQ(rec.icon, kvr::platform::Icon::Exclamation);
        // A connection left open by a refusal is closed before the next one opens.
        Log expected = wasOpen ? Log({"dialog", "close", "open"}) : Log({"dialog", "open"});
        if (c.Outcome == TransferOutcome::Done)
            expected.insert(expected.end(), {"write", "ended", "close", "tree"});
        EXPECT_EQ(link.Log, expected);
        EXPECT_EQ(link.IsOpen, c.Outcome == TransferOutcome::Declined);
    }
}

TEST_F(DeviceTransferTest, FailedSendReportsAndCloses)
{
    link.WriteOk = false;
    prompter->answer(Answer::Ok);
    EXPECT_EQ(transfer->LoadToDevice(&project, 1), TransferOutcome::Failed);
    EXPECT_EQ(link.Log, Log({"dialog", "open", "write", "ended", "close", "tree"}));
    ASSERT_EQ(prompter->records().size(), 1u);
    EXPECT_EQ(prompter->records()[0].text, "Transfer not successful! Please try again!");
    EXPECT_EQ(prompter->records()[0].icon, kvr::platform::Icon::Error);
}

TEST_F(DeviceTransferTest, LoadFromAnotherProjectsDeviceTakesTheProjectAndReportedIds)
{
    link.DeviceImage = ForeignImage(42);
    link.DevicePID = 0x58595A41;
    link.DeviceDID = 42;
    prompter->answer(Answer::Yes);
    host.now = 0x5B000000;
    EXPECT_EQ(transfer->LoadFromDevice(&project, 0), TransferOutcome::Done);
    EXPECT_EQ(prompter->records().at(0).text, "You are trying to download data of another device. Continue transfer?");
    const auto header = project.Device(0)->GetHeader();
    EXPECT_EQ(kvr::readBE32(header, 12), static_cast<std::uint32_t>(project.GetProjectID()));
    EXPECT_EQ(kvr::readBE32(header, 78), 42u);
    EXPECT_EQ(project.Device(0)->GetChangeTime(), 0x5B000000u);
    EXPECT_TRUE(project.Device(0)->IsChanged());
}

TEST_F(DeviceTransferTest, UnreadableIdentityKeepsTheDevicesOwnId)
{
    const std::uint32_t own = project.Device(1)->GetDeviceID();
    link.DeviceImage = ForeignImage(own + 5);
    link.InfosOk = false;
    prompter->answer(Answer::Yes);
    EXPECT_EQ(transfer->LoadFromDevice(&project, 1), TransferOutcome::Done);
    EXPECT_EQ(project.Device(1)->GetDeviceID(), own);
    EXPECT_NE(project.Device(1)->GetDeviceID(), 0u);
}

TEST_F(DeviceTransferTest, FailedReadLeavesTheDeviceAsItWas)
{
    const auto before = project.Device(1)->GetAllData();
    link.DeviceImage = ForeignImage(9);
    link.ReadOk = false;
    prompter->answer(Answer::Ok);
    EXPECT_EQ(transfer->LoadFromDevice(&project, 1), TransferOutcome::Failed);
    EXPECT_EQ(project.Device(1)->GetAllData(), before);
    EXPECT_EQ(link.Log, Log({"dialog", "open", "read", "ended", "close"}));
    EXPECT_EQ(Texts(), std::vector<QString>({"Transfer not successful! Please try again!"}));

    // A damaged image is refused by the data model and changes nothing either.
    link.ReadOk = true;
    link.DeviceImage.assign(300, 0xEE);
    EXPECT_EQ(transfer->LoadFromDevice(&project, 1), TransferOutcome::Failed);
    EXPECT_EQ(project.Device(1)->GetAllData(), before);
}

TEST(DCCProgressTest, ShowsWithTheFirstReportAndHidesWithTheLast)
{
    struct Case {
        int Bytes, Total;
        bool Visible, Show, Hide;
    };
    for (const Case c : {Case{8, 800, false, true, false}, Case{400, 800, true, false, false},
                         Case{800, 800, true, false, true}, Case{0, 0, false, false, true}}) {
        const ProgressStep s = DCCProgressStep(c.Bytes, c.Total, c.Visible);
        EXPECT_EQ(s.Show, c.Show);
        EXPECT_EQ(s.Hide, c.Hide);
        EXPECT_EQ(s.Maximum, c.Total);
        EXPECT_EQ(s.Position, c.Bytes);
    }
}
