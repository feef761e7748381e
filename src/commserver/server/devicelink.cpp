#include "commserver/server/devicelink.h"

#include <QSerialPort>
#include <QTcpSocket>
#include <QTimer>

#include <utility>

#include <fcntl.h>

#include "commserver/socketstream.h"

namespace kvr::commserver {

DeviceLink::DeviceLink(LinkTimings timings) : timings_(timings)
{
    retryTimer_ = new QTimer(this);
    retryTimer_->setSingleShot(true);
    connect(retryTimer_, &QTimer::timeout, this, [this] {
        if (state_ == State::Reconnecting)
            startAttempt();
    });
    stallTimer_ = new QTimer(this);
    stallTimer_->setSingleShot(true);
    connect(stallTimer_, &QTimer::timeout, this, [this] { checkUnsent(); });
}

DeviceLink::~DeviceLink() = default;

void DeviceLink::open()
{
    state_ = State::Opening;
    startAttempt();
}

DeviceLink::SendOutcome DeviceLink::send(const DeviceFrame& frame)
{
    if (state_ != State::Connected)
        return SendOutcome::Failed;
    const Bytes bytes = encodeDeviceFrame(frame);
    if (unsentBytes() + bytes.size() > timings_.unsentLimit)
        return SendOutcome::Busy;
    if (!writeBytes(bytes))
        return SendOutcome::Failed;
    watchUnsent();
    return SendOutcome::Sent;
}

void DeviceLink::watchUnsent()
{
    if (unsentBytes() == 0 || stallTimer_->isActive())
        return;
    passedOnAtCheck_ = bytesPassedOn();
    stallTimer_->start(timings_.stallTimeoutMs);
}

void DeviceLink::checkUnsent()
{
    if (state_ != State::Connected || unsentBytes() == 0)
        return;
    if (bytesPassedOn() != passedOnAtCheck_) {
        watchUnsent(); // it moves: watch the next stretch
        return;
    }
    transportDropped();
}

void DeviceLink::attemptSucceeded()
{
    const bool first = state_ == State::Opening;
    state_ = State::Connected;
    if (first && onOpened)
        onOpened(true);
}

void DeviceLink::attemptFailed()
{
    closeTransport();
    if (state_ == State::Opening) {
        state_ = State::Failed;
        if (onOpened)
            onOpened(false);
        return;
    }
    if (state_ == State::Reconnecting)
        scheduleRetry();
}

void DeviceLink::transportDropped()
{
    if (state_ != State::Connected) {
        attemptFailed();
        return;
    }
    stallTimer_->stop();
    closeTransport();
    state_ = State::Reconnecting;
    lostAt_ = std::chrono::steady_clock::now();
    scheduleRetry();
}

void DeviceLink::scheduleRetry()
{
    const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - lostAt_).count();
    if (since >= timings_.reconnectWindowMs) {
        state_ = State::Lost;
        return;
    }
    retryTimer_->start(static_cast<int>(std::min<long long>(timings_.retryIntervalMs, timings_.reconnectWindowMs - since)));
}

void DeviceLink::deliver(const DeviceFrame& frame)
{
    if (onFrame)
        onFrame(frame);
}

void DeviceLink::garbled()
{
    // A device that sends garbage is reconnected, so its stream starts afresh.
    ++garbled_;
    transportDropped();
}

struct TcpDeviceLink::Impl {
    std::string host;
    std::uint16_t port = 0;
    QTcpSocket* connecting = nullptr; // while the connection is being made
    SocketStream* stream = nullptr;   // once it is up
    QTimer* connectTimer = nullptr;
    DeviceFrameReader reader;
};

TcpDeviceLink::TcpDeviceLink(std::string host, std::uint16_t port, LinkTimings timings)
    : DeviceLink(timings), impl_(std::make_unique<Impl>())
{
    impl_->host = std::move(host);
    impl_->port = port;
    impl_->connectTimer = new QTimer(this);
    impl_->connectTimer->setSingleShot(true);
    connect(impl_->connectTimer, &QTimer::timeout, this, [this] { attemptFailed(); });
}

TcpDeviceLink::~TcpDeviceLink() { closeTransport(); }

void TcpDeviceLink::startAttempt()
{
    closeTransport();
    impl_->reader = DeviceFrameReader();
    // Qt makes the connection (name lookup, the attempt); the connected socket is then served
    // from a descriptor of its own, so a frame costs one read and one write.
    auto* socket = new QTcpSocket(this);
    impl_->connecting = socket;
    connect(socket, &QTcpSocket::connected, this, [this, socket] {
        impl_->connectTimer->stop();
        const int descriptor = ::fcntl(static_cast<int>(socket->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
        dropConnecting();
        if (descriptor < 0) {
            QTimer::singleShot(0, this, [this] { attemptFailed(); });
            return;
        }
        setNoDelay(descriptor);
        impl_->stream = new SocketStream(descriptor, this);
        impl_->stream->onBytes = [this](std::span<const std::uint8_t> bytes) { consume(bytes); };
        impl_->stream->onClosed = [this] { transportDropped(); };
        attemptSucceeded();
    });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket](QAbstractSocket::SocketError) {
        if (socket != impl_->connecting)
            return;
        impl_->connectTimer->stop();
        dropConnecting();
        QTimer::singleShot(0, this, [this] { transportDropped(); });
    });
    impl_->connectTimer->start(timings().connectTimeoutMs);
    socket->connectToHost(QString::fromStdString(impl_->host), impl_->port);
}

void TcpDeviceLink::dropConnecting()
{
    if (QTcpSocket* socket = std::exchange(impl_->connecting, nullptr)) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}

void TcpDeviceLink::closeTransport()
{
    impl_->connectTimer->stop();
    dropConnecting();
    if (SocketStream* stream = std::exchange(impl_->stream, nullptr)) {
        stream->abort();
        stream->deleteLater();
    }
}

bool TcpDeviceLink::writeBytes(const Bytes& bytes)
{
    return impl_->stream && impl_->stream->write(bytes);
}

std::size_t TcpDeviceLink::unsentBytes() const { return impl_->stream ? impl_->stream->bytesToWrite() : 0; }

std::uint64_t TcpDeviceLink::bytesPassedOn() const { return impl_->stream ? impl_->stream->bytesSent() : 0; }

void TcpDeviceLink::consume(std::span<const std::uint8_t> bytes)
{
    impl_->reader.append(bytes);
    DeviceFrame frame;
    while (true) {
        const auto status = impl_->reader.next(frame);
        if (status == DeviceFrameReader::Status::NeedMore)
            return;
        if (status == DeviceFrameReader::Status::Failed) {
            garbled();
            return;
        }
        deliver(frame);
    }
}

struct SerialDeviceLink::Impl {
    std::string path;
    QSerialPort* port = nullptr;
    SlipDecoder slip;
    std::uint64_t written = 0;
};

SerialDeviceLink::SerialDeviceLink(std::string devicePath, LinkTimings timings)
    : DeviceLink(timings), impl_(std::make_unique<Impl>())
{
    impl_->path = std::move(devicePath);
}

SerialDeviceLink::~SerialDeviceLink() { closeTransport(); }

void SerialDeviceLink::startAttempt()
{
    closeTransport();
    impl_->slip = SlipDecoder();
    auto* port = new QSerialPort(QString::fromStdString(impl_->path), this);
    port->setBaudRate(QSerialPort::Baud115200);
    impl_->port = port;
    if (!port->open(QIODevice::ReadWrite)) {
        QTimer::singleShot(0, this, [this] { attemptFailed(); });
        return;
    }
    connect(port, &QSerialPort::readyRead, this, [this, port] {
        if (port != impl_->port)
            return;
        const QByteArray bytes = port->readAll();
        consume({reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())});
    });
    connect(port, &QSerialPort::bytesWritten, this, [this](qint64 n) { impl_->written += static_cast<std::uint64_t>(n); });
    connect(port, &QSerialPort::errorOccurred, this, [this, port](QSerialPort::SerialPortError error) {
        if (port != impl_->port || error == QSerialPort::NoError || error == QSerialPort::TimeoutError)
            return;
        QTimer::singleShot(0, this, [this] { transportDropped(); });
    });
    QTimer::singleShot(0, this, [this] { attemptSucceeded(); });
}

void SerialDeviceLink::closeTransport()
{
    if (impl_->port) {
        QSerialPort* port = impl_->port;
        impl_->port = nullptr;
        port->disconnect(this);
        port->close();
        port->deleteLater();
    }
}

bool SerialDeviceLink::writeBytes(const Bytes& bytes)
{
    if (!impl_->port)
        return false;
    const Bytes framed = slipEncode(bytes);
    return impl_->port->write(reinterpret_cast<const char*>(framed.data()), static_cast<qint64>(framed.size())) == static_cast<qint64>(framed.size());
}

std::size_t SerialDeviceLink::unsentBytes() const
{
    return impl_->port ? static_cast<std::size_t>(impl_->port->bytesToWrite()) : 0;
}

std::uint64_t SerialDeviceLink::bytesPassedOn() const { return impl_->written; }

void SerialDeviceLink::consume(std::span<const std::uint8_t> bytes)
{
    std::vector<Bytes> packets;
    impl_->slip.append(bytes, packets);
    for (const Bytes& packet : packets) {
        // A broken packet on a serial line is line noise: dropped, the line stays.
        if (const auto frame = decodeDeviceFrame(packet))
            deliver(*frame);
    }
}

} // namespace kvr::commserver
