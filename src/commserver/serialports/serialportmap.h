#pragma once
// Which serial device "COM n" is. The settings store may name a device for any number (key
// "Software\KVR\KX7300\Server\SerialPorts", values "COM1" to "COM255"); every other number
// follows the machine: /dev/ttySk is COM k+1, and USB serial adapters (ttyUSB*, ttyACM*), in
// name order, take the numbers after the highest such port (from COM1 when there is none).

#include <map>
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
bool serialDeviceExists(const std::string& path);

} // namespace kvr::commserver
