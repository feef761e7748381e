#include "reports/ruledtable.h"

#include <cstdlib>

#include "gfx/canvas.h"

namespace kvr::reports {

namespace {
// The fifth position only ends the table.
constexpr std::size_t kTitledColumns = 4;
} // namespace

int RuledRowHeight(int Resolution) { return std::abs(gfx::heightForPoints(10, Resolution)); }

void PrintRuledTable(PageFrame& Frame, const RuledColumns& Columns, const std::string& PageTitle, int DeviceIndex,
                     const std::vector<TRow>& Rows)
{
    gfx::Canvas& c = Frame.Printer.Canvas();
    const double u = Frame.FUnit;
    const int H = Frame.Printer.PageHeight();
    const int h = c.font().height;
    const int left = Trunc(200 * u);
    const int right = Trunc(Columns.Left[4] * u);
    auto rule = [&](int y) {
        c.MoveTo(left, y);
        c.LineTo(right, y);
    };

    int y = -1;
    for (std::size_t r = 0; r < Rows.size(); ++r) {
        if (y < 0 || y > H) {
            c.setBackgroundMode(gfx::BackgroundMode::Transparent);
            Frame.DrawPageFrame(PageTitle, DeviceIndex);
            y = Trunc(250 * u);
            rule(y);
            for (std::size_t k = 0; k < Columns.Left.size(); ++k) {
                const int x = Trunc(Columns.Left[k] * u);
                c.MoveTo(x, y);
                c.LineTo(x, y + h);
                if (k < kTitledColumns)
                    c.TextOut(Trunc((Columns.Left[k] + 10) * u), y, Columns.Title[k]);
            }
            y += h;
            rule(y);
        }
        for (std::size_t k = 0; k < Columns.Left.size(); ++k) {
            if (k < kTitledColumns)
                c.TextOut(Trunc((Columns.Left[k] + 10) * u), y, Rows[r][k]);
            const int x = Trunc(Columns.Left[k] * u);
            c.MoveTo(x, y);
            c.LineTo(x, y + h);
        }
        y += h;
        rule(y);
        // A page that is full breaks only when another row follows, so no empty sheet trails.
        if (y > H - 250 * u && r + 1 < Rows.size()) {
            y = -1;
            Frame.Printer.NewPage();
        }
    }
}

} // namespace kvr::reports
