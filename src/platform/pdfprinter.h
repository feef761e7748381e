#pragma once
// Prints every job into a PDF file of its own: A4 at 600 dpi, named after the job's title, in a
// folder the user chose. A file appears only once its job is completely written.

#include <QString>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/printer.h"
#include "platform/printercanvas.h"

class QPdfWriter;
class QSaveFile;

namespace kvr::gfx {
class QPainterCanvas;
}

namespace kvr::platform {

class PdfPrinter : public Printer {
public:
    static constexpr int Dpi = 600;

    explicit PdfPrinter(QString Folder);
    ~PdfPrinter() override;

    bool Printing() const override { return FPrinting; }
    bool HasPrinter() const override { return true; }
    void SetOrientation(PrinterOrientation Orientation) override;
    PrinterOrientation Orientation() const override { return FOrientation; }
    int PageWidth() const override;
    int PageHeight() const override;
    int Resolution() const override { return Dpi; }
    void SetTitle(const std::string& Title) override { FTitle = Title; }
    const std::string& Title() const override { return FTitle; }
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    gfx::Canvas& Canvas() override { return FCanvas; }
    std::vector<std::string> TakeErrors() override;

    const QString& Folder() const { return FFolder; }
    // The files this printer has written, in order.
    const std::vector<QString>& Files() const { return FFiles; }

private:
    QString FileNameFor(const std::string& Title);

    QString FFolder;
    std::string FTitle;
    PrinterOrientation FOrientation = PrinterOrientation::Portrait;
    bool FPrinting = false;
    std::unique_ptr<QSaveFile> FFile;
    std::unique_ptr<QPdfWriter> FWriter;
    std::unique_ptr<gfx::QPainterCanvas> FPage;
    std::unique_ptr<MeasureSurface> FMeasure;
    PrinterCanvas FCanvas;
    std::set<QString> FNamesUsed;
    std::vector<QString> FFiles;
    std::vector<std::string> FErrors;
};

// A job title as a file name: characters a file name cannot hold become "_".
QString PdfFileBaseName(const QString& Title);

} // namespace kvr::platform
