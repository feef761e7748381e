#include "commserver/socketstream.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kvr::commserver {

SocketStream::SocketStream(int descriptor, QObject* parent) : QObject(parent), fd_(descriptor)
{
    if (fd_ < 0) {
        failed_ = true;
        return;
    }
    readNotifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    writeNotifier_ = new QSocketNotifier(fd_, QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(false);
    connect(readNotifier_, &QSocketNotifier::activated, this, [this] { readable(); });
    connect(writeNotifier_, &QSocketNotifier::activated, this, [this] { writable(); });
    ::fcntl(fd_, F_SETFD, FD_CLOEXEC);
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags < 0 || ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK) != 0)
        fail();
}

SocketStream::~SocketStream() { abort(); }

void SocketStream::abort()
{
    if (fd_ < 0)
        return;
    // The notifiers stop before their descriptor goes; they may be inside their own signal
    // (an owner that aborts while handling bytes), so they are deleted later.
    for (QSocketNotifier* notifier : {readNotifier_, writeNotifier_}) {
        notifier->setEnabled(false);
        notifier->deleteLater();
    }
    readNotifier_ = writeNotifier_ = nullptr;
    ::close(fd_);
    fd_ = -1;
    pending_.clear();
    sent_ = 0;
}

void SocketStream::readable()
{
    // One read per event: a peer that sends faster than it is read waits for its next turn (its
    // kernel buffer holds the rest), so many busy sockets share the event loop fairly.
    std::array<std::uint8_t, 16384> buffer;
    while (isOpen()) {
        const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
        if (n > 0) {
            if (onBytes)
                onBytes({buffer.data(), static_cast<std::size_t>(n)});
            return; // whatever came behind it raises the next event
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        fail(); // 0: the peer closed its end
        return;
    }
}

std::optional<std::size_t> SocketStream::sendNow(std::span<const std::uint8_t> bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0)
            sent += static_cast<std::size_t>(n);
        else if (n < 0 && errno == EINTR)
            continue;
        else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        else
            return std::nullopt;
    }
    return sent;
}

bool SocketStream::write(std::span<const std::uint8_t> bytes)
{
    if (!isOpen())
        return false;
    if (bytesToWrite() == 0) {
        const auto sent = sendNow(bytes);
        if (!sent) {
            fail();
            return false;
        }
        sentTotal_ += *sent;
        bytes = bytes.subspan(*sent);
    }
    if (!bytes.empty()) {
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
        writeNotifier_->setEnabled(true);
    }
    return true;
}

void SocketStream::writable()
{
    if (!isOpen())
        return;
    const auto sent = sendNow({pending_.data() + sent_, bytesToWrite()});
    if (!sent) {
        fail();
        return;
    }
    sent_ += *sent;
    sentTotal_ += *sent;
    if (bytesToWrite() == 0) {
        // A backlog that has drained gives its memory back; a small one keeps it for the next.
        constexpr std::size_t KeptCapacity = 64 * 1024;
        if (pending_.capacity() > KeptCapacity)
            std::vector<std::uint8_t>().swap(pending_);
        else
            pending_.clear();
        sent_ = 0;
        writeNotifier_->setEnabled(false);
    }
}

void SocketStream::fail()
{
    if (failed_)
        return;
    failed_ = true;
    readNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (fd_ >= 0 && onClosed)
                onClosed();
        },
        Qt::QueuedConnection);
}

void setNoDelay(int descriptor)
{
    const int one = 1;
    ::setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
}

void TcpDescriptorServer::incomingConnection(qintptr descriptor)
{
    setNoDelay(static_cast<int>(descriptor));
    if (onAccepted)
        onAccepted(static_cast<int>(descriptor));
    else
        ::close(static_cast<int>(descriptor));
}

} // namespace kvr::commserver
