#include <gtest/gtest.h>

#include "commserver/deviceframe.h"
#include "commserver/fakecommserver.h"

namespace {

using namespace kvr::commserver;

TEST(FakeCommServer, AnswersLikeTheServerAndRecordsTheCalls)
{
    FakeCommServer fake;
    fake.onSendBlock = [&fake](std::int32_t H, const Bytes& b) {
        const auto f = frameFromClientBlock(b);
        fake.deliverBlock(H, clientBlockFromFrame(makeDeviceFrame(f->id, Bytes{1})));
    };
    std::int32_t result = -1;
    const Bytes request = clientBlockFromFrame(makeDeviceFrame(0x112E0000, {}));
    EXPECT_EQ(fake.SendBlock(1, request, result), HrOk);
    EXPECT_EQ(result, ResultNotConnected);
    EXPECT_EQ(fake.OpenTCPConnection(1, "127.0.0.1", 2008, result), HrOk);
    EXPECT_EQ(result, ResultOk);
    EXPECT_EQ(fake.SetFilter(1, 0x112E0000, static_cast<std::int32_t>(0xFFFF0000u), result), HrOk);
    EXPECT_EQ(fake.SendBlock(1, request, result), HrOk);
    EXPECT_EQ(result, ResultOk);
    EXPECT_EQ(fake.SendBlock(1, clientBlockFromFrame(makeDeviceFrame(0x1A000001, {})), result), HrOk);
    EXPECT_EQ(fake.queuedBlocks(1), 1u) << "the filter keeps the other class out";
    Bytes b;
    EXPECT_EQ(fake.ReadBlock2(1, b, result), HrOk);
    EXPECT_EQ(result, ResultOk);
    EXPECT_EQ(frameFromClientBlock(b)->id, 0x112E0000u);
    EXPECT_EQ(fake.ReadBlockEx2(1, 100, b, result), HrOk);
    EXPECT_EQ(result, ResultNothingQueued);
    EXPECT_EQ(fake.sentBlocks(1).size(), 2u);

    fake.scriptResults(RpcMethod::SendBlock, {10, 3});
    EXPECT_EQ(fake.SendBlock(1, request, result), HrOk);
    EXPECT_EQ(result, ResultReconnecting);
    EXPECT_EQ(fake.SendBlock(1, request, result), HrOk);
    EXPECT_EQ(result, ResultNoConnection);
    EXPECT_EQ(fake.sentBlocks(1).size(), 2u) << "scripted failures send nothing";

    fake.setResponding(false);
    std::int32_t version = 0;
    EXPECT_LT(fake.GetVersion(version), 0);
    EXPECT_EQ(fake.calls().back().method, RpcMethod::GetVersion);
}

} // namespace
