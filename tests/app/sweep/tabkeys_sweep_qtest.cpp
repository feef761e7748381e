// A keyboard user reaches every tab bar of every page with Tab from the project tree, and the
// arrow key moves to the next tab and shows its page; also on a desktop whose Tab key passes
// only over text fields and lists.
#include <QStyleHints>
#include <QTabBar>
#include <QTabWidget>

#include <QScopeGuard>

#include "sweep.h"

using namespace kvr::app;

class TabKeysSweepTest : public QObject {
    Q_OBJECT

    test::SweepWindow sweep;
    TCX4AppForm* form = nullptr;

    // Presses Tab from the project tree until Bar has the focus; false when the chain comes back
    // round without it.
    bool TabTo(QTabBar* Bar)
    {
        form->ProjectTree->setFocus();
        QWidget* start = QApplication::focusWidget();
        for (int press = 0; press < 1000; ++press) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* now = QApplication::focusWidget();
            if (now == Bar)
                return true;
            if (now == start || now == nullptr)
                return false;
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        sweep.Open();
        form = sweep.Form;
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
    }
    void cleanupTestCase() { sweep.Close(); }

    void tabReachesEveryTabBarAndRightShowsTheNextTab_data()
    {
        QTest::addColumn<int>("behaviour");
        QTest::newRow("all controls") << int(Qt::TabFocusAllControls);
        QTest::newRow("text fields and lists") << int(Qt::TabFocusTextControls | Qt::TabFocusListControls);
    }
    void tabReachesEveryTabBarAndRightShowsTheNextTab()
    {
        QFETCH(int, behaviour);
        QStyleHints* hints = QGuiApplication::styleHints();
        const Qt::TabFocusBehavior kept = hints->tabFocusBehavior();
        hints->setTabFocusBehavior(Qt::TabFocusBehavior(behaviour));
        const auto restore = qScopeGuard([&] { hints->setTabFocusBehavior(kept); });
        int bars = 0;
        QStringList failures;
        test::ForEachNode(*form, [&](QTreeWidgetItem* Item) {
            const QString page = test::NodePath(Item);
            for (QWidget* w : test::OuterTabs(form->centralWidget())) {
                auto* widget = qobject_cast<QTabWidget*>(w);
                QTabBar* bar = widget != nullptr ? widget->tabBar() : qobject_cast<QTabBar*>(w);
                if (!TabTo(bar)) {
                    failures << page + ": Tab never reaches " + w->objectName();
                    continue;
                }
                const int from = bar->currentIndex();
                int to = from + 1;
                while (to < bar->count() && !bar->isTabEnabled(to))
                    ++to;
                if (to >= bar->count())
                    continue;
                QTest::keyClick(bar, Qt::Key_Right);
                test::Settle(*form);
                if (bar->currentIndex() != to)
                    failures << page + ": Right stays on " + bar->tabText(from);
                else if (widget != nullptr && !widget->currentWidget()->isVisible())
                    failures << page + " / " + bar->tabText(to) + " not shown";
                bar->setCurrentIndex(from);
                test::Settle(*form);
                ++bars;
            }
        });
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join("\n")));
        QVERIFY(bars >= 3);
    }
};

QTEST_MAIN(TabKeysSweepTest)
#include "tabkeys_sweep_qtest.moc"
