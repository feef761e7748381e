#pragma once
// The load-time repair chain: whenever a whole image enters a device (TDevice::SetAllData) it is
// brought to the current layout and cleared of inconsistencies. Every pass is idempotent: on a
// repaired image it writes nothing. A dummy device is left alone.

namespace kvr::model {

class TDevice;
class TProject;

// The passes of the chain that belong to no record of their own (TDevice::FixPotiAssign ...).
void FixPotiAssign(TDevice& dev);
void FixAnalogCardOptions(TDevice& dev);
void FixDSPCardChannelCount(TDevice& dev);
// Number of channels changed; runs once per image (mark in header byte 120).
int FixFaderChannelTimers(TDevice& dev);
// 1 when structure 29 was written.
int FixFaderChannelLabels(TDevice& dev);
void FixFaderChannelSources(TDevice& dev);
void FixReservedKeyFunctions(TDevice& dev);
void FixPoolNames(TDevice& dev);
void CheckFixedProcessings(TDevice& dev);

// The 16 passes, in their order.
void RunRepairPasses(TDevice& dev);
// After the passes: the warning about DSP functions this version does not know, and the
// script-step check that sets the too-many-commands limit bit.
void CheckLoadedImage(TDevice& dev);

// TProject::FixGLSources: a global logic may be sent by one device only; the first device in
// slot order keeps it, later ones let go of it.
void FixGLSources(TProject& project);

// The project-level end of loading a project file: FixGLSources, and the project starts
// unchanged, whatever the load repairs of its devices wrote.
void RepairLoadedProject(TProject& project);

} // namespace kvr::model
