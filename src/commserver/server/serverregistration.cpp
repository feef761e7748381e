#include "commserver/server/serverregistration.h"

#include <QSettings>

#include <cstdlib>
#include <memory>

namespace kvr::commserver {

namespace {
std::unique_ptr<QSettings> openStore()
{
    if (const char* dir = std::getenv("KVR_CONFIG_DIR"); dir && *dir)
        return std::make_unique<QSettings>(QString::fromUtf8(dir) + "/KVR/KX7300.ini", QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "KVR", "KX7300");
}
} // namespace

bool registerServer(const ServerRegistration& registration)
{
    auto store = openStore();
    store->beginGroup(ServerClassKey);
    store->setValue("LocalServer32/Default", QString::fromStdString(registration.path));
    store->setValue("Version", QString::fromStdString(registration.version));
    store->endGroup();
    store->sync();
    return store->status() == QSettings::NoError;
}

ServerRegistration readServerRegistration()
{
    auto store = openStore();
    store->beginGroup(ServerClassKey);
    ServerRegistration r;
    r.path = store->value("LocalServer32/Default").toString().toStdString();
    r.version = store->value("Version").toString().toStdString();
    return r;
}

} // namespace kvr::commserver
