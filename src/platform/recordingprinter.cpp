#include "platform/recordingprinter.h"

namespace kvr::platform {

RecordingPrinter::RecordingPrinter(int Width, int Height, int Resolution)
    : FWidth(Width), FHeight(Height), FResolution(Resolution), FMeasure(Resolution), FCanvas(Resolution)
{
    FCanvas.SetMeasure(&FMeasure);
}

void RecordingPrinter::SetOrientation(PrinterOrientation Orientation)
{
    // As with a real printer, the orientation of a job is fixed once it began.
    if (!FPrinting)
        FOrientation = Orientation;
}

int RecordingPrinter::PageWidth() const { return FOrientation == PrinterOrientation::Portrait ? FWidth : FHeight; }

int RecordingPrinter::PageHeight() const { return FOrientation == PrinterOrientation::Portrait ? FHeight : FWidth; }

void RecordingPrinter::BeginDoc()
{
    if (FPrinting)
        return;
    FPrinting = true;
    Jobs.push_back(Job{FTitle, FOrientation, {}});
    Jobs.back().Pages.emplace_back(FResolution);
    FCanvas.SetTarget(&Jobs.back().Pages.back());
}

void RecordingPrinter::NewPage()
{
    if (!FPrinting)
        return;
    Jobs.back().Pages.emplace_back(FResolution);
    FCanvas.SetTarget(&Jobs.back().Pages.back());
}

void RecordingPrinter::EndDoc()
{
    if (!FPrinting)
        return;
    FPrinting = false;
    FCanvas.SetTarget(nullptr);
}

} // namespace kvr::platform
