// The options dialog of a DSP function: the type's panel, knobs that update their texts, and
// "Ok", "Cancel" and Escape.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include "controls/kvrpoti3.h"
#include "editors/devparaform.h"

using namespace kvr::editors;
using kvr::controls::TKVRPoti3;

class DevParaFormTest : public QObject {
    Q_OBJECT

    static QString TextOf(const TDevParaForm& form, const char* name)
    {
        const auto* label = form.findChild<QLabel*>(name);
        return label ? label->text() : QString("<none>");
    }

private slots:
    void opensOnTheTypesPanelAndKnobsUpdateTheirText()
    {
        TDevParaForm form;
        form.DSPFunctionType = 10;
        form.Parameters = {1010 | (10u << 15)};
        form.FormShow();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.findChild<QWidget*>("EQPanel") != nullptr);
        QCOMPARE(TextOf(form, "PanelTitle"), QString("Equalizer"));
        QCOMPARE(TextOf(form, "EQFreqPotiText"), QString("1120 Hz"));
        auto* knob = form.findChild<TKVRPoti3*>("EQFreqPoti");
        QVERIFY(knob != nullptr);
        QCOMPARE(knob->Position(), 34);
        knob->setFocus();
        QTest::keyClick(knob, Qt::Key_Right);
        QCOMPARE(knob->Position(), 35);
        QCOMPARE(TextOf(form, "EQFreqPotiText"), QString("1250 Hz"));
        QCOMPARE(form.Codec().Words()[0] & 0x7FFF, 1250u);

        // Notch hides the gain group.
        auto* type = form.findChild<QComboBox*>("EQTypeBox");
        QVERIFY(type != nullptr);
        auto* gain = form.findChild<TKVRPoti3*>("EQGainPoti");
        QVERIFY(gain->isVisible());
        type->setFocus();
        QTest::keyClick(type, Qt::Key_Down); // "Notch"
        QCOMPARE(type->currentIndex(), 1);
        QVERIFY(!gain->isVisible());
        QVERIFY(form.findChild<TKVRPoti3*>("EQQPoti")->isVisible());

        // Another type replaces the panel.
        form.DSPFunctionType = 15;
        form.FormShow();
        QVERIFY(form.findChild<QWidget*>("EQPanel") == nullptr);
        QCOMPARE(TextOf(form, "NoOptText"), QString("This DSP-function has no options."));
    }

    void okHandsBackTheWordsCancelAndEscapeDoNot()
    {
        TDevParaForm form;
        const DspWords stored{0x10000000 | 1010, 0xABCDEF};
        for (const int how : {0, 1, 2}) { // Ok, Cancel, Escape
            form.DSPFunctionType = 10;
            form.Parameters = stored;
            QTimer::singleShot(0, &form, [&form, how] {
                auto* knob = form.findChild<TKVRPoti3*>("EQGainPoti");
                knob->setFocus();
                QTest::keyClick(knob, Qt::Key_PageUp);
                if (how == 0)
                    form.findChild<QPushButton*>("OkButton")->click();
                else if (how == 1)
                    form.findChild<QPushButton*>("CancelButton")->click();
                else
                    QTest::keyClick(&form, Qt::Key_Escape);
            });
            const int result = form.ShowModal();
            if (how == 0) {
                QCOMPARE(result, 1);
                // Normalised (1010 Hz to 1120, quality 0 to 1) and the gain turned by 10.
                QCOMPARE(form.Parameters[0], 0x10000000u | 1120u | (1u << 15) | (10u << 20));
                QCOMPARE(form.Parameters[1], 0xABCDEFu);
            } else {
                QCOMPARE(result, 2);
                QCOMPARE(form.Parameters, stored);
            }
        }
    }

    void sineTableSelectorMovesTheKnobsRange()
    {
        TDevParaForm form;
        form.DSPFunctionType = 31;
        form.Parameters = {941};
        form.FormShow();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(TextOf(form, "SineFreqPotiText"), QString("941 Hz (Row 4)"));
        auto* knob = form.findChild<TKVRPoti3*>("SineFreqPoti");
        QCOMPARE(knob->Max(), 7);
        auto* third = form.findChild<QWidget*>("FTableSelect0");
        QVERIFY(third != nullptr);
        QTest::mouseClick(third, Qt::LeftButton, {}, QPoint(5, third->height() / 2));
        QCOMPARE(knob->Max(), 60);
        QCOMPARE(TextOf(form, "SineFreqPotiText"), QString("32 Hz"));
    }

    // The band tabs choose the band the knobs show, however the tab changes: the arrow keys on
    // the focused bar, as a click would.
    void bandTabsFollowTheKeys()
    {
        TDevParaForm form;
        form.DSPFunctionType = 34;
        form.Parameters = {10, 50, 90};
        form.FormShow();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* bands = form.findChild<QTabBar*>("SUBand");
        auto* gain = form.findChild<TKVRPoti3*>("SUGainPot");
        QVERIFY(bands != nullptr && gain != nullptr);
        QCOMPARE(gain->Position(), 10);
        bands->setFocus();
        QTest::keyClick(bands, Qt::Key_Right);
        QCOMPARE(bands->currentIndex(), 1);
        QCOMPARE(gain->Position(), 50);
        QTest::keyClick(bands, Qt::Key_Right);
        QCOMPARE(gain->Position(), 90);
        QTest::keyClick(bands, Qt::Key_Left);
        QCOMPARE(gain->Position(), 50);
    }
};

QTEST_MAIN(DevParaFormTest)
#include "devparaform_qtest.moc"
