#pragma once
// What the sweeps over every page share: a full sample project written to a file, the main
// window opened on it at the default size, and a walk that shows every node of the project tree
// with every tab of every page, and the program's other windows.

#include <QApplication>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <functional>
#include <string>
#include <vector>

#include "../frameio/framefixture.h"
#include "app/mainform.h"
#include "model/project.h"

namespace kvr::app::test {

// Two DSP frames, a 30-slot one with a card of every kind (MADI cards in slots 10 and 20 with
// 64 channels a port) and a 10-slot one, and a fixed-model device.
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
    f.Project.SaveToDisk(File, false);
}

// Lets the window finish what a change started.
inline void Settle(TCX4AppForm& Form)
{
    QApplication::processEvents();
    QTRY_VERIFY_WITH_TIMEOUT(!Form.TreeChangeDelay->isActive(), 5000);
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

// Every node of the project tree, every tab of its page.
inline void ForEachPage(TCX4AppForm& Form, const std::function<void(const QString&)>& Visit)
{
    Form.ProjectTree->expandAll();
    std::vector<QTreeWidgetItem*> items;
    for (QTreeWidgetItemIterator it(Form.ProjectTree); *it != nullptr; ++it)
        items.push_back(*it);
    for (QTreeWidgetItem* item : items) {
        Form.ProjectTree->setCurrentItem(item);
        Settle(Form);
        Form.ProjectTree->expandAll();
        ForEachTab(Form, Form.centralWidget(), NodePath(item), Visit);
    }
}

} // namespace kvr::app::test
