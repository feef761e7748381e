#pragma once
// The device page `DevicePanel` with its four tabs and the notice `DummyDevPanel` of a fixed-model
// device. Thin widgets: every control shows what the controllers give and hands its user's edits
// to them.

#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/devicepages/devicepage.h"
#include "app/devicepages/pagesources.h"
#include "app/devicepages/usergroups.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QSpinBox;
class QTabWidget;
class QPushButton;

namespace kvr::app {

// What the page asks of the main window.
struct DevicePanelHost {
    std::function<model::TProject*()> Project;
    std::function<int()> CurDevice;
    std::function<int()> ServiceLevel;
    std::function<int()> FitOptions;
    // The device's model or its frame type changed: the tree is built again.
    std::function<void()> TreeChanged;
    // The device's name changed (Windows-1252): its tree node shows it.
    std::function<void(const std::string&)> NameChanged;
    // The logic-source window, null while there is none.
    std::function<editors::LogicSourcePicker*()> LogicSources;
    // A drag that comes from the logic-source window's tree.
    std::function<bool(const QMimeData*)> IsLogicSourceDrag;
};

inline constexpr const char* DummyDeviceNotice =
    "This device was created by the CorDex 4.5. If you want to change the configuration of this device you have to "
    "open the appropriated file with the Cordex 4.5. It will ask you for import of this Data.";

// Fills DummyDevPanel with its one centred, word-wrapped notice.
void BuildDummyDevPanel(QWidget* Panel);

class DevicePanel : public QWidget {
public:
    DevicePanel(DevicePanelHost Host, QWidget* Parent);
    ~DevicePanel() override;

    void FillDevicePage();
    // The device popup's service entries.
    void ShowDeviceID1Click();
    void CreateDeviceID1Click();
    void ApplyServiceLevel(int Level);
    // The page goes away before the logic-source window: the window forgets it.
    void ReleaseSources() { FSources.Release(); }

    QTabWidget* PageControl3 = nullptr;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // A controller on the selected device; none without one.
    template <typename Controller> std::unique_ptr<Controller> For();
    std::unique_ptr<DevicePage> Page();
    std::unique_ptr<UserGroups> Groups();
    QWidget* BuildOptions();
    QWidget* BuildNetwork();
    QWidget* BuildAuthorisation();
    QWidget* BuildOperationMode();
    void BuildUserGroupRows();
    void DestroyUserGroupRows();
    void PowerSupplyChanged(const std::function<void(DevicePage&)>& Change);
    // A drop target of one of the page's logic sources.
    void AcceptSourceDrops(QWidget* Target, PageSource Source);
    void ShowSource(PageSource Source);

    DevicePanelHost FHost;
    bool FFilling = false; // the spin boxes report the fill's own values
    QLineEdit *Edit3 = nullptr, *Edit5 = nullptr, *DevIDEdit = nullptr, *ChipCardIDText = nullptr, *Edit29 = nullptr;
    QComboBox *FrameTypeBox = nullptr, *ComboBox1 = nullptr;
    QSpinBox *UpDown1 = nullptr, *UpDown7 = nullptr, *UpDown8 = nullptr;
    QLabel *Label9 = nullptr, *PrepModeText = nullptr, *Panel25 = nullptr, *Panel34 = nullptr;
    QPushButton *MkDummyDevBtn = nullptr, *Button66 = nullptr, *PINLogic1 = nullptr, *PINLogic2 = nullptr;
    QCheckBox* DHCPBox = nullptr;
    std::array<QCheckBox*, 5> HeaderBoxes{};
    std::array<QLineEdit*, 5> MaskEdits{};
    QCheckBox* AuthOptChipCard = nullptr;
    QWidget* Panel38 = nullptr;
    QWidget* FAuthorisationTab = nullptr;
    std::vector<QWidget*> FRows; // the row controls of the last build
    // The PIN-input sources the last build showed: "Select ..." preselects them.
    std::array<std::uint16_t, 2> FPINLogicTags{};
    std::vector<std::pair<QObject*, PageSource>> FSourceDrops;
    PageSources FSources;
};

} // namespace kvr::app
