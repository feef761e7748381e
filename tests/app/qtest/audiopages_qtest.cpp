// The Audio System pages follow the project tree, and the source windows follow the pages.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QTabBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <array>
#include <cstring>

#include "app/appforms.h"
#include "app/mainform.h"
#include "app/qtmodelhost.h"
#include "editors/sources/audioreswin.h"
#include "editors/audio/channelassignmentpage.h"
#include "editors/audio/faderchannelframe.h"
#include "editors/audio/fixedprocessingpage.h"
#include "editors/audio/outputroutingwidget.h"
#include "editors/sources/rowdrag.h"
#include "editors/sources/sourcedrag.h"
#include "model/faderaccess.h"
#include "model/logicaccess.h"
#include "editors/sources/reswindow.h"
#include "model/cardrecords.h"
#include "model/channelname.h"
#include "model/device.h"
#include "model/modelhost.h"
#include "model/project.h"
#include "model/summingbuses.h"
#include "platform/currentprompter.h"
#include "platform/settingsstore.h"
#include "support/windowdrag.h"

using namespace kvr::app;
using namespace kvr::editors;
using kvr::testsupport::WindowDrag;

class AudioPagesTest : public QObject {
    Q_OBJECT

    QtModelHost host;
    TCX4AppForm* form = nullptr;

    // Selects the node as a user does and runs the page switch the change delay would run.
    void Select(int device, const char* text)
    {
        const auto& nodes = form->TreeNodes();
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            if (nodes[i].Device == device && nodes[i].Text == text) {
                form->ProjectTree->setCurrentItem(form->TreeItem(static_cast<int>(i)));
                form->TreeChangeDelay->stop();
                form->ProjectTreeChange();
                return;
            }
        }
        QFAIL(text);
    }
    // The frame carries no meta-object of its own: found by name.
    TFaderChannelFrame* Frame() const
    {
        return dynamic_cast<TFaderChannelFrame*>(form->findChild<QWidget*>("FaderChannelFrame"));
    }
    QString Shown() const { return form->VisiblePage() ? form->VisiblePage()->objectName() : QString(); }

private slots:
    void init()
    {
        kvr::platform::setSettingsStore(std::make_unique<kvr::platform::MemorySettingsStore>());
        kvr::platform::setPrompter(std::make_unique<kvr::platform::ScriptedPrompter>());
        kvr::model::SetModelHost(&host);
        form = CreateApplicationForms();
        form->show();
        form->Action("New2")->trigger();
        form->Button50->click();
        form->Button50->click();
    }
    void cleanup()
    {
        DestroyApplicationForms();
        kvr::model::SetModelHost(nullptr);
        kvr::platform::setPrompter(nullptr);
    }

    void pagesFollowTheTree()
    {
        Select(0, "Output Functions");
        QCOMPARE(Shown(), QString("OutFktPanel"));
        QCOMPARE(AudioResWin->GroupFilter(), 0x27);
        QVERIFY(!AudioResWin->Panel2->isHidden());
        QCOMPARE(AudioResWin->Tree().FDeviceIndex, 0);

        ResWindow->SetTargetKind(3);
        Select(1, "Fader Channels");
        QCOMPARE(Shown(), QString("FaderChannelPanel"));
        QCOMPARE(AudioResWin->GroupFilter(), 0xC1);
        QVERIFY(AudioResWin->Panel2->isHidden());
        QCOMPARE(AudioResWin->Tree().FDeviceIndex, 1);
        QCOMPARE(ResWindow->GroupFilter(), 1);
        QCOMPARE(ResWindow->TargetKind(), 0);
        QCOMPARE(ResWindow->Tree().FBuiltDevice, 1);

        Select(1, "Audio System");
        QCOMPARE(Shown(), QString("AudioPanel"));
        QCOMPARE(form->PageControl2->count(), 10);
        QCOMPARE(form->PageControl2->tabText(9), QString("Global Pool"));
        QCOMPARE(ResWindow->GroupFilter(), 0);

        Select(0, "Fixed Processing");
        QCOMPARE(Shown(), QString("FixFunctionPanel"));
        QCOMPARE(AudioResWin->GroupFilter(), 1);
        QCOMPARE(AudioResWin->Tree().FDeviceIndex, 0);

        Select(1, "Channel Assignment");
        QCOMPARE(Shown(), QString("AssiPanel"));
        QCOMPARE(AudioResWin->GroupFilter(), 0);
        QCOMPARE(form->AssignmentPage->ListView6->topLevelItemCount(), int(form->FProject->DeviceHeader(1)[67]));

        // Leaving the audio system hides its pages.
        Select(0, "Logic System");
        QCOMPARE(Shown(), QString("LogicPanel"));
    }

    // In the main window at its own size the edit group of a processing shows the label whole
    // and the function lists without a horizontal scroll bar.
    void fixedProcessingFitsTheDefaultWindow()
    {
        QCOMPARE(form->size(), QSize(952, 676));
        Select(0, "Fixed Processing");
        TFixedProcessingPage* page = form->FixedProcessingPage;
        page->Button40->click();
        QVERIFY(page->GroupBox32->isVisible());
        page->Edit20->setText("WWWWWWWWWW"); // as wide as the ten characters a label may have
        QApplication::processEvents();
        QVERIFY(form->grab().save("fixedprocessing.png"));
        const QMargins text = page->Edit20->textMargins();
        const QStyle* style = page->Edit20->style();
        const int frame = 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, page->Edit20);
        QVERIFY2(page->Edit20->width() >= page->Edit20->fontMetrics().horizontalAdvance(page->Edit20->text()) + frame + text.left() + text.right(),
                 qPrintable(QString::number(page->Edit20->width())));
        for (QTreeWidget* list : {page->ListView16, page->ListView17, page->ListView10}) {
            QVERIFY2(!list->horizontalScrollBar()->isVisible(), qPrintable(list->objectName()));
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                QTreeWidgetItem* item = list->topLevelItem(i);
                QVERIFY2(list->columnWidth(0) >= list->fontMetrics().horizontalAdvance(item->text(0)), qPrintable(item->text(0)));
            }
        }
        for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{page->Button37, page->CheckBox20, page->Button40, page->Button41})
            QVERIFY2(button->width() >= button->fontMetrics().horizontalAdvance(button->text()), qPrintable(button->text()));
        const QRect visible = page->rect();
        for (QWidget* w : std::initializer_list<QWidget*>{page->Edit20, page->Panel16, page->Button37, page->CheckBox20, page->ListView17})
            QVERIFY2(visible.contains(QRect(w->mapTo(page, QPoint()), w->size())), qPrintable(w->objectName()));
    }

    void routingAssignedInTheWindowSurvivesLeavingThePage()
    {
        kvr::model::TDevice* dev = form->FProject->Model()->Device(0);
        kvr::model::TCardRecord card;
        card.CardType = kvr::model::kCardDigitalIO;
        kvr::model::TChannelEntry out;
        out.ID = static_cast<std::uint16_t>(kvr::model::MakeChannelID(0, 0, 0x80 | 0x2000));
        card.Channels = {out};
        dev->SetSetupData(0, kvr::model::EncodeCardRecord(card));

        Select(0, "Output Routing");
        QCOMPARE(Shown(), QString("OutputRoutePanel"));
        auto& page = form->OutputRoutingPage->Rules();
        QCOMPARE(int(page.Rows().size()), 2);
        page.Select(1);
        // "Routing1 R" of the window's routing group, assigned by its Assign button.
        AudioResWin->SelectAudioSource(0x6B01);
        AudioResWin->SetTargetKind(8);
        AudioResWin->Assign();
        QCOMPARE(int(page.Rows()[1].Ref), 0x6B01);
        page.SetMuteLogic(2, true);

        // The write-back the host runs on leaving keeps the device unchanged.
        dev->SetChangedFlag(false);
        form->WriteBackOutputRouting();
        QVERIFY(!dev->IsChanged());
        Select(0, "Output Functions");
        kvr::model::TChannelOption option;
        option.OutputID = page.Rows()[1].Channel;
        kvr::model::GetChannelOption(*dev, option);
        QCOMPARE(int(option.Source), 0x6B01);
        QCOMPARE(int(option.MuteLogics), 0x04);
    }

    // A tab of the Audio System changed from the keyboard runs the same show and hide routines as
    // a click: the arrow keys on the focused tab bar, and the program's own choice.
    void tabsChangedByKeysShowCurrentData()
    {
        kvr::model::TDevice* dev = form->FProject->Model()->Device(0);
        Select(0, "Audio System");
        QTabWidget* tabs = form->PageControl2;
        QCOMPARE(tabs->currentIndex(), 0);
        const auto tabOf = [tabs](const char* caption) {
            for (int i = 0; i < tabs->count(); ++i)
                if (tabs->tabText(i) == caption)
                    return i;
            return -1;
        };
        const auto frame = [this](const char* name) { return form->findChild<QWidget*>(name) != nullptr; };
        const auto muteName = [this] {
            auto* list = form->findChild<QListWidget*>("ListBox5");
            return list && list->count() > 0 ? list->item(0)->text() : QString();
        };
        const auto setMuteName = [dev](const char* name) {
            std::array<std::uint8_t, 16> field{};
            std::copy_n(name, std::strlen(name), field.begin());
            kvr::model::SetMuteLogicName(*dev, 0, field);
        };
        setMuteName("Studio");
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        tabs->tabBar()->setFocus();
        QVERIFY(tabs->tabBar()->hasFocus());
        // A group without its fader channel, which leaving Group Logic clears.
        const std::vector<std::uint8_t> halfGroup{1, 0, 0, 0, 0, 0, 0, 0};
        for (int tab = 1; tab < tabs->count(); ++tab) {
            QTest::keyClick(tabs->tabBar(), Qt::Key_Right);
            QCOMPARE(tabs->currentIndex(), tab);
            if (tab == tabOf("Mute Logics"))
                QCOMPARE(muteName(), QString("Studio"));
            if (tab == tabOf("Group Logic"))
                dev->SetData(kvr::model::stGroupLogic, halfGroup);
            if (tab == tabOf("Group Logic") + 1) {
                std::vector<std::uint8_t> groups;
                QVERIFY(dev->GetData(kvr::model::stGroupLogic, groups));
                QCOMPARE(int(groups.at(0)), 0);
            }
            QCOMPARE(frame("InsertFrame"), tab == tabOf("Inserts"));
            QCOMPARE(frame("GlobalPoolFrame"), tab == tabOf("Global Pool"));
        }
        // Back with the keys to data changed meanwhile, and a tab the program chooses.
        setMuteName("Booth");
        for (int tab = tabs->count() - 1; tab > tabOf("Mute Logics"); --tab)
            QTest::keyClick(tabs->tabBar(), Qt::Key_Left);
        QCOMPARE(muteName(), QString("Booth"));
        QVERIFY(!frame("GlobalPoolFrame"));
        tabs->setCurrentIndex(tabOf("Inserts"));
        QVERIFY(frame("InsertFrame"));
    }

    void faderChannelFrameLivesWithItsPage()
    {
        kvr::model::TDevice* dev = form->Project()->Device(0);
        kvr::model::AddFaderChannel(*dev);
        kvr::model::AddFaderChannel(*dev);
        Select(0, "Fader Channels");
        auto* frame = Frame();
        QVERIFY(frame);
        QCOMPARE(frame->FCHList->topLevelItemCount(), 2);

        // A MIDI source dropped from the audio tree lands in the selected channel.
        frame->FCHList->setCurrentItem(frame->FCHList->topLevelItem(1));
        QTRY_VERIFY(frame->GeneralGroup->isVisible());
        AudioResWin->SelectAudioSource(0x4600);
        {
            WindowDrag drag(MakeSourceDrag(SourceDragKind::Audio), Qt::CopyAction);
            QVERIFY(drag.MoveTo(frame->Panel10));
            QVERIFY(drag.Drop());
        }
        kvr::model::TFaderChannel channel;
        QCOMPARE(kvr::model::GetFaderChannel(*dev, 2, channel), 1);
        QCOMPARE(int(channel.Source), 0x4600);
        QTRY_COMPARE(frame->FCHList->topLevelItem(1)->text(0), QString("CH2 MID1"));
        QCOMPARE(frame->FCHList->topLevelItem(1)->text(1), QString("MIDI 1"));
        // The window's own Assign reaches the list too.
        AudioResWin->SelectAudioSource(0x4601);
        AudioResWin->Assign();
        QTRY_COMPARE(frame->FCHList->topLevelItem(1)->text(1), QString("MIDI 2"));
        QTRY_VERIFY(frame->FaderstartGroup->isHidden());
        QVERIFY(frame->LogicGroup->isHidden());
        // A MIDI source is no monitor source.
        {
            WindowDrag drag(MakeSourceDrag(SourceDragKind::Audio), Qt::CopyAction);
            QVERIFY(!drag.MoveTo(frame->Panel11));
            QVERIFY(!drag.Drop());
        }

        // Another device's page builds a frame for that device; other pages free it.
        Select(1, "Fader Channels");
        frame = Frame();
        QVERIFY(frame);
        QCOMPARE(frame->FCHList->topLevelItemCount(), 0);
        // No channel to edit: from the moment the page is built no field takes a label that
        // would be written nowhere.
        QVERIFY(frame->GeneralGroup->isHidden());
        QCOMPARE(form->findChildren<QWidget*>("FaderChannelFrame").size(), 1);
        Select(1, "Channel Assignment");
        QVERIFY(!Frame());
    }
};

QTEST_MAIN(AudioPagesTest)
#include "audiopages_qtest.moc"
