// A nested record through the binary filter: groups, vectors, optional members, raw streams and
// records of its own kind, and what hostile data do to them.
#include "testrecords.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kvrtest;

namespace {

void fill(TNestRecord& R)
{
    R.Word = 0x1234;
    R.Short = -2;
    R.Wide = -0x0102030405060708LL;
    R.Real = 1.5;
    R.Flag = true;
    R.Hex = 0x0603030A;
    auto* e = static_cast<TElem*>(R.Elems.CreateElement());
    R.Elems.Insert(e);
    e->Value = 9;
    e->Text = "nine";
    R.Data.GetStream()->WriteBuffer("raw", 3);
}

short readBytes(TBlockObject& R, const std::vector<std::uint8_t>& Bytes)
{
    return R.FromBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
}

// A chain of Depth records linked through their optional "Next" member.
std::vector<std::uint8_t> chain(int Depth)
{
    TNestRecord root;
    TNestRecord* last = &root;
    for (int i = 1; i < Depth; ++i) {
        last->Next = new TNestRecord(last);
        last = last->Next;
    }
    return toBytes(root);
}

int depthOf(const TNestRecord& R)
{
    int depth = 1;
    for (const TNestRecord* p = R.Next; p; p = p->Next)
        ++depth;
    return depth;
}

} // namespace

TEST(NestRecord, GoldenBytes)
{
    TNestRecord record;
    fill(record);
    const auto expected = bytesOf({
        0, 0, 0, 0x35,                                          // record
        1, 0, 0, 0x19,                                          // "Values"
        0x12, 0x34, 0xFF, 0xFE,                                 // word, short
        0xFE, 0xFD, 0xFC, 0xFB, 0xFA, 0xF9, 0xF8, 0xF8,         // signed 64 bit
        0x3F, 0xF8, 0, 0, 0, 0, 0, 0,                           // double 1.5
        1, 0x06, 0x03, 0x03, 0x0A,                              // bool, hex number
        0, 0, 0, 0x0D,                                          // vector
        0, 0, 0, 9, 0, 0, 0, 9, 4, 'n', 'i', 'n', 'e',         // its element
        0, 0, 0, 3, 'r', 'a', 'w',                              // raw stream, no optional members
    });
    EXPECT_EQ(toBytes(record), expected);

    TNestRecord back;
    ASSERT_EQ(readBytes(back, expected), bsOk);
    EXPECT_EQ(back.Word, 0x1234);
    EXPECT_EQ(back.Short, -2);
    EXPECT_EQ(back.Wide, -0x0102030405060708LL);
    EXPECT_EQ(back.Real, 1.5);
    EXPECT_TRUE(back.Flag);
    EXPECT_EQ(back.Hex.GetValue(), 0x0603030Au);
    ASSERT_EQ(back.Elems.Size(), 1);
    EXPECT_STREQ(back.Elems.Element(0)->Text.c_str(), "nine");
    EXPECT_EQ(back.Data.GetStream()->Bytes(), bytesOf({'r', 'a', 'w'}));
    EXPECT_EQ(back.Opt, nullptr);
    EXPECT_EQ(back.Next, nullptr);
}

TEST(NestRecord, OptionalMembersAreCreatedOnDemandAndRoundTrip)
{
    TNestRecord record;
    record.Opt = new TElem(&record);
    record.Opt->Value = 5;
    record.Next = new TNestRecord(&record);
    record.Next->Word = 77;
    const auto bytes = toBytes(record);
    TNestRecord back;
    ASSERT_EQ(readBytes(back, bytes), bsOk);
    ASSERT_NE(back.Opt, nullptr);
    EXPECT_EQ(back.Opt->Value, 5u);
    EXPECT_EQ(back.Opt->GetIDByte(), 5);
    ASSERT_NE(back.Next, nullptr);
    EXPECT_EQ(back.Next->Word, 77);
    EXPECT_EQ(back.Next->GetParent(), &back);

    // Only the later optional member present: the earlier one stays absent and the block of
    // ID 7 goes to the member that expects it.
    TNestRecord onlyNext;
    onlyNext.Next = new TNestRecord(&onlyNext);
    TNestRecord reader;
    ASSERT_EQ(readBytes(reader, toBytes(onlyNext)), bsOk);
    EXPECT_EQ(reader.Opt, nullptr);
    EXPECT_NE(reader.Next, nullptr);
}

TEST(NestRecord, InitForgetsOptionalPointersAndClearEmptiesSubObjects)
{
    TNestRecord record;
    fill(record);
    record.ClearMembers();
    EXPECT_EQ(record.Word, 0x1234);
    EXPECT_EQ(record.Elems.Size(), 0);
    EXPECT_EQ(record.Data.GetStream()->GetSize(), 0);

    fill(record);
    TElem opt;
    record.Opt = &opt;
    record.Init();
    EXPECT_EQ(record.Word, 0);
    EXPECT_EQ(record.Real, 0.0);
    EXPECT_EQ(record.Hex.GetValue(), 0u);
    EXPECT_EQ(record.Opt, nullptr);
    EXPECT_EQ(record.Elems.Size(), 1); // a mandatory sub-object is left alone
}

TEST(NestRecord, ReadingIntoANullMemberThatCannotBeCreatedIs999)
{
    class TNoFactory : public TBlockObject {
    public:
        TNoFactory() : TBlockObject(nullptr) { Init(); }
        void Describe(TBlockFilter* Filter) override { Filter->TransferObject("Opt", Opt, 3); }
        TBlockObject* Opt = nullptr;
    } record;
    const auto bytes = bytesOf({0, 0, 0, 5, 3, 0, 0, 1, 0x42});
    TMemoryStream stream(bytes);
    TBinaryFilter filter(&stream, boNoFileHeader);
    EXPECT_EQ(filter.Read("BO", &record), bsFatal);
    EXPECT_EQ(MessageText(filter.GetWorstMessage()), ":BO:Opt: 999 (General Error.)");
    EXPECT_EQ(record.Opt, nullptr);
}

TEST(NestRecord, CreatedObjectOfTheWrongTypeIsRefused)
{
    class TWrongFactory : public TBlockObject {
    public:
        TWrongFactory() : TBlockObject(nullptr) { Init(); }
        void Describe(TBlockFilter* Filter) override { Filter->TransferObject("Opt", Opt, 3); }
        TBlockObject* CreateChild(unsigned char) override { return new TElems(this); }
        TElem* Opt = nullptr;
    } record;
    EXPECT_EQ(record.FromBuffer(bytesOf({0, 0, 0, 4, 3, 0, 0, 0}).data(), 8), bsFatal);
    EXPECT_EQ(record.Opt, nullptr);
}

TEST(NestRecord, NestingIsBoundedWhileReading)
{
    const auto deep = chain(TBinaryFilter::MaxNesting / 2 - 1);
    TNestRecord ok;
    EXPECT_EQ(readBytes(ok, deep), bsOk);
    EXPECT_EQ(depthOf(ok), TBinaryFilter::MaxNesting / 2 - 1);

    const auto tooDeep = chain(TBinaryFilter::MaxNesting + 5);
    TNestRecord refused;
    EXPECT_EQ(readBytes(refused, tooDeep), bsFatal);
    EXPECT_LE(depthOf(refused), TBinaryFilter::MaxNesting);
}

TEST(NestRecord, HugeBigSizeAllocatesNothing)
{
    TBlockStream block;
    const auto bytes = bytesOf({0, 0xFF, 0xFF, 0xFF, 1, 2, 3});
    EXPECT_EQ(block.FromBuffer(bytes.data(), static_cast<int>(bytes.size())), bsFileTooShort);
    EXPECT_EQ(block.GetStream()->GetSize(), 0);
}

TEST(NestRecord, EveryTruncationOfAValidRecordEndsCleanly)
{
    TNestRecord record;
    fill(record);
    record.Opt = new TElem(&record);
    record.Next = new TNestRecord(&record);
    fill(*record.Next);
    const auto bytes = toBytes(record);
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        TNestRecord back;
        const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
        const short code = readBytes(back, cut);
        EXPECT_TRUE(code == bsBlockTooShort || code >= bsFatal) << size << " -> " << code;
    }
}

TEST(NestRecord, FailureInsideARawStreamNamesItsMember)
{
    TNestRecord record;
    auto bytes = toBytes(record);
    // Make the raw stream block claim 16 MB.
    const std::size_t data = bytes.size() - 4;
    bytes[data + 1] = 0xFF;
    bytes[data + 2] = 0xFF;
    bytes[data + 3] = 0xFF;
    TMemoryStream stream(bytes);
    TBinaryFilter filter(&stream, boNoFileHeader);
    EXPECT_EQ(filter.Read("BO", &record), bsFileTooShort);
    EXPECT_EQ(MessageText(filter.GetWorstMessage()), ":BO:Data: 1008 (File shorter than block size.)");
    EXPECT_EQ(record.Data.GetStream()->GetSize(), 0);
}
