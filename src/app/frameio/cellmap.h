#pragma once
// Which cells the frame I/O table draws on each kind of row: drop-down cells (a column span with
// or without the arrow) and the label's edit cell. The painters draw from it, the hover cursor
// reads it, and the click map opens its editors on the same cells.

#include <vector>

namespace kvr::app::frameio {

enum class RowKind {
    SlotTitle,     // Type cell of an empty, unknown, I/O or GPIO slot (its first row)
    IOChannel,     // channel row of an I/O card
    IOGPIO,        // GPIO row of an I/O card
    GPI,           // GPI row of the GPIO card
    GPO,           // GPO row of the GPIO card
    DSPTitle,      // title rows of a DSP card in the whole-frame view
    MadiPortLine,  // a MADI port line of the whole-frame view
    DelayLine,
    MadiChannel,   // MADI channel row of the single-slot view
    SetAllUpper,   // header band, digital level
    SetAllLower,   // header band, analogue level and the digital options
};

struct RowFacts {
    RowKind Kind = RowKind::SlotTitle;
    int CardType = 0;
    bool Output = false;      // channel ID bit 0x80
    bool PortFloat = false;   // the MADI port carries 32-bit float
    bool Condition = false;   // the MADI port's use is switched by a logic condition
};

struct DropDownCell {
    int First = 0; // column; the frame covers First to End
    int End = 0;
    int TopOffset = 0; // from the row's top
    bool Arrow = true;
};

struct RowCells {
    std::vector<DropDownCell> DropDowns;
    int EditColumn = -1; // -1: none
};

RowCells CellsOf(const RowFacts& Row);

// The cell under x on a row: strictly inside the span's x range.
const DropDownCell* DropDownAt(const RowCells& Cells, int X);
bool InEditCell(const RowCells& Cells, int X);
// Strictly inside column c.
bool InColumn(int Column, int X);

} // namespace kvr::app::frameio
