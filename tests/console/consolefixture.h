#pragma once
// A device with consoles, modules placed through the placement rules, and a recorder of the
// logic-reference adaptations they run.

#include "console/moduleplacement.h"
#include "model/device.h"
#include "model/keyfunctions.h"
#include "model/modelhost.h"
#include "model/potaccess.h"
#include "model/quiethost.h"
#include "model/recordhooks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kvr::console::test {

class ConsoleTest : public ::testing::Test {
protected:
    ConsoleTest() : saved(model::Hooks())
    {
        model::SetModelHost(&host);
        model::Hooks().AdaptLogics = [this](model::TDevice& d, int a, int b, int mode) {
            if (mode == model::amDelete)
                deletedLogics.push_back(a);
            if (saved.AdaptLogics)
                saved.AdaptLogics(d, a, b, mode);
        };
        SetConsoles(device, 2);
    }
    ~ConsoleTest() override
    {
        model::Hooks() = saved;
        model::SetModelHost(nullptr);
    }

    static void SetConsoles(model::TDevice& d, int count)
    {
        auto header = d.GetHeader();
        header[model::dh::ConsoleCount] = static_cast<std::uint8_t>(count);
        d.SetHeader(header, false);
    }

    // Places a module through the rules and insists that it went in.
    int Add(int console, int position, int type, model::TDevice* on = nullptr)
    {
        const Placement placed = AddConsoleModule(on ? *on : device, console, position, type);
        EXPECT_EQ("", placed.Refusal) << "type " << type << " at " << position;
        return placed.Position;
    }

    int Type(int console, int position, model::TDevice* on = nullptr)
    {
        return model::ModuleType(ModuleEntryAt(on ? *on : device, console, position));
    }
    int ModuleID(int console, int position, model::TDevice* on = nullptr)
    {
        const auto entry = ModuleEntryAt(on ? *on : device, console, position);
        return entry.size() > 4 ? entry[4] : -1;
    }
    std::string Pot(int pot, model::TDevice* on = nullptr)
    {
        std::string name;
        return model::GetPotName(on ? *on : device, pot, name) ? name : "";
    }
    // A module entry with own key records of the keys given.
    void AddKeyRecords(int console, int position, std::initializer_list<int> keys)
    {
        auto entry = ModuleEntryAt(device, console, position);
        for (int key : keys) {
            model::TKeyRecord r{};
            r[0] = static_cast<std::uint8_t>(key);
            r[1] = 'K';
            entry.insert(entry.end(), r.begin(), r.end());
            ++entry[5];
        }
        device.SetSetupData(static_cast<std::uint8_t>(ModuleSlotID(console, position)), entry);
    }

    model::RecordHooks saved;
    model::QuietModelHost host;
    model::TDevice device;
    std::vector<int> deletedLogics;
};

} // namespace kvr::console::test
