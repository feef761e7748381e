// The factory test protocols against the server program, the device emulator and a small
// in-process HTTP server: the maintenance window's command with its question, the window
// listing modules and cards with their protocols, printing to PDF and saving the text.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <functional>
#include <memory>

#include "diagnostics/kvrinfoformat.h"
#include "support/loopbackprograms.h"
#include "platform/currentprompter.h"
#include "platform/pdfprinter.h"
#include "platform/settingsstore.h"
#include "service/factorytest/factorytestform.h"
#include "service/factorytest/networkfetcher.h"
#include "service/factorytest/protocolserver.h"
#include "service/maintenance/mtnform.h"
#include "service/maintenance/mtnmessages.h"

using namespace kvr::service;

namespace {

// Waits of the window against the real programs.
constexpr int kWaitMs = 8000;

// The protocol server: two card protocols, one with CR LF and one with LF line ends; 404 else.
class ProtocolStub {
public:
    ProtocolStub()
    {
        server.listen(QHostAddress::LocalHost);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = server.nextPendingConnection())
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] { Answer(s); });
        });
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(server.serverPort()) + "/proto"; }
    QStringList Paths;

private:
    void Answer(QTcpSocket* S)
    {
        const QByteArray path = S->readAll().split(' ').value(1);
        Paths << QString::fromLatin1(path);
        QByteArray head = "HTTP/1.1 200 OK";
        QByteArray body;
        if (path == "/proto/7300/12/log12345.txt")
            body = "AD test passed\r\nDA test passed\r\n";
        else if (path == "/proto/7300/00/log00987.txt")
            body = "Gain test passed\nNoise test passed\n";
        else
            head = "HTTP/1.1 404 Not Found";
        S->write(head + "\r\nContent-Type: text/plain\r\nContent-Length: " + QByteArray::number(body.size()) +
                 "\r\nConnection: close\r\n\r\n" + body);
        S->disconnectFromHost();
    }
    QTcpServer server;
};

class PdfService : public kvr::platform::PrintService {
public:
    explicit PdfService(QString Folder) : P(std::move(Folder)) {}
    kvr::platform::Printer* CurrentPrinter() override { return &P; }
    bool ExecuteDialog() override { return true; }
    kvr::platform::PdfPrinter P;
};

} // namespace

class FactoryTestE2E : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    LoopbackPrograms programs;
    std::unique_ptr<ProtocolStub> stub;
    kvr::platform::MemorySettingsStore* store = nullptr;
    kvr::platform::ScriptedPrompter* prompts = nullptr;
    std::unique_ptr<TMtnForm> form;

    TModuleNode* Device() { return form->Frame()->Tree().Roots().empty() ? nullptr : form->Frame()->Tree().Roots()[0].get(); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        const QString folder = dir.path() + "/run";
        qputenv("KVR_RUREZ_DIR", folder.toLocal8Bit());
        const int port = FreePort("127.0.0.2");
        QVERIFY(port != 0);
        std::string error = programs.startServerIn(KVR_RUREZ_PATH, folder, {"--device-port", QString::number(port)});
        QVERIFY2(error.empty(), error.c_str());
        error = programs.startEmulator(KVR_DEVEMU_PATH,
                                       {QString("ip=127.0.0.2,port=%1,serial=0x1234,name=EMU1,pid=ABCD,did=1,modules=1001:2:0/"
                                                "1003:4:0,cards=1003:0:50:12345:1/1003:3:72:987:2")
                                            .arg(port)},
                                       200);
        QVERIFY2(error.empty(), error.c_str());
        stub = std::make_unique<ProtocolStub>();

        auto settings = std::make_unique<kvr::platform::MemorySettingsStore>();
        store = settings.get();
        kvr::platform::setSettingsStore(std::move(settings));
        QVERIFY(SetFactoryTestBaseUrl(*store, stub->Url()));
        auto script = std::make_unique<kvr::platform::ScriptedPrompter>();
        prompts = script.get();
        kvr::platform::setPrompter(std::move(script));

        form = std::make_unique<TMtnForm>();
        TMaintenanceServices services = SystemMaintenanceServices();
        services.Settings = store;
        form->SetCommunicationClient(std::make_unique<TKVRCommunicationClient>(nullptr, kvr::client::SystemServices()), services);
        form->show();
        QVERIFY(RunUntil([this] { return Device() && Device()->Children.size() == 2; }, kWaitMs));
        QVERIFY(form->Frame()->SetFocus(Device()));
        QVERIFY(form->Frame()->Connected());
    }

    void windowReadsPrintsAndSaves()
    {
        auto pdf = std::make_unique<PdfService>(dir.path() + "/pdf");
        QVERIFY(QDir().mkpath(dir.path() + "/pdf"));
        TFactoryTestFrm window(*form->Frame(), *Device()->Rec.Device, std::make_unique<NetworkFetcher>(),
                               FactoryTestBaseUrl(*store), std::move(pdf), form.get());
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(RunUntil([&] { return window.btnClose->isEnabled() && !window.Run().Entries.empty(); }, kWaitMs));
        QVERIFY2(window.btnPrint->isEnabled(), qPrintable(window.Label1->text()));
        QVERIFY(window.btnSave->isEnabled());
        const auto& entries = window.Run().Entries;
        QCOMPARE(entries.size(), std::size_t(4));
        QCOMPARE(entries[2].Number, 12345);
        QCOMPARE(entries[3].Number, 987);
        QCOMPARE(stub->Paths, (QStringList{"/proto/7300/12/log12345.txt", "/proto/7300/00/log00987.txt"}));
        const QString memo = window.Memo1->toPlainText();
        QVERIFY(memo.contains("AD test passed\nDA test passed\n"));
        QVERIFY(memo.contains("Gain test passed\nNoise test passed\n"));
        QCOMPARE(memo.count("Correction values:"), 1); // the card in slot index 3; slot index 0 has none
        QVERIFY(memo.contains("AD    15dB     18dB     21dB     24dB"));
        QCOMPARE(window.Progress->value(), window.Progress->maximum());

        window.btnPrint->click();
        QVERIFY2(window.Label1->text().endsWith(" pages processed"), qPrintable(window.Label1->text()));
        const QStringList pdfs = QDir(dir.path() + "/pdf").entryList({"*.pdf"}, QDir::Files);
        QCOMPARE(pdfs.size(), 1);
        QVERIFY(QFileInfo(dir.path() + "/pdf/" + pdfs[0]).size() > 1000);

        const QString saved = dir.path() + "/ft.txt";
        prompts->file(saved);
        window.btnSave->click();
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.startsWith("Project:  ABCD\r\nDevice:  EMU1\r\n\r\nModule"));
        QVERIFY(text.contains("AD test passed\r\n"));
        QVERIFY(text.contains("Gain test passed\r\n"));

        // Escape waits for nothing now: the run is over.
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(!window.isVisible());
    }

    void commandAsksFirst()
    {
        std::vector<unsigned> asked;
        int answer = mrNo;
        InfoFormatter->SetMessagePresenter([&](int, const std::string&, unsigned Code, const std::string&) {
            asked.push_back(Code);
            return answer;
        });
        form->Action("FactoryTestActn")->trigger();
        QCOMPARE(asked, (std::vector<unsigned>{mmInternetQuestion}));
        QVERIFY(!form->findChild<TFactoryTestFrm*>());

        // Yes: the modal window runs; it is closed once its run is over.
        answer = mrYes;
        std::size_t seen = 0;
        QTimer poll;
        poll.setInterval(50);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* w = qobject_cast<TFactoryTestFrm*>(QApplication::activeModalWidget());
            if (!w || !w->btnClose->isEnabled() || w->Run().Entries.empty())
                return;
            poll.stop();
            seen = w->Run().Entries.size();
            w->btnClose->click();
        });
        poll.start();
        form->Action("FactoryTestActn")->trigger();
        poll.stop();
        InfoFormatter->SetMessagePresenter(nullptr);
        QCOMPARE(seen, std::size_t(4));
        QCOMPARE(asked.size(), std::size_t(2));
    }

    void cleanupTestCase()
    {
        form.reset();
        kvr::platform::setPrompter(nullptr);
        kvr::platform::setSettingsStore(nullptr);
        const std::string found = programs.stopAndCheck();
        QVERIFY2(found.empty(), found.c_str());
    }
};

QTEST_MAIN(FactoryTestE2E)
#include "factorytest_e2e_qtest.moc"
