#pragma once
// Where the documentation is printed: PDF files into a folder (the default) or a printer of the
// system. The choice is asked before every run and remembered in the settings.

#include <QString>

#include <memory>

#include "platform/printer.h"

class QWidget;

namespace kvr::platform {

class SettingsStore;

struct PrintTarget {
    bool UseSystemPrinter = false;
    QString Folder;      // the PDF folder
    QString PrinterName; // empty: the system's default printer
};

// The remembered choice; without one, PDF files into the user's documents folder.
PrintTarget LoadPrintTarget(const SettingsStore& Store);
void SavePrintTarget(SettingsStore& Store, const PrintTarget& Target);

class DocumentPrintService : public PrintService {
public:
    explicit DocumentPrintService(QWidget* DialogParent = nullptr);
    ~DocumentPrintService() override;

    Printer* CurrentPrinter() override;
    bool ExecuteDialog() override;

private:
    QWidget* FDialogParent;
    std::unique_ptr<Printer> FPrinter;
};

// A printer for the choice.
std::unique_ptr<Printer> MakePrinter(const PrintTarget& Target);

} // namespace kvr::platform
