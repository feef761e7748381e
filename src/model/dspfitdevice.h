#pragma once
// The fitting on a device: gathers the inputs from the image once per run, runs the fitting,
// stores counters, flag words, the capacity byte and structure 18, and writes the report.

#include <string>
#include <vector>

#include "model/dspfit.h"
#include "model/limits.h"

namespace kvr::model {

class TDevice;

// Sub-types (card record byte 5) of the DSP cards in the frame's slots, in slot order.
std::vector<std::uint8_t> DSPCardVariants(const TDevice& dev);
// Header byte 61, written without a change stamp (derived data).
void WriteBusCapacity(TDevice& dev, int capacity);

// Reads everything the fitting and the violation list need from the image, each structure once.
FittingInput GatherFittingInput(const TDevice& dev);

// The fitting run behind TDevice::CheckDSPResources. Returns the report's file name when option
// bit 0 asked for it and it was written, else an empty text. A dummy device is left alone.
std::string RunDSPFitting(TDevice& dev, int options);

// The "Fitting report" command: one run with the report, whose failure is always reported.
std::string WriteFittingReport(TDevice& dev);

// Defers the fitting of a device to the end of a compound edit: the runs asked for meanwhile
// become one run, with the options of the last of them, when the outermost scope ends. Its
// result equals that of the last run, which would have seen the same final image.
class DeferredFitting {
public:
    explicit DeferredFitting(TDevice& dev);
    ~DeferredFitting();
    DeferredFitting(const DeferredFitting&) = delete;
    DeferredFitting& operator=(const DeferredFitting&) = delete;

private:
    TDevice& dev_;
};

// One fitting run with the device's options when an edit ends, however many runs the edit's
// steps ask for meanwhile.
class FittingAtEnd {
public:
    explicit FittingAtEnd(TDevice& dev) : deferred_(dev), dev_(dev) {}
    ~FittingAtEnd();
    FittingAtEnd(const FittingAtEnd&) = delete;
    FittingAtEnd& operator=(const FittingAtEnd&) = delete;

private:
    DeferredFitting deferred_;
    TDevice& dev_;
};

// Counts the unknown functions of fader chains and fixed processings; sets or clears bit 0x10.
int CountUnknownDSPFunctions(TDevice& dev);

// Limit words (0 for a device of another model).
void SetLimitExceeded(TDevice& dev, std::uint32_t bits);
void ClearLimitExceeded(TDevice& dev, std::uint32_t bits);
std::uint32_t IsLimitReached(const TDevice& dev, std::uint32_t mask);
std::uint32_t GetLimitExceeded(const TDevice& dev);
// The violation list; capacity limits the unknown-function entries (the lock window passes 100).
std::vector<TConfigViolation> GetConfigViolations(const TDevice& dev, int capacity);

class TProject;
// Number of devices among the project's devices that exceed a limit.
int CountDevicesOverLimit(TProject& project);

} // namespace kvr::model
