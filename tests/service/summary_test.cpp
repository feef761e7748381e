// The project summary: rows, serial-number edits, module order and the summary text as pure
// rules, and "Generate!" on the fake server with a real project.

#include <gtest/gtest.h>

#include "client/clientfixture.h"
#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/project.h"
#include "platform/prompter.h"
#include "service/statusmsg.h"
#include "service/summary/projectsummary.h"

namespace {

using namespace kvr::service;

TDeviceDesc Desc(const std::string& Name, int Dummy, bool Online = true)
{
    TDeviceDesc d;
    for (std::size_t i = 0; i < Name.size(); ++i)
        d.Header[16 + i] = static_cast<std::uint8_t>(Name[i]);
    d.Header[106] = static_cast<std::uint8_t>(Dummy);
    d.Online = Online ? 1 : 0;
    d.Addr.IP = 0x7F000002;
    d.Addr.MAC = 0x00ABC1;
    return d;
}

TScannedModule Mod(int Kind, int Position, int Address, std::array<std::int32_t, 4> Version = {1, 2, 3, 4})
{
    return {Address, Position, Version, Kind};
}

TEST(SummaryRows, TypesSerialColumnsAndAddress)
{
    struct Case {
        int Dummy;
        const char* Type;
        const char* Sn;
    };
    for (const Case& c : {Case{0, "KX7300", "17"}, Case{27, "KX730-027", "-"}, Case{78, "KX730-078", "-"},
                          Case{79, "KX730-079", "-"}, Case{5, "unknown", "-"}}) {
        TDeviceDesc d = Desc("Studio 1", c.Dummy, c.Dummy != 79);
        d.FrameSN = "17";
        d.PowerSN = "17";
        const TSummaryRow r = SummaryRow(d);
        EXPECT_EQ(r, (TSummaryRow{"Studio 1", c.Type, c.Sn, c.Sn, c.Dummy != 79 ? "yes" : "no", "127.0.0.2", "00ABC1"})) << c.Dummy;
    }
}

TEST(SummaryText, ModuleOrderPutsUnlistedKindsLastByCode)
{
    TDeviceDesc d;
    const std::vector<TScannedModule> in{Mod(99, 0, 1), Mod(4, 1, 2), Mod(30, 0, 3), Mod(3, 1, 4), Mod(11, 0, 5),
                                         Mod(4, 0, 6),  Mod(1, 0, 7), Mod(31, 0, 8), Mod(3, 0, 9), Mod(2, 0, 10)};
    std::copy(in.begin(), in.end(), d.Modules.begin());
    d.ModuleCount = static_cast<std::int32_t>(in.size());
    SortModules(d);
    std::vector<int> order;
    for (int i = 0; i < d.ModuleCount; ++i)
        order.push_back(d.Modules[static_cast<std::size_t>(i)].Address);
    // 11, 3 (by position), 2, 4 (by position), 1, then 30, 31, 99 by code.
    EXPECT_EQ(order, (std::vector<int>{5, 9, 4, 10, 6, 2, 7, 3, 8, 1}));
    EXPECT_EQ(d.Modules[10].Address, 0) << "entries behind the count stay";
}

TEST(SummaryText, GoldenForAFrameAPanelAndTheOthers)
{
    TDeviceDesc frame = Desc("Studio 1", 0);
    frame.Header[52] = 1;
    frame.Header[96] = 0x21;
    frame.FrameSN = "F-100";
    frame.Modules[0] = Mod(3, 0, 840);
    frame.Modules[1] = Mod(4, 0, 1003, {5, 20, 9, 0});
    frame.Modules[2] = Mod(4, 3, 1004);
    frame.Modules[3] = Mod(77, 1, 12);
    frame.ModuleCount = 4;
    frame.CardPages[0][2] = {1234, 2, 5, 100};
    frame.CardPages[0][9] = {99999, 1, 0, 150};
    frame.CardPages[0][4] = {0, 1, 0, 50}; // no serial number: no line
    frame.CardPages[0][5] = {77, 0, 0, 42};

    TDeviceDesc power = Desc("Studio 2", 0);
    power.Header[97] = 0x13;
    power.PowerSN = "P-7";

    TDeviceDesc panel = Desc("Desk", 78);
    panel.Addr.MAC = 0x1234567;
    panel.Modules[0] = Mod(32, 0, 77, {2, 0, 1, 0});

    const auto text = SummaryText({"Show (ABCD)", "4711", "Radio"},
                                  {frame, power, panel, Desc("Gone", 0, false), Desc("Odd", 5)});
    const std::string stars(53, '*');
    const std::vector<std::string> expected{
        stars,
        "Project          : Show (ABCD)",
        "Order Number     : 4711",
        "Customer         : Radio",
        "Number of Devices: 5",
        stars,
        "Device Studio 1",
        "  Device type           : KX7300",
        "  Device Serial Number  : 00ABC1",
        "  DSP Frame type        : KX730-063",
        "  DSP Frame SN          : F-100",
        "    KX730-084 (24V)       : 1",
        "    KX730-083 ( 5V)       : 2",
        "  No extra power supply",
        "",
        "  KX730-010  #C1 ,     PN 00840, Ver 1.2.3.4",
        "  KX730-851  #B1 ,     PN 01003, Ver 5.20.9.0",
        "    Slot 03 KX730-848L SN 01234, Rev 2, FA 5",
        "    Slot 06 unknown    SN 00077, Rev 0, FA 0",
        "    Slot 10 KX730-851  SN 99999, Rev 1, FA 0",
        "  KX730-851  #B4 ,     PN 01004, Ver 1.2.3.4",
        "  unknown#?2 ,     PN 00012, Ver 1.2.3.4",
        "",
        "Device Studio 2",
        "  Device type           : KX7300",
        "  Device Serial Number  : 00ABC1",
        "  DSP Frame type        : KX730-061",
        "  DSP Frame SN          : 0",
        "    KX730-084 (24V)       : 0",
        "    KX730-083 ( 5V)       : 0",
        "  Power supply frame SN : P-7",
        "    KX730-084 (24V)       : 3",
        "",
        "",
        "Panel Desk",
        "  Panel type           : KX730-078",
        "  Serial Number        : 1234567",
        "  KX730-078              PN 00077, Ver 2.0.1.0",
        "",
        "Gone not available",
        "",
        "Odd to do or unknown..",
        ""};
    EXPECT_EQ(text, expected);
    EXPECT_EQ(SummaryFileName("A/B: C"), "A_B_ C SN.txt");
}

TEST(SummaryText, TableTexts)
{
    EXPECT_EQ(SummaryModuleText(14), "KX730-014");
    EXPECT_EQ(SummaryModuleText(31), "KX730-027");
    EXPECT_EQ(SummaryModuleText(0), "None");
    EXPECT_EQ(SummaryModuleShortText(11), " #L");
    EXPECT_EQ(SummaryModuleShortText(12), "#?");
    EXPECT_EQ(SummaryCardText(0), "unknown ");
    EXPECT_EQ(SummaryCardText(102), "KX730-421S");
    EXPECT_EQ(SummaryCardText(0xFF), "unknown");
}

// "Generate!" on the fake server: a project of a frame, a panel and a device that does not
// broadcast.
class Summary : public clienttest::ClientTest {
protected:
    void SetUp() override
    {
        clienttest::ClientTest::SetUp();
        auto header = Project.GetHeader();
        kvr::writeBE32(header, 88, 0x41424344); // "ABCD"
        Project.SetHeader(header);
        Project.SetName("Show");
        // Panels (dummy devices) gather at the end of a project.
        AddDevice("Studio 1", 1, 0, 0x13);
        AddDevice("Desk", 2, 78, 0);
        AddDevice("Gone", 3, 0, 0);
        EXPECT_EQ(Project.Device(2)->GetDummyDevModel(), 78);
        Server->setBroadcasts(servicetest::Collection({servicetest::StatusMsg({0x0A0B0C, "Studio 1", "ABCD", 1, 0x7F000002, {}}),
                                                        servicetest::StatusMsg({0x000777, "Desk", "ABCD", 2, 0x7F000003, {}})}));
        Server->onSendBlock = [this](std::int32_t H, const kvr::commserver::Bytes& B) {
            const auto cb = clienttest::BlockOf(B);
            Sent.push_back(cb.ID);
            if (cb.ID == 0x0600FFFF) {
                for (const auto& m : Answers)
                    Server->deliverBlock(H, clienttest::BlockBytes(0x06000000u | m.Address, 8,
                                                                   {static_cast<std::uint8_t>(m.Kind), static_cast<std::uint8_t>(m.Position),
                                                                    0, 0, 5, 20, 9, 0}));
            } else if (cb.ID >> 16 == 0x0110 && cb.Data[0] == 0x20) {
                Server->deliverBlock(H, clienttest::BlockBytes(cb.ID, 8, {100, 2, 0, 5, 0, 0, 0x04, 0xD2}));
            } else if (cb.ID >> 16 == 0x0110 && cb.Data[0] == 0x30) {
                Server->deliverBlock(H, clienttest::BlockBytes(cb.ID, 8, {0xFF, 2, 0, 5, 0, 0, 0x04, 0xD2}));
            } else if (cb.ID >> 16 == 0x0110) {
                Server->deliverBlock(H, clienttest::BlockBytes(cb.ID, 8, {0, 0, 0, 0, 0, 0, 0, 0}));
            }
        };
        // Waits pass on the fake clock.
        T = std::make_unique<ProjectSummary>(std::make_unique<TKVRCommunicationClient>(nullptr, Services()), Project,
                                             TSummaryServices{[this] { return Clock.T; }, [this] { Clock.T += 1; }, &Ask,
                                                              [this](const std::function<bool()>& Done, unsigned Ms) {
                                                                  if (!Done())
                                                                      Clock.T += Ms;
                                                              }});
        T->Show();
    }
    void TearDown() override
    {
        T.reset();
        clienttest::ClientTest::TearDown();
    }

    void AddDevice(const std::string& Name, std::uint32_t Did, int Dummy, std::uint8_t Power)
    {
        const int i = Project.AddDevice();
        auto* d = Project.Device(i);
        auto h = d->GetHeader();
        std::fill(h.begin() + 16, h.begin() + 52, 0);
        std::copy(Name.begin(), Name.end(), h.begin() + 16);
        kvr::writeBE32(h, 78, Did);
        h[97] = Power;
        h[106] = static_cast<std::uint8_t>(Dummy);
        d->SetHeader(h, false);
    }

    std::size_t CardReads() const
    {
        return static_cast<std::size_t>(std::count_if(Sent.begin(), Sent.end(), [](std::uint32_t id) { return id >> 16 == 0x0110; }));
    }

    kvr::model::TProject Project;
    kvr::platform::ScriptedPrompter Ask;
    std::vector<TScannedModule> Answers{Mod(4, 0, 1003), Mod(3, 0, 1002), Mod(4, 3, 1005)};
    std::vector<std::uint32_t> Sent;
    std::unique_ptr<ProjectSummary> T;
};

TEST_F(Summary, RowsAndSerialNumberEdits)
{
    EXPECT_EQ(T->ProjectText(), "Show (ABCD)");
    const auto rows = T->ShowList();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (TSummaryRow{"Studio 1", "KX7300", "0", "0", "yes", "127.0.0.2", "0A0B0C"}));
    EXPECT_EQ(rows[2].Online, "yes");
    EXPECT_EQ(rows[2].FrameSN, "-");
    EXPECT_EQ(rows[2].Address, "127.0.0.3");
    EXPECT_EQ(rows[1].Online, "no");
    EXPECT_EQ(rows[1].Address, "0.0.0.0");

    EXPECT_EQ(T->Select(0), (TSerialEdits{true, true, "0", "0"}));
    EXPECT_EQ(T->Select(2), (TSerialEdits{})) << "a panel: both disabled and empty";
    EXPECT_EQ(T->Select(1), (TSerialEdits{true, false, "0", "not used"}));
    EXPECT_EQ(T->Select(-1), (TSerialEdits{}));
    EXPECT_EQ(T->Select(3), (TSerialEdits{}));
    T->FrameSNChanged(0, "F-1");
    T->PowerSNChanged(0, "P-1");
    T->PowerSNChanged(1, "ignored");
    T->FrameSNChanged(2, "ignored");
    EXPECT_EQ(T->ShowList()[0].FrameSN, "F-1");
    EXPECT_EQ(T->Entries()[0].PowerSN, "P-1");
    EXPECT_EQ(T->Entries()[1].PowerSN, "0");
    EXPECT_EQ(T->Entries()[2].FrameSN, "0");
}

TEST_F(Summary, CancelAtTheQuestionDoesNothing)
{
    T->ShowList();
    Ask.answer(kvr::platform::Answer::Cancel);
    EXPECT_FALSE(T->Generate("O", "C"));
    ASSERT_EQ(Ask.records().size(), 1u);
    EXPECT_EQ(Ask.records()[0].buttons, kvr::platform::Buttons::YesCancel);
    EXPECT_TRUE(T->Output.empty());
    EXPECT_TRUE(Sent.empty());
}

TEST_F(Summary, YesScansEveryDeviceAndEachRunAppends)
{
    T->ShowList();
    Ask.answer(kvr::platform::Answer::Yes);
    Ask.answer(kvr::platform::Answer::Ok);
    ASSERT_TRUE(T->Generate("4711", "Radio"));
    ASSERT_EQ(Ask.records().size(), 2u) << "the question once, then Done.";
    EXPECT_EQ(Ask.records()[1].text, "Done.");
    EXPECT_EQ(T->Progress, T->ProgressMax);
    EXPECT_EQ(T->ProgressMax, 3 * 32);
    EXPECT_EQ(CardReads(), 3u * 10u) << "the carrier at position 3 is not read; every device answers the scan here";
    const auto& out = T->Output;
    const auto has = [&out](const std::string& line) { return std::find(out.begin(), out.end(), line) != out.end(); };
    EXPECT_TRUE(has("  KX730-010  #C1 ,     PN 01002, Ver 5.20.9.0"));
    EXPECT_TRUE(has("    Slot 03 KX730-848L SN 01234, Rev 2, FA 5"));
    EXPECT_FALSE(has("    Slot 04 KX730-848L SN 01234, Rev 2, FA 5")) << "card type 0xFF";
    EXPECT_TRUE(has("Gone not available"));
    EXPECT_TRUE(has("  Device Serial Number  : 0A0B0C"));
    const auto firstSize = out.size();

    Ask.answer(kvr::platform::Answer::Yes);
    Ask.answer(kvr::platform::Answer::Ok);
    ASSERT_TRUE(T->Generate("4711", "Radio"));
    EXPECT_EQ(out.size(), 2 * firstSize);
    EXPECT_EQ(std::vector<std::string>(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(firstSize)), T->LastRun);
}

TEST_F(Summary, AtMost32ModulesAreKept)
{
    Answers.clear();
    for (int i = 0; i < 33; ++i)
        Answers.push_back(Mod(2, i, 100 + i));
    T->ShowList();
    Ask.answer(kvr::platform::Answer::Yes);
    Ask.answer(kvr::platform::Answer::Ok);
    ASSERT_TRUE(T->Generate("", ""));
    EXPECT_EQ(T->Entries()[0].ModuleCount, 32);
    EXPECT_EQ(T->Entries()[0].Modules[31].Address, 131);
}

} // namespace

namespace {

TEST_F(Summary, ADeviceThatCannotBeReachedKeepsWhatTheLastRunFound)
{
    T->ShowList();
    for (int run = 0; run < 2; ++run) {
        Ask.answer(kvr::platform::Answer::Yes);
        Ask.answer(kvr::platform::Answer::Ok);
        if (run == 1)
            Server->scriptResults(kvr::commserver::RpcMethod::OpenConnection, {1, 1, 1});
        const auto before = Clock.T;
        ASSERT_TRUE(T->Generate("", ""));
        if (run == 1) {
            EXPECT_GE(Clock.T - before, 3 * SummaryWaitMs) << "each device is given 5 s to connect";
        }
    }
    const auto& last = T->LastRun;
    EXPECT_NE(std::find(last.begin(), last.end(), "  KX730-010  #C1 ,     PN 01002, Ver 5.20.9.0"), last.end());
    EXPECT_EQ(T->Entries()[0].ModuleCount, 3);
}

} // namespace
