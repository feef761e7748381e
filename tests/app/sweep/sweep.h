#pragma once
// What the sweeps over every page share: a full sample project written to a file, the main
// window opened on it at the default size, and a walk that shows every node of the project tree
// with every tab of every page, and the program's other windows.

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "../frameio/framefixture.h"
#include "app/appforms.h"
#include "app/frameio/slotpanel.h"
#include "app/mainform.h"
#include "app/qtmodelhost.h"
#include "model/faderaccess.h"
#include "model/globalresources.h"
#include "model/logicaccess.h"
#include "model/modelhost.h"
#include "model/outputfunctions.h"
#include "model/project.h"
#include "model/superoutputs.h"
#include "platform/currentprompter.h"
#include "platform/settingsstore.h"

namespace kvr::app::test {

// Two DSP frames, a 30-slot one with a card of every kind (MADI cards in slots 10 and 20 with
// 64 channels a port) and a 10-slot one, each with a row of every audio and logic list, and a
// global resource.
inline void WriteFullProject(const std::string& File)
{
    using namespace frameio::test;
    FrameProject f;
    f.Project.SetName("Sweep");
    f.Dev().SetName("Frame 1");
    FillFullFrame(f);
    f.Put(4, IOCard(123, 4, 8, 4));
    f.Put(6, IOCard(222, 6, 8, 0));
    f.Put(9, DSPCard(2, 0x40, 0, MadiEntries(9, 64, -12, 0)));
    f.Put(19, DSPCard(3, 0x80, 0x10, MadiEntries(19, 64, -12, -6) + Stereo(19, 2, 0x80, "Out")));
    const int second = f.Project.AddDevice();
    model::TDevice& two = *f.Project.Device(second);
    two.SetName("Frame 2");
    SetFrameType(two, 0);
    two.SetSetupData(0, IOCard(122, 0, 8, 8));
    two.SetSetupData(9, DSPCard(1, 0, 0, {}));
    // A row of every list a page edits, so that the fields behind a chosen row show.
    for (model::TDevice* dev : {&f.Dev(), &two}) {
        model::AddFaderChannel(*dev);
        model::AddOutputFunction(*dev);
        model::AddFixedProcessing(*dev);
        int sof = 0;
        model::TSOFRecord record;
        model::AddSOF(*dev, sof, record);
        model::AddLogicFunction(*dev);
        model::AddLogicDelay(*dev);
        model::AddScript(*dev);
        model::AddLevelDetect(*dev);
    }
    model::TGlobalResource resource;
    model::AddGlobalResource(f.Project, resource);
    f.Project.SaveToDisk(File, false);
}

// A page's own one-shot refresh still to run (a repeating timer is a page's steady work).
inline bool RefreshPending(TCX4AppForm& Form)
{
    const QList<QTimer*> timers = Form.findChildren<QTimer*>();
    return std::any_of(timers.begin(), timers.end(), [](const QTimer* T) { return T->isActive() && T->isSingleShot(); });
}

// Lets the window finish what a change started, the pages' delayed refreshes included (a page
// shows and takes input as it stands once they have run).
inline void Settle(TCX4AppForm& Form)
{
    QApplication::processEvents();
    QTRY_VERIFY_WITH_TIMEOUT(!Form.TreeChangeDelay->isActive(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!RefreshPending(Form), 5000);
    QApplication::processEvents();
}

// The node's texts from the root down, "Sweep > Frame 1 > Audio System".
inline QString NodePath(const QTreeWidgetItem* Item)
{
    QStringList parts;
    for (; Item != nullptr; Item = Item->parent())
        parts.prepend(Item->text(0));
    return parts.join(" > ");
}

// The visible tab widgets and lone tab bars under Root that no other one under Root holds.
inline std::vector<QWidget*> OuterTabs(QWidget* Root)
{
    std::vector<QWidget*> out;
    for (QWidget* w : Root->findChildren<QWidget*>()) {
        const bool tabs = qobject_cast<QTabWidget*>(w) != nullptr ||
                          (qobject_cast<QTabBar*>(w) != nullptr && qobject_cast<QTabWidget*>(w->parentWidget()) == nullptr);
        if (!tabs || !w->isVisible())
            continue;
        bool nested = false;
        for (QWidget* p = w->parentWidget(); p != nullptr && p != Root; p = p->parentWidget())
            nested = nested || qobject_cast<QTabWidget*>(p) != nullptr;
        if (!nested)
            out.push_back(w);
    }
    return out;
}

// Every tab of every tab widget under Root, nested ones inside each of their pages, each shown
// as a user's click shows it; Visit gets the page's name with the tabs' texts.
inline void ForEachTab(TCX4AppForm& Form, QWidget* Root, const QString& Page, const std::function<void(const QString&)>& Visit)
{
    const std::vector<QWidget*> tabs = OuterTabs(Root);
    if (tabs.empty()) {
        Visit(Page);
        return;
    }
    for (QWidget* w : tabs) {
        auto* widget = qobject_cast<QTabWidget*>(w);
        QTabBar* bar = widget != nullptr ? widget->tabBar() : qobject_cast<QTabBar*>(w);
        const int start = bar->currentIndex();
        for (int i = 0; i < bar->count(); ++i) {
            if (!bar->isTabEnabled(i) || !bar->isTabVisible(i))
                continue;
            bar->setCurrentIndex(i);
            Settle(Form);
            const QString name = Page + " / " + bar->tabText(i);
            if (widget != nullptr && widget->currentWidget() != nullptr && !OuterTabs(widget->currentWidget()).empty())
                ForEachTab(Form, widget->currentWidget(), name, Visit);
            else
                Visit(name);
        }
        bar->setCurrentIndex(start);
        Settle(Form);
    }
}

// Chooses the first row of every list on the page that has none chosen, as a user's click does,
// so that the fields that edit a chosen row take input; a list filled by that choice gets its
// own click in the next round.
void ChooseFirstRows(TCX4AppForm& Form)
{
    for (int round = 0; round < 3; ++round) {
        bool clicked = false;
        for (QAbstractItemView* view : Form.centralWidget()->findChildren<QAbstractItemView*>()) {
            if (view == Form.ProjectTree || !view->isVisible() || !view->isEnabled() || view->model() == nullptr ||
                view->model()->rowCount(view->rootIndex()) == 0 || view->selectionModel() == nullptr ||
                view->selectionModel()->hasSelection() || qobject_cast<QComboBox*>(view->parentWidget()) != nullptr)
                continue;
            const QRect row = view->visualRect(view->model()->index(0, 0, view->rootIndex()));
            if (row.isEmpty())
                continue;
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row.center());
            Settle(Form);
            clicked = true;
        }
        if (!clicked)
            return;
    }
}

// On a frame I/O page that shows one slot, a click on its first row's label opens the label
// editor in the table, as a user opens it.
void OpenSlotLabelEditor(TCX4AppForm& Form)
{
    auto* panel = Form.findChild<frameio::TSlotPanel*>();
    if (panel == nullptr || !panel->isVisible() || panel->View.WholeFrame())
        return;
    const QPoint label(400, panel->View.SlotTop(panel->View.CurSlot()) + 8);
    QTest::mouseMove(panel->SlotImage, label); // the table takes the cell under the pointer
    QTest::mouseClick(panel->SlotImage, Qt::LeftButton, {}, label);
    Settle(Form);
}

// The node's place in the tree, "0.1.3": it stays when a name changes.
inline QString NodeKey(QTreeWidgetItem* Item)
{
    QStringList parts;
    for (; Item != nullptr; Item = Item->parent())
        parts.prepend(QString::number(Item->parent() != nullptr ? Item->parent()->indexOfChild(Item)
                                                                : Item->treeWidget()->indexOfTopLevelItem(Item)));
    return parts.join('.');
}

// Every node of the project tree, every tab of its page. Pages are named by their nodes' texts,
// or by their places in the tree with ByPlace (for names that a visit may change). A node is
// looked up again for each visit, since a change may rebuild the tree.
// Every node of the project tree selected in turn, its page shown as it first comes up.
inline void ForEachNode(TCX4AppForm& Form, const std::function<void(QTreeWidgetItem*)>& Visit)
{
    for (int n = 0;; ++n) {
        Form.ProjectTree->expandAll();
        QTreeWidgetItemIterator it(Form.ProjectTree);
        for (int i = 0; i < n && *it != nullptr; ++i)
            ++it;
        QTreeWidgetItem* item = *it;
        if (item == nullptr)
            return;
        Form.ProjectTree->setCurrentItem(item);
        Settle(Form);
        Visit(item);
    }
}

inline void ForEachPage(TCX4AppForm& Form, const std::function<void(const QString&)>& Visit, bool ByPlace = false)
{
    ForEachNode(Form, [&](QTreeWidgetItem* Item) {
        ForEachTab(Form, Form.centralWidget(), ByPlace ? NodeKey(Item) : NodePath(Item), Visit);
    });
}

// The main window at the default size, opened on the full sample project in a folder of its own.
struct SweepWindow {
    QTemporaryDir Dir;
    QtModelHost OwnHost;
    QtModelHost* Host = &OwnHost; // another before Open, to give the project a time of its own
    TCX4AppForm* Form = nullptr;
    std::string File;

    void Open()
    {
        QVERIFY(Dir.isValid());
        platform::setSettingsStore(std::make_unique<platform::MemorySettingsStore>());
        platform::setPrompter(std::make_unique<platform::ScriptedPrompter>());
        model::SetModelHost(Host);
        File = (Dir.path() + "/sweep.kvp").toStdString();
        WriteFullProject(File);
        Form = CreateApplicationForms();
        Form->resize(1600, 1000);
        Form->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form));
        QVERIFY(Form->FileCommands().OpenRecent(File));
        Settle(*Form);
    }
    void Close()
    {
        DestroyApplicationForms();
        model::SetModelHost(nullptr);
        platform::setPrompter(nullptr);
    }
};

} // namespace kvr::app::test
