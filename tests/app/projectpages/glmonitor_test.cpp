#include "app/projectpages/glmonitor.h"

#include "kvrdata/byteorder.h"
#include "model/potaccess.h"
#include "pagefixture.h"

using namespace kvr::app;
using Kvrdata_ns::KVRCANBlock;
using Kvrdata_ns::TUDPMsg;

namespace {

constexpr std::uint32_t IP2 = 0x0A000002; // 10.0.0.2
constexpr std::uint32_t IP3 = 0x0A000003; // 10.0.0.3

class GlobalLogicMonitorTest : public test::PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        kvr::model::SetGlobalLogicName(project, 4, "Red lamp");
        monitor.SetProject(&project);
        monitor.SetSend([this](TUDPMsg& msg) { sent.push_back(msg); });
        monitor.Open();
    }

    // A global logic broadcast as the server hands it over: numbers least significant byte first.
    static TUDPMsg Broadcast(std::uint32_t Magic, std::uint32_t ProjectID, std::uint32_t BlockID, int Index,
                             int State, std::uint32_t From = IP2)
    {
        TUDPMsg m;
        m.Address = From;
        kvr::writeLE32(m.Payload, 0, Magic);
        kvr::writeLE32(m.Payload, 4, ProjectID);
        m.Payload[8] = 3;
        kvr::writeLE32(m.Payload, 10, BlockID);
        kvr::writeBE16(m.Payload, 14, static_cast<std::uint16_t>(Index));
        m.Payload[16] = static_cast<std::uint8_t>(State);
        m.Length = 17;
        return m;
    }
    static TUDPMsg Broadcast(int Index, int State, std::uint32_t From = IP2)
    {
        return Broadcast(0x20081996, 0x41424344, 0x11500000, Index, State, From);
    }

    const GLLamp& Lamp(int Index) const { return monitor.Lamps()[static_cast<std::size_t>(Index)]; }
    std::string LastLine() const { return monitor.Log().empty() ? std::string() : monitor.Log().back(); }

    GlobalLogicMonitor monitor{[] { return std::string("10.12.26 17:00"); }};
    std::vector<TUDPMsg> sent;
};

} // namespace

TEST_F(GlobalLogicMonitorTest, SetMessageIsTheByteTable)
{
    std::array<std::uint8_t, 176> expected{};
    const std::uint8_t head[] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0x96, 0x19, 0x08, 0x20, 'A', 'B', 'C', 'D',
                                 3,    0,    0x11, 0x50, 0, 0, 0, 0xC7, 1};
    std::copy(std::begin(head), std::end(head), expected.begin());
    expected[172] = 17;

    // A grey lamp sends state 1 and turns red; the next click sends 0 and turns green.
    monitor.LampMouseDown(199, GLMouseButton::Left);
    EXPECT_EQ(Lamp(199).Color, GLLampColor::Red);
    monitor.LampMouseDown(199, GLMouseButton::Left);
    EXPECT_EQ(Lamp(199).Color, GLLampColor::Green);
    ASSERT_EQ(sent.size(), 2u);
    const auto first = Kvrdata_ns::UDPMsgToBytes(sent[0]);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), first.begin()));
    expected[24] = 0;
    const auto second = Kvrdata_ns::UDPMsgToBytes(sent[1]);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), second.begin()));
    EXPECT_EQ(monitor.Log(), (std::vector<std::string>{"Set Gobal Logic GL 200 (GL: 200) to 1",
                                                       "Set Gobal Logic GL 200 (GL: 200) to 0"}));
    // The memory keeps what the devices said, not what was sent.
    EXPECT_EQ(monitor.Memory()[199].State, 255);

    // Without a client the lamp still follows and nothing is sent.
    monitor.SetSend(nullptr);
    monitor.LampMouseDown(3, GLMouseButton::Left);
    EXPECT_EQ(Lamp(3).Color, GLLampColor::Red);
    EXPECT_EQ(sent.size(), 2u);
}

TEST_F(GlobalLogicMonitorTest, ReceivedStates)
{
    struct Step {
        const char* what;
        TUDPMsg msg;
        bool visible;
        int lamp;
        GLLampColor color;
        bool border;
        const char* line; // the new log line; nullptr when none
    };
    const auto A = [](int index, int state, std::uint32_t from = IP2) { return Broadcast(index, state, from); };
    const Step steps[] = {
        {"first state", A(4, 1), true, 4, GLLampColor::Red, false, "10.12.26 17:00 Red lamp (GL: 5) = 1 (by IP 10.0.0.2)"},
        {"repeat", A(4, 1), true, 4, GLLampColor::Red, false, nullptr},
        {"second sender", A(4, 1, IP3), true, 4, GLLampColor::Red, true,
         "10.12.26 17:00 Red lamp (GL: 5) = 1 (by IP 10.0.0.3) Warning: Previously set from IP 10.0.0.2"},
        {"same sender, off", A(4, 0, IP3), true, 4, GLLampColor::Green, true,
         "10.12.26 17:00 Red lamp (GL: 5) = 0 (by IP 10.0.0.3)"},
        {"index 200", A(200, 1), true, 199, GLLampColor::Grey, false, nullptr},
        {"index past 255", A(0x0100, 1), true, 0, GLLampColor::Grey, false, nullptr},
        {"wrong magic", Broadcast(0x06061999, 0x41424344, 0x11500000, 6, 1), true, 6, GLLampColor::Grey, false, nullptr},
        {"letters first-first", Broadcast(0x20081996, 0x44434241, 0x11500000, 6, 1), true, 6, GLLampColor::Grey, false, nullptr},
        {"other block", Broadcast(0x20081996, 0x41424344, 0x11510000, 6, 1), true, 6, GLLampColor::Grey, false, nullptr},
        {"hidden window", A(6, 1), false, 6, GLLampColor::Grey, false, nullptr},
        {"last lamp", A(199, 0), true, 199, GLLampColor::Green, false,
         "10.12.26 17:00 GL 200 (GL: 200) = 0 (by IP 10.0.0.2)"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        const std::size_t lines = monitor.Log().size();
        monitor.BroadcastReceived(s.msg, s.visible);
        EXPECT_EQ(Lamp(s.lamp).Color, s.color);
        EXPECT_EQ(Lamp(s.lamp).YellowBorder, s.border);
        if (s.line) {
            ASSERT_EQ(monitor.Log().size(), lines + 1);
            EXPECT_EQ(LastLine(), s.line);
        } else {
            EXPECT_EQ(monitor.Log().size(), lines);
        }
    }
}

TEST_F(GlobalLogicMonitorTest, NotMonitoredLampsIgnoreStatesAndSurviveAReset)
{
    monitor.BroadcastReceived(Broadcast(4, 1), true);
    monitor.BroadcastReceived(Broadcast(4, 1, IP3), true);
    monitor.LampMouseDown(7, GLMouseButton::Right);
    EXPECT_EQ(Lamp(7).Color, GLLampColor::Black);
    monitor.BroadcastReceived(Broadcast(7, 1), true);
    EXPECT_EQ(Lamp(7).Color, GLLampColor::Black);
    EXPECT_EQ(monitor.Memory()[7].Sender, 0xFFFFFFFFu);

    monitor.Reset();
    EXPECT_EQ(Lamp(7).Color, GLLampColor::Black);
    EXPECT_EQ(Lamp(4).Color, GLLampColor::Grey);
    EXPECT_FALSE(Lamp(4).YellowBorder);
    EXPECT_TRUE(monitor.Log().empty());
    EXPECT_EQ(monitor.Memory()[4].State, 255);

    // After the reset the same state is news again; a middle click monitors lamp 7 again.
    monitor.BroadcastReceived(Broadcast(4, 1, IP3), true);
    EXPECT_EQ(monitor.Log().size(), 1u);
    monitor.LampMouseDown(7, GLMouseButton::Middle);
    EXPECT_EQ(Lamp(7).Color, GLLampColor::Grey);
    EXPECT_TRUE(sent.empty());

    // Reopening forgets everything, the not-monitored marks included.
    monitor.LampMouseDown(7, GLMouseButton::Right);
    monitor.Close();
    monitor.BroadcastReceived(Broadcast(5, 1), true);
    monitor.LampMouseDown(7, GLMouseButton::Left);
    EXPECT_TRUE(sent.empty());
    monitor.Open();
    EXPECT_EQ(Lamp(7).Color, GLLampColor::Grey);
    EXPECT_EQ(Lamp(5).Color, GLLampColor::Grey);
    EXPECT_TRUE(monitor.Log().empty());
}

TEST_F(GlobalLogicMonitorTest, LogIsCutToTheNewest40After100)
{
    for (int i = 0; i < 100; ++i)
        monitor.LampMouseDown(i, GLMouseButton::Left);
    ASSERT_EQ(monitor.Log().size(), 100u);
    monitor.LampMouseDown(100, GLMouseButton::Left);
    ASSERT_EQ(monitor.Log().size(), 40u);
    EXPECT_EQ(monitor.Log().front(), "Set Gobal Logic GL 62 (GL: 62) to 1");
    EXPECT_EQ(monitor.Log().back(), "Set Gobal Logic GL 101 (GL: 101) to 1");
}

TEST_F(GlobalLogicMonitorTest, ControlBlockStatesCarryTheHostAddress)
{
    KVRCANBlock block;
    block.ID = GlobalLogicCANBlockID;
    block.Len = 3;
    block.Data[0] = 0;
    block.Data[1] = 12;
    block.Data[2] = 1;
    EXPECT_FALSE(monitor.CANBlockReceived(block, 0x7F000001, false));
    EXPECT_TRUE(monitor.CANBlockReceived(block, 0x7F000001, true));
    EXPECT_EQ(LastLine(), "10.12.26 17:00 GL 13 (GL: 13) = 1 (by IP 127.0.0.1)");
    EXPECT_EQ(Lamp(12).Color, GLLampColor::Red);

    block.ID = GlobalLogicCANBlockID | 1;
    block.Data[1] = 13;
    EXPECT_FALSE(monitor.CANBlockReceived(block, 0x7F000001, true));
    block.ID = GlobalLogicCANBlockID;
    block.Data[0] = 1; // index 269
    monitor.CANBlockReceived(block, 0x7F000001, true);
    EXPECT_EQ(monitor.Log().size(), 1u);

    // Without an open project no broadcast is taken.
    monitor.SetProject(nullptr);
    EXPECT_FALSE(monitor.BroadcastReceived(Broadcast(4, 1), true));
}
