#include "service/maintenance/devicelist.h"

#include <algorithm>

namespace kvr::service {

namespace {

using Kvrdata_ns::UDPPayloadOffset;
using Kvrdata_ns::UDPPayloadSize;

constexpr std::size_t SerialAt = 12; // record offsets
constexpr std::size_t NameAt = 28;
constexpr std::size_t NameSize = 10;

void Decode(TDeviceInfo_cza& Entry)
{
    Kvrdata_ns::DecodeDeviceStatus(Entry.Record, Entry.Status);
}

void TakeAddress(TDeviceInfo_cza& Entry, const TUDPDeviceStatus& S, const TUDPMsg& Msg)
{
    Entry.CK = Kvrdata_ns::dckBroadcast;
    Entry.PID = S.ProjectID;
    Entry.DID = S.DeviceID;
    Entry.IP = Msg.Address;
}

} // namespace

bool StatusRecordChanged(const TUDPMsg& Stored, const TUDPMsg& Msg)
{
    if (Stored.Length != Msg.Length)
        return true;
    // Record bytes 12 on are payload bytes 4 on; the length counts payload bytes.
    const std::size_t end = std::min<std::size_t>(std::max(Stored.Length, Msg.Length), UDPPayloadSize);
    const std::size_t from = SerialAt - UDPPayloadOffset;
    return end > from && !std::equal(Stored.Payload.begin() + from, Stored.Payload.begin() + end, Msg.Payload.begin() + from);
}

TDeviceInfo_cza* DeviceList::Find(std::uint32_t Serial) const
{
    for (const auto& e : FEntries)
        if (e->SerialField() == Serial)
            return e.get();
    return nullptr;
}

bool DeviceList::Contains(const TDeviceInfo_cza* Entry) const
{
    return std::any_of(FEntries.begin(), FEntries.end(), [Entry](const auto& e) { return e.get() == Entry; });
}

DeviceList::TChanges DeviceList::Take(const Kvrdata_ns::TUDPMsgVector& Msgs, std::uint32_t Now)
{
    TChanges changes;
    for (const TUDPMsg& msg : Msgs) {
        TUDPDeviceStatus s;
        if (!Kvrdata_ns::DecodeDeviceStatus(msg, s))
            continue;
        if (TDeviceInfo_cza* entry = Find(s.Serial)) {
            entry->LastSeen = Now;
            std::copy_n(msg.Payload.begin() + (NameAt - UDPPayloadOffset), NameSize,
                        entry->Record.Payload.begin() + (NameAt - UDPPayloadOffset));
            TakeAddress(*entry, s, msg);
            // The count check compares what the stored record decodes to, so it stays within
            // the 32 entries a record holds.
            if (StatusRecordChanged(entry->Record, msg) || entry->Status.Entries.size() != s.Entries.size()) {
                entry->Record = msg;
                if (std::find(changes.Changed.begin(), changes.Changed.end(), entry) == changes.Changed.end())
                    changes.Changed.push_back(entry);
            }
            Decode(*entry);
            continue;
        }
        auto entry = std::make_unique<TDeviceInfo_cza>();
        entry->Record = msg;
        entry->MAC = s.Serial & 0xFFFFFF;
        entry->LastSeen = Now;
        TakeAddress(*entry, s, msg);
        Decode(*entry);
        changes.Added.push_back(entry.get());
        FEntries.push_back(std::move(entry));
    }
    // A device added and changed in one pass is simply new.
    std::erase_if(changes.Changed, [&](TDeviceInfo_cza* e) {
        return std::find(changes.Added.begin(), changes.Added.end(), e) != changes.Added.end();
    });
    return changes;
}

std::vector<std::unique_ptr<TDeviceInfo_cza>> DeviceList::Expire(std::uint32_t Now)
{
    std::vector<std::unique_ptr<TDeviceInfo_cza>> gone;
    for (std::size_t i = FEntries.size(); i-- > 0;) {
        TDeviceInfo_cza& e = *FEntries[i];
        // Wrap-safe: the age is the unsigned difference of the two ticks.
        if (e.CK == Kvrdata_ns::dckBroadcast && static_cast<std::uint32_t>(Now - e.LastSeen) > DeviceExpiryMs) {
            gone.push_back(std::move(FEntries[i]));
            FEntries.erase(FEntries.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    return gone;
}

std::unique_ptr<TDeviceInfo_cza> DeviceList::Remove(const TDeviceInfo_cza* Entry)
{
    const auto it = std::find_if(FEntries.begin(), FEntries.end(), [Entry](const auto& e) { return e.get() == Entry; });
    if (it == FEntries.end())
        return nullptr;
    auto out = std::move(*it);
    FEntries.erase(it);
    return out;
}

} // namespace kvr::service
