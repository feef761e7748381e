#pragma once
// Typed accessors of the logic system records of a device (TDevice::AddLogicFunction and its
// family). Each reads the whole structure, edits it and writes the whole payload back; a dummy
// device is never changed.

#include "model/logicrecords.h"

#include <string>

namespace kvr::model {

class TDevice;

int AddLogicFunction(TDevice& device);
// 1 and the function, 0 when the index does not exist; 9 for a dummy device.
int GetLogicFunction(TDevice& device, int index, TLogicFunction& out);
// A null record removes the function at the index.
void SetLogicFunction(TDevice& device, int index, const TLogicFunction* record);
void DeleteLogicFunction(TDevice& device, int index);
void MoveLogicFunction(TDevice& device, int from, int to);

void AddLogicDelay(TDevice& device);
int GetLogicDelay(TDevice& device, int index, TLogicDelay& out);
void SetLogicDelay(TDevice& device, int index, const TLogicDelay& record);
void DeleteLogicDelay(TDevice& device, int index);

void AddScript(TDevice& device);
int GetScript(TDevice& device, int index, TScript& out);
void SetScript(TDevice& device, int index, const TScript& record);
void DeleteScript(TDevice& device, int index);
// Total script commands; sets or clears the too-many-commands bit of FLimitExceeded.
int CheckScriptSteps(TDevice& device);

void SetMuteLogicName(TDevice& device, int index, std::span<const std::uint8_t, 16> name);
std::string GetMuteLogicName(TDevice& device, int index);

void AddLevelDetect(TDevice& device);
int GetLevelDetect(TDevice& device, int index, TLevelDetect& out);
void SetLevelDetect(TDevice& device, int index, const TLevelDetect& record);
void DeleteLevelDetect(TDevice& device, int index);
// Load pass: converts old level detects (type 9) and widens short type-34 records.
void FixLevelDetects(TDevice& device);

} // namespace kvr::model
