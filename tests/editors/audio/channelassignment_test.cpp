#include <gtest/gtest.h>

#include "editors/audio/channelassignment.h"
#include "model/faderaccess.h"
#include "model/faderchannels.h"
#include "sourcefixture.h"

namespace kvr::editors::test {
namespace {

constexpr int kEQ = 10, kSubSonic = 11, kLimiter = 12;

// Twelve fader strips; channels 5 and 7 in pool 3 "Studio", 41 in pool 14 "Remote", 9 and 149
// without pool.
class Assignment : public SourceProject {
public:
    Assignment() : page(*dev)
    {
        SetHeaderBytes(*dev, {{dh::FaderCount, 12}});
        const auto channel = [](int number, const std::string& name, int poolFlags) {
            Bytes b = FaderRec(number, name);
            b[18] = static_cast<std::uint8_t>(poolFlags);
            return b;
        };
        dev->SetData(stFCH, Concat({channel(5, "Mic", 4), channel(7, "Gst", 4), channel(9, "CD", 0),
                                    channel(41, "Far", 15), channel(149, "last", 0)}));
        SetPoolName(*dev, 3, "Studio");
        SetPoolName(*dev, 14, "Remote");
        Put(1, 5, {kEQ});
    }
    void Put(int fader, int channel, std::vector<std::uint8_t> chain, int pot = 0)
    {
        TFader f;
        f.FaderChannel = static_cast<std::uint8_t>(channel);
        f.GlobalPot = static_cast<std::uint8_t>(pot);
        f.Count = static_cast<std::uint8_t>(chain.size());
        std::copy(chain.begin(), chain.end(), f.Chain.begin());
        SetFader(*dev, fader, f);
    }
    std::vector<int> ChainOf(int fader)
    {
        std::vector<int> types;
        for (const auto& f : page.Chain(fader))
            types.push_back(f.Type);
        return types;
    }

    ChannelAssignment page;
};

TEST_F(Assignment, LinesForEveryStripAndTheChannelsLeft)
{
    Put(3, 200, {}); // a channel that no longer exists
    Put(4, 41, {});
    const auto lines = page.FaderLines();
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0].Fader, "1");
    EXPECT_EQ(lines[11].Fader, "12");
    EXPECT_EQ(lines[0].Channel, "");
    EXPECT_EQ(lines[0].ChannelNumber, -1);
    EXPECT_EQ(lines[1].Channel, "Pool \"Studio\" Mic CH5");
    EXPECT_EQ(lines[1].ChannelNumber, 5);
    EXPECT_EQ(lines[3].Channel, "");
    EXPECT_EQ(lines[3].ChannelNumber, -1);
    EXPECT_EQ(lines[4].Channel, "Pool \"Remote\" Far CH41");

    std::vector<std::pair<std::string, int>> defined;
    for (const auto& c : page.DefinedChannels())
        defined.push_back({c.Text, c.Number});
    // Channel 149 is a channel like any other.
    EXPECT_EQ(defined, (std::vector<std::pair<std::string, int>>{
                           {"CD", 9}, {"last", 149}, {"Pool \"Studio\": Gst", 7}}));
}

TEST_F(Assignment, PooledFadersShareOneChain)
{
    // Fader 5 takes the chain of fader 2, which holds a channel of the same pool.
    page.Assign(4, 7);
    EXPECT_EQ(ChainOf(4), (std::vector<int>{kEQ}));
    EXPECT_EQ(page.AddFunction(4, kLimiter, -1), "");
    EXPECT_EQ(ChainOf(1), (std::vector<int>{kEQ, kLimiter}));
    EXPECT_EQ(ChainOf(4), (std::vector<int>{kEQ, kLimiter}));
    page.MoveFunction(1, 0, 1);
    EXPECT_EQ(ChainOf(4), (std::vector<int>{kLimiter, kEQ}));
    page.RemoveFunction(4, 0);
    EXPECT_EQ(ChainOf(1), (std::vector<int>{kEQ}));

    // A fader without channel, or with a channel outside the pool, keeps its own chain.
    Put(0, 0, {kSubSonic});
    Put(2, 9, {kSubSonic});
    page.AddFunction(1, kLimiter, 0);
    EXPECT_EQ(ChainOf(1), (std::vector<int>{kLimiter, kEQ}));
    EXPECT_EQ(ChainOf(0), (std::vector<int>{kSubSonic}));
    EXPECT_EQ(ChainOf(2), (std::vector<int>{kSubSonic}));

    // Assigning the pool's channel the other way round: the first fader of the pool gives the chain.
    page.Unassign(1);
    page.Unassign(4);
    Put(6, 7, {kLimiter});
    page.Assign(2, 5);
    EXPECT_EQ(ChainOf(2), (std::vector<int>{kLimiter}));
}

TEST_F(Assignment, ChainLimits)
{
    Put(2, 9, {kSubSonic});
    EXPECT_EQ(page.AddFunction(2, kSubSonic, -1), "Max. 1 functions of this type allowed!");
    EXPECT_EQ(ChainOf(2), (std::vector<int>{kSubSonic}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(page.AddFunction(2, kEQ, -1), "");
    EXPECT_EQ(page.AddFunction(2, kEQ, 0), "");
    EXPECT_EQ(page.AddFunction(2, kEQ, -1), "Max. 4 functions of this type allowed!");
    EXPECT_EQ(ChainOf(2), (std::vector<int>{kEQ, kSubSonic, kEQ, kEQ, kEQ}));

    // The 19th function is refused without a message.
    Put(3, 0, std::vector<std::uint8_t>(17, 14));
    EXPECT_TRUE(page.CanAddFunction(3));
    page.AddFunction(3, kLimiter, -1);
    EXPECT_FALSE(page.CanAddFunction(3));
    EXPECT_EQ(page.AddFunction(3, kSubSonic, -1), "");
    EXPECT_EQ(page.Chain(3).size(), 18u);

    // Exceeded processing limits refuse silently.
    dev->FLimitExceeded |= 0x04;
    EXPECT_FALSE(page.CanAddFunction(2));
    EXPECT_EQ(page.AddFunction(2, kLimiter, -1), "");
    EXPECT_EQ(ChainOf(2).size(), 5u);
}

TEST_F(Assignment, SwapKeepsPotsAndUnassignKeepsTheChain)
{
    Put(2, 9, {kLimiter}, 5);
    Put(3, 0, {}, 7);
    page.Swap(2, 3);
    EXPECT_EQ(page.FaderLines()[2].ChannelNumber, -1);
    EXPECT_EQ(ChainOf(2), std::vector<int>{});
    EXPECT_EQ(page.GlobalPot(2), 5);
    EXPECT_EQ(page.FaderLines()[3].ChannelNumber, 9);
    EXPECT_EQ(ChainOf(3), (std::vector<int>{kLimiter}));
    EXPECT_EQ(page.GlobalPot(3), 7);

    page.Unassign(3);
    EXPECT_EQ(ChainOf(3), (std::vector<int>{kLimiter}));
    // No channel is stored as 255.
    const auto records = dev->GetData(stChannelAssign);
    bool found = false;
    for (const auto& r : FaderRecords(records))
        if (records[r.offset + 2] == 3)
            found = records[r.offset] == 255;
    EXPECT_TRUE(found);

    page.SetGlobalPot(3, 20);
    EXPECT_EQ(page.GlobalPot(3), 20);
    page.SetGlobalPot(3, 21);
    EXPECT_EQ(page.GlobalPot(3), 20);
}

TEST_F(Assignment, AvailableFunctionsInTheirOrder)
{
    std::vector<std::string> names;
    std::vector<int> maxima;
    for (const auto& f : ChannelAssignment::AvailableFunctions()) {
        names.push_back(f.Name);
        maxima.push_back(f.Maximum);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Limiter", "Compressor", "Expander", "EQ", "AGC", "Sub Sonic", "DeEsser",
                                               "DeEsser 2", "Noise Gate", "Var. LP/HP"}));
    EXPECT_EQ(maxima, (std::vector<int>{1, 1, 1, 4, 1, 1, 1, 1, 1, 2}));
}

} // namespace
} // namespace kvr::editors::test
