// The key options of the console page reach the main window's source windows: a logic source
// assigned to a row of a user-defined key's lamp-source list lands in the key's record.
#include <QComboBox>
#include <QGroupBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "app/appforms.h"
#include "app/mainform.h"
#include "app/qtmodelhost.h"
#include "console/keycaption.h"
#include "console/moduleplacement.h"
#include "console/pages/consolepage.h"
#include "console/pages/keyoptionspanel.h"
#include "console/pages/keysourcepicker.h"
#include "editors/sources/reswindow.h"
#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/keyaccess.h"
#include "model/project.h"
#include "platform/currentprompter.h"
#include "platform/settingsstore.h"

using namespace kvr;
using namespace kvr::app;

namespace {
constexpr std::uint16_t kVoice = 1286; // a system signal every device has
}

class ConsoleKeysTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QtModelHost host;
    TCX4AppForm* form = nullptr;

    model::TDevice& Device() { return *form->FProject->Model()->Device(0); }
    model::TKeyRecord Stored()
    {
        model::TKeyRecord r{};
        model::GetKeyFunction(Device(), 0, r, console::ModuleSlotID(0, 0));
        return r;
    }
    void SelectNode(const std::string& Text)
    {
        const auto& nodes = form->TreeNodes();
        for (std::size_t i = 0; i < nodes.size(); ++i)
            if (nodes[i].Device == 0 && nodes[i].Text == Text) {
                form->ProjectTree->setCurrentItem(form->TreeItem(static_cast<int>(i)));
                QTest::qWait(60);
                QTRY_VERIFY_WITH_TIMEOUT(!form->TreeChangeDelay->isActive(), 5000);
                return;
            }
        QFAIL(Text.c_str());
    }
    // The console page in "Keys" with the first key of the first module selected.
    console::ConsolePage* SelectFirstKey()
    {
        SelectNode("Console");
        console::ConsolePage* page = form->ConsolePageWidget;
        auto& state = form->FConsoleState;
        state.PageMode = console::pmKeys;
        state.SelectedConsole = 0;
        state.SelectedSlot = 0;
        state.SelectedKey = 0;
        state.SelectedKeyRecord = Stored();
        page->Refresh();
        return page;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        {
            model::TProject fixture;
            fixture.SetName("Studio");
            model::TDevice& dev = *fixture.Device(fixture.AddDevice());
            auto header = dev.GetHeader();
            header[model::dh::ConsoleCount] = 1;
            dev.SetHeader(header, false);
            QVERIFY(console::AddConsoleModule(dev, 0, 0, 10).Refusal.empty());
            model::TKeyRecord key{};
            console::KeyRecordView(key).SetText("LAMP");
            key[31] = 4; // "User Defined"
            key[33] = 0x24;
            model::SetKeyFunction(dev, 0, key, 1, console::ModuleSlotID(0, 0));
            QCOMPARE(fixture.SaveToDisk((dir.path() + "/studio.kvp").toStdString(), true), 1);
        }
        platform::setSettingsStore(std::make_unique<platform::MemorySettingsStore>());
        platform::setPrompter(std::make_unique<platform::ScriptedPrompter>());
        model::SetModelHost(&host);
        form = CreateApplicationForms();
        form->resize(1300, 860);
        form->show();
        QVERIFY(form->FileCommands().OpenRecent((dir.path() + "/studio.kvp").toStdString()));
    }

    void cleanupTestCase()
    {
        DestroyApplicationForms();
        model::SetModelHost(nullptr);
        platform::setPrompter(nullptr);
    }

    void logicSourceIntoALampSourceRow()
    {
        console::ConsolePage* page = SelectFirstKey();
        QVERIFY(page && page->isVisible());
        console::KeyOptionsPanel& keys = *page->KeyOptions;
        QVERIFY(keys.UserDefPanel->isVisible());
        QVERIFY(keys.Picker);

        // Without a selected row the window writes nothing.
        keys.ListView1->clearSelection();
        keys.ListView1->setCurrentItem(nullptr);
        ResWindow->SelectLogicSource(kVoice);
        keys.Picker->AssignDropped(console::SourceWindow::Logic, console::kLampSourceRowKind);
        QCOMPARE(readBE16(Stored(), 38), std::uint16_t(0));

        keys.ListView1->setCurrentItem(keys.ListView1->topLevelItem(1));
        keys.Picker->AssignDropped(console::SourceWindow::Logic, console::kLampSourceRowKind);
        QCOMPARE(readBE16(Stored(), 38), kVoice);
        QCOMPARE(readBE16(Stored(), 36), std::uint16_t(0));
        QCOMPARE(keys.ListView1->topLevelItem(1)->text(2), QString("Voice"));

        // A double click on the row opens the window for it with its source selected.
        keys.Picker->Pick(console::SourceWindow::Logic, console::kLampSourceRowKind, kVoice);
        QVERIFY(ResWindow->isVisible());
        QCOMPARE(ResWindow->TargetKind(), console::kLampSourceRowKind);
        ResWindow->hide();
    }

    // The lamp-source list shows its three rows whole at the main window's own size and larger.
    void lampSourceRowsShowAtTheWindowSizes()
    {
        console::ConsolePage* page = SelectFirstKey();
        QTreeWidget* list = page->KeyOptions->ListView1;
        const QSize kept = form->size();
        for (const QSize size : {QSize(952, 676), QSize(1400, 900), QSize(1920, 1200)}) {
            form->resize(size);
            QTRY_COMPARE(form->size(), size);
            QApplication::processEvents();
            QVERIFY(list->isVisible());
            for (int r = 0; r < 3; ++r) {
                const QRect row = list->visualItemRect(list->topLevelItem(r));
                QVERIFY2(list->viewport()->rect().contains(row),
                         qPrintable(QString("%1x%2: row %3 of a list %4 high").arg(size.width()).arg(size.height()).arg(r).arg(list->height())));
            }
        }
        form->resize(kept);
    }
};

QTEST_MAIN(ConsoleKeysTest)
#include "consolekeys_qtest.moc"
