#pragma once
// The server's UDP side: device broadcasts arrive on one socket; messages from clients go to the
// address they name, a broadcast to every configured target.

#include <QObject>

#include <functional>

#include "commserver/server/serverconfig.h"
#include "kvrdata/kvrstruct.h"

class QUdpSocket;

namespace kvr::commserver {

class UdpHub : public QObject {
public:
    explicit UdpHub(const ServerConfig& config, QObject* parent = nullptr);

    bool bind(std::string* error);
    std::uint16_t port() const;
    // ip 0xFFFFFFFF goes to every configured target, anything else to ip at the device UDP port.
    bool send(std::uint32_t ip, std::uint16_t port, const Bytes& datagram);

    std::function<void(std::uint32_t fromIp, std::uint16_t fromPort, const Bytes& datagram)> onDatagram;

private:
    const ServerConfig& config_;
    QUdpSocket* socket_ = nullptr;
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
