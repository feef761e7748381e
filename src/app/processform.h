#pragma once
// The progress window "Process": a bar that callers set and show while a long operation runs.
// Its visibility is the program's "processing" state; it cannot be closed before the bar is full.

#include <QDialog>

class QProgressBar;

namespace kvr::app {

// Closing is allowed while hidden, and while visible only once the bar has reached its maximum.
inline bool ProcessMayClose(bool Visible, int Position, int Maximum)
{
    return !Visible || Position >= Maximum;
}

class TProcessForm : public QDialog {
    Q_OBJECT
public:
    explicit TProcessForm(QWidget* Parent = nullptr);

    QProgressBar* ProgressBar = nullptr;

    void reject() override;

protected:
    void closeEvent(QCloseEvent* Event) override;  // FormCloseQuery
    void keyPressEvent(QKeyEvent* Event) override; // FormKeyDown
    void showEvent(QShowEvent* Event) override;    // FormShow
    void changeEvent(QEvent* Event) override;      // FormDeactivate

private:
    bool Complete() const;
};

} // namespace kvr::app
