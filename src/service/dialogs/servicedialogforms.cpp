#include "service/dialogs/servicedialogforms.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "service/maintenance/memo.h"

namespace kvr::service {

TCBSendForm::TCBSendForm(std::function<void(const KVRCANBlock&)> S, QWidget* Owner) : QDialog(Owner), Send(std::move(S))
{
    setObjectName("CBSendForm");
    setWindowTitle("CANBlock Sender");
    auto* grid = new QGridLayout(this);
    for (int n = 0; n < 5; ++n) {
        grid->addWidget(new QLabel(QString("Block %1").arg(n + 1), this), n, 0);
        CBE[n] = new QLineEdit(this);
        CBE[n]->setObjectName(QString("CBE%1").arg(n + 1));
        CBE[n]->setMinimumWidth(320);
        grid->addWidget(CBE[n], n, 1);
        CBS[n] = new QPushButton("Send", this);
        CBS[n]->setObjectName(QString("CBS%1").arg(n + 1));
        CBS[n]->setAutoDefault(false);
        grid->addWidget(CBS[n], n, 2);
        connect(CBS[n], &QPushButton::clicked, this, [this, n] { Send(ParseControlBlockText(CBE[n]->text().toStdString())); });
    }
}

TSetIPForm::TSetIPForm(TKVRCommunicationClient& C, QWidget* Owner) : QDialog(Owner), Client(C)
{
    setObjectName("SetIPForm");
    setWindowTitle("Set Device IP");
    auto* form = new QFormLayout(this);
    MACEdit = new QLineEdit(this);
    MACEdit->setInputMask("HH-HH-HH;_");
    IPEdit = new QLineEdit(this);
    IPEdit->setInputMask("000.000.000.000;_");
    MaskEdit = new QLineEdit(this);
    MaskEdit->setInputMask("000.000.000.000;_");
    MaskEdit->setText("255.255.255.000");
    DHCP = new QCheckBox("Enable DHCP", this);
    form->addRow("MAC Address", MACEdit);
    IPLabel = new QLabel("New IP", this);
    MaskLabel = new QLabel("IP Mask", this);
    form->addRow(IPLabel, IPEdit);
    form->addRow(MaskLabel, MaskEdit);
    form->addRow(DHCP);
    auto* buttons = new QHBoxLayout;
    SendBtn = new QPushButton("Send", this);
    CloseBtn = new QPushButton("Close", this);
    buttons->addWidget(SendBtn);
    buttons->addWidget(CloseBtn);
    form->addRow(buttons);
    connect(DHCP, &QCheckBox::clicked, this, [this](bool On) {
        for (QWidget* w : {static_cast<QWidget*>(IPEdit), static_cast<QWidget*>(MaskEdit), static_cast<QWidget*>(IPLabel),
                           static_cast<QWidget*>(MaskLabel)})
            w->setEnabled(!On);
    });
    connect(SendBtn, &QPushButton::clicked, this, &TSetIPForm::SendBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, [this] { done(2); });
}

void TSetIPForm::SendBtnClick()
{
    TUDPMsg msg = SetDeviceIPMessage(MACEdit->text().toStdString(), IPEdit->text().toStdString(), MaskEdit->text().toStdString(),
                                     DHCP->isChecked());
    Client.SendUDPBlock(msg);
}

TAdjustmentsForm::TAdjustmentsForm(TKVRCommunicationClient& Client, QWidget* Owner) : QDialog(Owner)
{
    setObjectName("AdjustmentsForm");
    setWindowTitle("Adjust buttons contrast");
    auto* layout = new QHBoxLayout(this);
    SpeedButton1 = new QPushButton("Increase", this);
    SpeedButton2 = new QPushButton("Decrease", this);
    btnOK = new QPushButton("OK", this);
    for (QPushButton* b : {SpeedButton1, SpeedButton2, btnOK})
        layout->addWidget(b);
    // The contrast blocks go out unlogged.
    connect(SpeedButton1, &QPushButton::clicked, this, [&Client] {
        KVRCANBlock cb = ContrastBlock(true);
        Client.SendBlock(cb);
    });
    connect(SpeedButton2, &QPushButton::clicked, this, [&Client] {
        KVRCANBlock cb = ContrastBlock(false);
        Client.SendBlock(cb);
    });
    connect(btnOK, &QPushButton::clicked, this, [this] { done(1); });
}

TInternalCAN::TInternalCAN(std::unique_ptr<InternalCANMonitor> M, QWidget* Parent) : QDialog(Parent), FMonitor(std::move(M))
{
    setObjectName("InternalCAN");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromLatin1(FMonitor->Caption().c_str()));
    resize(800, 450);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    Mask = new QLineEdit(this);
    ID = new QLineEdit(this);
    Activate = new QCheckBox("Activate", this);
    top->addWidget(new QLabel("Mask", this));
    top->addWidget(Mask);
    top->addWidget(new QLabel("ID", this));
    top->addWidget(ID);
    top->addWidget(Activate);
    layout->addLayout(top);
    ProtokollMemo = NewCourierMemo(this, "ProtokollMemo");
    layout->addWidget(ProtokollMemo, 1);
    StatusPanel = new QLabel(FMonitor->Connected() ? "Connected" : "Not Connected", this);
    layout->addWidget(StatusPanel);
    connect(Mask, &QLineEdit::textEdited, this, [this](const QString& T) { FMonitor->MaskChange(T.toStdString()); });
    connect(ID, &QLineEdit::textEdited, this, [this](const QString& T) { FMonitor->IDChange(T.toStdString()); });
    connect(Activate, &QCheckBox::toggled, this, [this](bool On) { FMonitor->Activate = On; });
    FMonitor->Changed = [this] {
        if (!FMonitor->Lines.empty())
            ProtokollMemo->appendPlainText(QString::fromLatin1(FMonitor->Lines.back().c_str()));
    };
}

} // namespace kvr::service
