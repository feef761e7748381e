#include "reports/consolelayout.h"

#include <algorithm>
#include <array>

#include "console/modulepainter.h"
#include "console/moduleplacement.h"
#include "console/moduletypes.h"
#include "gfx/canvas.h"
#include "model/device.h"
#include "model/keyfunctions.h"
#include "model/smallrecordaccess.h"
#include "platform/currentprompter.h"
#include "reports/pageframe.h"
#include "reports/printhost.h"

namespace kvr::reports {

namespace {

constexpr std::uint8_t kPrintFlags = console::kFaceDetailed | console::kFacePrint;
constexpr int kBlindModule = 1;
constexpr int kBlindOverbridge = 2;
constexpr int kStudioPanelSlot = 12;

int EntryType(const model::TDevice& Device, int Console, int Position)
{
    return model::ModuleType(console::ModuleEntryAt(Device, Console, Position));
}

bool Present(const model::TDevice& Device, int Console, int Position)
{
    return !console::ModuleEntryAt(Device, Console, Position).empty();
}

// The face of a slot of the printed device, the main window standing on that device.
void PaintFace(PageFrame& Frame, model::TDevice& Device, int X, int Y, double K, int SlotID)
{
    Frame.Host.SetCurDevice(Frame.FDevice);
    const console::ModulePaintContext context{Device};
    console::PaintModule(X, Y, Frame.Printer.Canvas(), kPrintFlags, static_cast<float>(K), SlotID, context);
}

// A filled arrowhead; its box may come corner to corner in any order.
void Pie(gfx::Canvas& c, int l, int t, int r, int b, int x3, int y3, int x4, int y4)
{
    c.Pie(std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b), x3, y3, x4, y4);
}

void Line(gfx::Canvas& c, int x1, int y1, int x2, int y2)
{
    c.MoveTo(x1, y1);
    c.LineTo(x2, y2);
}

// Text reading upward in a font of its own, alive only for the text.
void TurnedText(gfx::Canvas& c, int X, int Y, int Height, const std::string& Text)
{
    const gfx::Font previous = c.font();
    gfx::Font turned;
    turned.name = "Arial";
    turned.escapement = 900;
    turned.height = Height;
    c.font() = turned;
    c.TextOut(X, Y, Text);
    c.font() = previous;
    c.setBackgroundMode(gfx::BackgroundMode::Opaque);
}

// The console body under the lower row with its width and depth dimensions.
void DrawConsoleBody(gfx::Canvas& c, int W2, double u, double k, int n)
{
    const double Y0 = 350 * u;
    const double r = 1280;
    const double A = 800.0 * n + 280;
    auto X = [&](double v) { return Trunc(W2 + v * k); };
    auto Y = [&](double v) { return Trunc(Y0 + v * k); };
    c.pen() = gfx::Pen{};
    c.MoveTo(X(-A), Y(r + 3945));
    c.LineTo(X(A), Y(r + 3945));
    c.LineTo(X(A), Y(r - 45));
    c.LineTo(X(-A), Y(r - 45));
    c.LineTo(X(-A), Y(r + 3945));
    Line(c, X(-A), Y(r + 4030), X(-A), Y(r + 3945));
    Line(c, X(A), Y(r + 4030), X(A), Y(r + 3945));
    Line(c, X(-(A + 90)), Y(r - 45), X(-A), Y(r - 45));
    Line(c, X(-(A + 90)), Y(r + 3945), X(-A), Y(r + 3945));
    Line(c, X(-A), Y(r + 4020), X(A), Y(r + 4020));
    Line(c, X(-(A + 80)), Y(r + 3945), X(-(A + 80)), Y(r));

    c.brush().color = gfx::clBlack;
    c.brush().style = gfx::BrushStyle::Solid;
    Pie(c, X(-(A + 50)), Y(r + 3970), X(-(A - 50)), Y(r + 4070), X(-(A - 250)), Y(r + 4070), X(-(A - 250)), Y(r + 3970));
    Pie(c, X(A + 50), Y(r + 3970), X(A - 50), Y(r + 4070), X(A - 250), Y(r + 3970), X(A - 250), Y(r + 4070));
    Pie(c, X(-(A + 130)), Y(r - 95), X(-(A + 30)), Y(r + 5), X(-(A + 130)), Y(r + 205), X(-(A + 30)), Y(r + 205));
    Pie(c, X(-(A + 130)), Y(r + 3895), X(-(A + 30)), Y(r + 3995), X(-(A + 30)), Y(r + 3735), X(-(A + 130)),
          Y(r + 3735));
    c.brush().color = gfx::clWhite;

    c.font().name = "Arial";
    c.font().color = gfx::clBlack;
    c.font().escapement = 0;
    c.font().height = Trunc(25 * u);
    const std::string width = ConsoleWidthText(n);
    c.TextOut(W2 - c.TextWidth(width) / 2, Y(r + 4030), width);
    TurnedText(c, X(-(A + 175)), Trunc(Y0 + r * k + 1950 * k), Trunc(25 * u), "399 mm");
}

} // namespace

float ConsoleLayoutScale(int Occupied)
{
    switch (Occupied) {
    case 7: return 0.23f;
    case 8: return 0.205f;
    case 9: return 0.18f;
    default: return 0.27f;
    }
}

std::string ConsoleWidthText(int Occupied) { return std::to_string(160 * Occupied + 56) + " mm"; }

ConsoleRows FillConsoleGaps(model::TDevice& Device, int Console)
{
    ConsoleRows rows;
    if (Console < 0 || Console >= console::kMaxConsoles)
        return rows;
    int first = -1;
    int last = -1;
    for (int p = 0; p <= 8; ++p) {
        const bool lower = Present(Device, Console, p);
        const bool upper = Present(Device, Console, p + 10);
        rows.Lower += lower && EntryType(Device, Console, p) != kBlindModule;
        rows.Upper += upper && EntryType(Device, Console, p + 10) != kBlindOverbridge;
        if (lower || upper) {
            first = first < 0 ? p : first;
            last = p;
        }
    }
    auto blind = [&](int Position, int Type) {
        const std::array<std::uint8_t, 6> entry{static_cast<std::uint8_t>(Type & 0xFF), static_cast<std::uint8_t>(Type >> 8), 0, 0, 0, 0};
        Device.SetSetupData(static_cast<std::uint8_t>(console::ModuleSlotID(Console, Position)), entry);
    };
    for (int p = first; first >= 0 && p <= last; ++p) {
        if (rows.Lower > 0 && !Present(Device, Console, p))
            blind(p, kBlindModule);
        if (rows.Upper > 0 && !Present(Device, Console, p + 10))
            blind(p + 10, kBlindOverbridge);
    }
    for (int p = 0; p <= 8; ++p)
        rows.Occupied += Present(Device, Console, p) || Present(Device, Console, p + 10);
    return rows;
}

bool HasConsoleModules(const model::TDevice& Device)
{
    for (int c = 0; c < console::kMaxConsoles; ++c)
        for (int p = 0; p <= 18; ++p)
            if (console::IsSlotPosition(p) && Present(Device, c, p))
                return true;
    return false;
}

void PrintConsoleLayouts(PageFrame& Frame)
{
    model::TDevice* device = Frame.Device();
    if (device == nullptr)
        return;
    // Never more consoles than there are slot IDs for: a larger count in the header would walk
    // into entries that hold no modules.
    const int consoles = console::ConsoleCount(*device);
    if (consoles == 0 || !HasConsoleModules(*device))
        return;
    platform::Printer& printer = Frame.Printer;
    gfx::Canvas& c = printer.Canvas();
    Frame.PrepareSection(platform::PrinterOrientation::Landscape, "Console-Layout", Frame.FDevice);
    const double u = Frame.FUnit;
    const int W2 = printer.PageWidth() / 2;
    const int H2 = printer.PageHeight() / 2;
    bool pageUsed = false;
    // A page per console that shows something; no empty page at either end.
    auto page = [&](int Console) {
        if (!printer.Printing())
            printer.BeginDoc();
        else if (pageUsed)
            printer.NewPage();
        pageUsed = true;
        std::string name;
        model::GetConsoleName(*device, Console, name);
        Frame.DrawPageFrame(name + " Layout", Frame.FDevice);
    };
    for (int con = 0; con < consoles; ++con) {
        if (EntryType(*device, con, kStudioPanelSlot) == console::kStudioPanelType) {
            page(con);
            const double k = 0.7 * u;
            PaintFace(Frame, *device, Trunc(W2 + 250 * u - 1500 * k), Trunc(H2 + 250 * u - 1000 * k), k,
                      console::ModuleSlotID(con, kStudioPanelSlot));
            continue;
        }
        const ConsoleRows rows = FillConsoleGaps(*device, con);
        // A console of blind modules only shows nothing worth a page.
        if (rows.Occupied == 0 || (rows.Lower == 0 && rows.Upper == 0))
            continue;
        page(con);
        const int n = rows.Occupied;
        const double k = u * ConsoleLayoutScale(n);
        if (rows.Upper > 0) {
            int x = Trunc(W2 - 800.0 * n * k);
            for (int p = 0; p <= 8; ++p) {
                if (!Present(*device, con, p + 10))
                    continue;
                PaintFace(Frame, *device, x, Trunc(300 * u), k, console::ModuleSlotID(con, p + 10));
                x = Trunc(x + 1600 * k);
            }
            const double half = (800.0 * n + 45) * k;
            c.pen() = gfx::Pen{};
            c.MoveTo(Trunc(W2 - half), Trunc(300 * u - 45 * k));
            c.LineTo(Trunc(W2 - half), Trunc(300 * u + 1325 * k));
            c.LineTo(Trunc(W2 + half), Trunc(300 * u + 1325 * k));
            c.LineTo(Trunc(W2 + half), Trunc(300 * u - 45 * k));
            c.LineTo(Trunc(W2 - half), Trunc(300 * u - 45 * k));
        }
        if (rows.Lower > 0) {
            int x = Trunc(W2 - 800.0 * n * k);
            for (int p = 0; p <= 8; ++p) {
                if (!Present(*device, con, p))
                    continue;
                PaintFace(Frame, *device, x, Trunc(350 * u + 1280 * k), k, console::ModuleSlotID(con, p));
                x = Trunc(x + 1600 * k);
            }
            DrawConsoleBody(c, W2, u, k, n);
        }
    }
    if (printer.Printing())
        printer.EndDoc();
}

std::string ModuleTitle(int Type, int NumberByte)
{
    std::string title = "Module " + console::ModuleNumberText(Type, NumberByte);
    if (Type == 23 || Type == 28)
        title += " OB";
    return title;
}

namespace {

struct ModuleGroup {
    std::array<int, 5> Types;
    platform::PrinterOrientation Orientation;
    float Scale;
    int Offset;
};
const std::array<ModuleGroup, 3> ModuleGroups{{
    {{10, 12, 20, 21, 29}, platform::PrinterOrientation::Portrait, 0.6f, 2000},
    {{13, 25, 26, 23, 28}, platform::PrinterOrientation::Landscape, 1.0f, 650},
    {{11, -1, -1, -1, -1}, platform::PrinterOrientation::Landscape, 0.6f, 650},
}};

} // namespace

std::vector<ModuleDocument> ModuleLayoutDocuments(const model::TDevice& Device)
{
    std::vector<ModuleDocument> documents;
    for (const ModuleGroup& group : ModuleGroups) {
        ModuleDocument document{group.Orientation, group.Scale, group.Offset, {}};
        for (int type : group.Types) {
            if (type < 0)
                continue;
            bool defaultPrinted = false;
            for (int con = 0; con < console::kMaxConsoles; ++con) {
                for (int p = 0; p <= 18; ++p) {
                    if (!console::IsSlotPosition(p))
                        continue;
                    const std::vector<std::uint8_t> entry = console::ModuleEntryAt(Device, con, p);
                    if (entry.empty() || model::ModuleType(entry) != type)
                        continue;
                    const model::ModuleEntryView module(entry);
                    const int numberByte = module.ModuleNumber();
                    const bool ownKeys = module.RecordCountByte() != 0;
                    if (!ownKeys && console::IsFaderFamilyType(type)) {
                        // Fader modules without keys of their own share one default page per type.
                        if (defaultPrinted)
                            continue;
                        defaultPrinted = true;
                        document.Pages.push_back({console::ModuleSlotID(con, p), type,
                                                  "Default configuration for " + std::string(console::ModelNumber(type))});
                        continue;
                    }
                    document.Pages.push_back({console::ModuleSlotID(con, p), type, ModuleTitle(type, numberByte)});
                }
            }
        }
        if (!document.Pages.empty())
            documents.push_back(std::move(document));
    }
    return documents;
}

void PrintModuleLayouts(PageFrame& Frame)
{
    model::TDevice* device = Frame.Device();
    if (device == nullptr)
        return;
    platform::Printer& printer = Frame.Printer;
    for (const ModuleDocument& document : ModuleLayoutDocuments(*device)) {
        Frame.PrepareSection(document.Orientation, document.Pages.front().Title, Frame.FDevice);
        printer.BeginDoc();
        const double k = Frame.FUnit * static_cast<double>(document.Scale);
        for (std::size_t i = 0; i < document.Pages.size(); ++i) {
            const ModulePage& page = document.Pages[i];
            if (i > 0)
                printer.NewPage();
            Frame.DrawPageFrame(page.Title, Frame.FDevice);
            PaintFace(Frame, *device, Trunc(printer.PageWidth() / 2 - 800 * k),
                      Trunc(printer.PageHeight() / 2 - document.Offset * k), k, page.SlotID);
            Frame.ProcessMessages();
        }
        printer.EndDoc();
    }
}

void PrintModule(PageFrame& Frame, const std::vector<std::uint8_t>& ModuleEntry, int ModuleSlotID)
{
    const int type = model::ModuleType(ModuleEntry);
    const ModuleGroup* group = nullptr;
    for (const ModuleGroup& g : ModuleGroups)
        if (std::find(g.Types.begin(), g.Types.end(), type) != g.Types.end())
            group = &g;
    model::TDevice* device = Frame.Device();
    if (group == nullptr || device == nullptr) {
        platform::prompter().showMessage(NothingToPrintText);
        return;
    }
    const std::string title = ModuleTitle(type, ModuleEntry.size() > 4 ? ModuleEntry[4] : 0);
    Frame.PrepareSection(group->Orientation, title, Frame.FDevice);
    platform::Printer& printer = Frame.Printer;
    const double k = Frame.FUnit * static_cast<double>(group->Scale);
    const int x = Trunc(printer.PageWidth() / 2 - 800 * k);
    const int y = Trunc(printer.PageHeight() / 2 - group->Offset * k);
    printer.BeginDoc();
    Frame.DrawPageFrame(title, Frame.FDevice);
    PaintFace(Frame, *device, x, y, k, ModuleSlotID);
    printer.EndDoc();
}

} // namespace kvr::reports
