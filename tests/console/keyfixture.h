#pragma once
// A project of two devices whose first has one console, with the key editor's state and memory:
// modules are placed there and one key selected as the console page selects it.

#include "console/keyoptions.h"
#include "console/keycaption.h"
#include "console/moduleplacement.h"
#include "model/device.h"
#include "model/keyaccess.h"
#include "model/modelhost.h"
#include "model/project.h"
#include "model/quiethost.h"

#include <gtest/gtest.h>

namespace kvr::console::test {

class KeyFixture : public ::testing::Test {
protected:
    KeyFixture()
    {
        model::SetModelHost(&host);
        for (int i = 0; i < 2; ++i)
            project.AddDevice();
        device = project.Device(0);
        auto header = device->GetHeader();
        header[model::dh::ConsoleCount] = 1;
        device->SetHeader(header, false);
    }
    ~KeyFixture() override { model::SetModelHost(nullptr); }

    void Place(int position, int type) { ASSERT_EQ("", AddConsoleModule(*device, 0, position, type).Refusal); }

    // Stores the record for the key (as the module's own when own is 1, else through its table),
    // selects the key and shows it.
    KeyOptionsView Show(int position, int key, const model::TKeyRecord& record, int own = 1)
    {
        model::SetKeyFunction(*device, key, record, own, ModuleSlotID(0, position));
        return ShowStored(position, key);
    }
    // Selects the key with what the device holds for it and shows it.
    KeyOptionsView ShowStored(int position, int key)
    {
        state.SelectedConsole = 0;
        state.SelectedSlot = position;
        state.SelectedModule = ModuleEntryAt(*device, 0, position);
        state.SelectedKey = key;
        state.SelectedKeyRecord = {};
        state.SelectedKeyRecord[0] = static_cast<std::uint8_t>(key);
        model::GetKeyFunction(*device, key, state.SelectedKeyRecord, ModuleSlotID(0, position));
        return FillKeyFunctionList(state, project, 0, memory);
    }

    model::QuietModelHost host;
    model::TProject project;
    model::TDevice* device = nullptr;
    ConsoleEditorState state;
    KeyEditorMemory memory;
};

// A key record with its number, function, sub-function, colours and label.
inline model::TKeyRecord Record(int key, std::uint8_t function, std::uint8_t sub = 0, std::uint8_t colours = 0x40,
                                const char* label = "K")
{
    model::TKeyRecord r{};
    KeyRecordView view(r);
    view.Key() = static_cast<std::uint8_t>(key);
    view.SetText(label);
    view.Function() = function;
    view.SubFunction() = sub;
    view.Colours() = colours;
    return r;
}

} // namespace kvr::console::test
