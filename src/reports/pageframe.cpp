#include "reports/pageframe.h"

#include <algorithm>

#include "gfx/canvas.h"
#include "model/device.h"
#include "model/project.h"
#include "reports/printhost.h"

namespace kvr::reports {

const std::array<const char*, 6> TitleBlockAddress{
    "Studio Systems Engineering", "Example Street 1",          "00000 Sample Town",
    "Phone: +00 0000 000000",     "Fax:   +00 0000 000001",    "E-mail: info@example.invalid",
};

namespace {

// The name of a file without its folder.
std::string WithoutFolder(const std::string& Path)
{
    const std::size_t at = Path.find_last_of("/\\");
    return at == std::string::npos ? Path : Path.substr(at + 1);
}

} // namespace

float PageUnit(int PageWidth, int PageHeight)
{
    return static_cast<float>(std::min(PageWidth, PageHeight) * 0.0005);
}

PageFrame::PageFrame(PrintHost& Host_, platform::Printer& Printer_, std::function<void()> EventPump)
    : Host(Host_), Printer(Printer_), FEventPump(std::move(EventPump))
{
}

model::TProject* PageFrame::Project() const { return Host.Project(); }

model::TDevice* PageFrame::Device() const
{
    model::TProject* project = Host.Project();
    return project != nullptr ? project->Device(FDevice) : nullptr;
}

void PageFrame::ProcessMessages() const
{
    if (FEventPump)
        FEventPump();
}

void PageFrame::PrepareSection(platform::PrinterOrientation Orientation, const std::string& SectionWord, int DeviceIndex)
{
    model::TProject* project = Host.Project();
    model::TDevice* device = DeviceIndex >= 0 && project != nullptr ? project->Device(DeviceIndex) : nullptr;
    const std::string devicePart = device != nullptr ? device->GetName() : "Global information";
    Printer.SetOrientation(Orientation);
    FUnit = PageUnit(Printer.PageWidth(), Printer.PageHeight());
    const std::string projectName = project != nullptr ? project->GetName() : std::string();
    Printer.SetTitle(projectName + " - " + devicePart + " - " + SectionWord);
    Printer.Canvas().setBackgroundMode(gfx::BackgroundMode::Transparent);
}

void PageFrame::DrawPageFrame(const std::string& SectionTitle, int DeviceIndex)
{
    gfx::Canvas& c = Printer.Canvas();
    const int W = Printer.PageWidth();
    const int H = Printer.PageHeight();
    const double u = FUnit;
    auto X = [&](double fromRight) { return Trunc(W - fromRight * u); };
    auto Y = [&](double fromBottom) { return Trunc(H - fromBottom * u); };
    auto line = [&](int x1, int y1, int x2, int y2) {
        c.MoveTo(x1, y1);
        c.LineTo(x2, y2);
    };

    c.pen().color = gfx::clBlack;
    c.pen().width = 1;
    c.pen().style = gfx::PenStyle::Solid;
    c.brush().color = gfx::clWhite;
    c.brush().style = gfx::BrushStyle::Solid;

    c.Rectangle(0, Trunc(200 * u), X(10), Y(5));
    c.MoveTo(X(960), Y(5));
    c.LineTo(X(960), Y(155));
    c.LineTo(X(10), Y(155));
    line(X(480), Y(155), X(480), Y(5));
    line(X(480), Y(105), X(10), Y(105));
    line(X(960), Y(55), X(10), Y(55));
    line(X(960), Y(30), X(480), Y(30));
    line(X(720), Y(30), X(720), Y(55));
    c.Polygon({{X(950), Y(145)}, {X(930), Y(125)}, {X(950), Y(105)}});
    c.Polygon({{X(940), Y(125)}, {X(920), Y(105)}, {X(940), Y(85)}});

    model::TProject* project = Host.Project();
    c.font().height = Trunc(18 * u);
    for (std::size_t i = 0; i < TitleBlockAddress.size(); ++i)
        c.TextOut(X(900), Y(150 - 15.0 * static_cast<double>(i)), TitleBlockAddress[i]);
    c.TextOut(X(950), Y(50), "Name:   " + (project != nullptr ? project->GetUserName() : std::string()));
    c.TextOut(X(950), Y(25), "File:   " + WithoutFolder(Host.ProjectFileName()));
    c.TextOut(X(710), Y(50), "Date:   " + Host.Today());

    c.font().height = Trunc(30 * u);
    c.TextOut(X(460), Y(135), project != nullptr ? project->GetName() : std::string());
    std::string deviceText = "Global Information";
    if (DeviceIndex >= 0) {
        const model::TDevice* device = Device();
        deviceText = device != nullptr ? device->GetName() : std::string();
    }
    c.TextOut(X(460), Y(85), deviceText);
    c.TextOut(X(460), Y(40), SectionTitle);

    // Fold mark on the edge that is bound.
    if (Printer.Orientation() == platform::PrinterOrientation::Landscape)
        line(W / 2, Trunc(50 * u), W / 2, Trunc(150 * u));
    else
        line(Trunc(50 * u), H / 2, Trunc(150 * u), H / 2);
}

} // namespace kvr::reports
