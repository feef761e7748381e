#pragma once
// Key labels: a framed box with the label text for every labelled key of a device's control
// modules, sized by the key's width in three classes, laid out in rows across the page, small
// labels first. The layout is worked out first; drawing follows it.

#include <optional>
#include <string>
#include <vector>

namespace kvr::model {
class TDevice;
}

namespace kvr::reports {

class PageFrame;
class PrintHost;

// A labelled key, in the order of the module slots and their keys.
struct KeyLabel {
    std::string Text;   // record bytes 1-30 with their backslashes
    int KeyWidth = 0;   // the key's width on the face, tenths of a millimetre
    int FontHeight = 0; // in page units
};

// The size class of a key width: 0 for 130, 1 for 200, 2 for 300; none for any other width.
std::optional<int> KeyLabelClass(int KeyWidth);

// A box of the layout, in page units from the page's top-left corner.
struct KeyLabelBox {
    int Page = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    const KeyLabel* Label = nullptr;
};

// The boxes of the labels, class by class, in rows across the page; a row that would reach within
// 350 units of the page bottom starts a new page. The wrap and page tests count pixels.
std::vector<KeyLabelBox> LayoutKeyLabels(const std::vector<KeyLabel>& Labels, int PageWidth, int PageHeight, float Unit);

// The labelled keys of the device's module slots; logs each module when Host asks for printer
// debug lines. Keys whose position is outside their type's key table have no label.
std::vector<KeyLabel> CollectKeyLabels(model::TDevice& Device, PrintHost& Host, const PageFrame& Frame);

// The label font height of a key position of a module type, in page units.
int KeyLabelFontHeight(int Type, int Position);

// The key label section of the device Frame.FDevice; no job for a device without modules.
void PrintKeyLabels(PageFrame& Frame);

} // namespace kvr::reports
