#include "platform/printtargetdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/currentprompter.h"
#include "platform/systemprinter.h"

namespace kvr::platform {

PrintTargetDialog::PrintTargetDialog(const PrintTarget& Target, QWidget* Parent) : QDialog(Parent)
{
    setObjectName("PrintDialog1");
    setWindowTitle("Print");
    auto* grid = new QGridLayout(this);
    PdfButton = new QRadioButton("PDF files in folder ...", this);
    FolderEdit = new QLineEdit(Target.Folder, this);
    BrowseButton = new QPushButton("...", this);
    PrinterButton = new QRadioButton("System printer", this);
    PrinterBox = new QComboBox(this);
    for (const QString& name : SystemPrinterNames())
        PrinterBox->addItem(name);
    if (const int at = PrinterBox->findText(Target.PrinterName); at >= 0)
        PrinterBox->setCurrentIndex(at);
    grid->addWidget(PdfButton, 0, 0, 1, 2);
    grid->addWidget(FolderEdit, 1, 0);
    grid->addWidget(BrowseButton, 1, 1);
    grid->addWidget(PrinterButton, 2, 0, 1, 2);
    grid->addWidget(PrinterBox, 3, 0, 1, 2);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    OkButton = buttons->button(QDialogButtonBox::Ok);
    grid->addWidget(buttons, 4, 0, 1, 2);
    (Target.UseSystemPrinter ? PrinterButton : PdfButton)->setChecked(true);
    setMinimumWidth(420);

    connect(buttons, &QDialogButtonBox::accepted, this, &PrintTargetDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(BrowseButton, &QPushButton::clicked, this, &PrintTargetDialog::BrowseClick);
    connect(PdfButton, &QRadioButton::clicked, this, &PrintTargetDialog::UpdateEnabled);
    connect(PrinterButton, &QRadioButton::clicked, this, &PrintTargetDialog::UpdateEnabled);
    UpdateEnabled();
}

PrintTarget PrintTargetDialog::Target() const
{
    PrintTarget target;
    target.UseSystemPrinter = PrinterButton->isChecked();
    target.Folder = FolderEdit->text();
    target.PrinterName = PrinterBox->currentText();
    return target;
}

void PrintTargetDialog::accept()
{
    if (PrinterButton->isChecked() && PrinterBox->count() == 0) {
        prompter().showMessage("No printer found!");
        return;
    }
    QDialog::accept();
}

void PrintTargetDialog::BrowseClick()
{
    if (auto folder = prompter().selectFolder("PDF files in folder ...", FolderEdit->text())) {
        FolderEdit->setText(*folder);
        PdfButton->setChecked(true);
        UpdateEnabled();
    }
}

void PrintTargetDialog::UpdateEnabled()
{
    const bool pdf = PdfButton->isChecked();
    FolderEdit->setEnabled(pdf);
    BrowseButton->setEnabled(pdf);
    PrinterBox->setEnabled(!pdf);
}

} // namespace kvr::platform
