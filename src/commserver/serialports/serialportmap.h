#pragma once
// Which serial device "COM n" is. The settings store may name a device for any number (key
// "Software\KVR\KX7300\Server\SerialPorts", values "COM1" to "COM255"); every other number
// follows the machine: /dev/ttySk is COM k+1, and USB serial adapters (ttyUSB*, ttyACM*), in
// name order, take the numbers after the highest such port (from COM1 when there is none).

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kvr::commserver {

inline constexpr const char* SerialPortsKey = "Software\\KVR\\KX7300\\Server\\SerialPorts";
inline constexpr int HighestCOMPort = 255;

// The default map made from the machine's serial device paths.
std::map<int, std::string> defaultSerialPortMap(const std::vector<std::string>& devices);
// The serial devices of this machine.
std::vector<std::string> machineSerialDevices();
// The entries of the settings store; names that are not "COM" and a number from 1 to 255 and
// empty paths are skipped.
std::map<int, std::string> storedSerialPortMap();
// The default map with the stored entries over it.
std::map<int, std::string> serialPortMap();
std::map<int, std::string> serialPortMap(const std::map<int, std::string>& stored);

// The stored entries as the server keeps them: read at first use and again only when the
// settings file changes (another file, size or time), not at every open. A settings file that is
// not a regular file is not read (no entries); onNotice says so once.
class StoredSerialPorts {
public:
    const std::map<int, std::string>& current();
    std::function<void(const std::string&)> onNotice;

private:
    struct Identity {
        bool exists = false;
        unsigned long long device = 0, inode = 0, size = 0;
        long long seconds = 0, nanoseconds = 0;
        unsigned mode = 0;
        bool operator==(const Identity&) const = default;
    };
    std::optional<Identity> seen_;
    std::map<int, std::string> map_;
};
bool serialDeviceExists(const std::string& path);

} // namespace kvr::commserver
