#pragma once
// The device selection dialog "Device Selection": a generic pick-one list.

#include <QDialog>

class QListWidget;
class QPushButton;

namespace kvr::app {

class TDevSelForm : public QDialog {
    Q_OBJECT
public:
    explicit TDevSelForm(QWidget* Parent = nullptr);

    QListWidget* ListBox1 = nullptr;
    QPushButton* Button1 = nullptr; // Select
    QPushButton* Button2 = nullptr; // Cancel

protected:
    void showEvent(QShowEvent* Event) override; // FormShow

private slots:
    void ListBox1Click();
};

} // namespace kvr::app
