#pragma once
// TIBForm, "Create project summary": a thin dialog over ProjectSummary. The rows are rebuilt
// every second; "Generate!" scans every device and appends the summary to the output page.
// While it runs, "Stop" or Escape ends the scan between two steps, and Close ends it before the
// dialog closes.

#include <QDialog>

#include <memory>

#include "service/summary/projectsummary.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTimer;
class QTreeWidget;

namespace kvr::service {

class TIBForm : public QDialog {
    Q_OBJECT
public:
    TIBForm(const model::TProject& Project, std::unique_ptr<TKVRCommunicationClient> Client, TSummaryServices Services,
            QWidget* Parent = nullptr);
    ~TIBForm() override;

    ProjectSummary& Summary() { return *FSummary; }

    QTabWidget* PageControl1 = nullptr;
    QLineEdit* txtPRID = nullptr;
    QLineEdit* txtCustomer = nullptr;
    QLineEdit* txtOrder = nullptr;
    QTreeWidget* DevList = nullptr;
    QLabel* lblFrameSN = nullptr;
    QLineEdit* txtFrameSN = nullptr;
    QLabel* lblPowerSN = nullptr;
    QLineEdit* txtPowerSN = nullptr;
    QPushButton* btnGen = nullptr;
    QPushButton* btnStop = nullptr;
    QProgressBar* PB = nullptr;
    QLabel* lblProgress = nullptr; // the device the run is at
    QPlainTextEdit* Out = nullptr;
    QPushButton* Button1 = nullptr; // Save to File ...
    QPushButton* Button3 = nullptr; // Copy to Clipboard
    QPushButton* Button2 = nullptr; // Close
    QTimer* Update = nullptr;

    void ShowList();
    void DevListClick();
    void Generate();
    void SaveToFile();
    void CopyToClipboard();

    void reject() override;

protected:
    void showEvent(QShowEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    int SelectedRow() const;

    // Close during a run: the scan stops first, then the dialog closes.
    void CloseWhenStopped();

    std::unique_ptr<ProjectSummary> FSummary;
    bool FShown = false;
    bool FCloseWhenStopped = false;
};

} // namespace kvr::service
