#pragma once
// The "Monitor Functions" tab without its widgets: the default sources of the six stereo monitor
// buses and the source list of each of the 30 rotary monitor selectors.

#include <cstdint>
#include <string>
#include <vector>

namespace kvr::model {
class TProject;
class TDevice;
}

namespace kvr::editors {

struct MonitorBusRow {
    std::string Bus;    // "Monitor Bus 1L" ...
    std::string Source;
    std::string Info;   // "Global Pool" when a pool line feeds the bus
    std::uint16_t Ref = 0;
};

struct RotarySelectorRow {
    std::string Selector; // "Rotary Selector 1" ...
    std::string List;     // the list's label, "None"
    std::string Info;
    int Item = 0;         // item of the list combo: 0 "None", else list + 1
};

class MonitorFunctions {
public:
    static constexpr int kBusSources = 12;
    static constexpr int kSelectors = 30;

    MonitorFunctions(model::TProject& Project, int Device);

    std::vector<MonitorBusRow> BusRows();
    std::vector<RotarySelectorRow> SelectorRows();
    // "None" and the labels of lists 0-9.
    std::vector<std::string> ListItems();

    void ClearBus(int Row);
    void ClearAll();
    // Item 0 ("None") removes the selector's entry.
    void SetSelectorList(int Selector, int Item);

private:
    model::TProject& FProject;
    int FDeviceIndex;
    model::TDevice& FDev;
};

} // namespace kvr::editors
