// The device page on a fixture project: the fill writes nothing, and what a user types and clicks
// lands in the device.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <memory>

#include "../../projectpages/studioproject.h"
#include "app/devicepages/devicepanel.h"
#include "model/device.h"
#include "model/potaccess.h"
#include "model/potnames.h"
#include "model/project.h"
#include "model/superoutputs.h"

using namespace kvr::app;

class DevicePanelTest : public QObject {
    Q_OBJECT

    std::unique_ptr<kvr::model::TProject> project;
    DevicePanel* panel = nullptr;
    kvr::model::TDevice& Dev() { return *project->Device(0); }
    template <typename T> T* Child(const char* Name) { return panel->findChild<T*>(Name); }

private slots:
    void init()
    {
        project = std::make_unique<kvr::model::TProject>();
        test::MakeStudio(*project, {"North", "South"});
        DevicePanelHost host;
        host.Project = [this] { return project.get(); };
        host.CurDevice = [] { return 0; };
        panel = new DevicePanel(std::move(host), nullptr);
        panel->resize(800, 600);
    }
    void cleanup() { delete panel; }

    void fillWritesNothing()
    {
        auto header = Dev().GetHeader();
        header[kvr::model::dh::PowerSupplies] = 0x31;
        header[kvr::model::dh::Units081] = 2;
        header[kvr::model::dh::SetupOptions] = 0x20;
        Dev().SetHeader(header, false);
        Dev().SetChangedFlag(false);
        panel->FillDevicePage();
        QCOMPARE(Dev().GetHeader(), header);
        QVERIFY(!Dev().IsChanged());
        QCOMPARE(Child<QLineEdit>("Edit3")->text(), QString("North"));
        QCOMPARE(Child<QSpinBox>("UpDown1")->value(), 3);
        QCOMPARE(Child<QSpinBox>("UpDown7")->maximum(), 1);
        QCOMPARE(Child<QSpinBox>("UpDown8")->value(), 2);
        QVERIFY(!Child<QCheckBox>("SaveSetupRoutingSelBox")->isChecked());
        QVERIFY(Child<QCheckBox>("CrossFadeBox") != nullptr);
    }

    void controlsWriteTheirFields()
    {
        panel->FillDevicePage();
        Child<QSpinBox>("UpDown1")->setValue(2);
        QCOMPARE(Dev().GetHeader()[kvr::model::dh::PowerSupplies] >> 4, 2);
        Child<QCheckBox>("TBMatrixBox")->click(); // on a hidden tab: the click itself
        QCOMPARE(Dev().GetHeader()[kvr::model::dh::TalkOptions] & 0x80, 0x80);
        panel->show();
        panel->PageControl3->setCurrentIndex(1);
        auto* ip = Child<QLineEdit>("MaskEdit1");
        // A fresh device takes its address by DHCP: the address edits are off until it is cleared.
        QVERIFY(!ip->isEnabled());
        Child<QCheckBox>("DHCPBox")->click();
        QVERIFY(ip->isEnabled());
        ip->setFocus();
        ip->clear();
        ip->home(false);
        QTest::keyClicks(ip, "010020030040");
        QCOMPARE(ip->text(), QString("010.020.030.040"));
        kvr::model::TNetworkSettings settings;
        kvr::model::GetNetworkSettings(Dev(), settings);
        QCOMPARE(settings.IP, 0x0A141E28u);
    }

    void authorisationRowsOnceAndPINWithBlanks()
    {
        panel->show();
        panel->FillDevicePage();
        auto* tabs = panel->PageControl3;
        for (int round = 0; round < 3; ++round) {
            tabs->setCurrentIndex(2);
            tabs->setCurrentIndex(0);
        }
        tabs->setCurrentIndex(2);
        auto* rows = Child<QWidget>("Panel38");
        QCOMPARE(rows->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(), qsizetype(64));
        QVERIFY(Dev().GetData(kvr::model::stUserGroups).empty()); // building wrote nothing
        auto edits = rows->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly);
        QLineEdit* pin = edits[1]; // group 1: label edit, then PIN edit
        pin->setFocus();
        pin->home(false);
        QTest::keyClicks(pin, "12");
        kvr::model::TUserGroups groups;
        kvr::model::GetUserGroups(Dev(), groups);
        QCOMPARE(groups.Groups[0].PIN, std::uint16_t(0x1200));
        QCOMPARE(Dev().GetData(kvr::model::stUserGroups).size(), std::size_t(166));
    }

    void dummyNotice()
    {
        QWidget host;
        BuildDummyDevPanel(&host);
        BuildDummyDevPanel(&host);
        QCOMPARE(host.findChildren<QLabel*>().size(), qsizetype(1));
        QVERIFY(host.findChild<QLabel*>()->text().startsWith("This device was created by the CorDex 4.5."));
    }
};

QTEST_MAIN(DevicePanelTest)
#include "devicepanel_qtest.moc"
