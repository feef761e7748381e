#pragma once
// The print dialog: PDF files into a folder, or a printer of the system.

#include <QDialog>

#include "platform/documentprintservice.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kvr::platform {

class PrintTargetDialog : public QDialog {
    Q_OBJECT
public:
    explicit PrintTargetDialog(const PrintTarget& Target, QWidget* Parent = nullptr);

    PrintTarget Target() const;

    QRadioButton* PdfButton = nullptr;
    QLineEdit* FolderEdit = nullptr;
    QPushButton* BrowseButton = nullptr;
    QRadioButton* PrinterButton = nullptr;
    QComboBox* PrinterBox = nullptr;
    QPushButton* OkButton = nullptr;

public slots:
    // A system printer without any printer is refused with "No printer found!".
    void accept() override;

private:
    void BrowseClick();
    void UpdateEnabled();
};

} // namespace kvr::platform
