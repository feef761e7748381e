#include "gfx/color.h"

#include <array>

namespace kvr::gfx {

namespace {

// The classic Windows scheme, by colour index.
constexpr std::array<Color, 27> systemColors = {
    rgb(192, 192, 192), // scroll bar
    rgb(0, 128, 128),   // desktop
    rgb(0, 0, 128),     // active caption
    rgb(128, 128, 128), // inactive caption
    rgb(192, 192, 192), // menu
    rgb(255, 255, 255), // window
    rgb(0, 0, 0),       // window frame
    rgb(0, 0, 0),       // menu text
    rgb(0, 0, 0),       // window text
    rgb(255, 255, 255), // caption text
    rgb(192, 192, 192), // active border
    rgb(192, 192, 192), // inactive border
    rgb(128, 128, 128), // application workspace
    rgb(0, 0, 128),     // highlight
    rgb(255, 255, 255), // highlight text
    rgb(192, 192, 192), // button face
    rgb(128, 128, 128), // button shadow
    rgb(128, 128, 128), // grey text
    rgb(0, 0, 0),       // button text
    rgb(192, 192, 192), // inactive caption text
    rgb(255, 255, 255), // button highlight
    rgb(0, 0, 0),       // 3D dark shadow
    rgb(223, 223, 223), // 3D light
    rgb(0, 0, 0),       // tooltip text
    rgb(255, 255, 225), // tooltip background
    rgb(0, 0, 0),       // index 25 names no colour
    rgb(0, 0, 128),     // hot-tracked item
};

} // namespace

Color resolveColor(Color c)
{
    if ((c & 0xFF000000) == 0)
        return c;
    const Color index = c & 0x00FFFFFF;
    if ((c & 0xFF000000) == clSystemColor && index < systemColors.size())
        return systemColors[index];
    return clBlack;
}

QColor toQColor(Color c)
{
    const Color v = resolveColor(c);
    return QColor(red(v), green(v), blue(v));
}

Color fromQColor(const QColor& c)
{
    return rgb(c.red(), c.green(), c.blue());
}

} // namespace kvr::gfx
