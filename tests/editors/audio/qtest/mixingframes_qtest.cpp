// The Mixing Functions tab, the insert frame and the SOF frame over a real device: what only
// the widgets decide (the refused raise of a bus count, the clean-feed controls of a row, the
// routing edit's own text, the "Add" state).
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <memory>

#include "controls/kvrpoti3.h"
#include "controls/updown.h"
#include "editors/audio/audiotabpage.h"
#include "editors/audio/globalpoolframe.h"
#include "editors/audio/insertframe.h"
#include "editors/audio/mixingpage.h"
#include "editors/audio/sofframe.h"
#include "editors/sources/sourcedrag.h"
#include "fakehost.h"
#include "model/dspfitdevice.h"
#include "model/inserts.h"
#include "model/project.h"
#include "model/smallrecordaccess.h"
#include "model/summingbuses.h"
#include "recordinghost.h"
#include "sourcebuilder.h"
#include "support/windowdrag.h"

using namespace kvr::editors;
using namespace kvr::model;
using namespace kvr::model::test;
using kvr::testsupport::WindowDrag;

class MixingFramesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<RecordingHost> modelHost;
    std::unique_ptr<TProject> project;
    kvr::editors::test::FakeHost host;
    std::unique_ptr<QWidget> owner;
    TDevice* dev = nullptr;

    TBusRecord cleanFeed()
    {
        TBusRecord r;
        GetCleanFeed(*dev, 0, r);
        return r;
    }

private slots:
    void init()
    {
        modelHost = std::make_unique<RecordingHost>();
        project = std::make_unique<TProject>();
        project->AddDevice();
        dev = project->Device(0);
        host.project = project.get();
        SetHeaderBytes(*dev, {{dh::ProgramBusCount, 2}, {dh::AuxBusCount, 0}, {dh::CleanFeedCount, 1}, {dh::FaderCount, 2}});
        dev->SetData(stBus, Concat({BusRec("Main", true), BusRec("Sub", true)}));
        Bytes cf = BusRec("CFa", true);
        cf[19] = 5;
        cf[20] = 3; // list 2, which a pool-fed selector takes
        dev->SetData(stCleanFeed, cf);
        Bytes mic = FaderRec(5, "Mic");
        mic[18] = 0x10;
        dev->SetData(stFCH, mic);
        SetRotSelSourceList(*dev, 0, 2);
        TGlobalPoolRecord pool;
        pool.SourceDevice = 77;
        pool.Count = 1;
        pool.Lines[0].Flags = 0x02;
        pool.Lines[0].Reserve = 0x10;
        SetGlobalPoolLines(*dev, pool);
        owner = std::make_unique<QWidget>();
        owner->show();
    }
    void cleanup()
    {
        owner.reset();
        project.reset();
        modelHost.reset();
    }

    void busCountsAndCleanFeedRows()
    {
        auto* page = new TMixingFunctionsPage(host, owner.get());
        page->show();
        page->TabShow();
        QVERIFY(page->ListView13->isVisibleTo(owner.get()));
        QCOMPARE(page->ListView13->topLevelItemCount(), 3);
        QCOMPARE(page->Edit24->value(), 2);
        QCOMPARE(page->Panel30->text(), QString("Off"));

        // The clean feed's list is not offered: no item, and byte 20 stays.
        SelectRow(page->ListView13, 2);
        page->ListView13SelectItem();
        QVERIFY(page->ComboBox12->isVisibleTo(owner.get()));
        QVERIFY(page->CFOutDisabled->isVisibleTo(owner.get()));
        QCOMPARE(page->ComboBox12->currentIndex(), -1);
        QCOMPARE(cleanFeed().SourceList, 3);
        QCOMPARE(page->ListView13->topLevelItem(2)->text(4), QString());
        QVERIFY(page->ListView13->actions().contains(page->MMDelete1));

        // A bus row hides them; its "CFOut Gain Disabled" stores nothing.
        SelectRow(page->ListView13, 0);
        page->ListView13SelectItem();
        QVERIFY(!page->CFOutDisabled->isVisibleTo(owner.get()));
        QVERIFY(!page->ListView13->actions().contains(page->MMDelete1));
        const auto buses = dev->GetData(stBus);
        page->CFOutDisabled->click();
        QCOMPARE(dev->GetData(stBus), buses);

        // Limiter: the threshold knob at 0 shows -30 dBint and stores 0.
        // Ticking "Limiter" shows the stored threshold rather than storing the knob's.
        page->Poti6->SetPosition(40);
        TBusRecord stored;
        GetBus(*dev, 0, stored);
        QCOMPARE(int(stored.LimiterThreshold), 40);
        stored.LimiterThreshold = 12;
        SetBus(*dev, 0, stored);
        page->CheckBox18->click();
        QVERIFY(page->GroupBox23->isVisibleTo(owner.get()));
        QCOMPARE(page->Panel5->text(), QString("-18 dBint"));
        GetBus(*dev, 0, stored);
        QCOMPARE(int(stored.LimiterThreshold), 12);
        page->Poti6->SetPosition(0);
        QCOMPARE(page->Panel5->text(), QString("-30 dBint"));
        TBusRecord bus;
        GetBus(*dev, 0, bus);
        QCOMPARE(int(bus.LimiterThreshold), 0);
        QCOMPARE(bus.Flags & 0x40, 0x40);

        // Raising is refused while the summing-bus limit is exceeded; lowering is not.
        SetLimitExceeded(*dev, 0x01);
        page->Edit24->stepBy(1);
        QCOMPARE(page->Edit24->value(), 2);
        QCOMPARE(int(dev->Header()[dh::ProgramBusCount]), 2);
        page->Edit24->stepBy(-1);
        QCOMPARE(int(dev->Header()[dh::ProgramBusCount]), 1);
        QCOMPARE(page->ListView13->topLevelItemCount(), 2);

        // Deleting the clean feed.
        SelectRow(page->ListView13, 1);
        page->ListView13SelectItem();
        page->MMDelete1->trigger();
        QCOMPARE(page->ListView13->topLevelItemCount(), 1);
        QCOMPARE(int(dev->Header()[dh::CleanFeedCount]), 0);
    }

    void insertFrameRoutingAndClear()
    {
        TInsertFrame frame(host, owner.get(), 0);
        QCOMPARE(frame.FaderList->topLevelItemCount(), 2);
        QCOMPARE(frame.SIList->topLevelItemCount(), 4);
        QVERIFY(!frame.Button2->isEnabled());
        SelectRow(frame.SIList, 1);
        emit frame.SIList->itemClicked(frame.SIList->topLevelItem(1), 0);
        QVERIFY(frame.SIClear->isEnabled());
        // Typed into the focused routing edit: the number less one is stored, beyond the top
        // the data model keeps 767, and the edit and the row show the stored routing + 1.
        struct Typed {
            const char* text;
            int stored;
            const char* shown;
        };
        owner->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(owner.get()));
        frame.SISelector->setFocus();
        QWidget* routing = QApplication::focusWidget();
        QVERIFY(routing != nullptr);
        TSwitchableInsert point;
        for (const Typed t : {Typed{"12", 11, "12"}, Typed{"0", 767, "768"}, Typed{"769", 767, "768"},
                              Typed{"5000", 767, "768"}, Typed{"1", 0, "1"}}) {
            QTest::keyClick(routing, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(routing, t.text);
            QVERIFY(GetSwitchableInsert(*dev, 1, point));
            QCOMPARE(int(point.Routing), t.stored);
            QCOMPARE(routing->property("text").toString(), QString(t.shown));
            QCOMPARE(frame.SIList->topLevelItem(1)->text(1), QString(t.shown));
        }
        // A text that is no number changes nothing.
        QTest::keyClick(routing, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(routing, "x");
        QVERIFY(GetSwitchableInsert(*dev, 1, point));
        QCOMPARE(int(point.Routing), 0);
        frame.SIClear->click();
        // Source drops only over the "Insert Return" column, and only from the audio-source tree.
        frame.resize(900, 600);
        QCoreApplication::processEvents();
        struct Drop {
            int x;
            SourceDragKind kind;
            bool accepted;
        };
        for (const Drop d : {Drop{20, SourceDragKind::Audio, false}, Drop{150, SourceDragKind::Audio, false},
                             Drop{260, SourceDragKind::Audio, true}, Drop{260, SourceDragKind::Logic, false}}) {
            WindowDrag drag(MakeSourceDrag(d.kind), Qt::CopyAction);
            QCOMPARE(drag.MoveTo(frame.SIList->viewport(), QPoint(d.x, 5)), d.accepted);
        }
        QCOMPARE(frame.SIList->topLevelItem(1)->text(0), QString("Insert 2"));
        QCOMPARE(frame.SIList->topLevelItem(1)->text(1), QString("Routing 1"));
        QVERIFY(!GetSwitchableInsert(*dev, 1, point));
    }

    void sofFrameAddAndSources()
    {
        RunDSPFitting(*dev, 0);
        TSOFFrame frame(host, owner.get(), 0);
        QCOMPARE(frame.SOFList->count(), 0);
        QVERIFY(frame.AddButton->isEnabled());
        frame.AddButton->click();
        QCOMPARE(frame.SOFList->count(), 1);
        QCOMPARE(frame.SOFList->item(0)->text(), QString("SOF 1"));
        QCOMPARE(frame.SourceList->topLevelItemCount(), 1);
        QVERIFY(!frame.RemoveSource->isEnabled());
        QVERIFY(!frame.SelectCondition->isEnabled());
        frame.InsertSource->trigger();
        frame.InsertSource->trigger();
        QCOMPARE(frame.SourceList->topLevelItemCount(), 3);
        QCOMPARE(CurrentRow(frame.SourceList), 2);
        QVERIFY(frame.RemoveSource->isEnabled());
        frame.SetLevelOff->trigger();
        QCOMPARE(frame.SourceList->topLevelItem(2)->text(2), QString(" Off"));
        QCOMPARE(frame.SetLevelOff->text(), QString("Set Level 0dB"));
        while (frame.AddButton->isEnabled())
            frame.AddButton->click();
        QCOMPARE(frame.SOFList->count(), GetSOFLimit(*dev));
    }

    void globalPoolFrameLines()
    {
        project->AddDevice();
        project->Device(1)->SetName("Remote");
        TGlobalPoolRecord none; // the init's pool goes
        SetGlobalPoolLines(*dev, none);
        TGlobalPoolFrame frame(host, owner.get(), 0);
        QCOMPARE(frame.SourceDevBox->count(), 2);
        QCOMPARE(frame.SourceDevBox->currentText(), QString("None"));
        QVERIFY(!frame.AddLine->isEnabled());
        QVERIFY(!frame.AddLineButton->isEnabled());
        emit frame.SourceDevBox->activated(1);
        QVERIFY(frame.AddLine->isEnabled());
        frame.AddLineButton->click();
        QCOMPARE(frame.Lines->topLevelItemCount(), 1);
        QCOMPARE(CurrentRow(frame.Lines), 0);
        QVERIFY(!frame.SourceDevBox->isEnabled());
        QCOMPARE(frame.InputBox->currentText(), QString("None"));
        QCOMPARE(frame.ReserveLineBox->count(), 28);
        emit frame.ReserveLineBox->activated(24);
        QCOMPARE(frame.Lines->topLevelItem(0)->text(4), QString("Monitor 3 + Rotary Selector 3"));
        frame.RemoveLineButton->click();
        QCOMPARE(frame.Lines->topLevelItemCount(), 0);
        QVERIFY(frame.SourceDevBox->isEnabled());
        QVERIFY(!frame.RemoveLineButton->isEnabled());
    }
};

QTEST_MAIN(MixingFramesTest)
#include "mixingframes_qtest.moc"
