#include "model/cardtypetable.h"
#include "model/channelname.h"
#include "model/dspfunctioncatalogue.h"
#include "model/modelutil.h"
#include "model/sourceids.h"

#include <gtest/gtest.h>

using namespace kvr::model;

namespace {

TEST(SourceIds, LogicCategories)
{
    const std::pair<std::uint32_t, int> cases[] = {
        {0, lsNone}, {1, lsKey}, {384, lsKey}, {385, lsGPI}, {1280, lsGlobalLogic}, {1281, lsSystem},
        {1365, lsSystem}, {2235, lsFaderFunctionFader}, {2236, -1}, {MovePlaceholderID, -1}, {OffLogicID, -1}};
    for (const auto& [id, category] : cases)
        EXPECT_EQ(category, GetLogicCategory(id)) << id;
}

TEST(SourceIds, AudioCategories)
{
    const std::pair<std::uint32_t, int> cases[] = {{0, asNone}, {255, asNone}, {256, asSlotChannel}, {16385, asPFL},
                                                   {16386, asProgramBus}, {17152, asOutFkt}, {20735, asRouting},
                                                   {20736, -1}};
    for (const auto& [id, category] : cases)
        EXPECT_EQ(category, GetAudioCategory(id)) << id;
}

TEST(SourceIds, ReferencesCompareUnderTheirMasks)
{
    EXPECT_TRUE(SameLogicSource(lcOn | 931, lcOff | 931));
    EXPECT_EQ(lcPulseOnActivate | 1000, ReplaceLogicSource(lcPulseOnActivate | 931, 1000));
    EXPECT_TRUE(SameAudioSource(0x4002 | arStereo | arPhaseReverse, 0x4002));
    EXPECT_FALSE(SameAudioSource(0x4002, 0x4003));
    EXPECT_TRUE(SameStereoSource(0x4002, 0x4003));
    EXPECT_STREQ("Power Fail Salve", GetSystemSignalName(1298));
    EXPECT_EQ(nullptr, GetSystemSignalName(1300));
}

TEST(ChannelNames, IdsAndNames)
{
    EXPECT_EQ(0x2305, MakeChannelID(2, 5, 0x2000));
    struct Case {
        int id;
        int cardType;
        bool twoDigit;
        const char* name;
    };
    const Case cases[] = {
        {0x4005, 0, false, "PGM2"},
        {0x4000, 0, false, "PFL1"},
        {0x4000 | 17152, 0, false, "OF1"},
        {0x0304, 111, false, "3.3.01"},
        {0x0340, 111, false, "GPI3.1.01"},
        {0x0300, 111, true, "03.01.01"},
        {0x2302, 111, false, "3.2.01 - 02"},
        {0x03C0, 111, false, "GPO3.1.01"},
        {0x0342, 122, false, "ACI 3.2.01"},
        {0x0381, 122, false, "3.2.02"},
        {0x0302, 123, false, "3.2.01"},
        {0x0343, 123, false, "GPI3.1.02"},
        {0x0384, 311, false, "GPO3.2.00"},
        {0x0301, 311, true, "GPI03.01.01"},
        {0x0A05, 848, true, "10.01.06"},
        {0x2A45, 848, false, "10.02.05 - 06"},
        {0x0300, 0, false, "None"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.name, GetChannelName(c.id, c.cardType, c.twoDigit)) << std::hex << c.id << " card " << std::dec << c.cardType;
}

TEST(Helpers, BytesAndText)
{
    EXPECT_EQ("007", ZeroPad("7", 3));
    EXPECT_EQ("1234", ZeroPad("1234", 3));
    EXPECT_EQ(0x3412, Swap16(0x1234));
    EXPECT_EQ(0x78563412u, Swap32(0x12345678));
    const std::uint8_t bytes[] = {0x12, 0x34, 0x56, 0x78};
    EXPECT_EQ(0x12345678u, ReadBigEndian32(bytes));
    const int list[] = {3, 5, 9};
    EXPECT_EQ(1, IsInList(5, list, 3));
    EXPECT_EQ(0, IsInList(9, list, 2));
}

TEST(CardTypes, TextsByIndexAndByType)
{
    EXPECT_EQ("KX730-311", GetCardTypeText(13, 3));
    EXPECT_EQ("KX730-311", GetCardTypeText(311, 3));
    EXPECT_EQ("94..253VAC", GetCardTypeText(100, 1));
    EXPECT_EQ("", GetCardTypeText(999, 0));
    EXPECT_EQ("KX730-848L", GetCardTypeText(848, 3)); // the first 848 row
    EXPECT_EQ("Communicaton", GetCardTypeText(8, 0));
}

TEST(DSPFunctions, CatalogueByCode)
{
    TDSPFunctionInfo info;
    ASSERT_EQ(1, GetDSPFunctionInfo(16, info));
    EXPECT_STREQ("Expander", info.Name.data());
    EXPECT_EQ(14, info.BaseCode);
    EXPECT_EQ(0x00000F60u, info.DefaultParams[0]);

    ASSERT_EQ(1, GetDSPFunctionInfo(35, info));
    EXPECT_EQ(4, info.ParamCount);
    EXPECT_EQ(365, info.Cycles);
    EXPECT_EQ(0x03000000u, info.DefaultParams[3]);

    ASSERT_EQ(1, GetDSPFunctionInfo(0, info));
    EXPECT_STREQ("rUvi", info.Name.data());
    ASSERT_EQ(1, GetDSPFunctionInfo(40, info));
    EXPECT_STREQ("90\xB0 Filter", info.Name.data());
    ASSERT_EQ(1, GetDSPFunctionInfo(41, info));
    EXPECT_EQ(255, info.MaxInChain);

    EXPECT_EQ(0, GetDSPFunctionInfo(99, info));
    EXPECT_STREQ("unknown", info.Name.data());
    EXPECT_EQ(0, info.Cycles);
    EXPECT_EQ(0, GetDSPFunctionInfo(-1, info));
}

} // namespace
