// The project summary dialog over the fake server: rows after the first tick, the serial-number
// edits by row, "Generate!" appending to the output page, save and copy, and Escape.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "commserver/fakecommserver.h"
#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/project.h"
#include "platform/currentprompter.h"
#include "service/qtest/fakeserverhost.h"
#include "service/statusmsg.h"
#include "service/summary/ibform.h"

using namespace kvr::service;

namespace {

void AddDevice(kvr::model::TProject& P, const std::string& Name, std::uint32_t Did, int Dummy, std::uint8_t Power)
{
    auto* d = P.Device(P.AddDevice());
    auto h = d->GetHeader();
    std::fill(h.begin() + 16, h.begin() + 52, 0);
    std::copy(Name.begin(), Name.end(), h.begin() + 16);
    kvr::writeBE32(h, 78, Did);
    h[97] = Power;
    h[106] = static_cast<std::uint8_t>(Dummy);
    d->SetHeader(h, false);
}

// The program's prompter replaced by a script, for the answers a test gives.
kvr::platform::ScriptedPrompter* ScriptPrompts()
{
    auto script = std::make_unique<kvr::platform::ScriptedPrompter>();
    auto* prompts = script.get();
    kvr::platform::setPrompter(std::move(script));
    return prompts;
}

} // namespace

class IBFormTest : public QObject {
    Q_OBJECT

private slots:
    void rowsEditsGenerateSaveAndCopy()
    {
        kvr::model::TProject project;
        auto header = project.GetHeader();
        kvr::writeBE32(header, 88, 0x41424344);
        project.SetHeader(header);
        project.SetName("Show");
        AddDevice(project, "Studio 1", 1, 0, 0);
        AddDevice(project, "Desk", 2, 78, 0);

        auto server = std::make_shared<kvr::commserver::FakeCommServer>();
        server->setBroadcasts(servicetest::Collection({servicetest::StatusMsg({0x0A0B0C, "Studio 1", "ABCD", 1, 0x7F000002, {}})}));
        auto clock = std::make_shared<std::uint64_t>(1000);
        const kvr::client::TClientServices cs = servicetest::FakeClientServices(server, clock);
        auto* prompts = ScriptPrompts();

        TIBForm form(project, std::make_unique<TKVRCommunicationClient>(nullptr, cs),
                     {[clock] { return *clock += 25; }, [] {}, nullptr,
                      [clock](const std::function<bool()>& Done, unsigned Ms) {
                          if (!Done())
                              *clock += Ms;
                      }});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.windowTitle(), QString("Create project summary"));
        QCOMPARE(form.txtPRID->text(), QString("Show (ABCD)"));
        QCOMPARE(form.txtCustomer->text(), QString("Customer"));
        QTRY_COMPARE(form.DevList->topLevelItemCount(), 2);
        QCOMPARE(form.DevList->topLevelItem(0)->text(4), QString("yes"));
        QCOMPARE(form.DevList->topLevelItem(0)->text(6), QString("0A0B0C"));
        QCOMPARE(form.DevList->topLevelItem(1)->text(2), QString("-"));

        // A frame without an extra power supply frame: its edit says so and stays disabled.
        const auto click = [&form](int Row) {
            const QRect r = form.DevList->visualItemRect(form.DevList->topLevelItem(Row));
            QTest::mouseClick(form.DevList->viewport(), Qt::LeftButton, {}, r.center());
        };
        click(0);
        QVERIFY(form.txtFrameSN->isEnabled());
        QVERIFY(!form.txtPowerSN->isEnabled());
        QCOMPARE(form.txtPowerSN->text(), QString("not used"));
        form.txtFrameSN->selectAll();
        QTest::keyClicks(form.txtFrameSN, "F-42");
        QCOMPARE(form.DevList->topLevelItem(0)->text(2), QString("F-42"));
        QVERIFY2(form.DevList->topLevelItem(0)->isSelected(), "the row stays selected");
        click(1);
        QVERIFY(!form.txtFrameSN->isEnabled());
        QCOMPARE(form.txtFrameSN->text(), QString());

        // The panel is offline: the question, Yes, then "Done.".
        prompts->answer(kvr::platform::Answer::Yes);
        prompts->answer(kvr::platform::Answer::Ok);
        form.btnGen->click();
        QCOMPARE(prompts->records().size(), std::size_t(2));
        QCOMPARE(form.PageControl1->currentIndex(), 1);
        QVERIFY(form.btnGen->isEnabled());
        const QString text = form.Out->toPlainText();
        QVERIFY(text.contains("Device Studio 1\n"));
        QVERIFY(text.contains("  DSP Frame SN          : F-42\n"));
        QVERIFY(text.contains("Desk not available"));

        QTemporaryDir dir;
        const QString path = dir.path() + "/summary.txt";
        prompts->file(path);
        form.Button1->click();
        QCOMPARE(prompts->records().back().kind, kvr::platform::ScriptedPrompter::Record::SaveFile);
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLatin1(saved.readAll()), text + "\n");

        form.Button3->click();
        QCOMPARE(QApplication::clipboard()->text(), text);

        QVERIFY(form.grab().toImage().save(QDir::current().filePath("ibform.png")));
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(!form.isVisible());
        kvr::platform::setPrompter(nullptr);
    }

    // While "Generate!" waits for a device that does not connect, Escape stops the scan and the
    // dialog stays; Close stops it first and then closes the dialog. Either way what was
    // gathered is written out and no "Done." comes after.
    void aRunStopsBeforeTheDialogCloses_data()
    {
        QTest::addColumn<bool>("close");
        QTest::newRow("Escape") << false;
        QTest::newRow("Close") << true;
    }
    void aRunStopsBeforeTheDialogCloses()
    {
        QFETCH(bool, close);
        kvr::model::TProject project;
        project.SetName("Show");
        AddDevice(project, "Studio 1", 1, 0, 0);
        AddDevice(project, "Studio 2", 2, 0, 0);
        auto server = std::make_shared<kvr::commserver::FakeCommServer>();
        server->scriptResults(kvr::commserver::RpcMethod::OpenConnection, {1}); // Studio 1 does not connect
        auto clock = std::make_shared<std::uint64_t>(1000);
        const kvr::client::TClientServices cs = servicetest::FakeClientServices(server, clock);
        auto* prompts = ScriptPrompts();

        // The program's own wait: the event loop runs, a connection may take 5000 ms.
        TIBForm form(project, std::make_unique<TKVRCommunicationClient>(nullptr, cs),
                     {[clock] { return *clock += 25; }, [] { QCoreApplication::processEvents(); }, nullptr});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        prompts->answer(kvr::platform::Answer::Yes); // not all devices are available
        bool openWhileRunning = false;
        QString shownProgress;
        QTimer::singleShot(300, &form, [&] {
            shownProgress = form.lblProgress->text();
            QVERIFY(form.btnStop->isEnabled());
            if (close)
                form.Button2->click();
            else
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &form, Qt::Key_Escape);
            openWhileRunning = form.isVisible();
        });
        QElapsedTimer elapsed;
        elapsed.start();
        form.btnGen->click();
        QVERIFY2(elapsed.elapsed() < 3000, "the scan stopped within its first wait");
        QCOMPARE(shownProgress, QString("Device 1 of 2: Studio 1"));
        QVERIFY2(openWhileRunning, "the dialog does not close while the scan runs");
        QCOMPARE(form.isVisible(), !close);
        QVERIFY2(prompts->records().size() == 1, "the question only, no \"Done.\"");
        QVERIFY(form.Out->toPlainText().contains("Number of Devices: 2"));
        QVERIFY(!form.btnStop->isEnabled());
        QVERIFY(form.btnGen->isEnabled());
        if (close)
            QCOMPARE(form.result(), 1);
        else
            QCOMPARE(form.lblProgress->text(), QString("Stopped."));
        kvr::platform::setPrompter(nullptr);
    }
};

QTEST_MAIN(IBFormTest)
#include "ibform_qtest.moc"
