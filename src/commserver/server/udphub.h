#pragma once
// The server's UDP side: device broadcasts arrive on one socket; messages from clients go to the
// address they name, a broadcast to every configured target. The socket is read a bounded number
// of datagrams at a time and each sender within a rate, so that a flood on the port (from any
// machine of the network) neither starves the local calls nor buries the devices' broadcasts.

#include <QObject>

#include <chrono>
#include <functional>
#include <unordered_map>
#include <vector>

#include "commserver/server/serverconfig.h"
#include "kvrdata/kvrstruct.h"

class QSocketNotifier;

namespace kvr::commserver {

class UdpHub : public QObject {
public:
    explicit UdpHub(const ServerConfig& config, QObject* parent = nullptr);
    ~UdpHub() override;

    bool bind(std::string* error);
    std::uint16_t port() const { return port_; }
    // ip 0xFFFFFFFF goes to every configured target, anything else to ip at the device UDP port.
    bool send(std::uint32_t ip, std::uint16_t port, const Bytes& datagram);

    std::function<void(std::uint32_t fromIp, std::uint16_t fromPort, const Bytes& datagram)> onDatagram;

private:
    // One turn: at most udpDatagramsPerTurn datagrams; what is left raises the next turn.
    void readTurn();
    // Whether a datagram of this sender and size is within the sender's rate.
    bool admit(std::uint32_t ip, std::size_t size, std::chrono::steady_clock::time_point now);

    const ServerConfig& config_;
    int fd_ = -1;
    bool ipv6_ = false; // a dual-stack socket: IPv4 addresses go as mapped ones
    std::uint16_t port_ = 0;
    QSocketNotifier* notifier_ = nullptr;
    std::vector<std::uint8_t> buffers_;
    struct Allowance {
        double left = 0;
        std::chrono::steady_clock::time_point at;
    };
    std::unordered_map<std::uint32_t, Allowance> senders_;
};

// The older-generation record of one datagram: sender, payload in host order, length (177 bytes).
Bytes olderUdpRecord(std::uint32_t fromIp, std::span<const std::uint8_t> datagram);
// The payload of an older-generation record to send: its address and its payload bytes as they go
// on the wire (the magic turned back to network order). Nullopt for a record that is too short.
struct OutgoingUdp {
    std::uint32_t ip = 0;
    Bytes datagram;
};
std::optional<OutgoingUdp> outgoingFromOlderRecord(std::span<const std::uint8_t> record);

inline constexpr std::uint32_t StatusMagic = Kvrdata_ns::UDPMagicDeviceStatus;
inline constexpr std::size_t OlderUdpRecordSize = Kvrdata_ns::UDPMsgSize;
inline constexpr std::size_t OlderUdpPayloadMax = Kvrdata_ns::UDPPayloadSize;

} // namespace kvr::commserver
