// The project tree's nodes from a project of the data model, and where a selection leads.
#include "app/projecttree.h"

#include <gtest/gtest.h>

#include "app/projectaccess.h"
#include "model/device.h"
#include "model/project.h"

using namespace kvr::app;

namespace {

class TreeProject : public ::testing::Test {
protected:
    std::unique_ptr<ProjectAccess> project = NewProject();
    kvr::model::TProject& model = *project->Model();

    kvr::model::TDevice& Add(const std::string& name)
    {
        kvr::model::TDevice& device = *model.Device(model.AddDevice());
        device.SetName(name);
        return device;
    }
    static void DSPCard(kvr::model::TDevice& device, int slot, std::uint8_t subType)
    {
        const std::uint8_t card[] = {0x03, 0x50, 0, 0, 2, subType, 0, 0};
        ASSERT_GE(device.SetSetupData(static_cast<std::uint8_t>(slot), card), 0);
    }
    static void MakeFixedModel(kvr::model::TDevice& device)
    {
        auto header = device.GetHeader();
        header[kvr::model::dh::DummyDevModel] = 1;
        device.SetHeader(header, false);
    }
    static std::vector<std::string> Texts(const std::vector<TreeNodeSpec>& nodes)
    {
        std::vector<std::string> texts;
        for (const auto& n : nodes)
            texts.push_back(std::string(static_cast<std::size_t>(n.Level), ' ') + n.Text);
        return texts;
    }
    static int IndexOf(const std::vector<TreeNodeSpec>& nodes, int device, const std::string& text)
    {
        for (std::size_t i = 0; i < nodes.size(); ++i)
            if (nodes[i].Device == device && nodes[i].Text == text)
                return static_cast<int>(i);
        return -1;
    }
};

} // namespace

TEST_F(TreeProject, ADeviceGetsItsPagesAndOnlyItsQualifyingDSPSlots)
{
    model.SetName("Studio");
    kvr::model::TDevice& device = Add("Main");
    DSPCard(device, 9, 1);  // sub-type 1: no node
    DSPCard(device, 19, 2);
    DSPCard(device, 29, 3);
    const std::uint8_t io[] = {0x00, 0x6F, 0, 0};
    device.SetSetupData(2, io);
    const auto nodes = ProjectTreeNodes(*project);
    EXPECT_EQ(Texts(nodes), (std::vector<std::string>{
                                "Studio", " Main", "  DSP Frame I/O", "   Slot 20: DSP", "   Slot 30: DSP", "  Console",
                                "  Audio System", "   Fader Channels", "   Channel Assignment", "   Output Functions",
                                "   Super Output Functions", "   Fixed Processing", "   Output Routing", "  Logic System",
                                "   Logic Functions", "   Level Detection", "   Logic Delay", "   Scripts", "   GPO Routing"}));
    std::vector<int> images;
    for (const auto& n : nodes)
        images.push_back(n.ImageIndex);
    EXPECT_EQ(images, (std::vector<int>{DefaultImage, DefaultImage, 10, 10019, 10029, DefaultImage, 90, 91, 92, 94, 97, 95,
                                        96, 100, 103, 101, 102, 104, 105}));
}

TEST_F(TreeProject, TheFrameTypeDecidesWhichSlotsAreWalked)
{
    kvr::model::TDevice& device = Add("Small");
    DSPCard(device, 9, 2);
    DSPCard(device, 19, 2);
    auto header = device.GetHeader();
    header[kvr::model::dh::FrameType] = 0; // ten slots
    device.SetHeader(header, false);
    const auto nodes = ProjectTreeNodes(*project);
    EXPECT_NE(IndexOf(nodes, 0, "Slot 10: DSP"), -1);
    EXPECT_EQ(IndexOf(nodes, 0, "Slot 20: DSP"), -1);
}

TEST_F(TreeProject, AFixedModelDeviceHasNoChildrenAndDoesNotCountForTheButtons)
{
    EXPECT_FALSE(DeviceButtonStates(*project).RemoveEnabled);
    EXPECT_TRUE(DeviceButtonStates(*project).AddEnabled);
    MakeFixedModel(Add("Fixed"));
    EXPECT_FALSE(DeviceButtonStates(*project).RemoveEnabled);
    const auto nodes = ProjectTreeNodes(*project);
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_TRUE(nodes[1].FixedModel);
    const PageRoute route = RouteNode(nodes, 1);
    EXPECT_EQ(route.Page, TreePage::DummyDevice);
    EXPECT_EQ(route.CurDevice, 0);
    EXPECT_STREQ(route.Panel, "DummyDevPanel");
}

TEST_F(TreeProject, TwentyDevicesDisableAddDevice)
{
    for (int i = 0; i < 19; ++i)
        Add("D" + std::to_string(i));
    EXPECT_TRUE(DeviceButtonStates(*project).AddEnabled);
    Add("Last");
    EXPECT_FALSE(DeviceButtonStates(*project).AddEnabled);
    EXPECT_TRUE(DeviceButtonStates(*project).RemoveEnabled);
    model.DeleteDevice(0);
    EXPECT_TRUE(DeviceButtonStates(*project).AddEnabled);
}

TEST_F(TreeProject, ASelectionLeadsToItsDevicePageAndSlot)
{
    model.SetName("Audio System");
    Add("Console");
    Add("B");
    Add("C");
    DSPCard(Add("D"), 9, 2);
    const auto nodes = ProjectTreeNodes(*project);
    struct Case {
        int device;
        std::string text;
        TreePage page;
        int curDevice;
        int slot;
        std::string panel;
    } const cases[] = {
        {-1, "Audio System", TreePage::Project, -1, -1, "ProjectPanel"}, // the root, whatever its name
        {0, "Console", TreePage::Device, 0, -1, "DevicePanel"},         // the device, whatever its name
        {3, "D", TreePage::Device, 3, -1, "DevicePanel"},
        {3, "Output Routing", TreePage::Audio, 3, -1, "OutputRoutePanel"},
        {1, "Fader Channels", TreePage::Audio, 1, -1, "FaderChannelPanel"},
        {2, "Audio System", TreePage::Audio, 2, -1, "AudioPanel"},
        {2, "Super Output Functions", TreePage::Audio, 2, -1, "SOFPanel"},
        {2, "Scripts", TreePage::Logic, 2, -1, "LogicPanel"},
        {0, "Console", TreePage::Device, 0, -1, "DevicePanel"},
        {3, "DSP Frame I/O", TreePage::FrameIO, 3, 255, "SlotPanel"},
        {3, "Slot 10: DSP", TreePage::FrameIO, 3, 9, "SlotPanel"},
    };
    for (const Case& c : cases) {
        const int index = IndexOf(nodes, c.device, c.text);
        ASSERT_NE(index, -1) << c.text;
        const PageRoute route = RouteNode(nodes, index);
        EXPECT_EQ(route.Page, c.page) << c.text;
        EXPECT_EQ(route.CurDevice, c.curDevice) << c.text;
        EXPECT_EQ(route.CurSlot, c.slot) << c.text;
        EXPECT_EQ(route.Panel, c.panel) << c.text;
    }
    // The console page of a device is its level-2 node.
    const int console = IndexOf(nodes, 1, "Console");
    EXPECT_EQ(RouteNode(nodes, console).Page, TreePage::Console);
    EXPECT_EQ(RouteNode(nodes, -1).Page, TreePage::None);
    EXPECT_EQ(RouteNode(nodes, static_cast<int>(nodes.size())).Page, TreePage::None);
}
