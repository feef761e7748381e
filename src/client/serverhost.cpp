#include "client/serverhost.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <functional>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

#include "commserver/commserverproxy.h"
#include "commserver/serverregistration.h"
#include "diagnostics/platform.h"

namespace kvr::client {

namespace {

std::string WithSeparator(QString Folder)
{
    if (!Folder.endsWith('/'))
        Folder += '/';
    return Folder.toStdString();
}

std::string EnvText(const char* Name)
{
    const char* Value = std::getenv(Name);
    return Value ? std::string(Value) : std::string();
}

// The socket folder exists but belongs to someone else or is closed to us.
bool FolderRefused(const std::string& Folder)
{
    struct stat St {};
    if (::stat(Folder.c_str(), &St) != 0)
        return false;
    return St.st_uid != ::getuid() || ::access(Folder.c_str(), R_OK | W_OK | X_OK) != 0;
}

std::shared_ptr<kvr::commserver::CommServerProxy> Connect(const std::string& Folder)
{
    auto Proxy = std::make_shared<kvr::commserver::CommServerProxy>(
        kvr::commserver::ProxyEndpoint{kvr::commserver::serverSocketPath(Folder), {}, 0});
    return Proxy->connectToServer() ? Proxy : nullptr;
}

// How long a server may take to open its socket, to end, or to register itself. The waits end
// as soon as what they wait for has happened; the server is ready within milliseconds.
constexpr int ServerDeadlineMs = 5000;
constexpr int PollMs = 2;

// Polls Done until it is true or the deadline has passed.
bool WaitFor(const std::function<bool()>& Done, int DeadlineMs = ServerDeadlineMs)
{
    QElapsedTimer Clock;
    Clock.start();
    while (!Done()) {
        if (Clock.elapsed() >= DeadlineMs)
            return false;
        QThread::msleep(PollMs);
    }
    return true;
}

// The server of this user holds its lock with its process id in it; 0 when none holds it.
qint64 LockHolder(const std::string& Folder)
{
    QLockFile Lock(QString::fromStdString(kvr::commserver::serverLockPath(Folder)));
    Lock.setStaleLockTime(0);
    if (Lock.tryLock(0)) {
        Lock.unlock();
        return 0;
    }
    qint64 Pid = 0;
    QString Host, App;
    return Lock.getLockInfo(&Pid, &Host, &App) && Pid > 0 ? Pid : 0;
}

} // namespace

HResult TLocalServerHost::CreateLocal(std::shared_ptr<ICommServer>& Server)
{
    const std::string Folder = kvr::commserver::defaultServerFolder();
    if (const std::string Notice = kvr::commserver::serverFolderNotice(); !Notice.empty())
        DebugOutput(Notice);
    if (FolderRefused(Folder))
        return HrAccessDenied;
    if (auto Proxy = Connect(Folder)) {
        Server = Proxy;
        return 0;
    }
    // None answers: start the registered server and wait for its socket.
    const std::string Path = RegisteredCommandLine();
    if (Path.empty() || !QFileInfo(QString::fromStdString(Path)).isExecutable())
        return HrClassNotRegistered;
    qint64 Pid = 0;
    if (!QProcess::startDetached(QString::fromStdString(Path), {}, QString(), &Pid))
        return HrServerExecFailure;
    StartedPid = Pid;
    std::shared_ptr<kvr::commserver::CommServerProxy> Proxy;
    if (!WaitFor([&] { return (Proxy = Connect(Folder)) != nullptr; }))
        return HrServerExecFailure;
    Server = Proxy;
    return 0;
}

HResult TLocalServerHost::CreateRemote(const std::string& Machine, std::shared_ptr<ICommServer>& Server)
{
    std::string Host = Machine;
    std::uint16_t Port = RemoteServerPort;
    if (const auto Colon = Machine.rfind(':'); Colon != std::string::npos) {
        bool Ok = false;
        const int Value = QString::fromStdString(Machine.substr(Colon + 1)).toInt(&Ok);
        if (!Ok || Value <= 0 || Value > 65535)
            return kvr::commserver::HrInvalidArg;
        Host = Machine.substr(0, Colon);
        Port = static_cast<std::uint16_t>(Value);
    }
    auto Proxy = std::make_shared<kvr::commserver::CommServerProxy>(kvr::commserver::ProxyEndpoint{{}, Host, Port});
    if (!Proxy->connectToServer())
        return HrServerExecFailure;
    Server = Proxy;
    return 0;
}

std::string TLocalServerHost::RegisteredCommandLine()
{
    // A pipe named as the settings file would block the program here.
    if (!kvr::diag::RegularFileOrNone(kvr::commserver::settingsFileName()))
        return {};
    return kvr::commserver::readServerRegistration().path;
}

std::string TLocalServerHost::InstallFolder()
{
    QString Folder = QString::fromStdString(EnvText("KVR_SERVER_INSTALL_DIR"));
    if (Folder.isEmpty()) {
        Folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        if (Folder.isEmpty())
            Folder = QDir::homePath() + "/.local/share";
        Folder += "/kvr";
    }
    QDir().mkpath(Folder);
    return WithSeparator(Folder);
}

std::string TLocalServerHost::TempFolder()
{
    return WithSeparator(QDir::tempPath());
}

std::string TLocalServerHost::CarriedServerPath()
{
    const std::string Given = EnvText("KVR_SERVER_IMAGE");
    return Given.empty() ? kvr::diag::ProgramFolder() + ServerFileName : Given;
}

bool TLocalServerHost::WriteServerImage(const std::string& Path)
{
    QFile Source(QString::fromStdString(CarriedServerPath()));
    if (!Source.open(QIODevice::ReadOnly) || Source.size() == 0)
        return false;
    // Written beside and renamed over, so a running old copy is never truncated under itself;
    // copied in pieces, not read into memory whole.
    const QString Target = QString::fromStdString(Path);
    const QString Temporary = Target + ".new";
    QFile Out(Temporary);
    if (!Out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    bool Written = true;
    QByteArray Piece(256 * 1024, Qt::Uninitialized);
    qint64 Copied = 0;
    while (Written) {
        const qint64 N = Source.read(Piece.data(), Piece.size());
        if (N <= 0) {
            Written = N == 0 && Copied == Source.size();
            break;
        }
        Written = Out.write(Piece.constData(), N) == N;
        Copied += N;
    }
    Written = Written && Out.flush();
    Out.close();
    if (!Written || !Out.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        QFile::remove(Temporary);
        return false;
    }
    if (std::rename(Temporary.toLocal8Bit().constData(), Target.toLocal8Bit().constData()) != 0) {
        QFile::remove(Temporary);
        return false;
    }
    return true;
}

void TLocalServerHost::RunRegistration(const std::string& Path)
{
    QProcess Registration;
    Registration.setProgram(QString::fromStdString(Path));
    Registration.setArguments({QStringLiteral("/regserver")});
    Registration.setProcessChannelMode(QProcess::ForwardedChannels);
    Registration.start();
    if (Registration.waitForStarted(ServerDeadlineMs) && !Registration.waitForFinished(ServerDeadlineMs)) {
        Registration.kill();
        Registration.waitForFinished(1000);
    }
}

bool TLocalServerHost::ServerRunning()
{
    // An older server is asked to end (it ends on SIGTERM as on its idle time); its lock names
    // it, and the lock lies in this user's own folder.
    const std::string Folder = kvr::commserver::defaultServerFolder();
    qint64 Pid = LockHolder(Folder);
    if (Pid <= 0)
        Pid = StartedPid;
    StartedPid = 0;
    if (Pid > 0)
        ::kill(static_cast<pid_t>(Pid), SIGTERM);
    // Its socket closes when it ends.
    return !WaitFor([&] { return Connect(Folder) == nullptr; });
}

void TLocalServerHost::DebugOutput(const std::string& Line)
{
    kvr::diag::WriteDebugOutput(Line);
}

void TLocalServerHost::Terminate()
{
    if (auto* App = QCoreApplication::instance())
        QMetaObject::invokeMethod(App, &QCoreApplication::quit, Qt::QueuedConnection);
}

} // namespace kvr::client
