#include "commserver/server/udphub.h"

#include <QSocketNotifier>
#include <QUdpSocket>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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

namespace {

// Datagrams taken with one system call; a turn may take several batches.
constexpr std::size_t BatchSize = 16;
constexpr std::size_t DatagramMax = 65536;
// Senders whose rate is followed; a full table forgets those that have been quiet.
constexpr std::size_t SenderTableMax = 4096;
// Room for bursts while the event loop serves other sockets; the system may grant less.
constexpr int ReceiveBufferBytes = 4 * 1024 * 1024;

std::optional<std::uint32_t> ipv4Of(const sockaddr_storage& from)
{
    if (from.ss_family == AF_INET)
        return ntohl(reinterpret_cast<const sockaddr_in&>(from).sin_addr.s_addr);
    if (from.ss_family == AF_INET6) {
        const auto& a6 = reinterpret_cast<const sockaddr_in6&>(from);
        if (IN6_IS_ADDR_V4MAPPED(&a6.sin6_addr))
            return readBE32(std::span<const std::uint8_t>(a6.sin6_addr.s6_addr, 16), 12);
    }
    return std::nullopt;
}

std::uint16_t portOf(const sockaddr_storage& from)
{
    if (from.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(from).sin_port);
    if (from.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(from).sin6_port);
    return 0;
}

} // namespace

UdpHub::UdpHub(const ServerConfig& config, QObject* parent) : QObject(parent), config_(config) {}

UdpHub::~UdpHub()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool UdpHub::bind(std::string* error)
{
    // Qt binds (and words the reason when that fails); the bound socket is then read straight
    // from its descriptor, many datagrams per system call.
    QUdpSocket socket;
    if (!socket.bind(QHostAddress(QString::fromStdString(config_.udpBind.host)), config_.udpBind.port,
                     QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
        if (error)
            *error = "UDP bind failed: " + socket.errorString().toStdString();
        return false;
    }
    fd_ = ::fcntl(static_cast<int>(socket.socketDescriptor()), F_DUPFD_CLOEXEC, 0);
    socket.close();
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (fd_ < 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        if (error)
            *error = std::string("UDP bind failed: ") + std::strerror(errno);
        return false;
    }
    ipv6_ = local.ss_family == AF_INET6;
    port_ = portOf(local);
    const int one = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &ReceiveBufferBytes, sizeof ReceiveBufferBytes);
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    buffers_.resize(BatchSize * DatagramMax);
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { readTurn(); });
    return true;
}

bool UdpHub::admit(std::uint32_t ip, std::size_t size, std::chrono::steady_clock::time_point now)
{
    // A datagram counts one, and one more for every KiB it carries beyond its first: a device's
    // broadcasts are small, and big ones cost the server in proportion.
    const double cost = 1.0 + static_cast<double>(size / 1024);
    const double rate = std::max(config_.udpSenderRate, 1);
    auto it = senders_.find(ip);
    if (it == senders_.end()) {
        if (senders_.size() >= SenderTableMax) {
            // Quiet senders have their full allowance again anyway; if none is quiet, everyone
            // starts afresh, which costs a flood of made-up senders one burst each at most.
            std::erase_if(senders_, [&](const auto& s) { return now - s.second.at > std::chrono::seconds(1); });
            if (senders_.size() >= SenderTableMax)
                senders_.clear();
        }
        it = senders_.emplace(ip, Allowance{rate, now}).first;
    }
    Allowance& a = it->second;
    a.left = std::min(rate, a.left + std::chrono::duration<double>(now - a.at).count() * rate);
    a.at = now;
    if (a.left < cost)
        return false;
    a.left -= cost;
    return true;
}

void UdpHub::readTurn()
{
    const auto now = std::chrono::steady_clock::now();
    std::array<mmsghdr, BatchSize> headers{};
    std::array<iovec, BatchSize> vectors{};
    std::array<sockaddr_storage, BatchSize> senders{};
    std::size_t left = static_cast<std::size_t>(std::max(config_.udpDatagramsPerTurn, 1));
    while (left > 0) {
        const std::size_t batch = std::min(left, BatchSize);
        for (std::size_t i = 0; i < batch; ++i) {
            vectors[i] = {buffers_.data() + i * DatagramMax, DatagramMax};
            headers[i].msg_hdr = {};
            headers[i].msg_hdr.msg_name = &senders[i];
            headers[i].msg_hdr.msg_namelen = sizeof senders[i];
            headers[i].msg_hdr.msg_iov = &vectors[i];
            headers[i].msg_hdr.msg_iovlen = 1;
        }
        const int n = ::recvmmsg(fd_, headers.data(), static_cast<unsigned>(batch), MSG_DONTWAIT, nullptr);
        if (n <= 0)
            return; // nothing more now (or an error the next datagram clears)
        left -= static_cast<std::size_t>(n);
        for (int i = 0; i < n; ++i) {
            const auto ip = ipv4Of(senders[i]);
            if (!admit(ip.value_or(0), headers[i].msg_len, now) || !onDatagram)
                continue;
            const std::uint8_t* data = buffers_.data() + static_cast<std::size_t>(i) * DatagramMax;
            onDatagram(ip.value_or(0), portOf(senders[i]), Bytes(data, data + headers[i].msg_len));
        }
        if (static_cast<std::size_t>(n) < batch)
            return;
    }
}

bool UdpHub::send(std::uint32_t ip, std::uint16_t port, const Bytes& datagram)
{
    if (fd_ < 0)
        return false;
    const auto sendTo = [&](std::uint32_t to, std::uint16_t toPort) {
        sockaddr_storage address{};
        socklen_t length = 0;
        if (ipv6_) {
            auto& a6 = reinterpret_cast<sockaddr_in6&>(address);
            a6.sin6_family = AF_INET6;
            a6.sin6_port = htons(toPort);
            a6.sin6_addr.s6_addr[10] = 0xFF;
            a6.sin6_addr.s6_addr[11] = 0xFF;
            writeBE32(std::span<std::uint8_t>(a6.sin6_addr.s6_addr, 16), 12, to);
            length = sizeof a6;
        } else {
            auto& a4 = reinterpret_cast<sockaddr_in&>(address);
            a4.sin_family = AF_INET;
            a4.sin_port = htons(toPort);
            a4.sin_addr.s_addr = htonl(to);
            length = sizeof a4;
        }
        return ::sendto(fd_, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&address), length) ==
               static_cast<ssize_t>(datagram.size());
    };
    if (ip == 0xFFFFFFFFu) {
        bool all = true;
        for (const HostPort& target : config_.udpTargets) {
            bool ok = false;
            const std::uint32_t to = QHostAddress(QString::fromStdString(target.host)).toIPv4Address(&ok);
            all = ok && sendTo(to, target.port) && all;
        }
        return all;
    }
    return sendTo(ip, port);
}

} // namespace kvr::commserver
