#pragma once
// Starts a program of ours for a test and always stops it: every wait is bounded, and the
// destructor terminates, then kills.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpServer>
#include <QThread>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStringList>

#include <chrono>
#include <optional>
#include <string>

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
