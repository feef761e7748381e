#include <gtest/gtest.h>

#include "editors/audio/globalpool.h"
#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/keyaccess.h"
#include "model/linkaccess.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/smallrecordaccess.h"
#include "model/summingbuses.h"
#include "recordinghost.h"
#include "sourcebuilder.h"

namespace kvr::editors::test {
namespace {

using namespace kvr::model;
using namespace kvr::model::test;

// Device 0 takes lines from device 1 ("Remote").
class Pool : public ::testing::Test {
public:
    Pool()
    {
        project.AddDevice();
        project.AddDevice();
        dev = project.Device(0);
        project.Device(1)->SetName("Remote");
        remoteID = project.Device(1)->GetDeviceID();
    }
    GlobalPoolEditor editor() { return GlobalPoolEditor(project, 0); }
    void link(int type, std::uint16_t sPort, std::uint16_t tPort, int sSlot = 4, int tSlot = 19)
    {
        TDeviceLink l;
        l.SDev = 1;
        l.TDev = 0;
        l.SSlot = static_cast<std::uint8_t>(sSlot);
        l.TSlot = static_cast<std::uint8_t>(tSlot);
        l.SPort = sPort;
        l.TPort = tPort;
        l.Type = static_cast<std::uint8_t>(type);
        ASSERT_GE(AddDeviceLink(project, l), 0);
    }
    std::vector<std::uint32_t> offered(int line)
    {
        int selected = -1;
        std::vector<std::uint32_t> values;
        for (const auto& item : editor().Inputs(line, selected))
            values.push_back(item.Value);
        return values;
    }

    RecordingHost host;
    TProject project;
    TDevice* dev = nullptr;
    std::uint32_t remoteID = 0;
};

TEST_F(Pool, SourceDeviceAndLineCount)
{
    auto e = editor();
    int selected = -1;
    auto devices = e.SourceDevices(selected);
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].Text, "None");
    EXPECT_EQ(devices[1].Text, "Remote");
    EXPECT_EQ(selected, 0);
    EXPECT_FALSE(e.MayAddLine());
    EXPECT_EQ(e.AddLine(), -1);

    ASSERT_TRUE(e.SetSourceDevice(remoteID));
    e.SourceDevices(selected);
    EXPECT_EQ(selected, 1);
    for (int line = 0; line < kMaxPoolLines; ++line) {
        EXPECT_TRUE(e.MayAddLine());
        EXPECT_EQ(e.AddLine(), line);
    }
    EXPECT_FALSE(e.MayAddLine());
    EXPECT_EQ(e.AddLine(), -1);
    // A new line shows "None" and offers "None" selected.
    const auto rows = e.Lines();
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[9].Number, "10");
    EXPECT_EQ(rows[9].ReservedFor, "");
    int input = -1;
    EXPECT_EQ(e.Inputs(9, input).front().Text, "None");
    EXPECT_EQ(input, 0);

    // The source device stays while the pool has lines; "None" for an empty pool removes it.
    EXPECT_FALSE(e.MayChangeSourceDevice());
    EXPECT_FALSE(e.SetSourceDevice(0));
    while (e.RemoveLine(0)) {
    }
    EXPECT_TRUE(e.MayChangeSourceDevice());
    ASSERT_TRUE(e.SetSourceDevice(0));
    std::vector<std::uint8_t> stored;
    EXPECT_FALSE(dev->GetData(stGlobalPool, stored));
}

TEST_F(Pool, TakenInputsAreNotOfferedButTheEditedLinesOwnIs)
{
    // Slot 19 of this device: a DSP card with stereo channels, left and right halves.
    Bytes card = {0x03, 0x50, 0x06, 0xFE, 0, 0, 0, 0};
    for (const std::uint16_t id : {0x2401, 0x2441, 0x2402, 0x2403, 0x0404, 0x2485}) {
        Bytes entry(24, 0);
        writeBE16(entry, 16, id);
        card.insert(card.end(), entry.begin(), entry.end());
    }
    dev->SetSetupData(19, card);
    link(1, 0x0501, 0x0301);
    link(1, 0x0502, 0x0302);
    link(2, 0, 0);

    auto e = editor();
    ASSERT_TRUE(e.SetSourceDevice(remoteID));
    e.AddLine();
    e.AddLine();
    // Whole-slot remote outputs: channel bits, slot 4 + 1, 0x2080.
    const auto whole = [](std::uint16_t c) { return std::uint32_t(c) << 16 | ((c & 0x3F) | 0x0500 | 0x2080); };
    EXPECT_EQ(offered(0), (std::vector<std::uint32_t>{0, 0x03010501, 0x03020502, whole(0x2401), whole(0x2402), whole(0x2403)}));

    // Line 0 takes a single-channel input, line 1 a whole-slot channel.
    ASSERT_TRUE(e.SetInput(0, 0x03010501));
    ASSERT_TRUE(e.SetInput(1, whole(0x2402)));
    EXPECT_EQ(offered(0), (std::vector<std::uint32_t>{0, 0x03010501, 0x03020502, whole(0x2401), whole(0x2403)}));
    int selected = -1;
    e.Inputs(0, selected);
    EXPECT_EQ(selected, 1);
    EXPECT_EQ(offered(1), (std::vector<std::uint32_t>{0, 0x03020502, whole(0x2401), whole(0x2402), whole(0x2403)}));

    // A remote output another line takes is left out even when its local input is free.
    TGlobalPoolRecord pool = e.Pool();
    pool.Lines[1].LocalInput = 0x0399;
    SetGlobalPoolLines(*dev, pool);
    EXPECT_EQ(offered(0), (std::vector<std::uint32_t>{0, 0x03010501, 0x03020502, whole(0x2401), whole(0x2403)}));
    // The right halves come from a link on port 1.
    link(2, 1, 1);
    const auto right = std::uint32_t(0x2441) << 16 | ((0x2441 & 0x3F) | 0x0500 | 0x2080 | 0x40);
    const auto values = offered(0);
    EXPECT_NE(std::find(values.begin(), values.end(), right), values.end());
}

TEST_F(Pool, ReservationsAndTheirClearing)
{
    const auto& options = GlobalPoolEditor::ReserveOptions();
    ASSERT_EQ(options.size(), 28u);
    EXPECT_EQ(options[7].Text, "Rotary Selector 1");
    EXPECT_EQ(options[7].Code, 0x210);
    EXPECT_EQ(options[27].Text, "Monitor 6 + Rotary Selector 6");
    EXPECT_EQ(GlobalPoolEditor::ReserveItem(0x333), 24);
    EXPECT_EQ(GlobalPoolEditor::ReserveItem(0x334), 0);

    auto e = editor();
    ASSERT_TRUE(e.SetSourceDevice(remoteID));
    e.AddLine();
    for (int n = 0; n < 12; ++n)
        SetMonitorBusSource(*dev, n, static_cast<TAudioRef>(0x8000 | n));
    // Key 0 picks monitor 2 with pool sources, key 1 monitor 3.
    dev->SetSetupData(100, ModuleRec(10, 0, {KeyRec(0, "Mon2", 1, 0x0200, 0x8001, 0x0203),
                                             KeyRec(1, "Mon3", 1, 0x0300, 0x8001, 0x8002)}));
    TKeyRecord key{};
    GetKeyFunction(*dev, 0, key, 100);
    key[34] = 0x01;
    SetKeyFunction(*dev, 0, key, 1, 100);
    // Selector 3 uses list 4, which holds a pool source.
    SetRotSelSourceList(*dev, 2, 4);
    TSourceList list;
    GetSourceList(*dev, 4, list);
    list.Count = 1;
    list.Entries[0] = {0x8003, 0x0204, {'P'}};
    SetSourceList(*dev, 4, list);

    ASSERT_TRUE(e.SetReserve(0, 0x333));
    TGlobalPoolRecord pool = e.Pool();
    EXPECT_EQ(pool.Lines[0].Flags, 3);
    EXPECT_EQ(pool.Lines[0].Reserve, 0x33);
    EXPECT_EQ(e.Lines()[0].ReservedFor, "Monitor 3 + Rotary Selector 3");
    ASSERT_TRUE(e.SetReserve(0, 0x102));
    // Monitor 3's default sources and keys lost their pool sources; list 4 its pool source.
    for (int n = 0; n < 12; ++n)
        EXPECT_EQ(GetMonitorBusSource(*dev, n), n == 4 || n == 5 ? 0 : 0x8000 | n) << n;
    GetKeyFunction(*dev, 1, key, 100);
    EXPECT_EQ(readBE16(key, 38), 0);
    EXPECT_EQ(readBE16(key, 40), 0);
    GetSourceList(*dev, 4, list);
    EXPECT_EQ(list.Entries[0].Left, 0);
    EXPECT_EQ(list.Entries[0].Right, 0x0204);

    // Monitor 2 replaced by "None".
    ASSERT_TRUE(e.SetReserve(0, 0));
    for (int n = 0; n < 12; ++n)
        EXPECT_EQ(GetMonitorBusSource(*dev, n), n >= 2 && n <= 5 ? 0 : 0x8000 | n) << n;
    GetKeyFunction(*dev, 0, key, 100);
    EXPECT_EQ(readBE16(key, 38), 0);
    EXPECT_EQ(readBE16(key, 40), 0x0203);
    EXPECT_EQ(key[34] & 0x01, 0);
    EXPECT_EQ(e.Pool().Lines[0].Flags, 0);
    // Lines that do not exist are refused.
    EXPECT_FALSE(e.SetReserve(1, 0x101));
}

} // namespace
} // namespace kvr::editors::test
