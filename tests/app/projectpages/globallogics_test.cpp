#include "app/projectpages/globallogics.h"

#include "model/potaccess.h"
#include "pagefixture.h"

using namespace kvr::app;
using kvr::model::GetGLSource;
using kvr::model::SetGLSource;

namespace {

constexpr std::uint16_t OffAir = 1285;  // "OffAir"
constexpr std::uint16_t Pulse1 = 1282;  // "Pulse 1"
constexpr std::uint16_t FFFader1 = 2176; // "FF Fader 1"

class GlobalLogicsTest : public test::PageFixture {
protected:
    GlobalLogics Page()
    {
        return GlobalLogics(project, [this](const std::string& text, int level) { log.push_back({text, level}); },
                            picker);
    }

    void SetUp() override
    {
        PageFixture::SetUp();
        picker.Rebuild = [this](int filter) { rebuilds.push_back(filter); };
        picker.PickSender = [this](std::uint16_t source, int device) { picked.push_back({source, device}); };
        picker.AssignDropped = [this] { ++dropped; };
    }

    std::vector<std::pair<std::string, int>> log;
    std::vector<int> rebuilds;
    std::vector<std::pair<std::uint16_t, int>> picked;
    int dropped = 0;
    LogicSourcePicker picker;
};

} // namespace

TEST_F(GlobalLogicsTest, ShowingKeepsTheFirstSenderAndLogsEachClearedOne)
{
    SetGLSource(Device(0), 4, OffAir);
    SetGLSource(Device(1), 4, Pulse1);
    SetGLSource(Device(2), 4, FFFader1);
    SetGLSource(Device(2), 9, Pulse1);
    GlobalLogics page = Page();
    page.Show();

    EXPECT_EQ(rebuilds, std::vector<int>{SourceFilterAllDevices});
    EXPECT_EQ(log, (std::vector<std::pair<std::string, int>>{
                       {"GL 5 sent by multiple devices, source (Pulse 1) cleared.", 0},
                       {"GL 5 sent by multiple devices, source (FF Fader 1) cleared.", 0}}));
    EXPECT_EQ(GetGLSource(Device(0), 4), OffAir);
    EXPECT_EQ(GetGLSource(Device(1), 4), 0);
    EXPECT_EQ(GetGLSource(Device(2), 4), 0);
    EXPECT_EQ(GetGLSource(Device(2), 9), Pulse1); // a single sender stays

    const auto& rows = page.Rows();
    ASSERT_EQ(rows.size(), 200u);
    EXPECT_EQ(rows[4], (GlobalLogicRow{"5", "GL 5", "North", "OffAir", OffAir, 0}));
    EXPECT_EQ(rows[9], (GlobalLogicRow{"10", "GL 10", "East", "Pulse 1", Pulse1, 2}));
    EXPECT_EQ(rows[199], (GlobalLogicRow{"200", "GL 200", "None", "None", 0, -1}));
    EXPECT_FALSE(page.SelectEnabled());

    log.clear();
    page.Show();
    EXPECT_TRUE(log.empty());
}

TEST_F(GlobalLogicsTest, FixedModelDevicesAreLeftAloneButDecoded)
{
    SetGLSource(Device(0), 4, OffAir);
    SetGLSource(Device(1), 4, Pulse1);
    MakeFixedModel(0);
    GlobalLogics page = Page();
    page.Show();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(page.Rows()[4].Device, "South");

    page.Decode();
    ASSERT_EQ(log.size(), 201u);
    EXPECT_EQ(log[0], (std::pair<std::string, int>{
                          "GL#   + Dev#1  Dev#2  Dev#3  Dev#4  Dev#5  Dev#6  Dev#7  Dev#8  Dev#9", 2}));
    EXPECT_EQ(log[1].first, "GL001 - 0000 - 0000 - 0000 - ");
    EXPECT_EQ(log[5], (std::pair<std::string, int>{"GL005 - 0505 - 0502 - 0000 - ", 2}));
    EXPECT_EQ(log[200].first, "GL200 - 0000 - 0000 - 0000 - ");
    // Decoding clears nothing.
    EXPECT_EQ(GetGLSource(Device(1), 4), Pulse1);
}

TEST_F(GlobalLogicsTest, NamesAreEditedOnTheSelectedRow)
{
    GlobalLogics page = Page();
    page.Show();
    page.SetName("Nothing selected");
    EXPECT_EQ(kvr::model::GetGlobalLogicName(project, 0), "GL 1");

    page.Select(2);
    EXPECT_TRUE(page.SelectEnabled());
    page.SetName("Studio lights");
    EXPECT_EQ(kvr::model::GetGlobalLogicName(project, 2), "Studio l");
    EXPECT_EQ(page.Rows()[2].Name, "Studio l");

    // An emptied name clears the stored one; the default comes back with the next fill.
    page.SetName("");
    EXPECT_EQ(page.Rows()[2].Name, "");
    page.Show();
    EXPECT_EQ(page.Rows()[2].Name, "GL 3");

    page.Select(200);
    EXPECT_EQ(page.Selected(), -1);
}

TEST_F(GlobalLogicsTest, AssignedSenderIsTheOnlyOne)
{
    SetGLSource(Device(0), 4, OffAir);
    GlobalLogics page = Page();
    page.Show();
    page.AssignSender(Pulse1, 1, "Pulse 1"); // no row selected
    EXPECT_EQ(GetGLSource(Device(1), 4), 0);

    page.Select(4);
    page.AssignSender(FFFader1 | 0xC000, 2, "FF Fader 1");
    EXPECT_EQ(GetGLSource(Device(0), 4), 0);
    EXPECT_EQ(GetGLSource(Device(2), 4), FFFader1);
    // A name that still starts with "GL " takes the node's text.
    EXPECT_EQ(page.Rows()[4], (GlobalLogicRow{"5", "FF Fader", "East", "FF Fader 1", FFFader1, 2}));
    EXPECT_EQ(kvr::model::GetGlobalLogicName(project, 4), "FF Fader");

    page.AssignSender(Pulse1, 1, "Pulse 1");
    EXPECT_EQ(GetGLSource(Device(2), 4), 0);
    EXPECT_EQ(GetGLSource(Device(1), 4), Pulse1);
    EXPECT_EQ(page.Rows()[4].Name, "FF Fader"); // an own name stays

    // A fixed-model device cannot send: the sender it had stays.
    MakeFixedModel(0);
    page.AssignSender(OffAir, 0, "OffAir");
    EXPECT_EQ(GetGLSource(Device(1), 4), Pulse1);
    EXPECT_EQ(page.Rows()[4].Device, "South");
}

TEST_F(GlobalLogicsTest, SelectedRowShowsASenderWrittenElsewhere)
{
    GlobalLogics page = Page();
    page.Show();
    page.Select(6);
    SetGLSource(Device(2), 6, FFFader1);
    kvr::model::SetGlobalLogicName(project, 6, "Fader");
    page.RefreshSelected();
    EXPECT_EQ(page.Rows()[6], (GlobalLogicRow{"7", "Fader", "East", "FF Fader 1", FFFader1, 2}));
    SetGLSource(Device(2), 6, 0);
    page.RefreshSelected();
    EXPECT_EQ(page.Rows()[6], (GlobalLogicRow{"7", "Fader", "None", "None", 0, -1}));
}

TEST_F(GlobalLogicsTest, PickerServesTheSelectedRow)
{
    SetGLSource(Device(1), 7, Pulse1);
    GlobalLogics page = Page();
    page.Show();
    page.PickSender();
    page.DropOnSource();
    EXPECT_TRUE(picked.empty());
    EXPECT_EQ(dropped, 0);

    page.Select(7);
    page.PickSender();
    EXPECT_EQ(picked, (std::vector<std::pair<std::uint16_t, int>>{{Pulse1, 1}}));
    page.DropOnSource();
    EXPECT_EQ(dropped, 1);

    // A drop on a row selects it first; outside every row it selects none and assigns nothing.
    page.DropOnRow(12);
    EXPECT_EQ(page.Selected(), 12);
    EXPECT_EQ(dropped, 2);
    page.DropOnRow(-1);
    EXPECT_EQ(page.Selected(), -1);
    EXPECT_EQ(dropped, 2);

    // Without a window nothing happens.
    LogicSourcePicker none;
    GlobalLogics bare(project, nullptr, none);
    bare.Show();
    bare.Select(7);
    bare.PickSender();
    bare.DropOnRow(3);
    bare.Decode();
}
