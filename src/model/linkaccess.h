#pragma once
// Device links of the project (TProject::AddDeviceLink and its family). Every read and write
// is passed to the trace hook when one is set.

#include "model/devicelinks.h"

namespace kvr::model {

class TProject;

// The new link ID, or -1 when all 64 IDs are in use.
int AddDeviceLink(TProject& project, const TDeviceLink& record);
// 1 and the link (out.Opt stays as the caller had it), or 0 with out untouched.
int GetDeviceLink(TProject& project, int id, TDeviceLink& out);
void SetDeviceLink(TProject& project, int id, const TDeviceLink& record);
void DeleteDeviceLink(TProject& project, int id);
// 0 not linked, 2 the channel feeds a link, 1 it is fed by one, 3 both.
int FindDeviceLink(TProject& project, int channel, int device, int* linkID, int side);

} // namespace kvr::model
