#include "editors/sources/audioreswin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/kvrpoti3.h"
#include "editors/common/editorhost.h"
#include "model/project.h"
#include "platform/text1252.h"

namespace kvr::editors {

TAudioResWin::TAudioResWin(EditorHost& Host, QWidget* Parent)
    : SourceWindow(Host, SourceDragKind::Audio, "AudioResWin", "Audio Sources", 234, Parent)
{
    QWidget* panel = BottomPanel();
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(2);
    Panel2 = new QWidget(panel);
    Panel2->setObjectName("Panel2");
    Panel2->setFixedHeight(106);
    auto* options = new QHBoxLayout(Panel2);
    options->setContentsMargins(0, 0, 0, 0);
    auto* left = new QVBoxLayout;
    ComboBox1 = new QComboBox(Panel2);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setMaxVisibleItems(12);
    CheckBox1 = new QCheckBox("Phase Reverse", Panel2);
    CheckBox1->setObjectName("CheckBox1");
    Panel3 = new QLabel("0 dB", Panel2);
    Panel3->setObjectName("Panel3");
    Panel3->setAlignment(Qt::AlignCenter);
    Panel3->setFrameShape(QFrame::StyledPanel);
    left->addWidget(ComboBox1);
    left->addWidget(Panel3);
    left->addWidget(CheckBox1);
    options->addLayout(left, 1);
    Poti1 = new controls::TKVRPoti3(Panel2);
    Poti1->setObjectName("Poti1");
    Poti1->SetMin(-100);
    Poti1->SetMax(20);
    Poti1->SetPosition(0);
    Poti1->setFixedSize(80, 80);
    Poti1->OnChange = [this](controls::TKVRPoti3*) { Poti1Change(); };
    options->addWidget(Poti1);
    layout->addWidget(Panel2);
    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton("Assign", panel);
    Button1->setObjectName("Button1");
    Button1->setEnabled(false);
    Button2 = new QPushButton("Close", panel);
    Button2->setObjectName("Button2");
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, [this] { Assign(); });
    connect(Button2, &QPushButton::clicked, this, &QWidget::hide);
    connect(CheckBox1, &QCheckBox::clicked, this, [this](bool on) { FTree.SetPhaseReverse(on); });
    connect(ComboBox1, &QComboBox::activated, this, [this](int index) { FTree.SetPotIndex(index); });
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this] { TreeView1Change(); });
    connect(TreeView1, &QTreeWidget::itemDoubleClicked, this, [this] {
        TreeView1->CancelDrag();
        Assign();
    });
    // Items drag with the left button; "None" with any button.
    TreeView1->CanDrag = [this](Qt::MouseButtons buttons) {
        const SourceNode* node = FTree.SelectedNode();
        if (node == nullptr)
            return false;
        if (node->Parent < 0)
            return !node->IsGroup() && node->ID == 0;
        return (buttons & Qt::LeftButton) != 0;
    };
    SetOptionPanelVisible(false);
}

void TAudioResWin::SetOptionPanelVisible(bool Visible)
{
    Panel2->setVisible(Visible);
    BottomPanel()->setFixedHeight(Visible ? 106 + 30 : 30);
}

void TAudioResWin::SetDeviceIndex(int DeviceIndex)
{
    if (DeviceIndex != FTree.FDeviceIndex) {
        FTree.FDeviceIndex = DeviceIndex;
        BuildSourceTree();
    }
    update();
}

void TAudioResWin::BuildSourceTree()
{
    ShowTree(FTree.BuildSourceTree(FHost.Project(), FHost.HideUnnamedSources()));
}

void TAudioResWin::ShowTree(bool Refill)
{
    setWindowTitle(platform::fromCp1252(FTree.Caption()));
    if (!FillNow(Refill))
        return;
    FFilling = true;
    if (Refill)
        TreeView1->Fill(FTree.Nodes());
    TreeView1->SelectNode(FTree.Selected());
    CheckBox1->setChecked(FTree.PhaseReverse());
    FFilling = false;
    ShowPots();
    Button1->setEnabled(FTree.AssignEnabled());
}

void TAudioResWin::ShowPots()
{
    ComboBox1->clear();
    for (const PotEntry& pot : FTree.Pots())
        ComboBox1->addItem(platform::fromCp1252(pot.Text));
    ComboBox1->setCurrentIndex(FTree.PotIndex());
}

void TAudioResWin::TreeView1Change()
{
    if (FFilling || FTree.FBuilding)
        return;
    FTree.Select(SourceTreeWidget::NodeOf(TreeView1->currentItem()));
    Button1->setEnabled(FTree.AssignEnabled());
}

void TAudioResWin::Poti1Change()
{
    FLevel = Poti1->Position();
    Panel3->setText(FLevel == -100 ? QStringLiteral("Off") : QStringLiteral("%1 dB").arg(FLevel));
}

void TAudioResWin::SelectAudioSource(std::uint32_t Ref)
{
    if (FTree.SelectAudioSource(Ref))
        ShowTree(false);
}

void TAudioResWin::SetLevel(int Level)
{
    Poti1->SetPosition(Level);
}

void TAudioResWin::SelectPot(int Pot)
{
    FTree.SelectPot(Pot);
    ComboBox1->setCurrentIndex(FTree.PotIndex());
}

void TAudioResWin::SelectNextSibling()
{
    FTree.SelectNextSibling();
    TreeView1->SelectNode(FTree.Selected());
    Button1->setEnabled(FTree.AssignEnabled());
}

void TAudioResWin::Assign()
{
    const SourceNode* node = FTree.SelectedNode();
    model::TProject* project = FHost.Project();
    if (node == nullptr || !FTree.AssignEnabled() || project == nullptr)
        return;
    PickedSource source;
    source.Ref = FTree.ComposedRef(!Panel2->isHidden());
    source.Level = FLevel;
    const int pot = FTree.PotIndex();
    source.Pot = pot >= 0 && pot < static_cast<int>(FTree.Pots().size()) ? FTree.Pots()[static_cast<std::size_t>(pot)].Pot : 0;
    source.Text = node->Text;
    FSourceRef = source.Ref;
    // The current device of the main window, which may differ from the device shown.
    AssignAudioSource(*project, FHost.CurrentDevice(), FTargetKind, source, FTargets);
}

} // namespace kvr::editors
