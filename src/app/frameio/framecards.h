#pragma once
// What a frame may hold and what a choice writes: the frame type, the card of every slot, the
// kind of DSP card in the three DSP slots (checked against the table of allowed combinations),
// the default card records, and the one routine that takes a card out without leaving
// references, links, GPO routing or GPI logic sources behind.

#include <cstdint>
#include <vector>

namespace kvr::model {
class TProject;
class TDevice;
} // namespace kvr::model
namespace kvr::platform {
class Prompter;
}

namespace kvr::app::frameio {

struct DSPCombination {
    int Slot9 = 0, Slot19 = 0, Slot29 = 0;
    int Kind = 0; // 1 allowed, 2 allowed once the 848L/848M mix is resolved
};
// Built once.
const std::vector<DSPCombination>& DSPCardCombinationTable();
// The kind of the frame's DSP values with the DSP slot of `Slot`'s rack taking the candidate;
// 0 when refused.
int LookupDSPCardCombination(int Value9, int Value19, int Value29, int Slot, int Candidate);
// Sub-type + 1 of a DSP card record, 0 for none.
int DSPCombinationValue(const std::vector<std::uint8_t>& Record);

// Items of the two selectors, in their fixed order.
inline constexpr int kSlotTypeItems[] = {0, 111, 122, 123, 222, 311, 223};
enum TDSPItem : int { diNone = 0, di848L, di848M, di421, di422, di422Redundant, di424 };

// The record a card gets when it is put into a slot (a GPIO card 311 too); empty for type 0.
std::vector<std::uint8_t> DefaultCardRecord(int CardType, int Slot, const model::TDevice& Device);
// Appends the 64 stereo entries of MADI port 0 or 1 and raises the 9-bit count.
void AppendMadiPort(std::vector<std::uint8_t>& Record, int Slot, int Port, int Level);

// Where a frame editor works: the project, the device index, the user's level and the prompts.
struct FrameCardContext {
    model::TProject& Project;
    int Device = 0;
    int ServiceLevel = 0;
    int FitOptions = 0;
    platform::Prompter& Prompter;
    model::TDevice& Dev() const;
};

// Takes the card out of the slot: references to its channels, its device links, for a GPIO card
// its GPO routing entries and GPI logic sources, then the entry.
void RemoveCard(const FrameCardContext& Context, int Slot);

// The choice of `SlotTypeSelector` (an item of kSlotTypeItems) for slot `Slot`. False when
// refused or nothing changed.
bool SlotTypeSelectorChange(const FrameCardContext& Context, int Slot, int Item);
// The choice of `DSPTypeSelector` for DSP slot `Slot`; `CurSlot` goes back to the whole frame
// when the slot shown loses its MADI channels. False when refused or cancelled.
bool DSPTypeSelectorChange(const FrameCardContext& Context, int Slot, int Item, int& CurSlot);
// A new frame type: the dropped slots' cards are taken out, then header byte 52 is written.
bool FrameTypeChange(const FrameCardContext& Context, int NewType);

} // namespace kvr::app::frameio
