#include "reports/keylabels.h"

#include <array>

#include "console/modulegeometry.h"
#include "console/moduletypes.h"
#include "gfx/canvas.h"
#include "model/device.h"
#include "model/keyaccess.h"
#include "model/keyfunctions.h"
#include "model/keyrecordview.h"
#include "model/project.h"
#include "reports/consolelayout.h"
#include "reports/pageframe.h"
#include "reports/printhost.h"

namespace kvr::reports {

namespace {

struct LabelClass {
    int KeyWidth;
    int Width;
    int Height;
};
constexpr std::array<LabelClass, 3> LabelClasses{{{130, 101, 101}, {200, 161, 161}, {300, 192, 131}}};

constexpr int kFirstSlot = 100;
constexpr int kLastSlot = 219;

} // namespace

std::optional<int> KeyLabelClass(int KeyWidth)
{
    for (std::size_t i = 0; i < LabelClasses.size(); ++i)
        if (LabelClasses[i].KeyWidth == KeyWidth)
            return static_cast<int>(i);
    return std::nullopt;
}

int KeyLabelFontHeight(int Type, int Position)
{
    switch (Type) {
    case 12: return Position <= 23 ? 35 : 30;
    case 13: case 23: case 25: case 26: case 28: return 30;
    case 20: case 21: return 50;
    case 29: return Position % 11 == 10 ? 50 : 30;
    default: return 35;
    }
}

std::vector<KeyLabelBox> LayoutKeyLabels(const std::vector<KeyLabel>& Labels, int PageWidth, int PageHeight, float Unit)
{
    const double u = Unit;
    std::vector<KeyLabelBox> boxes;
    int page = 0;
    // The first row starts below the header line; its pixel offset serves as units.
    int y = Trunc(30 * u);
    int py = 0;
    for (std::size_t pass = 0; pass < LabelClasses.size(); ++pass) {
        const LabelClass& k = LabelClasses[pass];
        int x = 0;
        int px = 0;
        for (const KeyLabel& label : Labels) {
            if (label.KeyWidth != k.KeyWidth)
                continue;
            boxes.push_back({page, x, y, k.Width, k.Height, &label});
            x += k.Width;
            px = Trunc(px + k.Width * u);
            if (px + k.Width * u > PageWidth) {
                x = 0;
                px = 0;
                y += k.Height;
                py = Trunc(py + k.Height * u);
                if (py + k.Height * u > PageHeight - 350 * u) {
                    ++page;
                    y = 0;
                    py = 0;
                }
            }
        }
        y += k.Height;
    }
    return boxes;
}

std::vector<KeyLabel> CollectKeyLabels(model::TDevice& Device, PrintHost& Host, const PageFrame& Frame)
{
    std::vector<KeyLabel> labels;
    const bool debug = Host.PrinterDebug();
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
        std::vector<std::uint8_t> entry;
        Device.GetSetupData(static_cast<std::uint8_t>(slot), entry);
        Frame.ProcessMessages();
        if (entry.empty())
            continue;
        const int type = model::ModuleType(entry);
        if (debug) {
            Host.Log("Slot# " + std::to_string(slot) + ": " + std::string(console::ModelNumber(type)), 0);
            Host.Log("Keys: " + std::to_string(model::ModuleEntryView(entry).RecordCountByte()), 2);
        }
        const auto rects = console::ModuleElementRects(type);
        for (int key = 0; key < console::KeyCount(type); ++key) {
            model::TKeyRecord record{};
            model::GetKeyFunction(Device, key, record, slot);
            Frame.ProcessMessages();
            model::KeyRecordView view(record);
            const std::string text = view.Text();
            if (text.empty())
                continue;
            // The position byte picks the key's rectangle; one outside the table has no label.
            const std::size_t position = view.Key();
            if (position >= rects.size())
                continue;
            labels.push_back({text, rects[position].Width(),
                              KeyLabelFontHeight(type, static_cast<int>(position))});
        }
    }
    return labels;
}

void PrintKeyLabels(PageFrame& Frame)
{
    model::TDevice* device = Frame.Device();
    if (device == nullptr || !HasConsoleModules(*device))
        return;
    platform::Printer& printer = Frame.Printer;
    gfx::Canvas& c = printer.Canvas();
    c.font().name = "Arial";
    Frame.PrepareSection(printer.Orientation(), "Key_Labels", Frame.FDevice);
    printer.BeginDoc();
    const double u = Frame.FUnit;
    // The faces of the module layouts leave their own font behind.
    c.font().escapement = 0;
    c.font().bold = false;
    c.font().color = gfx::clBlack;
    c.font().height = Trunc(35 * u);
    model::TProject* project = Frame.Project();
    c.TextOut(0, 0, (project != nullptr ? project->GetName() : std::string()) + " / " + device->GetName());

    const std::vector<KeyLabel> labels = CollectKeyLabels(*device, Frame.Host, Frame);
    int page = 0;
    for (const KeyLabelBox& box : LayoutKeyLabels(labels, printer.PageWidth(), printer.PageHeight(), Frame.FUnit)) {
        while (page < box.Page) {
            printer.NewPage();
            ++page;
        }
        const double x = box.X * u;
        const double y = box.Y * u;
        c.font().height = Trunc(box.Label->FontHeight * u);
        c.Rectangle(Trunc(x), Trunc(y), Trunc((box.X + box.Width) * u), Trunc((box.Y + box.Height) * u));
        std::vector<std::string> lines{""};
        for (char ch : box.Label->Text) {
            if (ch == '\\')
                lines.emplace_back();
            else
                lines.back() += ch;
        }
        const int n = static_cast<int>(lines.size());
        const int th = c.TextHeight(box.Label->Text);
        const int t0 = Trunc((box.Height / 2) * u - ((n - 1) * th) / 2 - th / 2);
        for (int m = 0; m < n; ++m) {
            const std::string& line = lines[static_cast<std::size_t>(m)];
            const gfx::Rect clip{Trunc(x + 2), Trunc(t0 + y + m * th + 1), Trunc((box.X + box.Width) * u - 2),
                                 Trunc(t0 + y + (m + 1) * th - 1)};
            const int tw = c.TextWidth(line) / 2;
            c.TextRect(clip, Trunc(Trunc(box.Width * u * 0.5) + x - tw), Trunc(t0 + y + m * th), line);
        }
    }
    printer.EndDoc();
}

} // namespace kvr::reports
