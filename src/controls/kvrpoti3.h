#pragma once
// The rotary knob: an integer shown as the angle of a pointer sweeping three quarters of a turn,
// changed by dragging sideways or by keys. Owners react to OnChange and set Position.

#include "controls/knobmodel.h"
#include "gfx/canvas.h"

#include <QImage>
#include <QWidget>

#include <functional>

namespace kvr::controls {

class TKVRPoti3 : public QWidget {
public:
    explicit TKVRPoti3(QWidget* parent = nullptr);

    int Position() const { return model_.Position(); }
    void SetPosition(int value) { model_.SetPosition(value); }
    int Min() const { return model_.Min(); }
    void SetMin(int value) { model_.SetMin(value); }
    int Max() const { return model_.Max(); }
    void SetMax(int value) { model_.SetMax(value); }
    int Resolution() const { return model_.Resolution(); }
    void SetResolution(int value) { model_.SetResolution(value); }
    int Difference() const { return model_.Difference(); }
    // The knob's own flag: the window stays enabled and every input handler asks the flag.
    bool Enabled() const { return model_.Enabled(); }
    void SetEnabled(bool value);
    TKVRPoti3Style Style() const { return model_.Style(); }
    void SetStyle(TKVRPoti3Style value);
    gfx::Color FGColor() const { return fgColor_; }
    void SetFGColor(gfx::Color value);
    gfx::Color BGColor() const { return bgColor_; }
    void SetBGColor(gfx::Color value);
    QString Caption() const { return caption_; }
    void SetCaption(const QString& value);
    const gfx::Font& KnobFont() const { return font_; }
    void SetKnobFont(const gfx::Font& value);
    // A picture of the parent: the part under the knob becomes its background. Without one the
    // background picture is filled with BGColor.
    void SetBG(const QImage* parentPicture);

    std::function<void(TKVRPoti3* Sender)> OnChange;
    std::function<void(TKVRPoti3* Sender)> OnRClick;

    // What the last paint drew, for tests and screenshots.
    QImage frame() const { return frame_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void RebuildBackground();

    KnobModel model_;
    gfx::Color fgColor_ = gfx::clBlack;
    gfx::Color bgColor_ = gfx::clBtnFace;
    QString caption_;
    gfx::Font font_;
    bool focused_ = false;
    bool hasBGPicture_ = false;
    QImage bgPicture_;
    QImage background_;
    QImage frame_;
};

// A Qt key as the virtual-key code the knob reads (letters and digits keep their code, keys
// the knob does not know read as 0).
int virtualKey(int qtKey);

} // namespace kvr::controls
