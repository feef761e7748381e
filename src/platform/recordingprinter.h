#pragma once
// A printer for tests: keeps every job with its title and orientation and every page as the
// primitives drawn on it. Its page is A4 at 600 dpi exactly as the documentation computes it.

#include <deque>
#include <string>
#include <vector>

#include "gfx/recordingcanvas.h"
#include "platform/printer.h"
#include "platform/printercanvas.h"

namespace kvr::platform {

class RecordingPrinter : public Printer {
public:
    struct Job {
        std::string Title;
        PrinterOrientation Orientation = PrinterOrientation::Portrait;
        std::deque<gfx::RecordingCanvas> Pages;
    };

    // The portrait page size in pixels.
    explicit RecordingPrinter(int Width = 4960, int Height = 7016, int Resolution = 600);

    bool Printing() const override { return FPrinting; }
    bool HasPrinter() const override { return Present; }
    void SetOrientation(PrinterOrientation Orientation) override;
    PrinterOrientation Orientation() const override { return FOrientation; }
    int PageWidth() const override;
    int PageHeight() const override;
    int Resolution() const override { return FResolution; }
    void SetTitle(const std::string& Title) override { FTitle = Title; }
    const std::string& Title() const override { return FTitle; }
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    gfx::Canvas& Canvas() override { return FCanvas; }

    bool Present = true;
    std::vector<Job> Jobs;

private:
    int FWidth, FHeight, FResolution;
    PrinterOrientation FOrientation = PrinterOrientation::Portrait;
    std::string FTitle;
    bool FPrinting = false;
    gfx::RecordingCanvas FMeasure;
    PrinterCanvas FCanvas;
};

} // namespace kvr::platform
