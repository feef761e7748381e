#pragma once
// Everything the server program can be told; tests use ephemeral ports on 127.0.0.N.

#include <algorithm>
#include <cstdint>
#include <functional>
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
    // When set, asked at every serial open instead of serialPorts (the settings store's map, read
    // again only when its file changes, over the machine's ports, so that an adapter plugged in
    // later is found).
    std::function<std::map<int, std::string>()> serialPortSource;
    LinkTimings link;

    // What the server holds for others, as one figure: the blocks and datagrams waiting in the
    // queues of every handle, the bytes not yet taken by devices and by clients. Each of those
    // has its share of it (below), and every queue's own limit applies within its share.
    std::size_t memoryLimit = 64u * 1024u * 1024u;
    std::size_t blockQueueLimit = 10000;
    std::size_t udpQueueLimit = 1000;
    std::size_t udpQueueBytesLimit = 1024 * 1024; // per queue of a handle, whatever the count
    // Handles of all connections together, connections, and the handles one connection may
    // hold. The table keeps a place for the first handle of every connection, so that one
    // connection naming many handles cannot lock the others out.
    std::size_t maxClients = 256;
    std::size_t maxConnections = 64;
    std::size_t handlesPerConnection = 8;
    // Senders a broadcast collection holds; when full, the sender heard from longest ago makes
    // room, so a flood of made-up senders cannot keep a real device out for good.
    std::size_t collectionLimit = 1024;
    // Answers waiting for one connection that does not read them; past this the connection is
    // closed, so a client that calls without reading cannot grow the server without end.
    // 0: the connection's share of memoryLimit.
    std::size_t replyBacklogLimit = 0;
    // A connection that has no call open and has made no call for this long is closed, so that
    // connections left idle cannot fill the server's places for good: one without handles after
    // connectionIdleMs, one that holds handles (a program polls many times a second) after
    // holderIdleMs, closing their links. A program whose connection went this way simply
    // connects again with its next call.
    int connectionIdleMs = 30000;
    int holderIdleMs = 60000;
    // UDP: datagrams taken from the socket per turn of the event loop, so that calls are served
    // between them however many arrive; and datagrams one sender may deliver per second (with a
    // burst of as many; a big one counts one more for every KiB beyond its first), what comes
    // faster from it is dropped.
    int udpDatagramsPerTurn = 64;
    int udpSenderRate = 500;
    // A sender's status record leaves the collections once it has sent nothing newer for this
    // long: a little more than one broadcast period, so a stopped device goes offline soon and
    // every device that still broadcasts stays listed.
    int broadcastMaxAgeMs = 1500;
    // The server ends this long after its last client has gone (0: never), so that an update
    // never finds an old server left running.
    int idleExitMs = 5000;
    std::uint32_t ownerUid = 0;         // peers of the local socket must be this user
};

// The shares of memoryLimit: three eighths for the queues of all handles together, a quarter
// for answers not yet read (each connection its part), an eighth for calls not yet whole (each
// connection its part), an eighth for bytes not yet taken by devices (each link its part); the
// last eighth covers the table, the collections and the devices' read buffers.
inline std::size_t queuedBytesLimit(const ServerConfig& c) { return c.memoryLimit / 8 * 3; }
inline std::size_t replyBacklogShare(const ServerConfig& c)
{
    return c.replyBacklogLimit != 0 ? c.replyBacklogLimit : c.memoryLimit / 4 / std::max<std::size_t>(c.maxConnections, 1);
}
inline std::size_t callBufferShare(const ServerConfig& c) { return c.memoryLimit / 8 / std::max<std::size_t>(c.maxConnections, 1); }
inline std::size_t linkUnsentShare(const ServerConfig& c)
{
    return std::min(c.link.unsentLimit, c.memoryLimit / 8 / std::max<std::size_t>(c.maxClients, 1));
}

} // namespace kvr::commserver
