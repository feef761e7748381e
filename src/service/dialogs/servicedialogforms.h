#pragma once
// The thin windows over the service dialog rules: the control-block sender, Set Device IP,
// the contrast buttons and the internal control-bus monitor.

#include <QDialog>

#include <functional>
#include <memory>

#include "service/dialogs/servicedialogs.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QLabel;

namespace kvr::service {

class TCBSendForm : public QDialog {
    Q_OBJECT
public:
    // Send hands each block to the maintenance window's logged send.
    TCBSendForm(std::function<void(const KVRCANBlock&)> Send, QWidget* Owner);
    QLineEdit* CBE[5] = {};
    QPushButton* CBS[5] = {};

private:
    std::function<void(const KVRCANBlock&)> Send;
};

class TSetIPForm : public QDialog {
    Q_OBJECT
public:
    TSetIPForm(TKVRCommunicationClient& Client, QWidget* Owner);
    QLineEdit* MACEdit = nullptr;
    QLineEdit* IPEdit = nullptr;
    QLineEdit* MaskEdit = nullptr;
    QCheckBox* DHCP = nullptr;
    QPushButton* SendBtn = nullptr;
    QPushButton* CloseBtn = nullptr;
    void SendBtnClick();

private:
    TKVRCommunicationClient& Client;
    QLabel* IPLabel = nullptr;
    QLabel* MaskLabel = nullptr;
};

class TAdjustmentsForm : public QDialog {
    Q_OBJECT
public:
    TAdjustmentsForm(TKVRCommunicationClient& Client, QWidget* Owner);
    QPushButton* SpeedButton1 = nullptr; // Increase
    QPushButton* SpeedButton2 = nullptr; // Decrease
    QPushButton* btnOK = nullptr;
};

class TInternalCAN : public QDialog {
    Q_OBJECT
public:
    explicit TInternalCAN(std::unique_ptr<InternalCANMonitor> Monitor, QWidget* Parent = nullptr);
    QLineEdit* Mask = nullptr;
    QLineEdit* ID = nullptr;
    QCheckBox* Activate = nullptr;
    QPlainTextEdit* ProtokollMemo = nullptr;
    QLabel* StatusPanel = nullptr;
    InternalCANMonitor& Monitor() { return *FMonitor; }

private:
    std::unique_ptr<InternalCANMonitor> FMonitor;
};

} // namespace kvr::service
