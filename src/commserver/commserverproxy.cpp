#include "commserver/commserverproxy.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QTcpSocket>

#include <algorithm>
#include <cstdlib>
#include <unistd.h>

namespace kvr::commserver {

namespace {

bool waitConnected(QIODevice& socket, int ms)
{
    if (auto* local = qobject_cast<QLocalSocket*>(&socket))
        return local->waitForConnected(ms);
    return static_cast<QTcpSocket&>(socket).waitForConnected(ms);
}

bool socketUsable(const QIODevice& socket)
{
    if (const auto* local = qobject_cast<const QLocalSocket*>(&socket))
        return local->state() == QLocalSocket::ConnectedState;
    return static_cast<const QTcpSocket&>(socket).state() == QAbstractSocket::ConnectedState;
}

bool waitWritten(QIODevice& socket, int ms)
{
    if (auto* local = qobject_cast<QLocalSocket*>(&socket)) {
        // A local socket may already have handed everything to the kernel.
        return local->bytesToWrite() == 0 || local->waitForBytesWritten(ms);
    }
    auto& tcp = static_cast<QTcpSocket&>(socket);
    return tcp.bytesToWrite() == 0 || tcp.waitForBytesWritten(ms);
}

} // namespace

std::string defaultServerFolder()
{
    if (const char* dir = std::getenv("KVR_RUREZ_DIR"); dir && *dir)
        return dir;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/kvr";
    return "/tmp/kvr-" + std::to_string(::getuid());
}

std::string serverSocketPath(const std::string& folder) { return folder + "/rurez.sock"; }
std::string serverLockPath(const std::string& folder) { return folder + "/rurez.lock"; }

CommServerProxy::CommServerProxy(ProxyEndpoint endpoint, ProxyTimeouts timeouts)
    : endpoint_(std::move(endpoint)), timeouts_(timeouts)
{
}

CommServerProxy::~CommServerProxy() = default;

bool CommServerProxy::isConnected() const { return socket_ && socketUsable(*socket_); }

void CommServerProxy::disconnectFromServer() { socket_.reset(); }

bool CommServerProxy::connectToServer()
{
    if (isConnected())
        return true;
    socket_.reset();
    if (endpoint_.host.empty()) {
        auto local = std::make_unique<QLocalSocket>();
        local->connectToServer(QString::fromStdString(endpoint_.localSocket));
        socket_ = std::move(local);
    } else {
        auto tcp = std::make_unique<QTcpSocket>();
        tcp->connectToHost(QString::fromStdString(endpoint_.host), endpoint_.port);
        socket_ = std::move(tcp);
    }
    if (!socketUsable(*socket_) && !waitConnected(*socket_, timeouts_.connectMs)) {
        socket_.reset();
        return false;
    }
    return true;
}

RpcReply CommServerProxy::failAndDrop(HResult hresult)
{
    socket_.reset();
    return RpcReply{hresult, {}};
}

RpcReply CommServerProxy::transact(RpcMethod method, RpcValues inputs, std::int32_t waitHintMs)
{
    if (!connectToServer())
        return RpcReply{HrServerUnavailable, {}};

    RpcFrame call;
    call.kind = RpcKind::Call;
    call.method = method;
    call.callNumber = nextCall_++;
    call.values = std::move(inputs);
    const Bytes frame = encodeRpcFrame(call);
    if (socket_->write(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size())) != static_cast<qint64>(frame.size()))
        return failAndDrop(HrServerUnavailable);
    if (!waitWritten(*socket_, timeouts_.callMs))
        return failAndDrop(HrServerUnavailable);

    // The server answers a waiting call within its longest wait, so a longer time-out asked for
    // adds nothing; unbounded, it would also overflow the socket's int wait below (and wait for ever).
    const qint64 budget = static_cast<qint64>(timeouts_.callMs) + std::clamp(waitHintMs, 0, timeouts_.longestWaitMs);
    QElapsedTimer clock;
    clock.start();
    RpcFrameReader reader;
    while (true) {
        const QByteArray chunk = socket_->readAll();
        if (!chunk.isEmpty())
            reader.append({reinterpret_cast<const std::uint8_t*>(chunk.constData()), static_cast<std::size_t>(chunk.size())});
        RpcFrame reply;
        const auto status = reader.next(reply);
        if (status == RpcFrameReader::Status::Failed)
            return failAndDrop(HrServerUnavailable);
        if (status == RpcFrameReader::Status::Frame) {
            // One call at a time, so anything but the reply to this call is garbage; so is a
            // second frame behind it.
            if (reply.kind != RpcKind::Reply || reply.method != method || reply.callNumber != call.callNumber || reader.buffered() != 0)
                return failAndDrop(HrServerUnavailable);
            RpcReply result;
            result.hresult = rpcInt(reply.values, 0);
            result.outputs.assign(std::make_move_iterator(reply.values.begin() + 1), std::make_move_iterator(reply.values.end()));
            return result;
        }
        const qint64 left = budget - clock.elapsed();
        if (left <= 0)
            return failAndDrop(HrServerTimeout);
        if (!socketUsable(*socket_) && socket_->bytesAvailable() == 0)
            return failAndDrop(HrServerUnavailable);
        socket_->waitForReadyRead(static_cast<int>(left));
    }
}

} // namespace kvr::commserver
