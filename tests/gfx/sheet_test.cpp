// A sheet of every primitive and font role, saved to look at.
#include "gfx/drawscrew.h"
#include "gfx/fontroles.h"
#include "gfx/qpaintercanvas.h"

#include <gtest/gtest.h>

#include <QDir>

using namespace kvr::gfx;

TEST(CanvasSheet, EveryPrimitiveAndFontRoleDraws)
{
    QImage image(320, 240, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainterCanvas c(image);
        c.brush() = {clAqua, BrushStyle::Solid};
        c.Rectangle(4, 4, 40, 30);
        c.Ellipse(44, 4, 80, 30);
        c.RoundRect(84, 4, 120, 30, 10, 10);
        c.brush() = {clYellow, BrushStyle::Solid};
        c.Pie(124, 4, 160, 40, 160, 22, 142, 4);
        c.Arc(164, 4, 200, 40, 200, 22, 182, 40);
        c.Polygon({{204, 30}, {222, 4}, {240, 30}});
        c.pen().style = PenStyle::Dash;
        c.MoveTo(4, 46);
        c.LineTo(240, 46);
        c.pen().style = PenStyle::Dot;
        c.MoveTo(4, 52);
        c.LineTo(240, 52);
        c.pen().style = PenStyle::Solid;
        c.brush().style = BrushStyle::Clear;
        int y = 60;
        for (const FontRole& role : fontRoles()) {
            c.font().name = std::string(role.requested);
            c.setFontSize(10);
            c.TextOut(4, y, std::string(role.requested) + " Abc 123 \xA5");
            y += c.TextHeight("X") + 2;
        }
        c.font().name = "Arial";
        c.font().escapement = 900;
        c.TextOut(280, 200, "Rear view");
        c.font().escapement = 0;
        c.brush() = {clSilver, BrushStyle::Solid};
        DrawScrew(260, 30, 0.8f, c, false);
        c.DrawFocusRect({250, 60, 310, 100});
    }
    QDir().mkpath(QStringLiteral(KVR_PICTURE_DIR));
    EXPECT_TRUE(image.scaled(640, 480).save(QStringLiteral(KVR_PICTURE_DIR "/sheet.png")));
    EXPECT_EQ(image.pixelColor(20, 15), QColor(Qt::cyan));
}
