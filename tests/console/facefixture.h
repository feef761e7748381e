#pragma once
// A device with console modules placed by hand, a recording canvas and a log, for face drawings.

#include "console/modulepainter.h"
#include "diagnostics/kvrlog.h"
#include "gfx/recordingcanvas.h"
#include "model/device.h"
#include "model/keyfunctions.h"
#include "model/modelhost.h"
#include "model/quiethost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace kvr::console::test {

inline model::TKeyRecord KeyRecord(int key, const char* caption = "", std::uint8_t function = 0,
                                   std::uint8_t colours = 0, std::uint8_t groups = 0)
{
    model::TKeyRecord r{};
    r[0] = static_cast<std::uint8_t>(key);
    std::memcpy(r.data() + 1, caption, std::min<std::size_t>(std::strlen(caption), 30));
    r[31] = function;
    r[33] = colours;
    r[35] = groups;
    return r;
}

// Points and rectangles of a primitive, without its state, as one comparable line.
inline std::string Describe(const gfx::Op& op)
{
    std::ostringstream os;
    os << gfx::opKindName(op.kind);
    const auto rect = [&] { os << ' ' << op.rect.left << ',' << op.rect.top << ',' << op.rect.right << ',' << op.rect.bottom; };
    switch (op.kind) {
    case gfx::OpKind::Line:
        os << ' ' << op.points[0].x << ',' << op.points[0].y << '-' << op.points[1].x << ',' << op.points[1].y;
        break;
    case gfx::OpKind::Text:
        os << ' ' << op.points[0].x << ',' << op.points[0].y << " '" << op.text << '\'';
        break;
    case gfx::OpKind::TextRect:
        rect();
        os << " @" << op.points[0].x << ',' << op.points[0].y << " '" << op.text << '\'';
        break;
    default:
        rect();
        break;
    }
    return os.str();
}

inline std::vector<std::string> Describe(const std::vector<gfx::Op>& ops)
{
    std::vector<std::string> lines;
    for (const gfx::Op& op : ops)
        lines.push_back(Describe(op));
    return lines;
}

class FaceTest : public ::testing::Test {
protected:
    FaceTest()
    {
        model::SetModelHost(&host);
        log.Enabled = true;
        log.LogLevel = 1;
        log.FlushLimit = 100000; // keep the lines in memory
    }
    ~FaceTest() override { model::SetModelHost(nullptr); }

    // A module entry of the type with its number, option byte and own key records.
    void Place(int slot, int type, std::uint8_t options = 0, const std::vector<model::TKeyRecord>& records = {},
               int number = 0)
    {
        std::vector<std::uint8_t> entry{static_cast<std::uint8_t>(type & 0xFF), static_cast<std::uint8_t>(type >> 8),
                                        options, 0, static_cast<std::uint8_t>(number),
                                        static_cast<std::uint8_t>(records.size())};
        for (const auto& r : records)
            entry.insert(entry.end(), r.begin(), r.end());
        device.SetSetupData(static_cast<std::uint8_t>(slot), entry);
    }

    ModulePaintContext Context(int selectedKey = -1) { return {device, selectedKey, &log}; }

    std::vector<std::string> Paint(int slot, std::uint8_t flags, float s, int x = 0, int y = 0, int selectedKey = -1)
    {
        canvas.clear();
        PaintModule(x, y, canvas, flags, s, slot, Context(selectedKey));
        return Describe(canvas.ops());
    }

    std::vector<std::string> Key(int slot, int key, std::uint8_t flags, float s, int x = 0, int y = 0)
    {
        canvas.clear();
        DrawModuleKeyCaptions(x, y, canvas, flags, s, key, slot, Context());
        return Describe(canvas.ops());
    }

    model::QuietModelHost host;
    model::TDevice device;
    gfx::RecordingCanvas canvas;
    TKVRLog log;
};

} // namespace kvr::console::test
