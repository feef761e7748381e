#include "model/keyrecordview.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kvr::model;

namespace {

// The parameter layouts: little-endian spins and indices, big-endian sources and device IDs.
TEST(KeyRecordView, ParameterLayouts)
{
    struct Case {
        const char* what;
        void (*write)(KeyRecordView&);
        std::vector<std::uint8_t> bytes36to41;
    };
    const Case cases[] = {
        {"spin", [](KeyRecordView& v) { v.SetSpinValue(0x0102); }, {0x02, 0x01, 0, 0, 0, 0}},
        {"monitor bus sources",
         [](KeyRecordView& v) {
             v.SetSpinValue(3);
             v.SetSource(kf::Param2, 0x4002);
             v.SetSource(kf::Param3, 0x8003);
         },
         {3, 0, 0x40, 0x02, 0x80, 0x03}},
        {"talkback", [](KeyRecordView& v) {
             v.SetIndex(kf::Param1, 4);
             v.SetIndex(kf::Param2, 1);
         },
         {4, 0, 1, 0, 0, 0}},
        {"destination device", [](KeyRecordView& v) { v.SetDestinationDevice(0x11223344); }, {0x11, 0x22, 0x33, 0x44, 0, 0}},
    };
    for (const Case& c : cases) {
        TKeyRecord r{};
        KeyRecordView view(r);
        c.write(view);
        EXPECT_EQ(c.bytes36to41, std::vector<std::uint8_t>(r.begin() + 36, r.end())) << c.what;
    }
    TKeyRecord r{};
    KeyRecordView view(r);
    view.SetText(std::string(kKeepMarker));
    EXPECT_EQ("DONOTDELETE", view.Text());
    view.SetText("A label of more than thirty characters");
    EXPECT_EQ("A label of more than thirty ch", view.Text());
    EXPECT_EQ(0, r[31]);
    EXPECT_EQ(0x11223344u, (view.SetDestinationDevice(0x11223344), view.DestinationDevice()));
    EXPECT_EQ(0x8003, (view.SetSource(kf::Param3, 0x8003), view.Source(kf::Param3)));
}

} // namespace
