#pragma once
// "Special: Import from another file": copies the card-slot configurations of chosen slots from
// a device file into the selected device of the open project.

#include <QDialog>

#include "app/slotimport.h"

class QListWidget;
class QPushButton;

namespace kvr::app {

class ProjectAccess;

class TImportWin : public QDialog {
    Q_OBJECT
public:
    explicit TImportWin(QWidget* Parent = nullptr);

    ProjectAccess* FProject = nullptr;
    int FDeviceIndex = -1;

    QListWidget* CheckListBox1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* Button1 = nullptr;

    // Chooses and reads the file and fills the list.
    void FormShow();
    void BitBtn1Click();
    void FillSlotList();
    const SlotImport& Source() const { return FSource; }

protected:
    void showEvent(QShowEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;

private:
    SlotImport FSource;
};

} // namespace kvr::app
