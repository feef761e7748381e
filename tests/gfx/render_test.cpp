// The Windows drawing rules as QPainterCanvas renders them on a small image.
#include "gfx/qpaintercanvas.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>

#include <functional>
#include <string>
#include <vector>

using namespace kvr::gfx;

namespace {

QImage blank(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

QImage render(int w, int h, const std::function<void(Canvas&)>& draw)
{
    QImage image = blank(w, h);
    {
        QPainterCanvas canvas(image);
        draw(canvas);
    }
    return image;
}

// One character per pixel: '#' black, '.' white, 'o' anything else.
std::vector<std::string> mask(const QImage& image)
{
    std::vector<std::string> rows;
    for (int y = 0; y < image.height(); ++y) {
        std::string row;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y) & 0xFFFFFF;
            row += p == 0 ? '#' : p == 0xFFFFFF ? '.' : 'o';
        }
        rows.push_back(row);
    }
    return rows;
}

QRect inkBounds(const QImage& image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

struct MaskCase {
    const char* name;
    std::function<void(Canvas&)> draw;
    std::vector<std::string> expected;
};

class PixelRules : public ::testing::TestWithParam<MaskCase> {};

TEST_P(PixelRules, CoverExactlyTheWindowsPixels)
{
    const MaskCase& c = GetParam();
    const int h = static_cast<int>(c.expected.size());
    const int w = static_cast<int>(c.expected.front().size());
    EXPECT_EQ(mask(render(w, h, c.draw)), c.expected);
}

Brush brushOf(Color c)
{
    return {c, BrushStyle::Solid};
}

INSTANTIATE_TEST_SUITE_P(Canvas, PixelRules,
    ::testing::Values(
        MaskCase{"outlinedRectangleLeavesRightAndBottom",
            [](Canvas& c) {
                c.brush() = brushOf(clRed);
                c.Rectangle(2, 2, 6, 6);
            },
            {"........",
             "........",
             "..####..",
             "..#oo#..",
             "..#oo#..",
             "..####..",
             "........"}},
        MaskCase{"rectangleCornersInEitherOrder",
            [](Canvas& c) {
                c.brush() = brushOf(clRed);
                c.Rectangle(6, 6, 2, 2);
            },
            {"........",
             "........",
             "..####..",
             "..#oo#..",
             "..#oo#..",
             "..####..",
             "........"}},
        MaskCase{"lineLeavesItsEndPixel",
            [](Canvas& c) {
                c.MoveTo(0, 0);
                c.LineTo(4, 0);
                c.MoveTo(5, 1);
                c.LineTo(5, 4);
                c.LineTo(5, 4); // no length: nothing
            },
            {"####...",
             ".....#.",
             ".....#.",
             ".....#.",
             "......."}},
        MaskCase{"diagonalLineLeavesItsEndPixel",
            [](Canvas& c) {
                c.MoveTo(0, 0);
                c.LineTo(4, 4);
            },
            {"#.....",
             ".#....",
             "..#...",
             "...#..",
             "......"}},
        MaskCase{"fillRectCoversLeftToRightMinusOne",
            [](Canvas& c) {
                c.brush() = brushOf(clBlack);
                c.FillRect({1, 1, 4, 3});
            },
            {"......",
             ".###..",
             ".###..",
             "......"}},
        MaskCase{"clearPenRectangleFillsOneLess",
            [](Canvas& c) {
                c.pen().style = PenStyle::Clear;
                c.brush() = brushOf(clBlack);
                c.Rectangle(1, 1, 5, 4);
            },
            {"......",
             ".###..",
             ".###..",
             "......",
             "......"}},
        MaskCase{"clearBrushLeavesTheInside",
            [](Canvas& c) {
                c.brush().style = BrushStyle::Clear;
                c.Rectangle(0, 0, 4, 4);
            },
            {"####.",
             "#..#.",
             "#..#.",
             "####.",
             "....."}},
        MaskCase{"polylineLeavesOnlyTheLastPoint",
            [](Canvas& c) { c.Polyline({{0, 0}, {3, 0}, {3, 3}}); },
            {"####.",
             "...#.",
             "...#.",
             "....."}},
        MaskCase{"emptyRectangleDrawsNothing",
            [](Canvas& c) {
                c.Rectangle(3, 3, 3, 6);
                c.FillRect({4, 4, 2, 2});
            },
            {"......",
             "......",
             "......",
             "......",
             "......",
             "......"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CanvasPens, DashAndDotFollowTheWindowsPatterns)
{
    const auto row = [](PenStyle style) {
        const QImage image = render(40, 1, [style](Canvas& c) {
            c.pen().style = style;
            c.MoveTo(0, 0);
            c.LineTo(35, 0);
        });
        return mask(image).front();
    };
    EXPECT_EQ(row(PenStyle::Dash), std::string(18, '#') + std::string(6, '.') + std::string(11, '#') + ".....");
    EXPECT_EQ(row(PenStyle::Dot).substr(0, 12), "###...###...");
    EXPECT_EQ(row(PenStyle::Clear), std::string(40, '.'));
}

TEST(CanvasPens, OpaqueBackgroundFillsDashGapsWithTheBrush)
{
    const auto gap = [](BackgroundMode mode, BrushStyle style) {
        const QImage image = render(30, 1, [&](Canvas& c) {
            c.pen().style = PenStyle::Dash;
            c.brush() = {clRed, style};
            c.setBackgroundMode(mode);
            c.MoveTo(0, 0);
            c.LineTo(30, 0);
        });
        return image.pixelColor(20, 0);
    };
    EXPECT_EQ(gap(BackgroundMode::Opaque, BrushStyle::Solid), QColor(Qt::red));
    EXPECT_EQ(gap(BackgroundMode::Transparent, BrushStyle::Solid), QColor(Qt::white));
    EXPECT_EQ(gap(BackgroundMode::Opaque, BrushStyle::Clear), QColor(Qt::white));
}

TEST(CanvasPens, NotXorDrawnTwiceRestoresThePicture)
{
    const QImage image = render(12, 12, [](Canvas& c) {
        c.brush() = brushOf(clSilver);
        c.FillRect({0, 0, 6, 12});
        c.pen().mode = PenMode::NotXor;
        c.pen().color = clBlack;
        c.brush().style = BrushStyle::Clear;
        c.Rectangle(2, 2, 10, 10);
        c.Rectangle(2, 2, 10, 10);
    });
    const QImage expected = render(12, 12, [](Canvas& c) {
        c.brush() = brushOf(clSilver);
        c.FillRect({0, 0, 6, 12});
    });
    EXPECT_EQ(image, expected);
    // A plain fill copies its brush whatever the pen's mode.
    const QImage filled = render(3, 1, [](Canvas& c) {
        c.brush() = brushOf(clSilver);
        c.FillRect({0, 0, 3, 1});
        c.pen().mode = PenMode::NotXor;
        c.brush() = brushOf(clRed);
        c.FillRect({0, 0, 2, 1});
    });
    EXPECT_EQ(filled.pixelColor(1, 0), QColor(Qt::red));
    // Once: a black not-xor pen inverts white to black.
    const QImage once = render(6, 1, [](Canvas& c) {
        c.pen().mode = PenMode::NotXor;
        c.MoveTo(0, 0);
        c.LineTo(4, 0);
    });
    EXPECT_EQ(mask(once).front(), "####..");
}

TEST(CanvasFocusRect, InvertsEveryOtherFramePixelAndUndoesItself)
{
    const QImage once = render(6, 4, [](Canvas& c) { c.DrawFocusRect({0, 0, 5, 4}); });
    EXPECT_EQ(mask(once), (std::vector<std::string>{"#.#.#.", "......", "#...#.", ".#.#.."}));
    const QImage twice = render(6, 4, [](Canvas& c) {
        c.DrawFocusRect({0, 0, 5, 4});
        c.DrawFocusRect({0, 0, 5, 4});
    });
    EXPECT_EQ(twice, blank(6, 4));
}

TEST(CanvasArcs, ArcRunsCounterClockwiseBetweenTheRadials)
{
    // From the right radial to the top one: only the upper-right quarter.
    const QImage quarter = render(21, 21, [](Canvas& c) { c.Arc(0, 0, 21, 21, 20, 10, 10, 0); });
    const QRect ink = inkBounds(quarter);
    ASSERT_FALSE(ink.isNull());
    EXPECT_GE(ink.left(), 9);
    EXPECT_LE(ink.bottom(), 11);
    EXPECT_GE(ink.right(), 19);
    EXPECT_LE(ink.top(), 1);
    // Swapping the radials draws the other three quarters.
    const QImage rest = render(21, 21, [](Canvas& c) { c.Arc(0, 0, 21, 21, 10, 0, 20, 10); });
    EXPECT_EQ(quarter.pixelColor(17, 3), QColor(Qt::black));
    EXPECT_EQ(rest.pixelColor(17, 3), QColor(Qt::white));
    EXPECT_EQ(rest.pixelColor(3, 17), QColor(Qt::black));

    const QImage pie = render(21, 21, [](Canvas& c) {
        c.brush() = brushOf(clRed);
        c.Pie(0, 0, 21, 21, 20, 10, 10, 0);
    });
    EXPECT_EQ(pie.pixelColor(14, 6), QColor(Qt::red));
    EXPECT_EQ(pie.pixelColor(6, 14), QColor(Qt::white));
}

TEST(CanvasText, InkStartsAtOrAfterTheTopLeftPoint)
{
    const QImage image = render(60, 40, [](Canvas& c) {
        c.brush().style = BrushStyle::Clear;
        c.TextOut(10, 8, "XgH");
    });
    const QRect ink = inkBounds(image);
    ASSERT_FALSE(ink.isNull());
    EXPECT_GE(ink.left(), 10);
    EXPECT_GE(ink.top(), 8);
}

TEST(CanvasText, OpaqueTextFillsItsCellAndMovesThePen)
{
    QImage image = blank(80, 30);
    QPainterCanvas canvas(image);
    canvas.brush() = brushOf(clYellow);
    canvas.TextOut(5, 4, "Abc");
    const int w = canvas.TextWidth("Abc");
    const int h = canvas.TextHeight("Abc");
    EXPECT_EQ(canvas.penPos(), (Point{5 + w, 4}));
    canvas.painter().end();
    EXPECT_EQ(image.pixelColor(5, 4), QColor(Qt::yellow));
    EXPECT_EQ(image.pixelColor(5 + w - 1, 4 + h - 1), QColor(Qt::yellow));
    EXPECT_EQ(image.pixelColor(5 + w, 4), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(5, 4 + h), QColor(Qt::white));
}

TEST(CanvasText, TextRectClipsAndFills)
{
    const QImage image = render(60, 30, [](Canvas& c) {
        c.brush() = brushOf(clYellow);
        c.TextRect({10, 5, 20, 15}, 8, 3, "WWWW");
    });
    const QRect ink = inkBounds(image);
    EXPECT_EQ(ink, QRect(10, 5, 10, 10));
    EXPECT_EQ(image.pixelColor(10, 5), QColor(Qt::yellow));
}

TEST(CanvasText, EscapementNineHundredRunsUpwardsFromThePoint)
{
    const QImage image = render(40, 80, [](Canvas& c) {
        c.brush().style = BrushStyle::Clear;
        c.font().escapement = 900;
        c.TextOut(10, 70, "HHHHH");
    });
    const QRect ink = inkBounds(image);
    ASSERT_FALSE(ink.isNull());
    EXPECT_GT(ink.height(), ink.width());
    EXPECT_LE(ink.bottom(), 70);
    EXPECT_GE(ink.left(), 10);
    EXPECT_LT(ink.top(), 50);
}

TEST(CanvasText, HeightsFollowTheWindowsSignRules)
{
    QImage image = blank(10, 10);
    QPainterCanvas canvas(image);
    canvas.font().name = "Arial";
    canvas.font().height = 20; // cell height
    EXPECT_NEAR(canvas.TextHeight("X"), 20, 1);
    canvas.font().height = -20; // em
    EXPECT_EQ(canvas.qtFont().pixelSize(), 20);
    EXPECT_GT(canvas.TextHeight("X"), 20);
    canvas.setFontSize(8); // at the image's 96 dpi
    EXPECT_EQ(canvas.font().height, -11);
    EXPECT_EQ(canvas.fontSize(), 8);
}

TEST(CanvasPictures, DrawAndStretchDrawPlaceThePicture)
{
    QImage red(2, 2, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QImage image = render(10, 10, [&](Canvas& c) {
        c.Draw(1, 1, red);
        c.StretchDraw({4, 4, 10, 8}, red);
        c.SetPixel(0, 9, clBlue);
    });
    EXPECT_EQ(inkBounds(image), QRect(0, 1, 10, 9));
    EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(3, 3), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(9, 7), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(9, 8), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(0, 9), QColor(Qt::blue));
}

} // namespace
