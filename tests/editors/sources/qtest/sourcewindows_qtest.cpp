// The two source windows over a real project: double click assigns, Escape closes, level and
// phase reach the reference, drop targets tell the trees' drags apart.
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <memory>

#include "controls/kvrpoti3.h"
#include "editors/sources/audioreswin.h"
#include "editors/common/editorhost.h"
#include "editors/sources/reswindow.h"
#include "fakehost.h"
#include "faketarget.h"
#include "model/project.h"
#include "platform/currentprompter.h"
#include "platform/prompter.h"
#include "recordinghost.h"
#include "sourcebuilder.h"

using namespace kvr::editors;
using namespace kvr::model;
using namespace kvr::model::test;
using kvr::editors::test::FakeHost;
using kvr::editors::test::FakeTarget;

namespace {

// A page that takes only drags of one tree.
class DropPage : public QWidget {
public:
    explicit DropPage(SourceDragKind kind) : FKind(kind) { setAcceptDrops(true); }
    void dragEnterEvent(QDragEnterEvent* e) override
    {
        if (IsSourceDrag(e->mimeData(), FKind))
            e->acceptProposedAction();
        else
            e->ignore();
    }

private:
    SourceDragKind FKind;
};

QTreeWidgetItem* ItemByText(QTreeWidget* tree, const QString& text)
{
    const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

void DoubleClick(QTreeWidget* tree, QTreeWidgetItem* item)
{
    if (item->parent())
        item->parent()->setExpanded(true);
    tree->scrollToItem(item);
    const QPoint at = tree->visualItemRect(item).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class SourceWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<RecordingHost> modelHost;
    std::unique_ptr<TProject> project;
    FakeHost host;
    TDevice* dev = nullptr;

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
        host.project = project.get();
        kvr::platform::setPrompter(std::make_unique<kvr::platform::ScriptedPrompter>());
    }
    void cleanup()
    {
        kvr::platform::setPrompter(nullptr);
        project.reset();
        modelHost.reset();
    }

    void logicWindowAssignsByDoubleClickAndClosesOnEscape()
    {
        TResWindow window(host, nullptr);
        FakeTarget target;
        window.SetTarget(22, &target);
        window.SetTargetKind(22);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QString("Logic Sources in Studio A"));
        QTreeWidgetItem* voice = ItemByText(window.TreeView1, "Voice");
        QVERIFY(voice);
        DoubleClick(window.TreeView1, voice);
        QCOMPARE(int(kvr::readBE16(dev->GetHeader(), dh::PreparationLogic)), 1286);
        QCOMPARE(int(target.refreshed.size()), 1);

        // A group node disables Assign, and a double click on it writes nothing.
        DoubleClick(window.TreeView1, ItemByText(window.TreeView1, "System Functions"));
        QVERIFY(!window.Button2->isEnabled());
        QCOMPARE(int(target.refreshed.size()), 1);

        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(!window.isVisible());
    }

    // Among all devices, a change of one device builds only that device's items again; every
    // item still names its node, also after the kept ones moved down the node list.
    void logicWindowKeepsTheItemsOfDevicesThatDidNotChange()
    {
        for (const char* name : {"Studio B", "Studio C"}) {
            TDevice& other = *project->Device(project->AddDevice());
            other.SetName(name);
            other.SetData(stLogicDelay, DelayRec(name));
        }
        TResWindow window(host, nullptr);
        window.SetGroupFilter(8);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto matchesNodes = [&window] {
            const SourceNodes& nodes = window.Tree().Nodes();
            int roots = 0;
            for (std::size_t i = 0; i < nodes.size(); ++i) {
                QTreeWidgetItem* item = window.TreeView1->ItemOf(static_cast<int>(i));
                QVERIFY(item);
                QCOMPARE(item->text(0), QString::fromStdString(nodes[i].Text));
                QCOMPARE(SourceTreeWidget::NodeOf(item), static_cast<int>(i));
                QCOMPARE(item->parent(), nodes[i].Parent < 0 ? nullptr : window.TreeView1->ItemOf(nodes[i].Parent));
                roots += nodes[i].Parent < 0 ? 1 : 0;
            }
            QCOMPARE(window.TreeView1->topLevelItemCount(), roots);
        };
        matchesNodes();
        QTreeWidgetItem* a = ItemByText(window.TreeView1, "Studio A");
        QTreeWidgetItem* b = ItemByText(window.TreeView1, "Studio B");
        QTreeWidgetItem* c = ItemByText(window.TreeView1, "Studio C");

        dev->SetData(stLogicDelay, Concat({DelayRec("One"), DelayRec("Two")}));
        dev->FLogicSourcesChanged = true;
        window.BuildSourceTree();
        QVERIFY(ItemByText(window.TreeView1, "Studio A") != a);
        QCOMPARE(ItemByText(window.TreeView1, "Studio B"), b);
        QCOMPARE(ItemByText(window.TreeView1, "Studio C"), c);
        QVERIFY(ItemByText(window.TreeView1, "LD Two"));
        matchesNodes();

        // The replaced items go when the event loop runs; the kept ones stay, also while the
        // window shows one device and its sources change there.
        QCoreApplication::processEvents();
        matchesNodes();
        window.SetGroupFilter(0);
        window.BuildSourceTree();
        QVERIFY(!ItemByText(window.TreeView1, "Studio B"));
        matchesNodes();
        dev->SetData(stLogicDelay, DelayRec("Three"));
        dev->FLogicSourcesChanged = true;
        window.BuildSourceTree();
        QCoreApplication::processEvents();
        window.SetGroupFilter(8);
        window.BuildSourceTree();
        QCOMPARE(ItemByText(window.TreeView1, "Studio B"), b);
        QCOMPARE(ItemByText(window.TreeView1, "Studio C"), c);
        QVERIFY(ItemByText(window.TreeView1, "LD Three"));
        QVERIFY(!ItemByText(window.TreeView1, "LD Two"));
        matchesNodes();
    }

    void logicWindowSelectsWithConditionAndRefusesOff()
    {
        TResWindow window(host, nullptr);
        window.SetGroupFilter(1);
        window.SetConditionVisible(true);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.SelectLogicSource(0x8000 | 1285);
        QCOMPARE(window.TreeView1->currentItem()->text(0), QString("OffAir"));
        QVERIFY(window.Conditions[3]->isChecked());
        QCOMPARE(window.GetDeviceID(), std::int64_t(dev->GetDeviceID()));

        FakeTarget target;
        window.SetTarget(22, &target);
        window.SetTargetKind(22);
        window.SelectLogicSource(0x3FFF);
        window.Button2->click();
        auto& prompts = static_cast<kvr::platform::ScriptedPrompter&>(kvr::platform::prompter());
        QCOMPARE(prompts.records().size(), std::size_t(1));
        QCOMPARE(prompts.records()[0].text, QString("Logic function \"Off\" can only be assigned to \"Ready signalisation\""));
        QVERIFY(target.refreshed.empty());
    }

    void audioWindowAssignsWithLevelPotAndPhase()
    {
        TAudioResWin window(host, nullptr);
        FakeTarget target;
        window.SetTarget(2, &target);
        window.SetTarget(12, &target);
        window.SetDeviceIndex(0);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QString("Audio Sources in Studio A"));

        // Talk 1 by double click: the phase box is ignored while its panel is hidden.
        window.SetTargetKind(12);
        window.SelectAudioSource(0x8000 | 0x6003);
        QVERIFY(window.CheckBox1->isChecked());
        DoubleClick(window.TreeView1, ItemByText(window.TreeView1, "Main L"));
        QCOMPARE(int(kvr::readBE16(dev->GetHeader(), dh::Talk1Source)), 0x6002);

        window.SetOptionPanelVisible(true);
        window.SetLevel(-100);
        QCOMPARE(window.Panel3->text(), QString("Off"));
        window.SetLevel(-6);
        QCOMPARE(window.Panel3->text(), QString("-6 dB"));
        QCOMPARE(window.FLevel, -6);
        window.SelectPot(123);
        QCOMPARE(window.ComboBox1->currentText(), QString("Balance 2 L"));
        target.sel = {0, 0};
        window.SetTargetKind(2);
        window.Assign();
        // No output function 0: nothing written, and nothing taken.
        QVERIFY(target.taken.empty());
        window.SetTarget(5, &target);
        window.SetTargetKind(5);
        // The user's clicks on the phase box count now that its panel shows.
        for (const int ref : {0x6002, 0x8000 | 0x6002}) {
            QTest::mouseClick(window.CheckBox1, Qt::LeftButton);
            QCOMPARE(window.CheckBox1->isChecked(), ref != 0x6002);
            window.Assign();
            QCOMPARE(int(target.taken.back().source.Ref), ref);
        }
        QCOMPARE(target.taken.back().source.Level, -6);
        QCOMPARE(target.taken.back().source.Pot, 123);

        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(!window.isVisible());
    }

    void dropTargetsTakeOnlyTheirOwnTreesDrags()
    {
        DropPage logicPage(SourceDragKind::Logic);
        for (const auto& [kind, accepted] : {std::pair{SourceDragKind::Logic, true}, std::pair{SourceDragKind::Audio, false}}) {
            std::unique_ptr<QMimeData> data(MakeSourceDrag(kind));
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, {});
            QCoreApplication::sendEvent(&logicPage, &enter);
            QCOMPARE(enter.isAccepted(), accepted);
        }
        QMimeData text;
        text.setText("Voice");
        QVERIFY(!IsSourceDrag(&text, SourceDragKind::Logic));
    }
};

QTEST_MAIN(SourceWindowsTest)
#include "sourcewindows_qtest.moc"
