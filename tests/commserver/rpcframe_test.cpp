#include <gtest/gtest.h>

#include "commserver/rpcframe.h"
#include "kvrdata/byteorder.h"

namespace {

using namespace kvr::commserver;

RpcValues sampleValues(const char* signature)
{
    RpcValues values;
    int n = 0;
    for (const char* s = signature; *s; ++s, ++n) {
        if (*s == 'i')
            values.emplace_back(std::int32_t{-1000 * n - 7});
        else if (*s == 's')
            values.emplace_back(std::string("host-") + std::to_string(n));
        else
            values.emplace_back(Bytes{0xC0, 0x00, static_cast<std::uint8_t>(n), 0xFF});
    }
    return values;
}

TEST(RpcFrame, EveryMethodsCallAndReplySurviveTheRoundTripByteByByte)
{
    for (std::uint8_t m = 1; m <= RpcMethodCount; ++m) {
        const RpcMethodInfo* info = rpcMethodInfo(m);
        ASSERT_NE(info, nullptr);
        for (const RpcKind kind : {RpcKind::Call, RpcKind::Reply}) {
            RpcFrame frame;
            frame.kind = kind;
            frame.method = static_cast<RpcMethod>(m);
            frame.callNumber = 0x01020304u + m;
            frame.values = sampleValues(kind == RpcKind::Call ? info->inputs : (std::string("i") + info->outputs).c_str());
            const Bytes bytes = encodeRpcFrame(frame);

            RpcFrameReader reader;
            RpcFrame out;
            for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
                reader.append({&bytes[i], 1});
                ASSERT_EQ(reader.next(out), RpcFrameReader::Status::NeedMore) << info->name << " at " << i;
            }
            reader.append({&bytes.back(), 1});
            ASSERT_EQ(reader.next(out), RpcFrameReader::Status::Frame) << info->name;
            EXPECT_EQ(out.kind, kind);
            EXPECT_EQ(out.method, frame.method);
            EXPECT_EQ(out.callNumber, frame.callNumber);
            EXPECT_EQ(out.values, frame.values) << info->name;
            EXPECT_EQ(reader.buffered(), 0u);
        }
    }
}

TEST(RpcFrame, HeaderLayout)
{
    RpcFrame frame;
    frame.kind = RpcKind::Call;
    frame.method = RpcMethod::SendBlock;
    frame.callNumber = 9;
    frame.values = {std::int32_t{0x11223344}, Bytes{0xAA, 0xBB}};
    EXPECT_EQ(encodeRpcFrame(frame), (Bytes{'K', 'C', 1, 8, 0, 0, 0, 9, 0, 0, 0, 10, 0x11, 0x22, 0x33, 0x44, 0, 0, 0, 2, 0xAA, 0xBB}));
}

TEST(RpcFrame, TwoFramesInOneChunkComeOutInOrder)
{
    RpcFrame a;
    a.method = RpcMethod::GetVersion;
    a.callNumber = 1;
    RpcFrame b;
    b.method = RpcMethod::ReadBlock2;
    b.callNumber = 2;
    b.values = {std::int32_t{5}};
    Bytes both = encodeRpcFrame(a);
    const Bytes second = encodeRpcFrame(b);
    both.insert(both.end(), second.begin(), second.end());
    RpcFrameReader reader;
    reader.append(both);
    RpcFrame out;
    ASSERT_EQ(reader.next(out), RpcFrameReader::Status::Frame);
    EXPECT_EQ(out.callNumber, 1u);
    ASSERT_EQ(reader.next(out), RpcFrameReader::Status::Frame);
    EXPECT_EQ(out.callNumber, 2u);
    EXPECT_EQ(reader.next(out), RpcFrameReader::Status::NeedMore);
}

TEST(RpcFrame, GarbageFailsTheReaderForGood)
{
    const std::vector<std::pair<const char*, Bytes>> cases{
        {"wrong magic", {'X'}},
        {"wrong second magic byte", {'K', 'X'}},
        {"unknown kind", {'K', 'C', 3}},
        {"method 0", {'K', 'C', 1, 0}},
        {"method past the table", {'K', 'C', 1, RpcMethodCount + 1}},
        {"payload beyond the limit", {'K', 'C', 1, 3, 0, 0, 0, 1, 0x00, 0x40, 0x00, 0x01}},
        {"GetVersion with a stray byte", {'K', 'C', 1, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0}},
        {"ReadBlock2 without its handle", {'K', 'C', 1, 19, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0}},
        {"array longer than the payload", {'K', 'C', 1, 8, 0, 0, 0, 1, 0, 0, 0, 9, 0, 0, 0, 1, 0, 0, 0, 9, 1}},
        {"text longer than allowed", {'K', 'C', 1, 14, 0, 0, 0, 1, 0, 0, 0, 12, 0, 0, 0x10, 0x01, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& [name, bytes] : cases) {
        RpcFrameReader reader;
        reader.append(bytes);
        RpcFrame out;
        EXPECT_EQ(reader.next(out), RpcFrameReader::Status::Failed) << name;
        EXPECT_TRUE(reader.failed()) << name;
        reader.append(encodeRpcFrame(RpcFrame{}));
        EXPECT_EQ(reader.next(out), RpcFrameReader::Status::Failed) << name;
    }
}

} // namespace
