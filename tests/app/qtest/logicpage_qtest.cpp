// The Logic System page in the main window, on the data model: it follows the project tree, and
// a new user's first steps (two logic functions, one feeding the other, reordered, a GPO routed)
// land in the device. Each kind is rendered to PNG in the build folder, to be looked at.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

#include "app/appforms.h"
#include "app/mainform.h"
#include "app/qtmodelhost.h"
#include "editors/logic/logicpagewidget.h"
#include "editors/sources/audioreswin.h"
#include "editors/sources/reswindow.h"
#include "editors/sources/sourcedrag.h"
#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/gpoaccess.h"
#include "model/logicaccess.h"
#include "model/project.h"
#include "platform/currentprompter.h"
#include "platform/settingsstore.h"
#include "startwindows.h"

using namespace kvr::app;
using namespace kvr::editors;

namespace {

// An I/O card whose odd entries are GPOs: "Lamp" at entry 1, "Tally" at entry 7.
std::vector<std::uint8_t> GPIOCard()
{
    std::vector<std::uint8_t> card = {0, 111, 0, 8};
    for (const char* name : {"In1", "Lamp", "In2", "", "In3", "", "In4", "Tally"}) {
        std::vector<std::uint8_t> entry(16, 0);
        for (std::size_t i = 0; name[i] != 0; ++i)
            entry[i] = static_cast<std::uint8_t>(name[i]);
        card.insert(card.end(), entry.begin(), entry.end());
    }
    return card;
}

} // namespace

class LogicPageTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QtModelHost host;
    TCX4AppForm* form = nullptr;
    LogicPageWidget* page = nullptr;

    kvr::model::TDevice& Device() { return *form->FProject->Model()->Device(0); }
    void Settle()
    {
        QTest::qWait(60);
        QTRY_VERIFY_WITH_TIMEOUT(!form->TreeChangeDelay->isActive(), 5000);
    }
    // The node of the first device with that text.
    void SelectNode(const std::string& Text)
    {
        const auto& nodes = form->TreeNodes();
        for (std::size_t i = 0; i < nodes.size(); ++i)
            if (nodes[i].Device == 0 && nodes[i].Text == Text) {
                form->ProjectTree->setCurrentItem(form->TreeItem(static_cast<int>(i)));
                Settle();
                return;
            }
        QFAIL(Text.c_str());
    }
    // Every row of a source tree, indented by its depth.
    static QStringList Rows(const QTreeWidget* Tree)
    {
        QStringList rows;
        std::function<void(const QTreeWidgetItem*, const QString&)> add = [&](const QTreeWidgetItem* Item, const QString& Indent) {
            rows << Indent + Item->text(0);
            for (int i = 0; i < Item->childCount(); ++i)
                add(Item->child(i), Indent + "  ");
        };
        for (int i = 0; i < Tree->topLevelItemCount(); ++i)
            add(Tree->topLevelItem(i), "");
        return rows;
    }
    void Picture(const QString& Name)
    {
        form->grab().save(QCoreApplication::applicationDirPath() + "/logicpage_" + Name + ".png");
    }
    // A drag of the logic-source tree dropped on a widget at a point.
    bool DropLogicSource(QWidget* Target, const QPoint& At)
    {
        std::unique_ptr<QMimeData> data(MakeSourceDrag(SourceDragKind::Logic));
        QDragEnterEvent enter(At, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(At), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Target, &drop);
        return true;
    }
    std::vector<std::uint16_t> Sources(int Function)
    {
        kvr::model::TLogicFunction f;
        if (kvr::model::GetLogicFunction(Device(), Function, f) != 1)
            return {};
        return {f.Source.begin(), f.Source.begin() + f.SourceCount()};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        {
            kvr::model::TProject fixture;
            fixture.SetName("Studio");
            kvr::model::TDevice& dev = *fixture.Device(fixture.AddDevice());
            dev.SetName("North");
            dev.SetSetupData(1, GPIOCard());
            kvr::model::AddLogicDelay(dev);
            kvr::model::AddScript(dev);
            QCOMPARE(fixture.SaveToDisk((dir.path() + "/studio.kvp").toStdString(), true), 1);
        }
        form = test::StartWithProject(host, (dir.path() + "/studio.kvp").toStdString());
        QVERIFY(form);
        Settle();
        page = form->LogicPage;
        QVERIFY(page);
    }

    void cleanupTestCase() { test::StopWindows(); }

    void pageFollowsTheTree()
    {
        SelectNode("Logic System");
        QVERIFY(page->isVisible());
        QVERIFY(!page->Logics->isVisible());
        SelectNode("Logic Delay");
        QVERIFY(page->Logics->isVisible());
        QCOMPARE(page->Logics->title(), QString("Logic Delay"));
        QCOMPARE(page->ListView3->topLevelItemCount(), 1);
        QVERIFY(!page->DelayPanel->isVisible()); // nothing selected yet
        page->ListView3->setCurrentItem(page->ListView3->topLevelItem(0));
        QVERIFY(page->DelayPanel->isVisible());
        QCOMPARE(page->LDDelayEdit->text(), QString("1.0"));
        Picture("delay");
        SelectNode("Scripts");
        QVERIFY(!page->DelayPanel->isVisible());
        page->ListView3->setCurrentItem(page->ListView3->topLevelItem(0));
        QVERIFY(page->ScriptPanel->isVisible());
        page->Memo1->setPlainText("1234, 2, 5, ff\n\nbeef");
        page->Button62->click();
        QCOMPARE(page->Memo1->toPlainText(), QString("00001234, 2, 05, FF\n0000BEEF, 0"));
        QCOMPARE(page->Label75->text(), QString("Overall commands used: 2/1000"));
        Picture("script");
        // Delete in the list removes the selected element.
        QTest::keyClick(page->ListView3, Qt::Key_Delete);
        QCOMPARE(page->ListView3->topLevelItemCount(), 0);
        QVERIFY(!page->ScriptPanel->isVisible());
        SelectNode("North");
        QVERIFY(!page->isVisible());
    }

    // Two logic functions, the second feeding the first, then the second moved to the top.
    void newUserMakesTwoFunctionsOneUsingTheOther()
    {
        SelectNode("Logic Functions");
        QCOMPARE(page->ListView3->columnCount(), 3);
        QCOMPARE(page->ListView3->headerItem()->text(1), QString("IL Bus"));
        page->Button10->click();
        page->Button10->click();
        QCOMPARE(page->ListView3->topLevelItemCount(), 2);
        QCOMPARE(page->ListView3->topLevelItem(1)->text(0), QString("02 | Logic 2"));
        QVERIFY(page->FunctionPanel->isVisible());

        page->ListView3->setCurrentItem(page->ListView3->topLevelItem(0));
        page->RadioButton1->click();
        QCOMPARE(page->ListView3->topLevelItem(0)->text(2), QString("&"));
        // "Logic 2" dropped from the logic-source window beside the (empty) source rows.
        ResWindow->SelectLogicSourceAt(0x8000 | 932, 0);
        QVERIFY(DropLogicSource(page->ListView4->viewport(), QPoint(20, 20)));
        QCOMPARE(Sources(0), std::vector<std::uint16_t>{0x8000 | 932});
        QCOMPARE(page->ListView4->topLevelItemCount(), 1);
        QVERIFY(page->ListView4->topLevelItem(0)->text(0).contains("[off v]"));
        Picture("functions");
        // "Add Source ..." opens the window for this function with the condition "ON".
        page->Button13->click();
        QVERIFY(ResWindow->isVisible());
        QCOMPARE(ResWindow->TargetKind(), 2);
        QCOMPARE(ResWindow->Tree().ConditionIndex(), 0);
        QVERIFY(ResWindow->RadioGroup1->isVisibleTo(ResWindow)); // the full layout
        ResWindow->hide();

        // The second function dragged onto row 1: it goes first, the reference follows.
        QVERIFY(page->Page().Select(1));
        QVERIFY(page->Page().Move(0));
        QCOMPARE(Sources(1), std::vector<std::uint16_t>{0x8000 | 931});
    }

    // A page switch fills each open source window's tree at most once, with what a fresh build
    // of the new page's sources gives; a switch that leaves a tree's sources as they were does
    // not fill it at all.
    void sourceTreesFillOncePerPageSwitch_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("logicFills");
        QTest::addColumn<int>("audioFills");
        QTest::newRow("logic kinds alike") << "Logic Delay" << "Scripts" << 0 << 0;
        QTest::newRow("fader channels to logic") << "Fader Channels" << "Logic Functions" << 1 << 0;
        QTest::newRow("logic to audio") << "Logic Functions" << "Channel Assignment" << 1 << 1;
        QTest::newRow("audio to audio") << "Output Functions" << "Fixed Processing" << 0 << 1;
    }
    void sourceTreesFillOncePerPageSwitch()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(int, logicFills);
        QFETCH(int, audioFills);
        ResWindow->show();
        AudioResWin->show();
        SelectNode(from.toStdString());
        QSignalSpy logic(ResWindow->TreeView1->model(), &QAbstractItemModel::rowsInserted);
        QSignalSpy audio(AudioResWin->TreeView1->model(), &QAbstractItemModel::rowsInserted);
        SelectNode(to.toStdString());
        QCOMPARE(logic.count(), logicFills);
        QCOMPARE(audio.count(), audioFills);

        const QStringList logicShown = Rows(ResWindow->TreeView1);
        const QStringList audioShown = Rows(AudioResWin->TreeView1);
        QVERIFY(!logicShown.isEmpty() && !audioShown.isEmpty());
        Device().FLogicSourcesChanged = true;
        Device().FAudioSourcesChanged = true;
        ResWindow->BuildSourceTree();
        AudioResWin->BuildSourceTree();
        QCOMPARE(logicShown, Rows(ResWindow->TreeView1));
        QCOMPARE(audioShown, Rows(AudioResWin->TreeView1));
        ResWindow->hide();
        AudioResWin->hide();
    }

    void aGPOIsRouted()
    {
        SelectNode("GPO Routing");
        QVERIFY(page->GPOPanel->isVisible());
        QVERIFY(!page->Logics->isVisible());
        QCOMPARE(page->ListView14->topLevelItemCount(), 2);
        QCOMPARE(page->ListView14->topLevelItem(0)->text(0), QString("Lamp"));
        ResWindow->SelectLogicSourceAt(0x4000 | 931, 0);
        const QPoint row = page->ListView14->visualItemRect(page->ListView14->topLevelItem(1)).center();
        QVERIFY(DropLogicSource(page->ListView14->viewport(), row));
        QCOMPARE(kvr::model::GetGPORouting(Device(), kvr::model::CalcGPOID(Device(), 1, 7)), 0x4000 | 931);
        QVERIFY(page->ListView14->topLevelItem(1)->text(2).contains("[on ^]"));
        Picture("gpo");
        page->Button9->click();
        QCOMPARE(kvr::model::GetGPORouting(Device(), kvr::model::CalcGPOID(Device(), 1, 7)), 0xC000);
    }
};

QTEST_MAIN(LogicPageTest)
#include "logicpage_qtest.moc"
