// Renders the main pages of the full sample project to PNG as the program draws them at its
// default window size, for docs/screens: scripts/screenshots runs it on the offscreen platform.
// KVR_SCREENS names the folder the pictures go to; with KVR_SAMPLE_PROJECT set instead, the
// program only writes the sample project to that file (to try it in the running program).
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QTabWidget>

#include <algorithm>
#include <cstdlib>

#include "sweep.h"

using namespace kvr::app;

// The project's time, and the ID made from it, stay the same from one run to the next, so an
// unchanged page gives the same picture again.
class FixedTimeHost : public QtModelHost {
public:
    std::uint32_t CurrentTime() override { return 1767225600; } // 1 January 2026
};

class Screenshots : public QObject {
    Q_OBJECT

    FixedTimeHost host;
    test::SweepWindow sweep;
    TCX4AppForm* form = nullptr;
    QDir folder;

    // Selects the node of the device with the text, as a click in the tree does.
    void Show(int Device, const char* Text)
    {
        const auto& nodes = form->TreeNodes();
        const auto node = std::find_if(nodes.begin(), nodes.end(),
                                       [&](const TreeNodeSpec& N) { return N.Device == Device && N.Text == Text; });
        QVERIFY2(node != nodes.end(), Text);
        form->ProjectTree->setCurrentItem(form->TreeItem(static_cast<int>(node - nodes.begin())));
        test::Settle(*form);
    }
    void ShowTab(QTabWidget* Tabs, const char* Caption)
    {
        QVERIFY(Tabs != nullptr);
        for (int i = 0; i < Tabs->count(); ++i)
            if (Tabs->tabText(i) == Caption)
                Tabs->setCurrentIndex(i);
        QCOMPARE(Tabs->tabText(Tabs->currentIndex()), QString(Caption));
        test::Settle(*form);
    }
    // A window's few flat colours fit a palette: an indexed picture at the highest compression
    // is a fraction of a full-colour one.
    void Save(QWidget* Window, const char* Name)
    {
        const QString file = folder.filePath(QString(Name) + ".png");
        const QImage picture = Window->grab().toImage().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
        QVERIFY2(picture.save(file, "PNG", 0), qPrintable(file));
    }

private slots:
    void initTestCase()
    {
        if (const char* project = std::getenv("KVR_SAMPLE_PROJECT")) {
            test::WriteFullProject(project);
            QSKIP("sample project written");
        }
        const char* screens = std::getenv("KVR_SCREENS");
        QVERIFY2(screens != nullptr, "KVR_SCREENS names the folder for the pictures");
        folder = QDir(QString::fromLocal8Bit(screens));
        QVERIFY(folder.mkpath("."));
        sweep.Host = &host;
        sweep.Open();
        form = sweep.Form;
    }
    void cleanupTestCase()
    {
        if (form != nullptr)
            sweep.Close();
    }

    void pages()
    {
        Show(-1, "Sweep");
        Save(form, "project");
        Show(0, "Frame 1");
        ShowTab(form->findChild<QTabWidget*>("PageControl3"), "Authorisation");
        Save(form, "device");
        Show(0, "DSP Frame I/O");
        Save(form, "frameio");
        Show(0, "Slot 10: DSP");
        Save(form, "frameio-madi-slot");
        Show(0, "Console");
        Save(form, "console");
        Show(0, "Audio System");
        test::ChooseFirstRows(*form);
        Save(form, "audio");
        Show(0, "Logic Functions");
        test::ChooseFirstRows(*form);
        Save(form, "logic-functions");
    }

    // The logic-source window, as the main window's command opens it beside the logic pages.
    void logicSources()
    {
        form->Action("ResourceWindow1")->trigger();
        test::Settle(*form);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != form && w->isVisible() && !w->inherits("QMenu")) {
                Save(w, "logic-sources");
                w->hide();
            }
    }
};

QTEST_MAIN(Screenshots)
#include "screenshots.moc"
