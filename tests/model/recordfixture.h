#pragma once
// A device with a recording host and recorders in the record accessors' call points.

#include "model/device.h"
#include "model/recordhooks.h"
#include "recordinghost.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace kvr::model::test {

struct AdaptCall {
    int a, b, mode;
    bool operator==(const AdaptCall&) const = default;
};

class RecordTest : public ::testing::Test {
protected:
    // Recorders go in front of whatever the library installed; both are restored afterwards.
    RecordTest() : saved(Hooks())
    {
        Hooks().AdaptLogics = [this](TDevice& d, int a, int b, int mode) {
            adapted.push_back({a, b, mode});
            if (saved.AdaptLogics)
                saved.AdaptLogics(d, a, b, mode);
        };
        Hooks().DeleteCleanFeed = [this](TDevice& d, int n) {
            cleanFeedsDeleted.push_back(n);
            if (saved.DeleteCleanFeed)
                saved.DeleteCleanFeed(d, n);
        };
        Hooks().TrimFixedInserts = [this](TDevice& d) {
            ++trims;
            if (saved.TrimFixedInserts)
                saved.TrimFixedInserts(d);
        };
        Hooks().RemovePoolLinesOfLink = [this](TDevice& d, const TDeviceLinkRecord& r) {
            poolLinksRemoved.push_back(r);
            if (saved.RemovePoolLinesOfLink)
                saved.RemovePoolLinesOfLink(d, r);
        };
    }
    ~RecordTest() override { Hooks() = saved; }

    static void MakeDummy(TDevice& device)
    {
        auto header = device.GetHeader();
        header[dh::DummyDevModel] = 27;
        device.SetHeader(header, false);
    }

    // A console module entry: type (little-endian), module number, no key records.
    static std::vector<std::uint8_t> ModuleEntry(int type, int number)
    {
        return {static_cast<std::uint8_t>(type & 0xFF), static_cast<std::uint8_t>(type >> 8), 0, 0,
                static_cast<std::uint8_t>(number), 0};
    }

    RecordHooks saved;
    RecordingHost host;
    TDevice device;
    std::vector<AdaptCall> adapted;
    std::vector<int> cleanFeedsDeleted;
    int trims = 0;
    std::vector<TDeviceLinkRecord> poolLinksRemoved;
};

} // namespace kvr::model::test
