#include "console/pages/keyoptionspanel.h"

#include "platform/text1252.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>

namespace kvr::console {

namespace {

// Text of the device image is Windows-1252.
QString Q(const std::string& text)
{
    return platform::fromCp1252(text);
}

void Fill(QComboBox& box, const std::vector<std::string>& items, int selected)
{
    box.clear();
    for (const std::string& item : items)
        box.addItem(Q(item));
    box.setCurrentIndex(selected < box.count() ? selected : -1);
}

QComboBox* Box(QWidget* parent, const char* name)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    return box;
}

// A row of its own that shows and hides as one.
QWidget* Row(QFormLayout& form, QWidget* parent, const char* caption, QWidget* field)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(caption, row));
    field->setParent(row);
    layout->addWidget(field, 1);
    form.addRow(row);
    return row;
}

} // namespace

KeyOptionsPanel::KeyOptionsPanel(QWidget* parent) : QWidget(parent)
{
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    Edit9 = new QLineEdit(this);
    Edit9->setObjectName("Edit9");
    Edit9->setReadOnly(true);
    form->addRow("Number", Edit9);
    Edit8 = new QLineEdit(this);
    Edit8->setObjectName("Edit8");
    Edit8->setMaxLength(29);
    form->addRow("Label", Edit8);
    ComboBox5 = Box(this, "ComboBox5");
    ComboBox5->setMaxVisibleItems(12);
    form->addRow("Function", ComboBox5);
    Label21 = new QLabel("Subfunction", this);
    ComboBox6 = Box(this, "ComboBox6");
    ComboBox6->setMaxVisibleItems(15);
    form->addRow(Label21, ComboBox6);
    Label22 = new QLabel(this);
    UpDown3 = new QSpinBox(this);
    UpDown3->setObjectName("UpDown3");
    form->addRow(Label22, UpDown3);
    const char* names[] = {"CheckBox8", "CheckBox9", "CheckBox10", "CheckBox27", "CheckBox28"};
    for (std::size_t n = 0; n < 5; ++n) {
        Options[n] = new QCheckBox(this);
        Options[n]->setObjectName(names[n]);
        form->addRow(Options[n]);
    }
    Button6 = new QPushButton("Left Source...", this);
    Panel21 = new QLabel("None", this);
    form->addRow(Button6, Panel21);
    Button8 = new QPushButton("Condition ID...", this);
    form->addRow(Button8);
    Button7 = new QPushButton("Right Source...", this);
    Panel22 = new QLabel("None", this);
    form->addRow(Button7, Panel22);

    TalkPanel = new QWidget(this);
    auto* talk = new QFormLayout(TalkPanel);
    talk->setContentsMargins(0, 0, 0, 0);
    KeyTalkSource = Box(TalkPanel, "KeyTalkSource");
    KeyTalkDest = Box(TalkPanel, "KeyTalkDest");
    talk->addRow("Talk Source Channel", KeyTalkSource);
    talk->addRow("Talk Destination Aux", KeyTalkDest);
    form->addRow(TalkPanel);
    ResDestBox = Box(this, "ResDestBox");
    ResourceDest = Row(*form, this, "", ResDestBox);
    RotEncSetPanel = new QWidget(this);
    auto* encoders = new QFormLayout(RotEncSetPanel);
    encoders->setContentsMargins(0, 0, 0, 0);
    for (std::size_t n = 0; n < 5; ++n) {
        EncBoxes[n] = Box(RotEncSetPanel, "EncBox");
        EncBoxes[n]->setObjectName(QString("EncBox%1").arg(n + 1));
        encoders->addRow(QString("Rotary Encoder %1").arg(n + 1), EncBoxes[n]);
    }
    form->addRow(RotEncSetPanel);
    EF_AccBox = Box(this, "EF_AccBox");
    for (int n = 1; n <= 4; ++n)
        EF_AccBox->addItem(QString("Access Group %1").arg(n));
    EF_AccPanel = Row(*form, this, "Access group", EF_AccBox);
    DirectInputSelectBox = Box(this, "DirectInputSelectBox");
    DirectInputSelectPanel = Row(*form, this, "Fader Channel", DirectInputSelectBox);
    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName("ListView1");
    ListView1->setHeaderLabels({"", "Priority", "Lamp Source"});
    ListView1->setRootIsDecorated(false);
    for (const char* priority : {"Highest", "Middle", "Lowest"})
        new QTreeWidgetItem(ListView1, QStringList{"", priority, ""});
    form->addRow(ListView1);
}

void KeyOptionsPanel::Show(const KeyOptionsView& v)
{
    Edit9->setText(Q(v.Number));
    Edit8->setText(Q(v.Label));
    Fill(*ComboBox5, v.Functions, v.FunctionItem);
    Label21->setText(Q(v.SubCaption));
    Label21->setVisible(v.SubVisible);
    ComboBox6->setVisible(v.SubVisible);
    ComboBox6->setEnabled(v.SubEnabled);
    Fill(*ComboBox6, v.Subfunctions, v.SubItem);
    Label22->setText(Q(v.SpinCaption));
    Label22->setVisible(v.SpinLabelVisible);
    UpDown3->setVisible(v.SpinVisible);
    UpDown3->setEnabled(v.SpinEnabled);
    UpDown3->setRange(v.SpinMin, v.SpinMax);
    UpDown3->setValue(v.SpinValue);
    for (std::size_t n = 0; n < 5; ++n) {
        Options[n]->setText(Q(v.OptionCaptions[n]));
        Options[n]->setVisible(v.OptionVisible[n]);
        Options[n]->setEnabled(v.OptionEnabled[n]);
        Options[n]->setChecked(v.OptionTicked[n]);
    }
    Button6->setVisible(v.LeftSourceButton);
    Button8->setVisible(v.ConditionButton);
    Button7->setVisible(v.RightSourceButton);
    Panel21->setVisible(v.LeftPanel);
    Panel22->setVisible(v.RightPanel);
    Panel21->setText(v.LeftSourceName.empty() ? QString("None") : Q(v.LeftSourceName));
    Panel22->setText(v.RightSourceName.empty() ? QString("None") : Q(v.RightSourceName));
    TalkPanel->setVisible(v.TalkBoxes);
    Fill(*KeyTalkSource, v.TalkSources, v.TalkSourceItem);
    Fill(*KeyTalkDest, v.TalkDestinations, v.TalkDestinationItem);
    ResourceDest->setVisible(v.ResourceDestination);
    ResDestBox->setEnabled(v.ResourceDestEnabled);
    Fill(*ResDestBox, v.ResourceDestItems, v.ResourceDestItem);
    RotEncSetPanel->setVisible(v.EncoderSet);
    for (std::size_t n = 0; n < 5; ++n)
        Fill(*EncBoxes[n], v.EncoderCaptions, v.EncoderItems[n]);
    EF_AccPanel->setVisible(v.AccessGroupPanel);
    EF_AccBox->setCurrentIndex(v.AccessGroupItem < 4 ? v.AccessGroupItem : -1);
    DirectInputSelectPanel->setVisible(v.FaderChannelPanel);
    Fill(*DirectInputSelectBox, v.FaderChannels, v.FaderChannelItem);
    ListView1->setVisible(v.LampSourceList);
    for (int r = 0; r < 3; ++r)
        ListView1->topLevelItem(r)->setText(2, Q(v.LampSources[static_cast<std::size_t>(r)]));
}

} // namespace kvr::console
