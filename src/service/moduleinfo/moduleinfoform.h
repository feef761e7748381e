#pragma once
// TModuleInfoForm, the information window of the maintenance window: the lines read, saved to a
// text file or sent as a support mail.

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

#include "platform/supportmail.h"

class QPlainTextEdit;
class QPushButton;

namespace kvr::service {

class TModuleInfoForm : public QDialog {
    Q_OBJECT
public:
    explicit TModuleInfoForm(QWidget* Owner = nullptr);

    QPlainTextEdit* ModuleInfoMemo = nullptr;
    QPushButton* SaveBtn = nullptr;
    QPushButton* SendMailBtn = nullptr;
    QPushButton* CloseBtn = nullptr;

    void SetLines(const std::vector<std::string>& Lines);
    void SaveBtnClick();
    void SendMailBtnClick();

    // Keys the window hands to the maintenance window (F11, F3).
    std::function<void(int Key)> ForwardKey;
    // How mail leaves; the desktop's handler by default.
    platform::MailOpener Mail = platform::desktopMailOpener();

protected:
    void keyPressEvent(QKeyEvent* Event) override;
};

// Writes the text through a temporary file that replaces the target once complete.
bool SaveTextFile(const QString& Path, const QString& Text);

} // namespace kvr::service
