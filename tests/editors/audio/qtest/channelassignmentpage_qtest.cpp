// The Channel Assignment page over a real device: assign by button and double click, chains by
// button with the per-type message.
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <memory>

#include "editors/audio/channelassignmentpage.h"
#include "editors/sources/rowdrag.h"
#include "fakehost.h"
#include "model/faderaccess.h"
#include "model/project.h"
#include "platform/currentprompter.h"
#include "platform/prompter.h"
#include "recordinghost.h"
#include "sourcebuilder.h"
#include "support/windowdrag.h"

using namespace kvr::editors;
using namespace kvr::model;
using namespace kvr::model::test;
using kvr::testsupport::WindowDrag;

class ChannelAssignmentPageTest : public QObject {
    Q_OBJECT

    std::unique_ptr<RecordingHost> modelHost;
    std::unique_ptr<TProject> project;
    kvr::editors::test::FakeHost host;
    kvr::platform::ScriptedPrompter* prompts = nullptr;

    static QStringList Texts(const QTreeWidget* list, int column)
    {
        QStringList texts;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            texts << list->topLevelItem(i)->text(column);
        return texts;
    }

private slots:
    void init()
    {
        modelHost = std::make_unique<RecordingHost>();
        project = std::make_unique<TProject>();
        project->AddDevice();
        TDevice* dev = project->Device(0);
        SetHeaderBytes(*dev, {{dh::FaderCount, 3}});
        dev->SetData(stFCH, Concat({FaderRec(5, "Mic"), FaderRec(9, "CD")}));
        host.project = project.get();
        auto script = std::make_unique<kvr::platform::ScriptedPrompter>();
        prompts = script.get();
        kvr::platform::setPrompter(std::move(script));
    }
    void cleanup()
    {
        kvr::platform::setPrompter(nullptr);
        project.reset();
        modelHost.reset();
    }

    void assignsAndBuildsChains()
    {
        TChannelAssignmentPage page(host, nullptr);
        page.show();
        page.FillChannelAssignment();
        QCOMPARE(Texts(page.ListView6, 0), QStringList({"1", "2", "3"}));
        QCOMPARE(Texts(page.ListView7, 0), QStringList({"CD", "Mic"}));

        // Without a selected fader the first one takes the channel; the next fader is selected.
        page.ListView7->setCurrentItem(page.ListView7->topLevelItem(1));
        page.Button26->click();
        QCOMPARE(Texts(page.ListView6, 1), QStringList({"Mic CH5", "", ""}));
        QCOMPARE(Texts(page.ListView7, 0), QStringList({"CD"}));
        QCOMPARE(page.ListView6->currentItem()->text(0), QString("2"));
        QVERIFY(page.GroupBox22->isVisible());

        const QPoint cd = page.ListView7->visualItemRect(page.ListView7->topLevelItem(0)).center();
        QTest::mouseClick(page.ListView7->viewport(), Qt::LeftButton, {}, cd);
        QTest::mouseDClick(page.ListView7->viewport(), Qt::LeftButton, {}, cd);
        QCOMPARE(Texts(page.ListView6, 1), QStringList({"Mic CH5", "CD CH9", ""}));

        // Fader 2's chain: a Sub Sonic, and a second one refused with the message.
        page.ListView6->setCurrentItem(page.ListView6->topLevelItem(1));
        page.ListView6SelectItem();
        const auto subSonic = page.ListView8->findItems("Sub Sonic", Qt::MatchExactly);
        QCOMPARE(subSonic.size(), 1);
        page.ListView8->setCurrentItem(subSonic[0]);
        page.Button28->click();
        QCOMPARE(Texts(page.ListView9, 0), QStringList({"Sub Sonic"}));
        page.Button28->click();
        QCOMPARE(prompts->records().size(), std::size_t(1));
        QCOMPARE(prompts->records()[0].text, QString("Max. 1 functions of this type allowed!"));
        QCOMPARE(Texts(page.ListView9, 0), QStringList({"Sub Sonic"}));

        QVERIFY(!page.Button29->isEnabled());
        QTest::mouseClick(page.ListView9->viewport(), Qt::LeftButton, {},
                          page.ListView9->visualItemRect(page.ListView9->topLevelItem(0)).center());
        QVERIFY(page.Button29->isEnabled());
        page.Button29->click();
        QVERIFY(Texts(page.ListView9, 0).isEmpty());
        page.ListView8->setCurrentItem(page.ListView8->findItems("EQ", Qt::MatchExactly)[0]);
        page.Button28->click();
        page.ListView9->setCurrentItem(page.ListView9->topLevelItem(0));
        QTest::keyClick(page.ListView9, Qt::Key_Delete);
        QVERIFY(Texts(page.ListView9, 0).isEmpty());

        page.ComboBox8->setCurrentIndex(3);
        emit page.ComboBox8->activated(3);
        TFader fader;
        GetFader(*project->Device(0), 1, fader);
        QCOMPARE(int(fader.GlobalPot), 3);

        page.Button27->click();
        QCOMPARE(Texts(page.ListView6, 1), QStringList({"Mic CH5", "", ""}));
    }

    void linesDragBetweenTheLists()
    {
        TChannelAssignmentPage page(host, nullptr);
        page.show();
        page.FillChannelAssignment();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        // The line dragged as the window system delivers it, released on a line or below the lines.
        const auto drop = [](QTreeWidget* from, QTreeWidget* to, int line) {
            const QPoint at = line >= 0 ? to->visualItemRect(to->topLevelItem(line)).center()
                                        : QPoint(5, to->viewport()->height() - 2);
            WindowDrag drag(MakeRowDrag(from), Qt::MoveAction);
            drag.MoveTo(to->viewport(), at);
            return drag.Drop();
        };

        // "Mic" dropped on fader 3; faders take no line of the chain lists.
        page.ListView7->setCurrentItem(page.ListView7->topLevelItem(1));
        QVERIFY(!drop(page.ListView8, page.ListView6, 2));
        QVERIFY(drop(page.ListView7, page.ListView6, 2));
        QCOMPARE(Texts(page.ListView6, 1), QStringList({"", "", "Mic CH5"}));

        // Fader 3 dragged onto fader 1 swaps them.
        page.ListView6->setCurrentItem(page.ListView6->topLevelItem(2));
        QVERIFY(drop(page.ListView6, page.ListView6, 0));
        QCOMPARE(Texts(page.ListView6, 1), QStringList({"Mic CH5", "", ""}));
        QCOMPARE(page.ListView6->currentItem()->text(0), QString("1"));

        // Functions dragged in below the rows are appended, dragged onto a row moved there,
        // and dragged back out removed. The lists show each function's icon.
        page.ListView6SelectItem();
        page.ListView8->setCurrentItem(page.ListView8->findItems("EQ", Qt::MatchExactly)[0]);
        QVERIFY(drop(page.ListView8, page.ListView9, -1));
        page.ListView8->setCurrentItem(page.ListView8->findItems("Limiter", Qt::MatchExactly)[0]);
        QVERIFY(drop(page.ListView8, page.ListView9, -1));
        QCOMPARE(Texts(page.ListView9, 0), QStringList({"EQ", "Limiter"}));
        QVERIFY(!page.ListView9->topLevelItem(0)->icon(0).isNull());
        page.ListView9->setCurrentItem(page.ListView9->topLevelItem(1));
        QVERIFY(drop(page.ListView9, page.ListView9, 0));
        QCOMPARE(Texts(page.ListView9, 0), QStringList({"Limiter", "EQ"}));
        page.ListView9->setCurrentItem(page.ListView9->topLevelItem(0));
        QVERIFY(!drop(page.ListView9, page.ListView6, 0));
        QVERIFY(drop(page.ListView9, page.ListView8, 0));
        QCOMPARE(Texts(page.ListView9, 0), QStringList({"EQ"}));

        // Exceeded processing limits refuse new functions already over the list.
        project->Device(0)->FLimitExceeded |= 0x04;
        QVERIFY(!drop(page.ListView8, page.ListView9, -1));
        project->Device(0)->FLimitExceeded = 0;

        // A fader line dragged onto "Defined Channels" gives its channel back.
        page.ListView6->setCurrentItem(page.ListView6->topLevelItem(0));
        QVERIFY(drop(page.ListView6, page.ListView7, -1));
        QCOMPARE(Texts(page.ListView6, 1), QStringList({"", "", ""}));
        QCOMPARE(Texts(page.ListView7, 0), QStringList({"CD", "Mic"}));
    }
};

QTEST_MAIN(ChannelAssignmentPageTest)
#include "channelassignmentpage_qtest.moc"
