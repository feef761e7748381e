// A name with "ü", "ß" and "€" typed into every text field of every page of the full sample
// project, the fields behind a chosen row and the frame table's label editor included: the saved
// file holds it in Windows-1252 (never UTF-8), and after the file is opened again every field and
// the project tree show it as typed, and no page shows a name typed on another device's page. A
// character that Windows-1252 cannot hold, typed after the name, is refused by the field.
#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QStatusBar>
#include <QTabBar>

#include <algorithm>
#include <iterator>
#include <map>

#include "../../typetext.h"
#include "controls/updown.h"
#include "platform/text1252.h"
#include "sweep.h"

using namespace kvr::app;

namespace {

// The field's place in its window: the names of its parents and its own, an unnamed widget by
// its index among its siblings.
QString FieldPath(const QWidget* W)
{
    QStringList parts;
    for (const QWidget* w = W; w != nullptr && !w->isWindow(); w = w->parentWidget()) {
        const QWidget* p = w->parentWidget();
        parts.prepend(w->objectName().isEmpty() && p != nullptr ? QString("#%1").arg(p->children().indexOf(w))
                                                                 : w->objectName());
    }
    return parts.join('/');
}

// A field that up and down arrows step holds a number, not a name.
bool SteppedNumber(const QLineEdit* Edit)
{
    // The arrows carry no meta-object of their own: found by their type.
    const QList<QWidget*> siblings = Edit->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    return std::any_of(siblings.begin(), siblings.end(), [Edit](const QWidget* W) {
        const auto* arrows = dynamic_cast<const kvr::controls::TUpDown*>(W);
        return arrows != nullptr && arrows->AssociatedField() == Edit;
    });
}

// The fields a user can type a name into on the page shown (with Shown, those that cannot be
// typed into now as well).
std::vector<QLineEdit*> TextFields(QWidget* Window, bool Shown = false)
{
    std::vector<QLineEdit*> out;
    for (QLineEdit* edit : Window->findChildren<QLineEdit*>()) {
        if (edit->isVisible() && (Shown || (edit->isEnabled() && !edit->isReadOnly())) && edit->inputMask().isEmpty() &&
            qobject_cast<QComboBox*>(edit->parentWidget()) == nullptr && !SteppedNumber(edit))
            out.push_back(edit);
    }
    return out;
}

// The device a page belongs to, from its place "0.1.2 / tab": the second number, none for the
// project's own pages.
QString DeviceOf(const QString& Key)
{
    const QStringList places = Key.section(' ', 0, 0).split('.');
    return places.size() > 1 ? places[1] : QString();
}

} // namespace

class NamesSweepTest : public QObject {
    Q_OBJECT

    test::SweepWindow sweep;
    TCX4AppForm* form = nullptr;

private slots:
    void initTestCase()
    {
        sweep.Open();
        form = sweep.Form;
    }
    void cleanupTestCase() { sweep.Close(); }

    void namesAreStoredInWindows1252AndReadBackAsTyped()
    {
        const QString umlauts = QString::fromUtf8("\u00FC\u00DF\u20AC");
        std::map<QString, QString> typed; // page and field -> name
        QStringList faults;
        QCOMPARE(form->FProject->CountDevicesOverLimit(), 0);
        // A window that asks in a modal pass of its own is a fault here: close it and say so.
        QTimer modals;
        connect(&modals, &QTimer::timeout, form, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                faults << "a window came up: " + modal->windowTitle();
                modal->close();
            }
        });
        modals.start(200);
        int number = 0;
        test::ForEachPage(
            *form,
            [&](const QString& Page) {
                test::ChooseFirstRows(*form);
                test::OpenSlotLabelEditor(*form);
                for (QLineEdit* edit : TextFields(form)) {
                    const QString key = Page + " | " + FieldPath(edit);
                    const QString name = (umlauts + QString::number(++number)).left(edit->maxLength());
                    edit->setFocus();
                    edit->selectAll();
                    kvr::test::TypeText(edit, name + QChar(char16_t{0x03A9})); // then an omega
                    const QString took = edit->text();
                    edit->clearFocus(); // fields that write when the user leaves them
                    test::Settle(*form);
                    bool number = false;
                    edit->text().toDouble(&number);
                    if (!took.startsWith(name.left(2)) || number)
                        continue; // a number field, refusing the name or reading a number from it when left
                    if (took != name)
                        faults << key + ": took \"" + took + "\"";
                    typed[key] = name;
                }
            },
            true);
        QVERIFY(typed.size() > 20);
        // The fitting that follows the edits may find a device of the sample over its limits,
        // which stops the menu's save with the check list; the file is written the same way.
        if (form->FProject->CountDevicesOverLimit() == 0) {
            form->Action("Save1")->trigger();
            test::Settle(*form);
        } else {
            QVERIFY(form->FProject->Model()->SaveToDisk(sweep.File, true) != 0);
        }
        QFile file(QString::fromStdString(sweep.File));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        for (const char* utf8 : {"\xC3\xBC", "\xC3\x9F", "\xE2\x82\xAC"})
            QVERIFY2(!bytes.contains(utf8), utf8);
        std::map<QString, QString> unread;
        for (const auto& [key, name] : typed) {
            if (!bytes.contains(QByteArray::fromStdString(kvr::platform::toCp1252(name))))
                faults << key + ": \"" + name + "\" not in the file in Windows-1252";
            unread.emplace(key, name);
        }

        QVERIFY(form->CloseProject());
        QVERIFY(form->FileCommands().OpenRecent(sweep.File));
        test::Settle(*form);
        test::ForEachPage(
            *form,
            [&](const QString& Page) {
                // Before any choice, no field shows a name typed on another device's page.
                for (QLineEdit* edit : TextFields(form, true)) {
                    const auto other = std::find_if(typed.begin(), typed.end(), [&](const auto& T) {
                        return T.second == edit->text() && !DeviceOf(T.first).isEmpty() && !DeviceOf(Page).isEmpty() &&
                               DeviceOf(T.first) != DeviceOf(Page);
                    });
                    if (other != typed.end())
                        faults << Page + " | " + FieldPath(edit) + ": shows \"" + edit->text() + "\", typed on " + other->first;
                }
                test::ChooseFirstRows(*form);
                test::OpenSlotLabelEditor(*form);
                for (QLineEdit* edit : TextFields(form)) {
                    const auto it = typed.find(Page + " | " + FieldPath(edit));
                    if (it == typed.end())
                        continue;
                    if (edit->text() != it->second)
                        faults << it->first + ": reads \"" + edit->text() + "\", typed \"" + it->second + "\"";
                    unread.erase(it->first);
                }
            },
            true);
        for (const auto& [key, name] : unread)
            faults << key + ": not shown again";

        // The device names typed on the device pages, in the tree.
        QStringList tree;
        for (QTreeWidgetItemIterator it(form->ProjectTree); *it != nullptr; ++it)
            tree << (*it)->text(0);
        for (int d = 0; d < 2; ++d) {
            const QString name = kvr::platform::fromCp1252(form->FProject->Model()->Device(d)->GetName());
            QVERIFY2(name.contains(umlauts.left(1)), qPrintable(name));
            QVERIFY2(std::any_of(tree.begin(), tree.end(), [&](const QString& t) { return t.startsWith(name); }),
                     qPrintable(name));
        }
        if (!faults.isEmpty())
            qWarning().noquote() << "Fields that lose the name:\n" + faults.join('\n');
        QCOMPARE(faults.size(), 0);
    }

    // The Audio System tabs that name pools, pots, mute logics and source lists serve every
    // frame: a name typed on each frame stays with its frame in the file, and a frame's tab never
    // shows the other frame's name, whichever way the user moves between frames and tabs.
    void namesTypedOnEachFrameStayWithTheirFrame()
    {
        struct Tab {
            const char* Caption;
            const char* List;
            const char* Edit;
        };
        const Tab tabs[] = {{"Input Pools", "ListBox3", "Edit21"},
                            {"Potentiometer", "ListView19", "Edit26"},
                            {"Mute Logics", "ListBox5", "Edit1"},
                            {"Selector Source Lists", "ListBox6", "Edit27"}};
        const auto name = [](int Frame) { return QString::fromUtf8("F%1\u00FC\u00DF\u20AC").arg(Frame + 1); };
        const auto showFrame = [&](int Frame) {
            const auto& nodes = form->TreeNodes();
            const auto node = std::find_if(nodes.begin(), nodes.end(), [&](const TreeNodeSpec& N) {
                return N.Device == Frame && N.Text == "Audio System";
            });
            QVERIFY(node != nodes.end());
            form->ProjectTree->setCurrentItem(form->TreeItem(static_cast<int>(node - nodes.begin())));
            test::Settle(*form);
        };
        // The arrow keys on the tab bar, as a user moves along the tabs.
        const auto showTab = [&](const Tab& T) {
            QTabBar* bar = form->PageControl2->tabBar();
            bar->setFocus();
            for (int step = 0; step < bar->count() && bar->tabText(bar->currentIndex()) != T.Caption; ++step)
                QTest::keyClick(bar, Qt::Key_Right);
            for (int step = 0; step < bar->count() && bar->tabText(bar->currentIndex()) != T.Caption; ++step)
                QTest::keyClick(bar, Qt::Key_Left);
            test::Settle(*form);
            QCOMPARE(bar->tabText(bar->currentIndex()), QString(T.Caption));
        };
        const auto list = [&](const Tab& T) { return form->PageControl2->currentWidget()->findChild<QAbstractItemView*>(T.List); };
        const auto edit = [&](const Tab& T) { return form->PageControl2->currentWidget()->findChild<QLineEdit*>(T.Edit); };
        const auto clickFirstRow = [&](const Tab& T) {
            QAbstractItemView* view = list(T);
            QVERIFY(view->model()->rowCount() > 0);
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(0, 0)).center());
            test::Settle(*form);
        };

        // Each tab in turn on both frames, the tab staying while the frame changes.
        for (const Tab& tab : tabs) {
            for (int frame = 0; frame < 2; ++frame) {
                showFrame(frame);
                showTab(tab);
                clickFirstRow(tab);
                QLineEdit* field = edit(tab);
                QVERIFY2(field->isEnabled(), tab.Caption);
                field->setFocus();
                field->selectAll();
                kvr::test::TypeText(field, name(frame));
                field->clearFocus();
                test::Settle(*form);
            }
        }
        QVERIFY(form->FProject->Model()->SaveToDisk(sweep.File, true) != 0);
        QFile file(QString::fromStdString(sweep.File));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        for (const Tab& tab : tabs) {
            for (int frame = 0; frame < 2; ++frame) {
                const QByteArray stored = QByteArray::fromStdString(kvr::platform::toCp1252(name(frame)));
                QVERIFY2(bytes.contains(stored), qPrintable(QString(tab.Caption) + ": " + name(frame)));
            }
        }
        QVERIFY(!bytes.contains("\xC3\xBC"));

        QVERIFY(form->CloseProject());
        QVERIFY(form->FileCommands().OpenRecent(sweep.File));
        test::Settle(*form);
        // The frames in the other order, tabs by the keys: each tab reads its own frame's names.
        for (int frame : {1, 0}) {
            showFrame(frame);
            for (const Tab& tab : tabs) {
                showTab(tab);
                const QString other = name(1 - frame);
                QVERIFY2(edit(tab)->text() != other, qPrintable(QString(tab.Caption) + " shows " + edit(tab)->text()));
                clickFirstRow(tab);
                const QString own = name(frame);
                QCOMPARE(edit(tab)->text(), own);
                const int column = QString(tab.List) == "ListView19" ? 2 : 0; // the pot list's label column
                QCOMPARE(list(tab)->model()->index(0, column).data().toString(), own);
            }
        }
    }
};

QTEST_MAIN(NamesSweepTest)
#include "names_sweep_qtest.moc"
