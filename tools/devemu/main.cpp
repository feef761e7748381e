// The device emulator program: serves one or more emulated devices on loopback.
//
//   devemu --device KEY=VALUE,... [--device ...] [--udp-target HOST:PORT]... [--broadcast-ms N]
//
// Device keys: ip (127.0.0.2), port (0: any free one), serial, firmware, pid (four letters),
// did, name, hardware, stamp, image (a device file .kvf), pty (serve a pseudo-terminal too,
// SLIP-framed), pages (status pages per module, 4), broadcasts (older, newer or both: which
// status records go out every period), page=MODULE:PAGE:HEX (one status page of a module,
// 8 data bytes; repeatable), status=MODULE:FILE (a module's status page from a file, its bytes
// sent 8 a page; repeatable), cards=MODULE:SLOT:CODE:SERIAL:REV[:FA]/... (cards in the slot
// indexes 0-9 of a carrier module, type 4; a slot not given keeps its default, a card in slot
// index 0 and the others empty; repeatable), older-firmware (the serial and version request goes unanswered,
// the module request 0x0600 tells the version), modules=NUMBER:TYPE:INDEX/... (at most 32,
// listed in the status broadcast and answering module information), silent=NUMBER/... (modules
// that answer no module information), burn-fail=NUMBER/... and burn-silent=NUMBER/... (modules
// that report a failed burn or none), burn-stranger=NUMBER (an unlisted module that reports),
// and the fault knobs delay=MS, drop=N, dup=N, late=N:MS, cut-after=N, corrupt-crc, flash-burn,
// and bad-id=N, bad-len=N, flip=N (every n-th answer with another block's ID, one byte longer,
// or its data bytes inverted).
// Once listening it prints one line "device N tcp=IP:PORT udp=PORT [pty=PATH]" per device and
// then "devemu ready".
// Commands on standard input, one a line (N is the device number from 1):
//   error N MODULE CODE PARAM   send an error report block to the connected clients
//   logic N NUMBER STATE        send a global logic state datagram to the UDP targets
//   state N ID VALUE            set the state of logic source ID (0-255) and report it to the
//                               connected clients as a class-0x110E block
//   cut N                       drop the device's connections and stop listening
//   resume N                    listen again on the same port
//   received N                  print "received N blocks=COUNT datagrams=COUNT"
//   send N ID HEX               send a control block to the connected clients (sendcommand.h)
//   quiet N                     stop the device's status broadcasts
//   talk N                      send them again
//   last N K                    print the last K blocks and datagrams the device received, one
//                               "last N block 0xID LEN HEX" or "last N datagram HEX" a line
//   quit

#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QSocketNotifier>
#include <QPointer>
#include <QTimer>
#include <QUdpSocket>

#include <cstdio>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include "commserver/quitonsignal.h"
#include "commserver/socketstream.h"
#include "devemu/devicemodel.h"
#include "devemu/deviceoptions.h"
#include "devemu/sendcommand.h"
#include "kvrdata/byteorder.h"

namespace {

using kvr::commserver::DeviceFrame;
using kvr::commserver::DeviceFrameReader;
using kvr::commserver::SocketStream;
using kvr::commserver::TcpDescriptorServer;
using kvr::devemu::DeviceIdentity;
using kvr::devemu::DeviceModel;
using kvr::devemu::DeviceOptions;
using kvr::devemu::FaultKnobs;
using kvr::devemu::parseDevice;

struct Target {
    QHostAddress host;
    quint16 port = 0;
};

class EmulatedDevice : public QObject {
public:
    EmulatedDevice(QHostAddress address, quint16 port, DeviceModel model, std::vector<Target> targets)
        : address_(address), port_(port), model_(std::move(model)), targets_(std::move(targets))
    {
        server_ = new TcpDescriptorServer(this);
        server_->onAccepted = [this](int descriptor) { adopt(descriptor); };
        udp_ = new QUdpSocket(this);
        udp_->bind(address_, 0);
        connect(udp_, &QUdpSocket::readyRead, this, [this] {
            while (udp_->hasPendingDatagrams()) {
                const QNetworkDatagram d = udp_->receiveDatagram(65536);
                const QByteArray bytes = d.data();
                model_.receiveDatagram(kvr::commserver::Bytes(bytes.begin(), bytes.end()));
            }
        });
    }

    bool listen()
    {
        if (!server_->listen(address_, port_))
            return false;
        port_ = server_->serverPort();
        return true;
    }

    void cut()
    {
        server_->close();
        for (SocketStream* socket : clients_) {
            socket->abort();
            socket->deleteLater();
        }
        clients_.clear();
    }

    // Serves the device on a pseudo-terminal as well; returns the path of its serial side.
    std::string openSerialLine()
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            return {};
        const char* path = ::ptsname(master_);
        if (!path)
            return {};
        // Keep the serial side open and raw, so the line neither echoes nor hangs up before
        // the server opens it.
        slave_ = ::open(path, O_RDWR | O_NOCTTY);
        if (slave_ >= 0) {
            termios tio{};
            ::tcgetattr(slave_, &tio);
            ::cfmakeraw(&tio);
            ::tcsetattr(slave_, TCSANOW, &tio);
        }
        auto* notifier = new QSocketNotifier(master_, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] {
            std::uint8_t buffer[512];
            const ssize_t n = ::read(master_, buffer, sizeof(buffer));
            if (n <= 0)
                return;
            std::vector<kvr::commserver::Bytes> packets;
            slip_.append({buffer, static_cast<std::size_t>(n)}, packets);
            for (const auto& packet : packets) {
                const auto frame = kvr::commserver::decodeDeviceFrame(packet);
                if (!frame)
                    continue;
                for (const auto& a : model_.handle(*frame)) {
                    QTimer::singleShot(std::max(a.delayMs, 0), this, [this, f = a.frame] { writeSerial(f); });
                }
            }
        });
        return path;
    }

    ~EmulatedDevice() override
    {
        if (slave_ >= 0)
            ::close(slave_);
        if (master_ >= 0)
            ::close(master_);
    }

    quint16 port() const { return port_; }
    quint16 udpPort() const { return udp_->localPort(); }
    const QHostAddress& address() const { return address_; }
    DeviceModel& model() { return model_; }

    void broadcastStatus()
    {
        if (quiet_)
            return;
        if (generation_ != 2)
            sendDatagram(model_.statusDatagram());
        if (generation_ != 1)
            sendDatagram(model_.deviceRecordDatagram());
    }

    void setQuiet(bool quiet) { quiet_ = quiet; }

    // 1: older status records only, 2: newer device records only, 0: both.
    void setGeneration(int generation) { generation_ = generation; }

    void sendDatagram(const kvr::commserver::Bytes& datagram)
    {
        const QByteArray bytes(reinterpret_cast<const char*>(datagram.data()), static_cast<qsizetype>(datagram.size()));
        for (const Target& t : targets_)
            udp_->writeDatagram(bytes, t.host, t.port);
    }

    void sendToClients(const DeviceFrame& frame)
    {
        for (SocketStream* socket : clients_)
            write(socket, frame);
    }

private:
    void adopt(int descriptor)
    {
        auto* socket = new SocketStream(descriptor, this);
        clients_.push_back(socket);
        auto reader = std::make_shared<DeviceFrameReader>();
        socket->onBytes = [this, socket, reader](std::span<const std::uint8_t> bytes) {
            reader->append(bytes);
            DeviceFrame frame;
            while (socket->isOpen()) {
                const auto status = reader->next(frame);
                if (status == DeviceFrameReader::Status::NeedMore)
                    return;
                if (status == DeviceFrameReader::Status::Failed) {
                    drop(socket);
                    return;
                }
                for (const auto& a : model_.handle(frame))
                    schedule(socket, a);
                if (model_.shouldCut()) {
                    cut();
                    return;
                }
            }
        };
        socket->onClosed = [this, socket] { drop(socket); };
    }

    void schedule(SocketStream* socket, const kvr::devemu::Answer& a)
    {
        if (a.delayMs <= 0) {
            write(socket, a.frame);
            return;
        }
        QPointer<SocketStream> guard(socket);
        QTimer::singleShot(a.delayMs, this, [this, guard, frame = a.frame] {
            if (guard && std::find(clients_.begin(), clients_.end(), guard.data()) != clients_.end())
                write(guard, frame);
        });
    }

    void writeSerial(const DeviceFrame& frame)
    {
        const auto bytes = kvr::commserver::slipEncode(kvr::commserver::encodeDeviceFrame(frame));
        [[maybe_unused]] const auto n = ::write(master_, bytes.data(), bytes.size());
    }

    // Out at once, as a device answers.
    static void write(SocketStream* socket, const DeviceFrame& frame) { socket->write(kvr::commserver::encodeDeviceFrame(frame)); }

    void drop(SocketStream* socket)
    {
        std::erase(clients_, socket);
        socket->abort();
        socket->deleteLater();
    }

    QHostAddress address_;
    quint16 port_;
    DeviceModel model_;
    std::vector<Target> targets_;
    TcpDescriptorServer* server_ = nullptr;
    QUdpSocket* udp_ = nullptr;
    std::vector<SocketStream*> clients_;
    int generation_ = 0;
    bool quiet_ = false;
    int master_ = -1;
    int slave_ = -1;
    kvr::commserver::SlipDecoder slip_;
};

int usage(const std::string& why)
{
    std::fprintf(stderr, "devemu: %s\nusage: devemu --device KEY=VALUE,... [--udp-target HOST:PORT]... [--broadcast-ms N]\n", why.c_str());
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
    std::vector<DeviceOptions> devicesWanted;
    std::vector<Target> targets;
    int broadcastMs = 1000;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--device" && i + 1 < argc) {
            DeviceOptions options;
            std::string error;
            if (!parseDevice(argv[++i], options, error))
                return usage(error);
            devicesWanted.push_back(std::move(options));
        } else if (arg == "--udp-target" && i + 1 < argc) {
            const QString text = QString::fromUtf8(argv[++i]);
            const auto colon = text.lastIndexOf(':');
            bool ok = false;
            const int port = text.mid(colon + 1).toInt(&ok);
            Target t{QHostAddress(text.left(colon)), static_cast<quint16>(port)};
            if (colon < 0 || !ok || port <= 0 || port > 65535 || t.host.isNull())
                return usage("bad --udp-target");
            targets.push_back(t);
        } else if (arg == "--broadcast-ms" && i + 1 < argc) {
            broadcastMs = QString::fromUtf8(argv[++i]).toInt();
        } else {
            return usage("unknown argument " + arg);
        }
    }
    if (devicesWanted.empty())
        devicesWanted.emplace_back();

    std::vector<std::unique_ptr<EmulatedDevice>> devices;
    for (std::size_t i = 0; i < devicesWanted.size(); ++i) {
        DeviceModel model(devicesWanted[i].identity, devicesWanted[i].image);
        model.setKnobs(devicesWanted[i].knobs);
        model.setModules(devicesWanted[i].modules);
        for (auto& [module, pages] : devicesWanted[i].pages)
            model.setStatusPages(module, pages);
        for (const auto& card : devicesWanted[i].cards)
            model.setCard(card);
        auto device = std::make_unique<EmulatedDevice>(devicesWanted[i].address, devicesWanted[i].port, std::move(model), targets);
        device->setGeneration(devicesWanted[i].generation);
        if (!device->listen())
            return usage("cannot listen on " + devicesWanted[i].address.toString().toStdString());
        std::string pty;
        if (devicesWanted[i].serialLine && (pty = device->openSerialLine()).empty())
            return usage("cannot open a pseudo-terminal");
        std::printf("device %zu tcp=%s:%u udp=%u%s%s\n", i + 1, device->address().toString().toUtf8().constData(),
                    static_cast<unsigned>(device->port()), static_cast<unsigned>(device->udpPort()),
                    pty.empty() ? "" : " pty=", pty.c_str());
        devices.push_back(std::move(device));
    }

    QTimer broadcast;
    QObject::connect(&broadcast, &QTimer::timeout, [&devices] {
        for (auto& d : devices)
            d->broadcastStatus();
    });
    if (broadcastMs > 0 && !targets.empty()) {
        broadcast.start(broadcastMs);
        for (auto& d : devices)
            d->broadcastStatus();
    }

    // Commands on standard input; its end stops the emulator, so a test that dies takes it along.
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    std::string pending;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[512];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof(buffer));
        if (n <= 0) {
            QCoreApplication::quit();
            return;
        }
        pending.append(buffer, static_cast<std::size_t>(n));
        if (pending.size() > 4096)
            pending.clear();
        std::size_t eol;
        while ((eol = pending.find('\n')) != std::string::npos) {
            std::istringstream line(pending.substr(0, eol));
            pending.erase(0, eol + 1);
            std::string cmd;
            std::size_t index = 0;
            line >> cmd >> index;
            if (cmd == "quit") {
                QCoreApplication::quit();
                return;
            }
            if (index < 1 || index > devices.size())
                continue;
            EmulatedDevice& d = *devices[index - 1];
            if (cmd == "error") {
                unsigned module = 0, code = 0, param = 0;
                line >> module >> code >> param;
                d.sendToClients(d.model().errorReport(static_cast<std::uint16_t>(module), code, param));
            } else if (cmd == "logic") {
                unsigned number = 0, state = 0;
                line >> number >> state;
                d.sendDatagram(d.model().globalLogicDatagram(static_cast<std::uint16_t>(number), state != 0));
            } else if (cmd == "state") {
                unsigned id = 0, value = 0;
                line >> id >> value;
                d.sendToClients(d.model().setLogicState(static_cast<std::uint16_t>(id), static_cast<std::uint8_t>(value)));
            } else if (cmd == "cut") {
                d.cut();
            } else if (cmd == "resume") {
                d.listen();
            } else if (cmd == "send") {
                if (const auto frame = kvr::devemu::parseSendCommand(line))
                    d.sendToClients(*frame);
            } else if (cmd == "quiet" || cmd == "talk") {
                d.setQuiet(cmd == "quiet");
            } else if (cmd == "last") {
                std::size_t count = 0;
                line >> count;
                for (const std::string& l : kvr::devemu::lastReceived(d.model(), count))
                    std::printf("last %zu %s\n", index, l.c_str());
            } else if (cmd == "received") {
                std::printf("received %zu blocks=%zu datagrams=%zu\n", index, d.model().received().size(),
                            d.model().receivedDatagrams().size());
            }
            std::printf("ok %s\n", cmd.c_str());
            std::fflush(stdout);
        }
    });

    kvr::commserver::quitEventLoopOnSignals();
    std::printf("devemu ready\n");
    std::fflush(stdout);
    return app.exec();
}
