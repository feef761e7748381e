#include <gtest/gtest.h>

#include "editors/audio/monitorfunctions.h"
#include "editors/common/sourceassign.h"
#include "faketarget.h"
#include "model/device.h"
#include "model/inserts.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/smallrecordaccess.h"
#include "model/sourcenames.h"
#include "model/summingbuses.h"
#include "recordinghost.h"

namespace kvr::editors::test {
namespace {

using namespace kvr::model;
using namespace kvr::model::test;

class Monitor : public ::testing::Test {
public:
    Monitor()
    {
        project.AddDevice();
        dev = project.Device(0);
        dev->SetData(stMonitorBus, {}); // a new device has default sources
    }
    MonitorFunctions tab() { return MonitorFunctions(project, 0); }

    RecordingHost host;
    TProject project;
    TDevice* dev = nullptr;
};

TEST_F(Monitor, WithoutStoredSourcesEveryBusShowsNoneAndOneAssignmentCreatesTheRest)
{
    auto rows = tab().BusRows();
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows[0].Bus, "Monitor Bus 1L");
    EXPECT_EQ(rows[1].Bus, "Monitor Bus 1R");
    EXPECT_EQ(rows[11].Bus, "Monitor Bus 6R");
    for (const auto& row : rows)
        EXPECT_EQ(row.Source, "None") << row.Bus;

    // The audio-source window assigns row 3 (kind 9).
    FakeTarget target;
    target.sel.Element = 3;
    SourceTargets targets;
    targets.Set(atMonitorBus, &target);
    PickedSource picked;
    picked.Ref = 0x0203;
    ASSERT_TRUE(AssignAudioSource(project, 0, atMonitorBus, picked, targets).Written);
    const auto stored = dev->GetData(stMonitorBus);
    ASSERT_EQ(stored.size(), 24u);
    for (int n = 0; n < 12; ++n)
        EXPECT_EQ(GetMonitorBusSource(*dev, n), n == 3 ? 0x0203 : 0) << n;
    EXPECT_EQ(tab().BusRows()[3].Source, GetAudioSourceName(project, 0x0203, 0, false));
    EXPECT_EQ(target.refreshed.size(), 1u);
}

TEST_F(Monitor, ClearAndClearAll)
{
    for (int n = 0; n < 12; ++n)
        SetMonitorBusSource(*dev, n, static_cast<TAudioRef>(0x0200 + n));
    auto t = tab();
    t.ClearBus(5);
    EXPECT_EQ(GetMonitorBusSource(*dev, 5), 0);
    EXPECT_EQ(GetMonitorBusSource(*dev, 4), 0x0204);
    t.ClearAll();
    for (int n = 0; n < 12; ++n)
        EXPECT_EQ(GetMonitorBusSource(*dev, n), 0) << n;
}

TEST_F(Monitor, GlobalPoolLinesMarkTheirBusAndSelector)
{
    TGlobalPoolRecord pool;
    pool.SourceDevice = 77;
    pool.Count = 2;
    pool.Lines[0].Flags = 0x01;
    pool.Lines[0].Reserve = 2;        // monitor bus 2
    pool.Lines[1].Flags = 0x02;
    pool.Lines[1].Reserve = 7 << 4;   // rotary selector 7
    SetGlobalPoolLines(*dev, pool);
    const auto buses = tab().BusRows();
    for (int n = 0; n < 12; ++n)
        EXPECT_EQ(buses[static_cast<std::size_t>(n)].Info, n == 2 || n == 3 ? "Global Pool" : "") << n;
    const auto selectors = tab().SelectorRows();
    EXPECT_EQ(selectors[6].Info, "Global Pool");
    EXPECT_EQ(selectors[5].Info, "");
    // A pool-fed selector can still be given a list.
    tab().SetSelectorList(6, 2);
    EXPECT_EQ(GetRotSelSourceList(*dev, 6), 1);
}

TEST_F(Monitor, SelectorsTakeListsZeroToNineAndNoneRemovesTheEntry)
{
    auto t = tab();
    const auto items = t.ListItems();
    ASSERT_EQ(items.size(), 11u);
    EXPECT_EQ(items[0], "None");
    EXPECT_EQ(items[10], "Source List 10");
    auto rows = t.SelectorRows();
    ASSERT_EQ(rows.size(), 30u);
    EXPECT_EQ(rows[29].Selector, "Rotary Selector 30");
    EXPECT_EQ(rows[0].List, "None");
    EXPECT_EQ(rows[0].Item, 0);

    t.SetSelectorList(4, 3);
    t.SetSelectorList(9, 10);
    rows = t.SelectorRows();
    EXPECT_EQ(rows[4].List, "Source List 3");
    EXPECT_EQ(rows[4].Item, 3);
    EXPECT_EQ(GetRotSelSourceList(*dev, 9), 9);
    const auto before = dev->GetData(stRotSelSourceList).size();
    t.SetSelectorList(4, 0);
    EXPECT_EQ(GetRotSelSourceList(*dev, 4), -1);
    EXPECT_LT(dev->GetData(stRotSelSourceList).size(), before);
    // List 10 is not offered.
    t.SetSelectorList(2, 11);
    EXPECT_EQ(GetRotSelSourceList(*dev, 2), -1);
}

} // namespace
} // namespace kvr::editors::test
