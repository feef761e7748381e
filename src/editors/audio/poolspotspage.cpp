#include "editors/audio/poolspotspage.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "editors/common/editorhost.h"
#include "editors/common/sourcepicker.h"
#include "model/faderaccess.h"
#include "platform/currentprompter.h"
#include "platform/prompter.h"
#include "platform/text1252.h"

namespace kvr::editors {

TInputPoolsPage::TInputPoolsPage(EditorHost& Host, QWidget* Parent) : AudioTabPage(Host, Parent)
{
    setObjectName("InputPoolsPage");
    auto* layout = new QHBoxLayout(this);
    auto* box = new QGroupBox("Input Pools", this);
    auto* boxLayout = new QVBoxLayout(box);
    ListBox3 = new QListWidget(box);
    ListBox3->setObjectName("ListBox3");
    ListBox3->installEventFilter(this);
    boxLayout->addWidget(ListBox3);
    boxLayout->addWidget(new QLabel("Label", box));
    Edit21 = new QLineEdit(box);
    Edit21->setObjectName("Edit21");
    Edit21->setMaxLength(7);
    platform::RefuseBeyondCp1252(Edit21);
    boxLayout->addWidget(Edit21);
    auto* buttons = new QHBoxLayout;
    Button59 = new QPushButton("Add", box);
    Button59->setObjectName("Button59");
    Button60 = new QPushButton("Remove", box);
    Button60->setObjectName("Button60");
    buttons->addWidget(Button59);
    buttons->addWidget(Button60);
    boxLayout->addLayout(buttons);
    box->setFixedWidth(240);
    layout->addWidget(box);
    layout->addStretch();

    connect(ListBox3, &QListWidget::itemClicked, this, [this] { ListBox3Click(); });
    connect(ListBox3, &QListWidget::currentRowChanged, this, [this] {
        if (!FFillingPool)
            ListBox3Click();
    });
    connect(Edit21, &QLineEdit::textEdited, this, [this] { StoreLabel(false); });
    connect(Edit21, &QLineEdit::editingFinished, this, [this] { StoreLabel(true); });
    connect(Button59, &QPushButton::clicked, this, [this] { AddClick(); });
    connect(Button60, &QPushButton::clicked, this, [this] { RemoveClick(); });
}

int TInputPoolsPage::SelectedPool() const
{
    const int line = ListBox3->currentRow();
    return line >= 0 && line < static_cast<int>(FPoolIndex.size()) ? FPoolIndex[static_cast<std::size_t>(line)] : -1;
}

void TInputPoolsPage::TabShow()
{
    if (!Device())
        return;
    const int line = ListBox3->currentRow();
    FFillingPool = true;
    ListBox3->clear();
    FPoolIndex.clear();
    for (const PoolLine& pool : InputPools(*Device()).Lines()) {
        ListBox3->addItem(platform::fromCp1252(pool.Name));
        FPoolIndex.push_back(pool.Pool);
    }
    Edit21->clear();
    Edit21->setEnabled(false);
    Button60->setEnabled(false);
    FFillingPool = false;
    if (line >= 0 && line < ListBox3->count()) {
        FFillingPool = true;
        ListBox3->setCurrentRow(line);
        FFillingPool = false;
        ListBox3Click();
        if (Edit21->isEnabled() && Edit21->isVisible())
            Edit21->setFocus();
    }
}

void TInputPoolsPage::ListBox3Click()
{
    const int pool = SelectedPool();
    if (pool < 0 || !Device())
        return;
    std::string name;
    model::GetPoolName(*Device(), pool, name);
    FFillingPool = true;
    Edit21->setText(platform::fromCp1252(name));
    FFillingPool = false;
    Edit21->setEnabled(true);
    Button60->setEnabled(true);
}

void TInputPoolsPage::StoreLabel(bool EditingEnded)
{
    const int pool = SelectedPool();
    if (pool < 0 || FFillingPool || !Device() || !Edit21->isEnabled())
        return;
    const QString text = Edit21->text();
    // An emptied label removes the pool with its channels' membership: only once editing ends.
    if (text.isEmpty() != EditingEnded)
        return;
    if (EditingEnded) {
        std::string stored;
        if (model::GetPoolName(*Device(), pool, stored) == 0)
            return;
    }
    InputPools(*Device()).Rename(pool, platform::toCp1252(text));
    ListBox3->currentItem()->setText(text);
}

void TInputPoolsPage::AddClick()
{
    if (!Device())
        return;
    const std::string refused = InputPools(*Device()).Add();
    if (!refused.empty()) {
        platform::prompter().showMessage(QString::fromStdString(refused));
        return;
    }
    TabShow();
}

void TInputPoolsPage::RemoveClick()
{
    const int pool = SelectedPool();
    if (pool < 0 || !Device())
        return;
    InputPools(*Device()).Remove(pool);
    TabShow();
}

bool TInputPoolsPage::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == ListBox3 && Event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Delete) {
        RemoveClick();
        ListBox3->setFocus();
        return true;
    }
    return QWidget::eventFilter(Watched, Event);
}

TPotentiometerPage::TPotentiometerPage(EditorHost& Host, QWidget* Parent) : AudioTabPage(Host, Parent)
{
    setObjectName("PotentiometerPage");
    auto* layout = new QHBoxLayout(this);
    ListView19 = new QTreeWidget(this);
    ListView19->setObjectName("ListView19");
    ListView19->setRootIsDecorated(false);
    ListView19->setHeaderLabels({"Module", "Module ID", "Pot. Label", "External Pot."});
    ListView19->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView19->setColumnWidth(0, 100);
    ListView19->setColumnWidth(1, 70);
    ListView19->setColumnWidth(2, 110);
    layout->addWidget(ListView19, 1);
    auto* editor = new QVBoxLayout;
    editor->addWidget(new QLabel("Change Label", this));
    Edit26 = new QLineEdit(this);
    Edit26->setObjectName("Edit26");
    Edit26->setMaxLength(10);
    platform::RefuseBeyondCp1252(Edit26);
    editor->addWidget(Edit26);
    Label76 = new QLabel("Change External Pot.", this);
    Label76->setObjectName("Label76");
    editor->addWidget(Label76);
    ComboBox11 = new QComboBox(this);
    ComboBox11->setObjectName("ComboBox11");
    editor->addWidget(ComboBox11);
    editor->addStretch();
    layout->addLayout(editor);
    Label76->hide();
    ComboBox11->hide();

    connect(ListView19, &QTreeWidget::itemSelectionChanged, this, [this] { ListView19Click(); });
    connect(Edit26, &QLineEdit::textEdited, this, [this] { StoreLabel(false); });
    connect(Edit26, &QLineEdit::editingFinished, this, [this] { StoreLabel(true); });
    connect(ComboBox11, &QComboBox::activated, this, [this](int index) {
        const int pot = SelectedPot();
        if (pot < 0 || FFillingPots || !Device() || index < 0 || index >= static_cast<int>(FExtPotTable.size()))
            return;
        const ExternalPot& entry = FExtPotTable[static_cast<std::size_t>(index)];
        Potentiometers(*Device()).SetExternal(pot, entry);
        ListView19->currentItem()->setText(3, index == 0 ? QString("None") : platform::fromCp1252(entry.Text));
    });
}

int TPotentiometerPage::SelectedPot() const
{
    const int row = CurrentRow(ListView19);
    return row >= 0 ? ListView19->topLevelItem(row)->data(0, Qt::UserRole).toInt() : -1;
}

void TPotentiometerPage::TabShow()
{
    if (!Device())
        return;
    Potentiometers pots(*Device());
    FFillingPots = true;
    // No pot is chosen yet: the fields show none, not the last one chosen (on another frame, maybe).
    Edit26->clear();
    Edit26->setEnabled(false);
    ComboBox11->setEnabled(false);
    Label76->hide();
    ComboBox11->hide();
    std::vector<std::string> log;
    FExtPotTable = pots.ExternalPots(&log);
    ComboBox11->clear();
    for (const ExternalPot& entry : FExtPotTable)
        ComboBox11->addItem(platform::fromCp1252(entry.Text));
    for (const std::string& line : log)
        FHost.Log(line, 2);
    ListView19->clear();
    for (const PotRow& row : pots.Rows(FExtPotTable)) {
        auto* item = new QTreeWidgetItem(ListView19, {platform::fromCp1252(row.Module), QString::fromStdString(row.ModuleID),
                                                      platform::fromCp1252(row.Label), platform::fromCp1252(row.External)});
        item->setData(0, Qt::UserRole, row.Pot);
        item->setData(1, Qt::UserRole, row.State);
    }
    FFillingPots = false;
}

void TPotentiometerPage::ListView19Click()
{
    const int row = CurrentRow(ListView19);
    if (FFillingPots || row < 0 || !Device())
        return;
    FFillingPots = true;
    Potentiometers pots(*Device());
    const int pot = SelectedPot();
    Edit26->setText(platform::fromCp1252(pots.Name(pot)));
    Edit26->setEnabled(true);
    ComboBox11->setEnabled(true);
    const bool free = ListView19->topLevelItem(row)->data(1, Qt::UserRole).toInt() == -1;
    if (free)
        ComboBox11->setCurrentIndex(pots.ExternalIndex(pot, FExtPotTable));
    ComboBox11->setVisible(free);
    Label76->setVisible(free);
    FFillingPots = false;
}

void TPotentiometerPage::StoreLabel(bool EditingEnded)
{
    const int pot = SelectedPot();
    if (pot < 0 || FFillingPots || !Device() || !Edit26->isEnabled())
        return;
    const QString text = Edit26->text();
    // An emptied label also drops the pot's external input: only once editing ends.
    if (text.isEmpty() != EditingEnded)
        return;
    Potentiometers(*Device()).SetName(pot, platform::toCp1252(text));
    ListView19->currentItem()->setText(2, text);
    if (AudioSourcePicker* audio = FHost.AudioSources()) {
        audio->SetDeviceIndex(DeviceIndex());
        audio->BuildSourceTree();
    }
}

} // namespace kvr::editors
