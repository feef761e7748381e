// The Output Functions page with the real audio-source window: a node dropped on a row's
// "Source 2" column lands there with the window's level and pot.
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QListWidget>
#include <QHeaderView>
#include <QMimeData>
#include <QTest>
#include <QTreeWidget>

#include <memory>

#include "editors/sources/audioreswin.h"
#include "editors/common/outfktlevels.h"
#include "editors/audio/outfktpagewidget.h"
#include "editors/sources/sourcedrag.h"
#include "fakehost.h"
#include "model/outputfunctions.h"
#include "model/project.h"
#include "platform/currentprompter.h"
#include "platform/prompter.h"
#include "recordinghost.h"
#include "sourcebuilder.h"

using namespace kvr::editors;
using namespace kvr::model;
using namespace kvr::model::test;
using kvr::editors::test::FakeHost;

class OutFktPageTest : public QObject {
    Q_OBJECT

    std::unique_ptr<RecordingHost> modelHost;
    std::unique_ptr<TProject> project;
    FakeHost host;
    TDevice* dev = nullptr;

    // Drag enter, move and drop of an audio-tree drag at a point of the list's viewport.
    static bool DropAt(QTreeWidget* list, QPoint at)
    {
        std::unique_ptr<QMimeData> data(MakeSourceDrag(SourceDragKind::Audio));
        QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(list->viewport(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(list->viewport(), &move);
        if (!move.isAccepted())
            return false;
        QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(list->viewport(), &drop);
        return true;
    }

private slots:
    void init()
    {
        modelHost = std::make_unique<RecordingHost>();
        project = std::make_unique<TProject>();
        project->AddDevice();
        dev = project->Device(0);
        dev->SetName("Studio A");
        SetHeaderBytes(*dev, {{dh::ProgramBusCount, 1}});
        dev->SetData(stBus, BusRec("Main", true));
        AddOutputFunction(*dev);
        TOutputFunction fkt;
        GetOutputFunction(*dev, 0, fkt);
        fkt.Cond.emplace_back();
        SetOutputFunction(*dev, 0, fkt);
        host.project = project.get();
        kvr::platform::setPrompter(std::make_unique<kvr::platform::ScriptedPrompter>());
    }
    void cleanup()
    {
        kvr::platform::setPrompter(nullptr);
        project.reset();
        modelHost.reset();
    }

    void audioNodeDroppedOnSourceTwoLandsWithLevelAndPot()
    {
        TAudioResWin window(host, nullptr);
        host.audio = &window;
        TOutputFunctionsPage page(host, nullptr);
        page.resize(900, 400);
        window.SetOptionPanelVisible(true);
        window.SetDeviceIndex(0);
        window.show();
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.FillOutputFunctions();
        QTest::mouseClick(page.ListBox1->viewport(), Qt::LeftButton, {},
                          page.ListBox1->visualItemRect(page.ListBox1->item(0)).center());
        QVERIFY(page.GroupBox30->isVisible());
        QCOMPARE(page.ListView15->topLevelItemCount(), 2);

        window.SelectAudioSource(0x6002);
        window.SetLevel(-6);
        window.SelectPot(123);

        QTreeWidgetItem* row = page.ListView15->topLevelItem(1);
        const int y = page.ListView15->visualItemRect(row).center().y();
        auto columnX = [&](int column) {
            return page.ListView15->header()->sectionViewportPosition(column) + 5;
        };
        // The "Condition" column takes no audio source.
        QVERIFY(!DropAt(page.ListView15, QPoint(columnX(ocCondition), y)));
        QVERIFY(DropAt(page.ListView15, QPoint(columnX(ocSource2), y)));

        TOutputFunction fkt;
        QCOMPARE(GetOutputFunction(*dev, 0, fkt), 1);
        QCOMPARE(int(fkt.Cond[1].Source2), 0x6002);
        QCOMPARE(int(fkt.Cond[1].Source1), 0);
        QCOMPARE(LevelOf(fkt.Cond[1], 2).Level, -6);
        QCOMPARE(LevelOf(fkt.Cond[1], 2).Pot, 123);
        // The page shows it at once, on the row the drop selected.
        QCOMPARE(page.ListView15->currentItem(), page.ListView15->topLevelItem(1));
        QVERIFY(page.ListView15->topLevelItem(1)->text(ocLevel2).startsWith("-6 dB + Pot. "));
        QCOMPARE(page.lblOutfktSrcR->text(), page.ListView15->topLevelItem(1)->text(ocSource2));
        host.audio = nullptr;
    }

    // With no function the editor hides and the list keeps its place at the left; the first
    // function added brings the editor back beside it.
    void listKeepsItsPlaceWithoutFunctions()
    {
        DeleteOutputFunction(*dev, 0);
        TOutputFunctionsPage page(host, nullptr);
        page.resize(900, 400);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.FillOutputFunctions();
        QVERIFY(!page.GroupBox30->isVisible());
        QWidget* functions = page.ListBox1->parentWidget();
        const int left = page.layout()->contentsMargins().left();
        QCOMPARE(functions->x(), left);
        QTest::mouseClick(page.Button30, Qt::LeftButton);
        QTRY_VERIFY(page.GroupBox30->isVisible());
        QCOMPARE(functions->x(), left);
        QVERIFY(page.GroupBox30->x() > functions->geometry().right());
    }
};

QTEST_MAIN(OutFktPageTest)
#include "outfktpage_qtest.moc"
