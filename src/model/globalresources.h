#pragma once
// Global resources (structure 32): project-wide resources that devices subscribe to and take
// over from each other. The project's list lives in device 0 and is copied into every other
// device; each subscriber gets its own logic source (1836-1985).

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "model/recordsupport.h"

namespace kvr::model {

class TDevice;
class TProject;

inline constexpr int kMaxGlobalResources = 20;
inline constexpr int kMaxSubscribers = 20;
inline constexpr int kFirstSubscriberLogicID = 1836;
inline constexpr int kSubscriberLogicIDs = 150;

struct TSubscriber {
    std::uint32_t DeviceID = 0;
    std::uint16_t LogicID = 0;
};

struct TGlobalResource {
    std::uint8_t ID = 0;     // 1-149
    std::uint8_t Option = 0;
    std::uint8_t Count = 0;  // subscribers, at most 20
    std::uint8_t Mode = 0;   // 0 Request/Confirm, 1 Take Over, 2 Delayed Take Over
    std::array<std::uint8_t, 2> Options{};
    std::uint32_t Master = 0;
    std::uint32_t DefaultOwner = 0;
    std::array<char, 16> Label{};
    std::array<TSubscriber, kMaxSubscribers> Subscribers{};
};

// Resources of a stored structure in stored order; a resource that passes the end is not taken.
std::vector<RecordSpan> WalkGlobalResources(std::span<const std::uint8_t> payload);
TGlobalResource DecodeGlobalResource(std::span<const std::uint8_t> resource, std::size_t head, std::size_t entry);

// Device level.
void SetGlobalResource(TDevice& dev, const TGlobalResource& resource);
int GetGlobalResource(const TDevice& dev, int id, TGlobalResource& out);
int DeleteGlobalResource(TDevice& dev, int id);
std::vector<std::uint8_t> GetGlobalResourceIDs(const TDevice& dev);
void FixGlobalResources(TDevice& dev);

// Project level (0 when the project has no devices).
int GetGlobalResource(const TProject& project, int id, TGlobalResource& out);
int SetGlobalResource(TProject& project, const TGlobalResource& resource);
int AddGlobalResource(TProject& project, TGlobalResource& out);
int DeleteGlobalResource(TProject& project, int id);
int SyncGlobalResources(TProject& project);
// Device 0's IDs in ascending order, after a sync.
std::vector<std::uint8_t> GetGlobalResourceIDs(TProject& project);
int GetFreeSubscriberLogicID(const TProject& project, std::uint16_t& id);
int AddGlobalResourceSubscriber(TProject& project, int resourceId, int deviceIndex);
int RemoveGlobalResourceSubscriber(TProject& project, int resourceId, int subscriberIndex);
void ClearGlobalResourceRefs(TProject& project, int deviceIndex);

bool IsGlobalResourceSubscriber(const TGlobalResource& resource, std::uint32_t deviceId);
// Keeps, in their order, the IDs whose resource has a subscriber entry for the device.
void FilterGlobalResources(const TProject& project, std::vector<std::uint8_t>& ids, std::uint32_t deviceId);

} // namespace kvr::model
