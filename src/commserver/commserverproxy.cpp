#include "commserver/commserverproxy.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace kvr::commserver {

namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, INT32_MAX));
}

// Waits until fd is ready for events or the deadline passes; false on time-out or error.
bool waitReady(int fd, short events, Clock::time_point deadline)
{
    pollfd p{fd, events, 0};
    while (true) {
        const int n = ::poll(&p, 1, msLeft(deadline));
        if (n > 0)
            return true;
        if (n == 0 || errno != EINTR)
            return false;
    }
}

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Connects a non-blocking socket within the deadline.
bool connectWithin(int fd, const sockaddr* address, socklen_t length, Clock::time_point deadline)
{
    // A local socket answers EAGAIN when the server's queue of connections to accept is full:
    // nothing is under way, so the connect is tried again, a little later each time.
    int pauseMs = 1;
    int result = ::connect(fd, address, length);
    while (result != 0 && address->sa_family == AF_UNIX && errno == EAGAIN && msLeft(deadline) > 0) {
        ::usleep(static_cast<useconds_t>(std::min(pauseMs, msLeft(deadline))) * 1000);
        pauseMs = std::min(pauseMs * 2, 50);
        result = ::connect(fd, address, length);
    }
    if (result == 0)
        return true;
    if (errno != EINPROGRESS && errno != EINTR)
        return false;
    if (!waitReady(fd, POLLOUT, deadline))
        return false;
    int error = 0;
    socklen_t size = sizeof(error);
    return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

// Writes all of data within the deadline; a closed peer is an error, never a signal. The socket
// blocks, each send for at most its send time-out.
bool writeAll(int fd, const std::uint8_t* data, std::size_t size, Clock::time_point deadline)
{
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && msLeft(deadline) > 0)
            continue;
        return false;
    }
    return true;
}

bool setTimeout(int fd, int option, int ms)
{
    timeval tv{};
    tv.tv_sec = ms / 1000;
    tv.tv_usec = (ms % 1000) * 1000;
    return ::setsockopt(fd, SOL_SOCKET, option, &tv, sizeof(tv)) == 0;
}

// A connected socket becomes a blocking one with bounded waits: a call is then one write and a
// read that sleeps until the reply comes, with nothing asked of the kernel in between.
bool makeBlocking(int fd, int sendTimeoutMs)
{
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 && setTimeout(fd, SO_SNDTIMEO, std::max(sendTimeoutMs, 1));
}

} // namespace

namespace {

std::string sharedTempFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/kvr-" + std::to_string(::getuid());
}

// A name in the shared temporary folder that someone else may hold: a link, a file, or another
// user's folder. A folder of ours is closed to others by the server that uses it.
bool takenByOthers(const std::string& folder)
{
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0)
        return false; // free: the server creates it as its own
    return !S_ISDIR(st.st_mode) || st.st_uid != ::getuid();
}

std::string privateFolder()
{
    std::string home;
    if (const char* h = std::getenv("HOME"); h && *h)
        home = h;
    else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        home = pw->pw_dir;
    return home + "/.cache/kvr-rurez";
}

} // namespace

std::string defaultServerFolder()
{
    if (const char* dir = std::getenv("KVR_RUREZ_DIR"); dir && *dir)
        return dir;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/kvr";
    const std::string shared = sharedTempFolder();
    return takenByOthers(shared) ? privateFolder() : shared;
}

std::string serverFolderNotice()
{
    const std::string folder = defaultServerFolder();
    const std::string shared = sharedTempFolder();
    if (folder != privateFolder() || !takenByOthers(shared))
        return {};
    return "The folder " + shared + " is not a private folder of this user; the communication server uses " + folder +
           " instead.";
}

std::string serverSocketPath(const std::string& folder) { return folder + "/rurez.sock"; }
std::string serverLockPath(const std::string& folder) { return folder + "/rurez.lock"; }

CommServerProxy::CommServerProxy(ProxyEndpoint endpoint, ProxyTimeouts timeouts)
    : endpoint_(std::move(endpoint)), timeouts_(timeouts)
{
}

CommServerProxy::~CommServerProxy() { closeFd(fd_); }

bool CommServerProxy::isConnected() const
{
    if (fd_ < 0)
        return false;
    // Between calls nothing is due from the server: anything to read is its end of the
    // connection (a TCP peer's close shows only as readable) or garbage, so connect anew.
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, 0) == 0;
}

void CommServerProxy::disconnectFromServer() { closeFd(fd_); }

int CommServerProxy::connectSocket() const
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeouts_.connectMs);
    if (endpoint_.host.empty()) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (endpoint_.localSocket.empty() || endpoint_.localSocket.size() >= sizeof(address.sun_path))
            return -1;
        std::memcpy(address.sun_path, endpoint_.localSocket.data(), endpoint_.localSocket.size());
        int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd >= 0 && !connectWithin(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address), deadline))
            closeFd(fd);
        return fd;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(endpoint_.host.c_str(), std::to_string(endpoint_.port).c_str(), &hints, &found) != 0)
        return -1;
    int fd = -1;
    for (const addrinfo* a = found; a && fd < 0 && msLeft(deadline) > 0; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd >= 0 && !connectWithin(fd, a->ai_addr, a->ai_addrlen, deadline))
            closeFd(fd);
    }
    ::freeaddrinfo(found);
    if (fd >= 0) {
        // Every call is a small frame waiting for its reply: no coalescing delay.
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
    }
    return fd;
}

bool CommServerProxy::receiveTimeoutAtMost(int ms)
{
    // A receive time-out up to a little longer than the time left is kept, so steady calls set
    // it once: one much longer is brought down; a shorter one ends the receive early, after
    // which it is set anew from the deadline.
    constexpr int SlackMs = 10;
    if (receiveTimeoutMs_ > 0 && receiveTimeoutMs_ <= ms + SlackMs)
        return true;
    if (!setTimeout(fd_, SO_RCVTIMEO, ms))
        return false;
    receiveTimeoutMs_ = ms;
    return true;
}

bool CommServerProxy::connectToServer()
{
    if (isConnected())
        return true;
    closeFd(fd_);
    receiveTimeoutMs_ = 0;
    fd_ = connectSocket();
    if (fd_ >= 0 && !makeBlocking(fd_, timeouts_.callMs))
        closeFd(fd_);
    return fd_ >= 0;
}

RpcReply CommServerProxy::failAndDrop(HResult hresult)
{
    closeFd(fd_);
    return RpcReply{hresult, {}};
}

RpcFrame CommServerProxy::makeCall(RpcMethod method, RpcValues inputs)
{
    RpcFrame call;
    call.kind = RpcKind::Call;
    call.method = method;
    call.callNumber = nextCall_++;
    call.values = std::move(inputs);
    return call;
}

RpcReply CommServerProxy::awaitReply(const RpcFrame& call, Clock::time_point deadline, RpcFrameReader& reader, bool moreToCome)
{
    std::array<std::uint8_t, 16384> chunk;
    while (true) {
        RpcFrame reply;
        const auto status = reader.next(reply);
        if (status == RpcFrameReader::Status::Failed)
            return failAndDrop(HrServerUnavailable);
        if (status == RpcFrameReader::Status::Frame) {
            // Calls are answered in order, so anything but the reply to this call is garbage;
            // so is a frame behind the last reply awaited.
            if (reply.kind != RpcKind::Reply || reply.method != call.method || reply.callNumber != call.callNumber ||
                (!moreToCome && reader.buffered() != 0))
                return failAndDrop(HrServerUnavailable);
            RpcReply result;
            result.hresult = rpcInt(reply.values, 0);
            result.outputs.assign(std::make_move_iterator(reply.values.begin() + 1), std::make_move_iterator(reply.values.end()));
            return result;
        }
        const int left = msLeft(deadline);
        if (left == 0)
            return failAndDrop(HrServerTimeout);
        if (!receiveTimeoutAtMost(left))
            return failAndDrop(HrServerUnavailable);
        const ssize_t n = ::recv(fd_, chunk.data(), chunk.size(), 0);
        if (n == 0)
            return failAndDrop(HrServerUnavailable);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                receiveTimeoutMs_ = 0; // ended by its time-out: set anew from the deadline
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            return failAndDrop(HrServerUnavailable);
        }
        reader.append({chunk.data(), static_cast<std::size_t>(n)});
    }
}

CommServerProxy::Clock::time_point CommServerProxy::replyDeadline(Clock::time_point start, std::int32_t waitHintMs) const
{
    // The server answers a waiting call within its longest wait, so a longer time-out asked for
    // adds nothing; unbounded, it would also wait for ever on a silent server.
    return start + std::chrono::milliseconds(timeouts_.callMs) +
           std::chrono::milliseconds(std::clamp(waitHintMs, 0, timeouts_.longestWaitMs));
}

RpcReply CommServerProxy::transact(RpcMethod method, RpcValues inputs, std::int32_t waitHintMs)
{
    if (!connectToServer())
        return RpcReply{HrServerUnavailable, {}};
    const RpcFrame call = makeCall(method, std::move(inputs));
    const Bytes frame = encodeRpcFrame(call);
    const auto start = Clock::now();
    if (!writeAll(fd_, frame.data(), frame.size(), start + std::chrono::milliseconds(timeouts_.callMs)))
        return failAndDrop(HrServerUnavailable);
    RpcFrameReader reader;
    return awaitReply(call, replyDeadline(start, waitHintMs), reader, false);
}

void CommServerProxy::transactBoth(RpcMethod first, RpcValues firstInputs, RpcMethod second, RpcValues secondInputs,
                                   std::int32_t waitHintMs, RpcReply& firstReply, std::optional<RpcReply>& secondReply)
{
    // Both calls leave in one write and the server answers them in order: one trip through the
    // server instead of two. The second call is made whatever the first answers.
    secondReply.reset();
    if (!connectToServer()) {
        firstReply = RpcReply{HrServerUnavailable, {}};
        return;
    }
    const RpcFrame call1 = makeCall(first, std::move(firstInputs));
    const RpcFrame call2 = makeCall(second, std::move(secondInputs));
    Bytes frames = encodeRpcFrame(call1);
    const Bytes frame2 = encodeRpcFrame(call2);
    frames.insert(frames.end(), frame2.begin(), frame2.end());
    const auto start = Clock::now();
    if (!writeAll(fd_, frames.data(), frames.size(), start + std::chrono::milliseconds(timeouts_.callMs))) {
        firstReply = failAndDrop(HrServerUnavailable);
        return;
    }
    RpcFrameReader reader;
    firstReply = awaitReply(call1, replyDeadline(start, 0), reader, true);
    if (firstReply.hresult < 0)
        return;
    secondReply = awaitReply(call2, replyDeadline(start, waitHintMs), reader, false);
}

} // namespace kvr::commserver
