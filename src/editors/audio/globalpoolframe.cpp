#include "editors/audio/globalpoolframe.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "editors/audio/audiotabpage.h"
#include "editors/common/editorhost.h"
#include "editors/audio/globalpool.h"
#include "model/project.h"
#include "platform/text1252.h"

namespace kvr::editors {

namespace {
QString Text(const std::string& Text) { return platform::fromCp1252(Text); }
} // namespace

TGlobalPoolFrame::TGlobalPoolFrame(EditorHost& Host, QWidget* Owner, int DeviceIndex)
    : QWidget(Owner), FHost(Host), FDeviceIndex(DeviceIndex)
{
    setObjectName("GlobalPoolFrame");
    auto* layout = new QVBoxLayout(this);
    auto* linesGroup = new QGroupBox("Global Pool Lines", this);
    auto* linesLayout = new QVBoxLayout(linesGroup);
    auto* source = new QHBoxLayout;
    source->addWidget(new QLabel("Line Source Device", linesGroup));
    SourceDevBox = new QComboBox(linesGroup);
    SourceDevBox->setObjectName("SourceDevBox");
    SourceDevBox->setMinimumWidth(200);
    source->addWidget(SourceDevBox);
    source->addStretch();
    linesLayout->addLayout(source);
    Lines = new QTreeWidget(linesGroup);
    Lines->setObjectName("Lines");
    Lines->setRootIsDecorated(false);
    Lines->setHeaderLabels({"#", "Line", "Local Input", "Remote Output", "Reserved for"});
    Lines->setColumnWidth(0, 30);
    Lines->setColumnWidth(1, 160);
    Lines->setColumnWidth(2, 120);
    Lines->setColumnWidth(3, 120);
    Lines->setColumnWidth(4, 100);
    Lines->setSelectionMode(QAbstractItemView::SingleSelection);
    Lines->setContextMenuPolicy(Qt::ActionsContextMenu);
    linesLayout->addWidget(Lines, 1);
    layout->addWidget(linesGroup, 1);

    auto* options = new QGroupBox("Line Options", this);
    auto* optionLayout = new QGridLayout(options);
    InputBox = new QComboBox(options);
    InputBox->setObjectName("InputBox");
    InputBox->setMinimumWidth(200);
    ReserveLineBox = new QComboBox(options);
    ReserveLineBox->setObjectName("ReserveLineBox");
    optionLayout->addWidget(new QLabel("Local Input", options), 0, 0);
    optionLayout->addWidget(InputBox, 0, 1);
    optionLayout->addWidget(new QLabel("Reserve for", options), 1, 0);
    optionLayout->addWidget(ReserveLineBox, 1, 1);
    AddLineButton = new QPushButton("Add Line", options);
    RemoveLineButton = new QPushButton("Remove Line", options);
    optionLayout->addWidget(AddLineButton, 0, 2);
    optionLayout->addWidget(RemoveLineButton, 1, 2);
    optionLayout->setColumnStretch(3, 1);
    layout->addWidget(options);

    AddLine = new QAction("Add Line", Lines);
    RemoveLine = new QAction("Remove Line", Lines);
    RemoveLine->setShortcut(QKeySequence(Qt::Key_Delete));
    RemoveLine->setShortcutContext(Qt::WidgetShortcut);
    Lines->addAction(AddLine);
    Lines->addAction(RemoveLine);
    connect(AddLineButton, &QPushButton::clicked, AddLine, &QAction::trigger);
    connect(RemoveLineButton, &QPushButton::clicked, RemoveLine, &QAction::trigger);
    connect(AddLine, &QAction::changed, this, [this] { AddLineButton->setEnabled(AddLine->isEnabled()); });
    connect(RemoveLine, &QAction::changed, this, [this] { RemoveLineButton->setEnabled(RemoveLine->isEnabled()); });

    connect(SourceDevBox, &QComboBox::activated, this, [this](int Item) {
        if (Item >= 0 && GlobalPoolEditor(*FHost.Project(), FDeviceIndex).SetSourceDevice(SourceDevBox->itemData(Item).toUInt()))
            Changed(-1);
        else
            Refresh();
    });
    connect(AddLine, &QAction::triggered, this, [this] {
        const int row = GlobalPoolEditor(*FHost.Project(), FDeviceIndex).AddLine();
        if (row >= 0)
            Changed(row);
    });
    connect(RemoveLine, &QAction::triggered, this, [this] {
        const int row = CurrentRow(Lines);
        if (row >= 0 && GlobalPoolEditor(*FHost.Project(), FDeviceIndex).RemoveLine(row))
            Changed(-1);
    });
    connect(InputBox, &QComboBox::activated, this, [this](int Item) {
        const int row = CurrentRow(Lines);
        if (row >= 0 && Item >= 0 &&
            GlobalPoolEditor(*FHost.Project(), FDeviceIndex).SetInput(row, InputBox->itemData(Item).toUInt()))
            Changed(row);
    });
    connect(ReserveLineBox, &QComboBox::activated, this, [this](int Item) {
        const int row = CurrentRow(Lines);
        if (row >= 0 && Item >= 0 &&
            GlobalPoolEditor(*FHost.Project(), FDeviceIndex).SetReserve(row, ReserveLineBox->itemData(Item).toInt()))
            Changed(row);
    });
    connect(Lines, &QTreeWidget::itemClicked, this, [this] { LinesSelectItem(); });
    Refresh();
    setVisible(true);
}

void TGlobalPoolFrame::Changed(int Row)
{
    if (Row >= 0) {
        Refresh();
        SelectRow(Lines, Row);
        LinesSelectItem();
    } else {
        Refresh();
    }
}

void TGlobalPoolFrame::Refresh()
{
    GlobalPoolEditor editor(*FHost.Project(), FDeviceIndex);
    int selected = 0;
    SourceDevBox->clear();
    for (const PoolDeviceItem& item : editor.SourceDevices(selected))
        SourceDevBox->addItem(Text(item.Text), item.ID);
    SourceDevBox->setCurrentIndex(selected);
    SourceDevBox->setEnabled(editor.MayChangeSourceDevice());

    AddLine->setEnabled(editor.MayAddLine());
    RemoveLine->setEnabled(false);
    const int row = CurrentRow(Lines);
    Lines->clear();
    if (editor.SourceDeviceIndex() < 0) {
        Lines->setEnabled(false);
        InputBox->setEnabled(false);
        LinesSelectItem();
        return;
    }
    Lines->setEnabled(true);
    for (const PoolLineRow& r : editor.Lines())
        new QTreeWidgetItem(Lines, {Text(r.Number), Text(r.Line), Text(r.LocalInput), Text(r.RemoteOutput),
                                    Text(r.ReservedFor)});
    SelectRow(Lines, row);
    LinesSelectItem();
}

void TGlobalPoolFrame::LinesSelectItem()
{
    const int row = CurrentRow(Lines);
    const bool selected = row >= 0 && Lines->topLevelItemCount() > 0;
    RemoveLine->setEnabled(selected);
    InputBox->setEnabled(selected);
    ReserveLineBox->setEnabled(selected);
    InputBox->clear();
    ReserveLineBox->clear();
    if (!selected)
        return;
    GlobalPoolEditor editor(*FHost.Project(), FDeviceIndex);
    int input = 0;
    for (const PoolInputItem& item : editor.Inputs(row, input))
        InputBox->addItem(Text(item.Text), item.Value);
    InputBox->setCurrentIndex(input);
    for (const ReserveOption& option : GlobalPoolEditor::ReserveOptions())
        ReserveLineBox->addItem(Text(option.Text), option.Code);
    const auto rows = editor.Lines();
    if (row < static_cast<int>(rows.size()))
        ReserveLineBox->setCurrentIndex(GlobalPoolEditor::ReserveItem(rows[static_cast<std::size_t>(row)].Code));
}

} // namespace kvr::editors
