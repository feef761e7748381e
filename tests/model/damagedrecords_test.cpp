// Damaged structures (zero strides, counts beyond the payload, structures shorter than their
// fixed size, unterminated names) are read without going out of bounds or looping, and reading
// them leaves the image byte for byte as it was.

#include "model/faderaccess.h"
#include "model/gpoaccess.h"
#include "model/keyaccess.h"
#include "model/logicaccess.h"
#include "model/potaccess.h"
#include "model/smallrecordaccess.h"
#include "recordfixture.h"

using namespace kvr::model;
using namespace kvr::model::test;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct Damage {
    const char* what;
    std::uint8_t type;
    Bytes payload;
};

Bytes Filled(std::size_t size, std::uint8_t value) { return Bytes(size, value); }

const Damage kDamaged[] = {
    {"level detects with record size 0", stLevelDetect, {0, 0, 1, 2, 3, 4}},
    {"fader-channel labels with record size 0", stFCHLabels, {0, 0, 5, 'x', 'y'}},
    {"source list counting 60 entries in 10 bytes", stSourceList, [] { Bytes b(28, 'L'); b[16] = 1; b[17] = 60; return b; }()},
    {"global logics counting 90 records", stGLAssign, {90, 0, 4, 0, 0x12, 0x34, 9}},
    {"GPO routing of 3 bytes", stGPORouting, {0x12, 0x34, 0x56}},
    {"console names of 2 bytes", stConsoleNames, {'A', 'B'}},
    {"logic function promising 63 sources", stLogicFkt, {0x3F, 0, 'F', 'F', 'F', 'F', 'F', 'F', 'F', 'F', 'F', 'F', 1}},
    {"script promising 255 commands", stScript, [] { Bytes b(20, 'S'); b[11] = 255; return b; }()},
    {"fader channels with a torn tail", stFCH, Filled(28 + 13, 0x31)},
    {"fader assignment promising 200 functions", stChannelAssign, {1, 0, 0, 200, 1, 2}},
    {"pool names with a torn tail", stPoolNames, {0, 'P', 'O', 'O', 'L', 'X', 'X', 'X', 'X', 'X', 'X', 1, 'Q'}},
    {"pot assignment with a torn tail", stPotiAssign, {1, 0, 2, 2, 7}},
    {"unterminated pot names", stPots, Filled(25, 'N')},
    {"unterminated mute logic names", stMuteLogic, Filled(20, 'M')},
    {"logic delays with a torn tail", stLogicDelay, Filled(20, 'D')},
    {"short network settings", stNetwork, Filled(40, 0xEE)},
    {"rotary selector lists with a torn tail", stRotSelSourceList, {1, 2, 0, 0, 9}},
    {"group logic of 3 bytes", stGroupLogic, {1, 2, 3}},
};

class DamagedRecords : public RecordTest {};

} // namespace

TEST_F(DamagedRecords, ReadingLeavesTheImageUnchanged)
{
    for (const auto& d : kDamaged)
        ASSERT_TRUE(device.SetData(d.type, d.payload)) << d.what;
    // A DSP card whose 9-bit count says 511, and a key module counting 200 records.
    device.SetSetupData(9, Bytes{0x03, 0x50, 0xFF, 0x01, 0, 2, 0, 0, 'c'});
    Bytes module = ModuleEntry(10, 1);
    module[5] = 200;
    module.resize(6 + 42 + 7, 'k');
    module[6] = 3;
    device.SetSetupData(100, module);
    const Bytes before = device.GetAllData();

    TLogicFunction f;
    TLogicDelay d;
    TScript s;
    TLevelDetect l;
    TFaderChannel c;
    TFader fader;
    TFaderChannelLabel label;
    TSourceList list;
    TNetworkSettings net;
    TKeyRecord key;
    TCardRecord card;
    std::string text;
    std::vector<std::uint8_t> entry;
    int slot = 0;
    int input = 0;
    for (int i = 0; i < 5; ++i) {
        GetLogicFunction(device, i, f);
        GetLogicDelay(device, i, d);
        GetScript(device, i, s);
        GetLevelDetect(device, i, l);
        GetFaderChannelByIndex(device, i, c);
        GetSourceList(device, i, list);
        text = GetMuteLogicName(device, i);
        GetConsoleName(device, i, text);
        GetPoolName(device, i, text);
        GetPoolNameStr(device, i, text);
        GetFader(device, i, fader);
    }
    for (int n = 0; n <= 255; ++n) {
        GetFaderChannel(device, n, c);
        GetFaderChannelLabel(device, n, label);
        text = GetFaderChannelName(device, n);
        GetPotName(device, n, text);
        GetPotiAssign(device, n, slot, input);
        GetRotSelSourceList(device, n);
        GetGLSource(device, n);
        GetKeyFunction(device, n, key, 100);
        FindPotModule(device, n, entry);
    }
    for (int id = 0; id < 96; ++id)
        GetGPORouting(device, id);
    GetGPORouting(device, 0x8502);
    GetNetworkSettings(device, net);
    CheckScriptSteps(device);
    GetFreeFaderChannelNumber(device);
    for (int i = 0; i < 30; ++i)
        GetCardRecord(device, i, card);

    EXPECT_EQ(device.GetAllData(), before);
}

TEST_F(DamagedRecords, ReadsAreBounded)
{
    for (const auto& d : kDamaged)
        device.SetData(d.type, d.payload);
    TLevelDetect l;
    EXPECT_EQ(GetLevelDetect(device, 0, l), 0);
    TFaderChannelLabel label;
    EXPECT_EQ(GetFaderChannelLabel(device, 5, label), 0);
    TSourceList list;
    EXPECT_EQ(GetSourceList(device, 1, list), 0);
    EXPECT_EQ(GetGLSource(device, 4), 0x1234);
    EXPECT_EQ(GetGPORouting(device, 0), 0x1234);
    EXPECT_EQ(GetGPORouting(device, 1), 0xC000);
    std::string name;
    EXPECT_EQ(GetConsoleName(device, 0, name), 1);
    EXPECT_EQ(name, "AB");
    TLogicFunction f;
    EXPECT_EQ(GetLogicFunction(device, 0, f), 0);
    TScript s;
    EXPECT_EQ(GetScript(device, 0, s), 0);
    EXPECT_EQ(CheckScriptSteps(device), 0);
    TFaderChannel c;
    EXPECT_EQ(GetFaderChannelByIndex(device, 1, c), 0);
    EXPECT_EQ(GetMuteLogicName(device, 0), std::string(16, 'M'));
    EXPECT_EQ(GetMuteLogicName(device, 1), "MMMM");
    EXPECT_EQ(GetPotName(device, 1, name), 1);
    EXPECT_EQ(name, std::string(10, 'N'));
    EXPECT_EQ(GetPotName(device, 3, name), 0); // slot 2 only partly there
    TNetworkSettings net;
    GetNetworkSettings(device, net);
    EXPECT_EQ(net.Mask, 0xFFFFFF00u);
}

TEST_F(DamagedRecords, EditsStayInsideDamagedStructures)
{
    for (const auto& d : kDamaged)
        device.SetData(d.type, d.payload);
    // A level detect cannot be added to a block without a record size; nothing changes.
    Bytes block = device.GetData(stLevelDetect);
    AddLevelDetect(device);
    EXPECT_EQ(device.GetData(stLevelDetect), block);
    // A fader-channel label cannot be stored either.
    TFaderChannelLabel label;
    label.Number = 5;
    EXPECT_EQ(SetFaderChannelLabel(device, 5, label), 0);
    EXPECT_EQ(device.GetData(stFCHLabels), (Bytes{0, 0, 5, 'x', 'y'}));
    // A logic function added in front of a torn tail becomes readable; the tail stays behind.
    AddLogicFunction(device);
    TLogicFunction f;
    EXPECT_EQ(GetLogicFunction(device, 0, f), 1);
    EXPECT_EQ(GetLogicFunction(device, 1, f), 0);
}
