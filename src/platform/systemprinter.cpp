#include "platform/systemprinter.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

#include "gfx/qpaintercanvas.h"
#include "platform/text1252.h"

namespace kvr::platform {

std::vector<QString> SystemPrinterNames()
{
    std::vector<QString> names;
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        names.push_back(name);
    return names;
}

SystemPrinter::SystemPrinter(const QString& PrinterName) : FPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    if (!PrinterName.isEmpty())
        FPrinter->setPrinterName(PrinterName);
    // Sections place everything from the page edges.
    FPrinter->setFullPage(true);
    const int dpi = FPrinter->resolution();
    FMeasure = std::make_unique<MeasureSurface>(dpi);
    FCanvas = std::make_unique<PrinterCanvas>(dpi);
    FCanvas->SetMeasure(&FMeasure->Canvas());
}

SystemPrinter::~SystemPrinter()
{
    FCanvas->SetTarget(nullptr);
    FCanvas->SetMeasure(nullptr);
    if (FPage) {
        FPage.reset();
        FPrinter->abort();
    }
}

bool SystemPrinter::HasPrinter() const
{
    return !QPrinterInfo::availablePrinterNames().isEmpty() && FPrinter->isValid();
}

void SystemPrinter::SetOrientation(PrinterOrientation Orientation)
{
    if (!FPrinting)
        FPrinter->setPageOrientation(Orientation == PrinterOrientation::Landscape ? QPageLayout::Landscape
                                                                                   : QPageLayout::Portrait);
}

PrinterOrientation SystemPrinter::Orientation() const
{
    return FPrinter->pageLayout().orientation() == QPageLayout::Landscape ? PrinterOrientation::Landscape
                                                                          : PrinterOrientation::Portrait;
}

int SystemPrinter::PageWidth() const { return FPrinter->pageLayout().fullRectPixels(FPrinter->resolution()).width(); }

int SystemPrinter::PageHeight() const { return FPrinter->pageLayout().fullRectPixels(FPrinter->resolution()).height(); }

int SystemPrinter::Resolution() const { return FPrinter->resolution(); }

void SystemPrinter::BeginDoc()
{
    if (FPrinting)
        return;
    FPrinting = true;
    FPrinter->setDocName(fromCp1252(FTitle));
    FPage = std::make_unique<gfx::QPainterCanvas>(*FPrinter);
    if (!FPage->painter().isActive()) {
        FErrors.push_back(FPrinter->printerName().toStdString() + ": " + FTitle);
        FPage.reset();
        return;
    }
    FCanvas->SetTarget(FPage.get());
}

void SystemPrinter::NewPage()
{
    if (FPrinting && FPage)
        FPrinter->newPage();
}

void SystemPrinter::EndDoc()
{
    if (!FPrinting)
        return;
    FPrinting = false;
    FCanvas->SetTarget(nullptr);
    FPage.reset();
}

std::vector<std::string> SystemPrinter::TakeErrors() { return std::exchange(FErrors, {}); }

} // namespace kvr::platform
