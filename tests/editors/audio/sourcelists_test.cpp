#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "editors/audio/sourcelists.h"
#include "model/device.h"
#include "model/inserts.h"
#include "model/logicaccess.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/recordtext.h"
#include "model/smallrecordaccess.h"
#include "recordinghost.h"
#include "sourcebuilder.h"

namespace kvr::editors::test {
namespace {

using namespace kvr::model;
using namespace kvr::model::test;

constexpr std::uint16_t kOff = 0x4000; // a reference's "off" condition

// Two devices; lists are written as stored records, and one logic function holds references.
class SourceLists : public ::testing::Test {
public:
    SourceLists()
    {
        project.AddDevice();
        project.AddDevice();
        dev = project.Device(0);
    }
    // Fills list with n entries named <prefix><k>.
    void Fill(int list, int n, const std::string& prefix)
    {
        TSourceList l;
        GetSourceList(*dev, list, l);
        l.Count = static_cast<std::uint8_t>(n);
        for (int k = 0; k < n; ++k)
            SetLabel(l.Entries[static_cast<std::size_t>(k)].Text, prefix + std::to_string(k));
        SetSourceList(*dev, list, l);
    }
    void Refs(std::initializer_list<std::uint16_t> refs) { dev->SetData(stLogicFkt, LogicRec("Fkt", refs)); }
    std::vector<int> Refs()
    {
        TLogicFunction f;
        GetLogicFunction(*dev, 0, f);
        return std::vector<int>(f.Source.begin(), f.Source.begin() + f.SourceCount());
    }
    std::vector<std::string> Texts(int list)
    {
        std::vector<std::string> texts;
        for (const auto& row : lists().Rows(list))
            texts.push_back(row.Text);
        return texts;
    }
    SelectorSourceLists lists() { return SelectorSourceLists(project, 0); }

    RecordingHost host;
    TProject project;
    TDevice* dev = nullptr;
};

TEST_F(SourceLists, DefaultLabelsAndNothingUsed)
{
    auto l = lists();
    const auto labels = l.ListLabels();
    ASSERT_EQ(labels.size(), 10u);
    EXPECT_EQ(labels[0], "Source List 1");
    EXPECT_EQ(labels[9], "Source List 10");
    EXPECT_EQ(l.AvailableText(), "250 entries available");
    EXPECT_TRUE(l.Rows(0).empty());
    // List 10 is not the tab's: its entries are not counted.
    Fill(10, 5, "x");
    EXPECT_EQ(l.Total(), 0);
}

TEST_F(SourceLists, AddingToAnEarlierListShiftsTheLaterEntriesWithTheirReferences)
{
    Fill(0, 2, "a");
    Fill(1, 3, "b");
    Refs({1536, 1539 | kOff, 1540});
    auto l = lists();
    EXPECT_EQ(l.Rows(1)[1].LogicID, 1539);
    dev->FLogicSourcesChanged = false;
    const int row = l.Add(0);
    // The logic-source window rebuilds its rotary-select entries.
    EXPECT_TRUE(dev->FLogicSourcesChanged);
    EXPECT_EQ(row, 2);
    EXPECT_EQ(l.Rows(0)[2].LogicID, 1538);
    EXPECT_EQ(Refs(), (std::vector<int>{1536, 1540 | kOff, 1541}));
    EXPECT_EQ(l.AvailableText(), "244 entries available");
}

TEST_F(SourceLists, InsertAndRemoveRenumberTheReferences)
{
    Fill(0, 3, "a");
    Refs({1536, 1537, 1538 | kOff});
    auto l = lists();
    ASSERT_TRUE(l.Insert(0, 1));
    EXPECT_EQ(Texts(0), (std::vector<std::string>{"a0", "", "a1", "a2"}));
    EXPECT_EQ(Refs(), (std::vector<int>{1536, 1538, 1539 | kOff}));
    l.Remove(0, 2); // a1 goes; a logic function drops a source that is gone
    EXPECT_EQ(Texts(0), (std::vector<std::string>{"a0", "", "a2"}));
    EXPECT_EQ(Refs(), (std::vector<int>{1536, 1538 | kOff}));
}

TEST_F(SourceLists, AMovedEntryTakesItsReferencesAlong)
{
    struct Case {
        int from, to;
        std::vector<std::string> order;
    };
    const Case cases[] = {
        {1, 3, {"b0", "b2", "b3", "b1", "b4"}},
        {3, 0, {"b3", "b0", "b1", "b2", "b4"}},
        {0, 4, {"b1", "b2", "b3", "b4", "b0"}},
        {2, 2, {"b0", "b1", "b2", "b3", "b4"}},
    };
    for (const Case& c : cases) {
        Fill(0, 2, "a");
        Fill(1, 5, "b");
        // One reference per entry of list 1, each with its own condition where it has one.
        Refs({1538, 1539 | kOff, 1540, 1541, 1542, 1536});
        lists().Move(1, c.from, c.to);
        EXPECT_EQ(Texts(1), c.order) << c.from << "->" << c.to;
        // Each reference still names its entry, wherever the entry now stands.
        std::vector<int> expected;
        for (int k = 0; k < 5; ++k) {
            const auto at = std::find(c.order.begin(), c.order.end(), "b" + std::to_string(k)) - c.order.begin();
            expected.push_back((1538 + static_cast<int>(at)) | (k == 1 ? kOff : 0));
        }
        expected.push_back(1536);
        EXPECT_EQ(Refs(), expected) << c.from << "->" << c.to;
    }
}

TEST_F(SourceLists, ClearListDropsTheListAndItsReferences)
{
    Fill(0, 3, "a");
    Fill(1, 1, "b");
    lists().SetLabel(0, "Studio");
    Refs({1536, 1538, 1539 | kOff});
    auto l = lists();
    l.Clear(0);
    TSourceList out;
    EXPECT_EQ(GetSourceList(*dev, 0, out), 0);
    EXPECT_EQ(l.Label(0), "Source List 1");
    EXPECT_EQ(Refs(), (std::vector<int>{1536 | kOff}));
    // A list never stored stays so.
    const auto before = dev->GetData(stSourceList);
    l.Clear(5);
    EXPECT_EQ(dev->GetData(stSourceList), before);
}

TEST_F(SourceLists, LabelAndTextAreCutToTheirFields)
{
    Fill(2, 1, "c");
    auto l = lists();
    l.SetLabel(2, "A label of more than sixteen");
    l.SetText(2, 0, "Microphone");
    EXPECT_EQ(l.Label(2), "A label of more ");
    EXPECT_EQ(l.Rows(2)[0].Text, "Micropho");
}

TEST_F(SourceLists, FullListsAndAFullTabRefuseNewEntries)
{
    // 50 in list 0: the list is full, the tab is not.
    Fill(0, 50, "a");
    Fill(1, 1, "b");
    auto l = lists();
    EXPECT_FALSE(l.CanAdd(0));
    EXPECT_EQ(l.Add(0), -1);
    EXPECT_FALSE(l.Insert(0, 0));
    EXPECT_FALSE(l.Copy(1, 0, 0));
    EXPECT_EQ(l.Rows(0).size(), 50u);
    EXPECT_TRUE(l.Copy(0, 7, 1));
    EXPECT_EQ(Texts(1), (std::vector<std::string>{"b0", "a7"}));

    // 250 in lists 0-9: nothing more anywhere.
    for (int list = 1; list < 5; ++list)
        Fill(list, 50, "x");
    EXPECT_EQ(l.AvailableText(), "0 entries available");
    EXPECT_FALSE(l.CanAdd(5));
    EXPECT_EQ(l.Add(5), -1);
    EXPECT_FALSE(l.Copy(0, 0, 5));
    EXPECT_EQ(l.Total(), 250);
}

TEST_F(SourceLists, ACopyKeepsItsTextAndMakesRoomForItsLogicSource)
{
    Fill(0, 1, "a");
    Fill(1, 2, "b");
    Refs({1537, 1538});
    auto l = lists();
    ASSERT_TRUE(l.Copy(1, 1, 0));
    EXPECT_EQ(Texts(0), (std::vector<std::string>{"a0", "b1"}));
    EXPECT_EQ(Texts(1), (std::vector<std::string>{"b0", "b1"}));
    EXPECT_EQ(Refs(), (std::vector<int>{1538, 1539}));
}

// Entries past the 150th have no rotary-select ID; the IDs after 1685 belong to the next logic
// category, whose references no edit of the tab may touch.
TEST_F(SourceLists, EntriesPastTheCategoryOwnNoLogicSource)
{
    Fill(0, 50, "a");
    Fill(1, 50, "b");
    Fill(2, 50, "c");
    Fill(3, 2, "d");
    Refs({1685, 1686, 1700 | kOff});
    auto l = lists();
    EXPECT_EQ(l.Rows(2)[49].LogicID, 1685);
    EXPECT_EQ(l.Rows(3)[0].LogicID, 0);
    const auto untouched = std::vector<int>{1685, 1686, 1700 | kOff};
    EXPECT_EQ(l.Add(3), 2);
    EXPECT_EQ(Refs(), untouched);
    ASSERT_TRUE(l.Insert(3, 0));
    l.Remove(3, 1);
    l.Move(3, 0, 2);
    ASSERT_TRUE(l.Copy(0, 0, 4));
    l.Clear(3);
    EXPECT_EQ(Refs(), untouched);
}

TEST_F(SourceLists, MovingAnEntryOutOfTheCategoryDropsItsReferences)
{
    Fill(0, 50, "a");
    Fill(1, 50, "b");
    Fill(2, 48, "c");
    Fill(3, 5, "d"); // d0 1684, d1 1685, the rest own none
    Refs({1684, 1600});
    lists().Move(3, 0, 3);
    EXPECT_EQ(Texts(3), (std::vector<std::string>{"d1", "d2", "d3", "d0", "d4"}));
    EXPECT_EQ(Refs(), (std::vector<int>{1600}));
    // And back in: it owns 1684 again, and d1's reference follows d1 to 1685.
    Refs({1684, 1600});
    lists().Move(3, 3, 0);
    EXPECT_EQ(Texts(3)[0], "d0");
    EXPECT_EQ(Refs(), (std::vector<int>{1685, 1600}));
}

TEST_F(SourceLists, GlobalPoolEntries)
{
    TDevice* other = project.Device(1);
    auto l = lists();
    Fill(0, 2, "a");
    // Without a pool the box is off; with the device itself as source too.
    EXPECT_FALSE(l.PoolSelectable());
    TGlobalPoolRecord pool;
    pool.SourceDevice = dev->GetDeviceID();
    SetGlobalPoolLines(*dev, pool);
    EXPECT_FALSE(l.PoolSelectable());
    pool.SourceDevice = other->GetDeviceID();
    SetGlobalPoolLines(*dev, pool);
    EXPECT_TRUE(l.PoolSelectable());
    EXPECT_EQ(l.PoolDevice(), 1);

    l.SetGlobalPool(0, 1, true);
    auto rows = l.Rows(0);
    EXPECT_EQ(rows[1].LeftRef, 0x8000);
    EXPECT_EQ(rows[1].RightRef, 0x8000);
    EXPECT_EQ(rows[1].Device, 1);
    EXPECT_EQ(rows[0].Device, 0);
    EXPECT_EQ(rows[0].Info, "");
    EXPECT_EQ(rows[1].Info, "Global Pool (Selector without pool line!)");

    // Rotary selector 4 uses list 0 and is fed by a pool line.
    SetRotSelSourceList(*dev, 4, 0);
    pool.Count = 1;
    pool.Lines[0].Flags = 0x02;
    pool.Lines[0].Reserve = 5 << 4;
    SetGlobalPoolLines(*dev, pool);
    EXPECT_EQ(l.Rows(0)[1].Info, "Global Pool");

    l.SetGlobalPool(0, 1, false);
    EXPECT_EQ(l.Rows(0)[1].LeftRef, 0);
    EXPECT_EQ(l.Rows(0)[1].Info, "");
}

} // namespace
} // namespace kvr::editors::test
