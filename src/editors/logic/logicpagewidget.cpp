#include "editors/logic/logicpagewidget.h"

#include <QCheckBox>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/dragtarget.h"
#include "controls/kvrpoti3.h"
#include "editors/common/editorhost.h"
#include "editors/sources/rowdrag.h"
#include "editors/common/sourceassign.h"
#include "editors/sources/sourcedrag.h"
#include "platform/currentprompter.h"
#include "platform/prompter.h"
#include "platform/text1252.h"

namespace kvr::editors {

namespace {

using platform::fromCp1252;
using platform::toCp1252;

// Condition marks of a reference's top two bits: OFF, pulse on activate, pulse on deactivate, ON.
const char* const kConditionMarks[] = {"[off]", "[on ^]", "[off v]", "[on]"};

QString WithCondition(const std::string& Text, int Image)
{
    return fromCp1252(Text) + "  " + kConditionMarks[Image & 3];
}

template <typename T>
T* Named(T* Widget, const char* Name)
{
    Widget->setObjectName(Name);
    return Widget;
}

QLineEdit* LabelEdit(QWidget* Parent, const char* Name)
{
    auto* edit = Named(new QLineEdit(Parent), Name);
    edit->setMaxLength(10);
    platform::RefuseBeyondCp1252(edit);
    return edit;
}

QLabel* SourcePanel(QWidget* Parent, const char* Name)
{
    auto* panel = Named(new QLabel(Parent), Name);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setMinimumWidth(180);
    return panel;
}

int RowOf(QTreeWidget* List)
{
    QTreeWidgetItem* item = List->currentItem();
    return item ? List->indexOfTopLevelItem(item) : -1;
}

// The row count of a list made exactly Count, reusing the rows there are.
void SizeRows(QTreeWidget* List, int Count)
{
    while (List->topLevelItemCount() > Count)
        delete List->takeTopLevelItem(List->topLevelItemCount() - 1);
    while (List->topLevelItemCount() < Count)
        new QTreeWidgetItem(List);
}

void SelectRow(QTreeWidget* List, int Row)
{
    List->setCurrentItem(Row >= 0 && Row < List->topLevelItemCount() ? List->topLevelItem(Row) : nullptr);
}

} // namespace

LogicPageWidget::LogicPageWidget(EditorHost& Host, QWidget* Parent)
    : QWidget(Parent), FHost(Host), FPage(Host), FFunction(FPage), FDelay(FPage), FScript(FPage), FDetection(FPage),
      FGPOs(FPage)
{
    setObjectName("LogicPage");
    auto* layout = new QHBoxLayout(this);
    BuildList();
    layout->addWidget(Logics);
    auto* editors = new QVBoxLayout;
    layout->addLayout(editors, 1);
    BuildFunctionPanel();
    BuildDelayPanel();
    BuildScriptPanel();
    BuildDetectionPanel();
    BuildGPOPanel();
    for (QWidget* panel : {static_cast<QWidget*>(FunctionPanel), static_cast<QWidget*>(DelayPanel),
                           static_cast<QWidget*>(ScriptPanel), static_cast<QWidget*>(DetectionPanel),
                           static_cast<QWidget*>(GPOPanel)}) {
        editors->addWidget(panel);
        panel->hide();
    }
    editors->addStretch();
    FPage.Written = [this](int Kind) { Written(Kind); };
}

void LogicPageWidget::BuildList()
{
    Logics = Named(new QGroupBox("Logics", this), "GroupBox_Logics");
    Logics->setFixedWidth(260);
    auto* layout = new QVBoxLayout(Logics);
    ListView3 = Named(new RowDragList(Logics), "ListView3");
    ListView3->viewport()->installEventFilter(this);
    layout->addWidget(ListView3);
    auto* buttons = new QHBoxLayout;
    Button10 = Named(new QPushButton("Add", Logics), "Button10");
    Button11 = Named(new QPushButton("Remove", Logics), "Button11");
    buttons->addWidget(Button10);
    buttons->addWidget(Button11);
    layout->addLayout(buttons);
    for (QPushButton* button : {Button10, Button11}) {
        auto* item = new QAction(button->text(), ListView3);
        ListView3->addAction(item);
        connect(item, &QAction::triggered, button, &QPushButton::click);
    }
    connect(ListView3, &QTreeWidget::currentItemChanged, this, [this] { SelectedRowChanged(); });
    ListView3->installEventFilter(this);
    ListView3->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(Button10, &QPushButton::clicked, this, [this] {
        FPage.Add();
        FillLogicList();
    });
    connect(Button11, &QPushButton::clicked, this, [this] {
        FPage.Remove();
        FillLogicList();
    });
}

void LogicPageWidget::BuildFunctionPanel()
{
    FunctionPanel = Named(new QGroupBox("Edit Logic Function", this), "FunctionPanel");
    auto* grid = new QGridLayout(FunctionPanel);
    Edit14 = LabelEdit(FunctionPanel, "Edit14");
    grid->addWidget(new QLabel("Label", FunctionPanel), 0, 0);
    grid->addWidget(Edit14, 0, 1, 1, 3);
    auto* conc = new QGroupBox("Logic Concation", FunctionPanel);
    auto* concLayout = new QHBoxLayout(conc);
    RadioButton1 = Named(new QRadioButton("AND", conc), "RadioButton1");
    RadioButton2 = Named(new QRadioButton("OR", conc), "RadioButton2");
    concLayout->addWidget(RadioButton1);
    concLayout->addWidget(RadioButton2);
    grid->addWidget(conc, 1, 0, 1, 4);
    CheckBox1 = Named(new QCheckBox("Interlock Logic Bus Nr.", FunctionPanel), "CheckBox1");
    Edit15 = Named(new QLineEdit(FunctionPanel), "Edit15");
    Edit15->setMaximumWidth(50);
    BusUp = Named(new QPushButton("+", FunctionPanel), "UpDown4Up");
    BusDown = Named(new QPushButton("-", FunctionPanel), "UpDown4Down");
    BusUp->setMaximumWidth(24);
    BusDown->setMaximumWidth(24);
    grid->addWidget(CheckBox1, 2, 0, 1, 2);
    auto* bus = new QHBoxLayout;
    bus->addWidget(Edit15);
    bus->addWidget(BusUp);
    bus->addWidget(BusDown);
    bus->addStretch();
    grid->addLayout(bus, 2, 2, 1, 2);
    ListView4 = Named(new QTreeWidget(FunctionPanel), "ListView4");
    ListView4->setHeaderLabels({"Logic Source"});
    ListView4->setRootIsDecorated(false);
    ListView4->setAcceptDrops(true);
    ListView4->viewport()->installEventFilter(this);
    ListView4->installEventFilter(this);
    grid->addWidget(ListView4, 3, 0, 1, 4);
    Button13 = Named(new QPushButton("Add Source ...", FunctionPanel), "Button13");
    Button14 = Named(new QPushButton("Remove Source", FunctionPanel), "Button14");
    grid->addWidget(Button13, 4, 0, 1, 2);
    grid->addWidget(Button14, 4, 2, 1, 2);

    connect(Edit14, &QLineEdit::textEdited, this, [this](const QString& Text) { FFunction.SetLabel(toCp1252(Text)); ShowRows(); });
    connect(RadioButton1, &QRadioButton::pressed, this, [this] { FFunction.SetAnd(true); ShowRows(); });
    connect(RadioButton2, &QRadioButton::clicked, this, [this] { FFunction.SetAnd(false); ShowRows(); });
    connect(CheckBox1, &QCheckBox::clicked, this, [this](bool Ticked) {
        FFunction.SetInterlock(Ticked);
        ShowFunction();
        ShowRows();
    });
    connect(Edit15, &QLineEdit::textEdited, this, [this](const QString& Text) { FFunction.TypeBus(toCp1252(Text)); });
    for (QPushButton* step : {BusUp, BusDown})
        connect(step, &QPushButton::clicked, this, [this, step] {
            FFunction.StepBus(FFunction.BusPosition + (step == BusUp ? 1 : -1));
            Edit15->setText(QString::number(FFunction.BusPosition));
            ShowRows();
        });
    connect(ListView4, &QTreeWidget::currentItemChanged, this, [this] {
        if (FShowing)
            return;
        FFunction.SelectSource(RowOf(ListView4));
        Button14->setEnabled(FFunction.RemoveSourceEnabled());
    });
    connect(Button13, &QPushButton::clicked, this, [this] {
        if (LogicSourcePicker* picker = FHost.LogicSources()) {
            picker->BuildSourceTree();
            picker->SetConditionIndex(0); // "ON"
            picker->SetTargetKind(ltLogicFunction);
            picker->ShowPicker();
        }
    });
    connect(Button14, &QPushButton::clicked, this, [this] {
        FFunction.RemoveSource();
        ShowFunction();
    });
    connect(ListView4, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* Item) {
        const int row = ListView4->indexOfTopLevelItem(Item);
        if (row < 0 || row >= static_cast<int>(FFunction.Sources.size()))
            return;
        PickLogicSource(ltLogicFunction, FFunction.Sources[static_cast<std::size_t>(row)].Ref);
    });
}

void LogicPageWidget::BuildDelayPanel()
{
    DelayPanel = Named(new QGroupBox("Edit Logic Delay", this), "DelayPanel");
    auto* grid = new QGridLayout(DelayPanel);
    Edit17 = LabelEdit(DelayPanel, "Edit17");
    Panel18 = SourcePanel(DelayPanel, "Panel18");
    Panel18->setAcceptDrops(true);
    Panel18->installEventFilter(this);
    Button17 = Named(new QPushButton("Select ...", DelayPanel), "Button17");
    LDDelayEdit = Named(new QLineEdit(DelayPanel), "LDDelayEdit");
    LDImpulsLenEdit = Named(new QLineEdit(DelayPanel), "LDImpulsLenEdit");
    grid->addWidget(new QLabel("Label", DelayPanel), 0, 0);
    grid->addWidget(Edit17, 0, 1);
    grid->addWidget(new QLabel("Source", DelayPanel), 1, 0);
    grid->addWidget(Panel18, 1, 1);
    grid->addWidget(Button17, 1, 2);
    int row = 2;
    for (auto [edit, caption] : {std::pair{LDDelayEdit, "Trigger Delay"}, std::pair{LDImpulsLenEdit, "Impuls Length"}}) {
        edit->setMaxLength(6);
        edit->installEventFilter(this);
        grid->addWidget(new QLabel(caption, DelayPanel), row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(new QLabel("sec (max. 1000.0)", DelayPanel), row++, 2);
    }
    connect(Edit17, &QLineEdit::textEdited, this, [this](const QString& Text) { FDelay.SetLabel(toCp1252(Text)); ShowRows(); });
    connect(LDDelayEdit, &QLineEdit::textEdited, this, [this](const QString& Text) { FDelay.SetDelay(toCp1252(Text)); });
    connect(LDImpulsLenEdit, &QLineEdit::textEdited, this, [this](const QString& Text) { FDelay.SetImpulseLength(toCp1252(Text)); });
    connect(Button17, &QPushButton::clicked, this, [this] { PickLogicSource(ltLogicDelay, FDelay.SourceTag); });
}

void LogicPageWidget::BuildScriptPanel()
{
    ScriptPanel = Named(new QGroupBox("Edit Script", this), "ScriptPanel");
    auto* grid = new QGridLayout(ScriptPanel);
    Edit18 = LabelEdit(ScriptPanel, "Edit18");
    Panel20 = SourcePanel(ScriptPanel, "Panel20");
    Panel20->setAcceptDrops(true);
    Panel20->installEventFilter(this);
    Button18 = Named(new QPushButton("Select ...", ScriptPanel), "Button18");
    Memo1 = Named(new QPlainTextEdit(ScriptPanel), "Memo1");
    Memo1->setFont(QFont("Monospace"));
    Button62 = Named(new QPushButton("Apply commands", ScriptPanel), "Button62");
    Label75 = Named(new QLabel(ScriptPanel), "Label75");
    grid->addWidget(new QLabel("Label", ScriptPanel), 0, 0);
    grid->addWidget(Edit18, 0, 1);
    grid->addWidget(new QLabel("Source", ScriptPanel), 1, 0);
    grid->addWidget(Panel20, 1, 1);
    grid->addWidget(Button18, 1, 2);
    grid->addWidget(Memo1, 2, 0, 1, 3);
    grid->addWidget(Button62, 3, 0);
    grid->addWidget(Label75, 3, 1, 1, 2);
    connect(Edit18, &QLineEdit::textEdited, this, [this](const QString& Text) { FScript.SetLabel(toCp1252(Text)); ShowRows(); });
    connect(Button18, &QPushButton::clicked, this, [this] { PickLogicSource(ltScript, FScript.SourceTag); });
    connect(Memo1, &QPlainTextEdit::textChanged, this, [this] {
        if (FShowing)
            return;
        FScript.Lines.clear();
        for (const QString& line : Memo1->toPlainText().split('\n'))
            FScript.Lines.push_back(toCp1252(line));
        if (const std::string message = FScript.MemoChange(); !message.empty()) {
            platform::prompter().showMessage(fromCp1252(message));
            ShowScript();
        }
        Label75->setText(fromCp1252(FScript.CommandsUsed));
    });
    connect(Button62, &QPushButton::clicked, this, [this] {
        Button62->setEnabled(false);
        const std::string message = FScript.Apply();
        Button62->setEnabled(true);
        if (!message.empty()) {
            platform::prompter().showMessage(fromCp1252(message));
            Memo1->setFocus();
            return;
        }
        ShowScript();
    });
}

void LogicPageWidget::BuildDetectionPanel()
{
    DetectionPanel = Named(new QGroupBox("Edit Level Detection", this), "DetectionPanel");
    auto* grid = new QGridLayout(DetectionPanel);
    Edit16 = LabelEdit(DetectionPanel, "Edit16");
    Panel17 = SourcePanel(DetectionPanel, "Panel17");
    Panel17->setAcceptDrops(true);
    Panel17->installEventFilter(this);
    Button16 = Named(new QPushButton("Select ...", DetectionPanel), "Button16");
    CheckBox2 = Named(new QCheckBox("Stereo", DetectionPanel), "CheckBox2");
    grid->addWidget(new QLabel("Label", DetectionPanel), 0, 0);
    grid->addWidget(Edit16, 0, 1, 1, 2);
    grid->addWidget(new QLabel("Source", DetectionPanel), 1, 0);
    grid->addWidget(Panel17, 1, 1, 1, 3);
    grid->addWidget(Button16, 1, 4);
    grid->addWidget(CheckBox2, 2, 1);
    const char* names[] = {"Poti1", "LVHoldPot", "Poti3", "LVAttPot", "LVRelPot"};
    const char* captions[] = {"Level", "Hold Time", "Correlation", "Attack", "Release"};
    for (std::size_t k = 0; k < Knobs.size(); ++k) {
        auto* knob = Named(new controls::TKVRPoti3(DetectionPanel), names[k]);
        knob->SetMin(kLevelKnobs[k].Min);
        knob->SetMax(kLevelKnobs[k].Max);
        knob->SetPosition(kLevelKnobs[k].Start);
        knob->SetCaption(captions[k]);
        knob->setFixedSize(64, 80);
        Knobs[k] = knob;
        KnobPanels[k] = new QLabel(fromCp1252(FDetection.KnobTexts[k]), DetectionPanel);
        KnobPanels[k]->setAlignment(Qt::AlignCenter);
        grid->addWidget(knob, 3, static_cast<int>(k), Qt::AlignCenter);
        grid->addWidget(KnobPanels[k], 4, static_cast<int>(k));
        knob->OnChange = [this, k](controls::TKVRPoti3* Sender) {
            FDetection.SetKnob(static_cast<int>(k), Sender->Position());
            KnobPanels[k]->setText(fromCp1252(FDetection.KnobTexts[k]));
        };
    }
    connect(Edit16, &QLineEdit::textEdited, this, [this](const QString& Text) { FDetection.SetLabel(toCp1252(Text)); ShowRows(); });
    connect(CheckBox2, &QCheckBox::clicked, this, [this](bool Ticked) {
        FDetection.SetStereo(Ticked);
        ShowDetection();
    });
    connect(Button16, &QPushButton::clicked, this, [this] {
        if (AudioSourcePicker* picker = FHost.AudioSources()) {
            picker->SelectAudioSource(FDetection.SourceTag);
            picker->SetTargetKind(atLevelDetect);
            picker->SetDeviceIndex(FHost.CurrentDevice());
            picker->ShowPicker();
        }
    });
}

void LogicPageWidget::BuildGPOPanel()
{
    GPOPanel = Named(new QGroupBox("GPO Assign", this), "GPOPanel");
    auto* layout = new QVBoxLayout(GPOPanel);
    ListView14 = Named(new QTreeWidget(GPOPanel), "ListView14");
    ListView14->setHeaderLabels({"GPO Name", "GPO Address", "Source"});
    ListView14->setRootIsDecorated(false);
    ListView14->setAcceptDrops(true);
    ListView14->viewport()->installEventFilter(this);
    ListView14->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* clear = new QAction("Clear", ListView14);
    ListView14->addAction(clear);
    layout->addWidget(ListView14);
    auto* buttons = new QHBoxLayout;
    Button5 = Named(new QPushButton("Assign ...", GPOPanel), "Button5");
    Button9 = Named(new QPushButton("Clear All", GPOPanel), "Button9");
    buttons->addWidget(Button5);
    buttons->addWidget(Button9);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(ListView14, &QTreeWidget::currentItemChanged, this, [this] {
        if (FShowing)
            return;
        FGPOs.Select(RowOf(ListView14));
        Button5->setEnabled(FGPOs.AssignEnabled());
    });
    const auto assign = [this] {
        if (FGPOs.Selected() >= 0)
            PickLogicSource(ltGPORouting, FGPOs.Rows()[static_cast<std::size_t>(FGPOs.Selected())].Ref);
    };
    connect(Button5, &QPushButton::clicked, this, assign);
    connect(ListView14, &QTreeWidget::itemDoubleClicked, this, assign);
    connect(clear, &QAction::triggered, this, [this] {
        FGPOs.Clear();
        ShowGPORow(FGPOs.Selected());
    });
    connect(Button9, &QPushButton::clicked, this, [this] {
        FGPOs.ClearAll();
        ShowGPOList();
    });
}

void LogicPageWidget::ShowLogicPage(int Kind)
{
    FPage.Show(Kind);
    Logics->setVisible(FPage.HasList());
    Logics->setTitle(fromCp1252(FPage.Caption()));
    if (FPage.HasList())
        FillLogicList();
    else
        RefreshLogicEditor();
    if (Kind == lkGPORouting) {
        FGPOs.FillGPOList();
        ShowGPOList();
    }
    GPOPanel->setVisible(Kind == lkGPORouting);
    show();
}

void LogicPageWidget::HideLogicPage()
{
    FPage.Hide();
    const bool was = FShowing;
    FShowing = true;
    ListView3->clear();
    ListView4->clear();
    Memo1->clear();
    FShowing = was;
    hide();
}

void LogicPageWidget::FillLogicList()
{
    FPage.FillLogicList();
    ShowRows();
    RefreshLogicEditor();
    FHost.UpdateResourceGauges();
}

void LogicPageWidget::ShowRows()
{
    const bool was = FShowing;
    FShowing = true;
    const std::vector<std::string> columns = FPage.Columns();
    QStringList header;
    for (const std::string& c : columns)
        header << fromCp1252(c);
    ListView3->setColumnCount(static_cast<int>(columns.size()));
    ListView3->setHeaderLabels(header);
    // The name column takes what the fixed-width group leaves, so the list never scrolls sideways.
    ListView3->header()->setStretchLastSection(false);
    ListView3->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    if (columns.size() == 3) {
        ListView3->setColumnWidth(1, 50);
        ListView3->setColumnWidth(2, 35);
    }
    const auto& rows = FPage.Rows();
    SizeRows(ListView3, static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        QTreeWidgetItem* item = ListView3->topLevelItem(static_cast<int>(i));
        item->setText(0, fromCp1252(rows[i].Caption));
        item->setText(1, fromCp1252(rows[i].ILBus));
        item->setText(2, fromCp1252(rows[i].Conc));
    }
    SelectRow(ListView3, FPage.Selected());
    Button10->setEnabled(FPage.AddEnabled());
    Button11->setEnabled(FPage.RemoveEnabled());
    FShowing = was;
}

void LogicPageWidget::SelectedRowChanged()
{
    if (FShowing)
        return;
    if (!FPage.Select(RowOf(ListView3))) {
        ShowRows(); // refused while the editor is filled: the old row again
        return;
    }
    RefreshLogicEditor();
}

void LogicPageWidget::RefreshLogicEditor()
{
    const int kind = FPage.Visible() && FPage.Selected() >= 0 ? FPage.Kind() : 0;
    FunctionPanel->setVisible(kind == lkLogicFunctions);
    DelayPanel->setVisible(kind == lkLogicDelay);
    ScriptPanel->setVisible(kind == lkScripts);
    DetectionPanel->setVisible(kind == lkLevelDetection);
    Button11->setEnabled(FPage.RemoveEnabled());
    switch (kind) {
    case lkLogicFunctions: FPage.RefreshLogicEditor([this] { FFunction.Fill(); }); ShowFunction(); break;
    case lkLogicDelay: FPage.RefreshLogicEditor([this] { FDelay.Fill(); }); ShowDelay(); break;
    case lkScripts: FPage.RefreshLogicEditor([this] { FScript.Fill(); }); ShowScript(); break;
    case lkLevelDetection: FPage.RefreshLogicEditor([this] { FDetection.Fill(); }); ShowDetection(); break;
    default: break;
    }
}

void LogicPageWidget::ShowFunction()
{
    const bool was = FShowing;
    FShowing = true;
    Edit14->setText(fromCp1252(FFunction.Label));
    RadioButton1->setChecked(FFunction.And);
    RadioButton2->setChecked(!FFunction.And);
    CheckBox1->setChecked(FFunction.Interlock);
    Edit15->setText(QString::number(FFunction.BusPosition));
    for (QWidget* w : {static_cast<QWidget*>(Edit15), static_cast<QWidget*>(BusUp), static_cast<QWidget*>(BusDown)})
        w->setEnabled(FFunction.Interlock);
    SizeRows(ListView4, static_cast<int>(FFunction.Sources.size()));
    for (std::size_t i = 0; i < FFunction.Sources.size(); ++i)
        ListView4->topLevelItem(static_cast<int>(i))
            ->setText(0, WithCondition(FFunction.Sources[i].Caption, FFunction.Sources[i].ImageIndex));
    SelectRow(ListView4, FFunction.SelectedSource);
    Button14->setEnabled(FFunction.RemoveSourceEnabled());
    FShowing = was;
}

void LogicPageWidget::ShowDelay()
{
    const bool was = FShowing;
    FShowing = true;
    Edit17->setText(fromCp1252(FDelay.Label));
    LDDelayEdit->setText(fromCp1252(FDelay.DelayText));
    LDImpulsLenEdit->setText(fromCp1252(FDelay.ImpulseText));
    Panel18->setText(fromCp1252(FDelay.SourceText));
    FShowing = was;
}

void LogicPageWidget::ShowScript()
{
    const bool was = FShowing;
    FShowing = true;
    Edit18->setText(fromCp1252(FScript.Label));
    Panel20->setText(fromCp1252(FScript.SourceText));
    QStringList lines;
    for (const std::string& line : FScript.Lines)
        lines << fromCp1252(line);
    Memo1->setPlainText(lines.join('\n'));
    Label75->setText(fromCp1252(FScript.CommandsUsed));
    FShowing = was;
}

void LogicPageWidget::ShowDetection()
{
    const bool was = FShowing;
    FShowing = true;
    Edit16->setText(fromCp1252(FDetection.Label));
    Panel17->setText(fromCp1252(FDetection.SourceText));
    CheckBox2->setChecked(FDetection.Stereo);
    for (std::size_t k = 0; k < Knobs.size(); ++k) {
        Knobs[k]->SetPosition(FDetection.Knobs[k]);
        KnobPanels[k]->setText(fromCp1252(FDetection.KnobTexts[k]));
    }
    FShowing = was;
}

void LogicPageWidget::ShowGPOList()
{
    const bool was = FShowing;
    FShowing = true;
    SizeRows(ListView14, static_cast<int>(FGPOs.Rows().size()));
    for (int i = 0; i < static_cast<int>(FGPOs.Rows().size()); ++i)
        ShowGPORow(i);
    SelectRow(ListView14, FGPOs.Selected());
    Button5->setEnabled(FGPOs.AssignEnabled());
    FShowing = was;
}

void LogicPageWidget::ShowGPORow(int Row)
{
    if (Row < 0 || Row >= static_cast<int>(FGPOs.Rows().size()) || Row >= ListView14->topLevelItemCount())
        return;
    const GPORow& row = FGPOs.Rows()[static_cast<std::size_t>(Row)];
    QTreeWidgetItem* item = ListView14->topLevelItem(Row);
    item->setText(0, fromCp1252(row.Name));
    item->setText(1, fromCp1252(row.Address));
    item->setText(2, WithCondition(row.Source, row.ImageIndex));
}

void LogicPageWidget::Written(int Kind)
{
    if (Kind == ltGPORouting) {
        FGPOs.RefreshSelected();
        ShowGPORow(FGPOs.Selected());
        return;
    }
    // The memo's unapplied lines survive a new source.
    const std::vector<std::string> lines = FScript.Lines;
    RefreshLogicEditor();
    if (Kind == ltScript && FPage.Kind() == lkScripts) {
        FScript.Lines = lines;
        FScript.MemoChange();
        ShowScript();
    }
}

void LogicPageWidget::PickLogicSource(int Kind, std::uint16_t Current)
{
    LogicSourcePicker* picker = FHost.LogicSources();
    if (!picker)
        return;
    picker->BuildSourceTree();
    picker->SetTargetKind(Kind);
    picker->SelectLogicSource(Current);
    picker->ShowPicker();
}

bool LogicPageWidget::eventFilter(QObject* Watched, QEvent* Event)
{
    const bool ownRows = Watched == ListView3->viewport();
    const bool audio = Watched == Panel17;
    const bool logic = Watched == ListView4->viewport() || Watched == Panel18 || Watched == Panel20 ||
                       Watched == ListView14->viewport();
    if ((Watched == LDDelayEdit || Watched == LDImpulsLenEdit) && Event->type() == QEvent::FocusOut) {
        FDelay.ExitEdits();
        ShowDelay();
    }
    if ((Watched == LDDelayEdit || Watched == LDImpulsLenEdit) && Event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(Event);
        if (key->text() == ",") {
            auto* edit = static_cast<QLineEdit*>(Watched);
            edit->insert(".");
            emit edit->textEdited(edit->text());
            return true;
        }
    }
    // Delete removes the selected element or source, Insert adds a source.
    if ((Watched == ListView3 || Watched == ListView4) && Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(Event)->key();
        if (key == Qt::Key_Delete)
            (Watched == ListView3 ? Button11 : Button14)->click();
        else if (key == Qt::Key_Insert && Watched == ListView4)
            Button13->click();
    }
    if ((ownRows || audio || logic) &&
        controls::answerDragEvent(
            Event, {.Takes =
                        [this, ownRows, audio](const QMimeData* Data) {
                            if (ownRows)
                                return IsRowDragFrom(Data, ListView3);
                            return IsSourceDrag(Data, audio ? SourceDragKind::Audio : SourceDragKind::Logic);
                        },
                    .LandsAt = [this, Watched](const QDropEvent& Drag) { return LandsAt(Watched, Drag); },
                    .Dropped = [this, Watched](QDropEvent& Drop) { Dropped(Watched, Drop); }}))
        return true;
    return QWidget::eventFilter(Watched, Event);
}

// A logic function moves onto another one's row, a GPO's source lands on its row; the editors'
// sources need a selected element.
bool LogicPageWidget::LandsAt(QObject* Watched, const QDropEvent& Drag) const
{
    const QPoint at = Drag.position().toPoint();
    if (Watched == ListView3->viewport())
        return RowAt(ListView3, at) >= 0 && FPage.Kind() == lkLogicFunctions && !FPage.FEditGuard;
    if (Watched == ListView14->viewport())
        return RowAt(ListView14, at) >= 0;
    return FPage.Selected() >= 0;
}

void LogicPageWidget::Dropped(QObject* Watched, QDropEvent& Event)
{
    const QPoint at = Event.position().toPoint();
    if (Watched == ListView3->viewport()) {
        QTreeWidgetItem* item = ListView3->itemAt(at);
        if (item && FPage.Move(ListView3->indexOfTopLevelItem(item)))
            FillLogicList();
        Event.setDropAction(Qt::IgnoreAction); // the page reorders; the view keeps its items
        return;
    }
    if (Watched == Panel17) {
        if (AudioSourcePicker* picker = FHost.AudioSources()) {
            picker->SetTargetKind(atLevelDetect);
            picker->Assign();
        }
        return;
    }
    LogicSourcePicker* picker = FHost.LogicSources();
    if (!picker)
        return;
    if (Watched == ListView4->viewport()) {
        FFunction.SelectSource(RowAt(ListView4, at));
        picker->SetTargetKind(ltLogicFunction);
    } else if (Watched == ListView14->viewport()) {
        FGPOs.Select(RowAt(ListView14, at));
        SelectRow(ListView14, FGPOs.Selected());
        picker->SetTargetKind(ltGPORouting);
    } else {
        picker->SetTargetKind(Watched == Panel18 ? ltLogicDelay : ltScript);
    }
    picker->Assign(AssignSender::Page);
}

} // namespace kvr::editors
