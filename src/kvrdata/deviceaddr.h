#pragma once
// The address of one connection target of the communication client: which device, and by which
// way. It travels to the communication server in the block format.

#include <cstdint>
#include <string>

#include "kvrdata/blockobject.h"
#include "kvrdata/blockvalue.h"
#include "kvrdata/messagesource.h"

namespace Kvrdata_ns {

class TUDPMsgV6;

enum TKVRConnectionKind : std::uint8_t {
    dckNone = 0,
    dckBroadcast = 1,
    dckFixedIP = 2,
    dckCOMPort = 3,
    dckUSB = 4,
};

class TDeviceAddr : public TBlockObject {
public:
    TDeviceAddr();
    // The device that sent a newer-generation broadcast; Client names the program using it.
    TDeviceAddr(TUDPMsgV6& Msg, const char* Client);
    TDeviceAddr(const TDeviceAddr&) = default;
    TDeviceAddr& operator=(const TDeviceAddr&) = default;
    ~TDeviceAddr() override = default;

    void Describe(TBlockFilter* Filter) override;

    std::string GetDescription() const;
    TConnectionType GetConnectionType() const;
    std::uint8_t GetCOMPort() const;
    void SetCOMPort(std::uint8_t Port);
    std::string GetAddressText() const;

    unsigned IP = 0;  // first dotted part in the top byte
    unsigned MAC = 0; // serial number in the low 24 bits; 1-254 there is a COM port
    unsigned PID = 0; // four characters, the first in the top byte
    unsigned DID = 0;
    TBString<10> Name;
    TKVRConnectionKind CK = dckNone;
    std::uint8_t COMPort = 0;
    TBVarString<50> Server;
    TBString<3> Client;
    unsigned FirmwareVersion = 0;
    // Memory only: not transferred, but copied; the fallback of GetConnectionType.
    TConnectionType ConnectionType = dctUnknown;
};

// "a.b.c.d", most significant byte first.
bool IPToStr(unsigned IP, std::string& Text);
// Four dotted numbers 0-255; otherwise false and IP unchanged.
bool StrToIP(unsigned& IP, const std::string& Text);
// The four PID bytes as characters, zero bytes as blanks, blanks trimmed at both ends.
std::string PIDToStr(unsigned PID);

} // namespace Kvrdata_ns
