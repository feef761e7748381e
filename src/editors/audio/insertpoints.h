#pragma once
// The insert points of a device without widgets: one fixed insert per fader strip (by default the
// strip's own pre-fader pair, which is never stored) and four switchable inserts with a label, a
// routing selector for the send and a return source.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/inserts.h"

namespace kvr::model {
class TProject;
class TDevice;
}

namespace kvr::editors {

struct FixedInsertRow {
    std::string Fader;   // strip number from 1
    std::string Channel; // the assigned channel's name, "(none)"
    std::string Source;  // pair text
    std::uint16_t Ref = 0;
};

struct SwitchableInsertRow {
    std::string Label;   // trimmed
    std::string Send;    // "Routing 1" ...
    std::string Return;  // pair text
    int Routing = 1;     // shown 1-768
    std::uint16_t Ref = 0;
};

class InsertPoints {
public:
    static constexpr int kSwitchable = 4;
    // The only column of either list that takes a source drop.
    static constexpr int kSourceColumn = 2;

    InsertPoints(model::TProject& Project, int Device);

    // One row per fader strip in use.
    std::vector<FixedInsertRow> FixedRows();
    std::vector<SwitchableInsertRow> SwitchableRows();
    // Name of S with bit 0 cleared, " + ", name of S with bit 0 set.
    std::string PairText(std::uint16_t Source);

    // Sources arrive as the window composed them; flags and bit 0 are dropped.
    void SetFixedInsertSource(int Fader, std::uint16_t Source);
    void SetSwitchableInsertReturn(int Point, std::uint16_t Source);
    // Typed text of the routing edit: the shown routing stored, nothing for a text that is not a
    // number or is negative.
    std::optional<int> SetRouting(int Point, const std::string& Text);
    void SetLabel(int Point, const std::string& Text);
    // Back to the default: no return, empty label, routing 0.
    void Clear(int Point);

private:
    model::TProject& FProject;
    int FDeviceIndex;
    model::TDevice& FDev;
};

} // namespace kvr::editors
