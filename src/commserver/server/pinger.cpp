#include "commserver/server/pinger.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QTimer>

#include <array>
#include <memory>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kvr::commserver {

namespace {

using Done = std::function<void(std::optional<int>)>;

// One attempt: whatever answers first, or the timer, finishes it; the object then goes.
class PingAttempt : public QObject {
public:
    PingAttempt(QObject* parent, int timeoutMs, Done done) : QObject(parent), done_(std::move(done))
    {
        clock_.start();
        QTimer::singleShot(timeoutMs, this, [this] { finish(false); });
    }

    ~PingAttempt() override
    {
        if (icmp_ >= 0)
            ::close(icmp_);
    }

    // Sends an echo request; false when this system allows no unprivileged ICMP.
    bool startIcmp(std::uint32_t ip)
    {
        icmp_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (icmp_ < 0)
            return false;
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(ip);
        // Type 8 (echo request); the system fills identifier and checksum of such a socket.
        const std::array<std::uint8_t, 16> request{8, 0, 0, 0, 0, 0, 0, 1, 'r', 'u', 'r', 'e', 'z', 0, 0, 0};
        if (::sendto(icmp_, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof(to)) < 0) {
            ::close(icmp_);
            icmp_ = -1;
            return false;
        }
        auto* notifier = new QSocketNotifier(icmp_, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] {
            std::array<std::uint8_t, 512> reply{};
            const ssize_t n = ::recv(icmp_, reply.data(), reply.size(), 0);
            if (n >= 8 && reply[0] == 0) // echo reply
                finish(true);
        });
        return true;
    }

    void startTcp(const std::string& host, std::uint16_t port)
    {
        auto* socket = new QTcpSocket(this);
        connect(socket, &QTcpSocket::connected, this, [this] { finish(true); });
        connect(socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) { finish(false); });
        socket->connectToHost(QString::fromStdString(host), port);
    }

private:
    void finish(bool answered)
    {
        if (!done_)
            return;
        Done done = std::exchange(done_, nullptr);
        const int ms = static_cast<int>(clock_.elapsed());
        deleteLater();
        done(answered ? std::optional<int>(ms) : std::nullopt);
    }

    Done done_;
    QElapsedTimer clock_;
    int icmp_ = -1;
};

} // namespace

void pingHost(QObject* parent, const std::string& host, std::uint16_t tcpPort, int timeoutMs, Done done)
{
    auto* attempt = new PingAttempt(parent, std::clamp(timeoutMs, 1, 30000), std::move(done));
    bool isIp = false;
    const QHostAddress address(QString::fromStdString(host));
    const std::uint32_t ip = address.toIPv4Address(&isIp);
    if (!isIp || !attempt->startIcmp(ip))
        attempt->startTcp(host, tcpPort);
}

} // namespace kvr::commserver
