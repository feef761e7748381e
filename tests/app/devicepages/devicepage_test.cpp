#include "app/devicepages/devicepage.h"

#include "../projectpages/pagefixture.h"
#include "kvrdata/byteorder.h"
#include "model/potaccess.h"
#include "model/potnames.h"
#include "platform/prompter.h"

using namespace kvr::app;
using kvr::platform::Answer;

namespace {

class DevicePageTest : public test::PageFixture {
protected:
    std::uint8_t HeaderByte(std::size_t Offset) { return Device(0).GetHeader()[Offset]; }
    void SetHeaderByte(std::size_t Offset, std::uint8_t Value)
    {
        auto header = Device(0).GetHeader();
        header[Offset] = Value;
        Device(0).SetHeader(header, false);
    }
    kvr::model::TNetworkSettings Network()
    {
        kvr::model::TNetworkSettings settings;
        kvr::model::GetNetworkSettings(Device(0), settings);
        return settings;
    }
    DevicePage page{project, 0};
};

} // namespace

TEST_F(DevicePageTest, PowerSuppliesKeepAtMostFourInTheFrame)
{
    struct Case {
        std::uint8_t stored;
        bool fiveVolt;
        int count;
        std::uint8_t expected;
        int max24;
    } cases[] = {
        {0x31, true, 4, 0x40, 0},  // raising 5 V lowers 24 V
        {0x13, true, 2, 0x22, 2},
        {0x13, false, 1, 0x11, 3},
        {0x22, false, 4, 0x22, 2}, // 24 V cannot exceed 4 minus 5 V
    };
    for (const Case& c : cases) {
        SetHeaderByte(kvr::model::dh::PowerSupplies, c.stored);
        if (c.fiveVolt)
            page.Set5VSupplies(c.count);
        else
            page.Set24VSupplies(c.count);
        EXPECT_EQ(HeaderByte(kvr::model::dh::PowerSupplies), c.expected) << int(c.stored) << " " << c.count;
        const DevicePageValues values = page.Fill();
        page.EndFill();
        EXPECT_EQ(values.Supply24VMax, c.max24);
    }
}

TEST_F(DevicePageTest, ExternalSupplyNoneAndBack)
{
    page.SetExternal24VSupplies(3);
    EXPECT_EQ(HeaderByte(kvr::model::dh::Units081), 3);
    page.SetExternalSupply(1); // already on: kept
    EXPECT_EQ(HeaderByte(kvr::model::dh::Units081), 3);
    page.SetExternalSupply(0);
    EXPECT_EQ(HeaderByte(kvr::model::dh::Units081), 0);
    page.SetExternalSupply(1);
    EXPECT_EQ(HeaderByte(kvr::model::dh::Units081), 1);
}

TEST_F(DevicePageTest, EachCheckBoxOwnsOneBitAndRoutingSelectorsAreInverted)
{
    struct Case {
        HeaderBit bit;
        std::size_t offset;
        std::uint8_t mask;
        bool inverted;
    } cases[] = {
        {HeaderBit::TalkbackMatrix, 104, 0x80, false},       {HeaderBit::CrossFade, 105, 0x80, false},
        {HeaderBit::SetupFader, 105, 0x40, false},           {HeaderBit::SetupRoutingSelectors, 105, 0x20, true},
        {HeaderBit::SingleChannelMode, 107, 0x80, false},
    };
    for (const Case& c : cases) {
        SetHeaderByte(104, 0x15);
        SetHeaderByte(105, 0x15);
        SetHeaderByte(107, 0x15);
        for (bool checked : {true, false}) {
            page.SetHeaderBit(c.bit, checked);
            const bool set = checked != c.inverted;
            EXPECT_EQ(HeaderByte(c.offset), set ? (0x15 | c.mask) : 0x15) << c.offset << " " << checked;
            const DevicePageValues values = page.Fill();
            page.EndFill();
            const bool shown[] = {values.TalkbackMatrix, values.CrossFade, values.SetupFader,
                                  values.SetupRoutingSelectors, values.SingleChannelMode};
            EXPECT_EQ(shown[static_cast<int>(c.bit)], checked);
        }
    }
}

TEST_F(DevicePageTest, NothingIsWrittenWhileTheFillRuns)
{
    const std::string chipCard = page.ChipCardID();
    page.Fill();
    page.Set5VSupplies(2);
    page.SetHeaderBit(HeaderBit::CrossFade, true);
    page.SetAddress(NetAddress::IP, "10.0.0.1");
    page.SetChipCardID("XYZ");
    EXPECT_EQ(HeaderByte(kvr::model::dh::SetupOptions) & 0x80, 0);
    EXPECT_EQ(Network().IP, 0u);
    EXPECT_EQ(page.ChipCardID(), chipCard);
    page.EndFill();
    page.SetChipCardID("XYZ");
    EXPECT_EQ(page.ChipCardID(), "XYZ");
}

TEST_F(DevicePageTest, AddressesParseOnlyWhenComplete)
{
    struct Case {
        const char* text;
        std::optional<std::uint32_t> address;
    } cases[] = {
        {"192.168.1.20", 0xC0A80114},   {"192.168.  1. 20", 0xC0A80114}, {"192.168.__1.__2", 0xC0A80102},
        {"0.0.0.0", 0u},                {"192.168..", std::nullopt},      {"192.168.1.", std::nullopt},
        {"256.1.1.1", std::nullopt},    {"1.2.3", std::nullopt},          {"1.2.3.4.5", std::nullopt},
        {"a.b.c.d", std::nullopt},      {"1234.1.1.1", std::nullopt},     {"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseAddress(c.text), c.address) << c.text;
    EXPECT_EQ(FormatAddress(0xC0A80114), "192.168.1.20");
}

TEST_F(DevicePageTest, NetworkEditsWriteTheirOwnField)
{
    page.SetAddress(NetAddress::IP, "10.1.2.3");
    page.SetAddress(NetAddress::Mask, "255.255.0.0");
    page.SetAddress(NetAddress::Gateway, "10.1.");  // partly typed: unchanged
    page.SetAddress(NetAddress::MailServer, "10.9.9.9");
    page.SetSender("studio@example.org");
    auto settings = Network();
    EXPECT_EQ(settings.IP, 0x0A010203u);
    EXPECT_EQ(settings.Mask, 0xFFFF0000u);
    EXPECT_EQ(settings.Gateway, 0u);
    EXPECT_EQ(settings.MailServer, 0x0A090909u);
    EXPECT_STREQ(settings.Sender.data(), "studio@example.org");
    EXPECT_EQ(settings.Flags & 0x80000000u, 0u);

    // DHCP keeps the address; a new address clears it again.
    page.SetDHCP(true);
    settings = Network();
    EXPECT_EQ(settings.IP, 0x0A010203u);
    EXPECT_NE(settings.Flags & 0x80000000u, 0u);
    DevicePageValues values = page.Fill();
    page.EndFill();
    EXPECT_TRUE(values.DHCP);
    EXPECT_EQ(values.Addresses[0], "10.1.2.3");
    page.SetAddress(NetAddress::IP, "10.1.2.4");
    EXPECT_EQ(Network().Flags & 0x80000000u, 0u);
}

TEST_F(DevicePageTest, FillShowsTheHeader)
{
    auto header = Device(0).GetHeader();
    kvr::writeBE32(header, kvr::model::dh::DeviceID, 0x00ab12cd);
    header[kvr::model::dh::PowerSupplies] = 0x21;
    header[kvr::model::dh::Units081] = 2;
    Device(0).SetHeader(header, true);
    const DevicePageValues values = page.Fill();
    EXPECT_TRUE(page.Filling());
    page.EndFill();
    EXPECT_EQ(values.Name, "North");
    EXPECT_EQ(values.DeviceID, "00AB12CD");
    EXPECT_EQ(values.Supply5V, 2);
    EXPECT_EQ(values.Supply24V, 1);
    EXPECT_EQ(values.External, 2);
    EXPECT_EQ(values.PrepMode, "None");
    EXPECT_FALSE(values.LastChanged.empty());
    EXPECT_NE(values.LastChanged.back(), '\n');
}

TEST_F(DevicePageTest, MkDummyDevMakesAFixedModelDevice)
{
    Device(0).SetChangedFlag(false);
    const auto stamp = Device(0).GetChangeTime();
    page.MakeDummy();
    EXPECT_EQ(HeaderByte(kvr::model::dh::DummyDevModel), DummyDeviceModel);
    EXPECT_TRUE(Device(0).IsDummy());
    EXPECT_TRUE(Device(0).IsChanged());
    EXPECT_EQ(Device(0).GetChangeTime(), stamp);
}

TEST_F(DevicePageTest, CreateDeviceIDAsksThenRenumbers)
{
    struct Case {
        bool fixedModel;
        int level;
        std::vector<Answer> answers;
        bool renumbered;
        std::vector<QString> texts;
    } cases[] = {
        {false, 0, {Answer::Yes}, true, {"Global Resources are not updated with the new DeviceID! Continue?", "OLD:", "NEW:"}},
        {false, 0, {Answer::No}, false, {"Global Resources are not updated with the new DeviceID! Continue?"}},
        {true, 1, {}, false, {"Can only change device id of KX7300 devices!"}},
        {true, 2, {Answer::Cancel}, false, {"Changing the DID of other devices than KX7300 frames is very dangerous!\nContinue?"}},
        {true, 2, {Answer::Ok, Answer::Yes}, true,
         {"Changing the DID of other devices than KX7300 frames is very dangerous!\nContinue?",
          "Global Resources are not updated with the new DeviceID! Continue?", "OLD:", "NEW:"}},
    };
    for (const Case& c : cases) {
        kvr::model::TProject fresh;
        test::MakeStudio(fresh, {"North", "South"});
        if (c.fixedModel) {
            auto header = fresh.Device(0)->GetHeader();
            header[kvr::model::dh::DummyDevModel] = 1;
            fresh.Device(0)->SetHeader(header, false);
        }
        const std::uint32_t oldID = fresh.Device(0)->GetDeviceID();
        const std::uint32_t expected = fresh.GetFreeDeviceID(c.fixedModel ? 64 : 1);
        kvr::platform::ScriptedPrompter prompter;
        for (Answer a : c.answers)
            prompter.answer(a);
        DevicePage fixedPage(fresh, 0);
        EXPECT_EQ(fixedPage.CreateDeviceID(prompter, c.level), c.renumbered);
        EXPECT_EQ(fresh.Device(0)->GetDeviceID(), c.renumbered ? expected : oldID);
        ASSERT_EQ(prompter.records().size(), c.texts.size());
        for (std::size_t i = 0; i < c.texts.size(); ++i)
            EXPECT_TRUE(prompter.records()[i].text.startsWith(c.texts[i])) << prompter.records()[i].text.toStdString();
        if (c.renumbered) {
            char text[32];
            std::snprintf(text, sizeof text, "OLD:  %08X", oldID);
            EXPECT_EQ(prompter.records()[c.texts.size() - 2].text, QString(text));
            std::snprintf(text, sizeof text, "NEW:  %08X", expected);
            EXPECT_EQ(prompter.records().back().text, QString(text));
        }
        EXPECT_EQ(prompter.unexpected, 0);
    }
    kvr::platform::ScriptedPrompter prompter;
    page.ShowDeviceID(prompter);
    char text[32];
    std::snprintf(text, sizeof text, "DevID:  %08X", Device(0).GetDeviceID());
    ASSERT_EQ(prompter.records().size(), 1u);
    EXPECT_EQ(prompter.records()[0].text, QString(text));
}
