#pragma once
// The one-shot service commands of the maintenance window on the connected device, one of its
// modules or one card: each builds a block (Set DHCP a UDP message), most ask first, and each
// refuses with its own message while no connection is open.

#include <cstdint>

#include "kvrdata/kvrstruct.h"

namespace kvr::service {

class MaintenanceFrame;

inline constexpr unsigned ResetWaitPerRetryMs = 80;

class ServiceActions {
public:
    explicit ServiceActions(MaintenanceFrame& Frame) : F(Frame) {}

    void ResetDevice();            // ResetDeviceActn (F12)
    void ResetModule();            // ResetModuleActn (popup, Modules menu)
    void LampTest(bool On);        // Testmode On / Off
    void ClearParamMem();
    void ResetHourMeter();
    void SetModuleID(int Tag);     // items "1"-"12", Tag 0-11
    void SaveSetup0();
    void SaveSetup1_6();
    void DeleteMixerSetupNames();
    void DeleteChannelSetupNames();
    void DeleteChannelSetups();
    void SetDHCP();
    void SwitchMLCard();
    // The card-page write: one byte at Offset of the page of slot index Slot.
    bool WriteCardInfoByte(std::uint16_t Module, std::uint8_t Slot, std::uint8_t Offset, std::uint8_t Value);

private:
    void Reset(std::uint32_t Address, bool DeviceNode);
    template <class Delete>
    void DeleteRange(std::uint32_t Question, std::uint32_t Failure, int Last, Delete Del);

    MaintenanceFrame& F;
};

} // namespace kvr::service
