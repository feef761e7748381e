#pragma once
// Starts a program of ours for a test and always stops it: every wait is bounded, and the
// destructor terminates, then kills.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QTcpServer>
#include <QThread>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Program {
public:
    Program(const QString& path, const QStringList& args, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
    {
        process_.setProgram(path);
        process_.setArguments(args);
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start();
        started_ = process_.waitForStarted(5000);
    }

    ~Program() { stop(); }

    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool started() const { return started_; }
    qint64 pid() const { return process_.processId(); }

    // Waits for a line of standard output starting with prefix; returns it without its end.
    std::optional<QString> waitForLine(const QString& prefix, int timeoutMs = 5000)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (true) {
            while (process_.canReadLine()) {
                const QString line = QString::fromUtf8(process_.readLine()).trimmed();
                lines_ << line;
                if (line.startsWith(prefix))
                    return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
            if (left <= 0 || process_.state() == QProcess::NotRunning)
                return std::nullopt;
            process_.waitForReadyRead(static_cast<int>(left));
        }
    }

    void send(const QString& command)
    {
        process_.write((command + "\n").toUtf8());
        process_.waitForBytesWritten(2000);
    }

    // Exit code once finished within the time, else nullopt.
    std::optional<int> waitForExit(int timeoutMs = 5000)
    {
        if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(timeoutMs))
            return std::nullopt;
        return process_.exitCode();
    }

    // Standard error so far (kept, so later calls see it too).
    QString errors()
    {
        errors_ += QString::fromUtf8(process_.readAllStandardError());
        return errors_;
    }

    // Stops the program and gives what a sanitizer reported, empty when nothing.
    QString stopAndCheck()
    {
        stop();
        const QString text = errors();
        return text.contains("Sanitizer") || text.contains("runtime error") ? text : QString();
    }

    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }

private:
    QProcess process_;
    QStringList lines_;
    QString errors_;
    bool started_ = false;
};

// A value named NAME=VALUE in a line of words.
inline QString wordValue(const QString& line, const QString& name)
{
    const QRegularExpression re(QStringLiteral("\\b") + QRegularExpression::escape(name) + QStringLiteral("=(\\S+)"));
    const auto m = re.match(line);
    return m.hasMatch() ? m.captured(1) : QString();
}

// A TCP port free on Address right now.
inline int FreePort(const char* Address)
{
    QTcpServer probe;
    return probe.listen(QHostAddress(Address), 0) ? probe.serverPort() : 0;
}

// A TCP port free on both emulated addresses 127.0.0.2 and 127.0.0.3 right now, so that
// connections by address reach either device at the one device port the server knows.
inline int FreeDevicePort()
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        QTcpServer a;
        QTcpServer b;
        if (a.listen(QHostAddress("127.0.0.2"), 0) && b.listen(QHostAddress("127.0.0.3"), a.serverPort()))
            return a.serverPort();
    }
    return 0;
}

// The server program and the device emulator of a program-level test, started on loopback.
// Every start waits, bounded, for the program's ready line and says what went wrong (empty on
// success). The destructor stops both, the emulator first.
class LoopbackPrograms {
public:
    LoopbackPrograms() = default;
    LoopbackPrograms(const LoopbackPrograms&) = delete;
    LoopbackPrograms& operator=(const LoopbackPrograms&) = delete;
    ~LoopbackPrograms() { stop(); }

    // Stops both without checking, the emulator first.
    void stop()
    {
        emulator.reset();
        server.reset();
    }

    // The server's arguments in the tests: its folder, its UDP port on loopback, then options
    // (timings, the port at which it reaches devices).
    static QStringList serverArgs(const QString& folder, const QStringList& options = {})
    {
        return QStringList{"--dir", folder, "--udp-bind", "127.0.0.1:0"} + options;
    }

    // Starts the server in folder (serverArgs) and waits for it as startServer does.
    std::string startServerIn(const QString& path, const QString& folder, const QStringList& options = {})
    {
        return startServer(path, serverArgs(folder, options));
    }

    // Starts the server with these arguments; keeps its ready line and its UDP port.
    std::string startServer(const QString& path, const QStringList& args,
                            const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
    {
        server = std::make_unique<Program>(path, args, env);
        const auto ready = server->waitForLine("rurez ready");
        if (!ready)
            return "server: " + server->errors().toStdString();
        serverReady = *ready;
        udp = wordValue(serverReady, "udp");
        return {};
    }

    // Starts the emulator with one device per entry of devices (the text of its --device) and a
    // broadcast every broadcastMs; with toServer the broadcasts go to the started server's UDP
    // port. Keeps each device's TCP port.
    std::string startEmulator(const QString& path, const QStringList& devices, int broadcastMs, bool toServer = true)
    {
        QStringList args;
        for (const QString& device : devices)
            args << "--device" << device;
        if (toServer)
            args << "--udp-target" << "127.0.0.1:" + udp;
        args << "--broadcast-ms" << QString::number(broadcastMs);
        emulator = std::make_unique<Program>(path, args);
        devicePorts.clear();
        for (qsizetype i = 0; i < devices.size(); ++i) {
            const auto line = emulator->waitForLine("device");
            if (!line)
                return "emulator: " + emulator->errors().toStdString();
            devicePorts.push_back(wordValue(*line, "tcp").section(':', 1).toInt());
        }
        if (!emulator->waitForLine("devemu ready"))
            return "emulator: " + emulator->errors().toStdString();
        return {};
    }

    // Stops both, the emulator first; what a sanitizer reported in either, empty when nothing.
    std::string stopAndCheck()
    {
        std::string found;
        if (emulator)
            if (const QString text = emulator->stopAndCheck(); !text.isEmpty())
                found += "emulator: " + text.toStdString();
        if (server)
            if (const QString text = server->stopAndCheck(); !text.isEmpty())
                found += "server: " + text.toStdString();
        return found;
    }

    std::unique_ptr<Program> server;
    std::unique_ptr<Program> emulator;
    QString serverReady;          // the server's ready line
    QString udp;                  // the server's UDP port
    std::vector<int> devicePorts; // the TCP port of each emulated device, in order
};

// Resident memory of a process in KiB; 0 when unknown.
inline long residentKiB(qint64 pid)
{
    QFile status(QString("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toLong();
    return 0;
}

// Lets the event loop run (a client's poll among it) until done holds or the time is up.
inline bool RunUntil(const std::function<bool()>& done, int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

// Runs step and lets messages through until done holds; bounded.
template <class Step, class Done>
bool Until(Step step, Done done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        step();
        if (done())
            return true;
        QCoreApplication::processEvents();
        QThread::msleep(50);
    }
    return false;
}
