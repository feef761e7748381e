#pragma once
// Framing of calls between the client-side proxy and the server program. See docs/rpc.md.
//
// Frame: "KC", kind (1 call, 2 reply), method number, call number (u32 BE), payload length
// (u32 BE), payload. A call's payload holds the method's inputs, a reply's the HRESULT and the
// outputs; each value is an i32 (4 bytes BE), a text or a byte array (u32 BE length + bytes).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "commserver/icommserver.h"

namespace kvr::commserver {

// Method numbers: the interface's order, from 1.
enum class RpcMethod : std::uint8_t {
    CloseConnection = 1,
    GetUDPStatus,
    GetVersion,
    OpenSerialConnection,
    OpenTCPConnection,
    ReadBlock,
    ReadUDPBlock,
    SendBlock,
    SendUDPBlock,
    ReadBlockEx,
    SetFilter,
    ReadUDPBroadCasts,
    OpenConnection,
    Ping,
    SetLogging,
    LogText,
    AddKnownDevice,
    RemoveKnownDevice,
    ReadBlock2,
    ReadBlockEx2,
    GetUDPStatusV6,
    ReadUDPBlockV6,
    SendUDPBlockV6,
    ReadUDPBroadCastsV6,
    ReadOSBroadCasts,
    SendOSBroadCast,
};
inline constexpr std::uint8_t RpcMethodCount = 26;

enum class RpcKind : std::uint8_t { Call = 1, Reply = 2 };

inline constexpr std::size_t RpcHeaderSize = 12;
// Larger than any broadcast collection the server builds; a bigger length is garbage.
inline constexpr std::uint32_t RpcMaxPayload = 4u * 1024u * 1024u;
inline constexpr std::uint32_t RpcMaxText = 4096;
// The longest the server holds a call for the call's own time-out (a waiting read, a ping).
inline constexpr std::int32_t RpcLongestWaitMs = 60000;

using RpcValue = std::variant<std::int32_t, std::string, Bytes>;
using RpcValues = std::vector<RpcValue>;

struct RpcMethodInfo {
    const char* name;
    // One letter per value: i = i32, s = text, b = byte array. The reply starts with the
    // HRESULT, which is not listed.
    const char* inputs;
    const char* outputs;
};

// Null for a number that names no method.
const RpcMethodInfo* rpcMethodInfo(std::uint8_t method);

struct RpcFrame {
    RpcKind kind = RpcKind::Call;
    RpcMethod method = RpcMethod::GetVersion;
    std::uint32_t callNumber = 0;
    RpcValues values; // a reply's first value is the HRESULT
};

Bytes encodeRpcFrame(const RpcFrame& frame);

// Checks the payload against the method's signature. Nullopt when it does not fit exactly.
std::optional<RpcValues> decodeRpcValues(std::span<const std::uint8_t> payload, std::string_view signature);
bool valuesMatch(const RpcValues& values, std::string_view signature);

// Collects bytes from a stream and cuts them into frames. Any broken header, unknown method,
// oversized or ill-shaped payload puts the reader into its failed state for good: the
// connection that delivered it is to be closed.
class RpcFrameReader {
public:
    enum class Status { NeedMore, Frame, Failed };

    void append(std::span<const std::uint8_t> bytes);
    Status next(RpcFrame& frame);
    bool failed() const { return failed_; }
    std::size_t buffered() const { return buffer_.size() - start_; }

private:
    Status fail();

    Bytes buffer_;
    std::size_t start_ = 0;
    bool failed_ = false;
};

// Typed access to values already checked against a signature.
inline std::int32_t rpcInt(const RpcValues& v, std::size_t i) { return std::get<std::int32_t>(v.at(i)); }
inline const std::string& rpcText(const RpcValues& v, std::size_t i) { return std::get<std::string>(v.at(i)); }
inline const Bytes& rpcBytes(const RpcValues& v, std::size_t i) { return std::get<Bytes>(v.at(i)); }

} // namespace kvr::commserver
