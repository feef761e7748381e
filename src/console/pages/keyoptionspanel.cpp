#include "console/pages/keyoptionspanel.h"

#include "console/keycaption.h"
#include "console/pages/keypreviewimage.h"
#include "controls/dragtarget.h"
#include "platform/currentprompter.h"
#include "platform/text1252.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDrag>
#include <QFormLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTreeWidget>

#include <algorithm>

namespace kvr::console {

namespace {

constexpr const char* kLampRowMime = "application/x-kvr-lamp-row";
constexpr int kSwatchSize = 26;
constexpr std::uint32_t kLampColours[] = {0x00FFFF, 0x0000FF, 0x00FF00}; // yellow, red, green

// Text of the device image is Windows-1252.
QString Q(const std::string& text)
{
    return platform::fromCp1252(text);
}

QColor ToQColor(std::uint32_t c)
{
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
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

bool CanTakeFocus(const QWidget& w)
{
    return w.isVisible() && w.isEnabled() && w.focusPolicy() != Qt::NoFocus;
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

// The lamp images of the list: a lamp of each colour.
QIcon LampImage(int colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::black);
    painter.setBrush(colour >= 0 && colour < 3 ? ToQColor(kLampColours[colour]) : QColor(Qt::white));
    painter.drawEllipse(2, 2, 11, 11);
    return QIcon(pixmap);
}

// The lamp sources of a "User Defined" key: rows dragged onto each other exchange, a logic
// source dropped on a row is assigned to it.
class LampSourceList : public QTreeWidget {
public:
    explicit LampSourceList(QWidget* parent) : QTreeWidget(parent)
    {
        setObjectName("ListView1");
        // The list starts and takes its drags itself.
        setDragEnabled(false);
        setAcceptDrops(true);
        viewport()->setAcceptDrops(true);
    }
    std::function<void(int from, int to)> RowDropped;
    std::function<bool(const QMimeData*)> AcceptsLogic;
    std::function<void(int row)> LogicDropped;
    std::function<void(int row)> DoubleClicked;
    std::function<void(const QPoint&)> Popup;

    // The page may be short of room, but the three priorities always show whole.
    QSize minimumSizeHint() const override
    {
        QSize size = QTreeWidget::minimumSizeHint();
        int rows = 0;
        for (int r = 0; r < topLevelItemCount(); ++r)
            rows += std::max(sizeHintForRow(r), 0);
        const int height = header()->sizeHint().height() + rows + 2 * frameWidth();
        size.setHeight(std::max(size.height(), height));
        return size;
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        QTreeWidget::mousePressEvent(event);
        pressAt_ = event->position().toPoint();
        pressed_ = event->button() == Qt::LeftButton;
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!pressed_ || !(event->buttons() & Qt::LeftButton) ||
            (event->position().toPoint() - pressAt_).manhattanLength() < 5)
            return;
        pressed_ = false;
        const int row = indexOfTopLevelItem(currentItem());
        if (row < 0)
            return;
        auto* data = new QMimeData;
        data->setData(kLampRowMime, QByteArray::number(row));
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        drag->exec(Qt::MoveAction);
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        QTreeWidget::mouseDoubleClickEvent(event);
        const int row = indexOfTopLevelItem(currentItem());
        if (row >= 0 && currentItem()->isSelected() && DoubleClicked)
            DoubleClicked(row);
    }
    void contextMenuEvent(QContextMenuEvent* event) override
    {
        if (Popup)
            Popup(event->globalPos());
    }
    void dragEnterEvent(QDragEnterEvent* event) override { Answer(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { Answer(event); }
    void dropEvent(QDropEvent* event) override { Answer(event); }

private:
    // Its own rows and logic sources land on a row; away from every row nothing happens.
    void Answer(QEvent* event)
    {
        controls::answerDragEvent(
            event, {.Takes =
                        [this](const QMimeData* data) {
                            return data && ((data->hasFormat(kLampRowMime) && !data->data(kLampRowMime).isEmpty()) ||
                                            (AcceptsLogic && AcceptsLogic(data)));
                        },
                    .LandsAt = [this](const QDropEvent& drag) { return itemAt(drag.position().toPoint()) != nullptr; },
                    .Dropped = [this](QDropEvent& drop) { Dropped(drop); }});
    }
    void Dropped(const QDropEvent& drop)
    {
        QTreeWidgetItem* target = itemAt(drop.position().toPoint());
        const int to = indexOfTopLevelItem(target);
        if (drop.mimeData()->hasFormat(kLampRowMime)) {
            const int from = indexOfTopLevelItem(currentItem());
            if (from >= 0 && RowDropped)
                RowDropped(from, to);
            return;
        }
        setCurrentItem(target);
        if (LogicDropped)
            LogicDropped(to);
    }

    QPoint pressAt_;
    bool pressed_ = false;
};

} // namespace

SourceDropPanel::SourceDropPanel(const char* name, QWidget* parent) : QLabel("None", parent)
{
    setObjectName(name);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setAcceptDrops(true);
}

void SourceDropPanel::Answer(QEvent* event)
{
    controls::answerDragEvent(event, {.Takes = [this](const QMimeData* data) { return Accepts && Accepts(data); },
                                      .Dropped = [this](QDropEvent& drop) {
                                          if (Dropped)
                                              Dropped(drop.mimeData());
                                      }});
}

void SourceDropPanel::dragEnterEvent(QDragEnterEvent* event)
{
    Answer(event);
}

void SourceDropPanel::dragMoveEvent(QDragMoveEvent* event)
{
    Answer(event);
}

void SourceDropPanel::dropEvent(QDropEvent* event)
{
    Answer(event);
}

ColourSwatch::ColourSwatch(const char* name, std::optional<std::uint32_t> colour, QWidget* parent)
    : QWidget(parent), colour_(colour)
{
    setObjectName(name);
    setFixedSize(kSwatchSize, kSwatchSize);
}

void ColourSwatch::SetColour(std::uint32_t colour)
{
    colour_ = colour;
    update();
}

void ColourSwatch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.setBrush(colour_ ? ToQColor(*colour_) : QColor(Qt::white));
    painter.drawRect(0, 0, width() - 1, height() - 1);
    if (!colour_) {
        // No colour: a struck-out field.
        painter.setPen(QPen(Qt::red, 2));
        painter.drawLine(3, height() - 4, width() - 4, 3);
    }
}

void ColourSwatch::mousePressEvent(QMouseEvent*)
{
    if (Clicked)
        Clicked();
}

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
    platform::RefuseBeyondCp1252(Edit8);
    form->addRow("Label", Edit8);
    BuildColours(*form);
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
    Button6->setObjectName("Button6");
    Panel21 = new SourceDropPanel("Panel21", this);
    form->addRow(Button6, Panel21);
    Button8 = new QPushButton("Condition ID...", this);
    Button8->setObjectName("Button8");
    form->addRow(Button8);
    Button7 = new QPushButton("Right Source...", this);
    Button7->setObjectName("Button7");
    Panel22 = new SourceDropPanel("Panel22", this);
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
    BuildLampSources(*form);
    Connect();
}

void KeyOptionsPanel::BuildColours(QFormLayout& form)
{
    auto* colours = new QWidget(this);
    auto* grid = new QGridLayout(colours);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    struct Field {
        const char* name;
        std::optional<std::uint32_t> colour;
        int row;
        int column;
    };
    // In the order of ColourField.
    const Field fields[kColourFields] = {
        {"Shape1", 0x00FFFF, 0, 1}, {"Shape2", 0x0000FF, 0, 2}, {"Shape3", 0x00FF00, 0, 3},
        {"Shape4", 0xFFFFFF, 0, 4}, {"Image2", std::nullopt, 0, 5}, {"Shape5", 0x00FFFF, 1, 1},
        {"Shape6", 0x0000FF, 1, 2}, {"Shape7", 0x00FF00, 1, 3},     {"Image3", std::nullopt, 1, 5},
    };
    auto* on = new QLabel("Color ON", colours);
    on->setObjectName("Label12");
    grid->addWidget(on, 0, 0);
    auto* off = new QLabel("Color OFF", colours);
    off->setObjectName("Label23");
    grid->addWidget(off, 1, 0);
    for (std::size_t n = 0; n < kColourFields; ++n) {
        ColourFields[n] = new ColourSwatch(fields[n].name, fields[n].colour, colours);
        grid->addWidget(ColourFields[n], fields[n].row, fields[n].column);
    }
    Panel4 = new QWidget(colours);
    Panel4->setObjectName("Panel4");
    auto* preview = new QHBoxLayout(Panel4);
    preview->setContentsMargins(0, 0, 0, 0);
    KeyImg = new KeyPreviewImage(Panel4);
    preview->addWidget(KeyImg);
    Shape11 = new ColourSwatch("Shape11", 0xFFFFFF, Panel4);
    preview->addWidget(Shape11, 0, Qt::AlignTop);
    grid->addWidget(Panel4, 0, 6, 2, 1, Qt::AlignLeft | Qt::AlignTop);
    grid->setColumnStretch(7, 1);
    form.addRow(colours);
}

void KeyOptionsPanel::BuildLampSources(QFormLayout& form)
{
    UserDefPanel = new QWidget(this);
    UserDefPanel->setObjectName("UserDefPanel");
    auto* layout = new QHBoxLayout(UserDefPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* list = new LampSourceList(UserDefPanel);
    ListView1 = list;
    ListView1->setHeaderLabels({"", "Priority", "Lamp Source"});
    ListView1->setRootIsDecorated(false);
    ListView1->setColumnWidth(0, 28);
    for (const char* priority : {"Highest", "Middle", "Lowest"})
        new QTreeWidgetItem(ListView1, QStringList{"", priority, ""});
    layout->addWidget(ListView1);
    form.addRow(UserDefPanel);

    LampPopup = new QMenu(ListView1);
    Yelow1 = LampPopup->addAction(LampImage(0), "Yellow");
    Yelow1->setObjectName("Yelow1");
    Red1 = LampPopup->addAction(LampImage(1), "Red");
    Red1->setObjectName("Red1");
    Green1 = LampPopup->addAction(LampImage(2), "Green");
    Green1->setObjectName("Green1");
    UDLampSource = LampPopup->addAction("Set Source = Self");
    UDLampSource->setObjectName("UDLampSource");

    list->Popup = [this](const QPoint& at) { LampPopup->popup(at); };
    list->RowDropped = [this](int from, int to) { Edit([&](KeyEditor& e) { e.LampRowDropped(from, to); }); };
    list->AcceptsLogic = [this](const QMimeData* data) {
        return Picker && Picker->IsSourceDrag(SourceWindow::Logic, data);
    };
    list->LogicDropped = [this](int) {
        if (Picker)
            Picker->AssignDropped(SourceWindow::Logic, kLampSourceRowKind);
    };
    list->DoubleClicked = [this](int row) {
        Pick(SourceWindow::Logic, kLampSourceRowKind, shown_.LampSourceIDs[static_cast<std::size_t>(row)]);
    };
}

int KeyOptionsPanel::SelectedLampRow() const
{
    if (!shown_.LampSourceList || !ListView1->currentItem() || !ListView1->currentItem()->isSelected())
        return -1;
    return ListView1->indexOfTopLevelItem(ListView1->currentItem());
}

void KeyOptionsPanel::FocusLabel()
{
    if (CanTakeFocus(*Edit8) && Edit8->window()->focusWidget() != Edit8)
        Edit8->setFocus(Qt::OtherFocusReason);
}

void KeyOptionsPanel::Edit(const std::function<void(KeyEditor&)>& handler)
{
    if (!Editor)
        return;
    std::optional<KeyEditor> editor = Editor();
    if (!editor)
        return;
    handler(*editor);
    if (!editor->Warning().empty())
        platform::prompter().showMessage(Q(editor->Warning()));
    if (Changed)
        Changed();
}

void KeyOptionsPanel::Pick(SourceWindow window, int kind, std::uint16_t stored)
{
    if (Picker)
        Picker->Pick(window, kind, stored);
}

void KeyOptionsPanel::Connect()
{
    const auto& v = shown_;
    connect(Edit8, &QLineEdit::textEdited, this,
            [this](const QString& text) { Edit([&](KeyEditor& e) { e.TextChanged(platform::toCp1252(text)); }); });
    connect(ComboBox5, &QComboBox::activated, this,
            [this, &v](int item) { Edit([&](KeyEditor& e) { e.FunctionChanged(v, item); }); });
    connect(ComboBox6, &QComboBox::activated, this,
            [this, &v](int item) { Edit([&](KeyEditor& e) { e.SubfunctionChanged(v, item); }); });
    // The spin writes only while the page is not filling it (the handler's guard).
    // The options shown again put the focus on "Label"; a value being typed keeps it.
    connect(UpDown3, &QSpinBox::valueChanged, this, [this, &v](int value) {
        Edit([&](KeyEditor& e) { e.SpinChanged(v, value); });
        if (CanTakeFocus(*UpDown3))
            UpDown3->setFocus(Qt::OtherFocusReason);
    });
    for (std::size_t n = 0; n < 5; ++n) {
        connect(Options[n], &QCheckBox::clicked, this, [this, &v, n](bool) {
            std::array<bool, 5> ticked{};
            for (std::size_t k = 0; k < 5; ++k)
                ticked[k] = Options[k]->isChecked();
            Edit([&](KeyEditor& e) { e.OptionClicked(v, static_cast<int>(n), ticked); });
        });
    }
    connect(KeyTalkSource, &QComboBox::activated, this,
            [this, &v](int item) { Edit([&](KeyEditor& e) { e.TalkSourceChanged(v, item); }); });
    connect(KeyTalkDest, &QComboBox::activated, this,
            [this](int item) { Edit([&](KeyEditor& e) { e.TalkDestinationChanged(item); }); });
    connect(ResDestBox, &QComboBox::activated, this,
            [this, &v](int item) { Edit([&](KeyEditor& e) { e.DestinationChanged(v, item); }); });
    for (std::size_t n = 0; n < 5; ++n) {
        connect(EncBoxes[n], &QComboBox::activated, this, [this, &v, n](int item) {
            Edit([&](KeyEditor& e) { e.EncoderChanged(v, static_cast<int>(n), item); });
        });
    }
    connect(EF_AccBox, &QComboBox::activated, this,
            [this](int item) { Edit([&](KeyEditor& e) { e.AccessGroupChanged(item); }); });
    connect(DirectInputSelectBox, &QComboBox::activated, this,
            [this](int item) { Edit([&](KeyEditor& e) { e.FaderChannelChanged(item); }); });
    for (std::size_t n = 0; n < kColourFields; ++n) {
        ColourFields[n]->Clicked = [this, n] {
            Edit([&](KeyEditor& e) { e.ColourClicked(static_cast<ColourField>(n)); });
        };
    }
    const std::pair<QAction*, int> lamps[] = {{Yelow1, 0}, {Red1, 1}, {Green1, 2}};
    for (const auto& lamp : lamps) {
        const int colour = lamp.second;
        connect(lamp.first, &QAction::triggered, this,
                [this, colour] { Edit([&](KeyEditor& e) { e.LampColourChosen(SelectedLampRow(), colour); }); });
    }
    connect(UDLampSource, &QAction::triggered, this,
            [this, &v] { Edit([&](KeyEditor& e) { e.LampSourceSelf(v, SelectedLampRow()); }); });

    connect(Button6, &QPushButton::clicked, this,
            [this] { Pick(SourceWindow::Audio, kLeftSourceKind, KeyRecordView(shown_.Record).Source(kf::Param2)); });
    connect(Button7, &QPushButton::clicked, this,
            [this] { Pick(SourceWindow::Audio, kRightSourceKind, KeyRecordView(shown_.Record).Source(kf::Param3)); });
    connect(Button8, &QPushButton::clicked, this,
            [this] { Pick(SourceWindow::Logic, kKeyConditionKind, KeyRecordView(shown_.Record).Source(kf::Param1)); });
    auto* left = static_cast<SourceDropPanel*>(Panel21);
    const auto logicDrag = [this](const QMimeData* data) {
        return Picker && !Button8->isHidden() && Picker->IsSourceDrag(SourceWindow::Logic, data);
    };
    const auto audioDrag = [this](const QMimeData* data) {
        return Picker && !Button6->isHidden() && Picker->IsSourceDrag(SourceWindow::Audio, data);
    };
    left->Accepts = [=](const QMimeData* data) { return logicDrag(data) || audioDrag(data); };
    left->Dropped = [this, logicDrag](const QMimeData* data) {
        if (logicDrag(data))
            Picker->AssignDropped(SourceWindow::Logic, kKeyConditionKind);
        else
            Picker->AssignDropped(SourceWindow::Audio, kLeftSourceKind);
    };
    auto* right = static_cast<SourceDropPanel*>(Panel22);
    right->Accepts = [this](const QMimeData* data) { return Picker && Picker->IsSourceDrag(SourceWindow::Audio, data); };
    right->Dropped = [this](const QMimeData*) { Picker->AssignDropped(SourceWindow::Audio, kRightSourceKind); };
}

void KeyOptionsPanel::ConnectLampElement(QPushButton& select, SourceDropPanel& panel)
{
    connect(&select, &QPushButton::clicked, this,
            [this] { Pick(SourceWindow::Logic, kKeyConditionKind, KeyRecordView(shown_.Record).Source(kf::Param1)); });
    panel.Accepts = [this](const QMimeData* data) { return Picker && Picker->IsSourceDrag(SourceWindow::Logic, data); };
    panel.Dropped = [this](const QMimeData*) { Picker->AssignDropped(SourceWindow::Logic, kKeyConditionKind); };
}

void KeyOptionsPanel::Show(const KeyOptionsView& v)
{
    shown_ = v;
    Edit9->setText(Q(v.Number));
    // Typing shows the options again: an unchanged text keeps the caret where it is.
    if (Edit8->text() != Q(v.Label))
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
    {
        // Showing a value is no change of the user's.
        const QSignalBlocker blocker(UpDown3);
        UpDown3->setRange(v.SpinMin, v.SpinMax);
        UpDown3->setValue(v.SpinValue);
    }
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

    UserDefPanel->setVisible(v.LampSourceList);
    for (int r = 0; r < 3; ++r) {
        QTreeWidgetItem* row = ListView1->topLevelItem(r);
        row->setText(2, Q(v.LampSources[static_cast<std::size_t>(r)]));
        row->setIcon(0, LampImage(v.LampColours[static_cast<std::size_t>(r)]));
    }
    Green1->setVisible(v.GreenOffered);
    UDLampSource->setText(Q(v.LampSourceCaption));

    Shape11->SetColour(v.InactiveColour);
    if (v.Preview) {
        if (const auto layout = KeyImg->ShowKey(v.ModuleType, v.Record)) {
            for (std::size_t n = 0; n < kColourFields; ++n) {
                if (layout->Fields[n])
                    ColourFields[n]->setVisible(*layout->Fields[n]);
            }
        }
    }
}

} // namespace kvr::console
