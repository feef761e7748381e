// A request's send and the read of its answer carried as one exchange: what each call answers
// stays that of the two calls made one after the other.

#include <gtest/gtest.h>

#include <deque>

#include "commserver/rpcclient.h"

namespace {

using namespace kvr::commserver;

// A transport that carries both calls at once, as the proxy does, with scripted replies; every
// call it sees is recorded.
class PairedTransport : public RpcClientBase {
public:
    std::deque<RpcReply> replies;
    std::vector<RpcMethod> calls;

protected:
    RpcReply transact(RpcMethod method, RpcValues, std::int32_t) override
    {
        calls.push_back(method);
        RpcReply r = replies.front();
        replies.pop_front();
        return r;
    }
    void transactBoth(RpcMethod first, RpcValues, RpcMethod second, RpcValues, std::int32_t, RpcReply& firstReply,
                      std::optional<RpcReply>& secondReply) override
    {
        calls.push_back(first);
        calls.push_back(second);
        firstReply = replies.front();
        replies.pop_front();
        secondReply = replies.front();
        replies.pop_front();
    }
};

RpcReply sendReply(std::int32_t result) { return RpcReply{HrOk, {result}}; }
RpcReply readReply(Bytes block, std::int32_t result) { return RpcReply{HrOk, {std::move(block), result}}; }

TEST(SendBlockThenRead, AnswersAsTheTwoCallsWould)
{
    struct Case {
        const char* what;
        RpcReply sent;
        RpcReply read;
        HResult hr;
        std::int32_t sendResult;
        HResult readHr;
        std::int32_t readResult;
        Bytes answer;
        bool heldForNextRead;
    };
    const Bytes block{1, 2, 3};
    const Case cases[] = {
        {"answered", sendReply(ResultOk), readReply(block, ResultOk), HrOk, ResultOk, HrOk, ResultOk, block, false},
        {"no answer in time", sendReply(ResultOk), readReply({}, ResultNothingQueued), HrOk, ResultOk, HrOk,
         ResultNothingQueued, {}, false},
        // The read went along although the send failed: as if it was never made, and the block it
        // took from the queue is the next read's.
        {"send refused, a block was queued", sendReply(ResultReconnecting), readReply(block, ResultOk), HrOk,
         ResultReconnecting, HrReadNotMade, ResultNothingQueued, {}, true},
        {"send refused, nothing queued", sendReply(ResultNotConnected), readReply({}, ResultNothingQueued), HrOk,
         ResultNotConnected, HrReadNotMade, ResultNothingQueued, {}, false},
        {"server gone", RpcReply{HrServerUnavailable, {}}, RpcReply{HrServerUnavailable, {}}, HrServerUnavailable, -1,
         HrReadNotMade, ResultNothingQueued, {}, false},
    };
    for (const Case& c : cases) {
        PairedTransport server;
        server.replies = {c.sent, c.read};
        std::int32_t sendResult = -1, readResult = -1;
        HResult readHr = 0;
        Bytes answer;
        EXPECT_EQ(server.SendBlockThenRead(7, Bytes{9}, sendResult, 100, answer, readResult, readHr), c.hr) << c.what;
        EXPECT_EQ(sendResult, c.sendResult) << c.what;
        EXPECT_EQ(readHr, c.readHr) << c.what;
        EXPECT_EQ(readResult, c.readResult) << c.what;
        EXPECT_EQ(answer, c.answer) << c.what;

        // The next read of the handle: the held block without asking the server, else the server.
        server.calls.clear();
        server.replies = {readReply({}, ResultNothingQueued)};
        Bytes next;
        std::int32_t result = -1;
        EXPECT_EQ(server.ReadBlockEx2(7, 100, next, result), HrOk) << c.what;
        EXPECT_EQ(server.calls.empty(), c.heldForNextRead) << c.what;
        EXPECT_EQ(next, c.heldForNextRead ? block : Bytes{}) << c.what;
        EXPECT_EQ(result, c.heldForNextRead ? ResultOk : ResultNothingQueued) << c.what;
    }
}

TEST(SendBlockThenRead, AHeldBlockGoesWithTheConnection)
{
    PairedTransport server;
    server.replies = {sendReply(ResultReconnecting), readReply({5}, ResultOk), sendReply(ResultOk)};
    std::int32_t sendResult = -1, readResult = -1, closed = -1;
    HResult readHr = 0;
    Bytes answer;
    server.SendBlockThenRead(7, Bytes{9}, sendResult, 100, answer, readResult, readHr);
    server.CloseConnection(7, closed);
    // The server emptied the handle's queue on closing; so is what was held for it.
    server.replies = {readReply({}, ResultNothingQueued)};
    server.calls.clear();
    Bytes next;
    std::int32_t result = -1;
    server.ReadBlock2(7, next, result);
    EXPECT_EQ(server.calls, std::vector<RpcMethod>{RpcMethod::ReadBlock2});
    EXPECT_EQ(result, ResultNothingQueued);
}

} // namespace
