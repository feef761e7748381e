#pragma once
// Call points of the record accessors into operations that other parts of the data model
// provide: the adaptation of logic references, clean feeds, fixed inserts and the global pool.
// Each defaults to doing nothing; the owner of the operation installs it, tests install
// recorders. The accessors call them exactly where the operation belongs.

#include "model/devicelinks.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace kvr::model {

class TDevice;

// Modes of TDevice::AdaptLogics.
enum TAdaptMode : int { amSwap = 0, amDelete = 1, amInsert = 2, amRemoveForMove = 3 };

struct RecordHooks {
    // TDevice::AdaptLogics (a, b, mode).
    std::function<void(TDevice&, int a, int b, int mode)> AdaptLogics;
    // TDevice::DeleteCleanFeed (index).
    std::function<void(TDevice&, int cleanFeed)> DeleteCleanFeed;
    // TDevice::TrimFixedInserts.
    std::function<void(TDevice&)> TrimFixedInserts;
    // TDevice::RemovePoolLinesOfLink on the link's target device.
    std::function<void(TDevice&, const TDeviceLinkRecord&)> RemovePoolLinesOfLink;
};

// The installed hooks; empty members are skipped.
RecordHooks& Hooks();

void AdaptLogics(TDevice& device, int a, int b, int mode);
void DeleteCleanFeed(TDevice& device, int cleanFeed);
void TrimFixedInserts(TDevice& device);
void RemovePoolLinesOfLink(TDevice& device, const TDeviceLinkRecord& link);

} // namespace kvr::model

namespace kvr::model {

class TProject;

// Writes one byte of the device header (the counts at 67 and 68) and stamps the change.
void SetHeaderByte(TDevice& device, std::size_t offset, std::uint8_t value);
// Marks the project changed (a rewrite of its header) after a project entry was set.
void MarkProjectModified(TProject& project);

} // namespace kvr::model
