#pragma once
// One lamp of the global logic monitor: a small filled rectangle with a border, its colours
// taken from the monitor's lamp state.

#include <QWidget>

#include <functional>

#include "app/projectpages/glmonitor.h"

namespace kvr::app {

class TGLLamp : public QWidget {
    Q_OBJECT
public:
    static constexpr int LampWidth = 10;
    static constexpr int LampHeight = 14;

    TGLLamp(int Index, QWidget* Parent);
    int Index() const { return FIndex; }
    void SetState(const GLLamp& Lamp);
    GLLampColor Color() const { return FColor; }
    bool YellowBorder() const { return FYellowBorder; }

    static QColor BrushColor(GLLampColor Color);

    // A mouse press on the lamp.
    std::function<void(int Index, GLMouseButton Button)> OnMouseDown;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;

private:
    int FIndex;
    GLLampColor FColor = GLLampColor::Grey;
    bool FYellowBorder = false;
};

} // namespace kvr::app
