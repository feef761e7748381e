#pragma once
// Everything the server program can be told; tests use ephemeral ports on 127.0.0.N.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "commserver/server/devicelink.h"

namespace kvr::commserver {

struct HostPort {
    std::string host;
    std::uint16_t port = 0;
};

struct ServerConfig {
    std::string folder;                 // per-user folder of the local socket and the lock
    bool remoteListenEnabled = false;   // TCP listener for other machines, off unless configured
    HostPort remoteListen{"0.0.0.0", 0};
    HostPort udpBind{"0.0.0.0", 2009};  // where device broadcasts arrive
    std::vector<HostPort> udpTargets{{"255.255.255.255", 2009}}; // where 255.255.255.255 goes
    std::uint16_t devicePort = 2008;    // device TCP port for connections by address and Ping
    std::uint16_t deviceUdpPort = 2009; // where a message to one device's address goes
    std::map<int, std::string> serialPorts; // "COM n" -> device path
    LinkTimings link;
    std::size_t blockQueueLimit = 10000;
    std::size_t udpQueueLimit = 1000;
    std::size_t maxClients = 256;
    int broadcastMaxAgeMs = 10000;      // older status records leave the collections
    std::uint32_t ownerUid = 0;         // peers of the local socket must be this user
};

} // namespace kvr::commserver
