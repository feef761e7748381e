#include "devemu/deviceoptions.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <sstream>

#include "devemu/devicemodel.h"
#include "kvrdata/byteorder.h"

namespace kvr::devemu {

namespace {

bool parseNumber(const std::string& text, std::uint32_t& out)
{
    bool ok = false;
    const qulonglong v = QString::fromStdString(text).toULongLong(&ok, 0);
    if (!ok || v > 0xFFFFFFFFull)
        return false;
    out = static_cast<std::uint32_t>(v);
    return true;
}

// "N/N/...", each a module number.
bool parseModuleNumbers(const std::string& text, std::vector<std::uint16_t>& out)
{
    std::stringstream numbers(text);
    std::string number;
    std::uint32_t n = 0;
    while (std::getline(numbers, number, '/')) {
        if (!parseNumber(number, n) || n > 0xFFFF)
            return false;
        out.push_back(static_cast<std::uint16_t>(n));
    }
    return true;
}

} // namespace

bool parseDevice(const std::string& text, DeviceOptions& d, std::string& error)
{
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        const auto eq = item.find('=');
        const std::string key = item.substr(0, eq);
        const std::string value = eq == std::string::npos ? std::string() : item.substr(eq + 1);
        std::uint32_t n = 0;
        if (key == "ip" && d.address.setAddress(QString::fromStdString(value))) {
        } else if (key == "port" && parseNumber(value, n) && n <= 65535) {
            d.port = static_cast<quint16>(n);
        } else if (key == "serial" && parseNumber(value, n)) {
            d.identity.serial = n;
        } else if (key == "firmware" && parseNumber(value, n)) {
            d.identity.firmware = n;
        } else if (key == "did" && parseNumber(value, n)) {
            d.identity.deviceId = n;
        } else if (key == "stamp" && parseNumber(value, n)) {
            d.identity.configStamp = n;
        } else if (key == "pid" && value.size() <= 4) {
            d.identity.projectId = 0;
            for (std::size_t i = 0; i < 4; ++i)
                d.identity.projectId = d.identity.projectId << 8 | (i < value.size() ? static_cast<std::uint8_t>(value[i]) : 0);
        } else if (key == "broadcasts" && (value == "older" || value == "newer" || value == "both")) {
            d.generation = value == "older" ? 1 : value == "newer" ? 2 : 0;
        } else if (key == "pages" && parseNumber(value, n) && n < 255) {
            d.identity.statusPages = n;
        } else if (key == "modules") {
            if (!kvr::devemu::parseModuleList(value, d.modules)) {
                error = "bad modules=" + value;
                return false;
            }
        } else if (key == "burn-fail" || key == "burn-silent" || key == "silent") {
            auto& list = key == "burn-fail" ? d.knobs.burnFailModules : key == "silent" ? d.knobs.silentModules : d.knobs.burnSilentModules;
            if (!parseModuleNumbers(value, list)) {
                error = "bad " + key + "=" + value;
                return false;
            }
        } else if (key == "burn-stranger" && parseNumber(value, n) && n > 0 && n <= 0xFFFF) {
            d.knobs.burnStranger = static_cast<std::uint16_t>(n);
        } else if (key == "pty") {
            d.serialLine = true;
        } else if (key == "hardware") {
            d.identity.hardwareName = value;
        } else if (key == "name") {
            d.identity.name = value;
        } else if (key == "image") {
            QFile file(QString::fromStdString(value));
            if (!file.open(QIODevice::ReadOnly)) {
                error = "cannot read " + value;
                return false;
            }
            const QByteArray bytes = file.read(DeviceModel::ImageMax + 1);
            d.image.assign(bytes.begin(), bytes.end());
            // A device file holds the image as it stands, its header giving its length.
            if (d.image.size() < DeviceModel::ImageHeaderSize || d.image.size() > DeviceModel::ImageMax ||
                std::string(d.image.begin(), d.image.begin() + 4) != "MPJ2" || kvr::readBE16(d.image, 58) != d.image.size()) {
                error = value + " is not a device file";
                return false;
            }
        } else if (key == "delay" && parseNumber(value, n)) {
            d.knobs.delayMs = static_cast<int>(n);
        } else if (key == "drop" && parseNumber(value, n)) {
            d.knobs.dropEvery = n;
        } else if (key == "dup" && parseNumber(value, n)) {
            d.knobs.duplicateEvery = n;
        } else if (key == "late" && value.find(':') != std::string::npos) {
            std::uint32_t ms = 0;
            if (!parseNumber(value.substr(0, value.find(':')), n) || !parseNumber(value.substr(value.find(':') + 1), ms)) {
                error = "bad late=" + value;
                return false;
            }
            d.knobs.lateEvery = n;
            d.knobs.lateMs = static_cast<int>(ms);
        } else if (key == "cut-after" && parseNumber(value, n)) {
            d.knobs.cutAfter = n;
        } else if (key == "corrupt-crc") {
            d.knobs.corruptCrc = true;
        } else if (key == "bad-id" && parseNumber(value, n)) {
            d.knobs.wrongIdEvery = n;
        } else if (key == "bad-len" && parseNumber(value, n)) {
            d.knobs.wrongLengthEvery = n;
        } else if (key == "flip" && parseNumber(value, n)) {
            d.knobs.flipDataEvery = n;
        } else if (key == "older-firmware") {
            d.knobs.olderFirmware = true;
        } else if (key == "page") {
            // MODULE:PAGE:HEX
            const QStringList parts = QString::fromStdString(value).split(':');
            std::uint32_t module = 0;
            std::uint32_t page = 0;
            const QByteArray data = parts.size() == 3 ? QByteArray::fromHex(parts[2].toLatin1()) : QByteArray();
            if (parts.size() != 3 || !parseNumber(parts[0].toStdString(), module) || module > 0xFFFF ||
                !parseNumber(parts[1].toStdString(), page) || page > 254 || data.size() > 8 ||
                data.size() * 2 != parts[2].size()) {
                error = "bad page=" + value;
                return false;
            }
            auto& pages = d.pages[static_cast<std::uint16_t>(module)];
            if (pages.size() <= page)
                pages.resize(page + 1, kvr::commserver::Bytes(8, 0));
            pages[page].assign(data.begin(), data.end());
            pages[page].resize(8, 0);
        } else if (key == "status") {
            // MODULE:FILE; the file name may hold colons of its own.
            const auto colon = value.find(':');
            std::uint32_t module = 0;
            if (colon == std::string::npos || !parseNumber(value.substr(0, colon), module) || module > 0xFFFF) {
                error = "bad status=" + value;
                return false;
            }
            QFile file(QString::fromStdString(value.substr(colon + 1)));
            if (!file.open(QIODevice::ReadOnly)) {
                error = "cannot read " + value.substr(colon + 1);
                return false;
            }
            const QByteArray bytes = file.read(255 * 8 + 1);
            const auto pages = kvr::devemu::statusPagesFromImage(kvr::commserver::Bytes(bytes.begin(), bytes.end()));
            if (pages.empty() || bytes.size() > 255 * 8) {
                error = value.substr(colon + 1) + " is no status page (1 to 2040 bytes)";
                return false;
            }
            d.pages[static_cast<std::uint16_t>(module)] = pages;
        } else if (key == "cards") {
            std::stringstream list(value);
            std::string one;
            kvr::devemu::CardSpec card;
            while (std::getline(list, one, '/')) {
                if (!kvr::devemu::parseCardSpec(one, card)) {
                    error = "bad cards=" + value;
                    return false;
                }
                d.cards.push_back(card);
            }
        } else if (key == "flash-burn") {
            d.knobs.flashBurn = true;
        } else {
            error = "bad device item " + item;
            return false;
        }
    }
    return true;
}

} // namespace kvr::devemu
