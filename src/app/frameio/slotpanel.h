#pragma once
// The DSP frame I/O page: "Show GPIOs" and a scroll box holding the drawn table. The widget
// paints the view model's table into an off-screen image and forwards the pointer to it.

#include <QScrollArea>
#include <QWidget>

#include <QImage>

#include <functional>
#include <memory>
#include <string>

#include "app/frameio/channelsettings.h"
#include "app/frameio/frameeditor.h"
#include "app/frameio/frameview.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kvr::model {
class TProject;
}

namespace kvr::app::frameio {

class TSlotPanel;
struct LinkProgress;

// The table's picture; it reports the pointer to the panel.
class TSlotImage : public QWidget {
    Q_OBJECT
public:
    TSlotImage(TSlotPanel& Panel, QWidget* Parent);
    QImage Picture;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;

private:
    TSlotPanel& Panel;
};

// Scrolls by the table's wheel steps, and only while it is the active control.
class TSlotScrollBox : public QScrollArea {
    Q_OBJECT
public:
    using QScrollArea::QScrollArea;

protected:
    void wheelEvent(QWheelEvent* Event) override;
};

class TSlotPanel : public QWidget {
    Q_OBJECT
public:
    explicit TSlotPanel(QWidget* Parent = nullptr);

    // Hooks of the main window.
    std::function<bool()> RefreshTimeChecked;                  // the options' RefreshTimeBox
    std::function<void(const std::string&, int)> LogMessage;   // the main log
    std::function<void()> UpdateCaption;
    std::function<int()> ServiceLevel;
    std::function<int()> FitOptions;
    std::function<void()> BuildProjectTree;
    std::function<void()> UpdateResourceGauges;
    // The link adaptation (none: the project's own AdaptLink, reporting stereo users to the
    // progress sink when one is set) and the source windows.
    std::function<void(const model::TDeviceLink&, int, int)> AdaptLink;
    LinkProgress* LinkProgressSink = nullptr;
    SourceWindows* Sources = nullptr;

    // Draws the device's frame (CurSlot 255) or one DSP slot's MADI channels and shows the page.
    void ShowSlotPanel(model::TProject* Project, int Device, int CurSlot);
    // Hides the page and shrinks the picture, so a later frame shows no stale rows.
    void HideSlotPanel();
    void DrawSlotView();
    void ShowGPIOsClick();
    // The scroll box's horizontal and vertical position.
    QPoint ScrollPosition() const;
    void SetScrollPosition(QPoint Position);
    void SlotImageMouseMove(int X, int Y, bool LeftHeld);
    void SlotImageMouseDown();
    // Opens what a click decided, or closes every box.
    void OpenCellEditor(const CellEdit& Edit);
    void HideCellEditors(bool LabelToo);

    QCheckBox* ShowGPIOs = nullptr;
    TSlotScrollBox* SlotScrollBox = nullptr;
    TSlotImage* SlotImage = nullptr;
    // In-place editors, children of the scroll box.
    QComboBox* SlotTypeSelector = nullptr;
    QComboBox* DSPTypeSelector = nullptr;
    QComboBox* StereoBox = nullptr;
    QComboBox* HeadRoomBox = nullptr;
    QComboBox* DitherBox = nullptr;
    QComboBox* SRCBox = nullptr;
    QComboBox* DigiModeBox = nullptr;
    QComboBox* ChModeBox = nullptr;
    QComboBox* PullUpBox = nullptr;
    QComboBox* MADIChannels = nullptr;
    QComboBox* FloatBox = nullptr;
    QComboBox* DelayAnzBox = nullptr;
    QLineEdit* LabelEdit = nullptr;
    FrameIOView View;
    FrameEditor* Editor() const { return FEditor.get(); }

protected:
    void hideEvent(QHideEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    QComboBox* NewBox(const char* Name, CellEditor Setting = CellEditor::None);
    QComboBox* BoxOf(CellEditor Editor) const;
    void SlotTypeSelectorChange(int Item);
    // A value chosen in a channel or card option box: written for the cell the box opened on.
    void SettingChange(CellEditor Editor, int Item);
    void DSPTypeSelectorChange(int Item);
    void LabelEditExit();
    void LabelEditKey(int Key);
    std::unique_ptr<FrameEditor> FEditor;
    model::TProject* FProject = nullptr;
    int FCurDevice = -1;
    int FCurSlot = kWholeFrame;
    SettingCell FOpenedOn; // the cell of the open box
};

} // namespace kvr::app::frameio
