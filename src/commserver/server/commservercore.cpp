#include "commserver/server/commservercore.h"

#include <cstdint>
#include <utility>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <vector>

#include "commserver/server/pinger.h"
#include "commserver/server/udphub.h"
#include "kvrdata/byteorder.h"
#include "kvrdata/blockstream.h"
#include "kvrdata/deviceaddr.h"
#include "kvrdata/udpmsgv6.h"

namespace kvr::commserver {

namespace {

// The server's version as GetVersion reports it.
constexpr std::int32_t ServerVersion = MinimumServerVersion;

RpcReply reply(std::int32_t result) { return RpcReply{HrOk, {result}}; }
RpcReply replyBytes(Bytes bytes, std::int32_t result) { return RpcReply{HrOk, {std::move(bytes), result}}; }

template <typename T>
void pushBounded(std::deque<T>& queue, T value, std::size_t limit)
{
    if (limit == 0)
        return;
    while (queue.size() >= limit)
        queue.pop_front(); // the oldest goes when full
    queue.push_back(std::move(value));
}

// A queue of datagrams bounded by count and by bytes: the oldest go when either is reached.
struct DatagramQueue {
    std::deque<Bytes> items;
    std::size_t bytes = 0;

    void push(Bytes value, std::size_t countLimit, std::size_t byteLimit)
    {
        if (countLimit == 0 || value.size() > byteLimit)
            return;
        while (!items.empty() && (items.size() >= countLimit || bytes + value.size() > byteLimit))
            pop();
        bytes += value.size();
        items.push_back(std::move(value));
    }
    Bytes pop()
    {
        Bytes front = std::move(items.front());
        items.pop_front();
        bytes -= front.size();
        return front;
    }
};

} // namespace

struct CommServerCore::Waiter {
    std::int32_t handle = 0;
    Done done;
    std::chrono::steady_clock::time_point deadline;
};

struct CommServerCore::Client {
    std::unique_ptr<DeviceLink> link;
    Done pendingOpen;
    std::uint32_t filter = 0;
    std::uint32_t mask = 0;
    std::deque<Bytes> blocks;
    DatagramQueue udp;
    DatagramQueue udpV6;
    std::int32_t logTypes = 0;
    std::deque<std::uint64_t> waiters;
};

CommServerCore::CommServerCore(ServerConfig config, QObject* parent)
    : QObject(parent), config_(std::move(config)), waitTimer_(new QTimer(this))
{
    // One timer for every waiting read, armed for the earliest deadline: a read that waits costs
    // no timer of its own.
    waitTimer_->setSingleShot(true);
    waitTimer_->setTimerType(Qt::PreciseTimer);
    connect(waitTimer_, &QTimer::timeout, this, [this] { expireWaiters(); });
}

CommServerCore::~CommServerCore()
{
    // Answer nobody: whoever waits is going away with us.
    for (auto& [id, waiter] : waiters_)
        waiter->done = nullptr;
    for (auto& [H, c] : clients_)
        c->pendingOpen = nullptr;
}

bool CommServerCore::start(std::string* error)
{
    udp_ = std::make_unique<UdpHub>(config_);
    udp_->onDatagram = [this](std::uint32_t ip, std::uint16_t port, const Bytes& datagram) { udpReceived(ip, port, datagram); };
    return udp_->bind(error);
}

std::uint16_t CommServerCore::udpPort() const { return udp_ ? udp_->port() : 0; }

CommServerCore::Client* CommServerCore::client(std::int32_t H, bool create)
{
    auto it = clients_.find(H);
    if (it != clients_.end())
        return it->second.get();
    if (!create || clients_.size() >= config_.maxClients)
        return nullptr;
    return clients_.emplace(H, std::make_unique<Client>()).first->second.get();
}

void CommServerCore::releaseHandles(const std::set<std::int32_t>& handles)
{
    for (const std::int32_t H : handles)
        closeClient(H);
}

void CommServerCore::closeClient(std::int32_t H)
{
    auto it = clients_.find(H);
    if (it == clients_.end())
        return;
    std::unique_ptr<Client> gone = std::move(it->second);
    clients_.erase(it);
    if (gone->pendingOpen)
        gone->pendingOpen(reply(ResultNoConnection));
    for (const std::uint64_t id : gone->waiters) {
        auto w = waiters_.find(id);
        if (w == waiters_.end())
            continue;
        std::unique_ptr<Waiter> waiter = std::move(w->second);
        waiters_.erase(w);
        if (waiter->done)
            waiter->done(replyBytes({}, ResultNotConnected));
    }
}

void CommServerCore::openLink(std::int32_t H, std::unique_ptr<DeviceLink> link, Done done)
{
    Client* c = client(H, true);
    if (!c) {
        done(reply(ResultNoConnection));
        return;
    }
    if (c->pendingOpen)
        std::exchange(c->pendingOpen, nullptr)(reply(ResultNoConnection));
    // Blocks of an earlier link belong to another device.
    c->blocks.clear();
    c->link = std::move(link);
    c->pendingOpen = std::move(done);
    DeviceLink* raw = c->link.get();
    raw->onFrame = [this, H](const DeviceFrame& frame) { frameFromDevice(H, frame); };
    raw->onOpened = [this, H, raw](bool ok) {
        Client* c = client(H, false);
        if (!c || c->link.get() != raw || !c->pendingOpen)
            return;
        Done done = std::exchange(c->pendingOpen, nullptr);
        if (!ok)
            QTimer::singleShot(0, this, [this, H, raw] {
                Client* c = client(H, false);
                if (c && c->link.get() == raw)
                    c->link.reset();
            });
        log(H, ok ? "link open" : "link failed");
        done(reply(ok ? ResultOk : ResultNoConnection));
    };
    raw->open();
}

void CommServerCore::frameFromDevice(std::int32_t H, const DeviceFrame& frame)
{
    Client* c = client(H, false);
    if (!c)
        return;
    if ((frame.id & c->mask) != (c->filter & c->mask))
        return;
    if (c->logTypes != 0)
        log(H, "recv " + std::to_string(frame.id) + " len " + std::to_string(frame.len));
    if (!c->waiters.empty()) {
        const std::uint64_t id = c->waiters.front();
        c->waiters.pop_front();
        auto w = waiters_.find(id);
        if (w != waiters_.end()) {
            std::unique_ptr<Waiter> waiter = std::move(w->second);
            waiters_.erase(w);
            if (waiter->done) {
                waiter->done(replyBytes(clientBlockFromFrame(frame), ResultOk));
                return;
            }
        }
    }
    pushBounded(c->blocks, clientBlockFromFrame(frame), config_.blockQueueLimit);
}

namespace {
std::int32_t emptyReadResult(const DeviceLink* link)
{
    if (!link)
        return ResultNotConnected;
    switch (link->state()) {
    case DeviceLink::State::Reconnecting: return ResultReconnecting;
    case DeviceLink::State::Lost: return ResultConnectionLost;
    case DeviceLink::State::Failed:
    case DeviceLink::State::Idle: return ResultNotConnected;
    default: return ResultNothingQueued;
    }
}
} // namespace

void CommServerCore::readBlock(std::int32_t H, std::int32_t timeoutMs, Done done)
{
    Client* c = client(H, false);
    if (!c) {
        done(replyBytes({}, ResultNotConnected));
        return;
    }
    if (!c->blocks.empty()) {
        Bytes block = std::move(c->blocks.front());
        c->blocks.pop_front();
        done(replyBytes(std::move(block), ResultOk));
        return;
    }
    const std::int32_t result = emptyReadResult(c->link.get());
    if (result != ResultNothingQueued || timeoutMs <= 0) {
        done(replyBytes({}, result));
        return;
    }
    const std::uint64_t id = nextWaiter_++;
    auto waiter = std::make_unique<Waiter>();
    waiter->handle = H;
    waiter->done = std::move(done);
    waiter->deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    armWaitTimer(waiter->deadline);
    waiters_.emplace(id, std::move(waiter));
    c->waiters.push_back(id);
}

void CommServerCore::armWaitTimer(std::chrono::steady_clock::time_point deadline)
{
    // An armed timer that fires earlier finds this waiter at its own time and re-arms for it.
    if (waitTimer_->isActive() && waitTimerDue_ <= deadline)
        return;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    waitTimerDue_ = deadline;
    waitTimer_->start(static_cast<int>(std::clamp<long long>(left, 0, INT32_MAX)));
}

void CommServerCore::expireWaiters()
{
    const auto now = std::chrono::steady_clock::now();
    std::vector<std::uint64_t> expired;
    auto next = std::chrono::steady_clock::time_point::max();
    for (const auto& [id, waiter] : waiters_) {
        if (waiter->deadline <= now)
            expired.push_back(id);
        else
            next = std::min(next, waiter->deadline);
    }
    // Answers may add waiters of their own; they arm the timer themselves.
    for (const std::uint64_t id : expired)
        finishWaiter(id);
    if (next != std::chrono::steady_clock::time_point::max())
        armWaitTimer(next);
}

void CommServerCore::finishWaiter(std::uint64_t id)
{
    auto w = waiters_.find(id);
    if (w == waiters_.end())
        return;
    std::unique_ptr<Waiter> waiter = std::move(w->second);
    waiters_.erase(w);
    Client* c = client(waiter->handle, false);
    if (c)
        std::erase(c->waiters, id);
    if (waiter->done)
        waiter->done(replyBytes({}, c ? emptyReadResult(c->link.get()) : ResultNotConnected));
}

void CommServerCore::sendBlock(std::int32_t H, const Bytes& block, Done done)
{
    Client* c = client(H, false);
    if (!c || !c->link) {
        done(reply(ResultNotConnected));
        return;
    }
    switch (c->link->state()) {
    case DeviceLink::State::Reconnecting: done(reply(ResultReconnecting)); return;
    case DeviceLink::State::Lost: done(reply(ResultNoConnection)); return;
    case DeviceLink::State::Connected: break;
    default: done(reply(ResultNotConnected)); return;
    }
    const auto frame = frameFromClientBlock(block);
    if (!frame) {
        done(reply(ResultInvalidArgument));
        return;
    }
    if (c->logTypes != 0)
        log(H, "send " + std::to_string(frame->id) + " len " + std::to_string(frame->len));
    done(reply(c->link->send(*frame) ? ResultOk : ResultReconnecting));
}

void CommServerCore::ping(const std::string& host, std::int32_t timeoutMs, Done done)
{
    pingHost(this, host, config_.devicePort, timeoutMs, [done = std::move(done)](std::optional<int> ms) {
        // A non-zero HRESULT that is not negative: no answer, yet the server itself is fine.
        done(ms ? RpcReply{HrOk, {std::int32_t{*ms}}} : RpcReply{1, {std::int32_t{-1}}});
    });
}

void CommServerCore::log(std::int32_t H, const std::string& line)
{
    Client* c = client(H, false);
    if (!c || c->logTypes == 0 || config_.folder.empty())
        return;
    QFile file(QString::fromStdString(config_.folder + "/rurez.log"));
    // The log stays small: it starts afresh past a megabyte.
    if (file.size() > 1024 * 1024)
        file.remove();
    if (file.open(QIODevice::Append | QIODevice::Text))
        file.write(QByteArray::fromStdString(std::to_string(H) + " " + line + "\n"));
}

namespace {

// A device record is a few hundred bytes; a bigger datagram is no device's. The records of the
// newer collection together stay well below what its encoding can hold (64 KiB).
constexpr std::size_t DeviceRecordMax = 2048;
constexpr std::size_t DeviceRecordsBytesMax = 48 * 1024;

// Keeps the newest record of a sender; a new sender that finds the collection full, by count or
// by bytes, takes the place of the senders heard from longest ago.
template <typename Map, typename Entry>
void storeNewest(Map& records, std::uint32_t key, Entry entry, std::size_t maxCount, std::size_t maxBytes)
{
    records.erase(key);
    std::size_t bytes = entry.record.size();
    for (const auto& [k, e] : records)
        bytes += e.record.size();
    while (!records.empty() && (records.size() >= maxCount || bytes > maxBytes)) {
        auto oldest = records.begin();
        for (auto it = records.begin(); it != records.end(); ++it)
            if (it->second.at < oldest->second.at)
                oldest = it;
        bytes -= oldest->second.record.size();
        records.erase(oldest);
    }
    if (maxCount > 0)
        records.emplace(key, std::move(entry));
}

void fillMessage(Kvrdata_ns::TUDPMsgV6& msg, std::uint32_t fromIp, std::uint16_t fromPort, const Bytes& datagram)
{
    msg.FromIP = fromIp;
    msg.FromPort = fromPort;
    Kvrdata_ns::TMemoryStream* stream = msg.GetData()->GetStream();
    stream->Clear();
    stream->Write(datagram.data(), static_cast<int>(datagram.size()));
}

std::string dotted(std::uint32_t ip)
{
    std::string text;
    Kvrdata_ns::IPToStr(ip, text);
    return text;
}

} // namespace

void CommServerCore::udpReceived(std::uint32_t fromIp, std::uint16_t fromPort, const Bytes& datagram)
{
    const auto now = std::chrono::steady_clock::now();
    const Bytes older = olderUdpRecord(fromIp, datagram);
    Kvrdata_ns::TUDPMsgV6 msg;
    fillMessage(msg, fromIp, fromPort, datagram);
    Bytes newer;
    msg.ToVariant(newer);
    for (auto& [H, c] : clients_) {
        c->udp.push(older, config_.udpQueueLimit, config_.udpQueueBytesLimit);
        if (!newer.empty())
            c->udpV6.push(newer, config_.udpQueueLimit, config_.udpQueueBytesLimit);
    }

    // A device on a serial line has no address; its serial number tells it apart.
    if (datagram.size() >= 8 && readBE32(datagram, 0) == StatusMagic) {
        const std::uint32_t key = fromIp != 0 ? fromIp : readBE32(datagram, 4) & 0xFFFFFF;
        storeNewest(statusRecords_, key, Collected{now, older, fromIp, fromPort}, config_.collectionLimit, SIZE_MAX);
    }
    if (datagram.size() > DeviceRecordMax)
        return;
    if (const Kvrdata_ns::TBCDevice* device = msg.GetDevice()) {
        const std::uint32_t key = fromIp != 0 ? fromIp : device->MAC & 0xFFFFFF;
        storeNewest(deviceRecords_, key, Collected{now, datagram, fromIp, fromPort}, config_.collectionLimit,
                    DeviceRecordsBytesMax);
    }
}

void CommServerCore::purgeCollections()
{
    const auto now = std::chrono::steady_clock::now();
    const auto tooOld = [&](const auto& entry) { return now - entry.second.at > std::chrono::milliseconds(config_.broadcastMaxAgeMs); };
    std::erase_if(statusRecords_, tooOld);
    std::erase_if(deviceRecords_, tooOld);
}

Bytes CommServerCore::broadcastCollectionV6()
{
    purgeCollections();
    Kvrdata_ns::TUDPMsgsV6 vector;
    for (const auto& [key, entry] : deviceRecords_) {
        vector.Insert(vector.CreateElement());
        fillMessage(*vector.Element(vector.Size() - 1), entry.fromIp, entry.fromPort, entry.record);
    }
    Bytes out;
    vector.ToVariant(out);
    return out;
}

void CommServerCore::openTcp(std::int32_t H, std::uint32_t ip, Done done)
{
    if (ip == 0 || ip == 0xFFFFFFFFu) {
        done(reply(ResultNoConnection));
        return;
    }
    openLink(H, std::make_unique<TcpDeviceLink>(dotted(ip), config_.devicePort, config_.link), std::move(done));
}

void CommServerCore::openSerial(std::int32_t H, int port, Done done)
{
    const std::map<int, std::string> ports = config_.serialPortSource ? config_.serialPortSource() : config_.serialPorts;
    const auto it = ports.find(port);
    if (it == ports.end()) {
        done(reply(ResultNoConnection));
        return;
    }
    openLink(H, std::make_unique<SerialDeviceLink>(it->second, config_.link), std::move(done));
}

void CommServerCore::openByAddress(std::int32_t H, const Bytes& address, Done done)
{
    Kvrdata_ns::TDeviceAddr da;
    Bytes copy = address;
    if (!da.FromVariant(copy)) {
        done(reply(ResultInvalidArgument));
        return;
    }
    switch (da.CK) {
    case Kvrdata_ns::dckFixedIP:
        openTcp(H, da.IP, std::move(done));
        return;
    case Kvrdata_ns::dckCOMPort:
        openSerial(H, da.GetCOMPort(), std::move(done));
        return;
    case Kvrdata_ns::dckBroadcast: {
        // The newest status record of the device: project, device and (when given) serial number.
        purgeCollections();
        const std::uint32_t serial = da.MAC & 0xFFFFFF;
        std::optional<std::pair<std::uint32_t, std::uint32_t>> found; // address, serial
        for (const auto& [key, entry] : statusRecords_) {
            const std::span<const std::uint8_t> r(entry.record);
            const std::uint32_t s = readLE32(r, 12) & 0xFFFFFF;
            if (readLE32(r, 20) == da.PID && readLE32(r, 16) == da.DID && (serial == 0 || s == serial))
                found = {entry.fromIp, s};
        }
        for (const auto& [key, entry] : deviceRecords_) {
            if (found)
                break;
            Kvrdata_ns::TUDPMsgV6 msg;
            fillMessage(msg, entry.fromIp, entry.fromPort, entry.record);
            const Kvrdata_ns::TBCDevice* device = msg.GetDevice();
            const std::uint32_t s = device ? device->MAC & 0xFFFFFF : 0;
            if (device && device->PID == da.PID && device->DID == static_cast<std::uint8_t>(da.DID) && (serial == 0 || s == serial))
                found = {entry.fromIp, s};
        }
        if (!found) {
            done(reply(ResultNoConnection));
            return;
        }
        if (found->first != 0)
            openTcp(H, found->first, std::move(done));
        else
            openSerial(H, static_cast<int>(found->second), std::move(done));
        return;
    }
    default:
        done(reply(ResultNoConnection));
        return;
    }
}

Bytes CommServerCore::broadcastCollection()
{
    purgeCollections();
    Bytes out;
    out.reserve(4 + statusRecords_.size() * OlderUdpRecordSize);
    ByteWriter w(out);
    w.be16(static_cast<std::uint16_t>(OlderUdpRecordSize));
    w.be16(0);
    for (const auto& [key, entry] : statusRecords_)
        w.bytes(entry.record);
    return out;
}

void CommServerCore::popQueue(std::int32_t H, bool older, Done done)
{
    Client* c = client(H, true);
    if (!c) {
        done(replyBytes({}, ResultNotConnected));
        return;
    }
    auto& queue = older ? c->udp : c->udpV6;
    if (queue.items.empty()) {
        done(replyBytes({}, ResultNothingQueued));
        return;
    }
    done(replyBytes(queue.pop(), ResultOk));
}

void CommServerCore::call(RpcMethod method, const RpcValues& in, Done done)
{
    const auto H = [&] { return rpcInt(in, 0); };
    switch (method) {
    case RpcMethod::CloseConnection:
        if (Client* c = client(H(), false)) {
            if (c->pendingOpen)
                std::exchange(c->pendingOpen, nullptr)(reply(ResultNoConnection));
            c->link.reset();
            c->blocks.clear();
        }
        done(reply(ResultOk));
        return;
    case RpcMethod::GetUDPStatus:
    case RpcMethod::GetUDPStatusV6:
        done(reply(udp_ ? ResultOk : ResultNotConnected));
        return;
    case RpcMethod::GetVersion:
        done(reply(ServerVersion));
        return;
    case RpcMethod::OpenSerialConnection:
        openSerial(H(), rpcInt(in, 1), std::move(done));
        return;
    case RpcMethod::OpenTCPConnection: {
        const std::int32_t port = rpcInt(in, 2);
        if (rpcText(in, 1).empty() || port <= 0 || port > 65535) {
            done(reply(ResultNoConnection));
            return;
        }
        openLink(H(), std::make_unique<TcpDeviceLink>(rpcText(in, 1), static_cast<std::uint16_t>(port), config_.link), std::move(done));
        return;
    }
    case RpcMethod::ReadBlock:
    case RpcMethod::ReadBlock2:
        readBlock(H(), 0, std::move(done));
        return;
    case RpcMethod::ReadBlockEx:
    case RpcMethod::ReadBlockEx2:
        readBlock(H(), std::clamp(rpcInt(in, 1), 0, RpcLongestWaitMs), std::move(done));
        return;
    case RpcMethod::ReadUDPBlock:
        popQueue(H(), true, std::move(done));
        return;
    case RpcMethod::ReadUDPBlockV6:
        popQueue(H(), false, std::move(done));
        return;
    case RpcMethod::SendBlock:
        sendBlock(H(), rpcBytes(in, 1), std::move(done));
        return;
    case RpcMethod::SendUDPBlock: {
        const auto out = outgoingFromOlderRecord(rpcBytes(in, 1));
        if (!out || !udp_) {
            done(reply(ResultInvalidArgument));
            return;
        }
        done(reply(udp_->send(out->ip, config_.deviceUdpPort, out->datagram) ? ResultOk : ResultNoConnection));
        return;
    }
    case RpcMethod::SetFilter:
        if (Client* c = client(H(), true)) {
            c->filter = static_cast<std::uint32_t>(rpcInt(in, 1));
            c->mask = static_cast<std::uint32_t>(rpcInt(in, 2));
            done(reply(ResultOk));
        } else {
            done(reply(ResultNotConnected));
        }
        return;
    case RpcMethod::ReadUDPBroadCasts:
        done(replyBytes(broadcastCollection(), ResultOk));
        return;
    case RpcMethod::Ping:
        ping(rpcText(in, 0), rpcInt(in, 1), std::move(done));
        return;
    case RpcMethod::SetLogging:
        if (Client* c = client(H(), true)) {
            c->logTypes = rpcInt(in, 1);
            done(reply(ResultOk));
        } else {
            done(reply(ResultNotConnected));
        }
        return;
    case RpcMethod::LogText:
        log(H(), rpcText(in, 1) + ": " + rpcText(in, 2));
        done(reply(ResultOk));
        return;
    case RpcMethod::AddKnownDevice:
        if (knownDevices_.size() < 1024 && std::find(knownDevices_.begin(), knownDevices_.end(), rpcBytes(in, 1)) == knownDevices_.end())
            knownDevices_.push_back(rpcBytes(in, 1));
        done(reply(ResultOk));
        return;
    case RpcMethod::RemoveKnownDevice:
        std::erase(knownDevices_, rpcBytes(in, 1));
        done(reply(ResultOk));
        return;
    case RpcMethod::OpenConnection:
        openByAddress(H(), rpcBytes(in, 1), std::move(done));
        return;
    case RpcMethod::SendUDPBlockV6: {
        Kvrdata_ns::TUDPMsgV6 msg;
        Bytes copy = rpcBytes(in, 1);
        if (!udp_ || !msg.FromVariant(copy)) {
            done(reply(ResultInvalidArgument));
            return;
        }
        // The message names its destination; the data are the datagram in wire order.
        const Bytes& datagram = msg.GetData()->GetStream()->Bytes();
        const auto port = static_cast<std::uint16_t>(msg.FromPort != 0 && msg.FromPort <= 65535 ? msg.FromPort : config_.deviceUdpPort);
        done(reply(udp_->send(msg.FromIP, port, datagram) ? ResultOk : ResultNoConnection));
        return;
    }
    case RpcMethod::ReadUDPBroadCastsV6:
        done(replyBytes(broadcastCollectionV6(), ResultOk));
        return;
    case RpcMethod::ReadOSBroadCasts:
        done(replyBytes({}, ResultOk));
        return;
    case RpcMethod::SendOSBroadCast:
        done(reply(ResultOk));
        return;
    }
    done(RpcReply{HrInvalidArg, {}});
}

} // namespace kvr::commserver
