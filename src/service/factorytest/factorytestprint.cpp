#include "service/factorytest/factorytestprint.h"

#include <cstdio>

#include "gfx/canvas.h"
#include "platform/printer.h"

namespace kvr::service {

namespace {

int At(double Scale, double Units)
{
    return static_cast<int>(Units * Scale);
}

void Centred(gfx::Canvas& C, int PageWidth, int Y, const std::string& Text)
{
    C.TextOut(PageWidth / 2 - C.TextWidth(Text) / 2, Y, Text);
}

} // namespace

void PrintPageHeader(platform::Printer& P, const TTextDocument& Doc, const TPrintLayout& L, const TPrintContext& Ctx,
                     const std::string& Text, int PageNumber)
{
    gfx::Canvas& c = P.Canvas();
    const int w = P.PageWidth();
    const int h = P.PageHeight();
    const double s = L.Scale;
    c.font().name = "Arial";
    c.font().height = At(s, 40);
    Centred(c, w, 0, Doc.Title);
    Centred(c, w, At(s, 40), "Project: " + Ctx.ProjectText + ", Device: " + Ctx.DeviceName + " - " + Text);
    char page[48];
    std::snprintf(page, sizeof page, "Page %d/%d", PageNumber, static_cast<int>(Doc.Pages.size()) + 1);
    c.TextOut(w - c.TextWidth(page), At(s, 40), page);
    c.MoveTo(At(s, 250), At(s, 100));
    c.LineTo(w, At(s, 100));
    c.MoveTo(0, h / 2);
    c.LineTo(At(s, 100), h / 2);
    c.MoveTo(At(s, 250), h - At(s, 100));
    c.LineTo(w, h - At(s, 100));
    c.TextOut(At(s, 250), h - At(s, 100), "Report generated on " + Ctx.DateTimeText);
    c.TextOut(w - c.TextWidth(FactoryTestWebAddress), h - At(s, 100), FactoryTestWebAddress);
}

void PrintDocument(platform::Printer& P, const TTextDocument& Doc, const std::vector<TFactoryTest>& Entries,
                   const TPrintLayout& L, const TPrintContext& Ctx)
{
    const double s = L.Scale;
    const int H = L.LineHeight;
    gfx::Canvas& c = P.Canvas();
    P.SetTitle(Doc.Title);
    P.BeginDoc();
    c.font().color = gfx::clBlack;
    c.pen().color = gfx::clBlack;
    PrintPageHeader(P, Doc, L, Ctx, "Overview", 1);
    c.font().name = "Courier New";
    c.font().height = At(s, 35);
    c.TextOut(At(s, 400), 5 * H, "Modules");
    c.TextOut(At(s, 1800), 5 * H, "Page");
    int y = 7 * H;
    char buf[160];
    for (const TFactoryTest& e : Entries) {
        const std::string name = GetEntryName(e);
        if (e.IsCard()) {
            std::snprintf(buf, sizeof buf, "Slot %2d %12s  Revision: %2d   Serial No.:%10d", e.Slot + 1, name.c_str(), e.Revision,
                          e.Number);
            c.TextOut(At(s, 500), y, buf);
        } else {
            std::snprintf(buf, sizeof buf, "%-25s  Serial No.: %05d   Firmware: %02d.%02d.%02d.%02d", name.c_str(), e.Module,
                          e.Version[0], e.Version[1], e.Version[2], e.Version[3]);
            c.TextOut(At(s, 400), y, buf);
        }
        std::snprintf(buf, sizeof buf, "%3d", e.FirstPage + 1);
        c.TextOut(At(s, 1800), y, buf);
        y += H;
    }
    for (const TOutputPage& page : Doc.Pages) {
        P.NewPage();
        PrintPageHeader(P, Doc, L, Ctx, page.Title, page.Number + 1);
        c.font().name = "Courier New";
        c.font().height = At(s, 35);
        int ly = At(s, 150);
        for (const std::string& line : page.Lines) {
            c.TextOut(At(s, 300), ly, line);
            ly += H;
        }
    }
    P.EndDoc();
}

} // namespace kvr::service
