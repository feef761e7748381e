// The print window over the print run: what it shows, what a click changes, and a print.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "app/printform.h"
#include "model/project.h"
#include "platform/recordingprinter.h"

using namespace kvr;
using namespace kvr::app;

namespace {

class Host : public reports::PrintHost {
public:
    model::TProject* Project() override { return &project; }
    int CurDevice() const override { return cur; }
    void SetCurDevice(int Device) override { cur = Device; }
    std::string ProjectFileName() const override { return "studio.kvp"; }
    bool PrinterDebug() const override { return false; }
    void Log(const std::string&) override {}
    reports::ModuleSelection ConsoleSelection() const override { return {}; }
    std::string Today() const override { return "10.12.2026"; }

    // DSP frames "Frame 1" to "Frame <Count>" in project "Studio".
    void AddFrames(int Count)
    {
        project.SetName("Studio");
        for (int i = 1; i <= Count; ++i)
            project.Device(project.AddDevice())->SetName("Frame " + std::to_string(i));
    }

    model::TProject project;
    int cur = -1;
};

class Service : public platform::PrintService {
public:
    explicit Service(platform::RecordingPrinter& Printer) : printer(Printer) {}
    platform::Printer* CurrentPrinter() override { return &printer; }
    bool ExecuteDialog() override { return true; }
    platform::RecordingPrinter& printer;
};

} // namespace

class PrintFormTest : public QObject {
    Q_OBJECT

private slots:
    void choosesAndPrintsOneSection()
    {
        Host host;
        host.AddFrames(2);
        platform::RecordingPrinter printer;
        TPrintForm form(host, nullptr, std::make_unique<Service>(printer));
        QCOMPARE(form.windowTitle(), QString("Print"));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        QCOMPARE(form.CheckListBox2->count(), 2);
        QCOMPARE(form.CheckListBox2->item(1)->text(), QString("Frame 2"));
        QVERIFY(form.RadioButton1->isChecked());
        for (QCheckBox* box : form.SectionBoxes) {
            QVERIFY(box->isChecked());
            QVERIFY(!box->isEnabled());
        }
        QVERIFY(form.Button3->isEnabled()); // the global logic table is checked

        form.RadioButton2->click();
        QVERIFY(!form.SectionBoxes[reports::pbGlobalLogicTable]->isChecked());
        QVERIFY(form.SectionBoxes[reports::pbOutputRouting]->isEnabled());
        QVERIFY(!form.Button3->isEnabled());
        form.CheckListBox2->item(1)->setCheckState(Qt::Checked);
        QVERIFY(form.Button3->isEnabled());
        form.SectionBoxes[reports::pbOutputRouting]->click();

        form.Button3->click();
        QCOMPARE(printer.Jobs.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(printer.Jobs[0].Title), QString("Studio - Frame 2 - Output Routing"));
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Accepted));
    }

    // Twenty frames stand in one column that scrolls down; a click anywhere on a row ticks it,
    // a second clears it, and Space on it ticks it.
    void theDeviceListIsOneColumnOfRowsThatTick()
    {
        Host host;
        host.AddFrames(20);
        platform::RecordingPrinter printer;
        TPrintForm form(host, nullptr, std::make_unique<Service>(printer));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QListWidget* list = form.CheckListBox2;
        QCOMPARE(list->count(), 20);
        for (int i = 1; i < list->count(); ++i)
            QCOMPARE(list->visualItemRect(list->item(i)).left(), list->visualItemRect(list->item(0)).left());
        QVERIFY2(list->visualItemRect(list->item(9)).bottom() <= list->viewport()->height(), "ten rows show at once");
        QVERIFY(list->verticalScrollBar()->maximum() > 0);
        QVERIFY(!list->horizontalScrollBar()->isVisible());

        form.RadioButton2->click();
        QVERIFY(!form.Button3->isEnabled());
        const QRect row = list->visualItemRect(list->item(2));
        const QPoint onText(row.left() + row.width() / 2, row.center().y());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onText);
        QCOMPARE(list->item(2)->checkState(), Qt::Checked);
        QVERIFY(form.Run().Items[2].Checked);
        QVERIFY(form.Button3->isEnabled());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onText);
        QCOMPARE(list->item(2)->checkState(), Qt::Unchecked);
        QVERIFY(!form.Run().Items[2].Checked);
        list->setFocus();
        list->setCurrentRow(4);
        QTest::keyClick(list, Qt::Key_Space);
        QVERIFY(form.Run().Items[4].Checked);
        QVERIFY(form.grab().toImage().save(QDir::current().filePath("printform.png")));
    }

    // While a run prints, the window tells which document it is at; Escape or Close stops the
    // run between two pages, and the window closes once it has stopped.
    void aRunShowsItsDocumentAndStops_data()
    {
        QTest::addColumn<bool>("close");
        QTest::newRow("Escape") << false;
        QTest::newRow("Close") << true;
    }
    void aRunShowsItsDocumentAndStops()
    {
        QFETCH(bool, close);
        Host host;
        host.AddFrames(2);
        platform::RecordingPrinter printer;
        TPrintForm form(host, nullptr, std::make_unique<Service>(printer));
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        for (int i = 0; i < form.CheckListBox2->count(); ++i)
            form.CheckListBox2->item(i)->setCheckState(Qt::Checked);

        QString status;
        bool statusShown = false;
        bool stillOpen = false;
        QTimer poll;
        poll.setInterval(0);
        connect(&poll, &QTimer::timeout, &form, [&] {
            if (form.Run().Progress.Documents < 2 || !status.isEmpty())
                return;
            status = form.PrintStatus->text();
            statusShown = form.PrintStatus->isVisible() && form.PrintProgress->isVisible() && !form.Button3->isEnabled();
            if (close)
                form.Button1->click();
            else
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &form, Qt::Key_Escape);
            stillOpen = form.isVisible();
        });
        poll.start();
        form.Button3->click();
        poll.stop();
        QCOMPARE(status, QString("Printing document 2, page 1: Studio - Frame 1 - DSP-Frame-RearView"));
        QVERIFY(statusShown);
        QVERIFY2(stillOpen, "the window stays while the run stops");
        QCOMPARE(printer.Jobs.size(), std::size_t{2});
        QVERIFY(!printer.Printing());
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QVERIFY(!form.PrintStatus->isVisible());
    }

    void escapeCloses()
    {
        Host host;
        platform::RecordingPrinter printer;
        TPrintForm form(host, nullptr, std::make_unique<Service>(printer));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(!form.isVisible());
        QVERIFY(printer.Jobs.empty());
    }
};

QTEST_MAIN(PrintFormTest)
#include "printform_qtest.moc"
