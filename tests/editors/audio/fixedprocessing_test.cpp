#include <gtest/gtest.h>

#include "editors/audio/fixedprocessing.h"
#include "model/outputfunctions.h"
#include "sourcefixture.h"

namespace kvr::editors::test {
namespace {

constexpr int kEQ = 10, kCompressor = 14, kSine = 31, kLimiter = 12;

// Processing 0 "Proc" is stereo on source 0, processing 1 "Mono" is mono.
class Processing : public SourceProject {
public:
    Processing() : page(project, 0) {}
    ProcessingFunction Offer(int type)
    {
        for (const auto& list : {FixedProcessingPage::StandardFunctions(), FixedProcessingPage::EnhancedFunctions()})
            for (const auto& f : list)
                if (f.Type == type)
                    return f;
        ADD_FAILURE() << "not offered: " << type;
        return {};
    }
    std::vector<int> Chain(int index)
    {
        ProcessingView view;
        EXPECT_TRUE(page.View(index, view));
        std::vector<int> types;
        for (const auto& f : view.Functions)
            types.push_back(f.Type);
        return types;
    }
    TFixedProcessing Read(int index)
    {
        TFixedProcessing proc;
        EXPECT_EQ(GetFixedProcessing(*dev, index, proc), 1);
        return proc;
    }

    FixedProcessingPage page;
};

TEST_F(Processing, OfferListsInTheirFixedOrderWithTheCataloguesMaxima)
{
    std::vector<std::pair<int, int>> standard, enhanced;
    for (const auto& f : FixedProcessingPage::StandardFunctions())
        standard.emplace_back(f.Type, f.Maximum);
    for (const auto& f : FixedProcessingPage::EnhancedFunctions())
        enhanced.emplace_back(f.Type, f.Maximum);
    EXPECT_EQ(standard, (std::vector<std::pair<int, int>>{{12, 1}, {30, 1}, {14, 1}, {16, 1}, {10, 4}, {31, 1}, {19, 1},
                                                          {11, 1}, {17, 1}, {18, 1}, {39, 1}, {21, 2}, {13, 1}}));
    EXPECT_EQ(enhanced, (std::vector<std::pair<int, int>>{{32, 1}, {34, 1}, {35, 1}, {36, 1}, {37, 1}, {40, 1}}));
    EXPECT_EQ(FixedProcessingPage::EnhancedFunctions()[0].Name, "Enhancer");
}

TEST_F(Processing, TypeAndChainLimits)
{
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(page.AddFunction(0, Offer(kEQ), -1), "");
    EXPECT_EQ(page.AddFunction(0, Offer(kEQ), -1), "Max. 4 functions of this type allowed!");
    EXPECT_EQ(Chain(0).size(), 4u);
    EXPECT_EQ(page.AddFunction(0, Offer(kLimiter), -1), "");
    EXPECT_EQ(page.AddFunction(0, Offer(kLimiter), -1), "Max. 1 functions of this type allowed!");
    for (const int type : {30, 14, 16, 31})
        EXPECT_EQ(page.AddFunction(0, Offer(type), -1), "");
    ASSERT_EQ(Chain(0).size(), 9u);
    EXPECT_EQ(page.AddFunction(0, Offer(19), 0), "");
    // Ten: a type not yet present is refused with the chain's message.
    EXPECT_EQ(page.AddFunction(0, Offer(13), -1), "Max. 10 functions allowed!");
    const std::vector<int> chain = Chain(0);
    EXPECT_EQ(chain.size(), 10u);
    EXPECT_EQ(chain.front(), 19) << "row 0 inserts before the first";
}

TEST_F(Processing, ExceededLimitsRefuseAddingButNotRemovingOrMoving)
{
    page.AddFunction(0, Offer(kEQ), -1);
    page.AddFunction(0, Offer(kCompressor), -1);
    for (const std::uint32_t bit : {0x04u, 0x10u}) {
        dev->FLimitExceeded = bit;
        EXPECT_FALSE(page.CanAddFunction());
        EXPECT_EQ(page.AddFunction(0, Offer(kSine), -1), "");
        EXPECT_EQ(Chain(0), (std::vector<int>{kEQ, kCompressor}));
    }
    dev->FLimitExceeded = 0x04;
    page.MoveFunction(0, 1, 0);
    EXPECT_EQ(Chain(0), (std::vector<int>{kCompressor, kEQ}));
    dev->FLimitExceeded = 0x04;
    page.RemoveFunction(0, 0);
    EXPECT_EQ(Chain(0), (std::vector<int>{kEQ}));
    dev->FLimitExceeded = 0x02; // another limit does not stop adding
    EXPECT_TRUE(page.CanAddFunction());
}

TEST_F(Processing, NewFunctionStoresTypeCountAndDefaultsBigEndian)
{
    const int index = page.AddProcessing();
    ASSERT_EQ(index, 2);
    page.AddFunction(index, Offer(kEQ), -1);
    page.AddFunction(index, Offer(35), -1);
    const auto payload = dev->GetData(stProc);
    const auto records = WalkFixedProcessings(payload, 3);
    ASSERT_EQ(records.size(), 3u);
    const std::vector<std::uint8_t> record(payload.begin() + static_cast<std::ptrdiff_t>(records[2].offset),
                                           payload.begin() + static_cast<std::ptrdiff_t>(records[2].offset + records[2].length));
    const std::vector<std::uint8_t> expected{'P', 'r', 'o', 'c', ' ', '3', 0, 0, 0, 0, 0, 0, 0x80, 2,
                                             kEQ, 1, 0x00, 0x05, 0x03, 0xE8,
                                             35, 4, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0};
    EXPECT_EQ(record, expected);
}

TEST_F(Processing, SeventyTwoProcessingsAtMost)
{
    while (page.Labels().size() < 71u)
        ASSERT_GE(page.AddProcessing(), 0);
    EXPECT_TRUE(page.CanAddProcessing());
    EXPECT_EQ(page.AddProcessing(), 71);
    EXPECT_EQ(page.Labels().back(), "Proc 72");
    EXPECT_FALSE(page.CanAddProcessing());
    EXPECT_EQ(page.AddProcessing(), -1);
    EXPECT_EQ(page.Labels().size(), 72u);
    page.RemoveProcessing(5);
    EXPECT_TRUE(page.CanAddProcessing());
}

TEST_F(Processing, StereoTakesTheEvenChannelAndOffKeepsTheSource)
{
    TFixedProcessing proc = Read(1);
    proc.Source = 0x8000 | 0x6003;
    SetFixedProcessing(*dev, 1, proc);
    page.SetStereo(1, true);
    EXPECT_EQ(Read(1).Source, 0x8000 | 0x6002);
    EXPECT_TRUE(Read(1).IsStereo());
    ProcessingView view;
    ASSERT_TRUE(page.View(1, view));
    EXPECT_TRUE(view.Stereo);
    EXPECT_NE(view.SourceText.find(" + "), std::string::npos) << view.SourceText;
    page.SetStereo(1, false);
    EXPECT_EQ(Read(1).Source, 0x8000 | 0x6002);
    EXPECT_FALSE(Read(1).IsStereo());
    ASSERT_TRUE(page.View(1, view));
    EXPECT_EQ(view.SourceText.find(" + "), std::string::npos) << view.SourceText;
}

TEST_F(Processing, LabelIsTenZeroPaddedBytes)
{
    page.SetLabel(0, "A much longer label");
    EXPECT_EQ(page.Labels()[0], "A much lon");
    page.SetLabel(0, "");
    EXPECT_EQ(Read(0).Label, (std::array<char, 10>{}));
    EXPECT_EQ(page.Labels()[0], "");
}

class FakeEditor : public DspParamEditor {
public:
    bool Edit(int Type, DspWords& Words) override
    {
        type = Type;
        seen = Words;
        if (!ok)
            Words.fill(0xFFFFFFFF); // turned around, then cancelled
        else
            Words = result;
        return ok;
    }
    bool ok = false;
    int type = 0;
    DspWords seen{}, result{};
};

TEST_F(Processing, ParametersAreWrittenBackOnlyOnOk)
{
    page.AddFunction(0, Offer(kEQ), -1);
    page.AddFunction(0, Offer(kSine), -1);
    dev->SetChangedFlag(false);
    const auto image = dev->GetAllData();
    FakeEditor editor;
    EXPECT_FALSE(page.EditFunction(0, 1, editor));
    EXPECT_EQ(editor.type, kSine);
    EXPECT_EQ(editor.seen[0], 0x000003E8u);
    EXPECT_EQ(dev->GetAllData(), image);
    EXPECT_FALSE(dev->IsChanged());

    editor.ok = true;
    editor.result = {0x12345678, 0x9};
    EXPECT_TRUE(page.EditFunction(0, 1, editor));
    EXPECT_EQ(Read(0).Functions[1].Params[0], 0x12345678u);
    EXPECT_EQ(Read(0).Functions[1].ParamCount, 1) << "only the function's own words are stored";
    EXPECT_EQ(Read(0).Functions[0].Params[0], 0x000503E8u);
    EXPECT_FALSE(page.EditFunction(0, 2, editor)) << "no such row";
}

} // namespace
} // namespace kvr::editors::test
