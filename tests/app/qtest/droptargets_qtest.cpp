// Every drop target of the main window's pages, dragged onto as the window system delivers a
// drag: each drag enters its target first over a place where it may not land (an empty area,
// another column, a row that refuses) and then moves onto one where it may, and is dropped there.
// A target that refused the enter would never see those later moves.
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <string>

#include "app/appforms.h"
#include "app/mainform.h"
#include "app/qtmodelhost.h"
#include "app/devicepages/devicepanel.h"
#include "app/projectpages/projectpanel.h"
#include "console/keycaption.h"
#include "console/moduleplacement.h"
#include "console/pages/consolepage.h"
#include "console/pages/keyoptionspanel.h"
#include "console/pages/consolewidgets.h"
#include "editors/sources/audioreswin.h"
#include "editors/audio/audiotabpage.h"
#include "editors/audio/channelassignmentpage.h"
#include "editors/audio/faderchannelframe.h"
#include "editors/audio/fixedprocessingpage.h"
#include "editors/audio/insertframe.h"
#include "editors/logic/logicpagewidget.h"
#include "editors/audio/mixingpage.h"
#include "editors/audio/monitorpage.h"
#include "editors/audio/outfktpagewidget.h"
#include "editors/audio/outputroutingwidget.h"
#include "editors/sources/reswindow.h"
#include "editors/sources/rowdrag.h"
#include "editors/audio/sofframe.h"
#include "editors/sources/sourcedrag.h"
#include "editors/audio/sourcelistspage.h"
#include "model/channelname.h"
#include "model/device.h"
#include "model/inserts.h"
#include "model/keyaccess.h"
#include "model/keyfunctions.h"
#include "model/modelhost.h"
#include "model/outputfunctions.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/summingbuses.h"
#include "model/superoutputs.h"
#include "platform/currentprompter.h"
#include "platform/settingsstore.h"
#include "sourcebuilder.h"
#include "support/windowdrag.h"

using namespace kvr::app;
using namespace kvr::editors;
using kvr::testsupport::WindowDrag;

namespace {

// A point of a widget.
struct Spot {
    QWidget* Widget = nullptr;
    QPoint At;
};

// The middle of a cell of a list; column -1: right of the last column.
Spot Cell(QTreeWidget* list, int row, int column)
{
    const QRect line = list->visualItemRect(list->topLevelItem(row));
    const QHeaderView* header = list->header();
    const int x = column >= 0 ? header->sectionViewportPosition(column) + header->sectionSize(column) / 2
                              : header->length() + 5;
    return {list->viewport(), QPoint(x, line.center().y())};
}

// Below the last row of a list.
Spot Below(QAbstractItemView* list)
{
    return {list->viewport(), QPoint(10, list->viewport()->height() - 4)};
}

Spot Middle(QWidget* widget)
{
    return {widget, widget->rect().center()};
}

} // namespace

class DropTargetsTest : public QObject {
    Q_OBJECT

    QtModelHost host;
    TCX4AppForm* form = nullptr;

    kvr::model::TDevice& Device() { return *form->FProject->Model()->Device(0); }

    // A node of the project tree as a user selects it (text nullptr: the first of that device and
    // level), with the page switch that the change delay runs.
    void Select(int device, int level, const char* text)
    {
        const auto& nodes = form->TreeNodes();
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            if (nodes[i].Device == device && (level < 0 || nodes[i].Level == level) &&
                (!text || nodes[i].Text == text)) {
                form->ProjectTree->setCurrentItem(form->TreeItem(static_cast<int>(i)));
                form->TreeChangeDelay->stop();
                form->ProjectTreeChange();
                QApplication::processEvents();
                return;
            }
        }
        QFAIL(text ? text : "no such node");
    }
    // The ID of the first node of a source tree whose text holds part.
    template <typename Tree>
    static int NodeID(const Tree& tree, const char* part)
    {
        for (const SourceNode& node : tree.Nodes())
            if (!node.IsGroup() && node.Text.find(part) != std::string::npos)
                return node.ID;
        return -1;
    }
    int Door() { return NodeID(ResWindow->Tree(), "Door"); }
    int Mic() { return NodeID(AudioResWin->Tree(), "Mic"); }
    void PickLogic(int id) { ResWindow->SelectLogicSource(static_cast<std::uint32_t>(id)); }
    void PickAudio(int ref) { AudioResWin->SelectAudioSource(static_cast<std::uint32_t>(ref)); }

    // A row chosen with the mouse, as before a drag of it.
    static void Click(Spot spot)
    {
        QTest::mouseClick(spot.Widget, Qt::LeftButton, {}, spot.At);
        QApplication::processEvents();
    }

    kvr::model::TOutputFunction OutputFunction()
    {
        kvr::model::TOutputFunction out;
        kvr::model::GetOutputFunction(Device(), 0, out);
        return out;
    }
    kvr::model::TSOFRecord SOF()
    {
        kvr::model::TSOFRecord out;
        kvr::model::GetSOF(Device(), 0, out);
        return out;
    }
    kvr::console::ConsolePage& Console() { return *form->ConsolePageWidget; }
    // A slot of the console picture.
    Spot Slot(int position)
    {
        QWidget* picture = Console().ConsoleImg;
        const int column = picture->width() / 9;
        const int y = position >= 10 ? picture->height() / 8 : picture->height() * 3 / 4;
        return {picture, QPoint((position % 10) * column + column / 2, y)};
    }
    int TypeAt(int position) { return kvr::model::ModuleType(kvr::console::ModuleEntryAt(Device(), 0, position)); }

    struct Case {
        const char* Name;
        const char* Node;                 // of device 0; "": the device's own; nullptr: the project root
        std::function<void()> Prepare;    // the selections a user makes first, the source picked
        std::function<QMimeData*()> Data; // the drag's data, as its source builds it
        Qt::DropActions Actions;
        std::function<Spot()> Refuses;    // where the drag enters: it may not land there
        std::function<Spot()> Accepts;    // where it moves on to and is dropped
        std::function<bool()> Landed;     // what the drop did
        std::function<Spot()> Via = {};   // passed over on the way, whatever it answers
    };
    template <typename Page>
    Page* Tab(const char* caption)
    {
        QTabWidget* tabs = form->PageControl2;
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i) == caption) {
                tabs->setCurrentIndex(i);
                QApplication::processEvents();
                return dynamic_cast<Page*>(AudioTabPageOf(tabs->widget(i)));
            }
        return nullptr;
    }
    // The frames carry no meta-object of their own: found by name.
    TFaderChannelFrame* FaderFrame()
    {
        return dynamic_cast<TFaderChannelFrame*>(form->findChild<QWidget*>("FaderChannelFrame"));
    }
    TInsertFrame* InsertFrame() { return dynamic_cast<TInsertFrame*>(form->findChild<QWidget*>("InsertFrame")); }
    TSOFFrame* SOFFrame() { return dynamic_cast<TSOFFrame*>(form->findChild<QWidget*>("SOFFrame")); }
    static void ShowTabOf(QTabWidget* tabs, QWidget* widget)
    {
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->isAncestorOf(widget))
                tabs->setCurrentIndex(i);
        QApplication::processEvents();
    }
    static QString Text(QTreeWidget* list, int row, int column) { return list->topLevelItem(row)->text(column); }

private slots:
    void initTestCase()
    {
        kvr::platform::setSettingsStore(std::make_unique<kvr::platform::MemorySettingsStore>());
        kvr::platform::setPrompter(std::make_unique<kvr::platform::ScriptedPrompter>());
        kvr::model::SetModelHost(&host);
        form = CreateApplicationForms();
        form->resize(1400, 900);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        form->Action("New2")->trigger();
        form->Button50->click();
        // An I/O card with an input, an output, a GPI and a GPO; three faders and two fader
        // channels; a program bus.
        using namespace kvr::model::test;
        kvr::model::TDevice& dev = Device();
        dev.SetSetupData(0, CardRec(111,
                                    {{"Mic", static_cast<std::uint16_t>(kvr::model::MakeChannelID(0, 0, 0))},
                                     {"Out", static_cast<std::uint16_t>(kvr::model::MakeChannelID(0, 1, 0x80))}},
                                    {"Door", "Lamp"}));
        SetHeaderBytes(dev, {{kvr::model::dh::FaderCount, 3}, {kvr::model::dh::ProgramBusCount, 1}});
        dev.SetData(kvr::model::stFCH, Concat({FaderRec(5, "Host"), FaderRec(9, "CD")}));
        dev.SetData(kvr::model::stBus, BusRec("PGM", true));
        dev.FLogicSourcesChanged = true;
        dev.FAudioSourcesChanged = true;
    }
    void cleanupTestCase()
    {
        DestroyApplicationForms();
        kvr::model::SetModelHost(nullptr);
        kvr::platform::setPrompter(nullptr);
    }

    void everyTargetTakesADragThatEnteredWhereItMayNotLand()
    {
        TOutputFunctionsPage*& outFkt = form->OutputFunctionsPage;
        TFixedProcessingPage*& fixedProcessing = form->FixedProcessingPage;
        const auto logic = [] { return MakeSourceDrag(SourceDragKind::Logic); };
        const auto audio = [] { return MakeSourceDrag(SourceDragKind::Audio); };
        TChannelAssignmentPage*& assignment = form->AssignmentPage;
        LogicPageWidget*& logicPage = form->LogicPage;
        QString moved; // a row's text before it moves
        const Case cases[] = {
            // Output Functions: conditions from the logic tree, sources from the audio tree, its rows.
            {"GPI onto an output function's condition, across the sources of its row", "Output Functions",
             [&] {
                 outFkt->Button30->click();
                 outFkt->Button32->click();
                 outFkt->Button32->click();
                 Click(Cell(outFkt->ListView15, 1, 0));
                 QVERIFY(Door() > 0);
                 PickLogic(Door());
             },
             logic, Qt::CopyAction, [&] { return Cell(outFkt->ListView15, 1, 1); },
             [&] { return Cell(outFkt->ListView15, 1, 0); },
             [&] { return int(OutputFunction().Cond.at(1).ConditionID) == Door(); }},
            {"GPI onto a condition, across the empty area below the rows", "Output Functions",
             [&] { PickLogic(Door()); }, logic, Qt::CopyAction, [&] { return Below(outFkt->ListView15); },
             [&] { return Cell(outFkt->ListView15, 2, 0); },
             [&] { return int(OutputFunction().Cond.at(2).ConditionID) == Door(); }},
            {"input onto \"Source 1\", across the condition", "Output Functions",
             [&] {
                 QVERIFY(Mic() > 0);
                 PickAudio(Mic());
             },
             audio, Qt::CopyAction, [&] { return Cell(outFkt->ListView15, 2, 0); },
             [&] { return Cell(outFkt->ListView15, 2, 1); },
             [&] { return int(OutputFunction().Cond.at(2).Source1) == Mic(); }},
            {"a condition row onto another, across the default row", "Output Functions",
             [&] { Click(Cell(outFkt->ListView15, 2, 1)); }, [&] { return MakeRowDrag(outFkt->ListView15); },
             Qt::MoveAction,
             [&] { return Cell(outFkt->ListView15, 0, 1); }, [&] { return Cell(outFkt->ListView15, 1, 1); },
             [&] { return int(OutputFunction().Cond.at(1).Source1) == Mic(); }},

            // Super Output Functions: the same kinds on the source table of an input.
            {"GPI onto an SOF source's condition, across the empty area", "Super Output Functions",
             [&] {
                 SOFFrame()->AddButton->click();
                 SOFFrame()->InsertSource->trigger();
                 SOFFrame()->InsertSource->trigger();
                 PickLogic(Door());
             },
             logic, Qt::CopyAction, [&] { return Below(SOFFrame()->SourceList); },
             [&] { return Cell(SOFFrame()->SourceList, 1, 0); },
             [&] { return int(SOF().Inputs[0].Sources[1].Logic) == Door(); }},
            {"input onto an SOF source, across its condition", "Super Output Functions", [&] { PickAudio(Mic()); },
             audio, Qt::CopyAction, [&] { return Cell(SOFFrame()->SourceList, 2, 0); },
             [&] { return Cell(SOFFrame()->SourceList, 2, 1); },
             [&] { return int(SOF().Inputs[0].Sources[2].Audio) == Mic(); }},
            {"an SOF source onto another, across the first", "Super Output Functions",
             [&] { Click(Cell(SOFFrame()->SourceList, 2, 1)); }, [&] { return MakeRowDrag(SOFFrame()->SourceList); },
             Qt::MoveAction,
             [&] { return Cell(SOFFrame()->SourceList, 0, 1); }, [&] { return Cell(SOFFrame()->SourceList, 1, 1); },
             [&] { return int(SOF().Inputs[0].Sources[1].Audio) == Mic(); }},

            // Fixed Processing: the source panel, the chain and the offer lists.
            {"input onto the processing's source panel, from beside it", "Fixed Processing",
             [&] {
                 fixedProcessing->Button40->click();
                 PickAudio(Mic());
             },
             audio, Qt::CopyAction, [&] { return Middle(fixedProcessing->Edit20); },
             [&] { return Middle(fixedProcessing->Panel16); },
             [&] {
                 kvr::model::TFixedProcessing processing;
                 kvr::model::GetFixedProcessing(Device(), 0, processing);
                 return int(processing.Source) == (Mic() & ~1);
             }},
            {"an offered function onto the chain, from the source panel", "Fixed Processing",
             [&] { Click(Cell(fixedProcessing->ListView17, 0, 0)); },
             [&] { return MakeRowDrag(fixedProcessing->ListView17); },
             Qt::MoveAction, [&] { return Middle(fixedProcessing->Panel16); },
             [&] { return Below(fixedProcessing->ListView16); },
             [&] { return fixedProcessing->ListView16->topLevelItemCount() == 1; }},
            {"a chain function onto another, across the empty area", "Fixed Processing",
             [&] {
                 fixedProcessing->ListView17->setCurrentItem(fixedProcessing->ListView17->topLevelItem(1));
                 fixedProcessing->Button38->click();
                 moved = Text(fixedProcessing->ListView16, 1, 0);
                 Click(Cell(fixedProcessing->ListView16, 1, 0));
             },
             [&] { return MakeRowDrag(fixedProcessing->ListView16); }, Qt::MoveAction,
             [&] { return Below(fixedProcessing->ListView16); },
             [&] { return Cell(fixedProcessing->ListView16, 0, 0); },
             [&] { return Text(fixedProcessing->ListView16, 0, 0) == moved; }},
            {"a chain function onto the offers, from the source panel", "Fixed Processing",
             [&] { Click(Cell(fixedProcessing->ListView16, 0, 0)); },
             [&] { return MakeRowDrag(fixedProcessing->ListView16); },
             Qt::MoveAction, [&] { return Middle(fixedProcessing->Panel16); },
             [&] { return Middle(fixedProcessing->ListView17->viewport()); },
             [&] { return fixedProcessing->ListView16->topLevelItemCount() == 1; }},

            // Channel Assignment: channel and fader lines, chain and offered functions.
            {"a defined channel onto a fader, across the empty area", "Channel Assignment",
             [&] { Click(Cell(assignment->ListView7, 1, 0)); }, [&] { return MakeRowDrag(assignment->ListView7); },
             Qt::MoveAction,
             [&] { return Below(assignment->ListView6); }, [&] { return Cell(assignment->ListView6, 0, 0); },
             [&] { return Text(assignment->ListView6, 0, 1).contains("Host"); }},
            {"an offered function onto the fader's chain, from the channels", "Channel Assignment",
             [&] {
                 Click(Cell(assignment->ListView6, 0, 0));
                 Click(Cell(assignment->ListView8, 0, 0));
             },
             [&] { return MakeRowDrag(assignment->ListView8); }, Qt::MoveAction,
             [&] { return Middle(assignment->ListView7->viewport()); },
             [&] { return Middle(assignment->ListView9->viewport()); },
             [&] { return assignment->ListView9->topLevelItemCount() == 1; }},
            {"a chain function onto the offers, from the faders", "Channel Assignment",
             [&] { Click(Cell(assignment->ListView9, 0, 0)); }, [&] { return MakeRowDrag(assignment->ListView9); },
             Qt::MoveAction,
             [&] { return Cell(assignment->ListView6, 1, 0); },
             [&] { return Middle(assignment->ListView8->viewport()); },
             [&] { return assignment->ListView9->topLevelItemCount() == 0; }},
            {"a fader onto the channels, from the offered functions", "Channel Assignment",
             [&] { Click(Cell(assignment->ListView6, 0, 0)); }, [&] { return MakeRowDrag(assignment->ListView6); },
             Qt::MoveAction,
             [&] { return Middle(assignment->ListView8->viewport()); },
             [&] { return Middle(assignment->ListView7->viewport()); },
             [&] { return !Text(assignment->ListView6, 0, 1).contains("Host"); }},

            // Fader Channels: the list's own rows, the source and logic panels.
            {"a fader channel onto another, across the empty area", "Fader Channels",
             [&] {
                 auto* frame = FaderFrame();
                 moved = Text(frame->FCHList, 1, 0);
                 Click(Cell(frame->FCHList, 1, 0));
             },
             [&] { return MakeRowDrag(FaderFrame()->FCHList); }, Qt::MoveAction,
             [&] { return Below(FaderFrame()->FCHList); },
             [&] { return Cell(FaderFrame()->FCHList, 0, 0); },
             [&] { return Text(FaderFrame()->FCHList, 0, 0) == moved; }},
            {"input onto a fader channel's source, from its list", "Fader Channels",
             [&] {
                 auto* frame = FaderFrame();
                 Click(Cell(frame->FCHList, 0, 0));
                 // The frame shows the channel's groups on its refresh timer.
                 QTRY_VERIFY(frame->Panel10->isVisible());
                 PickAudio(Mic());
             },
             audio, Qt::CopyAction,
             [&] { return Below(FaderFrame()->FCHList); },
             [&] { return Middle(FaderFrame()->Panel10); },
             [&] { return Text(FaderFrame()->FCHList, 0, 1).contains("Mic"); }},
            {"input onto a fader channel's monitor source, from its list", "Fader Channels", [&] { PickAudio(Mic()); },
             audio, Qt::CopyAction,
             [&] { return Below(FaderFrame()->FCHList); },
             [&] { return Middle(FaderFrame()->Panel11); },
             [&] {
                 return QTest::qWaitFor([&] { return FaderFrame()->Panel11->text().contains("Mic"); });
             }},
            {"GPI onto a fader channel's lamp source, from its source", "Fader Channels",
             [&] {
                 QTRY_VERIFY(FaderFrame()->LogicPanels[1]->isVisible());
                 PickLogic(Door());
             },
             logic, Qt::CopyAction, [&] { return Middle(FaderFrame()->Panel10); },
             [&] { return Middle(FaderFrame()->LogicPanels[1]); },
             [&] {
                 return QTest::qWaitFor([&] { return FaderFrame()->LogicPanels[1]->text().contains("Door"); });
             }},

            // Output Routing, and the Audio System's tabs.
            {"input onto an output, from beside the list", "Output Routing", [&] { PickAudio(Mic()); }, audio,
             Qt::CopyAction, [&] { return Middle(form->OutputRoutingPage->Button42); },
             [&] { return Cell(form->OutputRoutingPage->ListView12, 0, 1); },
             [&] { return int(form->OutputRoutingPage->Rules().Rows().at(0).Ref) == Mic(); }},
            {"GPI onto a bus's talk condition, across its label", "Audio System",
             [&] {
                 auto* page = Tab<TMixingFunctionsPage>("Mixing Functions");
                 QVERIFY(page && page->ListView13->topLevelItemCount() > 0);
                 PickLogic(Door());
             },
             logic, Qt::CopyAction,
             [&] { return Cell(Tab<TMixingFunctionsPage>("Mixing Functions")->ListView13, 0, 0); },
             [&] { return Cell(Tab<TMixingFunctionsPage>("Mixing Functions")->ListView13, 0, 1); },
             [&] {
                 kvr::model::TBusRecord bus;
                 kvr::model::GetBus(Device(), 0, bus);
                 return int(bus.Logic1) == Door();
             }},
            {"input onto the talkback source, from the bus list", "Audio System",
             [&] {
                 Tab<TMixingFunctionsPage>("Mixing Functions");
                 PickAudio(Mic());
             },
             audio, Qt::CopyAction,
             [&] { return Cell(Tab<TMixingFunctionsPage>("Mixing Functions")->ListView13, 0, 1); },
             [&] { return Middle(Tab<TMixingFunctionsPage>("Mixing Functions")->Panel26); },
             [&] { return Tab<TMixingFunctionsPage>("Mixing Functions")->Panel26->text().contains("Mic"); }},
            {"GPI onto a bus's second talk condition, from the talkback source", "Audio System",
             [&] {
                 auto* page = Tab<TMixingFunctionsPage>("Mixing Functions");
                 Click(Cell(page->ListView13, 0, 0));
                 PickLogic(Door());
             },
             logic, Qt::CopyAction, [&] { return Middle(Tab<TMixingFunctionsPage>("Mixing Functions")->Panel26); },
             [&] { return Middle(Tab<TMixingFunctionsPage>("Mixing Functions")->Panel29); },
             [&] {
                 kvr::model::TBusRecord bus;
                 kvr::model::GetBus(Device(), 0, bus);
                 return int(bus.Logic2) == Door();
             }},
            {"input onto a monitor bus, from beside the list", "Audio System",
             [&] {
                 Tab<TMonitorFunctionsPage>("Monitor Functions");
                 PickAudio(Mic());
             },
             audio, Qt::CopyAction, [&] { return Middle(Tab<TMonitorFunctionsPage>("Monitor Functions")->Button3); },
             [&] { return Cell(Tab<TMonitorFunctionsPage>("Monitor Functions")->ListView18, 0, 1); },
             [&] { return int(kvr::model::GetMonitorBusSource(Device(), 0)) == Mic(); }},
            {"input onto a selector entry's left source, across the empty area", "Audio System",
             [&] {
                 auto* page = Tab<TSourceListsPage>("Selector Source Lists");
                 Click({page->ListBox6->viewport(), page->ListBox6->visualItemRect(page->ListBox6->item(0)).center()});
                 page->Button53->click();
                 PickAudio(Mic());
             },
             audio, Qt::CopyAction, [&] { return Below(Tab<TSourceListsPage>("Selector Source Lists")->ListView20); },
             [&] { return Cell(Tab<TSourceListsPage>("Selector Source Lists")->ListView20, 0, 2); },
             [&] {
                 kvr::model::TSourceList list;
                 kvr::model::GetSourceList(Device(), 0, list);
                 return list.Count == 1 && int(list.Entries[0].Left) == Mic();
             }},
            {"a selector entry onto another list, from the left source panel", "Audio System",
             [&] {
                 auto* page = Tab<TSourceListsPage>("Selector Source Lists");
                 Click(Cell(page->ListView20, 0, 0));
             },
             [&] { return MakeRowDrag(Tab<TSourceListsPage>("Selector Source Lists")->ListView20); }, Qt::MoveAction,
             [&] { return Middle(Tab<TSourceListsPage>("Selector Source Lists")->Panel31); },
             [&] {
                 QListWidget* lists = Tab<TSourceListsPage>("Selector Source Lists")->ListBox6;
                 return Spot{lists->viewport(), lists->visualItemRect(lists->item(1)).center()};
             },
             [&] {
                 kvr::model::TSourceList list;
                 kvr::model::GetSourceList(Device(), 1, list);
                 return list.Count == 1;
             }},
            {"input onto a selector entry's right source panel, from the lists", "Audio System",
             [&] {
                 auto* page = Tab<TSourceListsPage>("Selector Source Lists");
                 Click({page->ListBox6->viewport(), page->ListBox6->visualItemRect(page->ListBox6->item(0)).center()});
                 Click(Cell(page->ListView20, 0, 0));
                 PickAudio(Mic());
             },
             audio, Qt::CopyAction,
             [&] { return Middle(Tab<TSourceListsPage>("Selector Source Lists")->ListBox6->viewport()); },
             [&] { return Middle(Tab<TSourceListsPage>("Selector Source Lists")->Panel32); },
             [&] {
                 kvr::model::TSourceList list;
                 kvr::model::GetSourceList(Device(), 0, list);
                 return int(list.Entries[0].Right) == Mic();
             }},
            {"a selector entry onto another, across the empty area", "Audio System",
             [&] {
                 auto* page = Tab<TSourceListsPage>("Selector Source Lists");
                 page->Button53->click();
                 Click(Cell(page->ListView20, 0, 0));
             },
             [&] { return MakeRowDrag(Tab<TSourceListsPage>("Selector Source Lists")->ListView20); }, Qt::MoveAction,
             [&] { return Below(Tab<TSourceListsPage>("Selector Source Lists")->ListView20); },
             [&] { return Cell(Tab<TSourceListsPage>("Selector Source Lists")->ListView20, 1, 0); },
             [&] {
                 kvr::model::TSourceList list;
                 kvr::model::GetSourceList(Device(), 0, list);
                 return list.Count == 2 && int(list.Entries[1].Left) == Mic();
             }},
            {"input onto a fader's insert source, across the fader", "Audio System",
             [&] {
                 Tab<QWidget>("Inserts");
                 PickAudio(Mic());
             },
             audio, Qt::CopyAction, [&] { return Cell(InsertFrame()->FaderList, 0, 0); },
             [&] { return Cell(InsertFrame()->FaderList, 0, 2); },
             [&] {
                 kvr::model::TFixedInsert insert;
                 return kvr::model::GetFixedInsert(Device(), 0, insert) && int(insert.Source) == (Mic() & 0x5FFE);
             }},
            {"input onto an insert return, across its send", "Audio System", [&] { PickAudio(Mic()); }, audio,
             Qt::CopyAction, [&] { return Cell(InsertFrame()->SIList, 0, 1); },
             [&] { return Cell(InsertFrame()->SIList, 0, 2); },
             [&] { return Text(InsertFrame()->SIList, 0, 2).contains("Mic"); }},
            {"input onto the selected fader's insert source panel, from the fader column", "Audio System",
             [&] {
                 Click(Cell(InsertFrame()->FaderList, 1, 0));
                 PickAudio(Mic());
             },
             audio, Qt::CopyAction, [&] { return Cell(InsertFrame()->FaderList, 1, 0); },
             [&] { return Middle(InsertFrame()->FixedInsertSource); },
             [&] {
                 kvr::model::TFixedInsert insert;
                 return kvr::model::GetFixedInsert(Device(), 1, insert) && int(insert.Source) == (Mic() & 0x5FFE);
             }},

            // The Logic System: its elements' own rows, their sources and the GPO routing.
            {"a logic function onto another, across the empty area", "Logic Functions",
             [&] {
                 logicPage->Button10->click();
                 logicPage->Button10->click();
                 moved = Text(logicPage->ListView3, 1, 0);
                 Click(Cell(logicPage->ListView3, 1, 0));
             },
             [&] { return MakeRowDrag(logicPage->ListView3); }, Qt::MoveAction,
             [&] { return Below(logicPage->ListView3); },
             [&] { return Cell(logicPage->ListView3, 0, 0); },
             [&] { return Text(logicPage->ListView3, 0, 0).endsWith(moved.right(3)); }},
            {"GPI onto a logic function's sources, from the functions", "Logic Functions",
             [&] {
                 Click(Cell(logicPage->ListView3, 0, 0));
                 PickLogic(Door());
             },
             logic, Qt::CopyAction, [&] { return Below(logicPage->ListView3); },
             [&] { return Below(logicPage->ListView4); },
             [&] { return logicPage->ListView4->topLevelItemCount() == 1; }},
            {"GPI onto a logic delay's source, from the delays", "Logic Delay",
             [&] {
                 logicPage->Button10->click();
                 Click(Cell(logicPage->ListView3, 0, 0));
                 PickLogic(Door());
             },
             logic, Qt::CopyAction, [&] { return Below(logicPage->ListView3); },
             [&] { return Middle(logicPage->Panel18); }, [&] { return logicPage->Panel18->text().contains("Door"); }},
            {"GPI onto a script's source, from the scripts", "Scripts",
             [&] {
                 logicPage->Button10->click();
                 Click(Cell(logicPage->ListView3, 0, 0));
                 PickLogic(Door());
             },
             logic, Qt::CopyAction, [&] { return Below(logicPage->ListView3); },
             [&] { return Middle(logicPage->Panel20); }, [&] { return logicPage->Panel20->text().contains("Door"); }},
            {"input onto a level detection's source, from the detections", "Level Detection",
             [&] {
                 logicPage->Button10->click();
                 Click(Cell(logicPage->ListView3, 0, 0));
                 PickAudio(Mic());
             },
             audio, Qt::CopyAction, [&] { return Below(logicPage->ListView3); },
             [&] { return Middle(logicPage->Panel17); }, [&] { return logicPage->Panel17->text().contains("Mic"); }},
            {"GPI onto a GPO, across the empty area", "GPO Routing", [&] { PickLogic(Door()); }, logic,
             Qt::CopyAction, [&] { return Below(logicPage->ListView14); },
             [&] { return Cell(logicPage->ListView14, 0, 0); },
             [&] { return Text(logicPage->ListView14, 0, 2).contains("Door"); }},

            // The project's global logics and the device page.
            {"GPI onto a global logic, from the name field", nullptr,
             [&] {
                 form->PageControl1->setCurrentWidget(form->PageControl1->TabSheet12);
                 PickLogic(Door());
             },
             logic, Qt::CopyAction, [&] { return Middle(form->PageControl1->Edit30); },
             [&] { return Cell(form->PageControl1->ListView21, 0, 3); },
             [&] { return Text(form->PageControl1->ListView21, 0, 3).contains("Door"); }},
            {"GPI onto the selected global logic's source panel, from the name field", nullptr,
             [&] {
                 form->PageControl1->setCurrentWidget(form->PageControl1->TabSheet12);
                 Click(Cell(form->PageControl1->ListView21, 1, 0));
                 PickLogic(Door());
             },
             logic, Qt::CopyAction, [&] { return Middle(form->PageControl1->Edit30); },
             [&] { return Middle(form->PageControl1->Panel37); },
             [&] { return Text(form->PageControl1->ListView21, 1, 3).contains("Door"); }},
            {"GPI onto a PIN-enable source, from the tabs", "",
             [&] {
                 ShowTabOf(form->FDevicePage->PageControl3, form->findChild<QLabel*>("Panel25"));
                 PickLogic(Door());
             },
             logic, Qt::CopyAction, [&] { return Middle(form->FDevicePage->PageControl3->tabBar()); },
             [&] { return Middle(form->findChild<QLabel*>("Panel25")); },
             [&] {
                 kvr::model::TUserGroups groups;
                 kvr::model::GetUserGroups(Device(), groups);
                 return int(groups.PinLogic1) == Door();
             }},
            {"GPI onto the preparation mode's source, from the tabs", "",
             [&] {
                 ShowTabOf(form->FDevicePage->PageControl3, form->findChild<QLabel*>("PrepModeText"));
                 PickLogic(Door());
             },
             logic, Qt::CopyAction, [&] { return Middle(form->FDevicePage->PageControl3->tabBar()); },
             [&] { return Middle(form->findChild<QLabel*>("PrepModeText")); },
             [&] { return form->findChild<QLabel*>("PrepModeText")->text().contains("Door"); }},

            // The console: palette to picture and back.
            {"a fader module from the palette onto a lower slot, across the upper row", "Console",
             [&] {
                 Console().TabControl1->setCurrentIndex(1);
                 QApplication::processEvents();
                 Console().Controller().StartPaletteDrag();
             },
             [] { return kvr::console::MakeModuleDrag(20); }, Qt::CopyAction, [&] { return Slot(12); },
             [&] { return Slot(1); }, [&] { return TypeAt(1) == 20; }},
            {"a placed module onto the palette, across the other row", "Console",
             [&] {
                 Console().TabControl1->setCurrentIndex(1);
                 Click(Slot(1));
                 Console().Controller().StartPictureDrag();
             },
             [] { return kvr::console::MakeModuleDrag(-1); }, Qt::MoveAction, [&] { return Slot(11); },
             [&] { return Middle(Console().ListView2->viewport()); },
             [&] {
                 Console().Controller().EndDrag();
                 return TypeAt(1) == 0;
             }},
            {"a placed module across the palette and back onto the picture", "Console",
             [&] {
                 Console().TabControl1->setCurrentIndex(1);
                 kvr::console::AddConsoleModule(Device(), 0, 2, 10);
                 Click(Slot(2));
                 Console().ListView2->setCurrentRow(1); // "Central Module KX730-012"
                 Console().Controller().StartPictureDrag();
             },
             [] { return kvr::console::MakeModuleDrag(-1); }, Qt::MoveAction, [&] { return Slot(12); },
             [&] { return Slot(4); },
             [&] {
                 Console().Controller().EndDrag();
                 return TypeAt(2) == 0 && TypeAt(4) == 12;
             },
             [&] { return Middle(Console().ListView2->viewport()); }},
            {"GPI onto a lamp source of a user-defined key, across the list's header", "Console",
             [&] {
                 Console().TabControl1->setCurrentIndex(0); // "Keys"
                 QVERIFY(kvr::console::AddConsoleModule(Device(), 0, 0, 10).Refusal.empty());
                 kvr::model::TKeyRecord key{};
                 kvr::console::KeyRecordView(key).SetText("LAMP");
                 key[31] = 4; // "User Defined"
                 key[33] = 0x24;
                 kvr::model::SetKeyFunction(Device(), 0, key, 1, kvr::console::ModuleSlotID(0, 0));
                 auto& state = form->FConsoleState;
                 state.SelectedSlot = 0;
                 state.SelectedKey = 0;
                 kvr::model::GetKeyFunction(Device(), 0, state.SelectedKeyRecord, kvr::console::ModuleSlotID(0, 0));
                 Console().Refresh();
                 QVERIFY(Console().KeyOptions->ListView1->isVisible());
                 PickLogic(Door());
             },
             logic, Qt::CopyAction, [&] { return Middle(Console().KeyOptions->ListView1->header()); },
             [&] { return Cell(Console().KeyOptions->ListView1, 0, 2); },
             [&] { return Text(Console().KeyOptions->ListView1, 0, 2).contains("Door"); }},
        };
        std::string shown;
        for (const Case& c : cases) {
            // Cases of one page follow each other on the page as it was left.
            const std::string node = c.Node ? c.Node : "(project)";
            if (node != shown) {
                if (!c.Node)
                    Select(-1, 0, nullptr);
                else
                    Select(0, *c.Node ? -1 : 1, *c.Node ? c.Node : nullptr);
            }
            shown = node;
            c.Prepare();
            WindowDrag drag(c.Data(), c.Actions);
            const Spot refuses = c.Refuses();
            QVERIFY2(!drag.MoveTo(refuses.Widget, refuses.At), c.Name);
            if (c.Via) {
                const Spot via = c.Via();
                drag.MoveTo(via.Widget, via.At);
            }
            const Spot accepts = c.Accepts();
            QVERIFY2(drag.MoveTo(accepts.Widget, accepts.At), c.Name);
            QVERIFY2(drag.Drop(), c.Name);
            QVERIFY2(c.Landed(), c.Name);
        }
    }
};

QTEST_MAIN(DropTargetsTest)
#include "droptargets_qtest.moc"
