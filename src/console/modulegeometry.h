#pragma once
// Module faces in tenths of a millimetre from the face's top-left corner: face sizes, the
// rectangles of every key, display and lamp window, and the sizing of the module panel's picture.

#include <cstdint>
#include <span>

namespace kvr::console {

struct ElementRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;

    constexpr std::int32_t Width() const { return Right - Left; }
    constexpr std::int32_t Height() const { return Bottom - Top; }
    friend constexpr bool operator==(const ElementRect&, const ElementRect&) = default;
};

struct FaceExtent {
    int Width = 0;
    int Height = 0;
    friend constexpr bool operator==(const FaceExtent&, const FaceExtent&) = default;
};

// 2250 x 1600 for the Studio Panel, 1600 x 1280 for the short faces, 1600 x 3900 for every other
// type, unknown ones included.
FaceExtent FaceSize(int type);

// The element table of a type (types 20 and 21 share one); empty for a type without a table.
// The tables are built once, on first use, and never written afterwards.
std::span<const ElementRect> ModuleElementRects(int type);

// The module panel's picture ("ModuleImg" in its group box) as a widget places it.
struct ModuleImageBox {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool Visible = false;
    friend constexpr bool operator==(const ModuleImageBox&, const ModuleImageBox&) = default;
};

struct ModuleImageSizing {
    ModuleImageBox Box;
    float Scale = 0; // pixels per tenth of a millimetre, 0 for a type without a face
};

// Sizes, places and shows or hides the picture for a type in a group box of the given client
// size. A type without a face keeps the picture's size, hidden, with scale 0.
ModuleImageSizing SizeModuleImage(int type, int clientWidth, int clientHeight, const ModuleImageBox& current);

// The scale of the picture at its present width, with the picture centred horizontally again.
ModuleImageSizing GetModuleImageScale(int type, int clientWidth, const ModuleImageBox& current);

} // namespace kvr::console
