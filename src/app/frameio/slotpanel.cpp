#include "app/frameio/slotpanel.h"

#include "app/frameio/linkadapt.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QHideEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <chrono>

#include "app/frameio/framecards.h"
#include "app/frameio/sourcewindows.h"
#include "app/frameio/slotpainter.h"
#include "diagnostics/waitcursor.h"
#include "gfx/qpaintercanvas.h"
#include "model/project.h"
#include "platform/currentprompter.h"
#include "platform/text1252.h"

namespace kvr::app::frameio {

namespace {
constexpr int kHiddenHeight = 20;

long long MillisecondsSince(std::chrono::steady_clock::time_point Start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - Start).count();
}
} // namespace

TSlotImage::TSlotImage(TSlotPanel& Panel, QWidget* Parent) : QWidget(Parent), Panel(Panel)
{
    setObjectName("SlotImage");
    setMouseTracking(true);
    setFixedSize(kImageWidth, kHiddenHeight);
}

void TSlotImage::paintEvent(QPaintEvent* Event)
{
    QPainter painter(this);
    Panel.PaintTable(painter, Event->rect());
}

QImage TSlotImage::Picture() const { return Panel.TablePicture(); }

void TSlotImage::mouseMoveEvent(QMouseEvent* Event)
{
    const QPoint at = Event->position().toPoint();
    Panel.SlotImageMouseMove(at.x(), at.y(), (Event->buttons() & Qt::LeftButton) != 0);
}

void TSlotImage::mousePressEvent(QMouseEvent* Event)
{
    // A click makes the scroll box the active control, so the wheel scrolls the table and an
    // open editor is left (and stored) first.
    if (Panel.SlotScrollBox->focusPolicy() != Qt::NoFocus)
        Panel.SlotScrollBox->setFocus(Qt::MouseFocusReason);
    if (Event->button() == Qt::LeftButton)
        Panel.SlotImageMouseDown();
}

void TSlotScrollBox::wheelEvent(QWheelEvent* Event)
{
    Event->accept();
    const int delta = Event->angleDelta().y();
    if (delta == 0)
        return;
    QScrollBar* bar = verticalScrollBar();
    if (const auto to = WheelScroll(hasFocus(), bar->value(), bar->maximum(), delta > 0))
        bar->setValue(*to);
}

TSlotPanel::TSlotPanel(QWidget* Parent) : QWidget(Parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    ShowGPIOs = new QCheckBox("Show GPIOs", this);
    ShowGPIOs->setObjectName("ShowGPIOs");
    ShowGPIOs->setChecked(true);
    layout->addWidget(ShowGPIOs);
    SlotScrollBox = new TSlotScrollBox(this);
    SlotScrollBox->setObjectName("SlotScrollBox");
    SlotScrollBox->setFocusPolicy(Qt::StrongFocus);
    SlotScrollBox->setWidgetResizable(false);
    SlotScrollBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SlotImage = new TSlotImage(*this, SlotScrollBox);
    SlotScrollBox->setWidget(SlotImage);
    layout->addWidget(SlotScrollBox, 1);
    connect(ShowGPIOs, &QCheckBox::clicked, this, [this] { ShowGPIOsClick(); });

    SlotTypeSelector = NewBox("SlotTypeSelector");
    DSPTypeSelector = NewBox("DSPTypeSelector");
    StereoBox = NewBox("StereoBox", CellEditor::StereoBox);
    HeadRoomBox = NewBox("HeadRoomBox", CellEditor::HeadRoomBox);
    DitherBox = NewBox("DitherBox", CellEditor::DitherBox);
    SRCBox = NewBox("SRCBox", CellEditor::SRCBox);
    DigiModeBox = NewBox("DigiModeBox", CellEditor::DigiModeBox);
    ChModeBox = NewBox("ChModeBox", CellEditor::ChModeBox);
    PullUpBox = NewBox("PullUpBox", CellEditor::PullUpBox);
    MADIChannels = NewBox("MADIChannels", CellEditor::MADIChannels);
    FloatBox = NewBox("FloatBox", CellEditor::FloatBox);
    DelayAnzBox = NewBox("DelayAnzBox", CellEditor::DelayAnzBox);
    connect(SlotTypeSelector, &QComboBox::activated, this, [this](int item) { SlotTypeSelectorChange(item); });
    connect(DSPTypeSelector, &QComboBox::activated, this, [this](int item) { DSPTypeSelectorChange(item); });
    LabelEdit = new QLineEdit(SlotScrollBox->viewport());
    LabelEdit->setObjectName("LabelEdit");
    LabelEdit->setFrame(false);
    LabelEdit->setMaxLength(16);
    platform::RefuseBeyondCp1252(LabelEdit);
    LabelEdit->hide();
    LabelEdit->installEventFilter(this);
    SlotScrollBox->viewport()->installEventFilter(this);
    SlotScrollBox->viewport()->setMouseTracking(true);
    setVisible(false);
}

QComboBox* TSlotPanel::NewBox(const char* Name, CellEditor Setting)
{
    auto* box = new QComboBox(SlotScrollBox->viewport());
    box->setObjectName(Name);
    box->setEditable(false);
    box->hide();
    box->installEventFilter(this);
    if (Setting != CellEditor::None)
        connect(box, &QComboBox::activated, this, [this, Setting](int item) { SettingChange(Setting, item); });
    return box;
}

QComboBox* TSlotPanel::BoxOf(CellEditor Editor) const
{
    switch (Editor) {
    case CellEditor::SlotTypeSelector: return SlotTypeSelector;
    case CellEditor::DSPTypeSelector: return DSPTypeSelector;
    case CellEditor::StereoBox: return StereoBox;
    case CellEditor::HeadRoomBox: return HeadRoomBox;
    case CellEditor::DitherBox: return DitherBox;
    case CellEditor::SRCBox: return SRCBox;
    case CellEditor::DigiModeBox: return DigiModeBox;
    case CellEditor::ChModeBox: return ChModeBox;
    case CellEditor::PullUpBox: return PullUpBox;
    case CellEditor::MADIChannels: return MADIChannels;
    case CellEditor::FloatBox: return FloatBox;
    case CellEditor::DelayAnzBox: return DelayAnzBox;
    default: return nullptr;
    }
}

void TSlotPanel::ShowSlotPanel(model::TProject* Project, int Device, int CurSlot)
{
    if (Project != FProject || Device != FCurDevice || !FEditor) {
        FEditor = Project != nullptr ? std::make_unique<FrameEditor>(*Project, Device, platform::prompter()) : nullptr;
    }
    if (FEditor) {
        FEditor->AdaptLink = AdaptLink;
        if (!FEditor->AdaptLink && Project != nullptr)
            FEditor->AdaptLink = [Project, this](const model::TDeviceLink& Link, int Word, int Flag) {
                model::TDeviceLink l = Link;
                frameio::AdaptLink(*Project, l, Word, Flag != 0, LinkProgressSink);
            };
        FEditor->Sources = Sources;
    }
    FProject = Project;
    FCurDevice = Device;
    FCurSlot = CurSlot;
    DrawSlotView();
    ShowGPIOs->setVisible(CurSlot > 254);
    show();
}

void TSlotPanel::HideSlotPanel()
{
    hide();
    HideCellEditors(true);
    FEditor.reset();
    FProject = nullptr;
    SlotImage->setFixedSize(kImageWidth, kHiddenHeight);
}

void TSlotPanel::hideEvent(QHideEvent* Event)
{
    QWidget::hideEvent(Event);
    if (!Event->spontaneous() && FProject != nullptr)
        HideSlotPanel();
}

void TSlotPanel::DrawSlotView()
{
    model::TDevice* device = FProject != nullptr && FCurDevice >= 0 ? FProject->Device(FCurDevice) : nullptr;
    if (device == nullptr)
        return;
    const auto start = std::chrono::steady_clock::now();
    const TWaitCursor hourglass(true);
    const bool timing = RefreshTimeChecked && RefreshTimeChecked() && LogMessage;

    // The records and every slot's extent, once per change; a paint draws the part in view.
    View.Load(*device, FCurSlot, ShowGPIOs->isChecked());
    View.PlaceAllSlots();
    FSources = {FProject, FCurDevice, device->GetHeader()};
    if (timing && View.WholeFrame())
        LogMessage("Frame Setup HeightComp: " + std::to_string(MillisecondsSince(start)) + " ms", 2);
    SlotImage->setFixedSize(kImageWidth, View.ImageHeight());
    SlotImage->update();
    if (timing)
        LogMessage("Frame Setup " + std::to_string(MillisecondsSince(start)) + "ms refreshtime", 2);
    if (UpdateCaption)
        UpdateCaption();
}

bool TSlotPanel::TableShown() const
{
    return FProject != nullptr && FCurDevice >= 0 && FProject->Device(FCurDevice) != nullptr;
}

void TSlotPanel::PaintTable(QPainter& Painter, const QRect& Area)
{
    const QRect area = Area.intersected(QRect(0, 0, kImageWidth, View.ImageHeight()));
    if (!TableShown() || area.isEmpty())
        return;
    // The rows in view, painted on a picture of their own as the whole table would be.
    QImage band(kImageWidth, area.height(), QImage::Format_RGB32);
    band.fill(Qt::white);
    {
        QPainter bandPainter(&band);
        bandPainter.translate(0, -area.top());
        gfx::QPainterCanvas canvas(bandPainter);
        frameio::DrawSlotBand(canvas, View, FSources, area.top(), area.bottom() + 1);
    }
    Painter.drawImage(0, area.top(), band);
}

QImage TSlotPanel::TablePicture()
{
    if (!TableShown())
        return {};
    QImage picture(kImageWidth, View.ImageHeight(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
        gfx::QPainterCanvas canvas(picture);
        frameio::DrawSlotView(canvas, View, FSources);
    }
    return picture;
}

void TSlotPanel::ShowGPIOsClick() { DrawSlotView(); }

QPoint TSlotPanel::ScrollPosition() const
{
    return {SlotScrollBox->horizontalScrollBar()->value(), SlotScrollBox->verticalScrollBar()->value()};
}

void TSlotPanel::SetScrollPosition(QPoint Position)
{
    SlotScrollBox->horizontalScrollBar()->setValue(Position.x());
    SlotScrollBox->verticalScrollBar()->setValue(Position.y());
}

void TSlotPanel::SlotImageMouseMove(int X, int Y, bool LeftHeld)
{
    if (FProject == nullptr)
        return;
    View.PointerMove(X, Y);
    if (!LeftHeld) {
        const bool level = HeadRoomBox->isVisible();
        HideCellEditors(false);
        if (level)
            DrawSlotView();
    }
    switch (View.Cursor(*FProject, FCurDevice)) {
    case CursorKind::Hand: SlotImage->setCursor(Qt::PointingHandCursor); break;
    case CursorKind::IBeam: SlotImage->setCursor(Qt::IBeamCursor); break;
    case CursorKind::Forbidden: SlotImage->setCursor(Qt::ForbiddenCursor); break;
    case CursorKind::Default: SlotImage->unsetCursor(); break;
    }
}

void TSlotPanel::HideCellEditors(bool LabelToo)
{
    for (QComboBox* box : {SlotTypeSelector, DSPTypeSelector, StereoBox, HeadRoomBox, DitherBox, SRCBox, DigiModeBox,
                           ChModeBox, PullUpBox, MADIChannels, FloatBox, DelayAnzBox})
        box->hide();
    if (LabelToo)
        LabelEdit->hide();
}

void TSlotPanel::SlotImageMouseDown()
{
    if (!FEditor)
        return;
    FOpenedOn = PointerCell(View);
    OpenCellEditor(FEditor->Click(View, SlotScrollBox->horizontalScrollBar()->value(),
                                  SlotScrollBox->verticalScrollBar()->value()));
}

void TSlotPanel::OpenCellEditor(const CellEdit& Edit)
{
    if (Edit.Editor == CellEditor::None || Edit.Editor == CellEditor::LogicSourceWindow) {
        HideCellEditors(Edit.Editor == CellEditor::None);
        return;
    }
    const QRect place(Edit.Rect.Left, Edit.Rect.Top, Edit.Rect.Width, Edit.Rect.Height);
    if (Edit.Editor == CellEditor::LabelEdit) {
        LabelEdit->setGeometry(place);
        LabelEdit->setText(platform::fromCp1252(Edit.Text));
        LabelEdit->show();
        LabelEdit->setFocus(Qt::OtherFocusReason);
        LabelEdit->selectAll();
        return;
    }
    QComboBox* box = BoxOf(Edit.Editor);
    if (box == nullptr)
        return;
    if (Edit.Item || Edit.Editor == CellEditor::HeadRoomBox || box->count() == 0) {
        box->clear();
        for (const std::string& item : Edit.Items)
            box->addItem(platform::fromCp1252(item));
    }
    if (Edit.Item)
        box->setCurrentIndex(*Edit.Item);
    // The level list drops down over the rows below; the others are one row high.
    box->setGeometry(QRect(place.topLeft(), QSize(place.width(), std::min(place.height(), 20))));
    box->show();
    box->setFocus(Qt::OtherFocusReason);
    box->showPopup();
}

void TSlotPanel::SlotTypeSelectorChange(int Item)
{
    if (!FEditor || FProject == nullptr)
        return;
    const FrameCardContext context{*FProject, FCurDevice, ServiceLevel ? ServiceLevel() : 0, FitOptions ? FitOptions() : 0,
                                   platform::prompter()};
    if (!frameio::SlotTypeSelectorChange(context, View.FPointerSlot, Item))
        return; // a refused card leaves the selector open
    SlotTypeSelector->hide();
    DrawSlotView();
    // The card's channels and GPIs come or go in both source windows.
    if (Sources != nullptr) {
        Sources->SetAudioDeviceIndex(FCurDevice);
        Sources->BuildAudioSourceTree();
        Sources->BuildLogicSourceTree();
    }
    if (UpdateResourceGauges)
        UpdateResourceGauges();
}

void TSlotPanel::SettingChange(CellEditor Editor, int Item)
{
    QComboBox* box = BoxOf(Editor);
    if (box != nullptr)
        box->hide();
    if (!FEditor || FProject == nullptr)
        return;
    ChannelSettings settings(*FProject, FCurDevice, *FEditor);
    bool changed = false;
    switch (Editor) {
    case CellEditor::StereoBox: changed = settings.StereoBoxChange(FOpenedOn, Item); break;
    case CellEditor::HeadRoomBox: changed = settings.HeadRoomBoxChange(FOpenedOn, Item); break;
    case CellEditor::DitherBox: changed = settings.DitherBoxChange(FOpenedOn, Item); break;
    case CellEditor::SRCBox: changed = settings.SRCBoxChange(FOpenedOn, Item); break;
    case CellEditor::DigiModeBox: changed = settings.DigiModeBoxChange(FOpenedOn, Item); break;
    case CellEditor::ChModeBox: changed = settings.ChModeBoxChange(FOpenedOn, Item); break;
    case CellEditor::PullUpBox: changed = settings.PullUpBoxChange(FOpenedOn, Item); break;
    case CellEditor::MADIChannels: changed = settings.MADIChannelsChange(FOpenedOn, Item); break;
    case CellEditor::FloatBox: changed = settings.FloatBoxChange(FOpenedOn, Item); break;
    case CellEditor::DelayAnzBox: changed = settings.DelayAnzBoxChange(FOpenedOn, Item); break;
    default: break;
    }
    if (SlotScrollBox->focusPolicy() != Qt::NoFocus)
        SlotScrollBox->setFocus(Qt::OtherFocusReason);
    if (!changed)
        return;
    DrawSlotView();
    // Channels came or went: the source windows list them anew.
    if ((Editor == CellEditor::StereoBox || Editor == CellEditor::MADIChannels) && Sources != nullptr) {
        Sources->SetAudioDeviceIndex(FCurDevice);
        Sources->BuildAudioSourceTree();
        Sources->BuildLogicSourceTree();
    }
}

void TSlotPanel::DSPTypeSelectorChange(int Item)
{
    if (!FEditor || FProject == nullptr)
        return;
    DSPTypeSelector->hide();
    const FrameCardContext context{*FProject, FCurDevice, ServiceLevel ? ServiceLevel() : 0, FitOptions ? FitOptions() : 0,
                                   platform::prompter()};
    if (!frameio::DSPTypeSelectorChange(context, View.FPointerSlot, Item, FCurSlot))
        return;
    if (BuildProjectTree)
        BuildProjectTree();
    if (UpdateResourceGauges)
        UpdateResourceGauges();
    DrawSlotView();
}

void TSlotPanel::LabelEditExit()
{
    if (!FEditor || !LabelEdit->isVisible())
        return;
    LabelEdit->hide();
    if (FEditor->LabelEditExit(View, platform::toCp1252(LabelEdit->text())))
        DrawSlotView();
    SlotScrollBox->setFocus(Qt::OtherFocusReason);
}

void TSlotPanel::LabelEditKey(int Key)
{
    if (!FEditor)
        return;
    const int h = SlotScrollBox->horizontalScrollBar()->value();
    const int v = SlotScrollBox->verticalScrollBar()->value();
    if (Key == Qt::Key_Return || Key == Qt::Key_Enter) {
        const std::string text = platform::toCp1252(LabelEdit->text());
        LabelEdit->hide();
        const CellEdit next = FEditor->LabelEditEnter(View, text, h, v);
        DrawSlotView();
        if (next.Editor == CellEditor::LabelEdit)
            OpenCellEditor(next);
        else
            SlotScrollBox->setFocus(Qt::OtherFocusReason);
    } else if (Key == Qt::Key_Escape) {
        LabelEdit->hide();
        if (FEditor->LabelEditEscape(View))
            DrawSlotView();
        SlotScrollBox->setFocus(Qt::OtherFocusReason);
    }
}

bool TSlotPanel::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == LabelEdit) {
        if (Event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(Event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
                LabelEditKey(key);
                return true;
            }
        } else if (Event->type() == QEvent::FocusOut) {
            LabelEditExit();
        }
    } else if (Watched == SlotScrollBox->viewport() && Event->type() == QEvent::MouseMove) {
        // The pointer left the table: the open boxes close, the label is stored.
        for (QWidget* w : {static_cast<QWidget*>(HeadRoomBox), static_cast<QWidget*>(SlotTypeSelector),
                           static_cast<QWidget*>(StereoBox)})
            w->hide();
        LabelEditExit();
    } else if (Event->type() == QEvent::FocusOut) {
        // OnExit of a box; the drop-down list taking the focus is no exit.
        auto* box = qobject_cast<QComboBox*>(Watched);
        if (box != nullptr && static_cast<QFocusEvent*>(Event)->reason() != Qt::PopupFocusReason && !box->view()->isVisible())
            box->hide();
    }
    return QWidget::eventFilter(Watched, Event);
}

} // namespace kvr::app::frameio

// The widgets' meta-objects are compiled here.
#include "moc_slotpanel.cpp"
