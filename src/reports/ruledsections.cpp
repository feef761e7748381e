#include "reports/ruledsections.h"

#include <cstdlib>

#include "gfx/canvas.h"
#include "reports/documentrows.h"
#include "reports/pageframe.h"

namespace kvr::reports {

namespace {

// Arial at 10 points, its height made positive: the row height of the table.
void UseRowFont(gfx::Canvas& Canvas)
{
    Canvas.setBackgroundMode(gfx::BackgroundMode::Transparent);
    Canvas.font().name = "Arial";
    Canvas.setFontSize(10);
    Canvas.font().height = std::abs(Canvas.font().height);
}

} // namespace

void PrintGlobalLogicTable(PageFrame& Frame)
{
    model::TProject* project = Frame.Project();
    if (project == nullptr)
        return;
    gfx::Canvas& c = Frame.Printer.Canvas();
    c.font().name = "Arial";
    Frame.PrepareSection(platform::PrinterOrientation::Portrait, "Global Logic List", -1);
    const std::vector<TRow> rows = GlobalLogicRows(*project);
    Frame.Printer.BeginDoc();
    UseRowFont(c);
    PrintRuledTable(Frame, GlobalLogicColumns, "Global Logic table", -1, rows);
    Frame.Printer.EndDoc();
}

void PrintOutputRouting(PageFrame& Frame)
{
    model::TProject* project = Frame.Project();
    if (project == nullptr || Frame.Device() == nullptr)
        return;
    const std::vector<TRow> rows = OutputRoutingRows(*project, Frame.FDevice);
    Frame.PrepareSection(platform::PrinterOrientation::Portrait, "Output Routing", Frame.FDevice);
    Frame.Printer.BeginDoc();
    UseRowFont(Frame.Printer.Canvas());
    PrintRuledTable(Frame, OutputRoutingColumns, "Output Routing", Frame.FDevice, rows);
    Frame.Printer.EndDoc();
}

} // namespace kvr::reports
