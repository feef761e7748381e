// The global logic monitor in the main window against the real communication server and the
// device emulator on loopback: a global logic state the emulated device sends lights its lamp.
#include <QAction>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>
#include <memory>

#include "support/loopbackprograms.h"
#include "app/appforms.h"
#include "app/mainform.h"
#include "app/projectpages/gllamp.h"
#include "app/projectpages/glprotoform.h"
#include "../studioproject.h"
#include "app/qtmodelhost.h"
#include "client/kvrcommunicationclient.h"
#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/modelhost.h"
#include "model/project.h"
#include "platform/currentprompter.h"
#include "platform/settingsstore.h"

using namespace kvr::app;

class GLMonitorE2E : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    LoopbackPrograms programs;
    QtModelHost host;
    TCX4AppForm* form = nullptr;

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        const QString folder = dir.path() + "/run";
        qputenv("KVR_RUREZ_DIR", folder.toLocal8Bit());
        const std::string error = programs.startServerIn(KVR_RUREZ_PATH, folder);
        QVERIFY2(error.empty(), error.c_str());

        kvr::model::TProject fixture;
        kvr::app::test::MakeStudio(fixture, {"North"});
        const std::string file = (dir.path() + "/studio.kvp").toStdString();
        fixture.SaveToDisk(file, true);

        kvr::platform::setSettingsStore(std::make_unique<kvr::platform::MemorySettingsStore>());
        kvr::platform::setPrompter(std::make_unique<kvr::platform::ScriptedPrompter>());
        kvr::model::SetModelHost(&host);
        form = CreateApplicationForms();
        form->show();
        QVERIFY(form->FileCommands().OpenRecent(file));
        form->SetCommunicationClient(std::make_unique<TKVRCommunicationClient>(nullptr, kvr::client::SystemServices()));

        const std::string started =
            programs.startEmulator(KVR_DEVEMU_PATH, {"ip=127.0.0.2,serial=0x1234,name=EMU1,pid=ABCD,did=1"}, 0);
        QVERIFY2(started.empty(), started.c_str());
    }

    void cleanupTestCase()
    {
        DestroyApplicationForms();
        kvr::model::SetModelHost(nullptr);
        kvr::platform::setPrompter(nullptr);
        programs.stop();
        qunsetenv("KVR_RUREZ_DIR");
    }

    void stateFromTheDeviceLightsItsLamp()
    {
        form->Action("GlobalLogicStates1")->trigger();
        QVERIFY(GLProtoForm->isVisible());
        // The client's poll takes the datagrams the server queued for it.
        QVERIFY(RunUntil([&] {
            programs.emulator->send("logic 1 4 1");
            programs.emulator->waitForLine("ok logic");
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            return GLProtoForm->Lamp(4)->Color() == GLLampColor::Red;
        }));
        QVERIFY(GLProtoForm->Memo1->toPlainText().contains("GL 5 (GL: 5) = 1 (by IP 127.0.0.2)"));
        programs.emulator->send("logic 1 4 0");
        QVERIFY(RunUntil([&] { return GLProtoForm->Lamp(4)->Color() == GLLampColor::Green; }));
        QCOMPARE(int(GLProtoForm->Lamp(3)->Color()), int(GLLampColor::Grey));
    }
};

QTEST_MAIN(GLMonitorE2E)
#include "glmonitor_e2e_qtest.moc"
