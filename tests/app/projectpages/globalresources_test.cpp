#include "app/projectpages/globalresources.h"

#include "model/globalresources.h"
#include "model/recordtext.h"
#include "pagefixture.h"

using namespace kvr::app;
using kvr::model::TGlobalResource;

namespace {

class GlobalResourcesTest : public test::PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        picker.Rebuild = [this](int filter) { rebuilds.push_back(filter); };
    }

    GlobalResources Page()
    {
        return GlobalResources(project, picker, [this](const std::string& text) { messages.push_back(text); });
    }

    TGlobalResource Stored(int Id)
    {
        TGlobalResource r;
        EXPECT_EQ(kvr::model::GetGlobalResource(project, Id, r), 1);
        return r;
    }

    std::uint32_t DID(int Index) { return Device(Index).GetDeviceID(); }

    // The item of "Available" that offers a device.
    static int AvailableItem(const GlobalResources& Page, int DeviceIndex)
    {
        const auto& devices = Page.Editor().AvailableDevices;
        const auto at = std::find(devices.begin(), devices.end(), DeviceIndex);
        return at == devices.end() ? -1 : static_cast<int>(at - devices.begin());
    }

    LogicSourcePicker picker;
    std::vector<int> rebuilds;
    std::vector<std::string> messages;
};

} // namespace

TEST_F(GlobalResourcesTest, AddShowsTheNewResourceSoThatEditsGoToIt)
{
    GlobalResources page = Page();
    page.Show();
    EXPECT_TRUE(page.Names().empty());
    EXPECT_FALSE(page.Editor().Enabled);

    page.Add();
    EXPECT_EQ(page.Names(), std::vector<std::string>{"Global Res. 1"});
    EXPECT_EQ(page.Selected(), 0);
    ASSERT_TRUE(page.Editor().Enabled);
    EXPECT_EQ(page.Editor().Name, "Global Res. 1");
    page.SetName("Morning show");

    page.Add();
    EXPECT_EQ(page.Selected(), 1);
    EXPECT_EQ(page.Editor().Name, "Global Res. 2");
    page.SetName("News desk with a long name");
    page.ChooseMode(1);
    EXPECT_EQ(kvr::model::LabelText(Stored(1).Label), "Morning show");
    EXPECT_EQ(Stored(1).Mode, 0);
    EXPECT_EQ(kvr::model::LabelText(Stored(2).Label), "News desk with a");
    EXPECT_EQ(Stored(2).Mode, 1);
    EXPECT_EQ(page.Names(), (std::vector<std::string>{"Morning show", "News desk with a"}));
    EXPECT_EQ(rebuilds, (std::vector<int>{SourceFilterGlobalResources, SourceFilterGlobalResources}));
}

TEST_F(GlobalResourcesTest, EditsRewriteTheStoredRecordField)
{
    GlobalResources page = Page();
    page.Add();
    TGlobalResource r = Stored(1);
    r.Option = 0x5A;
    r.Options = {0x12, 0x34};
    kvr::model::SetGlobalResource(project, r);
    page.Click(0);

    // The master can be any device of the project.
    page.ChooseMaster(2);
    EXPECT_EQ(ResourceMaster(Stored(1)), DID(2));
    EXPECT_EQ(page.Editor().Master, 2);
    EXPECT_EQ(page.Editor().Masters, (std::vector<std::string>{"North", "South", "East"}));
    for (const int mode : {2, 1, 0}) {
        page.ChooseMode(mode);
        EXPECT_EQ(Stored(1).Mode, mode);
        EXPECT_EQ(page.Editor().Mode, mode);
    }
    page.ChooseMode(3);
    EXPECT_EQ(Stored(1).Mode, 0);
    // Fields the page does not edit keep what was stored.
    EXPECT_EQ(Stored(1).Option, 0x5A);
    EXPECT_EQ(Stored(1).Options, (std::array<std::uint8_t, 2>{0x12, 0x34}));
    EXPECT_EQ(ResourceMaster(Stored(1)), DID(2));
}

TEST_F(GlobalResourcesTest, SubscribersAndTheDefaultOwner)
{
    GlobalResources page = Page();
    page.Add();
    // Only subscribers can be the default owner.
    EXPECT_EQ(page.Editor().DefaultOwners, std::vector<std::string>{"No device"});
    EXPECT_EQ(page.Editor().Available, (std::vector<std::string>{"North", "South", "East"}));
    rebuilds.clear();

    page.AddSubscriber(AvailableItem(page, 2));
    page.AddSubscriber(AvailableItem(page, 1));
    EXPECT_EQ(page.Editor().Subscribers,
              (std::vector<GlobalResourceSubscriberRow>{{"East", 2}, {"South", 1}}));
    EXPECT_EQ(page.Editor().Available, std::vector<std::string>{"North"});
    EXPECT_EQ(page.Editor().DefaultOwners, (std::vector<std::string>{"No device", "South", "East"}));
    const TGlobalResource r = Stored(1);
    ASSERT_EQ(r.Count, 2);
    for (int k = 0; k < 2; ++k) {
        EXPECT_GE(r.Subscribers[static_cast<std::size_t>(k)].LogicID, 1836);
        EXPECT_LE(r.Subscribers[static_cast<std::size_t>(k)].LogicID, 1985);
    }
    EXPECT_EQ(rebuilds.size(), 2u);

    page.ChooseDefaultOwner(2);
    EXPECT_EQ(ResourceDefaultOwner(Stored(1)), DID(2));
    EXPECT_EQ(page.Editor().DefaultOwner, 2);

    // Removing the default owner's subscription leaves "No device".
    page.RemoveSubscriber(0);
    EXPECT_EQ(ResourceDefaultOwner(Stored(1)), 0u);
    EXPECT_EQ(page.Editor().DefaultOwner, 0);
    EXPECT_EQ(page.Editor().Subscribers, (std::vector<GlobalResourceSubscriberRow>{{"South", 1}}));
    EXPECT_EQ(page.Editor().Available, (std::vector<std::string>{"North", "East"}));
    EXPECT_EQ(rebuilds.size(), 3u);
    EXPECT_TRUE(messages.empty());
}

TEST_F(GlobalResourcesTest, UnknownSubscriberHidesNoDevice)
{
    GlobalResources page = Page();
    page.Add();
    TGlobalResource r = Stored(1);
    r.Count = 1;
    r.Subscribers[0] = {0xDEAD, 1836};
    kvr::model::SetGlobalResource(project, r);
    page.Click(0);
    EXPECT_EQ(page.Editor().Subscribers, (std::vector<GlobalResourceSubscriberRow>{{"Unknown", -1}}));
    EXPECT_EQ(page.Editor().Available, (std::vector<std::string>{"North", "South", "East"}));
    EXPECT_EQ(page.Editor().AvailableDevices, (std::vector<int>{0, 1, 2}));
}

TEST_F(GlobalResourcesTest, FullResourceRefusesAnotherSubscriberWithAMessage)
{
    GlobalResources page = Page();
    page.Add();
    TGlobalResource r = Stored(1);
    r.Count = 20;
    for (std::size_t k = 0; k < 20; ++k)
        r.Subscribers[k] = {0x1000 + static_cast<std::uint32_t>(k), static_cast<std::uint16_t>(1836 + k)};
    kvr::model::SetGlobalResource(project, r);
    page.Click(0);
    rebuilds.clear();
    page.AddSubscriber(AvailableItem(page, 0));
    EXPECT_EQ(messages, std::vector<std::string>{"Can not add more subscribers. No more Logic IDs available!"});
    EXPECT_EQ(Stored(1).Count, 20);
    EXPECT_TRUE(rebuilds.empty());
}

TEST_F(GlobalResourcesTest, ListKeepsItsSelectionWithinTheResources)
{
    GlobalResources page = Page();
    for (int i = 0; i < 3; ++i)
        page.Add();
    page.Click(2);
    page.Remove();
    EXPECT_EQ(page.Names(), (std::vector<std::string>{"Global Res. 1", "Global Res. 2"}));
    EXPECT_EQ(page.Selected(), 1);
    EXPECT_EQ(page.Editor().Name, "Global Res. 2");

    page.Remove();
    page.Remove();
    EXPECT_TRUE(page.Names().empty());
    EXPECT_FALSE(page.Editor().Enabled);
    EXPECT_TRUE(page.Editor().Subscribers.empty());
    page.Remove(); // nothing selected
    page.SetName("No resource");

    // At 20 resources Add is switched off; a further Add is refused without a word.
    for (int i = 0; i < 21; ++i)
        page.Add();
    EXPECT_EQ(page.Names().size(), 20u);
    EXPECT_FALSE(page.AddEnabled());
    EXPECT_TRUE(messages.empty());
    page.Remove();
    EXPECT_TRUE(page.AddEnabled());
}

TEST_F(GlobalResourcesTest, NothingSelectedNothingWritten)
{
    GlobalResources first = Page();
    first.Add();
    // A fresh showing selects nothing: every edit handler does nothing.
    GlobalResources page = Page();
    page.Show();
    EXPECT_EQ(page.Selected(), -1);
    EXPECT_FALSE(page.Editor().Enabled);
    page.SetName("Changed");
    page.ChooseMaster(1);
    page.AddSubscriber(0);
    EXPECT_EQ(kvr::model::LabelText(Stored(1).Label), "Global Res. 1");
    EXPECT_EQ(Stored(1).Count, 0);
}
