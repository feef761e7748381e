#pragma once
// The print window "Print": devices and sections to print, "Start Print ". A thin view over the
// print run, which holds every rule.

#include <QDialog>

#include <array>
#include <memory>

#include "reports/printrun.h"

class QCheckBox;
class QGroupBox;
class QListWidget;
class QListWidgetItem;
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

protected:
    void showEvent(QShowEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    void Button3Click();
    void CheckListBox2ClickCheck(QListWidgetItem* Item);
    // Shows the run's state; never writes back.
    void Sync();
    void CloseByResult();

    std::unique_ptr<platform::PrintService> FService;
    std::unique_ptr<reports::PrintRun> FRun;
    bool FSyncing = false;
};

} // namespace kvr::app
