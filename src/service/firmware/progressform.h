#pragma once
// TProgressForm, the window of a firmware update: "Update in progress...", a bar and Cancel,
// which only asks the update loop to stop.

#include <QDialog>

class QProgressBar;
class QPushButton;

namespace kvr::service {

class TProgressForm : public QDialog {
    Q_OBJECT
public:
    explicit TProgressForm(QWidget* Owner = nullptr);

    QProgressBar* ProgressBar = nullptr;
    QPushButton* CancelBtn = nullptr;
    bool CancelRequested = false;

protected:
    void changeEvent(QEvent* Event) override; // FormDeactivate
    void reject() override;                   // Escape asks as Cancel does
};

} // namespace kvr::service
