#include "platform/settingsstore.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QVariant>

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "diagnostics/platform.h"
#include "platform/text1252.h"

namespace kvr::platform {

namespace {

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// One path for a value: key parts and name, lower case, '/' between them; empty parts dropped.
std::string valuePath(const std::string& key, const std::string& name)
{
    std::string path;
    std::string part;
    auto flush = [&] {
        if (!part.empty()) {
            if (!path.empty())
                path += '/';
            path += lower(part);
            part.clear();
        }
    };
    for (const char c : key) {
        if (c == '\\' || c == '/')
            flush();
        else
            part += c;
    }
    flush();
    return path + '/' + lower(name.empty() ? std::string("(default)") : name);
}

std::unique_ptr<SettingsStore>& installedStore()
{
    static std::unique_ptr<SettingsStore> store;
    return store;
}

} // namespace

// ---- MemorySettingsStore ---------------------------------------------------------------------

bool MemorySettingsStore::put(const std::string& key, const std::string& name, Value value)
{
    if (readOnly_)
        return false;
    values_.insert_or_assign(valuePath(key, name), std::move(value));
    return true;
}

const MemorySettingsStore::Value* MemorySettingsStore::find(const std::string& key, const std::string& name) const
{
    const auto it = values_.find(valuePath(key, name));
    return it == values_.end() ? nullptr : &it->second;
}

std::optional<std::string> MemorySettingsStore::readString(const std::string& key, const std::string& name) const
{
    const Value* v = find(key, name);
    if (!v || v->kind != Value::String)
        return std::nullopt;
    return v->text;
}

std::optional<std::int32_t> MemorySettingsStore::readInteger(const std::string& key, const std::string& name) const
{
    const Value* v = find(key, name);
    if (!v || v->kind != Value::Integer)
        return std::nullopt;
    return v->number;
}

std::optional<std::vector<std::uint8_t>> MemorySettingsStore::readBinary(const std::string& key, const std::string& name) const
{
    const Value* v = find(key, name);
    if (!v || v->kind != Value::Binary)
        return std::nullopt;
    return v->bytes;
}

bool MemorySettingsStore::writeString(const std::string& key, const std::string& name, const std::string& value)
{
    return put(key, name, Value{Value::String, value, 0, {}});
}

bool MemorySettingsStore::writeInteger(const std::string& key, const std::string& name, std::int32_t value)
{
    return put(key, name, Value{Value::Integer, {}, value, {}});
}

bool MemorySettingsStore::writeBinary(const std::string& key, const std::string& name, const std::vector<std::uint8_t>& value)
{
    return put(key, name, Value{Value::Binary, {}, 0, value});
}

bool MemorySettingsStore::valueExists(const std::string& key, const std::string& name) const
{
    return find(key, name) != nullptr;
}

bool MemorySettingsStore::deleteValue(const std::string& key, const std::string& name)
{
    if (readOnly_)
        return false;
    return values_.erase(valuePath(key, name)) > 0;
}

// ---- IniSettingsStore ------------------------------------------------------------------------

std::string IniSettingsStore::defaultFileName()
{
    if (const char* dir = std::getenv("KVR_CONFIG_DIR"); dir && *dir)
        return QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("settings.ini")).toStdString();
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return QDir(base).filePath(QStringLiteral("kvrconfig/settings.ini")).toStdString();
}

IniSettingsStore::IniSettingsStore() : IniSettingsStore(defaultFileName()) {}

IniSettingsStore::IniSettingsStore(const std::string& fileName) : fileName_(fileName)
{
    QDir().mkpath(QFileInfo(QString::fromStdString(fileName_)).absolutePath());
}

IniSettingsStore::~IniSettingsStore() = default;

namespace {

QVariant readVariant(const std::string& file, const std::string& key, const std::string& name)
{
    if (!diag::RegularFileOrNone(file))
        return {};
    QSettings settings(QString::fromStdString(file), QSettings::IniFormat);
    return settings.value(QString::fromStdString(valuePath(key, name)));
}

bool writeVariant(const std::string& file, const std::string& key, const std::string& name, const QVariant& value)
{
    if (!diag::RegularFileOrNone(file))
        return false;
    QSettings settings(QString::fromStdString(file), QSettings::IniFormat);
    if (!settings.isWritable())
        return false;
    if (value.isValid())
        settings.setValue(QString::fromStdString(valuePath(key, name)), value);
    else
        settings.remove(QString::fromStdString(valuePath(key, name)));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace

std::string IniSettingsStore::unusableReason() const
{
    if (diag::RegularFileOrNone(fileName_))
        return {};
    return "The settings file \"" + fileName_ +
           "\" is not a regular file. The program starts with its default settings and keeps no changes to them.";
}

std::optional<std::string> IniSettingsStore::readString(const std::string& key, const std::string& name) const
{
    const QVariant v = readVariant(fileName_, key, name);
    if (!v.isValid() || v.typeId() == QMetaType::QByteArray)
        return std::nullopt;
    return toCp1252(v.toString());
}

std::optional<std::int32_t> IniSettingsStore::readInteger(const std::string& key, const std::string& name) const
{
    const QVariant v = readVariant(fileName_, key, name);
    if (!v.isValid() || v.typeId() == QMetaType::QByteArray)
        return std::nullopt;
    bool ok = false;
    const int number = v.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return number;
}

std::optional<std::vector<std::uint8_t>> IniSettingsStore::readBinary(const std::string& key, const std::string& name) const
{
    const QVariant v = readVariant(fileName_, key, name);
    if (!v.isValid() || v.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    const QByteArray bytes = v.toByteArray();
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

bool IniSettingsStore::writeString(const std::string& key, const std::string& name, const std::string& value)
{
    return writeVariant(fileName_, key, name, fromCp1252(value));
}

bool IniSettingsStore::writeInteger(const std::string& key, const std::string& name, std::int32_t value)
{
    return writeVariant(fileName_, key, name, value);
}

bool IniSettingsStore::writeBinary(const std::string& key, const std::string& name, const std::vector<std::uint8_t>& value)
{
    return writeVariant(fileName_, key, name,
                        QByteArray(reinterpret_cast<const char*>(value.data()), static_cast<qsizetype>(value.size())));
}

bool IniSettingsStore::valueExists(const std::string& key, const std::string& name) const
{
    return readVariant(fileName_, key, name).isValid();
}

bool IniSettingsStore::deleteValue(const std::string& key, const std::string& name)
{
    if (!valueExists(key, name))
        return false;
    return writeVariant(fileName_, key, name, QVariant());
}

// ---- the installed store ---------------------------------------------------------------------

SettingsStore& settingsStore()
{
    auto& store = installedStore();
    if (!store)
        store = std::make_unique<IniSettingsStore>();
    return *store;
}

void setSettingsStore(std::unique_ptr<SettingsStore> store)
{
    installedStore() = std::move(store);
}

} // namespace kvr::platform
