// The communication server: one instance per user, serving the clients of this user on a local
// socket (and other machines on TCP when asked) and owning the links to the devices.
//
//   rurez /regserver              record this program's path and version, then exit
//   rurez [options]               serve; prints "rurez ready ..." once it listens, or
//                                 "rurez failed udp=PORT in-use" when another program holds
//                                 the UDP port (the program that started it reports that)
//     --dir PATH                  folder of the socket and the lock (mode 0700)
//     --remote-listen HOST:PORT   TCP listener for other machines (off by default)
//     --udp-bind HOST:PORT        where device broadcasts arrive (0.0.0.0:2009, or the value of
//                                 KVR_RUREZ_UDP_BIND)
//     --udp-target HOST:PORT      where broadcasts go; repeatable (255.255.255.255:2009)
//     --device-port N             device TCP port for Ping and connections by address (2008)
//     --device-udp-port N         UDP port of a single device (2009)
//     --serial N=PATH             "COM N" is the serial device PATH; repeatable
//     --connect-timeout-ms, --retry-ms, --reconnect-ms   link timings
//     --broadcast-max-age-ms N    a sender's status record leaves the collections after N ms
//                                 without a newer one (1500)
//     --idle-exit-ms N            end N ms after the last client has gone (5000; 0: never)
//     --reply-backlog-bytes N     close a connection whose unread answers pass N bytes
//                                 (its share of the memory bound: 256 KiB)
//     --connection-idle-ms N      close a connection without handles idle for N ms (30000)
//     --handle-idle-ms N          close a connection holding handles idle for N ms (60000)
//     --stall-ms N                a link whose unsent bytes do not move for N ms is broken (3000)
//
// Without --serial, "COM n" is looked up in the settings store's serial map, read at start and
// again when the settings file changes.

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QLockFile>
#include <QUdpSocket>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "commserver/commserverproxy.h"
#include "commserver/quitonsignal.h"
#include "commserver/server/commservercore.h"
#include "commserver/server/rpcserver.h"
#include "commserver/serialports/serialportmap.h"
#include "commserver/serverregistration.h"
#include "kvr/version.h"

namespace {

using namespace kvr::commserver;

bool parseHostPort(const std::string& text, HostPort& out)
{
    const auto colon = text.rfind(':');
    if (colon == std::string::npos)
        return false;
    bool ok = false;
    const int port = QString::fromStdString(text.substr(colon + 1)).toInt(&ok);
    if (!ok || port < 0 || port > 65535)
        return false;
    out.host = text.substr(0, colon);
    out.port = static_cast<std::uint16_t>(port);
    return true;
}

bool parseInt(const char* text, int& out)
{
    bool ok = false;
    out = QString::fromUtf8(text).toInt(&ok);
    return ok && out >= 0;
}

// The folder must be ours and closed to everybody else.
bool prepareFolder(const std::string& folder, std::string& error)
{
    QDir().mkpath(QString::fromStdString(folder));
    struct stat st{};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = "cannot create " + folder;
        return false;
    }
    if (st.st_uid != ::getuid()) {
        error = folder + " belongs to another user";
        return false;
    }
    if (::chmod(folder.c_str(), 0700) != 0) {
        error = "cannot set the mode of " + folder;
        return false;
    }
    return true;
}

// Whether another program holds the UDP port so that this server cannot share it.
bool udpPortHeld(const HostPort& bind)
{
    QUdpSocket probe;
    return !probe.bind(QHostAddress(QString::fromStdString(bind.host)), bind.port,
                       QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint) &&
           probe.error() == QAbstractSocket::AddressInUseError;
}

int usage()
{
    std::fprintf(stderr, "usage: rurez [/regserver] [--dir PATH] [--remote-listen HOST:PORT] [--udp-bind HOST:PORT] "
                         "[--udp-target HOST:PORT]... [--device-port N] [--device-udp-port N] [--serial N=PATH]... "
                         "[--connect-timeout-ms N] [--retry-ms N] [--reconnect-ms N] [--broadcast-max-age-ms N] [--idle-exit-ms N] [--reply-backlog-bytes N] [--connection-idle-ms N] "
                         "[--handle-idle-ms N] [--stall-ms N]\n");
    return 64;
}


} // namespace

int main(int argc, char** argv)
{
    // The plain event loop: the desktop's loop wakes itself twice for every socket write, which
    // a program that answers thousands of small blocks a second pays for on every one.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);

    ServerConfig config;
    config.folder = defaultServerFolder();
    config.ownerUid = ::getuid();
    bool targetsGiven = false;
    // A started server gets no arguments: tests move its UDP port this way.
    if (const char* bind = std::getenv("KVR_RUREZ_UDP_BIND"); bind && *bind && !parseHostPort(bind, config.udpBind))
        return usage();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        int n = 0;
        if (arg == "/regserver" || arg == "-regserver" || arg == "--regserver") {
            const ServerRegistration r{QCoreApplication::applicationFilePath().toStdString(), KVR_VERSION_TEXT};
            return registerServer(r) ? 0 : 1;
        } else if (arg == "--dir" && hasValue) {
            config.folder = argv[++i];
        } else if (arg == "--remote-listen" && hasValue) {
            if (!parseHostPort(argv[++i], config.remoteListen))
                return usage();
            config.remoteListenEnabled = true;
        } else if (arg == "--udp-bind" && hasValue) {
            if (!parseHostPort(argv[++i], config.udpBind))
                return usage();
        } else if (arg == "--udp-target" && hasValue) {
            HostPort target;
            if (!parseHostPort(argv[++i], target))
                return usage();
            if (!targetsGiven)
                config.udpTargets.clear();
            targetsGiven = true;
            config.udpTargets.push_back(target);
        } else if (arg == "--device-port" && hasValue && parseInt(argv[i + 1], n) && n <= 65535) {
            config.devicePort = static_cast<std::uint16_t>(n);
            ++i;
        } else if (arg == "--device-udp-port" && hasValue && parseInt(argv[i + 1], n) && n <= 65535) {
            config.deviceUdpPort = static_cast<std::uint16_t>(n);
            ++i;
        } else if (arg == "--serial" && hasValue) {
            const std::string spec = argv[++i];
            const auto eq = spec.find('=');
            if (eq == std::string::npos || !parseInt(spec.substr(0, eq).c_str(), n))
                return usage();
            config.serialPorts[n] = spec.substr(eq + 1);
        } else if (arg == "--connect-timeout-ms" && hasValue && parseInt(argv[i + 1], n)) {
            config.link.connectTimeoutMs = n;
            ++i;
        } else if (arg == "--retry-ms" && hasValue && parseInt(argv[i + 1], n)) {
            config.link.retryIntervalMs = n;
            ++i;
        } else if (arg == "--reconnect-ms" && hasValue && parseInt(argv[i + 1], n)) {
            config.link.reconnectWindowMs = n;
            ++i;
        } else if (arg == "--broadcast-max-age-ms" && hasValue && parseInt(argv[i + 1], n)) {
            config.broadcastMaxAgeMs = n;
            ++i;
        } else if (arg == "--idle-exit-ms" && hasValue && parseInt(argv[i + 1], n)) {
            config.idleExitMs = n;
            ++i;
        } else if (arg == "--reply-backlog-bytes" && hasValue && parseInt(argv[i + 1], n) && n > 0) {
            config.replyBacklogLimit = static_cast<std::size_t>(n);
            ++i;
        } else if (arg == "--connection-idle-ms" && hasValue && parseInt(argv[i + 1], n)) {
            config.connectionIdleMs = n;
            ++i;
        } else if (arg == "--handle-idle-ms" && hasValue && parseInt(argv[i + 1], n)) {
            config.holderIdleMs = n;
            ++i;
        } else if (arg == "--stall-ms" && hasValue && parseInt(argv[i + 1], n) && n > 0) {
            config.link.stallTimeoutMs = n;
            ++i;
        } else {
            return usage();
        }
    }
    if (config.serialPorts.empty()) {
        auto stored = std::make_shared<StoredSerialPorts>();
        stored->onNotice = [](const std::string& notice) { std::fprintf(stderr, "rurez: %s\n", notice.c_str()); };
        stored->current(); // read once now; again only when the file changes
        config.serialPortSource = [stored] { return serialPortMap(stored->current()); };
    }
    // Tests stand in for a foreign user by naming another owner.
    if (const char* owner = std::getenv("KVR_RUREZ_OWNER_UID"); owner && *owner)
        config.ownerUid = static_cast<std::uint32_t>(std::strtoul(owner, nullptr, 10));

    std::string error;
    if (const std::string notice = serverFolderNotice(); !notice.empty() && config.folder == defaultServerFolder())
        std::fprintf(stderr, "rurez: %s\n", notice.c_str());
    if (!prepareFolder(config.folder, error)) {
        std::fprintf(stderr, "rurez: %s\n", error.c_str());
        return 1;
    }
    QLockFile lock(QString::fromStdString(serverLockPath(config.folder)));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        std::fprintf(stderr, "rurez: another instance is running for this user\n");
        return 2;
    }

    CommServerCore core(config);
    if (!core.start(&error)) {
        std::fprintf(stderr, "rurez: %s\n", error.c_str());
        if (udpPortHeld(config.udpBind)) {
            std::printf("rurez failed udp=%u in-use\n", static_cast<unsigned>(config.udpBind.port));
            std::fflush(stdout);
        }
        return 1;
    }
    RpcServer server(core);
    if (!server.listen(serverSocketPath(config.folder), &error)) {
        std::fprintf(stderr, "rurez: %s\n", error.c_str());
        return 1;
    }
    server.setIdleExit(config.idleExitMs, [] { QCoreApplication::quit(); });
    quitEventLoopOnSignals();
    std::printf("rurez ready socket=%s udp=%u remote=%u\n", serverSocketPath(config.folder).c_str(),
                static_cast<unsigned>(core.udpPort()), static_cast<unsigned>(server.remotePort()));
    std::fflush(stdout);
    const int rc = app.exec();
    QFile::remove(QString::fromStdString(serverSocketPath(config.folder)));
    return rc;
}
