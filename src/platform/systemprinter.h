#pragma once
// Prints on a printer of the system: one print job per section, the whole page as its canvas.

#include <QString>

#include <memory>
#include <string>
#include <vector>

#include "platform/printer.h"
#include "platform/printercanvas.h"

class QPrinter;

namespace kvr::gfx {
class QPainterCanvas;
}

namespace kvr::platform {

class SystemPrinter : public Printer {
public:
    // An empty name takes the system's default printer.
    explicit SystemPrinter(const QString& PrinterName);
    ~SystemPrinter() override;

    bool Printing() const override { return FPrinting; }
    bool HasPrinter() const override;
    void SetOrientation(PrinterOrientation Orientation) override;
    PrinterOrientation Orientation() const override;
    int PageWidth() const override;
    int PageHeight() const override;
    int Resolution() const override;
    void SetTitle(const std::string& Title) override { FTitle = Title; }
    const std::string& Title() const override { return FTitle; }
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    gfx::Canvas& Canvas() override { return *FCanvas; }
    std::vector<std::string> TakeErrors() override;

private:
    std::unique_ptr<QPrinter> FPrinter;
    std::string FTitle;
    bool FPrinting = false;
    std::unique_ptr<gfx::QPainterCanvas> FPage;
    std::unique_ptr<MeasureSurface> FMeasure;
    std::unique_ptr<PrinterCanvas> FCanvas;
    std::vector<std::string> FErrors;
};

// The names of the system's printers.
std::vector<QString> SystemPrinterNames();

} // namespace kvr::platform
