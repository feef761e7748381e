#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/dspfitdevice.h"
#include "model/outputfunctions.h"
#include "model/project.h"
#include "recordinghost.h"

namespace kvr::model {
namespace {

class ReportHost : public test::RecordingHost {
public:
    std::string ReportFolder() override { return folder; }
    std::string folder;
};

class DeviceFitting : public ::testing::Test {
protected:
    void SetHeaderByteOf(std::size_t offset, std::uint8_t value)
    {
        auto header = dev.GetHeader();
        header[offset] = value;
        dev.SetHeader(header, false);
    }
    void SetFaders(int count, std::vector<std::uint8_t> assignments)
    {
        SetHeaderByteOf(dh::FaderCount, static_cast<std::uint8_t>(count));
        dev.SetData(stChannelAssign, assignments);
    }
    std::vector<std::uint8_t> LevelDetects(int count)
    {
        std::vector<std::uint8_t> block = {20, 0};
        block.resize(2 + 20 * static_cast<std::size_t>(count), 0);
        return block;
    }

    ReportHost host;
    TDevice dev;
};

TEST_F(DeviceFitting, FreshDeviceHasOneDSPCard)
{
    dev.SetChangedFlag(false);
    EXPECT_EQ(RunDSPFitting(dev, 0), "");
    EXPECT_EQ(dev.FBusLimit, 15);
    EXPECT_EQ(dev.FBusCount, 2);
    EXPECT_EQ(dev.FOutFktLimit, 40);
    EXPECT_EQ(dev.FSOFLimit, 6);
    EXPECT_EQ(dev.FDSPCycles, 3000);
    EXPECT_EQ(dev.FDSPCardCount, 1);
    EXPECT_EQ(dev.FLimitExceeded, 0u);
    EXPECT_EQ(dev.Header()[dh::BusCapacity], 16);
    // The capacity byte is derived data: the device stays unchanged.
    EXPECT_FALSE(dev.IsChanged());
    EXPECT_EQ(dev.GetData(stDSPAssign), std::vector<std::uint8_t>(128, 0));
}

TEST_F(DeviceFitting, OptionTwoLeavesTheAssignmentAlone)
{
    const std::vector<std::uint8_t> old(128, 0x55);
    dev.SetData(stDSPAssign, old);
    dev.SetData(stLevelDetect, LevelDetects(1));
    RunDSPFitting(dev, kFitNoDSPAssign);
    EXPECT_EQ(dev.GetData(stDSPAssign), old);
    EXPECT_EQ(dev.FDSPCyclesUsed, 25);
    RunDSPFitting(dev, 0);
    const auto written = dev.GetData(stDSPAssign);
    ASSERT_EQ(written.size(), 128u);
    EXPECT_EQ(written[0], 0x10);
    EXPECT_EQ(written[1], 0);
}

TEST_F(DeviceFitting, UnknownFunctionKeepsTheAssignmentAndWritesNoReport)
{
    host.folder = testing::TempDir();
    SetFaders(4, {0xFF, 0, 2, 2, 10, 99});
    const std::vector<std::uint8_t> old(128, 0x55);
    dev.SetData(stDSPAssign, old);
    EXPECT_EQ(RunDSPFitting(dev, kFitWriteReport), "");
    EXPECT_EQ(dev.FLimitExceeded, kLimitUnknownFunction);
    EXPECT_EQ(dev.GetData(stDSPAssign), old);
    EXPECT_EQ(dev.FDSPCycles, 0);
    EXPECT_EQ(CountUnknownDSPFunctions(dev), 1);
    const std::vector<TConfigViolation> expected = {{5, 1, 2}};
    EXPECT_EQ(GetConfigViolations(dev, 100), expected);
}

TEST_F(DeviceFitting, ScriptStepBitSurvivesAFittingRun)
{
    SetLimitExceeded(dev, kLimitScriptSteps | kLimitBuses);
    RunDSPFitting(dev, 0);
    EXPECT_EQ(GetLimitExceeded(dev), kLimitScriptSteps);
    ClearLimitExceeded(dev, kLimitScriptSteps);
    RunDSPFitting(dev, 0);
    EXPECT_EQ(GetLimitExceeded(dev), 0u);
}

TEST_F(DeviceFitting, DummyDeviceIsLeftAlone)
{
    dev.FLimitExceeded = 0x03;
    dev.FLimitReached = 0x02;
    SetHeaderByteOf(dh::DummyDevModel, 27);
    SetFaders(4, {0xFF, 0, 0, 1, 99});
    const auto image = dev.GetAllData();
    EXPECT_EQ(RunDSPFitting(dev, kFitWriteReport), "");
    EXPECT_EQ(dev.FLimitExceeded, 0x03u);
    EXPECT_EQ(GetLimitExceeded(dev), 0u);
    EXPECT_EQ(IsLimitReached(dev, 0xFF), 0u);
    EXPECT_EQ(CountUnknownDSPFunctions(dev), 0);
    EXPECT_TRUE(GetConfigViolations(dev, 100).empty());
    EXPECT_EQ(dev.GetAllData(), image);
}

TEST_F(DeviceFitting, DSPCardsInEverySlot)
{
    const std::vector<std::uint8_t> card = {0x03, 0x50, 0, 0, 0, 0, 0, 0};
    for (int slot = 0; slot < 30; ++slot)
        dev.SetSetupData(static_cast<std::uint8_t>(slot), card);
    RunDSPFitting(dev, 0);
    EXPECT_EQ(dev.FDSPCardCount, 10);
    EXPECT_EQ(dev.FDSPCycles, 30000);
    EXPECT_TRUE(dev.FLimitExceeded & kLimitDSP);
    EXPECT_EQ(dev.Header()[dh::BusCapacity], 255);
    EXPECT_EQ(dev.GetData(stDSPAssign).size(), 128u);
}

TEST_F(DeviceFitting, ReportInTheHostFolder)
{
    // Per process: other builds may run this test at the same time.
    const std::filesystem::path folder =
        std::filesystem::path(testing::TempDir()) / ("fitting_report_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    host.folder = folder.string() + "/";
    dev.SetName("Main/Studio");
    dev.SetData(stLevelDetect, LevelDetects(1));
    const std::string file = RunDSPFitting(dev, kFitWriteReport);
    EXPECT_EQ(file, host.folder + "fitting_Main_Studio.txt");
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str().substr(0, 32), "Device:  Main/Studio\nCreated on ");
    EXPECT_NE(text.str().find("0 Level Detect \n"), std::string::npos);
    EXPECT_TRUE(host.shown.empty());
    std::filesystem::remove_all(folder);
}

TEST_F(DeviceFitting, ReportFailureIsShownOncePerCommand)
{
    host.folder = "/nonexistent-folder-for-reports/";
    const std::string expected =
        "The report file \"/nonexistent-folder-for-reports/fitting_New Device.txt\" could not be created!";
    EXPECT_EQ(RunDSPFitting(dev, kFitWriteReport), "");
    EXPECT_EQ(RunDSPFitting(dev, kFitWriteReport), "");
    EXPECT_EQ(host.Texts(), std::vector<std::string>{expected});
    // The report command always tells.
    EXPECT_EQ(WriteFittingReport(dev), "");
    EXPECT_EQ(host.Texts(), (std::vector<std::string>{expected, expected}));
    // Counters of the run stay.
    EXPECT_EQ(dev.FDSPCycles, 3000);
}

TEST_F(DeviceFitting, DeferredRunsBecomeOneAtTheEnd)
{
    RunDSPFitting(dev, 0);
    const std::vector<std::uint8_t> before = dev.GetData(stDSPAssign);
    {
        DeferredFitting outer(dev);
        {
            DeferredFitting inner(dev);
            dev.SetData(stLevelDetect, LevelDetects(2));
            RunDSPFitting(dev, kFitNoDSPAssign);
        }
        EXPECT_EQ(dev.FDSPCyclesUsed, 0);
        dev.SetData(stLevelDetect, LevelDetects(3));
        RunDSPFitting(dev, kFitNoDSPAssign);
        EXPECT_EQ(dev.FDSPCyclesUsed, 0);
    }
    // One run on the final image; no run asked for structure 18.
    EXPECT_EQ(dev.FDSPCyclesUsed, 75);
    EXPECT_EQ(dev.GetData(stDSPAssign), before);
    {
        DeferredFitting scope(dev);
        RunDSPFitting(dev, kFitNoDSPAssign);
        RunDSPFitting(dev, 0);
    }
    EXPECT_EQ(dev.GetData(stDSPAssign)[2], 0x12);
    // Nothing asked: nothing runs.
    dev.FDSPCyclesUsed = -1;
    { DeferredFitting scope(dev); }
    EXPECT_EQ(dev.FDSPCyclesUsed, -1);
}

TEST_F(DeviceFitting, EditsAndLoadsRunTheFitting)
{
    AddOutputFunction(dev);
    EXPECT_EQ(dev.FOutFktCount, 1);
    EXPECT_EQ(dev.FDSPCycles, 3000);
    // A load fits without writing the DSP assignment.
    const std::vector<std::uint8_t> old(128, 0x55);
    dev.SetData(stDSPAssign, old);
    dev.SetData(stLevelDetect, LevelDetects(1));
    auto image = dev.GetAllData();
    image[110] = 0; // an empty chip card ID takes the name through a header write
    TDevice loaded;
    ASSERT_TRUE(loaded.SetAllData(image));
    EXPECT_EQ(loaded.GetData(stDSPAssign), old);
    EXPECT_EQ(loaded.FDSPCyclesUsed, 25);
    EXPECT_EQ(loaded.FOutFktCount, 1);
}

TEST(ProjectLimits, CountDevicesOverLimit)
{
    test::RecordingHost host;
    TProject project;
    project.AddDevice();
    project.AddDevice();
    EXPECT_EQ(CountDevicesOverLimit(project), 0);
    SetLimitExceeded(*project.Device(1), kLimitSOF);
    EXPECT_EQ(CountDevicesOverLimit(project), 1);
}

} // namespace
} // namespace kvr::model
