// The watch window over the fake server: a cancelled dialog closes it, after OK an added watch
// shows its row and follows a state block, the graph draws, Escape closes. Renders the window to
// watchform.png in the build tree, to be looked at.
#include <QCheckBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QDir>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <functional>

#include "client/kvrcommunicationclient.h"
#include "commserver/fakecommserver.h"
#include "service/qtest/fakeserverhost.h"
#include "kvrdata/byteorder.h"
#include "kvrdata/kvrstruct.h"
#include "model/project.h"
#include "service/watch/watchform.h"
#include "support/windowdrag.h"

using namespace kvr::service;
using kvr::testsupport::WindowDrag;


class WatchFormTest : public QObject {
    Q_OBJECT

    std::shared_ptr<kvr::commserver::FakeCommServer> server = std::make_shared<kvr::commserver::FakeCommServer>();
    kvr::model::TProject project;
    QTemporaryDir folder;

    TWatchForm* MakeForm(int DialogResult, const std::function<void(TWatchFormServices&)>& Drops = {})
    {
        auto clock = std::make_shared<std::uint64_t>(1000);
        kvr::client::TClientServices cs;
        cs.Now = [clock] { return *clock += 25; }; // waits for answers end quickly
        // As the program's processEvents does, a pending deletion happens here.
        cs.ProcessMessages = [] { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); };
        cs.Sleep = [clock](unsigned Ms) { *clock += Ms; };
        cs.Host = std::make_shared<servicetest::FakeServerHost>(server);
        TWatchFormServices s;
        s.ConnectionDialog = [DialogResult](Kvrdata_ns::TDeviceAddr& Addr) {
            Addr.CK = Kvrdata_ns::dckFixedIP;
            Addr.IP = 0x7F000002;
            Addr.DID = 1;
            return DialogResult;
        };
        s.Watch.Project = [this] { return &project; };
        s.Watch.ProjectFileName = [] { return std::string("/projects/studio.kvp"); };
        s.Watch.Folder = folder.path().toStdString();
        if (Drops)
            Drops(s);
        return new TWatchForm(std::make_unique<TKVRCommunicationClient>(nullptr, cs), std::move(s), nullptr);
    }

private slots:
    void initTestCase() { project.AddDevice(); }

    void aClosedWindowIsFreedOnlyAfterTheSendsOfACall()
    {
        QPointer<TWatchForm> form = MakeForm(1);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        form->AddWatch(1086, -1);
        form->close(); // asks for its deletion
        QVERIFY(!form.isNull());
        // The logic-source window still reaches it before the deletion: two state requests go
        // out, paced, letting messages through in between.
        form->AddWatch(5, -1);
        QTRY_VERIFY(form.isNull());
    }

    void aCancelledDialogClosesTheWindow()
    {
        QPointer<TWatchForm> form = MakeForm(2);
        form->show();
        QTRY_VERIFY(form.isNull()); // closed and freed
    }

    void aWatchFollowsItsStateAndTheGraphDraws()
    {
        QPointer<TWatchForm> form = MakeForm(1);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QVERIFY(form->WatchedDeviceID() == 1);
        form->DrawGraph->setChecked(true);
        form->AddWatch(1086, -1);
        form->AddWatch(5, -1);
        QCOMPARE(form->WatchView->topLevelItemCount(), 2);
        QCOMPARE(form->WatchView->topLevelItem(0)->text(1), QString("0"));

        Kvrdata_ns::KVRCANBlock state;
        state.ID = 0x11500000;
        state.Len = 3;
        state.Data = {0, 5, 1};
        std::vector<std::uint8_t> bytes;
        Kvrdata_ns::CANBlockToVariant(state, bytes);
        std::int32_t handle = -1;
        for (const auto& call : server->calls())
            if (call.method == kvr::commserver::RpcMethod::OpenConnection)
                handle = call.handle;
        QVERIFY(server->isConnected(handle));
        server->deliverBlock(handle, bytes);
        QTRY_COMPARE(form->WatchView->topLevelItem(0)->text(1), QString("1"));
        QVERIFY(form->Log().Lines().back().find(" -> 1") != std::string::npos);
        QCOMPARE(form->Controller().Watches()[1].HistoryLength, 1);

        form->WatchView->setCurrentItem(form->WatchView->topLevelItem(1));
        QTest::mouseClick(form->WatchView->viewport(), Qt::LeftButton, {},
                          form->WatchView->visualItemRect(form->WatchView->topLevelItem(1)).center());
        QVERIFY(form->DelButton->isEnabled());
        form->DelButton->click();
        QCOMPARE(form->WatchView->topLevelItemCount(), 1);

        QVERIFY(form->grab().toImage().save(QDir::current().filePath("watchform.png")));
        QTest::keyClick(form, Qt::Key_Escape);
        QTRY_VERIFY(form.isNull());
    }

    // A logic source dragged onto the list, as the window system delivers it, is added while the
    // logic-source window shows the watched device: the list takes the drag's kind as it enters,
    // and decides at every move whether it may land.
    void aLogicSourceDropsOnTheListOfTheWatchedDevice()
    {
        const QString logicKind = "application/x-test-logic-source";
        bool watchedDevice = false;
        int dropped = 0;
        QPointer<TWatchForm> form = MakeForm(1, [&](TWatchFormServices& s) {
            s.TakesDrag = [logicKind](const QMimeData* Data) { return Data->hasFormat(logicKind); };
            s.ShowsWatchedDevice = [&] { return watchedDevice; };
            s.Dropped = [&](TWatchForm&) { ++dropped; };
        });
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        const auto drag = [](const QString& kind) {
            auto* data = new QMimeData;
            data->setData(kind, QByteArray());
            return data;
        };
        const QPoint inList(20, 20);
        {
            WindowDrag other(drag("text/plain"), Qt::CopyAction);
            QVERIFY(!other.MoveTo(form->WatchView->viewport(), inList));
            QVERIFY(!other.Drop());
        }
        {
            WindowDrag logic(drag(logicKind), Qt::CopyAction);
            QVERIFY(!logic.MoveTo(form->AddButton));
            QVERIFY(!logic.MoveTo(form->WatchView->viewport(), inList)); // another device's source
            watchedDevice = true;
            QVERIFY(logic.MoveTo(form->WatchView->viewport(), inList + QPoint(5, 5)));
            QVERIFY(logic.Drop());
        }
        QCOMPARE(dropped, 1);
        form->close();
        QTRY_VERIFY(form.isNull());
    }

    // At the window's own size and at its smallest every control of the list and of the graph
    // page shows its caption whole.
    void theControlsKeepTheirCaptions_data()
    {
        QTest::addColumn<bool>("smallest");
        QTest::newRow("default size") << false;
        QTest::newRow("minimum size") << true;
    }
    void theControlsKeepTheirCaptions()
    {
        QFETCH(bool, smallest);
        QPointer<TWatchForm> form = MakeForm(1);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QVERIFY(form->minimumWidth() >= 530 && form->minimumHeight() >= 200);
        if (smallest)
            form->resize(form->minimumSize());
        form->PageControl1->setCurrentIndex(1);
        QTRY_COMPARE(form->size(), smallest ? form->minimumSize() : QSize(640, 360));
        if (!smallest)
            QVERIFY(form->grab().toImage().save(QDir::current().filePath("watchgraph.png")));
        const QStyle* style = form->style();
        const auto needed = [style](const QAbstractButton* Button) {
            const int text = Button->fontMetrics().horizontalAdvance(Button->text());
            if (qobject_cast<const QRadioButton*>(Button))
                return text + style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) + style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
            if (qobject_cast<const QCheckBox*>(Button))
                return text + style->pixelMetric(QStyle::PM_IndicatorWidth) + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
            // A push button pads its caption with the style's margin inside its frame.
            return text + style->pixelMetric(QStyle::PM_ButtonMargin) + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth);
        };
        const QRect window = form->rect();
        const auto inWindow = [form](const QWidget* W) { return QRect(W->mapTo(form, QPoint()), W->size()); };
        for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
                 form->AddButton, form->DelButton, form->Button2, form->Button3, form->DrawGraph, form->RadioButton1,
                 form->RadioButton2, form->Button1}) {
            QVERIFY2(button->isVisible(), qPrintable(button->text()));
            QVERIFY2(button->width() >= needed(button),
                     qPrintable(QString("%1: %2 < %3").arg(button->text()).arg(button->width()).arg(needed(button))));
            QVERIFY2(window.contains(inWindow(button)), qPrintable(button->text()));
        }
        QVERIFY(form->Edit1->width() >= form->Edit1->minimumSizeHint().width());
        QVERIFY(window.contains(inWindow(form->Edit1)));
        // The graph keeps room to draw in at the usual size.
        QVERIFY(smallest || form->findChild<QWidget*>("Graph")->height() >= 100);
        form->close();
        QTRY_VERIFY(form.isNull());
    }

    // A global logic state that comes by UDP changes the list's State column, not only the
    // protocol.
    void aGlobalLogicByUDPShowsInTheList()
    {
        QPointer<TWatchForm> form = MakeForm(1);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        form->AddWatch(1081 + 6, -1); // after the watches the list file of the test before holds
        QTreeWidgetItem* row = form->WatchView->topLevelItem(form->WatchView->topLevelItemCount() - 1);
        QCOMPARE(row->text(1), QString("0"));

        const auto datagram = [this](std::uint8_t State) {
            Kvrdata_ns::TUDPMsg m;
            kvr::writeLE32(m.Payload, 0, 0x20081996);
            kvr::writeLE32(m.Payload, 4, static_cast<std::uint32_t>(project.GetProjectID()));
            m.Payload[8] = 3;
            kvr::writeLE32(m.Payload, 10, 0x11500000);
            kvr::writeBE16(m.Payload, 14, 6);
            m.Payload[16] = State;
            m.Length = 17;
            std::vector<std::uint8_t> v;
            Kvrdata_ns::UDPMsgToVariant(m, v);
            return v;
        };
        std::int32_t handle = -1;
        for (const auto& call : server->calls())
            if (call.method == kvr::commserver::RpcMethod::OpenConnection)
                handle = call.handle;
        server->queueUDP(handle, datagram(1));
        QTRY_COMPARE(row->text(1), QString("1"));
        server->queueUDP(handle, datagram(0));
        QTRY_COMPARE(row->text(1), QString("0"));
        form->close();
        QTRY_VERIFY(form.isNull());
    }
};

QTEST_MAIN(WatchFormTest)
#include "watchform_qtest.moc"
