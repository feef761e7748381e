#pragma once
// Key functions of console modules (TDevice::GetKeyFunction, TDevice::SetKeyFunction). Keys of
// fader-type modules fall back to, and by default are written to, their shared key table.

#include "model/keyfunctions.h"

namespace kvr::model {

class TDevice;

// 1 when the module's own entry holds a record for the key; else 0 with out holding the shared
// record or 42 zero bytes with byte 0 = key. A missing shared table is created empty.
int GetKeyFunction(TDevice& device, int key, TKeyRecord& out, int moduleSlot);
// The same record without creating a missing shared table: for pictures and displays, which
// must leave the device as it is.
int ReadKeyFunction(const TDevice& device, int key, TKeyRecord& out, int moduleSlot);
void SetKeyFunction(TDevice& device, int key, const TKeyRecord& record, int own, int moduleSlot);

} // namespace kvr::model
