// Collecting a device's modules and cards on the fake server and fetching their protocols
// through a scripted fetcher.

#include "service/framefixture.h"

#include <map>
#include <set>

#include "kvrdata/byteorder.h"
#include "service/factorytest/factorytestrun.h"
#include "service/maintenance/mtnmessages.h"

namespace {

using namespace kvr::service;
using namespace servicetest;

// Answers each URL with a fixed state and body; a missing URL never answers.
class ScriptedFetcher : public HttpFetcher {
public:
    std::map<std::string, std::pair<int, std::string>> Answers;
    std::vector<std::string> Urls;
    std::vector<unsigned> Waits;
    int Aborts = 0;

    void Get(const std::string& Url) override
    {
        Urls.push_back(Url);
        const auto a = Answers.find(Url);
        Current = a == Answers.end() ? std::pair<int, std::string>{0, ""} : a->second;
    }
    int State() const override { return Current.first; }
    std::string Body() const override { return Current.second; }
    void Wait(unsigned Ms) override { Waits.push_back(Ms); }
    void Abort() override { ++Aborts; }

private:
    std::pair<int, std::string> Current;
};

constexpr const char* Base = "http://protocols.invalid/";

class Run : public FrameTest {
protected:
    // Module 0x0101 a fader module, 0x0202 a carrier with cards.
    void Prepare(bool Connect = true)
    {
        MakeFrame();
        Broadcast({Device(0x1234, {{0x0101, 2, 0}, {0x0202, 4, 0}})});
        Frame->SetFocus(ModuleNode(0, 0)); // opens the connection
        if (!Connect)
            Frame->KVRCC().Tag = 0;
        Server->onSendBlock = [this](std::int32_t H, const kvr::commserver::Bytes& B) {
            const auto cb = clienttest::BlockOf(B);
            const std::uint16_t module = cb.ID & 0xFFFF;
            if (Mute.count(module))
                return;
            if (cb.ID >> 16 == 0x0110) {
                ++SlotReads[cb.Data[0] / 16];
                const auto card = Cards.find(cb.Data[0] / 16);
                std::vector<std::uint8_t> page(128, 0);
                if (card != Cards.end()) {
                    page[0] = card->second.first;
                    page[1] = 2;
                    kvr::writeBE32(page, 4, card->second.second);
                    page[23] = 0x9C;
                }
                Server->deliverBlock(H, clienttest::BlockBytes(cb.ID, 8, {page.begin() + cb.Data[1], page.begin() + cb.Data[1] + 8}));
            } else if (cb.ID >> 16 == 0x0600) {
                Order.push_back(module);
                const std::uint8_t type = module == 0x0101 ? 2 : 4;
                Server->deliverBlock(H, clienttest::BlockBytes(cb.ID, 8, {type, 0, 0, 0, 5, 20, 9, 0}));
            }
        };
        T = std::make_unique<FactoryTestRun>(*Frame, *Frame->Devices().Entries().at(0), Http, Base);
    }
    void TearDown() override
    {
        T.reset();
        FrameTest::TearDown();
    }

    ScriptedFetcher Http;
    std::unique_ptr<FactoryTestRun> T;
    // slot index -> (type code, serial)
    std::map<int, std::pair<std::uint8_t, std::uint32_t>> Cards = {{0, {50, 12345}}, {2, {0xFF, 1}}, {3, {72, 987}}, {9, {0x33, 4242}}};
    std::set<std::uint16_t> Mute;
    std::vector<std::uint16_t> Order;
    std::map<int, int> SlotReads;
};

TEST_F(Run, CollectsModulesInBroadcastOrderAndTheCardsOfACarrier)
{
    Prepare();
    ASSERT_TRUE(T->CollectHardware());
    EXPECT_EQ(Order, (std::vector<std::uint16_t>{0x0101, 0x0202}));
    EXPECT_EQ(SlotReads.size(), 10u);
    ASSERT_EQ(T->Entries.size(), 5u) << "type 0 and 0xFF are no cards";
    EXPECT_FALSE(T->Entries[0].IsCard());
    EXPECT_EQ(T->Entries[0].Version[1], 20);
    EXPECT_EQ(T->Entries[2].Number, 12345);
    EXPECT_EQ(T->Entries[2].Slot, 0);
    EXPECT_EQ(T->Entries[2].Carrier, 0x0202);
    EXPECT_EQ(T->Entries[3].Slot, 3);
    EXPECT_EQ(T->Entries[4].Slot, 9);
    EXPECT_EQ(T->ProjectText(), "ABCD");
    EXPECT_EQ(T->DeviceName(), "EMU1");
}

TEST_F(Run, ASilentModuleIsReportedAndTheNextRead)
{
    Prepare();
    Mute.insert(0x0101);
    ASSERT_TRUE(T->CollectHardware());
    EXPECT_EQ(Shown, (std::vector<unsigned>{mmModuleNoAnswer}));
    ASSERT_FALSE(T->Entries.empty());
    EXPECT_EQ(T->Entries[0].Module, 0x0202);
}

TEST_F(Run, NotConnectedCollectsNothing)
{
    Prepare(false);
    EXPECT_FALSE(T->Run());
    EXPECT_EQ(Shown, (std::vector<unsigned>{mmSerialNumbersFailed}));
    EXPECT_TRUE(T->Entries.empty());
    EXPECT_TRUE(Http.Urls.empty());
}

TEST_F(Run, FetchesEachCardAndAddsItsCorrectionValues)
{
    Prepare();
    Http.Answers[std::string(Base) + "7300/12/log12345.txt"] = {1, "line 1\r\nline 2\r\n"};
    Http.Answers[std::string(Base) + "7300/00/log00987.txt"] = {1, "line 1\nline 2\n"};
    Http.Answers[std::string(Base) + "7300/04/log04242.txt"] = {2, ""};
    ASSERT_TRUE(T->Run());
    ASSERT_EQ(T->Entries.size(), 5u);
    EXPECT_EQ(T->Entries[0].Lines, (std::vector<std::string>{"Module:        Module KX730-020   #F1", "Serial No.:    257", "Factory test:  PASSED OK"}));
    const auto& first = T->Entries[2].Lines;
    ASSERT_EQ(first.size(), 9u) << "the card in slot index 0 has no correction values: its protocol ends with the text";
    EXPECT_EQ(first[1], "Serial No.:    12345");
    EXPECT_EQ(std::vector<std::string>(first.begin() + 3, first.begin() + 9),
              (std::vector<std::string>{"", "", "Detailed protocol: ", "", "line 1", "line 2"}));
    const auto& second = T->Entries[3].Lines;
    EXPECT_EQ(std::vector<std::string>(second.begin() + 7, second.begin() + 9), (std::vector<std::string>{"line 1", "line 2"}));
    EXPECT_NE(std::find(second.begin(), second.end(), "AD    15dB     18dB     21dB     24dB"), second.end());
    EXPECT_EQ(T->Entries[4].Lines.size(), 3u) << "a failed download keeps the summary only";
    EXPECT_EQ(std::count(T->Memo.begin(), T->Memo.end(), std::string(54, '*')), 3);
    EXPECT_EQ(T->Progress, T->ProgressMax);
}

TEST_F(Run, ATimeOutOrNoConnectionStopsTheWalk)
{
    struct Case {
        int State; // 0: never answers
        const char* Status;
    };
    const Case cases[] = {
        {0, "HTTP Time outhttp://protocols.invalid/7300/12/log12345.txt"},
        {4, "Could not connect to KVR factory test protocol server"},
    };
    for (const Case& c : cases) {
        Prepare();
        Http.Urls.clear();
        Http.Answers.clear();
        if (c.State)
            Http.Answers[std::string(Base) + "7300/12/log12345.txt"] = {c.State, ""};
        EXPECT_FALSE(T->Run());
        EXPECT_EQ(T->Status, c.Status);
        EXPECT_EQ(Http.Urls.size(), 1u) << "the walk stops at the first card";
        EXPECT_EQ(T->Entries[0].Lines.size(), 3u) << "earlier entries are kept";
        EXPECT_EQ(T->Memo.back(), "");
        EXPECT_EQ(Http.Aborts, c.State == 0 ? 1 : 0);
        EXPECT_EQ(Http.Waits, std::vector<unsigned>{HttpDeadlineMs}) << "one wait for the whole time, no polling";
        Http.Aborts = 0;
        Http.Waits.clear();
        T.reset();
        Frame.reset();
        Actions.reset();
    }
}

} // namespace
