// "COM n" for the serial devices of a machine, and the settings store's entries over them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <chrono>
#include <cstdlib>
#include <future>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "commserver/serialports/serialportmap.h"
#include "commserver/serverregistration.h"

using namespace kvr::commserver;

TEST(SerialPortMap, FixedPortsByNumberAdaptersAfterThem)
{
    using Map = std::map<int, std::string>;
    const struct {
        std::vector<std::string> devices;
        Map map;
    } cases[] = {
        {{}, {}},
        {{"/dev/ttyS0", "/dev/ttyS1"}, {{1, "/dev/ttyS0"}, {2, "/dev/ttyS1"}}},
        // A gap keeps the numbers; adapters follow the highest fixed port, USB before ACM,
        // by number, not by text ("ttyUSB10" after "ttyUSB2").
        {{"/dev/ttyACM0", "/dev/ttyUSB10", "/dev/ttyS3", "/dev/ttyUSB2", "/dev/ttyS0"},
         {{1, "/dev/ttyS0"}, {4, "/dev/ttyS3"}, {5, "/dev/ttyUSB2"}, {6, "/dev/ttyUSB10"}, {7, "/dev/ttyACM0"}}},
        // Without fixed ports the first adapter is COM1; other devices are not serial ports.
        {{"/dev/ttyUSB0", "/dev/pts/3", "/dev/ttyAMA0"}, {{1, "/dev/ttyUSB0"}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(defaultSerialPortMap(c.devices), c.map) << ::testing::PrintToString(c.devices);
}

TEST(SerialPortMap, StoredEntriesComeFromTheSettingsStore)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray old = qgetenv("KVR_CONFIG_DIR");
    qputenv("KVR_CONFIG_DIR", dir.path().toLocal8Bit());
    {
        QSettings store(QString::fromStdString(settingsFileName()), QSettings::IniFormat);
        // As the settings store writes them: key parts and names lower case.
        store.setValue("software/kvr/kx7300/server/serialports/com3", "/tmp/pty-a");
        store.setValue("software/kvr/kx7300/server/serialports/com300", "/tmp/too-high");
        store.setValue("software/kvr/kx7300/server/serialports/port1", "/tmp/no-com");
        store.setValue("software/kvr/kx7300/server/serialports/com4", "");
    }
    const std::map<int, std::string> stored = storedSerialPortMap();
    EXPECT_EQ(stored, (std::map<int, std::string>{{3, "/tmp/pty-a"}}));
    EXPECT_EQ(serialPortMap().at(3), "/tmp/pty-a");
    qputenv("KVR_CONFIG_DIR", old);
}

namespace {

// Points the settings store at a folder of its own for a scope.
class ScopedConfigDir {
public:
    explicit ScopedConfigDir(const QString& dir) : old_(qgetenv("KVR_CONFIG_DIR")) { qputenv("KVR_CONFIG_DIR", dir.toLocal8Bit()); }
    ~ScopedConfigDir() { qputenv("KVR_CONFIG_DIR", old_); }

private:
    QByteArray old_;
};

} // namespace

// The server reads the serial map on its event loop: a FIFO (or anything else that is not a
// regular file) named as the settings file is not read, so it cannot block, and the defaults
// stand.
TEST(SerialPortMap, ASettingsFileThatIsNoRegularFileIsNotRead)
{
    QTemporaryDir dir;
    ScopedConfigDir scope(dir.path());
    const std::string file = settingsFileName();
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    auto read = std::async(std::launch::async, [] { return storedSerialPortMap(); });
    if (read.wait_for(std::chrono::seconds(2)) != std::future_status::ready) {
        // Let the blocked reader go: a writer comes and goes.
        ::close(::open(file.c_str(), O_WRONLY | O_NONBLOCK));
        read.wait();
        FAIL() << "reading the settings file blocked";
    }
    EXPECT_TRUE(read.get().empty());
    std::string problem;
    EXPECT_FALSE(settingsFileUsable(&problem));
    EXPECT_NE(problem.find(file), std::string::npos);
    EXPECT_TRUE(readServerRegistration().path.empty());
    EXPECT_FALSE(registerServer({"/opt/kvr/rurez", "1"}));

    StoredSerialPorts stored;
    std::vector<std::string> notices;
    stored.onNotice = [&](const std::string& notice) { notices.push_back(notice); };
    EXPECT_TRUE(stored.current().empty());
    EXPECT_TRUE(stored.current().empty());
    EXPECT_EQ(notices.size(), 1u) << "said once, not at every open";
}

// The server's copy of the stored entries follows the file when it changes, and only then.
TEST(SerialPortMap, StoredEntriesAreReadAgainWhenTheFileChanges)
{
    QTemporaryDir dir;
    ScopedConfigDir scope(dir.path());
    // Written in place, as an editor might: the same file, new contents.
    const auto store = [](const char* path) {
        QFile file(QString::fromStdString(settingsFileName()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray("[software]\nkvr\\kx7300\\server\\serialports\\com3=") + path + "\n");
    };
    StoredSerialPorts stored;
    EXPECT_TRUE(stored.current().empty()) << "no file yet";
    store("/tmp/pty-a");
    EXPECT_EQ(stored.current(), (std::map<int, std::string>{{3, "/tmp/pty-a"}}));
    store("/tmp/pty-bb"); // another size
    EXPECT_EQ(stored.current(), (std::map<int, std::string>{{3, "/tmp/pty-bb"}}));

    // The same size and time as before: the file is taken as unchanged and not read again.
    struct stat before {};
    ASSERT_EQ(::stat(settingsFileName().c_str(), &before), 0);
    store("/tmp/pty-cc");
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, settingsFileName().c_str(), times, 0), 0);
    EXPECT_EQ(stored.current().at(3), "/tmp/pty-bb");
    ::unlink(settingsFileName().c_str());
    EXPECT_TRUE(stored.current().empty()) << "the file is gone";
}
