#include "editors/audio/audiotabpage.h"

#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "editors/common/editorhost.h"
#include "editors/audio/audiopagehost.h"
#include "editors/audio/globalpoolframe.h"
#include "editors/audio/grouplogicpage.h"
#include "editors/audio/insertframe.h"
#include "editors/audio/mixingpage.h"
#include "editors/audio/monitorpage.h"
#include "editors/audio/poolspotspage.h"
#include "editors/audio/sourcelistspage.h"
#include "editors/audio/syncpage.h"
#include "model/device.h"
#include "model/project.h"

namespace kvr::editors {

model::TProject* AudioTabPage::Project() const
{
    return FHost.Project();
}

int AudioTabPage::DeviceIndex() const
{
    return FHost.CurrentDevice();
}

model::TDevice* AudioTabPage::Device() const
{
    model::TProject* project = FHost.Project();
    model::TDevice* dev = project ? project->Device(FHost.CurrentDevice()) : nullptr;
    return dev != nullptr && !dev->IsDummy() ? dev : nullptr;
}

int CurrentRow(const QTreeWidget* List)
{
    const QTreeWidgetItem* item = List->currentItem();
    return item && item->isSelected() ? List->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) : -1;
}

void SelectRow(QTreeWidget* List, int Row)
{
    QTreeWidgetItem* item = Row >= 0 && Row < List->topLevelItemCount() ? List->topLevelItem(Row) : nullptr;
    List->setCurrentItem(item);
    if (!item)
        List->clearSelection();
}

void BuildAudioTabPages(EditorHost& Host, QTabWidget* Tabs)
{
    for (int tab = 0; tab < Tabs->count(); ++tab) {
        const QString caption = Tabs->tabText(tab);
        QWidget* host = Tabs->widget(tab);
        AudioTabPage* page = nullptr;
        if (caption == "Selector Source Lists")
            page = new TSourceListsPage(Host, host);
        else if (caption == "Mixing Functions")
            page = new TMixingFunctionsPage(Host, host);
        else if (caption == "Monitor Functions")
            page = new TMonitorFunctionsPage(Host, host);
        else if (caption == "Synchronisation")
            page = new TSynchronisationPage(Host, host);
        else if (caption == "Input Pools")
            page = new TInputPoolsPage(Host, host);
        else if (caption == "Potentiometer")
            page = new TPotentiometerPage(Host, host);
        else if (caption == "Group Logic")
            page = new TGroupLogicPage(Host, host);
        else if (caption == "Mute Logics")
            page = new TMuteLogicsPage(Host, host);
        if (!page)
            continue;
        auto* layout = new QVBoxLayout(host);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(page);
    }
}

namespace {
// A frame of a tab: built for a real device into its tab, null otherwise.
template <class Frame>
AudioPageHost::FrameFactory TabFrameFactory(EditorHost& Host, QWidget* Owner)
{
    return [&Host, Owner](int Device) -> std::unique_ptr<EditorFrame> {
        model::TProject* project = Host.Project();
        model::TDevice* dev = project ? project->Device(Device) : nullptr;
        if (!dev || dev->IsDummy())
            return nullptr;
        auto frame = std::make_unique<Frame>(Host, Owner, Device);
        if (!Owner->layout()) {
            auto* layout = new QVBoxLayout(Owner);
            layout->setContentsMargins(0, 0, 0, 0);
        }
        Owner->layout()->addWidget(frame.get());
        return frame;
    };
}
} // namespace

void InstallAudioTabFrames(EditorHost& Host, AudioPageHost& Pages, QTabWidget* Tabs)
{
    for (int tab = 0; tab < Tabs->count(); ++tab) {
        QWidget* owner = Tabs->widget(tab);
        if (Tabs->tabText(tab) == "Inserts")
            Pages.SetFrameFactory(AudioFrame::Insert, TabFrameFactory<TInsertFrame>(Host, owner));
        else if (Tabs->tabText(tab) == "Global Pool")
            Pages.SetFrameFactory(AudioFrame::GlobalPool, TabFrameFactory<TGlobalPoolFrame>(Host, owner));
    }
}

AudioTabPage* AudioTabPageOf(QWidget* Tab)
{
    if (!Tab)
        return nullptr;
    for (QObject* child : Tab->children())
        if (auto* page = dynamic_cast<AudioTabPage*>(child))
            return page;
    return nullptr;
}

} // namespace kvr::editors
