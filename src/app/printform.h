#pragma once
// The print window "Print": devices and sections to print, "Start Print ". A thin view over the
// print run, which holds every rule.

#include <QDialog>

#include <array>
#include <memory>

#include "reports/printrun.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace kvr::app {

class TPrintForm : public QDialog {
    Q_OBJECT
public:
    // Without a service it prints through the program's print dialog; tests bring their own.
    TPrintForm(reports::PrintHost& Host, QWidget* Parent = nullptr,
               std::unique_ptr<platform::PrintService> Service = nullptr);
    ~TPrintForm() override;

    reports::PrintRun& Run() { return *FRun; }

    // Set by the console editor's "Print module layout" around a direct FormShow.
    void SetModuleOnly(bool ModuleOnly) { FRun->FModuleOnly = ModuleOnly; }
    void FormShow();

    QGroupBox* GroupBox1 = nullptr;
    QListWidget* CheckListBox2 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QRadioButton* RadioButton1 = nullptr; // All
    QRadioButton* RadioButton2 = nullptr; // Selected:
    // The section boxes in the run's order (CheckBox9, 2, 4, 5, 6, 7, 3, 8, 10).
    std::array<QCheckBox*, reports::pbCount> SectionBoxes{};
    QPushButton* Button3 = nullptr; // Start Print
    QPushButton* Button1 = nullptr; // Close
    // Shown while a run prints: the document in hand and the devices done.
    QLabel* PrintStatus = nullptr;
    QProgressBar* PrintProgress = nullptr;

    // Close and the window's own close stop a run first; the window closes once it stopped.
    void reject() override;

protected:
    void showEvent(QShowEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void Button3Click();
    void CheckListBox2ClickCheck(QListWidgetItem* Item);
    // A click anywhere on a device's row, or Space on it, ticks or clears it.
    void ToggleItem(QListWidgetItem* Item);
    void ShowProgress();
    // Shows the run's state; never writes back.
    void Sync();
    void CloseByResult();

    std::unique_ptr<platform::PrintService> FService;
    std::unique_ptr<reports::PrintRun> FRun;
    bool FSyncing = false;
};

} // namespace kvr::app
