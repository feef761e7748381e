#include "app/frameio/cellmap.h"

#include "model/cardrecords.h"
#include "model/slottablecolumns.h"

namespace kvr::app::frameio {

using namespace model;

RowCells CellsOf(const RowFacts& Row)
{
    RowCells c;
    auto drop = [&c](int first, int end, int offset = 0, bool arrow = true) {
        c.DropDowns.push_back({first, end, offset, arrow});
    };
    switch (Row.Kind) {
    case RowKind::SlotTitle:
    case RowKind::DSPTitle:
        drop(scType, scInputAddress);
        break;
    case RowKind::IOChannel:
        drop(scMonoStereo, scLabel);
        c.EditColumn = scLabel;
        drop(scLevelAdjust, scSRC);
        if (Row.CardType == kCardDigitalIO && Row.Output) {
            drop(scOutputMode, scOutputDither);
            drop(scOutputDither, scGPIPullUp);
            drop(scMode, scOutputMode);
        } else if (Row.CardType == kCardDigitalIO) {
            drop(scSRC, scMode);
            drop(scMode, scOutputMode);
        }
        break;
    case RowKind::IOGPIO:
    case RowKind::GPO:
        c.EditColumn = scLabel;
        break;
    case RowKind::GPI:
        drop(scGPIPullUp, scEnd);
        c.EditColumn = scLabel;
        break;
    case RowKind::MadiPortLine:
        // Port lines sit 2 pixels above their text line.
        if (!Row.PortFloat)
            drop(scLevelAdjust, scSRC, -2);
        if (Row.Condition)
            drop(scSRC, scOutputDither, -2, false);
        drop(scInputAddress, scMonoStereo, -2);
        drop(scLabel, scLevelAdjust, -2);
        break;
    case RowKind::DelayLine:
        drop(scInputAddress, scMonoStereo, -2);
        break;
    case RowKind::MadiChannel:
        drop(scMonoStereo, scLabel);
        c.EditColumn = scLabel;
        if (!Row.PortFloat)
            drop(scLevelAdjust, scSRC);
        break;
    case RowKind::SetAllUpper:
        drop(scLevelAdjust, scSRC);
        break;
    case RowKind::SetAllLower:
        for (int col = scLevelAdjust; col <= scGPIPullUp; ++col)
            drop(col, col + 1);
        break;
    }
    return c;
}

bool InColumn(int Column, int X) { return SlotColumnX(Column) < X && X < SlotColumnX(Column + 1); }

const DropDownCell* DropDownAt(const RowCells& Cells, int X)
{
    for (const DropDownCell& d : Cells.DropDowns) {
        // The condition frame starts 5 pixels into its column.
        const int left = SlotColumnX(d.First) + (d.Arrow ? 0 : 5);
        if (left < X && X < SlotColumnX(d.End))
            return &d;
    }
    return nullptr;
}

bool InEditCell(const RowCells& Cells, int X) { return Cells.EditColumn >= 0 && InColumn(Cells.EditColumn, X); }

} // namespace kvr::app::frameio
