#pragma once
// Colours as the system stores them: 0x00BBGGRR. Values with the top byte 0xFF name a system
// colour by its index; resolveColor turns them into the classic default.

#include <QColor>

#include <cstdint>

namespace kvr::gfx {

using Color = std::uint32_t;

constexpr Color rgb(int r, int g, int b)
{
    return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int red(Color c) { return static_cast<int>(c & 0xFF); }
constexpr int green(Color c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int blue(Color c) { return static_cast<int>((c >> 16) & 0xFF); }

constexpr Color clBlack = 0x000000;
constexpr Color clMaroon = 0x000080;
constexpr Color clGreen = 0x008000;
constexpr Color clOlive = 0x008080;
constexpr Color clNavy = 0x800000;
constexpr Color clPurple = 0x800080;
constexpr Color clTeal = 0x808000;
constexpr Color clGray = 0x808080;
constexpr Color clSilver = 0xC0C0C0;
constexpr Color clRed = 0x0000FF;
constexpr Color clLime = 0x00FF00;
constexpr Color clYellow = 0x00FFFF;
constexpr Color clBlue = 0xFF0000;
constexpr Color clFuchsia = 0xFF00FF;
constexpr Color clAqua = 0xFFFF00;
constexpr Color clWhite = 0xFFFFFF;

// System colours: 0xFF000000 | the Windows colour index.
constexpr Color clSystemColor = 0xFF000000;
constexpr Color clScrollBar = clSystemColor | 0;
constexpr Color clBackground = clSystemColor | 1;
constexpr Color clActiveCaption = clSystemColor | 2;
constexpr Color clInactiveCaption = clSystemColor | 3;
constexpr Color clMenu = clSystemColor | 4;
constexpr Color clWindow = clSystemColor | 5;
constexpr Color clWindowFrame = clSystemColor | 6;
constexpr Color clMenuText = clSystemColor | 7;
constexpr Color clWindowText = clSystemColor | 8;
constexpr Color clCaptionText = clSystemColor | 9;
constexpr Color clActiveBorder = clSystemColor | 10;
constexpr Color clInactiveBorder = clSystemColor | 11;
constexpr Color clAppWorkSpace = clSystemColor | 12;
constexpr Color clHighlight = clSystemColor | 13;
constexpr Color clHighlightText = clSystemColor | 14;
constexpr Color clBtnFace = clSystemColor | 15;
constexpr Color clBtnShadow = clSystemColor | 16;
constexpr Color clGrayText = clSystemColor | 17;
constexpr Color clBtnText = clSystemColor | 18;
constexpr Color clInactiveCaptionText = clSystemColor | 19;
constexpr Color clBtnHighlight = clSystemColor | 20;
constexpr Color cl3DDkShadow = clSystemColor | 21;
constexpr Color cl3DLight = clSystemColor | 22;
constexpr Color clInfoText = clSystemColor | 23;
constexpr Color clInfoBk = clSystemColor | 24;
constexpr Color clHotLight = clSystemColor | 26;

// A plain colour stays as it is; a system colour becomes its classic default (black for an
// index the table does not know).
Color resolveColor(Color c);

QColor toQColor(Color c);
Color fromQColor(const QColor& c);

} // namespace kvr::gfx
