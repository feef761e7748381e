// The Audio System pages follow the project tree, and the source windows follow the pages.
#include <QAction>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "app/appforms.h"
#include "app/mainform.h"
#include "app/qtmodelhost.h"
#include "editors/audioreswin.h"
#include "editors/channelassignmentpage.h"
#include "editors/outputroutingwidget.h"
#include "editors/reswindow.h"
#include "model/cardrecords.h"
#include "model/channelname.h"
#include "model/device.h"
#include "model/modelhost.h"
#include "model/project.h"
#include "model/summingbuses.h"
#include "platform/currentprompter.h"
#include "platform/settingsstore.h"

using namespace kvr::app;

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
};

QTEST_MAIN(AudioPagesTest)
#include "audiopages_qtest.moc"
