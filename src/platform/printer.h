#pragma once
// The printer as the documentation sees it: jobs of pages in device pixels, drawn on one canvas.
// A section prepares the job (orientation, title), begins it, opens pages and ends it; the
// canvas keeps its font, pen and brush across pages and jobs, as the sections rely on.

#include <string>
#include <vector>

namespace kvr::gfx {
class Canvas;
}

namespace kvr::platform {

enum class PrinterOrientation { Portrait = 0, Landscape = 1 };

class Printer {
public:
    virtual ~Printer() = default;

    // True between BeginDoc and EndDoc.
    virtual bool Printing() const = 0;
    // False when no printer is there to print on.
    virtual bool HasPrinter() const = 0;

    // Takes effect for the next job; the page size follows it.
    virtual void SetOrientation(PrinterOrientation Orientation) = 0;
    virtual PrinterOrientation Orientation() const = 0;
    // The page in device pixels in the current orientation, and the pixels per inch.
    virtual int PageWidth() const = 0;
    virtual int PageHeight() const = 0;
    virtual int Resolution() const = 0;

    virtual void SetTitle(const std::string& Title) = 0;
    virtual const std::string& Title() const = 0;

    // BeginDoc while printing and NewPage or EndDoc while not printing do nothing.
    virtual void BeginDoc() = 0;
    virtual void NewPage() = 0;
    virtual void EndDoc() = 0;

    virtual gfx::Canvas& Canvas() = 0;

    // Jobs that could not be written since the last call, one line each; cleared by the call.
    virtual std::vector<std::string> TakeErrors() { return {}; }
};

// The printer object and the print dialog of the program.
class PrintService {
public:
    virtual ~PrintService() = default;
    // The printer of the current choice; null when none can be had.
    virtual Printer* CurrentPrinter() = 0;
    // Asks where to print; false when cancelled. On OK the current printer may be another one.
    virtual bool ExecuteDialog() = 0;
};

} // namespace kvr::platform
