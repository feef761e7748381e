#include "app/connectdialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "client/clientmessages.h"
#include "diagnostics/waitcursor.h"

namespace kvr::app {

namespace {
QString Q(const std::string& Text)
{
    return QString::fromLatin1(Text.c_str());
}
} // namespace

TKVRConnectionDlg::TKVRConnectionDlg(TKVRCommunicationClient& Client, ConnectionList& List, QWidget* Parent)
    : QDialog(Parent)
    , Client(Client)
    , List(List)
{
    setObjectName(List.Newer() ? "KVRConnectionDlgV6" : "KVRConnectionDlg");
    setWindowTitle("KVR Connection Dialog");
    const QSize size(List.Newer() ? 599 : 560, 428);
    resize(size);
    setMinimumSize(size);
    QFont font("Tahoma");
    font.setPixelSize(11);
    setFont(font);
    if (!Client.DialogCaption.empty())
        setWindowTitle(Q(Client.DialogCaption));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);

    PanelServer = new QWidget(this);
    PanelServer->setObjectName("PanelServer");
    PanelServer->setFixedHeight(81);
    auto* serverLayout = new QVBoxLayout(PanelServer);
    serverLayout->setContentsMargins(0, 0, 0, 0);
    auto* gbServer = new QGroupBox("KVR Communication Server", PanelServer);
    gbServer->setObjectName("GBServer");
    auto* sl = new QHBoxLayout(gbServer);
    LocalServer = new QRadioButton("Local", gbServer);
    LocalServer->setObjectName("LocalServer");
    RemoteServer = new QRadioButton("Remote:", gbServer);
    RemoteServer->setObjectName("RemoteServer");
    RemoteServerName = new QLineEdit(gbServer);
    RemoteServerName->setObjectName("RemoteServerName");
    ConnectBtn = new QPushButton("Connect", gbServer);
    ConnectBtn->setObjectName("ConnectBtn");
    sl->addWidget(LocalServer);
    sl->addWidget(RemoteServer);
    sl->addWidget(RemoteServerName, 1);
    sl->addWidget(ConnectBtn);
    serverLayout->addWidget(gbServer);
    layout->addWidget(PanelServer);

    auto* gbDevice = new QGroupBox("Device Selection", this);
    gbDevice->setObjectName("GBDevice");
    auto* dl = new QGridLayout(gbDevice);
    SelectionRadio = new QRadioButton("Select:", gbDevice);
    SelectionRadio->setObjectName("SelectionRadio");
    DeviceList = new QTreeWidget(gbDevice);
    DeviceList->setObjectName("DeviceList");
    DeviceList->setRootIsDecorated(false);
    DeviceList->setSelectionMode(QAbstractItemView::SingleSelection);
    DeviceList->setSelectionBehavior(QAbstractItemView::SelectRows);
    DeviceList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DeviceList->header()->setSectionsClickable(false);
    QStringList titles;
    for (const std::string& t : List.ColumnTitles())
        titles << Q(t);
    DeviceList->setHeaderLabels(titles);
    const std::vector<int> widths = List.ColumnWidths();
    for (std::size_t i = 0; i < widths.size(); ++i)
        DeviceList->setColumnWidth(static_cast<int>(i), widths[i]);
    FixedIPRadio = new QRadioButton("Fixed IP:", gbDevice);
    FixedIPRadio->setObjectName("FixedIPRadio");
    IPEdit = new QLineEdit(gbDevice);
    IPEdit->setObjectName("IPEdit");
    dl->addWidget(SelectionRadio, 0, 0, Qt::AlignTop);
    dl->addWidget(DeviceList, 0, 1, 1, 3);
    dl->addWidget(FixedIPRadio, 1, 0);
    dl->addWidget(IPEdit, 1, 1);
    if (!List.Newer()) {
        COMPortRadio = new QRadioButton("COM Port:", gbDevice);
        COMPortRadio->setObjectName("COMPortRadio");
        COMPortCombo = new QComboBox(gbDevice);
        COMPortCombo->setObjectName("COMPortCombo");
        for (const int port : List.COMPorts)
            COMPortCombo->addItem(QString("COM%1").arg(port));
        // A machine without serial ports offers none.
        COMPortRadio->setEnabled(!List.COMPorts.empty());
        COMPortCombo->setEnabled(!List.COMPorts.empty());
        dl->addWidget(COMPortRadio, 2, 0);
        dl->addWidget(COMPortCombo, 2, 1);
    }
    layout->addWidget(gbDevice, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    OkBtn = new QPushButton("OK", this);
    OkBtn->setObjectName("OkBtn");
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");
    CancelBtn->setMinimumWidth(75);
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    layout->addLayout(buttons);

    // Server and device choices are two separate radio groups.
    auto* serverGroup = new QButtonGroup(this);
    serverGroup->addButton(LocalServer);
    serverGroup->addButton(RemoteServer);
    auto* deviceGroup = new QButtonGroup(this);
    deviceGroup->addButton(SelectionRadio);
    deviceGroup->addButton(FixedIPRadio);
    if (COMPortRadio)
        deviceGroup->addButton(COMPortRadio);

    RemoteServerName->setText(Q(Client.GetServerMachine()));
    (Client.GetServerMachine().empty() ? LocalServer : RemoteServer)->setChecked(true);

    BroadCastRefreshTimer = new QTimer(this);
    BroadCastRefreshTimer->setObjectName("BroadCastRefreshTimer");
    BroadCastRefreshTimer->setInterval(1000);
    connect(BroadCastRefreshTimer, &QTimer::timeout, this, &TKVRConnectionDlg::RefreshDeviceList);
    BroadCastRefreshTimer->start();

    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(LocalServer, &QRadioButton::clicked, this, [this] { this->Client.SetServerMachine(""); });
    connect(RemoteServerName, &QLineEdit::textEdited, this, [this] { RemoteServer->setChecked(true); });
    connect(ConnectBtn, &QPushButton::clicked, this, &TKVRConnectionDlg::ConnectBtnClick);
    connect(SelectionRadio, &QRadioButton::clicked, this, [this] {
        this->List.Choice = ConnectionChoice::Selection;
        ShowOk();
    });
    connect(FixedIPRadio, &QRadioButton::clicked, this, [this] {
        this->List.IPEditChange(IPEdit->text().toStdString());
        ShowList();
    });
    connect(IPEdit, &QLineEdit::textEdited, this, [this](const QString& Text) {
        this->List.IPEditChange(Text.toStdString());
        ShowChoice();
        ShowList();
    });
    if (COMPortRadio) {
        const auto comClick = [this] {
            this->List.COMPortComboClick(COMPortCombo->currentIndex());
            ShowChoice();
            ShowList();
        };
        connect(COMPortRadio, &QRadioButton::clicked, this, comClick);
        connect(COMPortCombo, qOverload<int>(&QComboBox::activated), this, comClick);
    }
    connect(DeviceList, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* Item) {
        this->List.Select(DeviceList->indexOfTopLevelItem(Item));
        this->List.DeviceListClick();
        ShowChoice();
    });
    // A row chosen with the keyboard is as chosen as a clicked one; filling the list is not.
    connect(DeviceList, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (Filling)
            return;
        const QList<QTreeWidgetItem*> selected = DeviceList->selectedItems();
        this->List.Select(selected.isEmpty() ? -1 : DeviceList->indexOfTopLevelItem(selected.front()));
        if (!selected.isEmpty())
            this->List.DeviceListClick();
        ShowChoice();
    });
    connect(DeviceList, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* Item) {
        this->List.Select(DeviceList->indexOfTopLevelItem(Item));
        this->List.DeviceListClick();
        accept();
    });

    ShowList();
    ShowChoice();
}

void TKVRConnectionDlg::RefreshDeviceList()
{
    List.RefreshFrom(Client);
    ShowList();
}

void TKVRConnectionDlg::ShowList()
{
    Filling = true;
    DeviceList->setUpdatesEnabled(false);
    const auto& rows = List.Rows();
    while (DeviceList->topLevelItemCount() > static_cast<int>(rows.size()))
        delete DeviceList->takeTopLevelItem(DeviceList->topLevelItemCount() - 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        QTreeWidgetItem* item = DeviceList->topLevelItem(static_cast<int>(i));
        if (!item)
            item = new QTreeWidgetItem(DeviceList);
        for (std::size_t c = 0; c < rows[i].Texts.size(); ++c)
            item->setText(static_cast<int>(c), Q(rows[i].Texts[c]));
    }
    DeviceList->clearSelection();
    if (List.Selected() >= 0) {
        QTreeWidgetItem* selected = DeviceList->topLevelItem(List.Selected());
        selected->setSelected(true);
        DeviceList->setCurrentItem(selected, 0, QItemSelectionModel::NoUpdate);
    }
    DeviceList->setUpdatesEnabled(true);
    Filling = false;
    ShowOk();
}

void TKVRConnectionDlg::ShowOk()
{
    OkBtn->setEnabled(List.CanConnect());
}

void TKVRConnectionDlg::ShowChoice()
{
    switch (List.Choice) {
    case ConnectionChoice::Selection:
        SelectionRadio->setChecked(true);
        break;
    case ConnectionChoice::FixedIP:
        FixedIPRadio->setChecked(true);
        if (IPEdit->text().toStdString() != List.IPText)
            IPEdit->setText(Q(List.IPText));
        break;
    case ConnectionChoice::COMPort:
        if (COMPortRadio) {
            COMPortRadio->setChecked(true);
            COMPortCombo->setCurrentIndex(List.COMPortIndex);
        }
        break;
    case ConnectionChoice::None:
        break;
    }
    ShowOk();
}

void TKVRConnectionDlg::showEvent(QShowEvent* Event)
{
    PanelServer->setVisible((Client.GetOptions() & OptionSet(dcoRemoteServerAllowed)) != 0);
    List.FormShow();
    ShowChoice();
    ShowList();
    QDialog::showEvent(Event);
}

void TKVRConnectionDlg::ConnectBtnClick()
{
    RemoteServer->setChecked(true);
    bool remote = false;
    {
        TWaitCursor wait;
        remote = ConnectRemoteServer(Client, RemoteServerName->text().toStdString());
    }
    if (!remote) {
        InfoFormatter->ShowMessage(kvr::client::msgNoRemoteServer, "");
        LocalServer->setChecked(true);
    }
}

ShowConnectionDialogFn QtConnectionDialog(TKVRCommunicationClient& Client, QWidget* Parent)
{
    return [&Client, Parent](ConnectionList& List) {
        TKVRConnectionDlg dialog(Client, List, Parent);
        return dialog.exec() == QDialog::Accepted ? ConnectResultOK : ConnectResultCancel;
    };
}

} // namespace kvr::app
