// The structure description of records.
#include "testrecords.h"

#include "kvrdata/structinfofilter.h"

#include <gtest/gtest.h>

using namespace kvrtest;

namespace {

std::string describe(TBlockObject& Root, const char* Name = "DPF")
{
    TMemoryStream out;
    TStructInfoFilter filter(&out);
    filter.Write(Name, &Root);
    return std::string(out.Bytes().begin(), out.Bytes().end());
}

} // namespace

TEST(StructInfo, HeaderAndOneStructurePerClass)
{
    TAddrRecord record;
    const std::string text = describe(record);
    EXPECT_EQ(text.rfind("// each file starts with:   \nstruct TFileInfo {   \n"
                         "   uint FileID; // \"DPF\" for projects, \"DPD\" for devices, \"DPG\" for global data\n"
                         "   uint CordexVersion; // Cordex version\n",
                         0),
              0u);
    EXPECT_NE(text.find("   word Size; //size of following block without this header   \n};   \n"), std::string::npos);
    const std::string body = "struct TBlockObject  { \n"
                             "   TBlockInfo BlockInfo; \n"
                             "   uint IP; \n"
                             "   uint MAC; \n"
                             "   uint PID; \n"
                             "   uint DID; \n"
                             "   TBString<10> Name; // Size: 10\n"
                             "   int CK; \n"
                             "   byte COMPort; \n"
                             "   TBVarString<50> Server; // first byte contains size of following data\n"
                             "   TBString<3> Client; // Size: 3\n"
                             "   uint FirmwareVersion; \n"
                             "};   \n"
                             "   \n";
    EXPECT_EQ(text.substr(text.size() - body.size()), body);
}

TEST(StructInfo, NestedRecordShowsGroupsSampleElementsAndStreams)
{
    TNestRecord record;
    const std::string text = describe(record);
    // An empty vector gains one sample element to describe.
    EXPECT_EQ(record.Elems.Size(), 1);
    for (const char* line : {"struct TBOVector<TElem>  { \n",
                             "   TElem Elem; // object is NOT optional, ID = 0\n",
                             "struct TBlockStream  { \n",
                             "   TStream Stream; \n",
                             "   // begin of sub block with ID = 1 ; \n",
                             "   TBlockInfo BlockInfo; \n   word Word; \n   short Short; \n   __int64 Wide; \n",
                             "   double Real; \n   bool Flag; \n   uint Hex; // Size: 4\n   // end of sub block ; \n",
                             "   TBOVector<TElem> Elems; // object is NOT optional, ID = 0\n",
                             "   TBlockStream Data; // object is NOT optional, ID = 0\n",
                             "struct TElem  { \n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
    // Absent optional members print nothing; each class once, in name order.
    EXPECT_EQ(text.find("Opt;"), std::string::npos);
    EXPECT_LT(text.find("struct TBOVector<TElem>"), text.find("struct TBlockStream"));
    EXPECT_LT(text.find("struct TBlockStream"), text.find("struct TElem"));
    EXPECT_LT(text.find("struct TElem"), text.find("struct TNestRecord"));
    EXPECT_EQ(text.find("struct TElem"), text.rfind("struct TElem"));

    record.Opt = new TElem(&record);
    EXPECT_NE(describe(record).find("   TElem Opt; // object is optional, ID = 5\n"), std::string::npos);
}

TEST(StructInfo, FixedSizeAndBigSizeLines)
{
    class TFixed : public TBlockObject {
    public:
        TFixed() : TBlockObject(nullptr) {}
        std::string GetClassName() const override { return "TFixed"; }
        int GetFixedSize() const override { return 4; }
        void Describe(TBlockFilter* Filter) override
        {
            BeginValues(Filter, true);
            Filter->Transfer("V", &V);
            EndValues(Filter);
        }
        unsigned V = 0;
    } fixed;
    const std::string text = describe(fixed);
    EXPECT_NE(text.find("struct TFixed  { \n"
                        "     // following BlockInfo contains NO Size element ; \n"
                        "     // this blocks size is always 4 ; \n"
                        "   TBlockInfo BlockInfo; \n"),
              std::string::npos);
    EXPECT_NE(text.find("     // the current block is a BigSize block ; \n"
                        "     // BigSize = Size + (BlockOption << 16) ; \n"),
              std::string::npos);
}
