#include "fullproject.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "kvrdata/byteorder.h"
#include "model/dspfitdevice.h"
#include "model/recordhooks.h"

namespace kvr::bench {

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace kvr::model;

constexpr std::size_t kScriptSize = 14 + 16 * 20;
constexpr std::size_t kStructureHead = 16;

void Word(Bytes& b, std::uint16_t v)
{
    b.push_back(static_cast<std::uint8_t>(v >> 8));
    b.push_back(static_cast<std::uint8_t>(v));
}

} // namespace

void FillRecordLists(TDevice& dev, std::size_t Room)
{
    // DSP cards in the slots ending in 9, so that the fitting places everything; a card already
    // there stays.
    for (std::uint8_t slot : {9, 19, 29})
        if (dev.GetSetupData(slot).empty())
            dev.SetSetupData(slot, Bytes{0x03, 0x50, 0, 0, 0, 0, 0, 0});
    // As many summing buses as those cards carry, program buses, AUX buses and clean feeds in the
    // proportions 16:32:30 of a full list, so that the device stays within its limits.
    RunDSPFitting(dev, 0);
    const int busCount = std::min(78, dev.FBusLimit);
    const int cleanFeeds = busCount * 30 / 78;
    const int programBuses = busCount * 16 / 78;
    const int auxBuses = busCount - cleanFeeds - programBuses;

    auto header = dev.GetHeader();
    header[dh::ProgramBusCount] = static_cast<std::uint8_t>(programBuses);
    header[dh::AuxBusCount] = static_cast<std::uint8_t>(auxBuses);
    header[dh::CleanFeedCount] = static_cast<std::uint8_t>(cleanFeeds);
    header[dh::OutFktCount] = 40;
    header[dh::FixedProcCount] = 10;
    dev.SetHeader(header, false);

    Bytes fch;
    for (int n = 1; n <= 149; ++n) {
        Bytes r(28, 0);
        std::memcpy(r.data(), "Ch", 2);
        kvr::writeBE16(r, 4, static_cast<std::uint16_t>(0x0100 + n % 64));
        kvr::writeBE16(r, 10, static_cast<std::uint16_t>(931 + n % 150));
        kvr::writeBE16(r, 12, 0x3FFF);
        r[18] = n <= cleanFeeds ? 0x10 : 0;
        r[20] = static_cast<std::uint8_t>(n);
        kvr::writeBE16(r, 26, static_cast<std::uint16_t>(481 + n));
        fch.insert(fch.end(), r.begin(), r.end());
    }
    dev.SetData(stFCH, fch);

    Bytes logic;
    for (int i = 0; i < 150; ++i) {
        logic.push_back(10);
        logic.push_back(0);
        logic.insert(logic.end(), 10, 'L');
        for (int j = 0; j < 10; ++j)
            Word(logic, static_cast<std::uint16_t>(0xC000 | (931 + (i + j) % 150)));
    }
    dev.SetData(stLogicFkt, logic);

    Bytes scripts;
    for (int i = 0; i < 100; ++i) {
        Bytes s(kScriptSize, 0);
        std::memcpy(s.data(), "Script", 6);
        s[11] = 20;
        kvr::writeBE16(s, 12, static_cast<std::uint16_t>(1381 + i % 20));
        scripts.insert(scripts.end(), s.begin(), s.end());
    }

    Bytes outFkts;
    for (int i = 0; i < 40; ++i) {
        Bytes o(12, 0);
        std::memcpy(o.data(), "Out", 3);
        o[10] = 8;
        for (int k = 0; k < 8; ++k) {
            Word(o, static_cast<std::uint16_t>(0xC000 | (1416 + k)));
            Word(o, static_cast<std::uint16_t>(16386 + 2 * k));
            Word(o, static_cast<std::uint16_t>(0x0100 + k));
            o.insert(o.end(), {1, 1, 0, 0});
        }
        outFkts.insert(outFkts.end(), o.begin(), o.end());
    }
    dev.SetData(stOutFkt, outFkts);

    Bytes buses;
    for (int i = 0; i < programBuses + auxBuses; ++i) {
        Bytes b(32, 0);
        std::memcpy(b.data(), "Bus", 3);
        b[16] = 0x80;
        kvr::writeBE16(b, 24, static_cast<std::uint16_t>(931 + i));
        buses.insert(buses.end(), b.begin(), b.end());
    }
    dev.SetData(stBus, buses);
    Bytes feeds;
    for (int i = 0; i < cleanFeeds; ++i) {
        Bytes b(32, 0);
        std::memcpy(b.data(), "CF", 2);
        b[16] = 0x80;
        b[19] = static_cast<std::uint8_t>(i + 1);
        feeds.insert(feeds.end(), b.begin(), b.end());
    }
    dev.SetData(stCleanFeed, feeds);

    Bytes levels = {20, 0};
    for (int i = 0; i < 15; ++i) {
        Bytes l(20, 0);
        kvr::writeBE16(l, 10, static_cast<std::uint16_t>(0x0100 + i));
        l[14] = 10;
        levels.insert(levels.end(), l.begin(), l.end());
    }
    dev.SetData(stLevelDetect, levels);

    Bytes procs;
    for (int i = 0; i < 10; ++i) {
        Bytes p(14, 0);
        kvr::writeBE16(p, 10, static_cast<std::uint16_t>(0x0100 + 2 * i));
        p[12] = 0x80;
        p[13] = 2;
        p.insert(p.end(), {10, 1, 0, 5, 3, 0xE8, 14, 1, 0, 0, 0, 0xA0});
        procs.insert(procs.end(), p.begin(), p.end());
    }
    dev.SetData(stProc, procs);

    // The scripts last, as many of them as keep the room: a device full of cards and modules has
    // fewer. A structure takes a few bytes of its own beside its payload.
    const std::size_t used = dev.GetAllData().size() + kStructureHead;
    const std::size_t free = used + Room < TDevice::ImageSize ? TDevice::ImageSize - Room - used : 0;
    const std::size_t count = std::min<std::size_t>(100, free / kScriptSize);
    if (count > 0)
        dev.SetData(stScript, std::span<const std::uint8_t>(scripts.data(), count * kScriptSize));
}

void FillImage(TDevice& dev, std::size_t Room)
{
    const std::size_t used = dev.GetAllData().size();
    if (used + Room + 4 < TDevice::ImageSize)
        dev.SetData(60, Bytes(TDevice::ImageSize - Room - used - 4, 0x55));
}

} // namespace kvr::bench
