#include "reports/documentrows.h"

#include <gtest/gtest.h>

#include "model/cardrecords.h"
#include "model/channelname.h"
#include "model/logicaccess.h"
#include "model/potaccess.h"
#include "model/sourcenames.h"
#include "model/summingbuses.h"
#include "printfixture.h"

namespace kvr::reports::test {
namespace {

using model::TCardRecord;
using model::TChannelEntry;

std::array<std::uint8_t, 16> Name16(const std::string& Text)
{
    std::array<std::uint8_t, 16> name{};
    std::copy(Text.begin(), Text.end(), name.begin());
    return name;
}

class GlobalLogicRowsTest : public PrintTest {};

TEST_F(GlobalLogicRowsTest, LaterFrameWinsPanelsAndUnsentLogicsSendNothing)
{
    AddFrame("Frame 1");
    AddFrame("Frame 2");
    AddPanel("Panel");
    model::SetGlobalLogicName(project, 4, "On Air");
    model::SetGlobalLogicName(project, 7, "Red");
    model::SetGLSource(*project.Device(0), 4, model::OffLogicID);
    model::SetGLSource(*project.Device(1), 4, 1081 + 7); // a later frame sends logic 5 too
    model::SetGLSource(*project.Device(0), 9, model::OffLogicID);
    // A panel never sends: its assignment (if one got into its image) is not listed.
    model::SetGLSource(*project.Device(2), 9, 1081 + 7);

    const std::vector<TRow> rows = GlobalLogicRows(project);
    ASSERT_EQ(200u, rows.size());
    EXPECT_EQ((TRow{"5", "On Air", "Frame 2", "GL Red"}), rows[4]);
    EXPECT_EQ((TRow{"10", "GL 10", "Frame 1", "OFF"}), rows[9]);
    // Nobody sends logic 8: number and name, no device, the name of logic source 0.
    EXPECT_EQ((TRow{"8", "Red", "", "None"}), rows[7]);
    EXPECT_EQ("200", rows[199][0]);
}

TEST_F(GlobalLogicRowsTest, ProjectWithoutDevicesListsEveryLogicUnsent)
{
    const std::vector<TRow> rows = GlobalLogicRows(project);
    ASSERT_EQ(200u, rows.size());
    EXPECT_EQ((TRow{"1", "GL 1", "", "None"}), rows[0]);
}

class OutputRoutingRowsTest : public PrintTest {
protected:
    OutputRoutingRowsTest()
    {
        device = AddFrame("Frame 1");
        dev = project.Device(device);
    }
    void PutCard(int Slot, const TCardRecord& Card)
    {
        dev->SetSetupData(static_cast<std::uint8_t>(Slot), model::EncodeCardRecord(Card));
    }
    void Route(int Output, int Source, std::uint8_t Mutes)
    {
        model::TChannelOption option;
        option.OutputID = static_cast<std::uint16_t>(Output);
        option.Source = static_cast<std::uint16_t>(Source);
        option.MuteLogics = Mutes;
        model::SetChannelOption(*dev, option);
    }
    int device = 0;
    model::TDevice* dev = nullptr;
};

TEST_F(OutputRoutingRowsTest, OutputsOfAudioAndDspCardsInSlotOrder)
{
    const int stereoOut = model::MakeChannelID(0, 0, 0x80 | 0x2000);
    const int monoOddOut = model::MakeChannelID(0, 3, 0x80);
    const int input = model::MakeChannelID(0, 1, 0);
    TCardRecord analog;
    analog.CardType = 122;
    analog.Channels = {Ch("PGM  ", stereoOut), Ch("Mic", input), Ch("Phone", monoOddOut)};
    PutCard(0, analog);
    TCardRecord gpio; // GPIO cards have no audio outputs
    gpio.CardType = model::kCardGPIO;
    gpio.Channels = {Ch("Relay", model::MakeChannelID(1, 0, 0x80))};
    PutCard(1, gpio);
    const int dspOut = model::MakeChannelID(8, 2, 0x80);
    TCardRecord dsp;
    dsp.CardType = model::kCardDSP;
    dsp.Channels = {Ch("MADI 3", dspOut)};
    PutCard(8, dsp);

    model::SetMuteLogicName(*dev, 0, Name16("Studio A"));
    model::SetMuteLogicName(*dev, 2, Name16("Studio C"));
    Route(stereoOut, input, 0x05);
    Route(stereoOut + 1, input, 0x00);

    const std::vector<TRow> rows = OutputRoutingRows(project, device);
    ASSERT_EQ(4u, rows.size());
    EXPECT_EQ("PGM L", rows[0][0]);
    EXPECT_EQ(model::GetChannelName(stereoOut, 122, false), rows[0][1]);
    EXPECT_EQ(model::GetAudioSourceName(project, input, device, false), rows[0][2]);
    EXPECT_EQ("Studio A, Studio C", rows[0][3]);
    EXPECT_EQ("PGM R", rows[1][0]);
    EXPECT_EQ(model::GetChannelName(stereoOut + 1, 122, false), rows[1][1]);
    EXPECT_EQ("", rows[1][3]);
    EXPECT_EQ("Phone R", rows[2][0]); // a mono output on an odd channel
    EXPECT_EQ("MADI 3 L", rows[3][0]);
    EXPECT_EQ(model::GetChannelName(dspOut, model::kCardDSP, false), rows[3][1]);
}

TEST_F(OutputRoutingRowsTest, CountBeyondTheRecordTakesOnlyTheEntriesItHolds)
{
    // A DSP slot keeps its record as stored: the count says five channels, the record holds one.
    TCardRecord dsp;
    dsp.CardType = model::kCardDSP;
    dsp.Channels = {Ch("Out", model::MakeChannelID(8, 0, 0x80))};
    std::vector<std::uint8_t> record = model::EncodeCardRecord(dsp);
    record[2] = 5;
    dev->SetSetupData(8, record);
    ASSERT_EQ(record.size(), dev->GetSetupData(8).size());

    const std::vector<TRow> rows = OutputRoutingRows(project, device);
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ("Out L", rows[0][0]);
}

TEST_F(OutputRoutingRowsTest, DeviceWithoutCardsOrMissingDeviceHasNoRows)
{
    EXPECT_TRUE(OutputRoutingRows(project, device).empty());
    EXPECT_TRUE(OutputRoutingRows(project, 5).empty());
}

} // namespace
} // namespace kvr::reports::test
