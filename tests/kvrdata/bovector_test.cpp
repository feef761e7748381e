// Vectors: ownership of elements, reading and writing them, lookups.
#include "testrecords.h"

#include <gtest/gtest.h>

#include <memory>

using namespace kvrtest;

namespace {

TElem* append(TElems& Vector, unsigned short ID, unsigned Value = 0)
{
    auto* element = static_cast<TElem*>(Vector.CreateElement());
    Vector.Insert(element);
    element->AfterInsert();
    element->SetID(ID);
    element->Value = Value;
    return element;
}

// A record holding a vector as its only member.
class TListRecord : public TBlockObject {
public:
    explicit TListRecord(unsigned char OptionalID = 0) : TBlockObject(nullptr), Elems(this, 0, "Elem"), Optional(OptionalID)
    {
        Init();
    }
    void Describe(TBlockFilter* Filter) override
    {
        TBlockObject* elems = &Elems;
        Filter->TransferObject("Elems", elems, Optional);
        Filter->Transfer("After", &After);
    }
    TElems Elems;
    unsigned char Optional;
    unsigned char After = 0;
};

} // namespace

TEST(BlockVector, RemoveAllDeletesOwnedAndUnlinksForeignElements)
{
    TElems vector;
    TElem foreignOwner;
    auto foreign = std::make_unique<TElem>(&foreignOwner);
    TElem* owned = append(vector, 1);
    vector.Insert(foreign.get());
    const void* ownedAddress = owned;
    vector.RemoveAll();
    EXPECT_EQ(vector.Size(), 0);
    EXPECT_FALSE(TBlockObject::IsLiveInstance(ownedAddress));
    EXPECT_TRUE(TBlockObject::IsLiveInstance(foreign.get()));
}

TEST(BlockVector, DestroyingDeletesOwnedElementsOnly)
{
    auto foreign = std::make_unique<TElem>();
    const void* ownedAddress = nullptr;
    {
        TElems vector;
        ownedAddress = append(vector, 1);
        vector.Insert(foreign.get());
    }
    EXPECT_FALSE(TBlockObject::IsLiveInstance(ownedAddress));
    EXPECT_TRUE(TBlockObject::IsLiveInstance(foreign.get()));
}

TEST(BlockVector, DeleteAndDeleteChildUnlinkForeignElements)
{
    TElems vector;
    auto foreign = std::make_unique<TElem>();
    foreign->SetID(7);
    foreign->Value = 11;
    vector.Insert(foreign.get());
    append(vector, 7);
    vector.DeleteChild(7);
    ASSERT_EQ(vector.Size(), 1);
    EXPECT_TRUE(TBlockObject::IsLiveInstance(foreign.get()));
    EXPECT_EQ(foreign->Value, 11u); // not cleared either
    vector.Insert(foreign.get(), 0);
    vector.Delete(0);
    EXPECT_TRUE(TBlockObject::IsLiveInstance(foreign.get()));
    vector.Delete();
    EXPECT_EQ(vector.Size(), 0);
}

TEST(BlockVector, FindAndDeleteChildTakeTheFirstWithTheID)
{
    TElems vector;
    TElem* first = append(vector, 7, 1);
    TElem* second = append(vector, 7, 2);
    EXPECT_EQ(vector.FindChild(7), first);
    vector.DeleteChild(7);
    ASSERT_EQ(vector.Size(), 1);
    EXPECT_EQ(vector.At(0), second);
    EXPECT_THROW(vector.At(vector.Size()), std::out_of_range);
    EXPECT_THROW(vector.At(-1), std::out_of_range);
    EXPECT_THROW(vector.Delete(5), std::out_of_range);
}

TEST(BlockVector, InsertBeforeAPosition)
{
    TElems vector;
    TElem* a = append(vector, 1);
    TElem* b = append(vector, 2);
    auto* c = static_cast<TElem*>(vector.CreateElement());
    vector.Insert(c, 1);
    EXPECT_EQ(vector.At(0), a);
    EXPECT_EQ(vector.At(1), c);
    EXPECT_EQ(vector.At(2), b);
}

TEST(BlockVector, WritesElementsInOrderWithTheirIDsAndReadsThemBack)
{
    TListRecord record;
    append(record.Elems, 5, 0x55);
    append(record.Elems, 2, 0x22);
    append(record.Elems, 9, 0x99);
    record.After = 0xEE;
    const auto bytes = toBytes(record);
    const auto element = [](int id, int value) { return bytesOf({id, 0, 0, 5, 0, 0, 0, value, 0}); };
    std::vector<std::uint8_t> expected = bytesOf({0, 0, 0, 4 + 3 * 9 + 1, 0, 0, 0, 3 * 9});
    for (const auto& e : {element(5, 0x55), element(2, 0x22), element(9, 0x99)})
        expected.insert(expected.end(), e.begin(), e.end());
    expected.push_back(0xEE);
    EXPECT_EQ(bytes, expected);

    TListRecord back;
    append(back.Elems, 1, 1);
    const void* old = back.Elems.At(0);
    ASSERT_EQ(back.FromBuffer(bytes.data(), static_cast<int>(bytes.size())), bsOk);
    EXPECT_FALSE(TBlockObject::IsLiveInstance(old));
    ASSERT_EQ(back.Elems.Size(), 3);
    EXPECT_EQ(back.Elems.Element(0)->GetID(), 5);
    EXPECT_EQ(back.Elems.Element(1)->Value, 0x22u);
    EXPECT_EQ(back.Elems.Element(2)->GetID(), 9);
    EXPECT_EQ(back.Elems.Element(2)->GetParent(), &back.Elems);
    EXPECT_EQ(back.After, 0xEE);
}

TEST(BlockVector, EmptyMandatoryVectorIsAnEmptyBlockAndOptionalIsNothing)
{
    TListRecord mandatory;
    EXPECT_EQ(toBytes(mandatory), bytesOf({0, 0, 0, 5, 0, 0, 0, 0, 0}));
    TListRecord optional(4);
    EXPECT_EQ(toBytes(optional), bytesOf({0, 0, 0, 1, 0}));

    TListRecord back;
    append(back.Elems, 1);
    const auto bytes = toBytes(mandatory);
    EXPECT_EQ(back.FromBuffer(bytes.data(), static_cast<int>(bytes.size())), bsOk);
    EXPECT_EQ(back.Elems.Size(), 0);
    TListRecord backOptional(4);
    append(backOptional.Elems, 1);
    const auto optionalBytes = toBytes(optional);
    EXPECT_EQ(backOptional.FromBuffer(optionalBytes.data(), static_cast<int>(optionalBytes.size())), bsOk);
    EXPECT_EQ(backOptional.Elems.Size(), 0);
}

TEST(BlockVector, FailedElementIsDroppedAndEarlierOnesStay)
{
    TListRecord record;
    append(record.Elems, 1, 1);
    append(record.Elems, 2, 2);
    auto bytes = toBytes(record);
    bytes[8 + 9 + 3] = 0x40; // second element claims more than the data hold
    TListRecord back;
    EXPECT_GE(back.FromBuffer(bytes.data(), static_cast<int>(bytes.size())), bsFatal);
    ASSERT_EQ(back.Elems.Size(), 1);
    EXPECT_EQ(back.Elems.Element(0)->Value, 1u);
}

TEST(BlockVector, MessageListClassName)
{
    TBOVector<TBlockMsg, 0, 0> list(nullptr, 0, "BlockMsg");
    EXPECT_EQ(list.GetClassName(), "TBOVector<TBlockObject>");
    EXPECT_EQ(TElems().GetClassName(), "TBOVector<TElem>");
}

TEST(BlockVector, ClearMembersEmptiesVectorsAndKeepsValues)
{
    TListRecord record;
    append(record.Elems, 1);
    record.After = 3;
    record.ClearMembers();
    EXPECT_EQ(record.Elems.Size(), 0);
    EXPECT_EQ(record.After, 3);
    append(record.Elems, 1);
    record.Elems.ClearMembers(); // a vector cleared as a root empties too, and ends
    EXPECT_EQ(record.Elems.Size(), 0);
    record.Elems.Init();
    EXPECT_EQ(record.Elems.Size(), 0);
}
