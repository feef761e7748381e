#include "editors/sources/reswindow.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editors/common/editorhost.h"
#include "model/project.h"
#include "platform/currentprompter.h"
#include "platform/prompter.h"
#include "platform/text1252.h"

namespace kvr::editors {

TResWindow::TResWindow(EditorHost& Host, QWidget* Parent)
    : SourceWindow(Host, SourceDragKind::Logic, "ResWindow", "Logic Sources", 250, Parent)
{
    QWidget* panel = BottomPanel();
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(2);
    RadioGroup1 = new QGroupBox("is ", panel);
    RadioGroup1->setObjectName("RadioGroup1");
    auto* grid = new QGridLayout(RadioGroup1);
    grid->setContentsMargins(4, 0, 4, 0);
    grid->setVerticalSpacing(0);
    for (std::size_t i = 0; i < Conditions.size(); ++i) {
        Conditions[i] = new QRadioButton(LogicConditionTexts[i], RadioGroup1);
        grid->addWidget(Conditions[i], static_cast<int>(i) / 2, static_cast<int>(i) % 2);
        connect(Conditions[i], &QRadioButton::clicked, this, [this, i] { FTree.SetConditionIndex(static_cast<int>(i)); });
    }
    Conditions[0]->setChecked(true);
    layout->addWidget(RadioGroup1);
    auto* buttons = new QHBoxLayout;
    Button2 = new QPushButton("Assign", panel);
    Button2->setObjectName("Button2");
    Button2->setEnabled(false);
    Button1 = new QPushButton("Close", panel);
    Button1->setObjectName("Button1");
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    layout->addLayout(buttons);
    connect(Button2, &QPushButton::clicked, this, [this] { Assign(AssignSender::Button); });
    connect(Button1, &QPushButton::clicked, this, &QWidget::hide);
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this] { TreeView1Change(); });
    connect(TreeView1, &QTreeWidget::itemDoubleClicked, this, [this] {
        TreeView1->CancelDrag();
        Assign(AssignSender::Button);
    });
    // A drag starts with the left button from any node but a group.
    TreeView1->CanDrag = [this](Qt::MouseButtons buttons) {
        const SourceNode* node = FTree.SelectedNode();
        return (buttons & Qt::LeftButton) && node != nullptr && !node->IsGroup();
    };
    SetConditionVisible(false);
}

void TResWindow::SetConditionVisible(bool Visible)
{
    RadioGroup1->setVisible(Visible);
    BottomPanel()->setFixedHeight(Visible ? 84 : 30);
}

void TResWindow::SetConditionIndex(int Index)
{
    if (Index < 0 || Index >= static_cast<int>(Conditions.size()))
        return;
    FTree.SetConditionIndex(Index);
    Conditions[static_cast<std::size_t>(Index)]->setChecked(true);
}

void TResWindow::BuildSourceTree()
{
    const bool refill = FTree.BuildSourceTree(FHost.Project(), FHost.CurrentDevice(), FHost.HideUnnamedSources(),
                                              [this] { FHost.PumpMessages(); });
    ShowTree(refill);
}

void TResWindow::ShowTree(bool Refill)
{
    setWindowTitle(platform::fromCp1252(FTree.Caption()));
    if (!FillNow(Refill))
        return;
    FFilling = true;
    if (Refill)
        TreeView1->Fill(FTree.Nodes(), FTree.Branches());
    TreeView1->SelectNode(FTree.Selected());
    Conditions[static_cast<std::size_t>(FTree.ConditionIndex())]->setChecked(true);
    FFilling = false;
    Button2->setEnabled(FTree.AssignEnabled());
}

void TResWindow::TreeView1Change()
{
    if (FFilling || FTree.FBuilding)
        return;
    FTree.Select(SourceTreeWidget::NodeOf(TreeView1->currentItem()));
    Button2->setEnabled(FTree.AssignEnabled());
}

void TResWindow::SelectLogicSource(std::uint32_t Ref)
{
    if (FTree.SelectLogicSource(Ref))
        ShowTree(false);
}

void TResWindow::SelectLogicSourceAt(std::uint32_t Ref, int DeviceIndex)
{
    if (FTree.SelectLogicSource(Ref, DeviceIndex))
        ShowTree(false);
}

std::int64_t TResWindow::GetDeviceID() const
{
    model::TProject* project = FHost.Project();
    const model::TDevice* dev = project ? project->Device(FTree.FBuiltDevice) : nullptr;
    return dev ? static_cast<std::int64_t>(dev->GetDeviceID()) : -1;
}

void TResWindow::Assign(AssignSender Sender)
{
    const SourceNode* node = FTree.SelectedNode();
    model::TProject* project = FHost.Project();
    if (node == nullptr || !FTree.AssignEnabled() || project == nullptr)
        return;
    const int kind = ResolveLogicKind(FTargetKind, Sender, FOwnerForm != nullptr && FOwnerForm == parentWidget(), FTargets);
    PickedSource source;
    source.Ref = FTree.ComposedRef();
    source.DeviceIndex = node->Device;
    source.Overlay = node->Overlay;
    source.Text = node->Text;
    FSourceRef = source.Ref;
    const AssignOutcome outcome = AssignLogicSource(*project, FHost.CurrentDevice(), kind, source, FTargets, GetDeviceID());
    if (!outcome.Message.empty())
        platform::prompter().showMessage(platform::fromCp1252(outcome.Message));
}

} // namespace kvr::editors
