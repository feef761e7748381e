#pragma once
// The console page of a device ("ConsolePanel"): page-mode tabs, the console tabs with their
// menu, the console picture with its popup, the module palette, the selected module and the
// module's identity. A thin view over ConsolePageController.

#include "console/consolepagecontroller.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTabBar;

namespace kvr::console {

class ConsoleImage;
class KeyOptionsPanel;
class ModuleImage;
class ModulePaletteView;
class UserGroupsPanel;

class ConsolePage : public QWidget {
    Q_OBJECT
public:
    ConsolePage(ConsoleEditorState& state, ModuleClipboard& clipboard, ConsoleHost& host, QWidget* parent);

    // Called by the main window's page switch.
    void ShowConsolePage();
    void HideConsolePage();
    // Redraws the picture and fills the panels from the state.
    void Refresh();

    ConsolePageController& Controller() { return controller_; }

    QTabBar* TabControl1 = nullptr;
    QTabBar* TabControl2 = nullptr;
    QGroupBox* GroupBox9 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    ConsoleImage* ConsoleImg = nullptr;
    QGroupBox* GroupBox12 = nullptr;
    ModulePaletteView* ListView2 = nullptr;
    QGroupBox* GroupBox13 = nullptr;
    ModuleImage* ModuleImg = nullptr;
    QGroupBox* GroupBox17 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QSpinBox* UpDown2 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QLabel* Label17 = nullptr;
    QCheckBox* Zero_dB = nullptr;
    QCheckBox* InvertFader = nullptr;
    QWidget* panRotEncDefault = nullptr;
    std::array<QLabel*, 5> RotEncLabels{};
    std::array<QComboBox*, 5> RotEncDefs{}; // RotEnc1Def ... RotEnc5Def
    QLabel* Panel33 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QCheckBox* DependKeyBox = nullptr;
    KeyOptionsPanel* KeyOptions = nullptr;
    QGroupBox* GroupBox35 = nullptr;
    QWidget* DefaultDisplayPanel = nullptr;
    QComboBox* DisplayTextBox = nullptr;
    QWidget* DefaultRotSelPanel = nullptr;
    QComboBox* RotSelDefaultBox = nullptr;
    QLabel* Label50 = nullptr;
    QLabel* Panel23 = nullptr;
    QPushButton* Button44 = nullptr;
    QWidget* AuthPanel = nullptr;
    UserGroupsPanel* UserGroups = nullptr;
    QMenu* ConsolePopup = nullptr;
    QMenu* TabPopup = nullptr;

private:
    void Build();
    void BuildOptions(QHBoxLayout& lower);
    void ShowPanel();
    void FillTabs();
    void ShowGroups();
    void PopupAt(const QPoint& globalPos);

    ConsoleEditorState& state_;
    ConsolePageController controller_;
};

} // namespace kvr::console
