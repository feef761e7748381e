// The options dialog of a DSP function: the type's panel, knobs that update their texts, and
// "Ok", "Cancel" and Escape.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include "controls/kvrpoti3.h"
#include "editors/dsp/devparaform.h"

using namespace kvr::editors;
using kvr::controls::TKVRPoti3;

class DevParaFormTest : public QObject {
    Q_OBJECT

    static QString TextOf(const TDevParaForm& form, const char* name)
    {
        const auto* label = form.findChild<QLabel*>(name);
        return label ? label->text() : QString("<none>");
    }

    // The dialog opened on a type with its first parameter word.
    static void Show(TDevParaForm& form, int type, std::uint32_t word)
    {
        form.DSPFunctionType = type;
        form.Parameters = {word};
        form.FormShow();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QApplication::processEvents();
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

    // The form previews keys: Escape closes it whatever control has the focus.
    void escapeFromAnyFocusedControlCancels_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("knob") << "EQGainPoti";
        QTest::newRow("combo box") << "EQTypeBox";
        QTest::newRow("check box") << "EQOnBox";
        QTest::newRow("Ok button") << "OkButton";
    }
    void escapeFromAnyFocusedControlCancels()
    {
        QFETCH(QString, control);
        TDevParaForm form;
        const DspWords stored{0x10000000 | 1120 | (1u << 15), 0xABCDEF};
        form.DSPFunctionType = 10;
        form.Parameters = stored;
        bool focused = false;
        bool closedByEscape = false;
        QTimer::singleShot(0, &form, [&] {
            form.activateWindow();
            [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(&form);
            auto* widget = form.findChild<QWidget*>(control);
            widget->setFocus();
            focused = QApplication::focusWidget() == widget;
            if (auto* knob = dynamic_cast<TKVRPoti3*>(widget))
                QTest::keyClick(knob, Qt::Key_PageUp);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            closedByEscape = !form.isVisible();
            if (!closedByEscape) // ends the modal loop whatever the key did
                form.reject();
        });
        QCOMPARE(form.ShowModal(), 2);
        QVERIFY(focused);
        QVERIFY(closedByEscape);
        QCOMPARE(form.Parameters, stored);
    }

    // Texts as the dialog words them.
    void valueTextsAreWordedAndWhole_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<uint>("word");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        QTest::newRow("limiter threshold") << 12 << 0x00000A05u << "TLimLevelPoti" << "5dB int";
        QTest::newRow("transient limiter threshold") << 30 << 0x00000AFBu << "TLimLevelPoti" << "-5dB int";
        QTest::newRow("sine level") << 31 << (0x1F9Cu << 16 | 1633u) << "SineGainPoti" << "-10 dB int";
    }
    void valueTextsAreWordedAndWhole()
    {
        QFETCH(int, type);
        QFETCH(uint, word);
        QFETCH(QString, control);
        QFETCH(QString, text);
        TDevParaForm form;
        Show(form, type, word);
        auto* label = form.findChild<QLabel*>(control + "Text");
        QVERIFY(label != nullptr);
        QCOMPARE(label->text(), text);
        QVERIFY2(label->contentsRect().width() >= label->fontMetrics().horizontalAdvance(text),
                 qPrintable(QString("%1 wide for %2").arg(label->contentsRect().width()).arg(text)));
    }

    // The DTMF table chosen after the third table: its widest text still fits.
    void dtmfTextWholeAfterChoosingTheTable()
    {
        TDevParaForm form;
        Show(form, 31, 32);
        auto* dtmf = form.findChild<QWidget*>("FTableSelect1");
        QVERIFY(dtmf != nullptr);
        QTest::mouseClick(dtmf, Qt::LeftButton, {}, QPoint(5, dtmf->height() / 2));
        auto* knob = form.findChild<TKVRPoti3*>("SineFreqPoti");
        knob->setFocus();
        QTest::keyClick(knob, Qt::Key_End);
        QApplication::processEvents();
        auto* label = form.findChild<QLabel*>("SineFreqPotiText");
        QCOMPARE(label->text(), QString("1633 Hz (Column 4)"));
        QVERIFY(label->contentsRect().width() >= label->fontMetrics().horizontalAdvance(label->text()));
    }

    void sineTableSelectorMovesTheKnobsRange()
    {
        TDevParaForm form;
        Show(form, 31, 941);
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
