#include "service/maintenance/mtntypes.h"

namespace kvr::service {

const std::array<TModuleTypeRow, 17> ModuleTypeTable{{
    {0, "None", ""},
    {1, "unknown ", ""},
    {2, "KX730-020 ", " #F"},
    {3, "KX730-010 ", " #C"},
    {4, "KX730-851 ", " #B"},
    {5, "Monitor ", ""},
    {6, "KX730-012 ", " #C"},
    {7, "KX730-013 ", " #C"},
    {8, "KX730-026 ", " #C"},
    {9, "KX730-025 ", " #C"},
    {10, "KX730-011 ", " #C"},
    {11, "KX730-850 ", " #L"},
    {13, "KX730-029 ", " #F"},
    {31, "KX730-027 ", "   "},
    {32, "KX730-078 ", "   "},
    {30, "KX730-079 ", "   "},
    {14, "KX730-014 ", " #C"},
}};

const TModuleTypeRow* FindModuleType(int Type)
{
    for (const TModuleTypeRow& row : ModuleTypeTable)
        if (row.Type == Type)
            return &row;
    return nullptr;
}

std::string ModuleNodeText(std::uint8_t Type, std::uint8_t Index, std::uint16_t Number)
{
    const TModuleTypeRow* row = FindModuleType(Type);
    if (!row)
        return "unknown module - type " + std::to_string(Type);
    if (Type == 31)
        return std::string(row->Name) + "  PN: " + std::to_string(Number);
    return std::string(row->Name) + row->Suffix + std::to_string(Index + 1) + "  PN: " + std::to_string(Number);
}

} // namespace kvr::service
