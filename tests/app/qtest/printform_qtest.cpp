// The print window over the print run: what it shows, what a click changes, and a print.
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

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
        host.project.SetName("Studio");
        host.project.Device(host.project.AddDevice())->SetName("Frame 1");
        host.project.Device(host.project.AddDevice())->SetName("Frame 2");
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
