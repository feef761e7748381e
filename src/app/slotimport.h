#pragma once
// Importing card-slot configurations from a device file: the file held in memory, its 30 card
// slots as list rows, and the copy of chosen slots into a device of the open project.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kvr::app {

class ProjectAccess;

class SlotImport {
public:
    static constexpr int SlotCount = 30;

    // Reads the whole file, which may hold a device image of up to 64000 bytes. Empty on
    // success, else the message; a failed read leaves nothing loaded.
    std::string Load(const std::string& FileName);
    void Clear() { FData.clear(); }
    bool IsLoaded() const { return !FData.empty(); }

    // The payload of the first area-A entry of the slot; none when the file has no such entry
    // inside its data.
    std::optional<std::vector<std::uint8_t>> FindSlotEntry(int Slot) const;
    // One row per slot 0-29, slots counted from 0.
    std::vector<std::string> SlotRows() const;

private:
    std::vector<std::uint8_t> FData;
};

std::string SlotRowText(int Slot, const std::optional<std::vector<std::uint8_t>>& Payload);

// Writes each chosen slot's entry into the device: an empty slot of the file removes the card.
// False, with nothing written, when there is no such device.
bool ImportSlots(ProjectAccess* Project, int Device, const SlotImport& Source, const std::vector<int>& Slots);

} // namespace kvr::app
