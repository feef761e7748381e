// The client installs the server program it carries when none is registered, registers it,
// starts it and connects.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHostAddress>
#include <QLockFile>
#include <QTemporaryDir>
#include <QThread>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

#include "support/loopbackprograms.h"
#include "client/clientmessages.h"
#include "client/kvrcommunicationclient.h"
#include "client/serverhost.h"
#include "commserver/commserverproxy.h"
#include "commserver/serverregistration.h"
#include "diagnostics/kvrinfoformat.h"

namespace {

class ServerInstall : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        Run = Dir.path() + "/run";
        Install = Dir.path() + "/install";
        Saved = {qgetenv("KVR_RUREZ_DIR"), qgetenv("KVR_CONFIG_DIR")};
        qputenv("KVR_RUREZ_DIR", Run.toLocal8Bit());
        qputenv("KVR_CONFIG_DIR", (Dir.path() + "/config").toLocal8Bit());
        qputenv("KVR_SERVER_INSTALL_DIR", Install.toLocal8Bit());
        qputenv("KVR_SERVER_IMAGE", KVR_RUREZ_PATH);
    }

    void TearDown() override
    {
        // The client started the server detached, as the program does; end it by its id while
        // it still holds its lock.
        QLockFile Lock(QString::fromStdString(kvr::commserver::serverLockPath(Run.toStdString())));
        Lock.setStaleLockTime(0);
        qint64 Pid = 0;
        QString Host, App;
        if (!Lock.tryLock(0) && Lock.getLockInfo(&Pid, &Host, &App) && Pid > 0)
            ::kill(static_cast<pid_t>(Pid), SIGTERM);
        qputenv("KVR_RUREZ_DIR", Saved.first);
        qputenv("KVR_CONFIG_DIR", Saved.second);
        qunsetenv("KVR_SERVER_INSTALL_DIR");
        qunsetenv("KVR_SERVER_IMAGE");
    }

    QTemporaryDir Dir;
    QString Run;
    QString Install;
    std::pair<QByteArray, QByteArray> Saved;
};

TEST_F(ServerInstall, MissingServerIsInstalledRegisteredAndStarted)
{
    std::vector<unsigned> Shown;
    InfoFormatter->SetMessagePresenter([&](int, const std::string&, unsigned Code, const std::string&) {
        Shown.push_back(Code);
        return static_cast<int>(mrOk);
    });
    {
        TKVRCommunicationClient Client;
        EXPECT_EQ(Client.GetStatus(), dcsNotConnected);
        EXPECT_TRUE(Client.HasServer());
        EXPECT_TRUE(Shown.empty());
        const QFileInfo Installed(Install + "/rurez");
        EXPECT_TRUE(Installed.isExecutable());
        EXPECT_EQ(QFileInfo(QString::fromStdString(kvr::commserver::readServerRegistration().path)).canonicalFilePath(),
                  Installed.canonicalFilePath());
        EXPECT_TRUE(Client.SetLogging(0));

        // A second client finds the running server and installs nothing.
        const auto Written = Installed.lastModified();
        TKVRCommunicationClient Second;
        EXPECT_EQ(Second.GetStatus(), dcsNotConnected);
        EXPECT_EQ(QFileInfo(Install + "/rurez").lastModified(), Written);
    }
    InfoFormatter->SetMessagePresenter(nullptr);
}

// An older server found running, whoever started it, is asked to end before the update writes
// the new one: the host waits for its socket to close.
TEST_F(ServerInstall, RunningServerIsAskedToEndBeforeAnUpdate)
{
    ASSERT_TRUE(kvr::commserver::registerServer({KVR_RUREZ_PATH, "5.1.9.409"}));
    {
        kvr::client::TLocalServerHost Host;
        std::shared_ptr<kvr::commserver::ICommServer> Server;
        ASSERT_EQ(Host.CreateLocal(Server), 0) << "the registered server is started";
        std::int32_t Version = 0;
        EXPECT_EQ(Server->GetVersion(Version), 0);
        Server.reset();
        EXPECT_FALSE(Host.ServerRunning());
    }
    Program Other(KVR_RUREZ_PATH, {"--dir", Run, "--udp-bind", "127.0.0.1:0"});
    ASSERT_TRUE(Other.waitForLine("rurez ready")) << Other.errors().toStdString();
    kvr::client::TLocalServerHost Host;
    std::shared_ptr<kvr::commserver::ICommServer> Server;
    ASSERT_EQ(Host.CreateLocal(Server), 0);
    Server.reset();
    EXPECT_FALSE(Host.ServerRunning());
    EXPECT_TRUE(Other.waitForExit(2000).has_value()) << "the other server ended";
}

// The server ends a while after its last client has gone, and not while one is connected.
TEST_F(ServerInstall, ServerEndsAfterItsLastClientHasGone)
{
    Program Server(KVR_RUREZ_PATH, {"--dir", Run, "--udp-bind", "127.0.0.1:0", "--idle-exit-ms", "300"});
    ASSERT_TRUE(Server.waitForLine("rurez ready")) << Server.errors().toStdString();
    {
        kvr::commserver::CommServerProxy Client(
            kvr::commserver::ProxyEndpoint{kvr::commserver::serverSocketPath(Run.toStdString()), {}, 0});
        ASSERT_TRUE(Client.connectToServer());
        EXPECT_FALSE(Server.waitForExit(800).has_value()) << "a connected client keeps it";
        std::int32_t Version = 0;
        EXPECT_EQ(Client.GetVersion(Version), 0);
    }
    EXPECT_TRUE(Server.waitForExit(3000).has_value());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(kvr::commserver::serverSocketPath(Run.toStdString()))));
}

// When another program holds the UDP port of the device broadcasts for itself, the server
// cannot start. The message names the port and the other program instead of the user's rights,
// and the client does not wait out its deadline for a server that has ended.
TEST_F(ServerInstall, AUdpPortHeldByAnotherProgramIsNamed)
{
    QUdpSocket Holder;
    ASSERT_TRUE(Holder.bind(QHostAddress("127.0.0.1"), 0, QAbstractSocket::DontShareAddress));
    const std::string Port = std::to_string(Holder.localPort());
    qputenv("KVR_RUREZ_UDP_BIND", QByteArray::fromStdString("127.0.0.1:" + Port));
    std::vector<std::pair<unsigned, std::string>> Shown;
    InfoFormatter->SetMessagePresenter([&](int, const std::string& Text, unsigned Code, const std::string&) {
        Shown.emplace_back(Code, Text);
        return static_cast<int>(mrOk);
    });
    QElapsedTimer Clock;
    Clock.start();
    {
        TKVRCommunicationClient Client;
        EXPECT_EQ(Client.GetStatus(), dcsServerInitFailed);
    }
    EXPECT_LT(Clock.elapsed(), 8000) << "two starts that wait out 5 s each take longer";
    qunsetenv("KVR_RUREZ_UDP_BIND");
    InfoFormatter->SetMessagePresenter(nullptr);
    ASSERT_EQ(Shown.size(), 1u);
    EXPECT_EQ(Shown[0].first, kvr::client::msgUdpPortInUse);
    const std::string& Text = Shown[0].second;
    EXPECT_NE(Text.find("UDP port " + Port + ","), std::string::npos) << Text;
    EXPECT_NE(Text.find("held by another program"), std::string::npos) << Text;
    EXPECT_EQ(Text.find("user rights"), std::string::npos) << Text;
}

// With the shipped defaults too: a server nobody uses does not stay.
TEST_F(ServerInstall, UnusedServerEndsByItself)
{
    Program Server(KVR_RUREZ_PATH, {"--dir", Run, "--udp-bind", "127.0.0.1:0"});
    ASSERT_TRUE(Server.waitForLine("rurez ready")) << Server.errors().toStdString();
    EXPECT_TRUE(Server.waitForExit(15000).has_value());
}

} // namespace
