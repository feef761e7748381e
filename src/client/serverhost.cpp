#include "client/serverhost.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
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

} // namespace

HResult TLocalServerHost::CreateLocal(std::shared_ptr<ICommServer>& Server)
{
    const std::string Folder = kvr::commserver::defaultServerFolder();
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
    for (int i = 0; i < 50; ++i) {
        QThread::msleep(100);
        if (auto Proxy = Connect(Folder)) {
            Server = Proxy;
            return 0;
        }
    }
    return HrServerExecFailure;
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
    if (!Source.open(QIODevice::ReadOnly))
        return false;
    const QByteArray Image = Source.readAll();
    if (Image.isEmpty())
        return false;
    // Written beside and renamed over, so a running old copy is never truncated under itself.
    const QString Target = QString::fromStdString(Path);
    const QString Temporary = Target + ".new";
    QFile Out(Temporary);
    if (!Out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool Written = Out.write(Image) == Image.size() && Out.flush();
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
    QProcess::startDetached(QString::fromStdString(Path), {QStringLiteral("/regserver")});
}

void TLocalServerHost::EndStartedServer()
{
    if (StartedPid <= 0)
        return;
    ::kill(static_cast<pid_t>(StartedPid), SIGTERM);
    StartedPid = 0;
    const std::string Folder = kvr::commserver::defaultServerFolder();
    for (int i = 0; i < 40 && Connect(Folder); ++i)
        QThread::msleep(50);
}

bool TLocalServerHost::ServerRunning()
{
    EndStartedServer();
    return Connect(kvr::commserver::defaultServerFolder()) != nullptr;
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
