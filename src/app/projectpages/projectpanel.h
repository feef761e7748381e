#pragma once
// The project root's page: the page control with the tabs "Project Options", "Device links",
// "Global Logics", "Global Potentiometers" and "Global Resources". A thin view over the
// controllers of this folder; it fills itself whenever its page panel is shown.

#include <QTabWidget>

#include <functional>
#include <memory>

#include "app/projectpages/globallogics.h"
#include "app/projectpages/globalresources.h"
#include "app/projectpages/logicsourcepicker.h"
#include "app/projectpages/projectoptions.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMimeData;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace kvr::app {

// What the page needs of the main window.
struct ProjectPanelHost {
    std::function<model::TProject*()> Project;
    std::function<int()> ServiceLevel;
    // The project was renamed: the tree's root node takes the text.
    std::function<void(const QString&)> ProjectRenamed;
    PageLog Log;
    // True when a drag comes from the logic-source window's tree.
    std::function<bool(const QMimeData*)> IsLogicSourceDrag;
};

class ProjectPanel : public QTabWidget {
    Q_OBJECT
public:
    explicit ProjectPanel(ProjectPanelHost Host, QWidget* Parent = nullptr);
    ~ProjectPanel() override;

    // The logic-source window's side; empty members do nothing.
    LogicSourcePicker Picker;
    // Fills the "Device links" tab whenever it is refreshed as the active tab.
    std::function<void()> LinkSheetShow;

    void ShowProjectPage();
    void HideProjectPage();
    // The logic-source window's Assign for target kind 13: either the page writes the sender, or
    // the window wrote it and the page shows the selected row again.
    void AssignGlobalLogicSender(std::uint16_t Source, int Device, const std::string& NodeText);
    void RefreshGlobalLogicRow();

    // Tabs.
    QWidget* TabSheet3 = nullptr;
    QWidget* LinkSheet = nullptr;
    QWidget* TabSheet12 = nullptr;
    QWidget* TabSheet6 = nullptr;
    QWidget* TabSheet16 = nullptr;
    // "Project Options".
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit31 = nullptr;
    QLineEdit* Edit11 = nullptr;
    QLineEdit* Edit12 = nullptr;
    QLineEdit* Edit13 = nullptr;
    // "Global Logics".
    QTreeWidget* ListView21 = nullptr;
    QLineEdit* Edit30 = nullptr;
    QLabel* Panel37 = nullptr;
    QPushButton* Button57 = nullptr;
    QPushButton* btnGLDecode = nullptr;
    // "Global Potentiometers".
    QListWidget* ListBox4 = nullptr;
    QLineEdit* Edit22 = nullptr;
    // "Global Resources".
    QListWidget* GlobalResList = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button63 = nullptr;
    QGroupBox* GroupBox41 = nullptr;
    QLineEdit* GRText = nullptr;
    QComboBox* GRMasterBox = nullptr;
    QComboBox* GRDefaultBox = nullptr;
    QRadioButton* GRRelease = nullptr;
    QRadioButton* GRTake = nullptr;
    QRadioButton* GRSpecTake = nullptr;
    QTreeWidget* ListView11 = nullptr;
    QListWidget* ListBox8 = nullptr;
    QPushButton* Button64 = nullptr;
    QPushButton* Button65 = nullptr;

    // The controllers of the open project; null until the page was first shown with one.
    ProjectOptions* Options() const { return FOptions.get(); }
    GlobalLogics* Logics() const { return FLogics.get(); }
    GlobalResources* Resources() const { return FResources.get(); }

    void TabSheet12Show();
    void TabSheet6Show();
    void TabSheet16Show();

protected:
    void showEvent(QShowEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void BuildOptionsTab();
    void BuildLogicsTab();
    void BuildPotsTab();
    void BuildResourcesTab();
    // The controllers follow the open project.
    bool TakeProject();
    void RefreshActiveTab();
    void ShowLogicRow(int Row);
    void ShowLogicSelection();
    void ShowResources();
    bool AcceptsDrag(const QMimeData* Data) const;
    void SenderDropped(bool OnList, const QPoint& At);

    ProjectPanelHost FHost;
    model::TProject* FProject = nullptr;
    std::unique_ptr<ProjectOptions> FOptions;
    std::unique_ptr<GlobalLogics> FLogics;
    std::unique_ptr<GlobalResources> FResources;
    QButtonGroup* FModeButtons = nullptr;
    QWidget* FLogicListViewport = nullptr;
};

} // namespace kvr::app
