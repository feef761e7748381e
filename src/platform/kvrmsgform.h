#pragma once
// The dialog of numbered messages: icon and caption by kind, the text wrapped to half the
// screen, a centred row of buttons from a string of button letters, the code as the icon's
// tooltip. One dialog per message.

#include <QDialog>
#include <QList>

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kvr::platform {

struct MsgButtons;
struct MsgLayout;

class TKVRMsgForm : public QDialog {
    Q_OBJECT
public:
    explicit TKVRMsgForm(QWidget* Owner = nullptr);

    // Lays the dialog out, shows it modally and returns the modal result of the button pressed
    // (2 after Escape). Text is Windows-1252.
    int Execute(int Kind, const std::string& Text, unsigned Code, const std::string& Buttons);

    QLabel* Image = nullptr;
    QLabel* Label = nullptr;
    QLabel* IDLabel = nullptr;
    QLineEdit* Edit1 = nullptr;
    QList<QPushButton*> ButtonList;
    int Answer = 0;

signals:
    // Emitted when the dialog is laid out and about to run; tests answer it from here.
    void Shown();

protected:
    void keyPressEvent(QKeyEvent* Event) override; // FormKeyDown
    void showEvent(QShowEvent* Event) override;    // FormShow
    void changeEvent(QEvent* Event) override;      // FormDeactivate

private slots:
    void ButtonClick();

private:
    void SetKind(int Kind);
    void CreateButtons(const MsgButtons& Buttons, const MsgLayout& Layout);
    void Finish(int Result);
};

// The presenter of numbered messages: one dialog, run and destroyed. Throws when no
// application runs, so that the caller can report that the dialog could not be shown.
int ShowKVRMessage(int Kind, const std::string& Text, unsigned Code, const std::string& Buttons);

} // namespace kvr::platform
