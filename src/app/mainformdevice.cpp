// The main window's side of the device page: the page on its panel, the notice of a fixed-model
// device and the device popup's two service entries. The rules live in devicepages/.
#include <QAction>
#include <QGridLayout>
#include <QMenu>
#include <QTreeWidget>

#include <algorithm>

#include "app/devicepages/devicepanel.h"
#include "app/mainform.h"
#include "editors/sources/sourcedrag.h"
#include "platform/text1252.h"

namespace kvr::app {

void TCX4AppForm::BuildDevicePage()
{
    BuildDummyDevPanel(findChild<QWidget*>("DummyDevPanel"));
    auto* page = findChild<QWidget*>("DevicePanel");
    if (!page)
        return;
    DevicePanelHost host;
    host.Project = [this] { return FProject ? FProject->Model() : nullptr; };
    host.CurDevice = [this] { return FCurDevice; };
    host.ServiceLevel = [this] { return FServiceLevel; };
    host.FitOptions = [this] { return FPrefs.FitOptions(); };
    host.TreeChanged = [this] { BuildProjectTree(); };
    // Typing a name renames the selected device node alone; a rebuild would close its branch.
    host.NameChanged = [this](const std::string& Name) {
        const auto at = std::find(FTreeItems.begin(), FTreeItems.end(), ProjectTree->currentItem());
        if (at == FTreeItems.end())
            return;
        (*at)->setText(0, platform::fromCp1252(Name));
        FTreeNodes[static_cast<std::size_t>(at - FTreeItems.begin())].Text = Name;
    };
    // The logic-source window is created after the main window: it is looked up at each use.
    host.LogicSources = [this] { return LogicSources(); };
    host.IsLogicSourceDrag = [](const QMimeData* Data) { return editors::IsSourceDrag(Data, editors::SourceDragKind::Logic); };
    FDevicePage = new DevicePanel(std::move(host), page);
    auto* layout = new QGridLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FDevicePage, 0, 0);
    if (!PopupMenu3)
        return;
    QAction* show = PopupMenu3->addAction("Show DeviceID");
    show->setObjectName("ShowDeviceID1");
    connect(show, &QAction::triggered, FDevicePage, &DevicePanel::ShowDeviceID1Click);
    QAction* create = PopupMenu3->addAction("Create DeviceID");
    create->setObjectName("CreateDeviceID1");
    connect(create, &QAction::triggered, FDevicePage, &DevicePanel::CreateDeviceID1Click);
    ApplyDeviceServiceLevel();
}

void TCX4AppForm::FillDevicePage()
{
    if (FDevicePage)
        FDevicePage->FillDevicePage();
}

void TCX4AppForm::ApplyDeviceServiceLevel()
{
    if (FDevicePage)
        FDevicePage->ApplyServiceLevel(FServiceLevel);
    for (const char* name : {"ShowDeviceID1", "CreateDeviceID1"})
        if (auto* action = findChild<QAction*>(name))
            action->setVisible(FServiceLevel >= 2);
}

} // namespace kvr::app
