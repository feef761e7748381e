#pragma once
// TFactoryTestFrm, "Factory Test Protocol": a thin modal window over FactoryTestRun. The run
// starts once the window is first activated, with "Close" disabled meanwhile; "Print" and
// "Save to file ..." work on the entries of a successful run.

#include <QDialog>

#include <memory>
#include <string>

#include "platform/printer.h"
#include "service/factorytest/factorytestdoc.h"
#include "service/factorytest/factorytestrun.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QWidget;

namespace kvr::service {

class TFactoryTestFrm : public QDialog {
    Q_OBJECT
public:
    // Printers null: the program's print dialog and printers.
    TFactoryTestFrm(MaintenanceFrame& Frame, const TDeviceInfo_cza& Device, std::unique_ptr<HttpFetcher> Http,
                    std::string BaseUrl, std::unique_ptr<platform::PrintService> Printers = nullptr, QWidget* Parent = nullptr);
    ~TFactoryTestFrm() override;

    FactoryTestRun& Run() { return *FRun; }
    const TTextDocument& Document() const { return FDoc; }

    QPlainTextEdit* Memo1 = nullptr;
    QWidget* FTControlPanel = nullptr;
    QLabel* Label1 = nullptr;
    QProgressBar* Progress = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnClose = nullptr;

    // The run: collection and downloads; true when both succeeded.
    bool StartRun();
    void Print();
    void Save();

    void reject() override;

protected:
    bool event(QEvent* Event) override;

private:
    void ShowState();
    std::string DeviceNameField() const;

    std::unique_ptr<HttpFetcher> FHttp;
    std::unique_ptr<FactoryTestRun> FRun;
    std::unique_ptr<platform::PrintService> FPrinters;
    std::string FStatusName;
    TTextDocument FDoc;
    TPrintLayout FLayout;
    bool FStarted = false;
};

} // namespace kvr::service
