#pragma once
// The reading commands of the maintenance window: a module's status page, a card's page, the
// serial numbers of a device, the cards of a carrier as tree nodes, and the status of every
// module in turn. The lines go to the information window's text.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "service/maintenance/maintenanceframe.h"
#include "service/moduleinfo/moduletexts.h"

namespace kvr::service {

class ModuleInformation {
public:
    explicit ModuleInformation(MaintenanceFrame& Frame);

    // The information window's lines; Show brings the window up, Changed redraws it.
    std::vector<std::string> Lines;
    std::function<void()> Show;
    std::function<void()> Changed;
    // The current time in seconds since 1970 (a card date of 0xFFFFFFFF shows it).
    std::function<std::int64_t()> Now;

    void ModuleInfoAction();    // Information (F11)
    void AllModuleInfoAction(); // Get information from all modules (Ctrl+F11)
    void SerialNumbersAction(); // Get serial numbers (F3)
    void GetCardsAction();      // Get Cards

    void ShowModuleInfo();
    void ShowCardInfo(std::uint16_t ModuleNumber, int Slot);
    void ReadCardSlots(TModuleNode& Module);
    void ListSerialNumbers();
    void ListModuleSerialNumbers(std::uint8_t Type, std::uint16_t ModuleNumber);
    bool ReadCardHeader(std::uint16_t ModuleNumber, std::uint8_t SlotIndex, TCardHeader& Header);

private:
    bool ReadCardChunk(std::uint16_t ModuleNumber, std::uint8_t SlotIndex, std::uint8_t Offset, std::uint8_t* Out);
    void Open();
    void Add(std::string Line) { Lines.push_back(std::move(Line)); }

    MaintenanceFrame& F;
};

} // namespace kvr::service
