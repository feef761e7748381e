#pragma once
// TMaintenanceFrame's rules without widgets: its own client, the device list and module tree
// kept by the refresh tick, one connection that follows the focused node, the state of every
// menu item by the focused node, the status bar texts and the message log.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "client/kvrcommunicationclient.h"
#include "service/maintenance/accesscode.h"
#include "service/maintenance/devicelist.h"
#include "service/maintenance/messagelog.h"
#include "service/maintenance/moduletree.h"

namespace kvr::platform {
class SettingsStore;
}

namespace kvr::service {

// What the frame needs from the program; tests pass fakes.
struct TMaintenanceServices {
    std::function<std::uint32_t()> Tick;               // millisecond tick, wraps
    std::function<void()> ProcessMessages;             // lets messages through once
    // Waits Ms milliseconds letting messages through without spinning; empty: ProcessMessages
    // until Tick has moved on by Ms.
    std::function<void(unsigned Ms)> WaitMs = {};
    std::function<std::string()> DateTimeText;         // status panel 0
    std::function<std::string()> LogStamp;             // time stamp of message lines
    std::function<int(TDeviceAddr& Addr)> ConnectionDialog; // Add Device; 1 is OK
    std::function<std::string()> ServerLogFile;        // the server's log file, "" when unknown
    std::function<void(const std::string& Path)> OpenFile; // opens a file with the desktop handler
    platform::SettingsStore* Settings = nullptr;       // null: the program's store
};

// The program's services: steady clock, processEvents, local date and time; the dialog, the log
// file and the opener are left to the program.
TMaintenanceServices SystemMaintenanceServices();

struct TItemState {
    bool Enabled = true;
    bool Visible = true;
    bool Checked = false;
    bool operator==(const TItemState&) const = default;
};

enum TStatusPanel { spTime = 0, spNode = 1, spAddress = 2, spConnection = 3, spProgress = 4 };

class MaintenanceFrame {
public:
    MaintenanceFrame(std::unique_ptr<TKVRCommunicationClient> Client, TMaintenanceServices Services);
    ~MaintenanceFrame();
    MaintenanceFrame(const MaintenanceFrame&) = delete;
    MaintenanceFrame& operator=(const MaintenanceFrame&) = delete;

    TKVRCommunicationClient& KVRCC() { return *FClient; }
    DeviceList& Devices() { return FDevices; }
    ModuleTree& Tree() { return FTree; }
    MessageLog& Log() { return FLog; }
    bool ServiceFlag() const { return FServiceFlag; }
    bool Connected() const { return FClient->Tag == 1; }
    const std::string& CurrentDevice() const { return FCurrentDevice; }
    const std::array<std::string, 5>& StatusPanels() const { return FPanels; }

    // Menu items and actions by component name; a name never set reads enabled and visible.
    TItemState Item(const std::string& Name) const;
    TItemState& MutableItem(const std::string& Name) { return FItems[Name]; }

    // The refresh tick (500 ms); does nothing while a command holds the refresh.
    void ModulRefreshTimerTimer();
    // One pass: broadcasts in, new and changed devices into the tree, silent ones out.
    void RefreshDeviceList();
    bool RefreshStopped() const { return FRefreshStops > 0; }

    TModuleNode* Focused() const { return FFocused; }
    // Moves the focus (the tree's focus change); false when a focus change is already running,
    // and the view then shows the frame's focus again.
    bool SetFocus(TModuleNode* Node);
    void ChangeConnection(const TDeviceAddr& Addr);
    // Text of a node as the tree shows it.
    std::string NodeText(TModuleNode& Node) const { return FTree.NodeText(Node); }

    void AddDevice();
    void CloseDevice();
    void RefreshAllDevices();
    // Opens the server's log file with the desktop handler; nothing when there is none.
    void ShowFile();

    // "Enable CAN Protocol" and "Filter Foreign UDP Blocks".
    void SetProtocol(bool On);
    void SetFilterForeignUDP(bool On);

    bool SendLoggedBlock(KVRCANBlock Block);
    bool RequestLoggedBlock(KVRCANBlock Send, KVRCANBlock& Reply, std::uint32_t IDMask, std::uint8_t LenMask,
                            std::uint64_t DataMask);
    // Waits Ms milliseconds, letting messages through.
    void Wait(unsigned Ms);

    // Keeps the refresh tick out for the length of a command.
    class RefreshHold {
    public:
        explicit RefreshHold(MaintenanceFrame& F) : F(F) { ++F.FRefreshStops; }
        ~RefreshHold() { --F.FRefreshStops; }
        RefreshHold(const RefreshHold&) = delete;
        RefreshHold& operator=(const RefreshHold&) = delete;

    private:
        MaintenanceFrame& F;
    };
    // The one re-entrancy guard of the commands that wait: Busy() is false when another runs.
    class BusyScope {
    public:
        explicit BusyScope(MaintenanceFrame& Frame) : Taken(!Frame.FBusy), F(Frame) { F.FBusy = true; }
        ~BusyScope()
        {
            if (Taken)
                F.FBusy = false;
        }
        bool Taken;
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        MaintenanceFrame& F;
    };
    bool Busy() const { return FBusy; }

    // Tells the view to show the frame again (after changes made from outside).
    void NotifyChanged() { Changed(); }
    // Status panel 4 and the progress a long read shows there (Maximum 0: no bar).
    void SetProgressText(std::string Text) { FPanels[spProgress] = std::move(Text); }
    std::function<void(int Position, int Maximum)> OnProgress;
    platform::SettingsStore& Settings() const;
    std::uint32_t Tick() const { return S.Tick(); }

    // After a reset of the whole device: connection closed, flag cleared, no focus.
    void CloseAfterDeviceReset();
    // After the restart that ends a firmware update: connection closed, flag cleared; the focus
    // stays, and a click on it connects again.
    void CloseAfterRestart();
    // A click on the node that has the focus already: connects again when the connection is
    // gone (no focus change does it then).
    void FocusedNodeClicked();

    // Tells the view that the tree, the focus, the items or the status bar changed.
    std::function<void()> OnChanged;
    // Run when a module of type 4 gets the focus (its cards are read at once).
    std::function<void(TModuleNode& Module)> OnCardModuleFocused;

private:
    void FocusChanging(TModuleNode* Old, TModuleNode* New);
    void FocusChanged(TModuleNode* Node);
    void SetNoNodeStates();
    void ShowModuleIDItems(int First, int Last, bool Visible);
    void CloseWithoutNode();
    // The connected flag and the status panels that follow it: panel 3 says which, and the
    // progress text of panel 4 belongs to a connection that is gone.
    void SetConnected(bool Connected);
    void StatusChanged();
    void Changed();
    TItemState& It(const char* Name) { return FItems[Name]; }
    void DropDeviceNode(TModuleNode* DeviceNode, bool ChildrenOnly);
    Kvrdata_ns::TConnectionType ConnectionType() const { return FClient->GetConnectionType(); }

    std::unique_ptr<TKVRCommunicationClient> FClient;
    TMaintenanceServices S;
    DeviceList FDevices;
    ModuleTree FTree;
    MessageLog FLog;
    std::map<std::string, TItemState> FItems;
    std::array<std::string, 5> FPanels;
    std::string FCurrentDevice;
    TModuleNode* FFocused = nullptr;
    bool FServiceFlag = false;
    bool FInFocusChange = false;
    bool FBusy = false;
    int FRefreshStops = 0;
};

} // namespace kvr::service
