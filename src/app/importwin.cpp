#include "app/importwin.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/projectaccess.h"
#include "model/modelhost.h"
#include "platform/application.h"
#include "platform/currentprompter.h"

namespace kvr::app {

TImportWin::TImportWin(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("ImportWin");
    setWindowTitle("Special: Import from another file");
    auto* layout = new QVBoxLayout(this);
    auto* pages = new QTabWidget(this);
    pages->setObjectName("PageControl1");
    auto* sheet = new QWidget(pages);
    sheet->setObjectName("TabSheet1");
    auto* sheetLayout = new QVBoxLayout(sheet);
    sheetLayout->addWidget(new QLabel("Zu importierende Slots:", sheet));
    CheckListBox1 = new QListWidget(sheet);
    CheckListBox1->setObjectName("CheckListBox1");
    sheetLayout->addWidget(CheckListBox1, 1);
    BitBtn1 = new QPushButton("Start", sheet);
    BitBtn1->setObjectName("BitBtn1");
    sheetLayout->addWidget(BitBtn1, 0, Qt::AlignLeft);
    pages->addTab(sheet, "Slots");
    layout->addWidget(pages, 1);
    Button1 = new QPushButton("Close", this);
    Button1->setObjectName("Button1");
    layout->addWidget(Button1, 0, Qt::AlignRight);
    resize(420, 520);

    connect(BitBtn1, &QPushButton::clicked, this, &TImportWin::BitBtn1Click);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}

void TImportWin::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    FormShow();
}

void TImportWin::hideEvent(QHideEvent* Event)
{
    FSource.Clear(); // the file is held only while the window is open
    QDialog::hideEvent(Event);
}

void TImportWin::FormShow()
{
    FSource.Clear();
    CheckListBox1->clear();
    platform::FileChoice choice;
    choice.filter = "Device Data|*.kvf";
    choice.defaultExt = "mpj";
    const std::optional<QString> chosen = platform::prompter().openFileName(choice);
    if (!chosen || chosen->isEmpty() || !FProject)
        return;
    const std::string error = FSource.Load(platform::ToNativePath(*chosen));
    if (!error.empty()) {
        model::ShowError("ImportForm", "OnShow", error);
        return;
    }
    FillSlotList();
}

void TImportWin::FillSlotList()
{
    CheckListBox1->clear();
    if (!FSource.IsLoaded())
        return;
    for (const std::string& row : FSource.SlotRows()) {
        auto* item = new QListWidgetItem(QString::fromStdString(row), CheckListBox1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void TImportWin::BitBtn1Click()
{
    if (!FProject || FDeviceIndex < 0 || FDeviceIndex >= FProject->DeviceCount()) {
        platform::prompter().showMessage("Please select a device first!");
        return;
    }
    if (platform::prompter().messageBox(
            QString::fromUtf8("Daten im Ziel-Device werden ohne weitere Nachfrage überschrieben, fortfahren?"), "Warnung",
            platform::Buttons::OkCancel, platform::Icon::Exclamation) != platform::Answer::Ok)
        return;
    for (int row = 0; row < CheckListBox1->count(); ++row) {
        QListWidgetItem* item = CheckListBox1->item(row);
        if (item->checkState() != Qt::Checked)
            continue;
        ImportSlots(FProject, FDeviceIndex, FSource, {row});
        item->setCheckState(Qt::Unchecked);
    }
}

} // namespace kvr::app
