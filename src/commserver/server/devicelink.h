#pragma once
// One link from the server to a device: TCP (frames of docs/device-protocol.md) or a serial line
// (the same frames, SLIP-framed). A link that drops after it was up is retried for a while
// (Reconnecting), then given up (Lost).

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "commserver/deviceframe.h"

class QTimer;

namespace kvr::commserver {

struct LinkTimings {
    int connectTimeoutMs = 3000;
    int retryIntervalMs = 1000;
    int reconnectWindowMs = 10000;
    // What a link may hold that its device has not taken yet (beyond what the kernel holds); a
    // send that would pass it is refused, so a device that stops reading cannot grow the server.
    std::size_t unsentLimit = 32 * 1024;
    // Unsent bytes that have not moved for this long: the device stopped reading, and the link
    // is taken as broken (and retried), so the client learns it.
    int stallTimeoutMs = 3000;
};

class DeviceLink : public QObject {
public:
    enum class State { Idle, Opening, Connected, Reconnecting, Lost, Failed };
    enum class SendOutcome { Sent, Busy, Failed };

    explicit DeviceLink(LinkTimings timings);
    ~DeviceLink() override;

    // Starts the first connection; onOpened reports whether it came up.
    void open();
    SendOutcome send(const DeviceFrame& frame);
    State state() const { return state_; }
    // Bytes handed to the link that the device has not taken yet.
    virtual std::size_t unsentBytes() const = 0;
    std::size_t garbledFrames() const { return garbled_; }

    std::function<void(bool ok)> onOpened;
    std::function<void(const DeviceFrame&)> onFrame;

protected:
    // One connection attempt; the subclass answers with attemptSucceeded or attemptFailed.
    virtual void startAttempt() = 0;
    virtual void closeTransport() = 0;
    virtual bool writeBytes(const Bytes& bytes) = 0;
    // Bytes as they come from the transport.
    virtual void consume(std::span<const std::uint8_t> bytes) = 0;
    // Bytes the transport has passed on so far: whether unsent bytes move.
    virtual std::uint64_t bytesPassedOn() const = 0;

    void attemptSucceeded();
    void attemptFailed();
    void transportDropped();
    void deliver(const DeviceFrame& frame);
    void garbled();

    const LinkTimings& timings() const { return timings_; }

private:
    void scheduleRetry();
    void watchUnsent();
    void checkUnsent();

    LinkTimings timings_;
    State state_ = State::Idle;
    std::chrono::steady_clock::time_point lostAt_{};
    QTimer* retryTimer_ = nullptr;
    QTimer* stallTimer_ = nullptr;
    std::uint64_t passedOnAtCheck_ = 0;
    std::size_t garbled_ = 0;
};

class TcpDeviceLink : public DeviceLink {
public:
    TcpDeviceLink(std::string host, std::uint16_t port, LinkTimings timings);
    ~TcpDeviceLink() override;
    std::size_t unsentBytes() const override;

protected:
    void startAttempt() override;
    void closeTransport() override;
    bool writeBytes(const Bytes& bytes) override;
    void consume(std::span<const std::uint8_t> bytes) override;
    std::uint64_t bytesPassedOn() const override;

private:
    void dropConnecting();

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

class SerialDeviceLink : public DeviceLink {
public:
    SerialDeviceLink(std::string devicePath, LinkTimings timings);
    ~SerialDeviceLink() override;
    std::size_t unsentBytes() const override;

protected:
    void startAttempt() override;
    void closeTransport() override;
    bool writeBytes(const Bytes& bytes) override;
    void consume(std::span<const std::uint8_t> bytes) override;
    std::uint64_t bytesPassedOn() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace kvr::commserver
