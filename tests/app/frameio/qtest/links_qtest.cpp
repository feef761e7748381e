// The link selection dialog and the "Device links" page on a fixture project, offscreen: what
// the user sees in each pass, what a double click, Select, Escape and Delete do.
#include <QAction>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>

#include "../linkstudio.h"
#include "app/frameio/linkselectform.h"
#include "app/frameio/linksheet.h"
#include "platform/currentprompter.h"

using namespace kvr::app::frameio;
using kvr::model::MakeChannelID;

namespace {

QStringList TopTexts(const QTreeWidget* Tree)
{
    QStringList out;
    for (int i = 0; i < Tree->topLevelItemCount(); ++i)
        out << Tree->topLevelItem(i)->text(0);
    return out;
}

QTreeWidgetItem* Find(const QTreeWidget* Tree, const QString& Device, const QString& Node)
{
    for (QTreeWidgetItem* item : Tree->findItems(Node, Qt::MatchExactly | Qt::MatchRecursive))
        if (item->parent() && item->parent()->parent() && item->parent()->parent()->text(0) == Device)
            return item;
    return nullptr;
}

void DoubleClick(QTreeWidget* Tree, QTreeWidgetItem* Item)
{
    Tree->scrollToItem(Item);
    const QPoint at = Tree->visualItemRect(Item).center();
    QTest::mouseClick(Tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(Tree->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class LinksTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::Studio> s;
    std::unique_ptr<TLinkSelectForm> form;
    kvr::platform::ScriptedPrompter* prompts = nullptr;

    // Runs Steps inside the dialog's modal pass; answers what Choose answered.
    bool Pass(int Mode, LinkChoice& Choice, const std::function<void()>& Steps)
    {
        bool ran = false;
        QTimer::singleShot(0, form.get(), [&] {
            Steps();
            ran = true;
            if (form->isVisible()) // a step that left the dialog open: cancel it
                form->reject();
        });
        const bool chosen = form->Choose(Mode, Choice);
        if (!ran)
            QTest::qFail("the dialog did not run its pass", __FILE__, __LINE__);
        return chosen;
    }

private slots:
    void init()
    {
        s = std::make_unique<test::Studio>();
        form = std::make_unique<TLinkSelectForm>();
        form->Project = &s->Project;
        auto scripted = std::make_unique<kvr::platform::ScriptedPrompter>();
        prompts = scripted.get();
        kvr::platform::setPrompter(std::move(scripted));
    }
    void cleanup()
    {
        form.reset();
        kvr::platform::setPrompter(nullptr);
        s.reset();
    }

    void sourcePassChoosesAnOutputByDoubleClick()
    {
        LinkChoice choice;
        bool deviceNodeKeptItOpen = false;
        const bool chosen = Pass(lsSource, choice, [&] {
            QCOMPARE(form->windowTitle(), QString("Create device link"));
            QCOMPARE(form->GroupBox1->title(), QString("Select source"));
            QVERIFY(!form->RadioGroup1->isVisible());
            QCOMPARE(TopTexts(form->TreeView1), (QStringList{"A", "B"}));
            QVERIFY(!form->Button1->isEnabled());
            QTreeWidgetItem* device = form->TreeView1->topLevelItem(1);
            DoubleClick(form->TreeView1, device);
            QVERIFY(!form->Button1->isEnabled());
            deviceNodeKeptItOpen = form->isVisible();
            QTreeWidgetItem* right = Find(form->TreeView1, "B", "S Ch7 R");
            QVERIFY(right);
            DoubleClick(form->TreeView1, right);
        });
        QVERIFY(deviceNodeKeptItOpen);
        QVERIFY(chosen);
        QCOMPARE(choice.DeviceIndex, s->B);
        QCOMPARE(choice.SlotIndex, 0);
        QCOMPARE(choice.ChannelWord, MakeChannelID(0, 6, 0x2080));
        QCOMPARE(choice.LinkType, 0);
    }

    // Labels and names are stored in Windows-1252 and read so in the tree.
    void storedLabelsAndNamesReadAsTyped()
    {
        test::Bytes analog = test::IOCard(122, 0, 8, 0);
        const test::Bytes label = test::Label16("Ausgang \xFC");
        std::copy(label.begin(), label.end(), analog.begin() + 4 + 24 * 6);
        JoinStereoEntry(analog, 6);
        s->Project.Device(s->B)->SetSetupData(0, analog);
        s->Project.Device(s->B)->SetName("Studio \xFC");
        LinkChoice choice;
        Pass(lsSource, choice, [&] {
            QCOMPARE(TopTexts(form->TreeView1), (QStringList{"A", "Studio \u00FC"}));
            QVERIFY(Find(form->TreeView1, "Studio \u00FC", "S Ausgang \u00FC L"));
        });
    }

    void destinationPassOffersTheDirectionForMadiOnly()
    {
        LinkChoice madi{s->A, 9, 0x0A00, 2, 0};
        const bool chosen = Pass(lsDestination, madi, [&] {
            QCOMPARE(form->GroupBox1->title(), QString("Select destination"));
            QVERIFY(form->RadioGroup1->isVisible());
            QVERIFY(form->RadioGroup1->isEnabled());
            QVERIFY(form->Bi->isChecked());
            QCOMPARE(TopTexts(form->TreeView1), QStringList{"B"});
            form->TreeView1->setCurrentItem(Find(form->TreeView1, "B", "MADI 2 in"));
            QVERIFY(form->Button1->isEnabled());
            form->Button1->click();
        });
        QVERIFY(chosen);
        QCOMPARE(madi.DeviceIndex, s->B);
        QCOMPARE(madi.SlotIndex, 19);
        QCOMPARE(madi.ChannelWord, 0x1401);
        QCOMPARE(madi.LinkDirection, 1);

        LinkChoice analog{s->A, 0, MakeChannelID(0, 4, 0x80), 0, 0};
        const bool escaped = Pass(lsDestination, analog, [&] {
            QVERIFY(form->RadioGroup1->isVisible());
            QVERIFY(!form->RadioGroup1->isEnabled());
            QVERIFY(form->Uni->isChecked());
            QCOMPARE(form->TreeView1->topLevelItem(0)->child(0)->text(0), QString("Slot 1 (KX730-122)"));
            QTest::keyClick(form.get(), Qt::Key_Escape);
        });
        QVERIFY(!escaped);
        QVERIFY(prompts->records().empty());
    }

    // Both direction captions stay whole side by side, in a dialog no wider than it may grow.
    void directionCaptionsFitTheDialog()
    {
        LinkChoice madi{s->A, 9, 0x0A00, 2, 0};
        Pass(lsDestination, madi, [&] {
            QVERIFY(QTest::qWaitForWindowExposed(form.get()));
            form->grab().save("linkselectform.png"); // to be looked at
            QVERIFY(form->width() <= form->maximumWidth());
            const QStyle* style = form->style();
            const int indicator = style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, form->Uni) +
                                  style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, form->Uni);
            for (QRadioButton* radio : {form->Uni, form->Bi}) {
                const int needed = radio->fontMetrics().horizontalAdvance(radio->text()) + indicator;
                QVERIFY2(radio->width() >= needed, qPrintable(QString("%1: %2 < %3 in a dialog %4 wide")
                                                                  .arg(radio->text())
                                                                  .arg(radio->width())
                                                                  .arg(needed)
                                                                  .arg(form->width())));
                QVERIFY(radio->geometry().right() < form->RadioGroup1->contentsRect().right() + 1);
            }
        });
    }

    void deviceLinksPageAddsListsAndRemoves()
    {
        TLinkSheet sheet;
        test::ScriptedDialog dialog;
        sheet.Project = [this] { return &s->Project; };
        sheet.Dialog = [&dialog]() -> LinkDialog* { return &dialog; };
        sheet.resize(700, 400);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        sheet.LinkSheetShow();
        QCOMPARE(sheet.LinkList->topLevelItemCount(), 0);

        // A two-way MADI link gives two rows; an analog link one more.
        dialog.Choices = {{s->A, 9, 0x0A00, 2, 0}, {s->B, 19, 0x1401, 2, 1}};
        sheet.Button1->click();
        dialog.Choices = {{s->A, 0, MakeChannelID(0, 4, 0x80), 0, 0}, {s->B, 0, MakeChannelID(0, 2, 0), 0, 0}};
        sheet.Button1->click();
        QCOMPARE(sheet.LinkList->topLevelItemCount(), 3);
        const QTreeWidgetItem* analog = sheet.LinkList->topLevelItem(2);
        const QStringList texts = {analog->text(0), analog->text(1), analog->text(2),
                                   analog->text(3), analog->text(4), analog->text(5)};
        QCOMPARE(texts, (QStringList{"A", "1", "6", "B", "1", "3"}));
        QCOMPARE(sheet.LinkList->topLevelItem(1)->text(2), QString("MADI 2"));

        // Showing the page keeps the selected row but waits for a new selection before Remove.
        sheet.LinkList->setCurrentItem(sheet.LinkList->topLevelItem(1));
        QVERIFY(sheet.Button61->isEnabled());
        sheet.LinkSheetShow();
        QVERIFY(!sheet.Button61->isEnabled());
        QVERIFY(sheet.LinkList->topLevelItem(1)->isSelected());

        // Delete removes the selected row; the selection stays on the same index.
        sheet.LinkList->setFocus();
        QVERIFY(sheet.LinkList->hasFocus());
        QTest::keyClick(sheet.LinkList, Qt::Key_Delete);
        QCOMPARE(sheet.LinkList->topLevelItemCount(), 2);
        QCOMPARE(sheet.LinkList->topLevelItem(1)->text(2), QString("6"));
        QVERIFY(sheet.LinkList->topLevelItem(1)->isSelected());
        QVERIFY(sheet.Button61->isEnabled());

        // The popup offers Remove only with a selected row.
        QAction* remove7 = sheet.LinkPopUp->actions().at(1);
        emit sheet.LinkList->customContextMenuRequested(QPoint(5, 5));
        QVERIFY(remove7->isEnabled());
        sheet.LinkPopUp->close();
        sheet.Button61->click();
        QCOMPARE(sheet.LinkList->topLevelItemCount(), 1);
        QVERIFY(sheet.LinkList->selectedItems().isEmpty());
        QVERIFY(!sheet.Button61->isEnabled());
        emit sheet.LinkList->customContextMenuRequested(QPoint(5, 5));
        QVERIFY(!remove7->isEnabled());
        sheet.LinkPopUp->close();
        QVERIFY(prompts->records().empty());
    }
};

QTEST_MAIN(LinksTest)
#include "links_qtest.moc"
