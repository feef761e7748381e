#include "service/maintenance/maintenanceframe.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QThread>

#include <chrono>

#include "diagnostics/highrestime.h"
#include "diagnostics/kvrinfoformat.h"
#include "diagnostics/waitcursor.h"
#include "platform/settingsstore.h"
#include "service/eventwait.h"
#include "service/maintenance/mtnmessages.h"

namespace kvr::service {

namespace {

// Items the access code shows.
const char* const ServiceItems[] = {"ResetHourMeterActn", "SetDHCPActn", "ShowInternalCANActn", "SwitchMLCard"};
// Items without a node disables.
const char* const NodeItems[] = {"ModulesMnu",      "UpdateMnu",          "ModuleInfoActn",    "AllModuleInfoActn",
                                 "ResetDeviceActn", "SaveSetup0Actn",     "SaveSetup1_6Actn",  "ClearParamMemActn",
                                 "SerialNumbersActn", "FactoryTestActn",  "ResetHourMeterActn", "XMLModuleList"};
const char* const DeviceOnlyItems[] = {"AllModuleInfoActn", "SaveSetup0Actn",    "SaveSetup1_6Actn",
                                       "SerialNumbersActn", "ClearParamMemActn", "FactoryTestActn"};
const char* const PopupItems[] = {"InformationPopUp", "ModuleResetPopUp", "TestmodePopUp",
                                  "SetModuleID1",     "AdjustContrastPopUp", "SwitchMLPopUp"};

TDeviceInfo_cza* DeviceOf(TModuleNode* Node)
{
    return Node ? Node->DeviceNode()->Rec.Device : nullptr;
}

} // namespace

TMaintenanceServices SystemMaintenanceServices()
{
    TMaintenanceServices s;
    s.Tick = [] { return kvr::diag::TickCount(); };
    s.ProcessMessages = [] {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        // Loops that poll this; a short sleep keeps them from spinning.
        QThread::msleep(1);
    };
    s.WaitMs = [](unsigned Ms) {
        EventWait wait;
        wait.Until([] { return false; }, Ms);
    };
    s.DateTimeText = [] {
        return QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat).toStdString();
    };
    s.LogStamp = [] { return HighResTimeStamp(); };
    return s;
}

MaintenanceFrame::MaintenanceFrame(std::unique_ptr<TKVRCommunicationClient> Client, TMaintenanceServices Services)
    : FClient(std::move(Client)), S(std::move(Services)), FLog(S.LogStamp)
{
    if (!S.Tick)
        S.Tick = [] { return kvr::diag::TickCount(); };
    if (!S.ProcessMessages)
        S.ProcessMessages = [] {};
    if (!S.DateTimeText)
        S.DateTimeText = [] { return std::string(); };
    RegisterMaintenanceMessages();

    TKVRCommunicationClient& c = *FClient;
    c.COMPort = 1;
    c.UDPPort = 2009;
    c.TCPPort = 2008;
    c.SetHostname("127.0.0.1");
    c.SetHostIP(0x7F000001);
    c.Retries = 3;
    c.TicksSend = 20;
    c.TicksRead = 1000;
    c.SetTimerInterval(20);
    c.PeriodicReadBroadcasts = true;
    c.ShortClient = "MTN";
    c.Tag = 0;
    c.OnCANBlockReceived = [this](TKVRCommunicationClient*, KVRCANBlock CB) {
        FLog.BlockReceived(CB, ConnectionType(), FCurrentDevice);
    };
    c.OnNoCANBlockReceived = [](QObject*) {};
    c.OnStatusChanged = [this](QObject*) { StatusChanged(); };
    c.OnErrorMsgReceived = [this](TKVRCommunicationClient*, KVRCANBlock CB, TMessageSource MS, unsigned UDP_IP) {
        FLog.ErrorReceived(CB, MS, UDP_IP, FClient->GetHostIP());
    };

    FPanels[spConnection] = "Not Connected";
    {
        RefreshHold hold(*this);
        RefreshDeviceList();
    }
    FFocused = nullptr;

    FServiceFlag = ServiceAccessGranted(Settings());
    for (const char* name : ServiceItems)
        It(name).Visible = FServiceFlag;

    for (const char* name : {"DeleteMixerSetupNamesActn", "DeleteChannelSetupNames", "DeleteChannelSetups"})
        It(name).Enabled = true;
    It("ModulesMnu").Visible = false; // its items are reached by their shortcuts and the popup
    It("BurnOnly").Visible = false;
    It("ModuleInfoActn").Enabled = false;
    It("AllModuleInfoActn").Enabled = false;
    SetNoNodeStates();
    It("XMLModuleList").Visible = false;
}

MaintenanceFrame::~MaintenanceFrame()
{
    OnChanged = nullptr;
    FClient->OnStatusChanged = nullptr;
    FClient->OnCANBlockReceived = nullptr;
    FClient->OnErrorMsgReceived = nullptr;
    FFocused = nullptr;
    FClient->CloseConnection();
    FClient->Tag = 0;
}

platform::SettingsStore& MaintenanceFrame::Settings() const
{
    return S.Settings ? *S.Settings : platform::settingsStore();
}

TItemState MaintenanceFrame::Item(const std::string& Name) const
{
    const auto it = FItems.find(Name);
    return it == FItems.end() ? TItemState{} : it->second;
}

void MaintenanceFrame::Changed()
{
    if (OnChanged)
        OnChanged();
}

void MaintenanceFrame::ModulRefreshTimerTimer()
{
    if (FRefreshStops > 0 || FBusy)
        return;
    RefreshHold hold(*this);
    RefreshDeviceList();
}

void MaintenanceFrame::DropDeviceNode(TModuleNode* DeviceNode, bool ChildrenOnly)
{
    // A focused node that goes takes the focus with it, as the tree moves it to no node.
    if (FFocused && ModuleTree::IsWithin(FFocused, DeviceNode) && (!ChildrenOnly || FFocused != DeviceNode))
        SetFocus(nullptr);
    if (ChildrenOnly)
        FTree.RebuildChildren(DeviceNode);
    else
        FTree.DeleteNode(DeviceNode);
}

void MaintenanceFrame::RefreshDeviceList()
{
    FPanels[spTime] = S.DateTimeText();
    Kvrdata_ns::TUDPMsgVector msgs;
    FClient->ReadUDPBroadCasts(msgs);
    const DeviceList::TChanges changes = FDevices.Take(msgs, S.Tick());
    for (TDeviceInfo_cza* d : changes.Added)
        FTree.AddDevice(d);
    for (TDeviceInfo_cza* d : changes.Changed)
        if (TModuleNode* node = FTree.FindDeviceNode(d))
            DropDeviceNode(node, true);

    if (FFocused) {
        const TDeviceInfo_cza* d = DeviceOf(FFocused);
        if (d && d->CK == Kvrdata_ns::dckBroadcast) {
            std::string ip;
            Kvrdata_ns::IPToStr(d->IP, ip);
            FPanels[spAddress] = d->MAC > 254 ? ip : "COM" + std::to_string(d->MAC);
        }
        FPanels[spNode] = FTree.NodeText(*FFocused);
    }

    for (auto& gone : FDevices.Expire(S.Tick()))
        if (TModuleNode* node = FTree.FindDeviceNode(gone.get()))
            DropDeviceNode(node, false);
    Changed();
}

bool MaintenanceFrame::SetFocus(TModuleNode* Node)
{
    if (FInFocusChange)
        return false;
    if (Node == FFocused)
        return true;
    kvr::client::TFlagScope scope(FInFocusChange, true);
    FocusChanging(FFocused, Node);
    FFocused = Node;
    FocusChanged(Node);
    Changed();
    return true;
}

void MaintenanceFrame::SetConnected(bool Connected)
{
    FClient->Tag = Connected ? 1 : 0;
    FPanels[spConnection] = Connected ? "Connected" : "Not Connected";
    if (!Connected)
        FPanels[spProgress].clear();
}

void MaintenanceFrame::CloseWithoutNode()
{
    FClient->CloseConnection();
    SetConnected(false);
}

void MaintenanceFrame::FocusChanging(TModuleNode* Old, TModuleNode* New)
{
    RefreshHold hold(*this);
    TDeviceInfo_cza* newDevice = DeviceOf(New);
    if (Old && New && DeviceOf(Old) != newDevice) {
        ChangeConnection(*newDevice);
    } else if (Old) {
        if (!Connected()) {
            if (New)
                ChangeConnection(*newDevice);
            else
                CloseWithoutNode();
        }
    } else if (New) {
        ChangeConnection(*newDevice);
    } else {
        CloseWithoutNode();
    }
}

void MaintenanceFrame::ChangeConnection(const TDeviceAddr& Addr)
{
    TKVRFI fi("TMaintenanceFrame::ChangeConnection");
    TWaitCursor cursor;
    TDeviceAddr addr = Addr; // the entry may be refreshed while messages pass
    FClient->CloseConnection();
    // What a read of the device before showed there is not about this connection.
    FPanels[spProgress].clear();
    S.ProcessMessages();
    if (FClient->OpenConnection(addr)) {
        FCurrentDevice = kvr::client::TrimText(FClient->GetDeviceName(false));
        SetConnected(true);
    } else {
        FCurrentDevice.clear();
        SetConnected(false);
    }
    Changed();
}

void MaintenanceFrame::StatusChanged()
{
    switch (FClient->GetStatus()) {
    case dcsNotConnected:
        SetConnected(false);
        break;
    case dcsConnected:
        SetConnected(true);
        FClient->SetLogging(FLog.Protocol ? 1 : 0);
        break;
    default:
        return;
    }
    Changed();
}

void MaintenanceFrame::SetNoNodeStates()
{
    for (const char* name : NodeItems)
        It(name).Enabled = false;
}

void MaintenanceFrame::ShowModuleIDItems(int First, int Last, bool Visible)
{
    for (int n = First; n <= Last; ++n) {
        It(("ID" + std::to_string(n)).c_str()).Visible = Visible;
        It(("ID_" + std::to_string(n)).c_str()).Visible = Visible;
    }
}

void MaintenanceFrame::FocusChanged(TModuleNode* Node)
{
    if (!Node) {
        SetNoNodeStates();
        return;
    }
    const int level = Node->Level();
    const int type = Node->Rec.Type;
    const bool device = level == 0, module = level == 1, card = level == 2;
    It("UpdateMnu").Enabled = true;
    for (const char* name : {"DeviceMnu", "ResetDeviceActn", "ResetHourMeterActn"})
        It(name).Enabled = true;
    for (const char* name : DeviceOnlyItems)
        It(name).Enabled = device;
    It("ModulesMnu").Enabled = !device;
    for (const char* name : PopupItems)
        It(name).Enabled = !device;
    It("ModuleResetPopUp").Enabled = true;
    It("ModuleInfoActn").Enabled = !device;
    for (const char* name : {"LampTestActn", "TestmodeMnu", "TestmodePopUp", "SetModuleIDActn", "GetCardsActn"}) {
        It(name).Visible = module;
        It(name).Enabled = module;
    }
    if (!device) {
        It("SetModuleIDMnu").Enabled = module;
        It("SetModuleID1").Visible = module;
    }
    const bool contrast = module && (type == 30 || type == 31 || type == 32);
    It("AdjustContrastMnu").Enabled = contrast;
    It("AdjustContrastPopUp").Visible = contrast;
    // Shown on a KX730-848L card node, and only to those with the access code.
    const bool mlCard = card && type == 8 && FServiceFlag;
    It("SwitchMLCard").Visible = mlCard;
    It("SwitchMLPopUp").Visible = mlCard;
    It("ShowInternalCANActn").Enabled = FServiceFlag;

    if (module) {
        It("LampTestActn").Checked = Node->Rec.TestMode == 1;
        const bool cards = type == 4 || type == 30 || type == 31 || type == 32;
        It("GetCardsActn").Visible = cards;
        It("GetCardsActn").Enabled = cards;
        if (type == 4 && OnCardModuleFocused)
            OnCardModuleFocused(*Node);
    }
    if (!device) {
        switch (type) {
        case 2:
        case 13:
            ShowModuleIDItems(1, 10, true);
            ShowModuleIDItems(11, 12, false);
            break;
        case 3:
        case 6:
        case 7:
        case 8:
        case 9:
        case 10:
        case 14:
            ShowModuleIDItems(1, 12, true);
            break;
        case 4:
            ShowModuleIDItems(1, 3, true);
            ShowModuleIDItems(4, 12, false);
            break;
        case 11:
            It("SetModuleIDMnu").Enabled = false;
            It("SetModuleID1").Visible = false;
            break;
        default:
            break;
        }
    }
    if (device)
        FPanels[spNode] = FTree.NodeText(*Node);
    if (const TDeviceInfo_cza* d = DeviceOf(Node)) {
        const bool com = d->GetConnectionType() == Kvrdata_ns::dctCOM;
        FPanels[spAddress] = com ? "COM" + d->GetAddressText() : d->GetAddressText();
        It("SetDeviceIPActn").Enabled = !com;
    }
}

void MaintenanceFrame::RefreshAllDevices()
{
    RefreshHold hold(*this);
    TModuleNode* start = FFocused ? FFocused->DeviceNode() : nullptr;
    SetFocus(nullptr);
    for (TModuleNode* node : ModuleTree::Sorted(FTree.Roots(), FTree))
        SetFocus(node);
    SetFocus(FTree.Contains(start) ? start : nullptr);
}

void MaintenanceFrame::AddDevice()
{
    RefreshHold hold(*this);
    if (!S.ConnectionDialog)
        return;
    TDeviceAddr addr;
    if (S.ConnectionDialog(addr) != mrOk || addr.CK == Kvrdata_ns::dckBroadcast)
        return;
    if (!FClient->AddKnownDevice(addr))
        InfoFormatter->ShowMessage(mmCouldNotConnect, "");
}

void MaintenanceFrame::CloseDevice()
{
    if (!FFocused)
        return;
    RefreshHold hold(*this);
    TModuleNode* deviceNode = FFocused->DeviceNode();
    TDeviceInfo_cza* entry = deviceNode->Rec.Device;
    SetFocus(nullptr);
    FTree.DeleteNode(deviceNode);
    FClient->CloseConnection();
    if (entry && !FClient->RemoveKnownDevice(*entry))
        InfoFormatter->ShowMessage(mmCouldNotRemove, "");
    SetConnected(false);
    FDevices.Remove(entry);
    Changed();
}

void MaintenanceFrame::CloseAfterDeviceReset()
{
    FClient->CloseConnection();
    SetConnected(false);
    // Clearing the selection is no focus change that reconnects.
    kvr::client::TFlagScope scope(FInFocusChange, true);
    FFocused = nullptr;
    SetNoNodeStates();
    Changed();
}

void MaintenanceFrame::CloseAfterRestart()
{
    FClient->CloseConnection();
    SetConnected(false);
    Changed();
}

void MaintenanceFrame::FocusedNodeClicked()
{
    if (!FFocused || Connected() || FInFocusChange || FBusy)
        return;
    TDeviceInfo_cza* device = DeviceOf(FFocused);
    if (!device)
        return;
    kvr::client::TFlagScope scope(FInFocusChange, true);
    RefreshHold hold(*this);
    ChangeConnection(*device);
}

void MaintenanceFrame::ShowFile()
{
    TKVRFI fi("TMaintenanceFrame::ShowFileActExecute");
    if (!S.ServerLogFile || !S.OpenFile)
        return;
    const std::string path = S.ServerLogFile();
    if (!path.empty())
        S.OpenFile(path);
}

void MaintenanceFrame::SetProtocol(bool On)
{
    FLog.Protocol = On;
    It("ShowProtocolMM").Checked = On;
    FClient->SetLogging(On ? 1 : 0);
    Changed();
}

void MaintenanceFrame::SetFilterForeignUDP(bool On)
{
    FLog.FilterForeignUDP = On;
    It("FilterUDPErrors").Checked = On;
    Changed();
}

bool MaintenanceFrame::SendLoggedBlock(KVRCANBlock Block)
{
    FLog.Logged(Block, ConnectionType(), ldSent, FCurrentDevice);
    return FClient->SendBlock(Block);
}

bool MaintenanceFrame::RequestLoggedBlock(KVRCANBlock Send, KVRCANBlock& Reply, std::uint32_t IDMask, std::uint8_t LenMask,
                                          std::uint64_t DataMask)
{
    FLog.Logged(Send, ConnectionType(), ldSent, FCurrentDevice);
    const bool ok = FClient->RequestBlockFiltered(Send, Reply, IDMask, LenMask, DataMask, -1);
    if (ok)
        FLog.Logged(Reply, ConnectionType(), ldReceived, FCurrentDevice);
    return ok;
}

void MaintenanceFrame::Wait(unsigned Ms)
{
    if (Ms > 0 && S.WaitMs) {
        S.WaitMs(Ms);
        return;
    }
    const std::uint32_t start = S.Tick();
    while (static_cast<std::uint32_t>(S.Tick() - start) < Ms)
        S.ProcessMessages();
}

} // namespace kvr::service
