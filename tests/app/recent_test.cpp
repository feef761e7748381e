#include "app/recent.h"

#include <gtest/gtest.h>

#include "platform/settingsstore.h"

using namespace kvr::app;
using kvr::platform::DefinitionKey;
using kvr::platform::MemorySettingsStore;

namespace {

class RecentTest : public ::testing::Test {
protected:
    std::vector<std::string> Menu() const
    {
        std::vector<std::string> names;
        for (const auto& e : TRecent(store, DefinitionKey).MenuEntries())
            names.push_back(e.Name);
        return names;
    }
    void Fill()
    {
        for (int i = 0; i < 10; ++i)
            store.writeString(DefinitionKey, TRecent::ValueName(i), "F" + std::to_string(i));
    }
    std::string Value(int i) const { return store.readString(DefinitionKey, TRecent::ValueName(i)).value_or("(none)"); }
    mutable MemorySettingsStore store;
};

} // namespace

TEST_F(RecentTest, EmptyListHasNoEntries)
{
    EXPECT_TRUE(Menu().empty());
}

TEST_F(RecentTest, NewNamesFillFromTheTopWhileTheListFills)
{
    TRecent r(store, "Software\\KVR\\Kx7300\\Definition"); // the same key, other capitals
    r.Add("A");
    r.Add("B");
    EXPECT_EQ(Value(9), "A");
    EXPECT_EQ(Value(8), "B");
    EXPECT_EQ(Menu(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(TRecent(store, DefinitionKey).MenuEntries().front().Index, 9);
}

TEST_F(RecentTest, ListedNameMovesToTheTopOfAFullList)
{
    Fill();
    store.writeString(DefinitionKey, "Recent4", "A");
    TRecent(store, DefinitionKey).Add("A");
    EXPECT_EQ(Menu(), (std::vector<std::string>{"A", "F9", "F8", "F7", "F6", "F5", "F3", "F2", "F1", "F0"}));
}

TEST_F(RecentTest, NewNameOnAFullListDropsTheOldest)
{
    Fill();
    TRecent(store, DefinitionKey).Add("C");
    EXPECT_EQ(Value(9), "C");
    EXPECT_EQ(Value(0), "F1");
    EXPECT_EQ(Menu().size(), 10u);
}

TEST_F(RecentTest, NamesCompareExactly)
{
    TRecent r(store, DefinitionKey);
    r.Add("C:\\P\\A.kvp");
    r.Add("c:\\p\\a.kvp");
    r.Add("C:\\P\\A.kvp");
    EXPECT_EQ(Menu(), (std::vector<std::string>{"C:\\P\\A.kvp", "c:\\p\\a.kvp"}));
    EXPECT_EQ(Value(9), "C:\\P\\A.kvp");
}

TEST_F(RecentTest, TopNameAddedAgainStaysAlone)
{
    TRecent r(store, DefinitionKey);
    r.Add("A");
    r.Add("A");
    EXPECT_EQ(Menu(), (std::vector<std::string>{"A"}));
}

TEST_F(RecentTest, ShiftDownKeepsAValueWhoseUpperNeighbourIsMissing)
{
    store.writeString(DefinitionKey, "Recent3", "X");
    store.writeString(DefinitionKey, "Recent5", "Y");
    TRecent(store, DefinitionKey).ShiftDown(3, 10);
    EXPECT_EQ(Value(3), "X");
    EXPECT_EQ(Value(4), "Y");
    EXPECT_EQ(Value(5), "Y");
}

TEST_F(RecentTest, UnwritableStoreChangesNothing)
{
    store.setReadOnly(true);
    TRecent(store, DefinitionKey).Add("A");
    EXPECT_TRUE(Menu().empty());
}
