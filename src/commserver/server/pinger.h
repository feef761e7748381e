#pragma once
// Ping of a device: an ICMP echo where the system lets an unprivileged program send one (a
// datagram ICMP socket), else the time of a TCP connect to the device port.

#include <QObject>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kvr::commserver {

// done gets the response time in milliseconds, or nullopt when nothing answered in time. It is
// called once, from the event loop, unless parent is destroyed first.
void pingHost(QObject* parent, const std::string& host, std::uint16_t tcpPort, int timeoutMs,
              std::function<void(std::optional<int>)> done);

} // namespace kvr::commserver
