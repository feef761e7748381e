#pragma once
// The devices that announce themselves: one entry per serial number seen in a status broadcast,
// with the last broadcast as it came and the tick it was last seen. An entry silent for more
// than 5000 ms leaves the list.

#include <cstdint>
#include <memory>
#include <vector>

#include "kvrdata/deviceaddr.h"
#include "kvrdata/kvrstruct.h"

namespace kvr::service {

using Kvrdata_ns::TDeviceAddr;
using Kvrdata_ns::TUDPDeviceStatus;
using Kvrdata_ns::TUDPMsg;

inline constexpr std::uint32_t DeviceExpiryMs = 5000;

// One device of the list: its address and a copy of its last status broadcast.
struct TDeviceInfo_cza : TDeviceAddr {
    TUDPMsg Record;              // the broadcast as stored (numbers in host order)
    TUDPDeviceStatus Status;     // Record decoded; at most 32 module entries
    std::uint32_t LastSeen = 0;  // tick of the last sighting; kept outside the record, which a
                                 // replacement would overwrite with bytes no device fills

    // Bytes 12-15 of the record, all 32 bits: the key of the list.
    std::uint32_t SerialField() const { return Status.Serial; }
    std::size_t ModuleCount() const { return Status.Entries.size(); }
};

class DeviceList {
public:
    // What a pass changed: entries new to the list and entries whose modules must be rebuilt.
    struct TChanges {
        std::vector<TDeviceInfo_cza*> Added;
        std::vector<TDeviceInfo_cza*> Changed;
    };

    // Takes the broadcasts the server collected; messages that are no status broadcast are
    // skipped. Now is the millisecond tick.
    TChanges Take(const Kvrdata_ns::TUDPMsgVector& Msgs, std::uint32_t Now);

    // Takes out the entries found by broadcast and not seen for more than 5000 ms, last first;
    // the caller drops their nodes, then the entries.
    std::vector<std::unique_ptr<TDeviceInfo_cza>> Expire(std::uint32_t Now);

    // Takes one entry out of the list; null when it is not there.
    std::unique_ptr<TDeviceInfo_cza> Remove(const TDeviceInfo_cza* Entry);

    const std::vector<std::unique_ptr<TDeviceInfo_cza>>& Entries() const { return FEntries; }
    bool Contains(const TDeviceInfo_cza* Entry) const;

private:
    TDeviceInfo_cza* Find(std::uint32_t Serial) const;

    std::vector<std::unique_ptr<TDeviceInfo_cza>> FEntries;
};

// True when a stored record and a new broadcast differ in their length or in their bytes from
// offset 12 on, within the longer of the two (the device's own fields, not the sender).
bool StatusRecordChanged(const TUDPMsg& Stored, const TUDPMsg& Msg);

} // namespace kvr::service
