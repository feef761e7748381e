#include "commserver/server/udphub.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

#include <algorithm>

#include "kvrdata/byteorder.h"
#include "kvrdata/kvrstruct.h"

namespace kvr::commserver {

namespace {
// The record is the client's TUDPMsg image.
constexpr std::size_t RecordAddressAt = 0;
constexpr std::size_t RecordPayloadAt = Kvrdata_ns::UDPPayloadOffset;
constexpr std::size_t RecordLengthAt = Kvrdata_ns::UDPLengthOffset;

void swap32(std::span<std::uint8_t> p, std::size_t at)
{
    if (at + 4 <= p.size())
        writeLE32(p, at, readBE32(p, at));
}

void swap16(std::span<std::uint8_t> p, std::size_t at)
{
    if (at + 2 <= p.size())
        writeLE16(p, at, readBE16(p, at));
}
} // namespace

Bytes olderUdpRecord(std::uint32_t fromIp, std::span<const std::uint8_t> datagram)
{
    Bytes record(OlderUdpRecordSize, 0);
    const std::size_t length = std::min(datagram.size(), OlderUdpPayloadMax);
    writeLE32(record, RecordAddressAt, fromIp);
    std::copy_n(datagram.begin(), length, record.begin() + RecordPayloadAt);
    writeLE32(record, RecordLengthAt, static_cast<std::uint32_t>(length));

    // Numbers of the payload to host order, as the readers expect; a short datagram converts
    // only what it holds.
    const std::span<std::uint8_t> p(record.data() + RecordPayloadAt, length);
    if (length < 4)
        return record;
    const std::uint32_t type = readBE32(p, 0);
    if ((type & 0xFE000000u) == 0xFE000000u)
        return record; // newer-generation records stay as they came
    swap32(p, 0);
    if (type == StatusMagic) {
        for (const std::size_t at : {4, 8, 12, 16})
            swap32(p, at);
        std::uint16_t count = 0;
        if (p.size() >= 32)
            count = readBE16(p, 30);
        swap16(p, 30);
        for (std::size_t i = 0; i < count && i < 32; ++i)
            swap16(p, 32 + 4 * i);
    } else {
        swap32(p, 4);
        swap32(p, 10);
    }
    return record;
}

std::optional<OutgoingUdp> outgoingFromOlderRecord(std::span<const std::uint8_t> record)
{
    if (record.size() < RecordLengthAt + 4)
        return std::nullopt;
    const std::uint32_t length = readLE32(record, RecordLengthAt);
    if (length < 4 || length > OlderUdpPayloadMax)
        return std::nullopt;
    OutgoingUdp out;
    out.ip = readLE32(record, RecordAddressAt);
    out.datagram.assign(record.begin() + RecordPayloadAt, record.begin() + RecordPayloadAt + length);
    // The client writes the magic in host order and every other byte as it goes on the wire.
    writeBE32(out.datagram, 0, readLE32(out.datagram, 0));
    return out;
}

UdpHub::UdpHub(const ServerConfig& config, QObject* parent) : QObject(parent), config_(config) {}

bool UdpHub::bind(std::string* error)
{
    socket_ = new QUdpSocket(this);
    if (!socket_->bind(QHostAddress(QString::fromStdString(config_.udpBind.host)), config_.udpBind.port,
                       QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
        if (error)
            *error = "UDP bind failed: " + socket_->errorString().toStdString();
        return false;
    }
    connect(socket_, &QUdpSocket::readyRead, this, [this] {
        while (socket_->hasPendingDatagrams()) {
            const QNetworkDatagram datagram = socket_->receiveDatagram(65536);
            if (!datagram.isValid())
                continue;
            const QByteArray data = datagram.data();
            bool ok = false;
            const std::uint32_t ip = datagram.senderAddress().toIPv4Address(&ok);
            if (onDatagram)
                onDatagram(ok ? ip : 0, static_cast<std::uint16_t>(datagram.senderPort()),
                           Bytes(data.begin(), data.end()));
        }
    });
    return true;
}

std::uint16_t UdpHub::port() const { return socket_ ? socket_->localPort() : 0; }

bool UdpHub::send(std::uint32_t ip, std::uint16_t port, const Bytes& datagram)
{
    if (!socket_)
        return false;
    const QByteArray bytes(reinterpret_cast<const char*>(datagram.data()), static_cast<qsizetype>(datagram.size()));
    if (ip == 0xFFFFFFFFu) {
        bool all = true;
        for (const HostPort& target : config_.udpTargets)
            all = socket_->writeDatagram(bytes, QHostAddress(QString::fromStdString(target.host)), target.port) == bytes.size() && all;
        return all;
    }
    return socket_->writeDatagram(bytes, QHostAddress(ip), port) == bytes.size();
}

} // namespace kvr::commserver
