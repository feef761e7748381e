#pragma once
// A connected stream socket served straight from its descriptor. Each readable event is one read
// handed on at once and each write goes to the kernel at once; only what the kernel does not take
// waits for the socket to drain. The server and the emulator answer a waiting client this way
// with a read and a write per message, where a buffered device also asks for byte counts and
// copies through its own buffers.

#include <QObject>
#include <QTcpServer>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

class QSocketNotifier;

namespace kvr::commserver {

class SocketStream : public QObject {
public:
    // Takes a connected socket (made non-blocking here) and closes it when destroyed.
    explicit SocketStream(int descriptor, QObject* parent = nullptr);
    ~SocketStream() override;

    SocketStream(const SocketStream&) = delete;
    SocketStream& operator=(const SocketStream&) = delete;

    // The bytes of each read, as they come.
    std::function<void(std::span<const std::uint8_t>)> onBytes;
    // The peer closed the socket or it failed. Reported once, from the event loop (never from
    // inside write or onBytes), and not at all after abort.
    std::function<void()> onClosed;

    // Hands bytes to the kernel now; what it does not take is kept and sent as the socket drains.
    // False once the socket has closed or failed.
    bool write(std::span<const std::uint8_t> bytes);
    std::size_t bytesToWrite() const { return pending_.size() - sent_; }
    // Bytes the kernel has taken since the socket was opened: whether a backlog moves at all.
    std::uint64_t bytesSent() const { return sentTotal_; }
    // Closes at once, dropping what is still to be written; nothing is reported afterwards.
    void abort();
    bool isOpen() const { return fd_ >= 0 && !failed_; }
    int descriptor() const { return fd_; }

private:
    void readable();
    void writable();
    void fail();
    // Sends what the kernel takes now: how much that was, nullopt when the socket failed.
    std::optional<std::size_t> sendNow(std::span<const std::uint8_t> bytes);

    int fd_ = -1;
    bool failed_ = false;
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    std::vector<std::uint8_t> pending_;
    std::size_t sent_ = 0; // of pending_
    std::uint64_t sentTotal_ = 0;
};

// A TCP listener that hands over each accepted connection's descriptor, to be served by a
// SocketStream. The connections carry small frames each waited for: no coalescing delay.
class TcpDescriptorServer : public QTcpServer {
public:
    using QTcpServer::QTcpServer;
    std::function<void(int descriptor)> onAccepted;

protected:
    void incomingConnection(qintptr descriptor) override;
};

// No coalescing delay on a TCP socket: every frame on it is waited for.
void setNoDelay(int descriptor);

} // namespace kvr::commserver
