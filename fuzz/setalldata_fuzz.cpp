// Whole device images entering a device (TDevice::SetAllData with its repair chain and the
// fitting), then the reference adaptation and the source names over whatever was taken.
// Byte 0 chooses the form of the rest: 0 a raw image; otherwise 16 header bytes (61-76, the
// counts) and then entries [key][length][payload], keys below 0x80 naming structures and the
// others setup entries, so that damaged records of every kind reach the passes.

#include "kvrdata/byteorder.h"
#include "model/adaptation.h"
#include "model/device.h"
#include "model/quiethost.h"
#include "model/project.h"
#include "model/recordhooks.h"
#include "model/repairchain.h"
#include "model/sourceids.h"
#include "model/sourcenames.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

using namespace kvr::model;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

std::uint8_t SetupID(std::uint8_t key)
{
    const int v = key - 0x80;
    if (v < 30)
        return static_cast<std::uint8_t>(v);
    if (v < 34)
        return static_cast<std::uint8_t>(96 + v - 30);
    return static_cast<std::uint8_t>(100 + v - 34);
}

void Append(std::vector<std::uint8_t>& area, std::uint8_t key, std::span<const std::uint8_t> payload)
{
    area.push_back(key);
    area.push_back(0);
    area.push_back(static_cast<std::uint8_t>(payload.size() >> 8));
    area.push_back(static_cast<std::uint8_t>(payload.size()));
    area.insert(area.end(), payload.begin(), payload.end());
}

std::vector<std::uint8_t> BuildImage(std::span<const std::uint8_t> in)
{
    std::vector<std::uint8_t> image(200, 0);
    std::memcpy(image.data(), "MPJ2", 4);
    kvr::writeBE64(image, 4, DefaultProgramVersion);
    std::memcpy(image.data() + 16, "Fuzz", 4);
    image[52] = 1;
    const std::size_t head = std::min<std::size_t>(in.size(), 16);
    std::memcpy(image.data() + 61, in.data(), head);
    image[62] = image[63] = image[64] = image[65] = 0;
    std::vector<std::uint8_t> setup, structs;
    std::size_t setupCount = 0, structCount = 0;
    for (std::size_t at = head; at + 2 <= in.size();) {
        const std::uint8_t key = in[at];
        const std::size_t length = std::min<std::size_t>(in[at + 1], in.size() - at - 2);
        const auto payload = in.subspan(at + 2, length);
        if (key < 0x80) {
            Append(structs, static_cast<std::uint8_t>(key % 38), payload);
            ++structCount;
        } else {
            Append(setup, SetupID(key), payload);
            ++setupCount;
        }
        at += 2 + length;
    }
    image[53] = static_cast<std::uint8_t>(setupCount);
    kvr::writeBE16(image, 54, static_cast<std::uint16_t>(setup.size()));
    kvr::writeBE16(image, 56, static_cast<std::uint16_t>(structs.size()));
    kvr::writeBE16(image, 58, static_cast<std::uint16_t>(200 + setup.size() + structs.size()));
    image[60] = static_cast<std::uint8_t>(structCount);
    image.insert(image.end(), setup.begin(), setup.end());
    image.insert(image.end(), structs.begin(), structs.end());
    return image;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QuietModelHost host;
    SetModelHost(&host);
    InstallAdaptation();
    if (size == 0 || size > 64000)
        return 0;
    const std::span<const std::uint8_t> in(data + 1, size - 1);
    const std::vector<std::uint8_t> image = data[0] == 0 ? std::vector<std::uint8_t>(in.begin(), in.end()) : BuildImage(in);

    TProject project;
    project.AddDevice();
    project.AddDevice();
    TDevice& dev = *project.Device(0);
    const auto before = dev.GetAllData();
    if (!dev.SetAllData(image)) {
        check(dev.GetAllData() == before);
        return 0;
    }
    check(CheckDeviceImage(dev.GetAllData()).empty());
    RunRepairPasses(dev);
    CheckLoadedImage(dev);
    dev.CheckDSPResources(2);

    const int pick = image.back();
    AdaptLogicReferences(dev, 931 + pick % 150, 0, amDelete);
    AdaptLogicReferences(dev, 1381 + pick % 20, 0, amInsert);
    AdaptLogicReferences(dev, 931, MovePlaceholderID, amSwap);
    AdaptLogicReferences(dev, 1416 + pick % 30, 0, amRemoveForMove);
    AdaptAudioSources(dev, 17152 + pick % 8, 0);
    AdaptAudioSources(dev, 16386 + 2 * (pick % 4), 0);
    AdaptAudioSources(dev, 0x0100 + pick, 0);
    AdaptAudioSources(dev, 18432, 17664 + pick % 4);
    AdaptStereoSources(dev, 0x2180 | (pick & 0x3F));
    AdaptStereoSources(dev, 16386 + 2 * (pick % 4));
    check(CheckDeviceImage(dev.GetAllData()).empty());

    for (int id = 0; id < 0x10000; id += 97)
        GetAudioSourceName(project, id, 0, (id & 1) != 0);
    for (int id = 0; id < 2400; id += 3)
        GetLogicSourceName(project, id, 0);
    FixGLSources(project);
    SetModelHost(nullptr);
    return 0;
}
