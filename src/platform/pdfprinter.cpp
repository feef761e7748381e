#include "platform/pdfprinter.h"

#include <QDir>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>

#include "gfx/qpaintercanvas.h"
#include "platform/text1252.h"

namespace kvr::platform {

namespace {

QPageLayout::Orientation QtOrientation(PrinterOrientation Orientation)
{
    return Orientation == PrinterOrientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

QPageLayout A4Layout(PrinterOrientation Orientation)
{
    return QPageLayout(QPageSize(QPageSize::A4), QtOrientation(Orientation), QMarginsF(0, 0, 0, 0));
}

} // namespace

QString PdfFileBaseName(const QString& Title)
{
    QString name;
    for (const QChar ch : Title) {
        const bool unusable = ch.unicode() < 32 || QStringLiteral("/\\:*?\"<>|").contains(ch);
        name += unusable ? QChar('_') : ch;
    }
    // Leading dots would hide the file; trailing dots and blanks do not survive on every system.
    for (qsizetype i = 0; i < name.size() && name[i] == '.'; ++i)
        name[i] = '_';
    while (name.endsWith('.') || name.endsWith(' '))
        name.chop(1);
    return name.isEmpty() ? QStringLiteral("print") : name;
}

PdfPrinter::PdfPrinter(QString Folder) : FFolder(std::move(Folder)), FCanvas(Dpi)
{
    // Text is measured at the printer's resolution between jobs too.
    FMeasure = std::make_unique<MeasureSurface>(Dpi);
    FCanvas.SetMeasure(&FMeasure->Canvas());
}

PdfPrinter::~PdfPrinter()
{
    FCanvas.SetTarget(nullptr);
    FCanvas.SetMeasure(nullptr);
    // An unfinished job leaves no file behind.
    FPage.reset();
    FWriter.reset();
    if (FFile)
        FFile->cancelWriting();
}

void PdfPrinter::SetOrientation(PrinterOrientation Orientation)
{
    if (!FPrinting)
        FOrientation = Orientation;
}

int PdfPrinter::PageWidth() const { return A4Layout(FOrientation).fullRectPixels(Dpi).width(); }

int PdfPrinter::PageHeight() const { return A4Layout(FOrientation).fullRectPixels(Dpi).height(); }

QString PdfPrinter::FileNameFor(const std::string& Title)
{
    const QString base = PdfFileBaseName(fromCp1252(Title));
    QString name = base + ".pdf";
    // Two jobs of one run with the same title must not overwrite each other.
    for (int n = 2; FNamesUsed.count(name.toLower()) != 0; ++n)
        name = QStringLiteral("%1 (%2).pdf").arg(base).arg(n);
    FNamesUsed.insert(name.toLower());
    return QDir(FFolder).filePath(name);
}

void PdfPrinter::BeginDoc()
{
    if (FPrinting)
        return;
    FPrinting = true;
    const QString fileName = FileNameFor(FTitle);
    FFile = std::make_unique<QSaveFile>(fileName);
    if (!FFile->open(QIODevice::WriteOnly)) {
        FErrors.push_back(fileName.toStdString());
        FFile.reset();
        return; // the job runs on without a page; nothing is written
    }
    FWriter = std::make_unique<QPdfWriter>(FFile.get());
    FWriter->setResolution(Dpi);
    FWriter->setPageLayout(A4Layout(FOrientation));
    FWriter->setTitle(fromCp1252(FTitle));
    FWriter->setCreator(QStringLiteral("kvrconfig"));
    FPage = std::make_unique<gfx::QPainterCanvas>(*FWriter);
    FCanvas.SetTarget(FPage.get());
}

void PdfPrinter::NewPage()
{
    if (FPrinting && FWriter)
        FWriter->newPage();
}

void PdfPrinter::EndDoc()
{
    if (!FPrinting)
        return;
    FPrinting = false;
    FCanvas.SetTarget(nullptr);
    FPage.reset(); // ends the painter, which completes the PDF
    FWriter.reset();
    if (!FFile)
        return;
    const QString fileName = FFile->fileName();
    if (FFile->commit())
        FFiles.push_back(fileName);
    else
        FErrors.push_back(fileName.toStdString());
    FFile.reset();
}

std::vector<std::string> PdfPrinter::TakeErrors() { return std::exchange(FErrors, {}); }

} // namespace kvr::platform
