#include "commserver/server/rpcserver.h"

#include <QLocalServer>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <climits>
#include <tuple>
#include <vector>

#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include "commserver/socketstream.h"

namespace kvr::commserver {

namespace {
// A connection that holds handles yet has made no call for this long may give its place to a
// new one on a full server: a program polls many times a second.
constexpr auto HolderEvictableAfter = std::chrono::seconds(1);

// Default outputs for a failed call, so every reply carries its method's shape.
RpcValues defaultOutputs(const char* signature)
{
    RpcValues values;
    for (const char* s = signature; *s; ++s) {
        if (*s == 'i')
            values.emplace_back(std::int32_t{0});
        else if (*s == 's')
            values.emplace_back(std::string());
        else
            values.emplace_back(Bytes());
    }
    return values;
}

// Hands over the accepted descriptor itself: each connection is served from it directly (see
// SocketStream).
class LocalListener : public QLocalServer {
public:
    using QLocalServer::QLocalServer;
    std::function<void(int)> onAccepted;

protected:
    void incomingConnection(quintptr descriptor) override
    {
        if (onAccepted)
            onAccepted(static_cast<int>(descriptor));
        else
            ::close(static_cast<int>(descriptor));
    }
};

} // namespace

bool localPeerUid(qintptr socketDescriptor, std::uint32_t& uid)
{
    ucred cred{};
    socklen_t size = sizeof(cred);
    if (::getsockopt(static_cast<int>(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &cred, &size) != 0 || size != sizeof(cred))
        return false;
    uid = cred.uid;
    return true;
}

class RpcServer::Connection : public QObject {
public:
    Connection(CommServerCore& core, int descriptor, CommServerCore::Owner id, RpcServer* server)
        : QObject(server), core_(core), id_(id), socket_(new SocketStream(descriptor, this))
    {
        socket_->onBytes = [this](std::span<const std::uint8_t> bytes) { readSome(bytes); };
        socket_->onClosed = [this] { close(); };
    }

    ~Connection() override { core_.releaseOwner(id_); }

    bool closing() const { return closing_; }
    bool holdsHandles() const { return core_.handlesOf(id_) > 0; }
    // Not serving a call and without one since when.
    bool idleSince(std::chrono::steady_clock::time_point& since) const
    {
        since = lastCall_;
        return !busy_ && !closing_;
    }

    void close()
    {
        if (closing_)
            return;
        closing_ = true;
        socket_->abort();
        deleteLater();
    }

    void readSome(std::span<const std::uint8_t> bytes)
    {
        if (closing_)
            return;
        reader_.append(bytes);
        // A client waits for each reply; one that keeps sending meanwhile only fills memory, and
        // so does one that sends more of a call than any call needs (the biggest, a datagram
        // to send, stays well within the connection's share).
        if (reader_.buffered() > callBufferShare(core_.config())) {
            close();
            return;
        }
        serveNext();
    }

private:
    void serveNext()
    {
        while (!busy_ && !closing_) {
            RpcFrame frame;
            const auto status = reader_.next(frame);
            if (status == RpcFrameReader::Status::NeedMore)
                return;
            if (status == RpcFrameReader::Status::Failed || frame.kind != RpcKind::Call) {
                close();
                return;
            }
            const RpcMethodInfo* info = rpcMethodInfo(static_cast<std::uint8_t>(frame.method));
            busy_ = true;
            serving_ = true;
            lastCall_ = std::chrono::steady_clock::now();
            QPointer<Connection> self(this);
            const RpcMethod method = frame.method;
            const std::uint32_t number = frame.callNumber;
            core_.call(id_, method, frame.values, [self, method, number, info](RpcReply reply) {
                if (!self)
                    return;
                if (reply.hresult < 0 || !valuesMatch(reply.outputs, info->outputs))
                    reply.outputs = defaultOutputs(info->outputs);
                RpcFrame out;
                out.kind = RpcKind::Reply;
                out.method = method;
                out.callNumber = number;
                out.values.reserve(reply.outputs.size() + 1);
                out.values.emplace_back(reply.hresult);
                for (auto& v : reply.outputs)
                    out.values.push_back(std::move(v));
                if (!self->answer(encodeRpcFrame(out)))
                    return;
                self->busy_ = false;
                self->lastCall_ = std::chrono::steady_clock::now();
                // A reply given inside core_.call lets the loop in serveNext go on with the next
                // buffered call; one given later (a waiting read) goes on from here.
                if (!self->serving_ && self->reader_.buffered() > 0)
                    self->serveNext();
            });
            serving_ = false;
        }
    }

    // Writes a reply at once; false when the connection was closed instead.
    bool answer(const Bytes& reply)
    {
        if (!socket_->write(reply) || socket_->bytesToWrite() > replyBacklogShare(core_.config())) {
            close();
            return false;
        }
        return true;
    }

    CommServerCore& core_;
    const CommServerCore::Owner id_;
    SocketStream* socket_;
    RpcFrameReader reader_;
    bool busy_ = false;
    bool serving_ = false; // inside core_.call
    bool closing_ = false;
    std::chrono::steady_clock::time_point lastCall_ = std::chrono::steady_clock::now();
};

RpcServer::RpcServer(CommServerCore& core, QObject* parent) : QObject(parent), core_(core) {}

RpcServer::~RpcServer()
{
    // The connections release their handles through this server: they go while it is whole.
    const QObjectList all = children();
    for (QObject* child : all)
        delete dynamic_cast<Connection*>(child);
}

bool RpcServer::listen(const std::string& localSocketPath, std::string* error)
{
    auto* local = new LocalListener(this);
    local_ = local;
    local_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(QString::fromStdString(localSocketPath));
    if (!local_->listen(QString::fromStdString(localSocketPath))) {
        if (error)
            *error = "cannot listen on " + localSocketPath + ": " + local_->errorString().toStdString();
        return false;
    }
    local->onAccepted = [this](int descriptor) {
        std::uint32_t uid = 0;
        if (!localPeerUid(descriptor, uid) || uid != core_.config().ownerUid) {
            ++refused_;
            ::close(descriptor);
            return;
        }
        adopt(descriptor);
    };
    const HostPort& remote = core_.config().remoteListen;
    if (core_.config().remoteListenEnabled) {
        auto* tcp = new TcpDescriptorServer(this);
        remote_ = tcp;
        if (!remote_->listen(QHostAddress(QString::fromStdString(remote.host.empty() ? "0.0.0.0" : remote.host)), remote.port)) {
            if (error)
                *error = "cannot listen on TCP: " + remote_->errorString().toStdString();
            return false;
        }
        tcp->onAccepted = [this](int descriptor) { adopt(descriptor); };
    }
    return true;
}

void RpcServer::adopt(int descriptor)
{
    // A full server makes room by closing the connection that has been idle longest, rather
    // than turn away a client that is about to call.
    if (openConnections() >= core_.config().maxConnections && !makeRoom()) {
        ::close(descriptor);
        return;
    }
    auto* connection = new Connection(core_, descriptor, nextConnection_++, this);
    ++connections_;
    if (idleTimer_)
        idleTimer_->stop();
    const int shortestIdleMs = std::min(core_.config().connectionIdleMs > 0 ? core_.config().connectionIdleMs : INT_MAX,
                                        core_.config().holderIdleMs > 0 ? core_.config().holderIdleMs : INT_MAX);
    if (!sweepTimer_ && shortestIdleMs != INT_MAX) {
        sweepTimer_ = new QTimer(this);
        sweepTimer_->setInterval(std::max(shortestIdleMs / 4, 10));
        connect(sweepTimer_, &QTimer::timeout, this, [this] { closeIdle(); });
    }
    if (sweepTimer_ && !sweepTimer_->isActive())
        sweepTimer_->start();
    connect(connection, &QObject::destroyed, this, [this] { connectionGone(); });
}

std::size_t RpcServer::openConnections() const
{
    // A closed connection keeps its place until the event loop deletes it; it serves nobody.
    const QObjectList all = children();
    return static_cast<std::size_t>(std::count_if(all.begin(), all.end(), [](QObject* child) {
        const auto* connection = dynamic_cast<Connection*>(child);
        return connection && !connection->closing();
    }));
}

void RpcServer::closeIdle()
{
    const auto now = std::chrono::steady_clock::now();
    const auto connectionIdle = std::chrono::milliseconds(core_.config().connectionIdleMs);
    const auto holderIdle = std::chrono::milliseconds(core_.config().holderIdleMs);
    for (QObject* child : children()) {
        auto* connection = dynamic_cast<Connection*>(child);
        std::chrono::steady_clock::time_point since;
        if (!connection || !connection->idleSince(since))
            continue;
        const auto idleFor = connection->holdsHandles() ? holderIdle : connectionIdle;
        if (idleFor.count() > 0 && now - since >= idleFor)
            connection->close();
    }
}

bool RpcServer::makeRoom()
{
    // The connection idle longest goes: one without handles if there is any, else one that
    // holds handles but has not called for a while (its links close with it).
    const auto now = std::chrono::steady_clock::now();
    Connection* bare = nullptr;
    Connection* holder = nullptr;
    std::chrono::steady_clock::time_point bareSince, holderSince;
    for (QObject* child : children()) {
        auto* connection = dynamic_cast<Connection*>(child);
        std::chrono::steady_clock::time_point since;
        if (!connection || !connection->idleSince(since))
            continue;
        if (!connection->holdsHandles()) {
            if (!bare || since < bareSince)
                std::tie(bare, bareSince) = std::pair{connection, since};
        } else if (now - since >= HolderEvictableAfter && (!holder || since < holderSince)) {
            std::tie(holder, holderSince) = std::pair{connection, since};
        }
    }
    Connection* chosen = bare ? bare : holder;
    if (!chosen)
        return false;
    chosen->close();
    return true;
}

void RpcServer::connectionGone()
{
    --connections_;
    if (connections_ == 0 && sweepTimer_)
        sweepTimer_->stop();
    if (connections_ == 0 && idleTimer_)
        idleTimer_->start();
}

void RpcServer::setIdleExit(int ms, std::function<void()> idle)
{
    delete idleTimer_;
    idleTimer_ = nullptr;
    if (ms <= 0)
        return;
    idleTimer_ = new QTimer(this);
    idleTimer_->setSingleShot(true);
    idleTimer_->setInterval(ms);
    connect(idleTimer_, &QTimer::timeout, this, [this, idle = std::move(idle)] {
        if (connections_ == 0)
            idle();
    });
    if (connections_ == 0)
        idleTimer_->start();
}

std::uint16_t RpcServer::remotePort() const { return remote_ ? remote_->serverPort() : 0; }

std::size_t RpcServer::connectionCount() const { return connections_; }

} // namespace kvr::commserver
