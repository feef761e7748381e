#pragma once
// The connection dialog "KVR Connection Dialog": a thin view over ConnectionList. The list is
// refreshed every second from the broadcasts the client's server collected.

#include <QDialog>

#include "app/connectionlist.h"

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class QTreeWidget;
class QWidget;

namespace kvr::app {

class TKVRConnectionDlg : public QDialog {
    Q_OBJECT
public:
    TKVRConnectionDlg(TKVRCommunicationClient& Client, ConnectionList& List, QWidget* Parent = nullptr);

    QWidget* PanelServer = nullptr;
    QRadioButton* LocalServer = nullptr;
    QRadioButton* RemoteServer = nullptr;
    QLineEdit* RemoteServerName = nullptr;
    QPushButton* ConnectBtn = nullptr;
    QRadioButton* SelectionRadio = nullptr;
    QTreeWidget* DeviceList = nullptr;
    QRadioButton* FixedIPRadio = nullptr;
    QLineEdit* IPEdit = nullptr;
    QRadioButton* COMPortRadio = nullptr;
    QComboBox* COMPortCombo = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QTimer* BroadCastRefreshTimer = nullptr;

    void RefreshDeviceList();

protected:
    void showEvent(QShowEvent* Event) override; // FormShow

private:
    void ShowList();
    void ShowChoice();
    // OK only while the choice names something to connect to.
    void ShowOk();
    void ConnectBtnClick();

    TKVRCommunicationClient& Client;
    ConnectionList& List;
    bool Filling = false;
};

// The production dialog runner for ConnectionDialog.
ShowConnectionDialogFn QtConnectionDialog(TKVRCommunicationClient& Client, QWidget* Parent);

} // namespace kvr::app
