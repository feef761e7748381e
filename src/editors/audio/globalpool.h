#pragma once
// The global pool of a device without widgets: the line source device, up to ten lines that
// pair a local input with the remote output of the source device feeding it over a device
// link, and each line's reservation for a monitor bus, a rotary selector or both.

#include <cstdint>
#include <string>
#include <vector>

#include "model/inserts.h"

namespace kvr::model {
class TProject;
class TDevice;
}

namespace kvr::editors {

struct PoolDeviceItem {
    std::string Text;
    std::uint32_t ID = 0;
};

struct PoolLineRow {
    std::string Number; // "1" ...
    std::string Line;   // the pool source name of the local input
    std::string LocalInput;
    std::string RemoteOutput;
    std::string ReservedFor;
    int Code = 0; // flag byte high, reserve byte low
};

struct PoolInputItem {
    std::string Text;
    std::uint32_t Value = 0; // local input << 16 | remote output
};

struct ReserveOption {
    std::string Text;
    int Code = 0;
};

class GlobalPoolEditor {
public:
    GlobalPoolEditor(model::TProject& Project, int Device);

    model::TGlobalPoolRecord Pool() const;
    // "None" and the other DSP frames of the project; Selected is the pool's source device.
    std::vector<PoolDeviceItem> SourceDevices(int& Selected) const;
    // Index of the pool's source device in the project, -1 when it is not there.
    int SourceDeviceIndex() const;
    bool MayChangeSourceDevice() const;
    bool MayAddLine() const;

    std::vector<PoolLineRow> Lines() const;
    // The local inputs a line may take; Selected is the entry of its remote output.
    std::vector<PoolInputItem> Inputs(int Line, int& Selected) const;
    static const std::vector<ReserveOption>& ReserveOptions();
    static int ReserveItem(int Code); // the option with that code, 0 ("None") when none

    // Each edit stores the pool; false when it was refused.
    bool SetSourceDevice(std::uint32_t DeviceID);
    int AddLine(); // the new row, -1 when refused
    bool RemoveLine(int Line);
    bool SetInput(int Line, std::uint32_t Value);
    // Clears the uses of the line's old reservation, then stores the new code.
    bool SetReserve(int Line, int Code);

private:
    model::TProject& FProject;
    int FDeviceIndex;
    model::TDevice& FDev;
};

} // namespace kvr::editors
