#include "platform/documentprintservice.h"

#include <QDir>
#include <QStandardPaths>

#include "platform/pdfprinter.h"
#include "platform/printtargetdialog.h"
#include "platform/settingsstore.h"
#include "platform/systemprinter.h"

namespace kvr::platform {

namespace {
constexpr const char* kUseSystemPrinter = "PrintToSystemPrinter";
constexpr const char* kPdfFolder = "PrintFolder";
constexpr const char* kPrinterName = "PrinterName";
} // namespace

PrintTarget LoadPrintTarget(const SettingsStore& Store)
{
    PrintTarget target;
    target.UseSystemPrinter = Store.readInteger(DefinitionKey, kUseSystemPrinter).value_or(0) != 0;
    if (auto folder = Store.readString(DefinitionKey, kPdfFolder); folder && !folder->empty())
        target.Folder = QString::fromStdString(*folder);
    else
        target.Folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (auto name = Store.readString(DefinitionKey, kPrinterName))
        target.PrinterName = QString::fromStdString(*name);
    return target;
}

void SavePrintTarget(SettingsStore& Store, const PrintTarget& Target)
{
    Store.writeInteger(DefinitionKey, kUseSystemPrinter, Target.UseSystemPrinter ? 1 : 0);
    Store.writeString(DefinitionKey, kPdfFolder, Target.Folder.toStdString());
    Store.writeString(DefinitionKey, kPrinterName, Target.PrinterName.toStdString());
}

std::unique_ptr<Printer> MakePrinter(const PrintTarget& Target)
{
    if (Target.UseSystemPrinter)
        return std::make_unique<SystemPrinter>(Target.PrinterName);
    return std::make_unique<PdfPrinter>(Target.Folder);
}

DocumentPrintService::DocumentPrintService(QWidget* DialogParent) : FDialogParent(DialogParent) {}

DocumentPrintService::~DocumentPrintService() = default;

Printer* DocumentPrintService::CurrentPrinter()
{
    if (!FPrinter)
        FPrinter = MakePrinter(LoadPrintTarget(settingsStore()));
    return FPrinter.get();
}

bool DocumentPrintService::ExecuteDialog()
{
    PrintTargetDialog dialog(LoadPrintTarget(settingsStore()), FDialogParent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const PrintTarget target = dialog.Target();
    if (!target.UseSystemPrinter)
        QDir().mkpath(target.Folder);
    SavePrintTarget(settingsStore(), target);
    // A fresh printer per run: its files and errors are the run's own.
    FPrinter = MakePrinter(target);
    return true;
}

} // namespace kvr::platform
