// Every module type drawn offscreen with the flags its callers pass, kept as PNG files in the
// build tree (tests/console/faces/) to be looked at, not compared.

#include "console/modulegeometry.h"
#include "console/moduletypes.h"
#include "facefixture.h"
#include "gfx/qpaintercanvas.h"
#include "model/keyaccess.h"

#include <QDir>
#include <QImage>

using namespace kvr;
using namespace kvr::console;
using namespace kvr::console::test;

namespace {

class FaceRenders : public FaceTest {
protected:
    // Captions and lamp colours on a few keys; on fader types one key set in the module itself.
    void Furnish(int slot, int type)
    {
        const char* captions[] = {"MIC\\ON", "TB", "PFL", "ON AIR", "Cue 1"};
        const std::uint8_t colours[] = {0x40, 0x80, 0xC0, 0x00, 0x80};
        std::vector<model::TKeyRecord> records;
        for (int k = 0; k < std::min(KeyCount(type), 5); ++k)
            records.push_back(KeyRecord(k, captions[k], 2, colours[k], k == 2 ? 1 : 0));
        if (type == kCentralModuleType) {
            auto selector = KeyRecord(57);
            selector[36] = 3;
            records.push_back(selector);
        }
        if (!IsFaderFamilyType(type)) {
            Place(slot, type, 1, records, 2);
            return;
        }
        Place(slot, type, 1, {}, 2);
        for (const auto& r : records)
            model::SetKeyFunction(device, r[0], r, 0, slot);
        model::SetKeyFunction(device, 6, KeyRecord(6, "OWN", 2, 0x40), 1, slot);
    }
};

TEST_F(FaceRenders, EveryTypeWithTheCallersFlags)
{
    const QString folder = QStringLiteral(KVR_RENDER_DIR);
    ASSERT_TRUE(QDir().mkpath(folder));
    device.SetName("Studio A");
    constexpr std::uint8_t flagSets[] = {0, 2, 3, 5, 11};
    constexpr float s = 0.25f;
    constexpr int gap = 10;
    for (int type = 0; type < kModuleTypeCount; ++type) {
        const int slot = IsIn(ShortFaceTypes, type) ? 110 : 100;
        for (std::uint8_t table : {96, 97, 98, 99})
            device.SetSetupData(table, {});
        Furnish(slot, type);
        const FaceExtent size = FaceSize(type);
        const int w = static_cast<int>(size.Width * s), h = static_cast<int>(size.Height * s);
        QImage image(5 * (w + gap) + gap, h + 2 * gap, QImage::Format_RGB32);
        image.fill(Qt::lightGray);
        {
            gfx::QPainterCanvas canvas(image);
            int x = gap;
            for (std::uint8_t flags : flagSets) {
                PaintModule(x, gap, canvas, flags, s, slot, {device, 1, &log});
                x += w + gap;
            }
        }
        const QString name = QStringLiteral("%1/type%2.png").arg(folder).arg(type, 2, 10, QLatin1Char('0'));
        EXPECT_TRUE(image.save(name)) << name.toStdString();
        // The print face is white inside its outline, the screen face is not.
        const int inside = h / 2;
        EXPECT_EQ(QColor(Qt::white), image.pixelColor(gap + 3 * (w + gap) + 2, inside)) << type;
        EXPECT_NE(QColor(Qt::white), image.pixelColor(gap + 2, inside)) << type;
    }
}

// Large faces as the printout draws them, where legends and scale labels can be read.
TEST_F(FaceRenders, PrintedFacesAtFullSize)
{
    const QString folder = QStringLiteral(KVR_RENDER_DIR);
    ASSERT_TRUE(QDir().mkpath(folder));
    for (int type : {12, 13, 20, 29}) {
        const int slot = IsIn(ShortFaceTypes, type) ? 110 : 100;
        Furnish(slot, type);
        const FaceExtent size = FaceSize(type);
        QImage image(size.Width / 2 + 20, size.Height / 2 + 20, QImage::Format_RGB32);
        image.fill(Qt::lightGray);
        {
            gfx::QPainterCanvas canvas(image);
            PaintModule(10, 10, canvas, 5, 0.5f, slot, {device, -1, &log});
        }
        const QString name = QStringLiteral("%1/print%2.png").arg(folder).arg(type);
        EXPECT_TRUE(image.save(name)) << name.toStdString();
    }
}

} // namespace
