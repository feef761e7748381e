#pragma once
// GPO routing of a device (TDevice::CalcGPOID, TDevice::GetGPORouting, TDevice::SetGPORouting).

#include "model/gporouting.h"

namespace kvr::model {

class TDevice;

// GPO ID of a connector number of the card in the slot, -1 when it is not a GPO.
int CalcGPOID(TDevice& device, int slot, int number);
std::uint16_t GetGPORouting(TDevice& device, int id);
void SetGPORouting(TDevice& device, int id, std::uint16_t value);

} // namespace kvr::model
