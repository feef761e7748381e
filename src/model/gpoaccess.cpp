#include "model/gpoaccess.h"

#include "diagnostics/kvrinfoformat.h"
#include "model/device.h"
#include "model/smallrecordaccess.h"

namespace kvr::model {

int CalcGPOID(TDevice& device, int slot, int number)
{
    const int id = GPOIDFor(GetCardType(device, slot), slot, number);
    if (id >= 0)
        InfoFormatter->Trace(tfMessageGenerator, "Calc GPO ID: Slot %d, Nr %d -> ID = %x", slot, number, id);
    return id;
}

std::uint16_t GetGPORouting(TDevice& device, int id)
{
    if (device.IsDummy())
        return 0;
    return ReadGPORouting(device.GetData(stGPORouting), id);
}

void SetGPORouting(TDevice& device, int id, std::uint16_t value)
{
    if (device.IsDummy())
        return;
    auto payload = device.GetData(stGPORouting);
    PutGPORouting(payload, id, value);
    device.SetData(stGPORouting, payload);
}

} // namespace kvr::model
