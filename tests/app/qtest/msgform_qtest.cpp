// The numbered-message dialog: buttons and their results, keys, caption and geometry.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include "platform/kvrmsgform.h"

using kvr::platform::TKVRMsgForm;

class MsgFormTest : public QObject {
    Q_OBJECT

    // Runs Execute and acts on the dialog once it is up.
    int Run(TKVRMsgForm& form, int kind, const std::string& text, unsigned code, const std::string& buttons,
            const std::function<void(TKVRMsgForm&)>& act)
    {
        connect(&form, &TKVRMsgForm::Shown, &form, [&] { act(form); }, Qt::SingleShotConnection);
        return form.Execute(kind, text, code, buttons);
    }

    static QPushButton* Button(TKVRMsgForm& form, const QString& caption)
    {
        for (QPushButton* b : form.ButtonList)
            if (b->text() == caption)
                return b;
        return nullptr;
    }

private slots:
    void buttonsGiveTheirResults_data()
    {
        QTest::addColumn<QString>("letters");
        QTest::addColumn<QString>("press");
        QTest::addColumn<int>("result");
        QTest::newRow("empty is OK") << "" << "&OK" << 1;
        QTest::newRow("yes") << "YN" << "&Yes" << 6;
        QTest::newRow("no") << "YN" << "&No" << 7;
        QTest::newRow("abort") << "ARC" << "&Abort" << 3;
        QTest::newRow("retry") << "ARC" << "&Retry" << 4;
        QTest::newRow("cancel") << "ARC" << "&Cancel" << 2;
    }
    void buttonsGiveTheirResults()
    {
        QFETCH(QString, letters);
        QFETCH(QString, press);
        QFETCH(int, result);
        TKVRMsgForm form;
        const int answer = Run(form, 5, "Something failed", 0xA1000005, letters.toStdString(), [&](TKVRMsgForm& f) {
            QPushButton* b = Button(f, press);
            QVERIFY(b);
            b->click();
        });
        QCOMPARE(answer, result);
        QVERIFY(form.ButtonList.isEmpty()); // the buttons are gone after Execute
    }

    void escapeCancelsEvenWithoutCancelButton()
    {
        TKVRMsgForm form;
        const int answer = Run(form, 3, "Go on?", 0x61000001, "YN", [](TKVRMsgForm& f) { QTest::keyClick(&f, Qt::Key_Escape); });
        QCOMPARE(answer, 2);
    }

    void enterTakesTheDefaultButton()
    {
        TKVRMsgForm form;
        bool wasDefault = false;
        const int answer = Run(form, 3, "Go on?", 0x61000001, "!YN", [&](TKVRMsgForm& f) {
            wasDefault = Button(f, "&Yes")->isDefault() && !Button(f, "&No")->isDefault();
            QTest::keyClick(&f, Qt::Key_Return);
        });
        QVERIFY(wasDefault);
        QCOMPARE(answer, 6);
    }

    void kindSetsCaptionAndTooltipShowsTheCode()
    {
        TKVRMsgForm form;
        QString caption, tooltip;
        bool hasIcon = true;
        Run(form, 0x43000001 >> 29, "Odd kind", 0x43000001, "", [&](TKVRMsgForm& f) {
            caption = f.windowTitle();
            tooltip = f.Image->toolTip();
            hasIcon = !f.Image->pixmap().isNull();
            f.ButtonList.front()->click();
        });
        QCOMPARE(caption, QString("KVRMsgForm"));
        QCOMPARE(tooltip, QString("43000001"));
        QVERIFY(!hasIcon);

        TKVRMsgForm warning;
        Run(warning, 1, "Careful", 0x21000001, "", [&](TKVRMsgForm& f) {
            caption = f.windowTitle();
            hasIcon = !f.Image->pixmap().isNull();
            f.ButtonList.front()->click();
        });
        QCOMPARE(caption, QString("Warning"));
        QVERIFY(hasIcon);
    }

    void geometryCentresTheButtonRow()
    {
        TKVRMsgForm form;
        QList<QRect> rects;
        QSize client;
        Run(form, 4, "Done & dusted", 0x81000001, "YNC", [&](TKVRMsgForm& f) {
            client = f.size();
            for (QPushButton* b : f.ButtonList)
                rects.push_back(b->geometry());
            QCOMPARE(f.Label->text(), QString("Done & dusted"));
            QTest::keyClick(&f, Qt::Key_Escape);
        });
        QCOMPARE(rects.size(), 3);
        QCOMPARE(rects[0].size(), QSize(65, 23));
        QCOMPARE(rects[1].left() - rects[0].left(), 70);
        const int rowWidth = rects[2].right() + 1 - rects[0].left();
        QCOMPARE(rowWidth, 205);
        QVERIFY(qAbs((rects[0].left() + rowWidth / 2) - client.width() / 2) <= 1);
        QCOMPARE(rects[0].bottom() + 1, client.height() - 10);
        QVERIFY(client.width() >= 3 * 70 + 65);
    }

    void linkStandsBelowTheTextAndCopyTakesTheWholeText()
    {
        TKVRMsgForm form;
        bool linkShown = false;
        int buttons = 0;
        QRect label, link;
        Run(form, 5, "Xfirst line", 0xA1000001, "OM", [&](TKVRMsgForm& f) {
            linkShown = f.IDLabel->isVisible();
            buttons = f.ButtonList.size();
            label = f.Label->geometry();
            link = f.IDLabel->geometry();
            QTest::keyClick(&f, Qt::Key_C, Qt::ControlModifier);
            f.ButtonList.front()->click();
        });
        QVERIFY(linkShown);
        QCOMPARE(buttons, 1);
        QCOMPARE(link.top(), label.bottom() + 1);
        QCOMPARE(form.IDLabel->text(), QString("\nClick here to learn more about this message"));
        QCOMPARE(QApplication::clipboard()->text(), QString("Xfirst line"));
    }
};

QTEST_MAIN(MsgFormTest)
#include "msgform_qtest.moc"
