#include "app/gauges.h"

namespace kvr::app {

Gauges UpdateGauges(const Gauges& Previous, const std::optional<DeviceResources>& Device)
{
    Gauges g = Previous;
    if (!Device) {
        for (auto& gauge : g) {
            gauge.ForeColor = clGray;
            gauge.BackColor = clSilver;
            gauge.LabelEnabled = false;
        }
        return g;
    }
    const DeviceResources& d = *Device;
    for (auto& gauge : g) {
        gauge.BackColor = clWhite;
        gauge.ForeColor = clNavy;
        gauge.LabelEnabled = true;
    }

    g[0].MaxValue = d.BusLimit;
    g[0].Progress = d.BusCount;
    if (d.BusCount > d.BusLimit)
        g[0].ForeColor = clRed;

    g[1].MaxValue = d.OutFktLimit + d.SOFLimit;
    g[1].Progress = d.OutFktCount + d.SOFCount;
    if (d.OutFktCount > d.OutFktLimit || d.SOFCount > d.SOFLimit) {
        g[1].ForeColor = clRed;
        g[1].Progress = g[1].MaxValue;
    }

    g[2].MaxValue = d.DSPCycles;
    g[2].Progress = d.DSPCyclesUsed;
    if (d.DSPCyclesUsed > d.DSPCycles)
        g[2].ForeColor = clRed;
    return g;
}

} // namespace kvr::app
