#include "commserver/serialports/serialportmap.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>
#include <cctype>
#include <optional>

#include <sys/stat.h>

#include "commserver/serverregistration.h"

namespace kvr::commserver {

namespace {

struct DeviceName {
    std::string prefix;
    int number = -1;
    std::string path;
};

// "/dev/ttyUSB10" -> {"/dev/ttyUSB", 10}; a name without a trailing number gets -1.
DeviceName split(const std::string& path)
{
    std::size_t digits = path.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(path[digits - 1])))
        --digits;
    DeviceName d{path.substr(0, digits), -1, path};
    if (digits < path.size() && path.size() - digits < 6)
        d.number = std::stoi(path.substr(digits));
    return d;
}

bool isFixedPort(const DeviceName& d) { return d.prefix == "/dev/ttyS" && d.number >= 0; }

bool isAdapter(const DeviceName& d)
{
    return d.prefix == "/dev/ttyUSB" || d.prefix == "/dev/ttyACM";
}

std::optional<int> portNumber(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name.size() < 4 || name.size() > 6 || name.compare(0, 3, "com") != 0)
        return std::nullopt;
    int n = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return std::nullopt;
        n = n * 10 + (name[i] - '0');
    }
    if (n < 1 || n > HighestCOMPort)
        return std::nullopt;
    return n;
}

} // namespace

std::map<int, std::string> defaultSerialPortMap(const std::vector<std::string>& devices)
{
    std::map<int, std::string> map;
    std::vector<DeviceName> adapters;
    int highest = 0;
    for (const std::string& path : devices) {
        const DeviceName d = split(path);
        if (isFixedPort(d) && d.number + 1 <= HighestCOMPort) {
            map[d.number + 1] = path;
            highest = std::max(highest, d.number + 1);
        } else if (isAdapter(d)) {
            adapters.push_back(d);
        }
    }
    std::sort(adapters.begin(), adapters.end(), [](const DeviceName& a, const DeviceName& b) {
        return a.prefix != b.prefix ? a.prefix > b.prefix : a.number < b.number; // ttyUSB before ttyACM
    });
    int next = highest + 1;
    for (const DeviceName& d : adapters) {
        if (next > HighestCOMPort)
            break;
        map[next++] = d.path;
    }
    return map;
}

std::vector<std::string> machineSerialDevices()
{
    std::vector<std::string> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        devices.push_back(info.systemLocation().toStdString());
    return devices;
}

std::map<int, std::string> storedSerialPortMap()
{
    std::map<int, std::string> map;
    for (const auto& [name, path] : readStoredValues(SerialPortsKey)) {
        if (const auto n = portNumber(name); n && !path.empty())
            map[*n] = path;
    }
    return map;
}

std::map<int, std::string> serialPortMap() { return serialPortMap(storedSerialPortMap()); }

std::map<int, std::string> serialPortMap(const std::map<int, std::string>& stored)
{
    std::map<int, std::string> map = defaultSerialPortMap(machineSerialDevices());
    for (const auto& [n, path] : stored)
        map[n] = path;
    return map;
}

const std::map<int, std::string>& StoredSerialPorts::current()
{
    // Looking at the file's entry costs no read, and never blocks, whatever the file is.
    Identity now;
    struct stat st {};
    if (::stat(settingsFileName().c_str(), &st) == 0)
        now = Identity{true, st.st_dev, st.st_ino, static_cast<unsigned long long>(st.st_size), st.st_mtim.tv_sec,
                       st.st_mtim.tv_nsec, st.st_mode};
    if (seen_ == now)
        return map_;
    seen_ = now;
    std::string problem;
    if (!settingsFileUsable(&problem)) {
        map_.clear();
        if (onNotice)
            onNotice(problem);
        return map_;
    }
    map_ = storedSerialPortMap();
    return map_;
}

bool serialDeviceExists(const std::string& path)
{
    return QFileInfo::exists(QString::fromStdString(path));
}

} // namespace kvr::commserver
