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

#if defined(__SANITIZE_ADDRESS__)
extern "C" void __sanitizer_purge_allocator();
#elif defined(__GLIBC__)
#include <malloc.h>
#endif

namespace kvr::commserver {

namespace {

// The server's version as GetVersion reports it.
constexpr std::int32_t ServerVersion = MinimumServerVersion;

RpcReply reply(std::int32_t result) { return RpcReply{HrOk, {result}}; }
RpcReply replyBytes(Bytes bytes, std::int32_t result) { return RpcReply{HrOk, {std::move(bytes), result}}; }

// What one queued entry costs beyond its bytes: its place in the queue, the shared buffer's
// header and the allocator's own share of both allocations.
constexpr std::size_t EntryOverhead = 96;

// The answer of a call on another connection's handle: as for a handle that does not exist.
RpcReply refusedHandle(RpcMethod method)
{
    const RpcMethodInfo* info = rpcMethodInfo(static_cast<std::uint8_t>(method));
    return info->outputs[0] == 'b' ? replyBytes({}, ResultNotConnected) : reply(ResultNotConnected);
}

// The methods that work on the caller's handle (the broadcast collections take 0 for it, and
// the status and known-device methods keep nothing per handle).
bool usesHandle(RpcMethod method)
{
    switch (method) {
    case RpcMethod::CloseConnection:
    case RpcMethod::OpenSerialConnection:
    case RpcMethod::OpenTCPConnection:
    case RpcMethod::ReadBlock:
    case RpcMethod::ReadUDPBlock:
    case RpcMethod::SendBlock:
    case RpcMethod::ReadBlockEx:
    case RpcMethod::SetFilter:
    case RpcMethod::OpenConnection:
    case RpcMethod::SetLogging:
    case RpcMethod::LogText:
    case RpcMethod::ReadBlock2:
    case RpcMethod::ReadBlockEx2:
    case RpcMethod::ReadUDPBlockV6:
        return true;
    default:
        return false;
    }
}

} // namespace

struct CommServerCore::Waiter {
    std::int32_t handle = 0;
    Done done;
    std::chrono::steady_clock::time_point deadline;
};

// A datagram goes to every handle's queue as one shared copy; each queue counts it in full, so
// the bound holds however the copies are shared.
struct CommServerCore::Queue {
    std::deque<std::shared_ptr<const Bytes>> items;
    std::size_t bytes = 0; // of the entries themselves: what the queue's own limit counts

    // What the queue costs the server as a whole.
    std::size_t cost() const { return bytes + items.size() * EntryOverhead; }
};

struct CommServerCore::Client {
    Owner owner = InProcess;
    std::unique_ptr<DeviceLink> link;
    Done pendingOpen;
    std::uint32_t filter = 0;
    std::uint32_t mask = 0;
    Queue blocks;
    Queue udp;
    Queue udpV6;
    std::int32_t logTypes = 0;
    std::deque<std::uint64_t> waiters;

    std::size_t queuedBytes() const { return blocks.cost() + udp.cost() + udpV6.cost(); }
    Queue& largestQueue()
    {
        Queue* largest = &blocks;
        for (Queue* q : {&udp, &udpV6})
            if (q->cost() > largest->cost())
                largest = q;
        return *largest;
    }
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

CommServerCore::Client* CommServerCore::client(std::int32_t H, bool create, Owner owner)
{
    auto it = clients_.find(H);
    if (it != clients_.end())
        return it->second.get();
    if (!create || clients_.size() >= config_.maxClients)
        return nullptr;
    const std::size_t held = handlesOf(owner);
    if (held >= config_.handlesPerConnection)
        return nullptr;
    // A place stays free for the first handle of every connection that has none yet.
    if (held > 0) {
        std::set<Owner> holding;
        for (const auto& [h, c] : clients_)
            holding.insert(c->owner);
        const std::size_t kept = config_.maxConnections - std::min(holding.size(), config_.maxConnections);
        if (clients_.size() + kept >= config_.maxClients)
            return nullptr;
    }
    auto c = std::make_unique<Client>();
    c->owner = owner;
    return clients_.emplace(H, std::move(c)).first->second.get();
}

bool CommServerCore::foreign(std::int32_t H, Owner owner) const
{
    const auto it = clients_.find(H);
    return it != clients_.end() && it->second->owner != owner;
}

std::size_t CommServerCore::handlesOf(Owner owner) const
{
    return static_cast<std::size_t>(
        std::count_if(clients_.begin(), clients_.end(), [owner](const auto& c) { return c.second->owner == owner; }));
}

void CommServerCore::releaseOwner(Owner owner)
{
    std::vector<std::int32_t> owned;
    for (const auto& [H, c] : clients_)
        if (c->owner == owner)
            owned.push_back(H);
    for (const std::int32_t H : owned)
        closeClient(H);
    if (!owned.empty())
        giveBackMemory();
}

void CommServerCore::giveBackMemory()
{
    // The allocator keeps freed memory for reuse; what a flood filled goes back to the system
    // once its handles are gone, so the server returns to its size at rest.
    if (std::exchange(giveBackDue_, true))
        return;
    QTimer::singleShot(0, this, [this] {
        giveBackDue_ = false;
#if defined(__SANITIZE_ADDRESS__)
        __sanitizer_purge_allocator(); // the sanitizer's allocator stands in for the system's
#elif defined(__GLIBC__)
        ::malloc_trim(0);
#endif
    });
}

void CommServerCore::dropOldest(Queue& queue)
{
    const std::size_t size = queue.items.front()->size();
    queue.items.pop_front();
    queue.bytes -= size;
    queuedBytes_ -= size + EntryOverhead;
}

void CommServerCore::clearQueue(Queue& queue)
{
    queuedBytes_ -= queue.cost();
    queue.items.clear();
    queue.bytes = 0;
}

void CommServerCore::push(Client& c, Queue& queue, std::shared_ptr<const Bytes> entry, std::size_t countLimit, std::size_t byteLimit)
{
    const std::size_t size = entry->size();
    const std::size_t cost = size + EntryOverhead;
    const std::size_t bound = queuedBytesLimit(config_);
    if (countLimit == 0 || size > byteLimit || cost > bound)
        return;
    // The queue's own limits: the oldest go.
    while (!queue.items.empty() && (queue.items.size() >= countLimit || queue.bytes + size > byteLimit))
        dropOldest(queue);
    // The bound of all queues together: a handle that holds half its share or more makes room in
    // its own queue; one below that takes the room from the handle that holds most, so a
    // flooding link cannot push out what a quiet one waits for.
    const std::size_t share = bound / std::max<std::size_t>(clients_.size(), 1);
    while (queuedBytes_ + cost > bound) {
        Client* victim = &c;
        if (c.queuedBytes() + cost < share / 2)
            for (const auto& [H, other] : clients_)
                if (other->queuedBytes() > victim->queuedBytes())
                    victim = other.get();
        Queue& from = victim == &c && !queue.items.empty() ? queue : victim->largestQueue();
        if (from.items.empty())
            return;
        dropOldest(from);
    }
    queue.bytes += size;
    queuedBytes_ += cost;
    queue.items.push_back(std::move(entry));
}

void CommServerCore::closeClient(std::int32_t H)
{
    auto it = clients_.find(H);
    if (it == clients_.end())
        return;
    std::unique_ptr<Client> gone = std::move(it->second);
    clients_.erase(it);
    queuedBytes_ -= gone->queuedBytes();
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

LinkTimings CommServerCore::linkTimings() const
{
    LinkTimings timings = config_.link;
    timings.unsentLimit = linkUnsentShare(config_);
    return timings;
}

void CommServerCore::openLink(std::int32_t H, Owner owner, std::unique_ptr<DeviceLink> link, Done done)
{
    Client* c = client(H, true, owner);
    if (!c) {
        done(reply(ResultNoConnection));
        return;
    }
    if (c->pendingOpen)
        std::exchange(c->pendingOpen, nullptr)(reply(ResultNoConnection));
    // Blocks of an earlier link belong to another device.
    clearQueue(c->blocks);
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
    push(*c, c->blocks, std::make_shared<const Bytes>(clientBlockFromFrame(frame)), config_.blockQueueLimit, SIZE_MAX);
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
    if (!c->blocks.items.empty()) {
        Bytes block = *c->blocks.items.front();
        dropOldest(c->blocks);
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
    switch (c->link->send(*frame)) {
    case DeviceLink::SendOutcome::Sent: done(reply(ResultOk)); return;
    case DeviceLink::SendOutcome::Busy: done(reply(ResultLinkBusy)); return;
    case DeviceLink::SendOutcome::Failed: done(reply(ResultReconnecting)); return;
    }
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

void CommServerCore::NewestRecords::erase(std::map<std::uint32_t, Collected>::iterator it)
{
    byAge_.erase({it->second.at, it->first});
    bytes_ -= it->second.record.size();
    byKey_.erase(it);
}

void CommServerCore::NewestRecords::store(std::uint32_t key, Collected entry, std::size_t maxCount, std::size_t maxBytes)
{
    if (const auto it = byKey_.find(key); it != byKey_.end())
        erase(it);
    while (!byKey_.empty() && (byKey_.size() >= maxCount || bytes_ + entry.record.size() > maxBytes))
        erase(byKey_.find(byAge_.begin()->second));
    if (maxCount == 0)
        return;
    byAge_.emplace(entry.at, key);
    bytes_ += entry.record.size();
    byKey_.emplace(key, std::move(entry));
}

void CommServerCore::NewestRecords::forgetOlderThan(std::chrono::steady_clock::time_point limit)
{
    while (!byAge_.empty() && byAge_.begin()->first < limit)
        erase(byKey_.find(byAge_.begin()->second));
}

void CommServerCore::udpReceived(std::uint32_t fromIp, std::uint16_t fromPort, const Bytes& datagram)
{
    const auto now = std::chrono::steady_clock::now();
    auto older = std::make_shared<const Bytes>(olderUdpRecord(fromIp, datagram));
    Kvrdata_ns::TUDPMsgV6 msg;
    fillMessage(msg, fromIp, fromPort, datagram);
    Bytes encoded;
    msg.ToVariant(encoded);
    auto newer = std::make_shared<const Bytes>(std::move(encoded));
    for (auto& [H, c] : clients_) {
        push(*c, c->udp, older, config_.udpQueueLimit, config_.udpQueueBytesLimit);
        if (!newer->empty())
            push(*c, c->udpV6, newer, config_.udpQueueLimit, config_.udpQueueBytesLimit);
    }

    // A device on a serial line has no address; its serial number tells it apart.
    if (datagram.size() >= 8 && readBE32(datagram, 0) == StatusMagic) {
        const std::uint32_t key = fromIp != 0 ? fromIp : readBE32(datagram, 4) & 0xFFFFFF;
        statusRecords_.store(key, Collected{now, *older, fromIp, fromPort}, config_.collectionLimit, SIZE_MAX);
    }
    if (datagram.size() > DeviceRecordMax)
        return;
    if (const Kvrdata_ns::TBCDevice* device = msg.GetDevice()) {
        const std::uint32_t key = fromIp != 0 ? fromIp : device->MAC & 0xFFFFFF;
        deviceRecords_.store(key, Collected{now, datagram, fromIp, fromPort}, config_.collectionLimit, DeviceRecordsBytesMax);
    }
}

void CommServerCore::purgeCollections()
{
    const auto limit = std::chrono::steady_clock::now() - std::chrono::milliseconds(config_.broadcastMaxAgeMs);
    statusRecords_.forgetOlderThan(limit);
    deviceRecords_.forgetOlderThan(limit);
}

Bytes CommServerCore::broadcastCollectionV6()
{
    purgeCollections();
    Kvrdata_ns::TUDPMsgsV6 vector;
    for (const auto& [key, entry] : deviceRecords_.entries()) {
        vector.Insert(vector.CreateElement());
        fillMessage(*vector.Element(vector.Size() - 1), entry.fromIp, entry.fromPort, entry.record);
    }
    Bytes out;
    vector.ToVariant(out);
    return out;
}

void CommServerCore::openTcp(std::int32_t H, Owner owner, std::uint32_t ip, Done done)
{
    if (ip == 0 || ip == 0xFFFFFFFFu) {
        done(reply(ResultNoConnection));
        return;
    }
    openLink(H, owner, std::make_unique<TcpDeviceLink>(dotted(ip), config_.devicePort, linkTimings()), std::move(done));
}

void CommServerCore::openSerial(std::int32_t H, Owner owner, int port, Done done)
{
    const std::map<int, std::string> ports = config_.serialPortSource ? config_.serialPortSource() : config_.serialPorts;
    const auto it = ports.find(port);
    if (it == ports.end()) {
        done(reply(ResultNoConnection));
        return;
    }
    openLink(H, owner, std::make_unique<SerialDeviceLink>(it->second, linkTimings()), std::move(done));
}

void CommServerCore::openByAddress(std::int32_t H, Owner owner, const Bytes& address, Done done)
{
    Kvrdata_ns::TDeviceAddr da;
    Bytes copy = address;
    if (!da.FromVariant(copy)) {
        done(reply(ResultInvalidArgument));
        return;
    }
    switch (da.CK) {
    case Kvrdata_ns::dckFixedIP:
        openTcp(H, owner, da.IP, std::move(done));
        return;
    case Kvrdata_ns::dckCOMPort:
        openSerial(H, owner, da.GetCOMPort(), std::move(done));
        return;
    case Kvrdata_ns::dckBroadcast: {
        // The newest status record of the device: project, device and (when given) serial number.
        purgeCollections();
        const std::uint32_t serial = da.MAC & 0xFFFFFF;
        std::optional<std::pair<std::uint32_t, std::uint32_t>> found; // address, serial
        for (const auto& [key, entry] : statusRecords_.entries()) {
            const std::span<const std::uint8_t> r(entry.record);
            const std::uint32_t s = readLE32(r, 12) & 0xFFFFFF;
            if (readLE32(r, 20) == da.PID && readLE32(r, 16) == da.DID && (serial == 0 || s == serial))
                found = {entry.fromIp, s};
        }
        for (const auto& [key, entry] : deviceRecords_.entries()) {
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
            openTcp(H, owner, found->first, std::move(done));
        else
            openSerial(H, owner, static_cast<int>(found->second), std::move(done));
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
    out.reserve(4 + statusRecords_.entries().size() * OlderUdpRecordSize);
    ByteWriter w(out);
    w.be16(static_cast<std::uint16_t>(OlderUdpRecordSize));
    w.be16(0);
    for (const auto& [key, entry] : statusRecords_.entries())
        w.bytes(entry.record);
    return out;
}

void CommServerCore::popQueue(std::int32_t H, Owner owner, bool older, Done done)
{
    Client* c = client(H, true, owner);
    if (!c) {
        done(replyBytes({}, ResultNotConnected));
        return;
    }
    auto& queue = older ? c->udp : c->udpV6;
    if (queue.items.empty()) {
        done(replyBytes({}, ResultNothingQueued));
        return;
    }
    Bytes entry = *queue.items.front();
    dropOldest(queue);
    done(replyBytes(std::move(entry), ResultOk));
}

void CommServerCore::call(Owner owner, RpcMethod method, const RpcValues& in, Done done)
{
    const auto H = [&] { return rpcInt(in, 0); };
    if (usesHandle(method) && foreign(H(), owner)) {
        done(refusedHandle(method));
        return;
    }
    switch (method) {
    case RpcMethod::CloseConnection:
        if (Client* c = client(H(), false)) {
            if (c->pendingOpen)
                std::exchange(c->pendingOpen, nullptr)(reply(ResultNoConnection));
            c->link.reset();
            clearQueue(c->blocks);
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
        openSerial(H(), owner, rpcInt(in, 1), std::move(done));
        return;
    case RpcMethod::OpenTCPConnection: {
        const std::int32_t port = rpcInt(in, 2);
        if (rpcText(in, 1).empty() || port <= 0 || port > 65535) {
            done(reply(ResultNoConnection));
            return;
        }
        openLink(H(), owner, std::make_unique<TcpDeviceLink>(rpcText(in, 1), static_cast<std::uint16_t>(port), linkTimings()),
                 std::move(done));
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
        popQueue(H(), owner, true, std::move(done));
        return;
    case RpcMethod::ReadUDPBlockV6:
        popQueue(H(), owner, false, std::move(done));
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
        if (Client* c = client(H(), true, owner)) {
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
        if (Client* c = client(H(), true, owner)) {
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
        openByAddress(H(), owner, rpcBytes(in, 1), std::move(done));
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
