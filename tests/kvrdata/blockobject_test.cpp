// Parents, children, the registry of live objects, IDs and the copy entry points.
#include "testrecords.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

using namespace kvrtest;

namespace {

class TPlain : public TBlockObject {
public:
    explicit TPlain(TBlockObject* Parent = nullptr, unsigned short ID = 0, bool Detached = false)
        : TBlockObject(Parent, ID, false, Detached)
    {
    }
    void Describe(TBlockFilter*) override {}
};

// Records the notifications that climb from a child.
class TWatcher : public TPlain {
public:
    using TPlain::TPlain;
    void BeforeChildModified(TBlockObject* Child) override
    {
        before.push_back(Child);
        TPlain::BeforeChildModified(Child);
    }
    void AfterChildModified(TBlockObject* Child) override
    {
        after.push_back(Child);
        TPlain::AfterChildModified(Child);
    }
    std::vector<TBlockObject*> before, after;
};

} // namespace

TEST(BlockObject, ParentKnowsItsAttachedChildrenOnly)
{
    TPlain parent;
    TPlain child(&parent, 3);
    TPlain detached(&parent, 4, true);
    EXPECT_EQ(parent.GetChildren().size(), 1u);
    EXPECT_EQ(parent.FindChild(3), &child);
    EXPECT_EQ(parent.FindChild(4), nullptr);
    EXPECT_EQ(detached.GetParent(), &parent);
}

TEST(BlockObject, ChildOutlivingItsParentNeverTouchesIt)
{
    auto parent = std::make_unique<TWatcher>();
    const void* parentAddress = parent.get();
    auto child = std::make_unique<TPlain>(parent.get());
    parent.reset();
    EXPECT_FALSE(TBlockObject::IsLiveInstance(parentAddress));
    EXPECT_EQ(child->GetParent(), parentAddress);
    // Each of these would reach the dead parent without the registry check.
    EXPECT_TRUE(child->SetID(9));
    child->BeforeChildModified(child.get());
    child->AfterChildModified(child.get());
    TPlain other;
    EXPECT_TRUE(child->SetParent(&other));
    EXPECT_EQ(other.FindChild(9), child.get());
    child.reset();
    EXPECT_TRUE(other.GetChildren().empty());
}

TEST(BlockObject, ParentDestroyedWithLiveChildLeavesChildRegistered)
{
    auto parent = std::make_unique<TPlain>();
    TPlain child(parent.get());
    parent.reset();
    EXPECT_TRUE(TBlockObject::IsLiveInstance(&child));
}

TEST(BlockObject, SetParentMovesBetweenChildrenSets)
{
    TPlain a;
    TPlain b;
    TPlain child(&a);
    EXPECT_FALSE(child.SetParent(&a));
    EXPECT_TRUE(child.SetParent(&b));
    EXPECT_TRUE(a.GetChildren().empty());
    EXPECT_EQ(b.GetChildren().count(&child), 1u);
    EXPECT_TRUE(child.SetParent(nullptr));
    EXPECT_TRUE(b.GetChildren().empty());

    TPlain detached(&a, 0, true);
    EXPECT_TRUE(detached.SetParent(&b));
    EXPECT_TRUE(a.GetChildren().empty());
    EXPECT_TRUE(b.GetChildren().empty());
}

TEST(BlockObject, SetIDStoresTheLowByteAndTellsItsVector)
{
    class TCountingVector : public TElems {
    public:
        using TElems::TElems;
        void ElementIDChanged(TBlockObject*) override { ++changes; }
        int changes = 0;
    } vector;
    auto* element = vector.CreateElement();
    vector.Insert(element);
    EXPECT_FALSE(element->SetID(0));
    EXPECT_EQ(vector.changes, 0);
    EXPECT_TRUE(element->SetID(300));
    EXPECT_EQ(element->GetID(), 44);
    EXPECT_EQ(vector.changes, 1);
    EXPECT_TRUE(element->SetID(300)); // 300 never equals a stored byte
}

TEST(BlockObject, ModificationNoticeClimbsToTheRoot)
{
    TWatcher root;
    TWatcher middle(&root);
    TPlain leaf(&middle);
    middle.AfterChildModified(&leaf);
    ASSERT_EQ(root.after.size(), 1u);
    EXPECT_EQ(root.after[0], &leaf);
    auto gone = std::make_unique<TPlain>();
    TBlockObject* dead = gone.get();
    gone.reset();
    middle.BeforeChildModified(dead);
    ASSERT_EQ(root.before.size(), 1u);
    EXPECT_EQ(root.before[0], &middle);
}

TEST(BlockObject, AssignCopiesDescribedMembersAndHeaderOnly)
{
    TAddrRecord source;
    source.IP = 1;
    source.Name = "src";
    source.Server = "host";
    source.NotDescribed = 5;
    source.SetIDByte(7);
    source.SetBlockOption(2);
    TPlain parent;
    TAddrRecord target(&parent);
    target.NotDescribed = 6;
    target.Assign(&source);
    EXPECT_EQ(target.IP, 1u);
    EXPECT_STREQ(target.Name.c_str(), "src");
    EXPECT_STREQ(target.Server.c_str(), "host");
    EXPECT_EQ(target.NotDescribed, 6u);
    EXPECT_EQ(target.GetIDByte(), 7);
    EXPECT_EQ(target.GetBlockOption(), 2);
    EXPECT_EQ(target.GetParent(), &parent);
}

TEST(BlockObject, CopyIsANewRegisteredObjectWithoutParent)
{
    TPlain parent;
    TAddrRecord original(&parent);
    original.Name = "dev";
    original.SetIDByte(3);
    TAddrRecord copy(original);
    EXPECT_TRUE(TBlockObject::IsLiveInstance(&copy));
    EXPECT_EQ(copy.GetParent(), nullptr);
    EXPECT_EQ(parent.GetChildren().size(), 1u);
    EXPECT_STREQ(copy.Name.c_str(), "dev");
    EXPECT_EQ(copy.GetIDByte(), 3);
}

TEST(BlockObject, FromVariantEndingInsideAMemberFailsAndEmptiesTheArray)
{
    TAddrRecord record;
    TAddrRecord back;
    auto cut = toBytes(record);
    cut.resize(30);
    EXPECT_FALSE(back.FromVariant(cut));
    EXPECT_TRUE(cut.empty());
}

TEST(BlockObject, FromBufferReturnsTheStatus)
{
    TAddrRecord record;
    const auto bytes = toBytes(record);
    TAddrRecord back;
    EXPECT_EQ(back.FromBuffer(bytes.data(), static_cast<int>(bytes.size())), bsOk);
    EXPECT_EQ(back.FromBuffer(bytes.data(), 10), bsFileTooShort);
    EXPECT_EQ(back.FromBuffer(nullptr, 0), bsBlockTooShort);
}

TEST(BlockObject, LoadedRunsOnEveryObjectAfterASuccessfulRead)
{
    class TLoadCounter : public TElem {
    public:
        using TElem::TElem;
        void Loaded(TBlockFilter*) override { ++loads; }
        int loads = 0;
    };
    TLoadCounter root;
    TLoadCounter child(&root);
    const auto bytes = toBytes(root);
    EXPECT_EQ(root.FromBuffer(bytes.data(), static_cast<int>(bytes.size())), bsOk);
    EXPECT_EQ(root.loads, 1);
    EXPECT_EQ(child.loads, 1);
    root.FromBuffer(bytes.data(), 2);
    EXPECT_EQ(root.loads, 1);
}

TEST(BlockObject, RegistryStaysSoundWhileThreadsCreateAndDestroy)
{
    // Objects come and go in several threads while the registry empties and fills again.
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 2000; ++i) {
                auto parent = std::make_unique<TPlain>();
                TPlain child(parent.get());
                parent.reset();
                EXPECT_TRUE(TBlockObject::IsLiveInstance(&child));
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
}

TEST(BlockObject, WorstMessageOfACleanVisitIsOk)
{
    TMemoryStream stream;
    TBinaryFilter filter(&stream, boNoFileHeader);
    EXPECT_EQ(MessageText(filter.GetWorstMessage()), ": 0 (Ok)");
    EXPECT_EQ(filter.GetMessages().GetClassName(), "TBOVector<TBlockObject>");
}
