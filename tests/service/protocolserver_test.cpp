// The factory test protocol server's base URL in the settings store.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/settingsstore.h"
#include "service/factorytest/protocolserver.h"

namespace {

using namespace kvr::service;

TEST(ProtocolServer, DefaultIsWrittenAndAStoredUrlSurvivesARestart)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string file = (dir.path() + "/settings.ini").toStdString();
    {
        kvr::platform::IniSettingsStore store(file);
        EXPECT_EQ(FactoryTestBaseUrl(store), DefaultFactoryTestUrl);
        EXPECT_EQ(store.readString(kvr::platform::DefinitionKey, FactoryTestUrlName), DefaultFactoryTestUrl)
            << "shows in the settings file";
        ASSERT_TRUE(SetFactoryTestBaseUrl(store, "http://127.0.0.1:8080/proto"));
    }
    kvr::platform::IniSettingsStore restarted(file);
    EXPECT_EQ(FactoryTestBaseUrl(restarted), "http://127.0.0.1:8080/proto/");
}

TEST(ProtocolServer, OnlyHttpUrlsAreTaken)
{
    struct Case {
        const char* Text;
        const char* Read; // what a stored text reads back as
    };
    for (const Case& c : {Case{"https://host.example/a/", "https://host.example/a/"}, Case{"http://10.0.0.1", "http://10.0.0.1/"},
                          Case{"ftp://host.example/", DefaultFactoryTestUrl}, Case{"file:///tmp/", DefaultFactoryTestUrl},
                          Case{"not a url", DefaultFactoryTestUrl}, Case{"http://host/?q=1", DefaultFactoryTestUrl},
                          Case{"", DefaultFactoryTestUrl}}) {
        kvr::platform::MemorySettingsStore store;
        store.writeString(kvr::platform::DefinitionKey, FactoryTestUrlName, c.Text);
        EXPECT_EQ(FactoryTestBaseUrl(store), c.Read) << c.Text;
        kvr::platform::MemorySettingsStore other;
        EXPECT_EQ(SetFactoryTestBaseUrl(other, c.Text), std::string(c.Read) != DefaultFactoryTestUrl) << c.Text;
    }
}

} // namespace
