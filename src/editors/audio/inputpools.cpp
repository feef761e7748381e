// Input pool names, pot labels and external pots.

#include "editors/audio/inputpools.h"

#include <array>

#include "console/moduletypes.h"
#include "model/cardrecords.h"
#include "model/channelname.h"
#include "model/device.h"
#include "model/faderaccess.h"
#include "model/keyfunctions.h"
#include "model/potaccess.h"
#include "model/recordtext.h"
#include "model/smallrecordaccess.h"

namespace kvr::editors {

using namespace kvr::model;

std::vector<PoolLine> InputPools::Lines()
{
    std::vector<PoolLine> lines;
    for (int pool = 0; pool < kPools; ++pool) {
        std::string name;
        if (GetPoolName(FDev, pool, name) == 1)
            lines.push_back({pool, name});
    }
    return lines;
}

std::string InputPools::Add()
{
    for (int pool = 0; pool < kPools; ++pool) {
        std::string name;
        if (GetPoolName(FDev, pool, name) == 0) {
            SetPoolName(FDev, pool, "Pool " + std::to_string(pool + 1));
            return {};
        }
    }
    return kCannotAddPoolsText;
}

void InputPools::Rename(int Pool, std::string_view Name)
{
    if (Pool >= 0 && Pool < kPools)
        SetPoolName(FDev, Pool, Name.substr(0, 7));
}

namespace {
constexpr int kSlots = 30;
constexpr int kBlocks = 12;
constexpr int kPotsPerBlock = 10;
// The card's analogue control inputs: its third and seventh GPIO entries (the "ACI" lines).
constexpr std::array<int, 2> kPotInputs{2, 6};
constexpr int kGPIFlag = 0x40; // a GPIO line of an I/O card in a channel ID
constexpr std::array<std::pair<int, const char*>, 2> kBalance{{{121, "Balance 1"}, {123, "Balance 2"}}};
}

std::vector<ExternalPot> Potentiometers::ExternalPots(std::vector<std::string>* Log)
{
    std::vector<ExternalPot> pots{{"None", 0, 0}};
    for (int slot = 0; slot < kSlots; ++slot) {
        TCardRecord card;
        if (!GetCardRecord(FDev, slot, card) || card.CardType != kCardWithPots)
            continue;
        for (const int input : kPotInputs) {
            if (input >= static_cast<int>(card.GPIOs.size()))
                continue;
            // An input without a label goes by its channel text, as logic sources name it.
            std::string name = FieldText(card.GPIOs[static_cast<std::size_t>(input)]);
            if (name.empty())
                name = GetChannelName(MakeChannelID(slot, input, kGPIFlag), card.CardType, false);
            pots.push_back({name, slot, input});
            if (Log)
                Log->push_back("GPIPotTable: Added Slot " + std::to_string(slot + 1) + ", GPI" + std::to_string(input + 1));
        }
    }
    return pots;
}

int Potentiometers::Match(int Pot, const std::vector<ExternalPot>& Pots)
{
    int slot = 0, gpi = 0;
    GetPotiAssign(FDev, Pot, slot, gpi);
    for (std::size_t i = 0; i < Pots.size(); ++i)
        if (Pots[i].Slot == slot && Pots[i].GPI == gpi)
            return static_cast<int>(i);
    return -1;
}

int Potentiometers::ExternalIndex(int Pot, const std::vector<ExternalPot>& Pots)
{
    return std::max(Match(Pot, Pots), 0);
}

std::string Potentiometers::Name(int Pot)
{
    std::string name;
    GetPotName(FDev, Pot, name);
    return name;
}

std::vector<PotRow> Potentiometers::Rows(const std::vector<ExternalPot>& Pots)
{
    std::vector<PotRow> rows;
    for (int block = 0; block < kBlocks; ++block) {
        std::vector<std::uint8_t> module;
        const bool carried = FindPotModule(FDev, block, module) == 1;
        const int type = carried ? ModuleType(module) : 0;
        for (int k = 0; k < kPotsPerBlock; ++k) {
            PotRow row;
            row.Pot = kPotsPerBlock * block + k + 1;
            std::string name;
            const bool stored = GetPotName(FDev, row.Pot, name) == 1;
            if (carried && k < console::PotCount(type)) {
                row.Module = std::string(console::ModelNumber(type));
                row.ModuleID = std::to_string(block + 1);
                row.State = block;
                const auto level = console::LevelName(type, k);
                row.Label = stored || level.empty() ? name : std::string(level);
            } else {
                row.Module = row.ModuleID = "None";
                const int match = Match(row.Pot, Pots);
                // An assignment that matches no entry leaves the column empty.
                row.External = match >= 0 ? Pots[static_cast<std::size_t>(match)].Text : "";
                if (match == 0)
                    row.External = "None";
                row.Label = name;
            }
            rows.push_back(std::move(row));
        }
    }
    for (const auto& [pot, text] : kBalance) {
        PotRow row;
        row.Pot = pot;
        row.ModuleID = "None";
        row.Label = Name(pot);
        row.State = 0;
        rows.push_back(std::move(row));
    }
    return rows;
}

void Potentiometers::SetName(int Pot, std::string_view Name)
{
    std::array<std::uint8_t, kPotNameWidth> field{};
    SetFieldText(field, Name);
    SetPotName(FDev, Pot, field);
}

void Potentiometers::SetExternal(int Pot, const ExternalPot& Entry)
{
    SetPotiAssign(FDev, Pot, Entry.Slot, Entry.GPI);
}

} // namespace kvr::editors
