// The small windows: progress window, check list, about box, device selection, options dialog;
// the wait cursor on the screen and the application object that survives exceptions.
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <stdexcept>

#include "app/aboutform.h"
#include "app/cfglockform.h"
#include "app/devselform.h"
#include "app/optionform.h"
#include "app/processform.h"
#include "diagnostics/kvrassert.h"
#include "diagnostics/waitcursor.h"
#include "platform/application.h"
#include "platform/currentprompter.h"
#include "platform/qtcursorhook.h"
#include "platform/qtlogview.h"

using namespace kvr::app;

namespace {

class Thrower : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error("handler failed");
        if (e->type() == QEvent::User + 1)
            throw 42;
        return QObject::event(e);
    }
};

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void progressWindowCannotBeClosedEarly()
    {
        TProcessForm form;
        QVERIFY(ProcessMayClose(false, 0, 100));
        QVERIFY(!ProcessMayClose(true, 99, 100));
        QVERIFY(ProcessMayClose(true, 100, 100));

        form.show();
        form.ProgressBar->setValue(40);
        QVERIFY(!form.close());
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(form.isVisible());
        form.reject();
        QVERIFY(form.isVisible());

        form.ProgressBar->setValue(100);
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(!form.isVisible());
        QVERIFY(form.close()); // hidden: always allowed
        QCOMPARE(form.windowTitle(), QString("Process"));
        QCOMPARE(form.size(), QSize(407, 33));
    }

    void checkListShowsTheRowsAnewAtEveryShowing()
    {
        TCFGLockForm form;
        std::vector<CheckListRow> rows{{"Studio 1", "Too many summing buses", "Please remove some"}};
        form.RowSource = [&] { return rows; };
        form.show();
        QCOMPARE(form.List->topLevelItemCount(), 1);
        QCOMPARE(form.List->topLevelItem(0)->text(1), QString("Too many summing buses"));
        form.hide();
        rows.clear();
        form.show();
        QCOMPARE(form.List->topLevelItemCount(), 0);
        QCOMPARE(form.List->headerItem()->text(2), QString("Possible solution"));
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(!form.isVisible());
    }

    void aboutBoxShowsTheVersion()
    {
        TAboutForm form;
        QCOMPARE(form.Label9->text(), QString("Version 5.1.9 Build 409"));
        QCOMPARE(form.FFileVersionMS, (5u << 16) | 1u);
        QCOMPARE(form.FFileVersionLS, (9u << 16) | 409u);
        QCOMPARE(form.Label8->text(), QString("Cordex4"));
        QVERIFY(form.Label6->text().contains(", "));

        TAboutForm none(nullptr, 0, 0);
        QVERIFY(none.Label9->text().isEmpty());
        QCOMPARE(none.FFileVersionMS, 0u);
        QCOMPARE(none.Label8->text(), QString("Cordex4"));
    }

    void deviceSelectionEnablesSelectWithASelection()
    {
        TDevSelForm form;
        form.show();
        QVERIFY(!form.Button1->isEnabled());
        form.ListBox1->addItem("Studio 1");
        form.ListBox1->setCurrentRow(0);
        QVERIFY(form.Button1->isEnabled());
        form.ListBox1->clearSelection();
        QVERIFY(!form.Button1->isEnabled());

        bool accepted = false;
        connect(&form, &QDialog::accepted, [&] { accepted = true; });
        emit form.ListBox1->itemDoubleClicked(form.ListBox1->item(0));
        QVERIFY(accepted);
    }

    void optionsCheckBoxesWriteAtOnceEditFieldsOnlyOnOk()
    {
        TOptionForm form;
        TPreferences prefs = TPreferences::Defaults();
        prefs.SetAutoSave(true);
        prefs.SetAutoSaveInterval(20);
        form.FPrefs = prefs;

        QTimer::singleShot(0, &form, [&] {
            QVERIFY(!form.PageControl1->isTabVisible(2));
            QCOMPARE(form.PageControl1->currentWidget(), form.TabSheet2);
            QCOMPARE(form.Edit2->text(), QString("20"));
            QCOMPARE(form.Edit3->text(), QString("5"));
            QVERIFY(form.UpDown1->isEnabled());
            form.CheckBox3->click();            // switch automatic save off
            QVERIFY(!form.UpDown1->isEnabled());
            form.UpDown2->StepBy(3);            // levels 8, an edit field
            form.CheckBox4->click();
            QCOMPARE(form.Edit4->text(), QString("365"));
            form.Button1->click();              // Cancel
        });
        QCOMPARE(form.exec(), int(QDialog::Rejected));
        QVERIFY(!form.FPrefs.AutoSave());
        QCOMPARE(form.FPrefs.BackupLevels(), 5);
        QCOMPARE(form.FPrefs.AutoSaveInterval(), 20);

        form.FPrefs.SetFitOptions(2);
        QTimer::singleShot(0, &form, [&] {
            form.UpDown2->SetPosition(9);
            form.UpDown2->StepBy(1); // no wrap
            form.Edit4->setText("400");
            form.Edit4Exit();
            QCOMPARE(form.Edit4->text(), QString("365"));
            form.Button2->click(); // OK
        });
        QCOMPARE(form.exec(), int(QDialog::Accepted));
        QCOMPARE(form.FPrefs.BackupLevels(), 9);
        QCOMPARE(form.FPrefs.LogAge(), 365);
        QCOMPARE(form.FPrefs.FitOptions(), 0);
    }

    void logAgeOfZeroUnchecksTheBox()
    {
        TOptionForm form;
        form.show();
        form.CheckBox4->setChecked(true);
        form.Edit4->setText("0");
        form.Edit4Exit();
        QVERIFY(!form.CheckBox4->isChecked());
        QVERIFY(!form.Edit4->isEnabled());
    }

    void missingFolderIsReportedAndShortened()
    {
        auto scripted = std::make_unique<kvr::platform::ScriptedPrompter>();
        auto* prompts = scripted.get();
        kvr::platform::setPrompter(std::move(scripted));
        TOptionForm form;
        form.FolderEdit->setText("/tmp/xy-no-such-folder-at-all");
        form.FolderEditExit();
        QCOMPARE(prompts->records().size(), std::size_t{1});
        QCOMPARE(prompts->records()[0].text, QString("The path you entered was not found!"));
        QVERIFY(QFileInfo(form.FolderEdit->text()).isDir() || form.FolderEdit->text().isEmpty());
        form.FolderEdit->setText("/tmp/");
        form.FolderEditExit();
        QCOMPARE(form.FolderEdit->text(), QString("/tmp"));
        QCOMPARE(prompts->records().size(), std::size_t{1});
        kvr::platform::setPrompter(nullptr);
    }

    void waitCursorsShowTheHourglassOnce()
    {
        kvr::diag::SetCursorHook(std::make_shared<kvr::platform::QtCursorHook>());
        QVERIFY(!QGuiApplication::overrideCursor());
        {
            TWaitCursor outer;
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
            {
                TWaitCursor inner(true);
                QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
            }
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QVERIFY(!QGuiApplication::overrideCursor());

        QGuiApplication::setOverrideCursor(Qt::ClosedHandCursor); // someone drags
        {
            TWaitCursor wait;
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::ClosedHandCursor);
        }
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::ClosedHandCursor);
        QGuiApplication::restoreOverrideCursor();
        kvr::diag::SetCursorHook(nullptr);
    }

    void logLinesShowInTheMemoUntilItIsGone()
    {
        auto* memo = new QPlainTextEdit;
        auto view = std::make_shared<kvr::platform::QtLogView>(memo);
        TKVRLog log;
        log.Enabled = true;
        log.FlushLimit = 3;
        log.FlushLeft = 1;
        log.FSetMemo(view);
        log.Message("one", 0);
        log.Message("two", 0);
        QCOMPARE(memo->toPlainText().count('\n'), 1);
        QVERIFY(memo->toPlainText().endsWith(" two"));
        log.Message("three", 0);
        log.Message("four", 0); // the flush leaves the last line
        QCOMPARE(memo->blockCount(), 1);
        QVERIFY(memo->toPlainText().endsWith(" four"));
        delete memo;
        QVERIFY(!view->IsAlive());
        log.Message("five", 0); // no view any more
        log.Enabled = false;
    }

    void assertionReportIsShownOnceThenRaised()
    {
        auto scripted = std::make_unique<kvr::platform::ScriptedPrompter>();
        auto* prompts = scripted.get();
        kvr::platform::setPrompter(std::move(scripted));
        const auto previousHook = kvr::diag::SetPlainMessageHook(kvr::platform::ShowAssertionReport);
        const auto previousProbe = kvr::diag::SetDebuggerProbe([] { return false; });
        QString raised;
        try {
            AssertionFailed("src/kvrdata/blockvalue.h", "TBString<N>::SetLength", 42, "Len < 40");
        } catch (const EAssertionFailed& e) {
            raised = QString::fromLatin1(e.what());
        }
        kvr::diag::SetPlainMessageHook(previousHook);
        kvr::diag::SetDebuggerProbe(previousProbe);
        QCOMPARE(prompts->records().size(), std::size_t{1});
        QCOMPARE(prompts->records()[0].kind, kvr::platform::ScriptedPrompter::Record::Message);
        QVERIFY(prompts->records()[0].text.contains("Function: TBString<N>::SetLength\nLine: 42\nCondition: Len < 40"));
        QCOMPARE(raised, prompts->records()[0].text);
        kvr::platform::setPrompter(nullptr);
    }

    void exceptionsOfHandlersAreShownAndTheLoopGoesOn()
    {
        QStringList shown;
        kvr::platform::TKVRApplication::SetExceptionPresenter([&](const QString& m) { shown.push_back(m); });
        Thrower thrower;
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::Type(QEvent::User + 1)));
        QCoreApplication::processEvents();
        QCOMPARE(shown, QStringList({"handler failed", ""}));
        kvr::platform::TKVRApplication::SetExceptionPresenter({});
    }
};

int main(int argc, char** argv)
{
    kvr::platform::TKVRApplication app(argc, argv);
    DialogsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "dialogs_qtest.moc"
