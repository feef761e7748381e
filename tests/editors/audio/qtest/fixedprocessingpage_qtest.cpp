// The Fixed Processing page over a real device: a processing with functions added from the
// offer lists, the type message, and a double click that opens the options dialog.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

#include "controls/kvrpoti3.h"
#include "editors/dsp/devparaform.h"
#include "editors/audio/fixedprocessingpage.h"
#include "editors/sources/rowdrag.h"
#include "editors/common/sourceassign.h"
#include "fakehost.h"
#include "model/outputfunctions.h"
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

class FixedProcessingPageTest : public QObject {
    Q_OBJECT

    std::unique_ptr<RecordingHost> modelHost;
    std::unique_ptr<TProject> project;
    kvr::editors::test::FakeHost host;
    kvr::platform::ScriptedPrompter* prompts = nullptr;

    static QTreeWidgetItem* ItemNamed(QTreeWidget* list, const QString& name)
    {
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->text(0) == name)
                return list->topLevelItem(i);
        return nullptr;
    }
    static void DoubleClick(QTreeWidget* list, QTreeWidgetItem* item)
    {
        const QPoint at = list->visualItemRect(item).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

private slots:
    void init()
    {
        modelHost = std::make_unique<RecordingHost>();
        project = std::make_unique<TProject>();
        project->AddDevice();
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

    void addFunctionsAndEditOne()
    {
        TFixedProcessingPage page(host, nullptr);
        page.resize(1000, 600);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.FillFixedProcessing();
        QCOMPARE(page.ListBox2->count(), 0);
        QVERIFY(page.GroupBox32->isHidden());

        QTest::mouseClick(page.Button40, Qt::LeftButton);
        QCOMPARE(page.ListBox2->count(), 1);
        QCOMPARE(page.ListBox2->currentRow(), 0);
        QCOMPARE(page.ListBox2->item(0)->text(), QString("Proc 1"));
        QVERIFY(page.GroupBox32->isVisible());
        QVERIFY(page.CheckBox20->isChecked());

        // Two EQs (double click, then "<<"), then the limit of one compressor.
        DoubleClick(page.ListView17, ItemNamed(page.ListView17, "EQ"));
        QTest::mouseClick(page.Button38, Qt::LeftButton);
        QCOMPARE(page.ListView16->topLevelItemCount(), 2);
        page.ListView17->setCurrentItem(ItemNamed(page.ListView17, "Compressor"));
        QTest::mouseClick(page.Button38, Qt::LeftButton);
        QVERIFY(prompts->records().empty());
        QTest::mouseClick(page.Button38, Qt::LeftButton);
        QCOMPARE(prompts->records().size(), std::size_t{1});
        QCOMPARE(prompts->records()[0].kind, kvr::platform::ScriptedPrompter::Record::Message);
        QCOMPARE(prompts->records()[0].text, QString("Max. 1 functions of this type allowed!"));
        QCOMPARE(page.ListView16->topLevelItemCount(), 3);
        QCOMPARE(page.ListView16->topLevelItem(2)->text(0), QString("Compressor"));

        // A double click on the compressor opens its panel; Escape leaves the words alone.
        TFixedProcessing before;
        QCOMPARE(GetFixedProcessing(*project->Device(0), 0, before), 1);
        QString panelSeen, textSeen;
        QTimer::singleShot(0, this, [&] {
            auto* form = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(form != nullptr);
            QVERIFY(form->findChild<QWidget*>("KompressorPanel") != nullptr);
            auto* knob = form->findChild<kvr::controls::TKVRPoti3*>("KompGainPoti");
            knob->setFocus();
            QTest::keyClick(knob, Qt::Key_PageUp);
            textSeen = form->findChild<QLabel*>("KompGainPotiText")->text();
            panelSeen = form->findChild<QLabel*>("PanelTitle")->text();
            QTest::keyClick(form, Qt::Key_Escape);
        });
        DoubleClick(page.ListView16, page.ListView16->topLevelItem(2));
        QCOMPARE(panelSeen, QString("Compressor"));
        QCOMPARE(textSeen, QString("10 dB"));
        TFixedProcessing after;
        QCOMPARE(GetFixedProcessing(*project->Device(0), 0, after), 1);
        QCOMPARE(after.Functions[2].Params[0], before.Functions[2].Params[0]);

        // The label as typed, the list line with it; the audio-source window writes to this line.
        page.Edit20->selectAll();
        QTest::keyClicks(page.Edit20, "Voice");
        QCOMPARE(page.ListBox2->item(0)->text(), QString("Voice"));
        QCOMPARE(GetFixedProcessing(*project->Device(0), 0, after), 1);
        QCOMPARE(QString::fromLatin1(after.Label.data(), 5), QString("Voice"));
        QCOMPARE(page.Selection(atFixedProcessing).Element, 0);
        QTest::mouseClick(page.CheckBox20, Qt::LeftButton, {}, QPoint(5, page.CheckBox20->height() / 2));
        QCOMPARE(GetFixedProcessing(*project->Device(0), 0, after), 1);
        QVERIFY(!after.IsStereo());
        QVERIFY(!page.CheckBox20->isChecked());

        // Exceeded processings: no adding, removing still works.
        project->Device(0)->FLimitExceeded = 0x04;
        page.ListBox2Click();
        QVERIFY(!page.Button38->isEnabled());
        QVERIFY(!page.Button58->isEnabled());
        // Dragged as the window system delivers it: over the chain's first row, over an offer list.
        const auto takes = [](QTreeWidget* from, QTreeWidget* onto) {
            WindowDrag drag(MakeRowDrag(from), Qt::MoveAction);
            return drag.MoveTo(onto->viewport(), onto->visualItemRect(onto->topLevelItem(0)).center());
        };
        QVERIFY(!takes(page.ListView17, page.ListView16));
        QVERIFY(takes(page.ListView16, page.ListView16)); // moving adds nothing
        QVERIFY(takes(page.ListView16, page.ListView10));
        QVERIFY(!takes(page.ListView17, page.ListView10));
        page.ListView16->setCurrentItem(page.ListView16->topLevelItem(0));
        QTest::mouseClick(page.Button39, Qt::LeftButton);
        QCOMPARE(page.ListView16->topLevelItemCount(), 2);
    }
};

QTEST_MAIN(FixedProcessingPageTest)
#include "fixedprocessingpage_qtest.moc"
