#include "console/audiosourcefollow.h"
#include "console/keycaption.h"
#include "console/moduleplacement.h"
#include "model/device.h"
#include "model/inserts.h"
#include "model/keyaccess.h"
#include "model/modelhost.h"
#include "model/project.h"
#include "model/quiethost.h"

#include <gtest/gtest.h>

using namespace kvr;
using namespace kvr::console;

namespace {

using Steps = std::vector<AudioSourceStep>;
constexpr auto SetFilter = AudioSourceStep::SetFilter;
constexpr auto ClearBits = AudioSourceStep::ClearFilterBits;
constexpr auto SetDevice = AudioSourceStep::SetDevice;
constexpr auto Rebuild = AudioSourceStep::Rebuild;

// The key editor on the second device of three (index 1), whose global pool comes from the
// third: a Central Module in slot 0 and a fader module in slot 1.
class AudioSourceFollow : public ::testing::Test {
protected:
    AudioSourceFollow()
    {
        model::SetModelHost(&host);
        for (int i = 0; i < 3; ++i) {
            project.AddDevice();
            project.Device(i)->WriteDeviceID(static_cast<std::uint32_t>(0x100 + i));
        }
        device = project.Device(1);
        auto header = device->GetHeader();
        header[model::dh::ConsoleCount] = 1;
        device->SetHeader(header, false);
        EXPECT_EQ("", AddConsoleModule(*device, 0, 0, 12).Refusal);
        EXPECT_EQ("", AddConsoleModule(*device, 0, 1, 20).Refusal);
        // Monitor bus 3 (0-based 2) has a pool line.
        model::TGlobalPoolRecord pool;
        pool.Count = 1;
        pool.SourceDevice = 0x102;
        pool.Lines[0].Flags = 0x01;
        pool.Lines[0].Reserve = 3;
        model::SetGlobalPoolLines(*device, pool);
    }
    ~AudioSourceFollow() override { model::SetModelHost(nullptr); }

    Steps Show(int position, const model::TKeyRecord& record, int pageMode = pmKeys)
    {
        const int key = record[kf::Key];
        model::SetKeyFunction(*device, key, record, 1, ModuleSlotID(0, position));
        state.PageMode = pageMode;
        state.SelectedSlot = position;
        state.SelectedModule = ModuleEntryAt(*device, 0, position);
        state.SelectedKey = key;
        state.SelectedKeyRecord = {};
        model::GetKeyFunction(*device, key, state.SelectedKeyRecord, ModuleSlotID(0, position));
        const KeyOptionsView shown = FillKeyFunctionList(state, project, 1, memory);
        return AudioSourceSteps(shown, state, project, 1);
    }

    model::QuietModelHost host;
    model::TProject project;
    model::TDevice* device = nullptr;
    ConsoleEditorState state;
    KeyEditorMemory memory;
};

model::TKeyRecord Key(int key, std::uint8_t function, std::uint8_t sub = 0, std::uint16_t spin = 0, std::uint8_t options = 0)
{
    model::TKeyRecord r{};
    KeyRecordView view(r);
    view.Key() = static_cast<std::uint8_t>(key);
    view.SetText("K");
    view.Function() = function;
    view.SubFunction() = sub;
    view.Options() = options;
    view.SetSpinValue(spin);
    return r;
}

TEST_F(AudioSourceFollow, FilterDeviceAndRebuildFollowTheKey)
{
    struct Case {
        const char* what;
        int position;
        model::TKeyRecord record;
        int pageMode;
        Steps steps;
    };
    const Case cases[] = {
        {"monitor bus: selectors offered, own device", 0, Key(2, 1, 0, 3), pmKeys,
         {{SetFilter, 0x11}, {Rebuild}, {SetDevice, 1}}},
        {"monitor bus from the pool", 0, Key(2, 1, 0, 3, 0x01), pmKeys, {{SetFilter, 0x11}, {Rebuild}, {SetDevice, 2}}},
        {"pool without a line for the bus", 0, Key(2, 1, 0, 4, 0x01), pmKeys,
         {{SetFilter, 0x11}, {Rebuild}, {SetDevice, 1}}},
        {"rotary monitor select", 0, Key(3, 10, 0, 5), pmKeys, {{SetFilter, 0x11}, {Rebuild}, {SetDevice, 1}}},
        {"routing input", 0, Key(4, 11, 0), pmKeys,
         {{ClearBits, 0x10}, {SetFilter, 0x01}, {SetDevice, 1}, {Rebuild}}},
        {"routing output", 0, Key(4, 11, 1, 1), pmKeys, {{ClearBits, 0x10}, {SetDevice, 1}}},
        {"user defined: logic sources only", 0, Key(5, 4), pmKeys, {{ClearBits, 0x10}}},
        {"fader key", 1, Key(6, 1), pmKeys, {{ClearBits, 0x10}, {SetDevice, 1}}},
        {"authorisation: the row's filter only", 0, Key(2, 1, 0, 3, 0x01), pmAuthorisation,
         {{SetFilter, 0x11}, {Rebuild}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.steps, Show(c.position, c.record, c.pageMode)) << c.what;
}

TEST_F(AudioSourceFollow, NoKeyShownLeavesTheWindow)
{
    Show(0, Key(2, 1, 0, 3));
    state.SelectedKey = -1;
    EXPECT_TRUE(AudioSourceSteps(FillKeyFunctionList(state, project, 1, memory), state, project, 1).empty());
}

} // namespace
