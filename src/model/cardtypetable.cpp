#include "model/cardtypetable.h"

namespace kvr::model {

namespace {

struct CardTypeRow {
    int cardType;
    int index;
    const char* text[4];
};

constexpr CardTypeRow CardTypeTable[] = {
    {0, 0, {"-", "-", "-", "-"}},
    {851, 1, {"DSP", "Controller", "RS422", "KX730-851"}},
    {848, 2, {"DSP", "Sync", "", "KX730-848L"}},
    {111, 3, {"Digital In/Out", "4 AES3 In SRC", "4 AES3 Out", "KX730-111"}},
    {122, 4, {"Analog In/Out", "4 Ch. Mic/Line", "2 Headphone", "KX730-122"}},
    {222, 5, {"Analog In/Out", "4 Ch. Line In", "4 Ch. Line Out", "KX730-222"}},
    {848, 6, {"DSP/MADI", "Sync", "KX730-421S", "KX730-848M"}},
    {0, 7, {"", "", "", ""}},
    {850, 8, {"Communicaton", "Controller", "Ethernet", "KX730-850"}},
    {848, 9, {"DSP/MADI", "Sync", "KX730-422S", "KX730-848M"}},
    {848, 10, {"DSP", "Sync", "", "KX730-848M"}},
    {848, 11, {"DSP/MADI", "Sync", "KX730-422R", "KX730-848M"}},
    {848, 12, {"DSP", "Delay", "KX730-424", "KX730-848"}},
    {311, 13, {"GPIO", "4 GPI", "12 GPO", "KX730-311"}},
    {223, 14, {"Analog In/Out", "4 Ch. Line In", "4 Ch. Line Out", "KX730-223"}},
    {123, 15, {"Analog In", "4 Ch. Mic/Line", "", "KX730-123"}},
    {0, 100, {"Power Supply", "94..253VAC", "5V/16A", "KX730-083"}},
    {0, 101, {"Mains Power", "CAN", "CAN 24V", "KX730-845"}},
    {0, 102, {"Power Supply", "94..253VAC", "24V/3.3A", "KX730-084"}},
};

} // namespace

std::string GetCardTypeText(int key, int column)
{
    if (column < 0 || column > 3)
        return {};
    for (const CardTypeRow& row : CardTypeTable) {
        if ((key < 110 ? row.index : row.cardType) == key)
            return row.text[column];
    }
    return {};
}

} // namespace kvr::model
