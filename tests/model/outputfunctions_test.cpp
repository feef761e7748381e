#include <gtest/gtest.h>

#include <cstring>

#include "adaptrecorder.h"
#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/outputfunctions.h"
#include "recordinghost.h"

namespace kvr::model {
namespace {

std::string Label(const std::array<char, 10>& label) { return std::string(label.data(), strnlen(label.data(), 10)); }

class OutputRecords : public ::testing::Test {
protected:
    test::RecordingHost host;
    test::AdaptRecorder adapt;
    TDevice dev;
};

TEST_F(OutputRecords, NewOutputFunction)
{
    AddOutputFunction(dev);
    AddOutputFunction(dev);
    AddOutputFunction(dev);
    EXPECT_EQ(dev.Header()[dh::OutFktCount], 3);
    EXPECT_EQ(dev.GetData(stOutFkt).size(), 66u);
    TOutputFunction f;
    ASSERT_EQ(GetOutputFunction(dev, 2, f), 1);
    EXPECT_EQ(Label(f.Label), "OutFkt 3");
    ASSERT_EQ(f.Cond.size(), 1u);
    EXPECT_EQ(f.Cond[0].ConditionID, 0);
    EXPECT_EQ(f.Cond[0].Tail, (std::array<std::uint8_t, 4>{}));
    EXPECT_EQ(GetOutputFunction(dev, 3, f), 0);
    EXPECT_EQ(GetOutputFunction(dev, -1, f), 0);
}

TEST_F(OutputRecords, ConditionRowsAreStoredExactly)
{
    AddOutputFunction(dev);
    AddOutputFunction(dev);
    TOutputFunction f;
    GetOutputFunction(dev, 0, f);
    f.Cond = {{0xC3A1, 0x4002, 0x2105, {0x05, 0xFF, 0xAB, 0xCD}}, {1, 2, 3, {}}, {4, 5, 6, {1, 0, 0, 1}}};
    SetOutputFunction(dev, 0, f);
    const auto payload = dev.GetData(stOutFkt);
    ASSERT_EQ(payload.size(), 42u + 22u);
    EXPECT_EQ(payload[10], 3);
    EXPECT_EQ(payload[11], 0);
    const std::vector<std::uint8_t> row0(payload.begin() + 12, payload.begin() + 22);
    EXPECT_EQ(row0, (std::vector<std::uint8_t>{0xC3, 0xA1, 0x40, 0x02, 0x21, 0x05, 0x05, 0xFF, 0xAB, 0xCD}));
    TOutputFunction back;
    ASSERT_EQ(GetOutputFunction(dev, 0, back), 1);
    EXPECT_EQ(back.Cond[0].Tail, f.Cond[0].Tail);
    EXPECT_EQ(back.Cond[2].Source2, 6);
    ASSERT_EQ(GetOutputFunction(dev, 1, back), 1);
    EXPECT_EQ(Label(back.Label), "OutFkt 2");

    MoveOutputFunctionCondition(dev, 0, 2, 0);
    GetOutputFunction(dev, 0, back);
    EXPECT_EQ(back.Cond[0].ConditionID, 4);
    EXPECT_EQ(back.Cond[1].ConditionID, 0xC3A1);
    EXPECT_EQ(back.Cond[2].ConditionID, 1);

    // An index past the end changes nothing.
    const auto before = dev.GetData(stOutFkt);
    SetOutputFunction(dev, 5, f);
    MoveOutputFunctionCondition(dev, 0, 3, 0);
    EXPECT_EQ(dev.GetData(stOutFkt), before);
}

TEST_F(OutputRecords, DeleteOutputFunctionAdaptsReferences)
{
    AddOutputFunction(dev);
    AddOutputFunction(dev);
    DeleteOutputFunction(dev, 0);
    EXPECT_EQ(dev.Header()[dh::OutFktCount], 1);
    EXPECT_EQ(adapt.calls, std::vector<std::string>{"audio 17152 0"});
    TOutputFunction f;
    ASSERT_EQ(GetOutputFunction(dev, 0, f), 1);
    EXPECT_EQ(Label(f.Label), "OutFkt 2");
    EXPECT_TRUE(dev.FAudioSourcesChanged);
}

TEST_F(OutputRecords, DamagedOutputFunctionsAreReadBounded)
{
    // A record announcing 200 conditions in 30 bytes.
    std::vector<std::uint8_t> damaged(30, 0);
    damaged[10] = 200;
    dev.SetData(stOutFkt, damaged);
    TOutputFunction f;
    EXPECT_EQ(GetOutputFunction(dev, 0, f), 0);
    SetOutputFunction(dev, 0, f);
    MoveOutputFunctionCondition(dev, 0, 0, 1);
    EXPECT_EQ(dev.GetData(stOutFkt), damaged);
}

TEST_F(OutputRecords, NewFixedProcessing)
{
    EXPECT_EQ(AddFixedProcessing(dev), 1);
    EXPECT_EQ(AddFixedProcessing(dev), 2);
    const auto payload = dev.GetData(stProc);
    ASSERT_EQ(payload.size(), 28u);
    TFixedProcessing p;
    ASSERT_EQ(GetFixedProcessing(dev, 1, p), 1);
    EXPECT_EQ(Label(p.Label), "Proc 2");
    EXPECT_TRUE(p.IsStereo());
    EXPECT_TRUE(p.Functions.empty());
}

TEST_F(OutputRecords, FixedProcessingLayout)
{
    AddFixedProcessing(dev);
    TFixedProcessing p;
    GetFixedProcessing(dev, 0, p);
    p.Source = 0x0304;
    p.Functions = {{10, 1, {0x000503E8}}, {35, 4, {0, 0x01000000, 0x02000000, 0x03000000}}};
    SetFixedProcessing(dev, 0, p);
    const auto payload = dev.GetData(stProc);
    ASSERT_EQ(payload.size(), 38u);
    EXPECT_EQ(readBE16(payload, 10), 0x0304);
    EXPECT_EQ(payload[13], 2);
    EXPECT_EQ(payload[14], 10);
    EXPECT_EQ(payload[15], 1);
    EXPECT_EQ(readBE32(payload, 16), 0x000503E8u);
    EXPECT_EQ(payload[20], 35);
    EXPECT_EQ(readBE32(payload, 34), 0x03000000u);
    EXPECT_EQ(CalcFixedProcesSize(payload, 1), 38u);

    MoveFixedProcessingFunction(dev, 0, 1, 0);
    TFixedProcessing back;
    GetFixedProcessing(dev, 0, back);
    ASSERT_EQ(back.Functions.size(), 2u);
    EXPECT_EQ(back.Functions[0].Code, 35);
    EXPECT_EQ(back.Functions[0].Params[3], 0x03000000u);
    EXPECT_EQ(back.Functions[1].Code, 10);
}

TEST_F(OutputRecords, StereoAdaptationOnlyWhenAStereoProcessingTurnsMono)
{
    AddFixedProcessing(dev);
    AddFixedProcessing(dev);
    TFixedProcessing p;
    GetFixedProcessing(dev, 1, p);
    p.Flags = 0;
    SetFixedProcessing(dev, 1, p);
    SetFixedProcessing(dev, 1, p);
    EXPECT_EQ(adapt.calls, std::vector<std::string>{"stereo 18434"});
    DeleteFixedProcessing(dev, 0);
    EXPECT_EQ(adapt.calls.back(), "audio 18432 0");
    EXPECT_EQ(dev.Header()[dh::FixedProcCount], 1);
}

TEST_F(OutputRecords, OldProcessingsAreDroppedAtTheFirstRead)
{
    AddFixedProcessing(dev);
    dev.SetData(stOldProc, std::vector<std::uint8_t>(20, 7));
    TFixedProcessing p;
    EXPECT_EQ(GetFixedProcessing(dev, 0, p), 0);
    EXPECT_EQ(dev.Header()[dh::FixedProcCount], 0);
    std::vector<std::uint8_t> old;
    EXPECT_FALSE(dev.GetData(stOldProc, old));
}

TEST_F(OutputRecords, OversizedChainsAreClampedInMemory)
{
    // Twelve functions of eleven parameters each: 14 + 12 x 46 bytes.
    std::vector<std::uint8_t> record(14, 0);
    record[13] = 12;
    for (int f = 0; f < 12; ++f) {
        record.push_back(10);
        record.push_back(11);
        for (int k = 0; k < 11; ++k) {
            const std::uint8_t b = static_cast<std::uint8_t>(k);
            record.insert(record.end(), {0, 0, 0, b});
        }
    }
    dev.SetData(stProc, record);
    auto header = dev.GetHeader();
    header[dh::FixedProcCount] = 1;
    dev.SetHeader(header, false);
    TFixedProcessing p;
    ASSERT_EQ(GetFixedProcessing(dev, 0, p), 1);
    EXPECT_EQ(p.Functions.size(), 10u);
    EXPECT_EQ(p.Functions[9].ParamCount, 10);
    EXPECT_EQ(p.Functions[9].Params[9], 9u);
    EXPECT_EQ(dev.GetData(stProc), record);
    // A truncated record is not taken.
    record.resize(record.size() - 3);
    dev.SetData(stProc, record);
    EXPECT_EQ(GetFixedProcessing(dev, 0, p), 0);
    EXPECT_EQ(CalcFixedProcesSize(record, 1), 0u);
}

TEST_F(OutputRecords, DummyDeviceIsReadOnly)
{
    auto header = dev.GetHeader();
    header[dh::DummyDevModel] = 27;
    dev.SetHeader(header, false);
    const auto image = dev.GetAllData();
    AddOutputFunction(dev);
    EXPECT_EQ(AddFixedProcessing(dev), 0);
    DeleteOutputFunction(dev, 0);
    EXPECT_EQ(dev.GetAllData(), image);
}

} // namespace
} // namespace kvr::model
