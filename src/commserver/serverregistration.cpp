#include "commserver/serverregistration.h"

#include "diagnostics/platform.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <cctype>
#include <cstdlib>


namespace kvr::commserver {

namespace {

// The store's path of a value: key parts and name, lower case, '/' between them.
QString valuePath(std::string key, const std::string& name)
{
    std::replace(key.begin(), key.end(), '\\', '/');
    std::string path = key + '/' + (name.empty() ? std::string("(default)") : name);
    std::transform(path.begin(), path.end(), path.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return QString::fromStdString(path);
}

} // namespace

std::string settingsFileName()
{
    if (const char* dir = std::getenv("KVR_CONFIG_DIR"); dir && *dir)
        return QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("settings.ini")).toStdString();
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return QDir(base).filePath(QStringLiteral("kvrconfig/settings.ini")).toStdString();
}

bool settingsFileUsable(std::string* problem)
{
    const std::string file = settingsFileName();
    if (kvr::diag::RegularFileOrNone(file))
        return true;
    if (problem)
        *problem = "the settings file " + file + " is not a regular file; it is not read, and the defaults are used";
    return false;
}

bool registerServer(const ServerRegistration& registration)
{
    if (!settingsFileUsable())
        return false;
    const QString file = QString::fromStdString(settingsFileName());
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSettings store(file, QSettings::IniFormat);
    if (!store.isWritable())
        return false;
    store.setValue(valuePath(ServerPathKey, ""), QString::fromStdString(registration.path));
    store.setValue(valuePath(ServerClassKey, "Version"), QString::fromStdString(registration.version));
    store.sync();
    return store.status() == QSettings::NoError;
}

ServerRegistration readServerRegistration()
{
    if (!settingsFileUsable())
        return {};
    QSettings store(QString::fromStdString(settingsFileName()), QSettings::IniFormat);
    ServerRegistration r;
    r.path = store.value(valuePath(ServerPathKey, "")).toString().toStdString();
    r.version = store.value(valuePath(ServerClassKey, "Version")).toString().toStdString();
    return r;
}

std::map<std::string, std::string> readStoredValues(const std::string& key)
{
    if (!settingsFileUsable())
        return {};
    QSettings store(QString::fromStdString(settingsFileName()), QSettings::IniFormat);
    QString group = valuePath(key, "x");
    group.chop(2); // the key's path without a value name
    store.beginGroup(group);
    std::map<std::string, std::string> values;
    for (const QString& name : store.childKeys())
        values[name.toStdString()] = store.value(name).toString().toStdString();
    return values;
}

} // namespace kvr::commserver
