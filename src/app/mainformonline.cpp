// The main window's side of the online state and the transfers: its timers, its client DCC and
// the Transfer commands. The rules live in onlinestate.* and devicetransfer.*.
#include <QAction>
#include <QProgressBar>
#include <QTimer>

#include "app/appforms.h"
#include "app/cfglockform.h"
#include "app/connectdialog.h"
#include "app/devicetransfer.h"
#include "app/filecommands.h"
#include "app/mainform.h"
#include "app/onlinestate.h"
#include "app/processform.h"
#include "client/kvrcommunicationclient.h"
#include "model/project.h"

namespace kvr::app {

void TCX4AppForm::WireOnlineState()
{
    connect(ReadUDP, &QTimer::timeout, this, &TCX4AppForm::ReadUDPTimer);
    connect(OnlineTimer, &QTimer::timeout, this, &TCX4AppForm::OnlineTimerTimer);
    if (QAction* a = Action("LoadtoDevice1"))
        connect(a, &QAction::triggered, this, &TCX4AppForm::LoadtoDevice1Click);
    if (QAction* a = Action("LoadFromDevice1"))
        connect(a, &QAction::triggered, this, &TCX4AppForm::LoadFromDevice1Click);
    ReadUDP->start();
    OnlineTimer->start();
}

void TCX4AppForm::SetCommunicationClient(std::unique_ptr<TKVRCommunicationClient> Client)
{
    FDCC = std::move(Client);
    if (!FDCC)
        return;
    // As the main window's client is stored: no pacing, a 20 ms poll, broadcasts collected.
    FDCC->COMPort = 1;
    FDCC->UDPPort = 2009;
    FDCC->TCPPort = 2008;
    // The server runs on this machine; control blocks are reported as coming from it.
    FDCC->SetHostIP(0x7F000001);
    FDCC->TicksSend = 0;
    FDCC->SetTimerInterval(20);
    FDCC->PeriodicReadBroadcasts = true;
    FDCC->OnProgress = [this](TKVRCommunicationClient*, int Bytes, int BytesSum, int BytesTotal) {
        DCCProgress(Bytes, BytesSum, BytesTotal);
    };
    FDCC->OnBroadcastReceived = [this](TKVRCommunicationClient*, TUDPMsg Msg) { DCCBroadcastReceived(Msg); };
    FDCC->OnCANBlockReceived = [this](TKVRCommunicationClient*, KVRCANBlock Block) { DCCCANBlockReceived(Block); };
}

bool TCX4AppForm::Processing() const
{
    return ProcessForm && ProcessForm->isVisible();
}

void TCX4AppForm::DCCProgress(int Bytes, int /*BytesSum*/, int BytesTotal)
{
    if (!ProcessForm)
        return;
    const ProgressStep step = DCCProgressStep(Bytes, BytesTotal, ProcessForm->isVisible());
    ProcessForm->ProgressBar->setMaximum(step.Maximum);
    ProcessForm->ProgressBar->setValue(std::min(step.Position, step.Maximum));
    if (step.Hide)
        ProcessForm->hide();
    else if (step.Show)
        ProcessForm->show();
}

void TCX4AppForm::ReadUDPTimer()
{
    if (!FDCC)
        return;
    Kvrdata_ns::TUDPMsgVector msgs;
    FDCC->ReadUDPBroadCasts(msgs);
    model::TProject* project = FProject ? FProject->Model() : nullptr;
    for (const Kvrdata_ns::TUDPMsg& msg : msgs)
        app::HandleDeviceStatusBroadcast(project, FTerminating, msg);
}

void TCX4AppForm::OnlineTimerTimer()
{
    model::TProject* project = FProject ? FProject->Model() : nullptr;
    const AutoSaveSettings settings{FPrefs.AutoSave(), FPrefs.AutoSaveInterval()};
    const OnlineTickResult tick = OnlineTick(project, Processing(), FProjectFileName, settings, FAutoSaveSeconds);
    if (!tick.Ran)
        return;
    if (tick.RebuildTree)
        BuildProjectTree();
    UpdateCaption();
    if (tick.Save) {
        OnlineTimer->stop();
        FFileCommands->SaveProject(); // its own messages; the result does not matter here
        OnlineTimer->start();
    }
}

namespace {
DeviceTransfer MakeTransfer(TCX4AppForm& Form, TransferLink& Link)
{
    TransferHost host;
    host.Processing = [] { return ProcessForm && ProcessForm->isVisible(); };
    host.Terminating = [&Form] { return Form.FTerminating; };
    // The window's own check list, which fills its rows from the project at every showing.
    host.ShowCheckList = [&Form] { static_cast<FileCommandHost&>(Form).ShowCheckList(); };
    host.RebuildTree = [&Form] { Form.BuildProjectTree(); };
    host.TransferEnded = [] {
        if (ProcessForm)
            ProcessForm->hide();
    };
    return DeviceTransfer(Link, std::move(host));
}
} // namespace

void TCX4AppForm::CloseTransferConnection()
{
    if (FDCC && !Processing())
        FDCC->CloseConnection();
}

void TCX4AppForm::LoadtoDevice1Click()
{
    if (!FDCC)
        return;
    auto link = MakeClientTransferLink(*FDCC, QtConnectionDialog(*FDCC, this));
    MakeTransfer(*this, *link).LoadToDevice(FProject ? FProject->Model() : nullptr, FCurDevice);
}

void TCX4AppForm::LoadFromDevice1Click()
{
    if (!FDCC)
        return;
    auto link = MakeClientTransferLink(*FDCC, QtConnectionDialog(*FDCC, this));
    MakeTransfer(*this, *link).LoadFromDevice(FProject ? FProject->Model() : nullptr, FCurDevice);
    UpdateCaption();
}

} // namespace kvr::app
