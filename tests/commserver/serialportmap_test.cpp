// "COM n" for the serial devices of a machine, and the settings store's entries over them.
#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdlib>

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
