#include "commserver/rpcframe.h"

#include <array>

#include "commserver/streambuffer.h"
#include "kvrdata/byteorder.h"

namespace kvr::commserver {

namespace {

constexpr std::uint8_t Magic0 = 'K';
constexpr std::uint8_t Magic1 = 'C';

constexpr std::array<RpcMethodInfo, RpcMethodCount> Methods{{
    {"CloseConnection", "i", "i"},
    {"GetUDPStatus", "i", "i"},
    {"GetVersion", "", "i"},
    {"OpenSerialConnection", "ii", "i"},
    {"OpenTCPConnection", "isi", "i"},
    {"ReadBlock", "i", "bi"},
    {"ReadUDPBlock", "i", "bi"},
    {"SendBlock", "ib", "i"},
    {"SendUDPBlock", "ib", "i"},
    {"ReadBlockEx", "ii", "bi"},
    {"SetFilter", "iii", "i"},
    {"ReadUDPBroadCasts", "i", "bi"},
    {"OpenConnection", "ib", "i"},
    {"Ping", "si", "i"},
    {"SetLogging", "ii", "i"},
    {"LogText", "issi", "i"},
    {"AddKnownDevice", "ib", "i"},
    {"RemoveKnownDevice", "ib", "i"},
    {"ReadBlock2", "i", "bi"},
    {"ReadBlockEx2", "ii", "bi"},
    {"GetUDPStatusV6", "i", "i"},
    {"ReadUDPBlockV6", "i", "bi"},
    {"SendUDPBlockV6", "ib", "i"},
    {"ReadUDPBroadCastsV6", "i", "bi"},
    {"ReadOSBroadCasts", "i", "bi"},
    {"SendOSBroadCast", "ib", "i"},
}};

} // namespace

const RpcMethodInfo* rpcMethodInfo(std::uint8_t method)
{
    if (method < 1 || method > RpcMethodCount)
        return nullptr;
    return &Methods[method - 1];
}

Bytes encodeRpcFrame(const RpcFrame& frame)
{
    std::size_t size = RpcHeaderSize;
    for (const RpcValue& value : frame.values) {
        if (const auto* s = std::get_if<std::string>(&value))
            size += 4 + s->size();
        else if (const auto* b = std::get_if<Bytes>(&value))
            size += 4 + b->size();
        else
            size += 4;
    }
    Bytes out;
    out.reserve(size);
    ByteWriter w(out);
    w.u8(Magic0);
    w.u8(Magic1);
    w.u8(static_cast<std::uint8_t>(frame.kind));
    w.u8(static_cast<std::uint8_t>(frame.method));
    w.be32(frame.callNumber);
    w.be32(0); // payload length, patched below
    for (const RpcValue& value : frame.values) {
        if (const auto* i = std::get_if<std::int32_t>(&value)) {
            w.be32(static_cast<std::uint32_t>(*i));
        } else if (const auto* s = std::get_if<std::string>(&value)) {
            w.be32(static_cast<std::uint32_t>(s->size()));
            w.bytes({reinterpret_cast<const std::uint8_t*>(s->data()), s->size()});
        } else {
            const Bytes& b = std::get<Bytes>(value);
            w.be32(static_cast<std::uint32_t>(b.size()));
            w.bytes(b);
        }
    }
    writeBE32(out, 8, static_cast<std::uint32_t>(out.size() - RpcHeaderSize));
    return out;
}

std::optional<RpcValues> decodeRpcValues(std::span<const std::uint8_t> payload, std::string_view signature)
{
    ByteReader r(payload);
    RpcValues values;
    values.reserve(signature.size());
    for (const char kind : signature) {
        if (kind == 'i') {
            values.emplace_back(static_cast<std::int32_t>(r.be32()));
            continue;
        }
        const std::uint32_t length = r.be32();
        if (!r.ok() || length > r.remaining() || (kind == 's' && length > RpcMaxText))
            return std::nullopt;
        const auto bytes = r.bytes(length);
        if (kind == 's')
            values.emplace_back(std::string(bytes.begin(), bytes.end()));
        else
            values.emplace_back(Bytes(bytes.begin(), bytes.end()));
    }
    if (!r.ok() || !r.atEnd())
        return std::nullopt;
    return values;
}

bool valuesMatch(const RpcValues& values, std::string_view signature)
{
    if (values.size() != signature.size())
        return false;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::size_t wanted = signature[i] == 'i' ? 0 : signature[i] == 's' ? 1 : 2;
        if (values[i].index() != wanted)
            return false;
    }
    return true;
}

void RpcFrameReader::append(std::span<const std::uint8_t> bytes)
{
    if (!failed_)
        appendCompacting(buffer_, start_, bytes);
}

RpcFrameReader::Status RpcFrameReader::fail()
{
    failed_ = true;
    buffer_.clear();
    start_ = 0;
    return Status::Failed;
}

RpcFrameReader::Status RpcFrameReader::next(RpcFrame& frame)
{
    if (failed_)
        return Status::Failed;
    const std::span<const std::uint8_t> data(buffer_.data() + start_, buffer_.size() - start_);
    // Check what has arrived of the header at once, so garbage fails before a length is trusted.
    if (data.size() >= 1 && data[0] != Magic0)
        return fail();
    if (data.size() >= 2 && data[1] != Magic1)
        return fail();
    if (data.size() >= 3 && data[2] != static_cast<std::uint8_t>(RpcKind::Call) && data[2] != static_cast<std::uint8_t>(RpcKind::Reply))
        return fail();
    if (data.size() >= 4 && rpcMethodInfo(data[3]) == nullptr)
        return fail();
    if (data.size() < RpcHeaderSize) {
        releaseConsumed(buffer_, start_);
        return Status::NeedMore;
    }
    const std::uint32_t length = readBE32(data, 8);
    if (length > RpcMaxPayload)
        return fail();
    if (data.size() - RpcHeaderSize < length) {
        releaseConsumed(buffer_, start_);
        return Status::NeedMore;
    }

    const auto kind = static_cast<RpcKind>(data[2]);
    const RpcMethodInfo* info = rpcMethodInfo(data[3]);
    std::string signature = kind == RpcKind::Call ? info->inputs : std::string("i") + info->outputs;
    auto values = decodeRpcValues(data.subspan(RpcHeaderSize, length), signature);
    if (!values)
        return fail();
    frame.kind = kind;
    frame.method = static_cast<RpcMethod>(data[3]);
    frame.callNumber = readBE32(data, 4);
    frame.values = std::move(*values);
    start_ += RpcHeaderSize + length;
    return Status::Frame;
}

} // namespace kvr::commserver
