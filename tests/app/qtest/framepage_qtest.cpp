// The DSP frame I/O page and the device page in the main window, on a saved project: the links the
// main window makes between them, the project tree and the two source windows, as a user meets
// them. Pictures of the table go to the build folder, to be looked at.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "app/devicepages/devicepanel.h"
#include "app/frameio/framecards.h"
#include "app/frameio/slotpanel.h"
#include "app/mainform.h"
#include "app/projectpages/glprotoform.h"
#include "client/kvrcommunicationclient.h"
#include "editors/sources/audioreswin.h"
#include "editors/sources/reswindow.h"
#include "kvrdata/byteorder.h"
#include "model/channelname.h"
#include "model/device.h"
#include "model/logicaccess.h"
#include "model/project.h"
#include "model/slottablecolumns.h"
#include "platform/currentprompter.h"
#include "startwindows.h"

using namespace kvr::app;
using kvr::model::SlotColumnX;

namespace {

constexpr int kAnalogCardItem = 4; // "730-222 Analog I/O" in the card selector
constexpr int kGPIOCardItem = 5;   // "730-311 GPIO"
constexpr int kDSP422Item = 4;   // "KX730-848M+422" in the DSP selector

// Every item text of a source window's tree, in tree order.
QStringList TreeTexts(QWidget* Window)
{
    QStringList texts;
    for (QTreeWidgetItemIterator it(Window->findChild<QTreeWidget*>()); *it; ++it)
        texts << (*it)->text(0);
    return texts;
}

// The logic-source window's items of the four GPIs of a GPIO card, by their channel names.
QStringList GPIItems(int Slot)
{
    const QStringList texts = TreeTexts(ResWindow);
    QStringList items;
    for (int g = 0; g < 4; ++g) {
        const std::string channel = kvr::model::GetChannelName(kvr::model::MakeChannelID(Slot, 4 * g, 0x40), 311, false);
        for (const QString& text : texts)
            if (text.startsWith(QString::fromStdString(channel + ".")))
                items << text;
    }
    return items;
}

} // namespace

class FramePageTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString file;
    QtModelHost host;
    TCX4AppForm* form = nullptr;

    kvr::model::TDevice& Device(int Index = 0) { return *form->FProject->Model()->Device(Index); }
    frameio::TSlotPanel* Panel() { return form->findChild<frameio::TSlotPanel*>(); }
    void Settle()
    {
        QTest::qWait(60);
        QTRY_VERIFY_WITH_TIMEOUT(!form->TreeChangeDelay->isActive(), 5000);
        QCoreApplication::processEvents(); // the page's layout settles
    }
    int NodeIndex(int Device, const std::string& Text)
    {
        const auto& nodes = form->TreeNodes();
        for (std::size_t i = 0; i < nodes.size(); ++i)
            if (nodes[i].Device == Device && nodes[i].Text == Text)
                return static_cast<int>(i);
        return -1;
    }
    void SelectNode(int Device, const std::string& Text)
    {
        const int i = NodeIndex(Device, Text);
        QVERIFY2(i >= 0, Text.c_str());
        form->ProjectTree->setCurrentItem(form->TreeItem(i));
        Settle();
    }
    // The pointer moves onto the table, then presses there, as the window system delivers it.
    void ClickTable(int X, int Y)
    {
        QWidget* image = Panel()->SlotImage;
        Panel()->SlotScrollBox->ensureVisible(X, Y);
        QCoreApplication::processEvents();
        QTest::mouseMove(image, QPoint(X, Y));
        QTest::mouseClick(image, Qt::LeftButton, {}, QPoint(X, Y));
    }
    void Picture(const QString& Name) { Panel()->SlotImage->Picture().save(QCoreApplication::applicationDirPath() + "/framepage_" + Name + ".png"); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        file = dir.path() + "/studio.kvp";
        {
            kvr::model::TProject fixture;
            fixture.SetName("Studio");
            kvr::platform::ScriptedPrompter prompts;
            for (const char* name : {"North", "South"}) {
                const int d = fixture.AddDevice();
                kvr::model::TDevice& dev = *fixture.Device(d);
                dev.SetName(name);
                auto header = dev.GetHeader();
                header[kvr::model::dh::FrameType] = d == 0 ? 0 : 1; // ten slots, thirty in the second
                dev.SetHeader(header, false);
                // Six analogue cards make the table taller than the window.
                for (int slot = 0; slot < 6; ++slot)
                    dev.SetSetupData(static_cast<std::uint8_t>(slot), frameio::DefaultCardRecord(222, slot, dev));
                const frameio::FrameCardContext context{fixture, d, 0, 0, prompts};
                int curSlot = 255;
                QVERIFY(frameio::DSPTypeSelectorChange(context, 9, frameio::di422Redundant, curSlot));
                if (d == 1)
                    QVERIFY(frameio::DSPTypeSelectorChange(context, 19, frameio::di421, curSlot));
                kvr::model::AddLogicFunction(dev);
            }
            QCOMPARE(fixture.SaveToDisk(file.toStdString(), true), 1);
        }
        form = test::StartWithProject(host, file.toStdString());
        QVERIFY(form);
        QVERIFY(QTest::qWaitForWindowExposed(form));
        Settle();
    }

    void cleanupTestCase() { test::StopWindows(); }

    // The "None ..." cell after "Use MADI Port 2 condition:" opens the logic-source window for
    // slot 10's condition; its Assign writes header bytes 98-99, the table shows the source, and
    // the condition is saved.
    void port2ConditionIsSetThroughItsCell()
    {
        SelectNode(0, "DSP Frame I/O");
        QVERIFY(Panel()->isVisible());
        const int top = Panel()->View.SlotTop(9);
        const QImage before = Panel()->SlotImage->Picture();
        ClickTable(SlotColumnX(kvr::model::scSRC) + 20, top + 40);
        QVERIFY(ResWindow->isVisible());
        QCOMPARE(ResWindow->TargetKind(), 14);

        ResWindow->SelectLogicSource(931); // the device's first logic function
        QTest::mouseClick(ResWindow->Button2, Qt::LeftButton);
        QCOMPARE(int(kvr::readBE16(Device().GetHeader(), 98)), 931);
        QVERIFY(Panel()->SlotImage->Picture() != before);
        Picture("condition");
        ResWindow->hide();

        form->FileCommands().Save1Click();
        kvr::model::TProject saved;
        saved.LoadFromDisk(file.toStdString(), 0);
        QCOMPARE(int(kvr::readBE16(saved.Device(0)->GetHeader(), 98)), 931);
        QCOMPARE(int(kvr::readBE16(saved.Device(1)->GetHeader(), 98)), 0);
    }

    // With Audio Sources open, a card put into a slot lists its channels, and a label typed in
    // the table is the window's name, at once.
    void addedCardAndRenamedLabelAreInTheAudioSourcesAtOnce()
    {
        SelectNode(0, "DSP Frame I/O");
        form->Action("AudioTree1")->trigger();
        QVERIFY(AudioResWin->isVisible());
        const QString channel = QString::fromStdString(
            kvr::model::GetChannelName(kvr::model::MakeChannelID(7, 0, 0x2000), 222, false));
        QVERIFY(!TreeTexts(AudioResWin).join('|').contains(channel));
        const int top = Panel()->View.SlotTop(7);
        ClickTable(100, top + 8);
        QVERIFY(Panel()->SlotTypeSelector->isVisible());
        emit Panel()->SlotTypeSelector->activated(kAnalogCardItem);
        QVERIFY(TreeTexts(AudioResWin).join('|').contains(channel));

        QVERIFY(!TreeTexts(AudioResWin).join('|').contains("Announcer"));
        ClickTable(SlotColumnX(kvr::model::scLabel) + 20, top + 8);
        QVERIFY(Panel()->LabelEdit->isVisible());
        Panel()->LabelEdit->selectAll();
        QTest::keyClicks(Panel()->LabelEdit, "Announcer");
        QTest::keyClick(Panel()->LabelEdit, Qt::Key_Return);
        QVERIFY(TreeTexts(AudioResWin).join('|').contains("Announcer"));
        AudioResWin->hide();
    }

    // With Logic Sources open, a GPIO card put into a slot lists its GPIs at once, and they keep
    // their names once a pull-up is switched on.
    void addedGPIOCardListsItsGPIsAtOnce()
    {
        SelectNode(0, "DSP Frame I/O");
        form->Action("ResourceWindow1")->trigger();
        QVERIFY(ResWindow->isVisible());
        QVERIFY(GPIItems(6).isEmpty());
        const int top = Panel()->View.SlotTop(6);
        ClickTable(100, top + 8);
        QVERIFY(Panel()->SlotTypeSelector->isVisible());
        emit Panel()->SlotTypeSelector->activated(kGPIOCardItem);
        const QStringList off = GPIItems(6);
        QCOMPARE(off.size(), 4);

        ClickTable(SlotColumnX(kvr::model::scGPIPullUp) + 20, Panel()->View.SlotTop(6) + 8);
        QVERIFY(Panel()->PullUpBox->isVisible());
        emit Panel()->PullUpBox->activated(1);
        QCOMPARE(int(Device().GetSetupData(6)[2]), 1);
        // Another page and back: the window lists the device's sources again.
        SelectNode(0, "North");
        SelectNode(0, "DSP Frame I/O");
        QCOMPARE(GPIItems(6), off);
        ResWindow->hide();
    }

    // A DSP card changed for another: the tree keeps the branches the user opened, the table its
    // scroll position.
    void dspTypeChangeKeepsTreeAndTableWhereTheyWere()
    {
        SelectNode(0, "DSP Frame I/O");
        form->TreeItem(NodeIndex(0, "North"))->setExpanded(true);
        form->TreeItem(NodeIndex(1, "South"))->setExpanded(true);
        form->TreeItem(NodeIndex(1, "Audio System"))->setExpanded(true);
        QScrollBar* bar = Panel()->SlotScrollBox->verticalScrollBar();
        QVERIFY(bar->maximum() > 200);
        bar->setValue(bar->maximum());
        ClickTable(100, Panel()->View.SlotTop(9) + 4);
        const int scrolled = bar->value();
        QVERIFY(scrolled > 0);
        QVERIFY(Panel()->DSPTypeSelector->isVisible());
        emit Panel()->DSPTypeSelector->activated(kDSP422Item);
        Settle();
        QCOMPARE(int(Device().GetSetupData(9)[5]), 3);
        QVERIFY(Panel()->isVisible());
        QCOMPARE(form->ProjectTree->currentItem(), form->TreeItem(NodeIndex(0, "DSP Frame I/O")));
        for (const auto& [device, text] : {std::pair{0, "North"}, {1, "South"}, {1, "Audio System"}})
            QVERIFY2(form->TreeItem(NodeIndex(device, text))->isExpanded(), text);
        QVERIFY(!form->TreeItem(NodeIndex(0, "Audio System"))->isExpanded());
        QCOMPARE(bar->value(), scrolled);
        Picture("dsptype");
    }

    // Typing the device name renames its node and nothing else: the branch stays open, its
    // nodes stay, and the name is stored in the device's code page.
    void deviceNameTypedKeepsItsBranchOpen()
    {
        SelectNode(0, "North");
        form->TreeItem(NodeIndex(0, "North"))->setExpanded(true);
        QTreeWidgetItem* frame = form->TreeItem(NodeIndex(0, "DSP Frame I/O"));
        form->FDevicePage->PageControl3->setCurrentIndex(0); // "Options"
        auto* edit = form->findChild<QLineEdit*>("Edit3");
        QVERIFY(edit && edit->isVisible());
        edit->setFocus();
        edit->end(false);
        QTest::keyClicks(edit, " S");
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_Udiaeresis, QString(QChar(0xFC)), Qt::NoModifier);
        QTest::keyClicks(edit, "d");
        QCOMPARE(Device().GetName(), std::string("North S\xFC" "d"));
        const int node = NodeIndex(0, "North S\xFC" "d");
        QVERIFY(node >= 0);
        QCOMPARE(form->TreeItem(node)->text(0), QString::fromUtf8("North Süd"));
        QVERIFY(form->TreeItem(node)->isExpanded());
        QCOMPARE(form->TreeItem(NodeIndex(0, "DSP Frame I/O")), frame);
        QCOMPARE(form->ProjectTree->currentItem(), form->TreeItem(node));

        auto* frameType = form->findChild<QComboBox*>("FrameTypeBox");
        QCOMPARE(frameType->count(), 2);
        QCOMPARE(frameType->itemText(0), QString("KX730-061"));
        QCOMPARE(frameType->itemText(1), QString("KX730-063"));
        QCOMPARE(frameType->currentIndex(), 0);
    }

    // A smaller frame type drops the racks above it, and the tree their slot nodes.
    void frameTypeChangeDropsTheSlotNodesOfItsRacks()
    {
        QVERIFY(NodeIndex(1, "Slot 20: DSP") >= 0);
        SelectNode(1, "South");
        auto* frameType = form->findChild<QComboBox*>("FrameTypeBox");
        QCOMPARE(frameType->currentIndex(), 1);
        emit frameType->activated(0);
        Settle();
        QCOMPARE(Device(1).GetSlotCount(), 10);
        QCOMPARE(NodeIndex(1, "Slot 20: DSP"), -1);
        QVERIFY(NodeIndex(1, "Slot 10: DSP") >= 0);
        QCOMPARE(form->ProjectTree->currentItem(), form->TreeItem(NodeIndex(1, "South")));
    }

    // A control block of the global logic class is logged as coming from this machine.
    void controlBlockStatesComeFromThisMachine()
    {
        kvr::client::TClientServices services;
        services.Designing = true; // no server: the block is handed over as the poll would
        form->SetCommunicationClient(std::make_unique<TKVRCommunicationClient>(nullptr, services));
        form->Action("GlobalLogicStates1")->trigger();
        QVERIFY(GLProtoForm->isVisible());
        Kvrdata_ns::KVRCANBlock block;
        block.ID = 0x01F30000;
        block.Data[1] = 4;
        block.Data[2] = 1;
        form->DCC()->OnCANBlockReceived(form->DCC(), block);
        QVERIFY2(GLProtoForm->Memo1->toPlainText().contains("= 1 (by IP 127.0.0.1)"),
                 qPrintable(GLProtoForm->Memo1->toPlainText()));
        GLProtoForm->close();
        form->SetCommunicationClient(nullptr);
    }
};

QTEST_MAIN(FramePageTest)
#include "framepage_qtest.moc"
