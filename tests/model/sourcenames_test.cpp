#include <gtest/gtest.h>

#include <string>

#include "model/channelname.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/sourcenames.h"
#include "recordinghost.h"
#include "sourcebuilder.h"

namespace kvr::model {
namespace {

using namespace test;

// One device carrying one record of every kind that gives a source its name.
class SourceNames : public ::testing::Test {
protected:
    SourceNames()
    {
        project.AddDevice();
        dev = project.Device(0);
        dev->SetName("Studio A");
        SetHeaderBytes(*dev, {{dh::ProgramBusCount, 1}, {dh::AuxBusCount, 1}, {dh::CleanFeedCount, 1},
                              {dh::OutFktCount, 1}, {dh::FixedProcCount, 2}});
        dev->SetData(stBus, Concat({BusRec("Main", true), BusRec("Aux1", false)}));
        dev->SetData(stCleanFeed, BusRec("CFa", true));
        dev->SetData(stOutFkt, OutFktRec("Out1", {}));
        dev->SetData(stProc, Concat({ProcRec("Proc", 0, true), ProcRec("Mono", 0, false)}));
        dev->SetData(stSOF, Concat({Bytes{20, 6}, SOFRec("Sof1", {})}));
        // Slot 2: a stereo input pair on channels 0/1 and a mono output on channel 2.
        dev->SetSetupData(2, CardRec(111, {{"Mic", 0x2300}, {"Spk", 0x0382}}));
        // Slot 1: GPIO entries only; the first has no label.
        dev->SetSetupData(1, CardRec(111, {}, {"", "x", "Door", "y"}));
        dev->SetSetupData(4, CardRec(311, {}));
        // Slot 9: a DSP card with one MADI channel; its entries start at byte 8.
        Bytes dsp = {0x03, 0x50, 1, 0, 0, 2, 0, 0};
        Bytes madi(24, 0);
        PutText(madi, 0, "Madi");
        PutWord(madi, 16, 0x0A05);
        dsp.insert(dsp.end(), madi.begin(), madi.end());
        dev->SetSetupData(9, dsp);
        dev->SetData(stFCH, Concat({FaderRec(5, "Mic"), FaderRec(149, "Last")}));
        dev->SetData(stLevelDetect, LevelBlock({{"Lev", 0}}));
        dev->SetData(stLogicDelay, DelayRec("Del"));
        dev->SetData(stLogicFkt, LogicRec("Mic On", {}));
        dev->SetData(stSourceList, Concat({SourceListRec("L1", 1, {{0, 0, "C"}}),
                                           SourceListRec("Src  ", 0, {{0, 0, "A  "}, {0, 0, "B"}}),
                                           SourceListRec("Ten", 10, {{0, 0, "T"}})}));
        dev->SetSetupData(100, ModuleRec(10, 2, {KeyRec(0, "Talk", 4), KeyRec(32, "Cue", 4)}));
        dev->SetSetupData(101, ModuleRec(11, 5, {KeyRec(3, "Three", 4)}));
        // Global resource 2 "Studio" with this device subscribing through logic 1836.
        Bytes res(30, 0);
        res[0] = 2;
        res[2] = 1;
        PutText(res, 14, "Studio");
        Bytes sub(6, 0);
        writeBE32(sub, 0, dev->GetDeviceID());
        PutWord(sub, 4, 1836);
        dev->SetData(stGlobalRes, Concat({Bytes{30, 6}, res, sub}));
        SetGlobalLogicName(project, 5, "Door");
    }

    RecordingHost host;
    TProject project;
    TDevice* dev = nullptr;
};

struct NameCase {
    int id;
    bool longForm;
    const char* name;
};

TEST_F(SourceNames, AudioSourcesOfEveryCategory)
{
    const NameCase cases[] = {
        {0, false, "None"},
        {0x8000, false, "None"},
        // card channels: stereo pair, mono output, empty slot, card without channel entries
        {0x0300, false, "Mic L"},
        {0x0301, false, "Mic R"},
        {0x2300, false, "Mic L"},
        {0x0300, true, "IN 3.1.01 - 02 Mic L"},
        {0x0382, false, "Spk"},
        {0x0382, true, "OUT 3.2.01 Spk"},
        {0x0383, false, "None"},
        {0x0600, false, "None"},
        {0x0A05, false, "Madi"},
        {0x0A05, true, "IN 10.01.06 Madi"},
        {0x0500, false, "None"},
        {16384, false, "PFL L"},
        {16385, false, "PFL R"},
        {16386, false, "Main L"},
        {16386, true, "PGM Main L"},
        {16387, false, "Main R"},
        {0x8000 | 16387, false, "Main R"},
        {16388, false, "None"},
        {16512, false, "Aux1"},
        {16512, true, "AUX Aux1"},
        {16514, false, "None"},
        {16896, false, "Monitor 1 L"},
        {16899, false, "Monitor 2 R"},
        {17024, false, "Rot. Selector 1 L"},
        {17089, false, "Rotary Monitor Selector R"},
        {17152, false, "OF Out1"},
        {0x2000 | 17152, false, "None"},
        {17153, false, "None"},
        {17408, false, "CF CFa L"},
        {17409, false, "CF CFa R"},
        {17410, false, "None"},
        {17664, false, "SO Sof1"},
        {17665, false, "Unknown source"},
        {17920, false, "MIDI 1"},
        {18176, false, "MASTER Main"},
        {18240, false, "MASTER Aux1"},
        {18304, false, "VCA Fader 1"},
        {18432, false, "FP Proc L"},
        {18433, false, "FP Proc R"},
        {18434, false, "FP Mono"},
        {18436, false, "None"},
        {18944, false, "PreFader1 L"},
        {19200, false, "Routing1 L"},
        {19201, false, "Routing1 R"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.name, GetAudioSourceName(project, c.id, 0, c.longForm)) << c.id << " long " << c.longForm;
    EXPECT_EQ("NoDev", GetAudioSourceName(project, 16386, -1, false));
    EXPECT_EQ("NoDev", GetAudioSourceName(project, 16386, 3, false));
}

TEST_F(SourceNames, PoolNamesMarkStereoAndMono)
{
    EXPECT_EQ("None", GetPoolSourceName(project, 0, 0));
    EXPECT_EQ("S Routing1", GetPoolSourceName(project, 0x2000 | 19200, 0));
    EXPECT_EQ("M Spk", GetPoolSourceName(project, 0x0382, 0));
    // The last two characters go even when the name does not end in " L".
    EXPECT_EQ("S No", GetPoolSourceName(project, 0x2000 | 17152, 0));
}

TEST_F(SourceNames, LogicSourcesOfEveryCategory)
{
    const std::string device = dev->GetName();
    const NameCase cases[] = {
        {0xC000, false, "None"},
        {0x3FFF, false, "OFF"},
        {0xFFFF, false, "Unknown"},
        {2236, false, "Unknown"},
        {2176, false, "FF Fader 1"},
        {2136, false, "PFL Fader 1"},
        {1991, false, "FF2 Mic"},
        {1837, false, "Unknown"},
        {1086, false, "GL Door"},
        {1796, false, "TD Aux1"},
        {1760, false, "TS Mic"},
        {1761, false, "None"},
        {1686, false, "FS Fader 1"},
        {1536, false, "RS Src.A"},
        {1537, false, "RS Src.B"},
        {1538, false, "RS L1.C"},
        {1539, false, "None"},
        {1506, false, "CF Output Select CFa"},
        {1476, false, "CF Off Air CFa"},
        {1446, false, "CF Talk CFa"},
        {1416, false, "CF Prep. CFa"},
        {1417, false, "None"},
        {1401, false, "LV Lev"},
        {1402, false, "None"},
        {1381, false, "LD Del"},
        {1382, false, "None"},
        {1366, false, "LC Lev"},
        {1281, false, "PFL On"},
        {1298, false, "Power Fail Salve"},
        {1300, false, "None"},
        {0xC000 | 931, false, "LF Mic On"},
        {932, false, "LF "},
        {786, false, "PFL Mic"},
        {636, false, "FF Mic"},
        {486, false, "FS Mic"},
        {630, false, "FS Last"},
        {487, false, "None"},
        {481, false, "None"},
        // GPIs of slot 1: entries 0 and 2 stand for 389 and 390
        {389, false, "GPI2.1.01"},
        {390, false, "GPI Door"},
        {391, false, "Unknown"},
        {397, false, "Unknown"},
        // keys: the 64-key module with block 2 serves blocks 2 and 3
        {65, false, "#C3.KEY1 Talk"},
        {97, false, "#C3.KEY33 Cue"},
        {66, false, "Unknown"},
        {1 + 32 * 5 + 3, false, "#C6.KEY4 Three"},
        {1 + 32 * 6 + 3, false, "#C6.KEY4 Three"},
        {1, false, "Unknown"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.name, GetLogicSourceName(project, c.id, 0)) << c.id;
    EXPECT_EQ("Studio." + device, GetLogicSourceName(project, 1836, 0));
    EXPECT_EQ("Studio." + device, GetLogicSourceName(project, 1836, -1));
    EXPECT_EQ("GL Door", GetLogicSourceName(project, 0x4000 | 1086, -1));
    EXPECT_EQ("None", GetLogicSourceName(project, 931, -1));
    EXPECT_EQ("FF Fader 1", GetLogicSourceName(project, 2176, -1));
    EXPECT_EQ("Unknown", GetLogicSourceName(project, 0xC000 | 0x3FFF, 0));
}

TEST_F(SourceNames, NamingLeavesTheImageAlone)
{
    const auto before = dev->GetAllData();
    for (int id = 0; id < 0x10000; id += 7) {
        GetAudioSourceName(project, id, 0, (id & 8) != 0);
        GetLogicSourceName(project, id, 0);
    }
    EXPECT_EQ(before, dev->GetAllData());
}

// The GPIO card's byte 2 holds its pull-ups; whatever they are, its GPIs keep their names.
TEST(GPINames, PullUpsDoNotMoveTheGPIOCardsEntries)
{
    for (const std::uint8_t pullUps : {0x00, 0x01, 0x0F, 0xFF}) {
        RecordingHost host;
        TProject project;
        project.AddDevice();
        TDevice& dev = *project.Device(0);
        Bytes card = CardRec(311, {}, {"Door", "-", "-", "-", "", "-", "-", "-", "Lamp", "-", "-", "-", "Bell"});
        card[2] = pullUps;
        dev.SetSetupData(3, card);
        // Slot 3 stands for GPIs 397-400.
        EXPECT_EQ(GetLogicSourceName(project, 397, 0), "GPI Door") << int(pullUps);
        EXPECT_EQ(GetLogicSourceName(project, 398, 0), GetChannelName(MakeChannelID(3, 4, 0x40), 311, false)) << int(pullUps);
        EXPECT_EQ(GetLogicSourceName(project, 399, 0), "GPI Lamp") << int(pullUps);
        EXPECT_EQ(GetLogicSourceName(project, 400, 0), "GPI Bell") << int(pullUps);
    }
}

} // namespace
} // namespace kvr::model
