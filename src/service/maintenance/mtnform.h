#pragma once
// TMtnForm, the maintenance window: a thin view over MaintenanceFrame. The tree, the menus and
// the popup are filled from the frame and its tables; user actions go back to it.

#include <QDialog>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "service/maintenance/maintenanceframe.h"
#include "service/maintenance/serviceactions.h"
#include "service/moduleinfo/moduleinformation.h"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QProgressBar;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace kvr::service {

struct TMtnMenuEntry;
class TModuleInfoForm;

class TMtnForm : public QDialog {
    Q_OBJECT
public:
    explicit TMtnForm(QWidget* Parent = nullptr);
    ~TMtnForm() override;

    // Gives the window its client and starts collecting broadcasts. Until then the window is
    // empty: a start that ends at once talks to no device.
    void SetCommunicationClient(std::unique_ptr<TKVRCommunicationClient> Client, TMaintenanceServices Services);
    MaintenanceFrame* Frame() { return FFrame.get(); }
    ServiceActions* Actions() { return FActions.get(); }
    ModuleInformation* Information() { return FInfo.get(); }
    // The information window, created on first use.
    TModuleInfoForm* ModuleInfoForm();

    QTreeWidget* ModuleVST = nullptr;
    QPlainTextEdit* MaintenanceMemo = nullptr;
    QMenuBar* ModulesMainMenu = nullptr;
    QMenu* ModulesPopUp = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QTimer* ModulRefreshTimer = nullptr;
    QTimer* MemoLogUpdate = nullptr;
    std::vector<QLabel*> StatusPanels;

    // The action of a component name (the first of its entries), null when none.
    QAction* Action(const std::string& Name) const;
    // Commands of later tools hook in here by action name.
    std::map<std::string, std::function<void()>> Handlers;

    // Shows the frame's state now (normally queued after every change).
    void SyncView();
    // The tree item of a node, null when it is not shown.
    QTreeWidgetItem* ItemOf(const TModuleNode* Node) const;
    // MemoLogUpdateTimer: moves the pending lines into the memo in one update.
    void MemoLogUpdateTimer();

private:
    struct Bound {
        QAction* Action;
        std::string Own;    // the entry's own state key ("" none)
        std::string Target; // the action's (or submenu's) state key
    };
    void BuildMenus();
    void AddEntries(QMenu* Menu, const std::vector<TMtnMenuEntry>& Entries);
    QAction* MakeAction(const std::string& Name);
    void Run(const std::string& Name);
    void RebuildTree();
    void AddItems(QTreeWidgetItem* Parent, TModuleNode& Node);
    void ApplyStates();
    void ScheduleSync();
    void TrimMemo();

    std::unique_ptr<MaintenanceFrame> FFrame;
    std::unique_ptr<ServiceActions> FActions;
    std::unique_ptr<ModuleInformation> FInfo;
    TModuleInfoForm* FInfoForm = nullptr;
    std::vector<Bound> FBound;
    std::map<std::string, QAction*> FActionsByName;
    unsigned FShownGeneration = ~0u;
    bool FSyncQueued = false;
    bool FSyncing = false;
};

} // namespace kvr::service
