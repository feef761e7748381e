#pragma once
// Where a device error report came from, and the kinds of connection that tell it.

#include <cstdint>
#include <string>

namespace Kvrdata_ns {

enum TConnectionType : std::uint8_t {
    dctUnknown = 0,
    dctCOM = 1,
    dctTCP = 2,
    dctUDP = 3,
    dctUSB = 4,
};

// Handed by value to the client's error events: the serial or network link of the client, or
// an error broadcast. Name is "COM" and the port number, or the device name found for the IP.
struct TMessageSource {
    TConnectionType ConnectionType = dctUnknown;
    std::string Name;
};

} // namespace Kvrdata_ns
