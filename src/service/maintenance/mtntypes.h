#pragma once
// The module type table of the maintenance tools and the display text of one module. The tree,
// the serial-number list, the XML module list and the factory test all name modules from here.

#include <array>
#include <cstdint>
#include <string>

namespace kvr::service {

struct TModuleTypeRow {
    int Type;
    const char* Name;   // with its trailing blank
    const char* Suffix; // put before the module's position
};

// Walked in this order; the first row of a type wins.
extern const std::array<TModuleTypeRow, 17> ModuleTypeTable;

// The row of a module type, null when the table lacks it.
const TModuleTypeRow* FindModuleType(int Type);

// "KX730-020  #F1  PN: 1234"; type 31 has no position, an unknown type says so.
std::string ModuleNodeText(std::uint8_t Type, std::uint8_t Index, std::uint16_t Number);

} // namespace kvr::service
