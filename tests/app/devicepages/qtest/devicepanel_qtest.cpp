// The device page on a fixture project: the fill writes nothing, and what a user types and clicks
// lands in the device.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <cstring>
#include <functional>
#include <memory>

#include "../../../typetext.h"
#include "../../projectpages/studioproject.h"
#include "../fakelogicwindow.h"
#include "app/devicepages/devicepanel.h"
#include "editors/sources/sourcedrag.h"
#include "model/device.h"
#include "model/potaccess.h"
#include "model/potnames.h"
#include "model/project.h"
#include "model/sourcenames.h"
#include "model/superoutputs.h"

using namespace kvr::app;

class DevicePanelTest : public QObject {
    Q_OBJECT

    std::unique_ptr<kvr::model::TProject> project;
    std::unique_ptr<test::FakeLogicWindow> window;
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
        window = std::make_unique<test::FakeLogicWindow>(*project);
        host.LogicSources = [this] { return window.get(); };
        host.IsLogicSourceDrag = [](const QMimeData* Data) {
            return kvr::editors::IsSourceDrag(Data, kvr::editors::SourceDragKind::Logic);
        };
        panel = new DevicePanel(std::move(host), nullptr);
        panel->resize(800, 600);
    }
    void cleanup() { delete panel; }

    // Drags Data onto Target and drops it there; true when the target accepted the drag.
    static bool DragAndDrop(QWidget* Target, const QMimeData* Data)
    {
        const QPointF at(5, 5);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, Data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(at, Qt::CopyAction, Data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Target, &drop);
        return drop.isAccepted();
    }

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

    // Every field that goes into the device stores Windows-1252, as every other name does, and
    // takes no character that Windows-1252 cannot hold.
    void typedNamesAreStoredInWindows1252()
    {
        panel->show();
        panel->FillDevicePage();
        panel->PageControl3->setCurrentIndex(2);
        auto* groupLabel = Child<QWidget>("Panel38")->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly)[0];
        const auto sender = [this] {
            kvr::model::TNetworkSettings settings;
            kvr::model::GetNetworkSettings(Dev(), settings);
            return std::string(settings.Sender.data(), strnlen(settings.Sender.data(), settings.Sender.size()));
        };
        const auto groupLabelStored = [this] {
            kvr::model::TUserGroups groups;
            kvr::model::GetUserGroups(Dev(), groups);
            const auto& label = groups.Groups[0].Label;
            return std::string(label.data(), strnlen(label.data(), label.size()));
        };
        struct Field {
            QLineEdit* edit;
            std::function<std::string()> stored;
        };
        const Field fields[] = {
            {Child<QLineEdit>("Edit3"), [this] { return Dev().GetName(); }},
            {Child<QLineEdit>("Edit29"), sender},
            {Child<QLineEdit>("ChipCardIDText"), [this] { return kvr::app::DevicePage(*project, 0).ChipCardID(); }},
            {groupLabel, groupLabelStored},
        };
        for (const Field& field : fields) {
            field.edit->clear();
            kvr::test::TypeText(field.edit, QString::fromUtf8("St\u00FC\u00DF\u20AC\u03A9"));
            QCOMPARE(field.edit->text(), QString::fromUtf8("St\u00FC\u00DF\u20AC")); // no omega
            QCOMPARE(field.stored(), std::string("St\xFC\xDF\x80"));
        }
        panel->FillDevicePage();
        QCOMPARE(Child<QLineEdit>("Edit3")->text(), QString::fromUtf8("St\u00FC\u00DF\u20AC"));
        QCOMPARE(Child<QLineEdit>("ChipCardIDText")->text(), QString::fromUtf8("St\u00FC\u00DF\u20AC"));
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

        // A blank left, typed or made by deleting a digit counts as 0 in its own place.
        tabs->setCurrentIndex(0);
        tabs->setCurrentIndex(2);
        pin = rows->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly)[1];
        QCOMPARE(pin->displayText(), QString("1200"));
        pin->setFocus();
        pin->home(false);
        QTest::keyClicks(pin, "9_34");
        QCOMPARE(pin->displayText(), QString("9_34"));
        kvr::model::GetUserGroups(Dev(), groups);
        QCOMPARE(groups.Groups[0].PIN, std::uint16_t(0x9034));
        pin->end(false);
        QTest::keyClick(pin, Qt::Key_Backspace);
        pin->home(false);
        QTest::keyClick(pin, Qt::Key_Delete);
        QCOMPARE(pin->displayText(), QString("__3_"));
        kvr::model::GetUserGroups(Dev(), groups);
        QCOMPARE(groups.Groups[0].PIN, std::uint16_t(0x0030));
        QTest::keyClicks(pin, "x");
        QCOMPARE(pin->displayText(), QString("__3_")); // digits only
    }

    void logicSourcesPickedInTheLogicSourceWindow()
    {
        panel->show();
        panel->FillDevicePage();
        auto* prep = Child<QLabel>("PrepModeText");
        QCOMPARE(prep->text(), QString("None"));
        Child<QPushButton>("Button66")->click();
        QCOMPARE(window->Calls, (std::vector<std::string>{"filter 0", "build", "select 0", "show", "kind 22"}));

        window->Calls.clear();
        window->Node.Ref = 0x8000 | 1281;
        QMimeData foreign;
        foreign.setText("1281");
        QVERIFY(!DragAndDrop(prep, &foreign));
        QVERIFY(window->Calls.empty());
        const std::unique_ptr<QMimeData> fromTree(kvr::editors::MakeSourceDrag(kvr::editors::SourceDragKind::Logic));
        QVERIFY(!DragAndDrop(prep, std::unique_ptr<QMimeData>(kvr::editors::MakeSourceDrag(kvr::editors::SourceDragKind::Audio)).get()));
        QVERIFY(DragAndDrop(prep, fromTree.get()));
        const QString name = QString::fromStdString(kvr::model::GetLogicSourceName(*project, 1281, 0));
        QCOMPARE(prep->text(), name);
        QCOMPARE(Dev().GetHeader()[kvr::model::dh::PreparationLogic + 1], std::uint8_t(1281 & 0xFF));

        // The PIN sources: a drop on "Source 2", then "Select ..." preselects what the last build showed.
        panel->PageControl3->setCurrentIndex(2);
        QVERIFY(DragAndDrop(Child<QLabel>("Panel34"), fromTree.get()));
        QCOMPARE(Child<QLabel>("Panel34")->text(), name);
        QCOMPARE(Child<QLabel>("Panel25")->text(), QString("None"));
        window->Calls.clear();
        Child<QPushButton>("PINLogic2")->click();
        QCOMPARE(window->Calls[2], std::string("select 0"));
        panel->PageControl3->setCurrentIndex(0);
        panel->PageControl3->setCurrentIndex(2);
        window->Calls.clear();
        Child<QPushButton>("PINLogic2")->click();
        QCOMPARE(window->Calls[2], std::string("select 1281"));
        QCOMPARE(window->Calls.back(), std::string("kind 18"));
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
