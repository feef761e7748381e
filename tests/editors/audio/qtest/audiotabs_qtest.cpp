// The Audio System tabs over a real device: placed into their tabs by caption, filled on show,
// and the edits that only the widgets decide (labels stored when editing ends, the refused bus
// shown again, the log lines of the external pots).
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <memory>

#include "editors/audio/audiotabpage.h"
#include "editors/audio/grouplogicpage.h"
#include "editors/audio/mixingpage.h"
#include "editors/audio/monitorpage.h"
#include "editors/audio/poolspotspage.h"
#include "editors/audio/sourcelistspage.h"
#include "editors/audio/syncpage.h"
#include "fakehost.h"
#include "model/faderaccess.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/smallrecordaccess.h"
#include "model/superoutputs.h"
#include "platform/currentprompter.h"
#include "platform/prompter.h"
#include "recordinghost.h"
#include "sourcebuilder.h"

using namespace kvr::editors;
using namespace kvr::model;
using namespace kvr::model::test;

namespace {
struct LoggingHost : kvr::editors::test::FakeHost {
    std::vector<std::pair<std::string, int>> lines;
    void Log(const std::string& Line, int Level) override { lines.push_back({Line, Level}); }
};

template <class Page>
Page* PageIn(QTabWidget& tabs, const char* caption)
{
    for (int i = 0; i < tabs.count(); ++i)
        if (tabs.tabText(i) == caption)
            return dynamic_cast<Page*>(AudioTabPageOf(tabs.widget(i)));
    return nullptr;
}

QStringList Lines(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}
} // namespace

class AudioTabsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<RecordingHost> modelHost;
    std::unique_ptr<TProject> project;
    LoggingHost host;
    kvr::platform::ScriptedPrompter* prompts = nullptr;
    std::unique_ptr<QTabWidget> tabs;
    TDevice* dev = nullptr;

private slots:
    void init()
    {
        modelHost = std::make_unique<RecordingHost>();
        project = std::make_unique<TProject>();
        project->AddDevice();
        dev = project->Device(0);
        host.project = project.get();
        auto script = std::make_unique<kvr::platform::ScriptedPrompter>();
        prompts = script.get();
        kvr::platform::setPrompter(std::move(script));
        tabs = std::make_unique<QTabWidget>();
        for (const char* caption : {"Monitor Functions", "Mixing Functions", "Input Pools", "Synchronisation", "Potentiometer",
                                    "Mute Logics", "Selector Source Lists", "Group Logic", "Inserts", "Global Pool"})
            tabs->addTab(new QWidget, caption);
        BuildAudioTabPages(host, tabs.get());
        tabs->show();
    }
    void cleanup()
    {
        tabs.reset();
        kvr::platform::setPrompter(nullptr);
        project.reset();
        modelHost.reset();
    }

    void pagesSitInTheirTabs()
    {
        QVERIFY(PageIn<TMonitorFunctionsPage>(*tabs, "Monitor Functions"));
        QVERIFY(PageIn<TInputPoolsPage>(*tabs, "Input Pools"));
        QVERIFY(PageIn<TSynchronisationPage>(*tabs, "Synchronisation"));
        QVERIFY(PageIn<TPotentiometerPage>(*tabs, "Potentiometer"));
        QVERIFY(PageIn<TMuteLogicsPage>(*tabs, "Mute Logics"));
        QVERIFY(PageIn<TSourceListsPage>(*tabs, "Selector Source Lists"));
        QVERIFY(PageIn<TGroupLogicPage>(*tabs, "Group Logic"));
        QVERIFY(PageIn<TMixingFunctionsPage>(*tabs, "Mixing Functions"));
        QVERIFY(!AudioTabPageOf(tabs->widget(8)));
    }

    void sourceListsAddLabelAndClear()
    {
        auto* page = PageIn<TSourceListsPage>(*tabs, "Selector Source Lists");
        tabs->setCurrentWidget(page->parentWidget());
        page->TabShow();
        QCOMPARE(page->ListBox6->count(), 10);
        QCOMPARE(page->ListBox6->item(9)->text(), QString("Source List 10"));
        QCOMPARE(page->Label103->text(), QString("250 entries available"));
        QVERIFY(!page->Button54->isEnabled());

        page->Button53->click();
        QCOMPARE(page->ListView20->topLevelItemCount(), 1);
        QCOMPARE(CurrentRow(page->ListView20), 0);
        QVERIFY(page->Button54->isEnabled());
        QVERIFY(page->Edit28->isEnabled());
        QCOMPARE(page->Label103->text(), QString("249 entries available"));

        QTest::keyClicks(page->Edit28, "Studio A1");
        QCOMPARE(page->Edit28->text(), QString("Studio A"));
        QCOMPARE(page->ListView20->topLevelItem(0)->text(1), QString("Studio A"));
        page->Edit27->selectAll();
        QTest::keyClicks(page->Edit27, "Studios");
        QCOMPARE(page->ListBox6->item(0)->text(), QString("Studios"));
        TSourceList list;
        QCOMPARE(GetSourceList(*dev, 0, list), 1);
        QCOMPARE(std::string(list.Entries[0].Text.data(), 8), std::string("Studio A"));

        page->Button56->click();
        QCOMPARE(page->ListBox6->item(0)->text(), QString("Source List 1"));
        QCOMPARE(page->ListView20->topLevelItemCount(), 0);
        QCOMPARE(GetSourceList(*dev, 0, list), 0);
    }

    void poolLabelEmptiedOnlyWhenEditingEnds()
    {
        Bytes channel = FaderRec(5, "Mic");
        channel[18] = 1; // pool 0
        SetHeaderBytes(*dev, {{dh::FaderChannelCount, 1}});
        dev->SetData(stFCH, channel);
        dev->SetData(stPoolNames, {});
        auto* page = PageIn<TInputPoolsPage>(*tabs, "Input Pools");
        tabs->setCurrentWidget(page->parentWidget());
        page->TabShow();
        page->Button59->click();
        page->Button59->click();
        QCOMPARE(Lines(page->ListBox3), QStringList({"Pool 1", "Pool 2"}));
        page->ListBox3->setCurrentRow(0);
        page->Edit21->setFocus();
        page->Edit21->end(false);
        for (int k = 0; k < 6; ++k)
            QTest::keyClick(page->Edit21, Qt::Key_Backspace);
        QCOMPARE(page->Edit21->text(), QString());
        // Still pool 0 with its channel while the user types.
        QTest::keyClicks(page->Edit21, "Studio");
        std::string name;
        QCOMPARE(GetPoolName(*dev, 0, name), 1);
        QCOMPARE(name, std::string("Studio"));
        TFaderChannel c;
        GetFaderChannel(*dev, 5, c);
        QCOMPARE(c.PoolFlags & 0x0F, 1);

        // Emptied and Enter: now the pool goes, with its channel's membership.
        page->Edit21->selectAll();
        QTest::keyClick(page->Edit21, Qt::Key_Backspace);
        QCOMPARE(GetPoolName(*dev, 0, name), 1);
        QTest::keyClick(page->Edit21, Qt::Key_Return);
        QCOMPARE(GetPoolName(*dev, 0, name), 0);
        GetFaderChannel(*dev, 5, c);
        QCOMPARE(c.PoolFlags & 0x0F, 0);

        // Sixteen pools do not exist.
        for (int k = 0; k < 14; ++k)
            page->Button59->click();
        QCOMPARE(page->ListBox3->count(), 15);
        page->Button59->click();
        QCOMPARE(prompts->records().size(), std::size_t(1));
        QCOMPARE(prompts->records()[0].text, QString("Cannot add more pools!"));
    }

    void potsLogTheirExternalInputsAndKeepThemWhileTyping()
    {
        dev->SetSetupData(4, CardRec(122,
                                     {{"Mic 1", 0x0500}, {"Mic 2", 0x0501}, {"Mic 3", 0x0502}, {"Mic 4", 0x0503},
                                      {"Phones 1", 0x0580}, {"Phones 2", 0x0581}},
                                     {"GPI 1", "GPO 1", "Fader A", "GPO 2", "GPI 2", "GPO 3", "Fader B", "GPO 4"}));
        auto* page = PageIn<TPotentiometerPage>(*tabs, "Potentiometer");
        tabs->setCurrentWidget(page->parentWidget());
        page->TabShow();
        QCOMPARE(host.lines, (std::vector<std::pair<std::string, int>>{{"GPIPotTable: Added Slot 5, GPI3", 2},
                                                                       {"GPIPotTable: Added Slot 5, GPI7", 2}}));
        QCOMPARE(page->ListView19->topLevelItemCount(), 122);
        QVERIFY(page->ComboBox11->isHidden());
        page->ListView19->setCurrentItem(page->ListView19->topLevelItem(11));
        QVERIFY(!page->ComboBox11->isHidden());
        QCOMPARE(page->ComboBox11->count(), 3);
        page->ComboBox11->setCurrentIndex(2);
        emit page->ComboBox11->activated(2);
        QCOMPARE(page->ListView19->topLevelItem(11)->text(3), QString("Fader B"));

        page->Edit26->setFocus();
        page->Edit26->selectAll();
        QTest::keyClick(page->Edit26, Qt::Key_Backspace);
        QTest::keyClicks(page->Edit26, "Ext");
        int slot = 0, gpi = 0;
        QCOMPARE(GetPotiAssign(*dev, 12, slot, gpi), 1);
        QCOMPARE(page->ListView19->topLevelItem(11)->text(2), QString("Ext"));

        // The balance rows offer no external pot.
        page->ListView19->setCurrentItem(page->ListView19->topLevelItem(120));
        QVERIFY(page->ComboBox11->isHidden());
    }

    void aRefusedBusShowsTheStoredOneAgain()
    {
        SetHeaderBytes(*dev, {{dh::ProgramBusCount, 3}, {dh::FaderChannelCount, 1}});
        dev->SetData(stBus, Concat({BusRec("PGM1", true), BusRec("PGM2", true), BusRec("PGM3", true)}));
        dev->SetData(stFCH, FaderRec(5, "Mic"));
        SetGroupLogic(*dev, {3, 5, 1, 5, 0, 0, 0, 0});
        auto* page = PageIn<TGroupLogicPage>(*tabs, "Group Logic");
        page->TabShow();
        QCOMPARE(page->GroupPGMLogicBox[1]->currentText(), QString("PGM1"));
        QCOMPARE(page->GroupFCHLogicBox[0]->currentText(), QString("Mic"));
        page->GroupPGMLogicBox[1]->setCurrentIndex(3);
        emit page->GroupPGMLogicBox[1]->activated(3);
        QCOMPARE(prompts->records().size(), std::size_t(1));
        QCOMPARE(prompts->records()[0].text, QString("This bus is already assigned to another group logic!"));
        QCOMPARE(page->GroupPGMLogicBox[1]->currentText(), QString("PGM1"));
        QCOMPARE(int(GetGroupLogic(*dev)[2]), 1);

        // A channel without bus is cleared when the tab is left.
        page->GroupFCHLogicBox[2]->setCurrentIndex(1);
        emit page->GroupFCHLogicBox[2]->activated(1);
        QCOMPARE(int(GetGroupLogic(*dev)[5]), 5);
        page->TabHide();
        QCOMPARE(int(GetGroupLogic(*dev)[5]), 0);
    }

    void muteLogicsAndPFL()
    {
        auto* page = PageIn<TMuteLogicsPage>(*tabs, "Mute Logics");
        tabs->setCurrentWidget(page->parentWidget());
        page->TabShow();
        QCOMPARE(page->ListBox5->count(), 5);
        QVERIFY(!page->Edit1->isEnabled());
        page->ListBox5->setCurrentRow(1);
        QVERIFY(page->Edit1->isEnabled());
        page->Edit1->selectAll();
        QTest::keyClicks(page->Edit1, "Studio mute");
        QCOMPARE(page->ListBox5->item(1)->text(), QString("Studio mute"));
        QTest::mouseClick(page->PFL_ML_Box, Qt::LeftButton);
        QCOMPARE(int(dev->Header()[dh::MuteOptions] & 0x80), 0x80);
    }

    void syncWithoutTenthSlotCardIsDisabled()
    {
        auto* page = PageIn<TSynchronisationPage>(*tabs, "Synchronisation");
        dev->SetSetupData(9, {});
        page->TabShow();
        QVERIFY(!page->Group->isEnabled());
        dev->SetSetupData(9, Bytes{0x01, 0x2C, 0, 0, 0, 0});
        page->TabShow();
        QVERIFY(page->Group->isEnabled());
        QCOMPARE(page->ComboBox10->count(), 2);
        page->ComboBox10->setCurrentIndex(1);
        emit page->ComboBox10->activated(1);
        QVERIFY(!page->SyncBNCOut->isEnabled());
    }

    void monitorClearAll()
    {
        auto* page = PageIn<TMonitorFunctionsPage>(*tabs, "Monitor Functions");
        page->TabShow();
        QCOMPARE(page->ListView18->topLevelItemCount(), 12);
        QCOMPARE(page->ListView22->topLevelItemCount(), 30);
        QVERIFY(!page->ComboBox13->isEnabled());
        page->ListView22->setCurrentItem(page->ListView22->topLevelItem(2));
        QVERIFY(page->ComboBox13->isEnabled());
        page->ComboBox13->setCurrentIndex(4);
        emit page->ComboBox13->activated(4);
        QCOMPARE(GetRotSelSourceList(*dev, 2), 3);
        QCOMPARE(page->ListView22->topLevelItem(2)->text(1), QString("Source List 4"));
    }
};

QTEST_MAIN(AudioTabsTest)
#include "audiotabs_qtest.moc"
