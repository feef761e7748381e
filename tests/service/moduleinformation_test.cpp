// Reading module and card information through the frame on the fake server.

#include "service/framefixture.h"

#include <map>

#include "kvrdata/byteorder.h"
#include "service/maintenance/mtnmessages.h"
#include "service/moduleinfo/moduleinformation.h"
#include "service/moduleinfo/smallxml.h"

namespace {

using namespace kvr::service;
using namespace servicetest;

class Information : public FrameTest {
protected:
    // A device with a carrier (type 4) and a fader module; the fake answers as the device would.
    void Prepare()
    {
        MakeFrame();
        Broadcast({Device(0x1234, {{0x0101, 2, 0}, {0x0202, 4, 0}})});
        Info = std::make_unique<ModuleInformation>(*Frame);
        Info->Now = [] { return std::int64_t{0}; };
        Server->onSendBlock = [this](std::int32_t H, const kvr::commserver::Bytes& B) {
            const auto cb = clienttest::BlockOf(B);
            const std::uint16_t module = cb.ID & 0xFFFF;
            if (cb.ID >> 16 == 0x0110) {
                const int slot = cb.Data[0] / 16;
                const auto card = Cards.find(slot);
                if (card == Cards.end() || Mute.count(module))
                    return;
                std::vector<std::uint8_t> page(128, 0);
                page[0] = card->second;
                page[1] = 2;
                kvr::writeBE32(page, 4, static_cast<std::uint32_t>(500 + slot));
                if (cb.Data[1] >= MissingFrom)
                    return;
                Server->deliverBlock(H, clienttest::BlockBytes(cb.ID, 8, {page.begin() + cb.Data[1], page.begin() + cb.Data[1] + 8}));
            } else if (cb.ID >> 16 == 0x0600 && !Mute.count(module)) {
                const std::uint8_t type = module == 0x0101 ? 2 : 4;
                Server->deliverBlock(H, clienttest::BlockBytes(cb.ID, 8, {type, 0, 0, 0, 5, 20, 9, 0}));
            }
        };
    }
    void TearDown() override
    {
        Info.reset();
        FrameTest::TearDown();
    }

    std::unique_ptr<ModuleInformation> Info;
    std::map<int, std::uint8_t> Cards = {{0, 0x32}, {1, 0x01}, {3, 0x64}, {9, 0x47}};
    std::set<std::uint16_t> Mute;
    int MissingFrom = 256;
};

TEST_F(Information, CardsBecomeNodesAndAnEmptySlotNone)
{
    Prepare();
    Frame->SetFocus(ModuleNode(0, 0));
    TModuleNode* carrier = ModuleNode(0, 1);
    Info->ReadCardSlots(*carrier);
    ASSERT_EQ(carrier->Children.size(), 3u) << "slot 3 is empty, 0x47 is no card of the table";
    EXPECT_EQ(carrier->Children[0]->Rec.Text, "Slot  1 - KX730-122   SN 500");
    EXPECT_EQ(carrier->Children[1]->Rec.Index, 2);
    EXPECT_EQ(carrier->Children[2]->Rec.Index, 4);
    EXPECT_EQ(carrier->Children[2]->Rec.Type, 8);
    EXPECT_EQ(carrier->Children[2]->Rec.Address, 0x0202);
    EXPECT_TRUE(carrier->Expanded);

    // Focusing a carrier reads its cards by itself.
    Cards.erase(0);
    Frame->OnCardModuleFocused = [this](TModuleNode& M) { Info->ReadCardSlots(M); };
    Frame->SetFocus(carrier);
    EXPECT_EQ(carrier->Children.size(), 2u);
}

TEST_F(Information, SerialNumbersWithTheCarrierInSlot9)
{
    Prepare();
    Frame->SetFocus(ModuleNode(0, 0));
    Info->ListSerialNumbers();
    EXPECT_EQ(Frame->Focused(), DeviceNode(0)) << "the focus moves up to the device";
    const std::vector<std::string> expected = {
        "Serial numbers",
        " ",
        "MAC address of device: 001234",
        " ",
        "KX730-020   #F1    PN:   257    Firmware version: 5.20.9.0",
        "KX730-851   #B1    PN:   514    Firmware version: 5.20.9.0",
        "\t\tSlot  1   Type KX730-122     SN   500    Rev 2",
        "\t\tSlot  2   Type KX730-111     SN   501    Rev 2",
        "\t\tSlot  4   Type KX730-848L    SN   503    Rev 2",
        "\t\tSlot  9   Type KX730-851     PN   514    Rev 0",
        " ",
        " ",
    };
    EXPECT_EQ(Info->Lines, expected) << "slot 9 is named even without a card there";

    Info->Lines.clear();
    Mute = {0x0101};
    Info->ListSerialNumbers();
    EXPECT_EQ(std::count(Shown.begin(), Shown.end(), mmModuleNoAnswer), 1);
    EXPECT_EQ(Info->Lines[4], "KX730-851   #B1    PN:   514    Firmware version: 5.20.9.0");

    Frame->KVRCC().Tag = 0;
    Shown.clear();
    Info->Lines.clear();
    Info->ListSerialNumbers();
    EXPECT_EQ(Shown, (std::vector<unsigned>{mmSerialNumbersFailed}));
    EXPECT_EQ(Info->Lines.size(), 6u);
}

TEST_F(Information, CardPageNeedsEverySixteenthOfIt)
{
    Prepare();
    Frame->SetFocus(ModuleNode(0, 1));
    std::vector<std::pair<int, int>> progress;
    Frame->OnProgress = [&](int Position, int Maximum) { progress.emplace_back(Position, Maximum); };
    Info->ShowCardInfo(0x0202, 1);
    ASSERT_GE(Info->Lines.size(), 4u);
    EXPECT_EQ(Info->Lines[1], "Cardtype:      KX730-122  ");
    ASSERT_EQ(progress.size(), 17u);
    EXPECT_EQ(progress[15], (std::pair{120, 128})) << "the bar spans the 128 bytes";
    EXPECT_EQ(progress[16], (std::pair{0, 0}));

    Info->Lines.clear();
    MissingFrom = 64;
    Info->ShowCardInfo(0x0202, 1);
    EXPECT_TRUE(Info->Lines.empty());
    EXPECT_EQ(Shown.back(), mmIncompleteData);

    Frame->KVRCC().Tag = 0;
    Info->ShowCardInfo(0x0202, 1);
    EXPECT_EQ(Shown.back(), mmCardInfoFailed);
}

TEST_F(Information, ModuleStatusFailures)
{
    Prepare();
    Frame->SetFocus(ModuleNode(0, 0));
    Frame->KVRCC().Tag = 0;
    Info->ShowModuleInfo();
    EXPECT_EQ(Shown.back(), mmModuleInfoFailed);
    EXPECT_EQ(Info->Lines, (std::vector<std::string>{"Module Information:", " ", " ", " "}));
}

TEST(ModuleListXML, ThreeModulesAndNoConnection)
{
    DeviceList list;
    list.Take({StatusMsg(Device(0x1234, {{1001, 2, 0}, {1002, 31, 1}, {1003, 99, 2}}))}, 1);
    std::vector<std::string> lines;
    WriteModuleListXML(lines, list.Entries()[0].get(), true, [](const std::string&) { ADD_FAILURE(); });
    ASSERT_EQ(lines.size(), 7u + 3 * 14);
    EXPECT_EQ(lines[0], "<?xml-stylesheet type=\"text/xsl\" href=\"mod.xslt\"?>");
    EXPECT_EQ(lines[1], "<body>");
    EXPECT_EQ(lines[3], "\t\t<mods>");
    const std::vector<std::string> first = {"\t\t\t<mod>",     "\t\t\t\t<type>",  "\t\t\t\t\tKX730-020", "\t\t\t\t</type>",
                                            "\t\t\t\t<serno>", "\t\t\t\t\t1001",  "\t\t\t\t</serno>",    "\t\t\t\t<num>",
                                            "\t\t\t\t\t0",     "\t\t\t\t</num>",  "\t\t\t\t<stype>",     "\t\t\t\t\t#F",
                                            "\t\t\t\t</stype>", "\t\t\t</mod>"};
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 4, lines.begin() + 18), first);
    EXPECT_EQ(lines[18 + 11], "\t\t\t\t\t") << "type 31 has an empty stype";
    EXPECT_EQ(lines[32 + 2], "\t\t\t\t\t") << "an unknown type has no name";
    EXPECT_EQ(lines.back(), "</body>");

    lines.clear();
    WriteModuleListXML(lines, list.Entries()[0].get(), false);
    EXPECT_EQ(lines, (std::vector<std::string>{"<?xml-stylesheet type=\"text/xsl\" href=\"mod.xslt\"?>", "<body>", "\t<modlist>",
                                               "\t\t<mods>", "\t\t</mods>", "\t</modlist>", "</body>"}));
}

TEST(ModuleListXML, ClosingAtTopLevelSaysSoAndWritesNothing)
{
    std::vector<std::string> lines;
    std::vector<std::string> messages;
    TKVRXML xml(&lines, "a.xslt");
    xml.Message = [&](const std::string& M) { messages.push_back(M); };
    xml.BeginDocument();
    xml.AddNode("Type", "x");
    xml.EndDocument();
    const auto written = lines.size();
    EXPECT_EQ(xml.CloseNode(), 0);
    EXPECT_EQ(lines.size(), written);
    EXPECT_EQ(messages, (std::vector<std::string>{"Can't close node: already at top-level!"}));
    EXPECT_EQ(lines[3], "\t\tx");
    EXPECT_THROW(TKVRXML(nullptr, "a"), std::invalid_argument);
}

} // namespace
