#pragma once
// Broadcasts of the newer device generation. A TUDPMsgV6 carries the sender and the raw
// datagram; on first demand it decodes the datagram by its 32-bit type into a device record,
// a routing record or a copy of a control block.

#include <cstdint>
#include <memory>
#include <string>

#include "kvrdata/blockobject.h"
#include "kvrdata/blockvalue.h"
#include "kvrdata/bovector.h"
#include "kvrdata/kvrstruct.h"

namespace Kvrdata_ns {

class TBlockStream;

// Datagram types.
inline constexpr std::uint32_t V6TypeDeviceStatus = 0x06061999; // older-style status record
inline constexpr std::uint32_t V6TypeDevice = 0xFE062005;       // device record in block format
inline constexpr std::uint32_t V6TypeRoutingFirst = 0xFE100100;
inline constexpr std::uint32_t V6TypeRoutingLast = 0xFE100103;
inline constexpr std::uint32_t V6TypeErrorReport = 0xFE000002;
inline constexpr std::uint32_t V6ExtendedMask = 0xFE000000;

// MsgType before decoding, and while decoding or when the data are too short.
inline constexpr int V6NotDecoded = -1;
inline constexpr int V6TooShort = -2;

class TBCModule : public TBlockObject {
public:
    explicit TBCModule(TBlockObject* Parent = nullptr);
    std::string GetClassName() const override { return "TBCModule"; }
    void Describe(TBlockFilter* Filter) override;

    unsigned MacOrPN = 0;
    std::uint8_t Type = 0;
};
using TBCModules = TBOVector<TBCModule, 0, 0>;

class TBCCrosspoint : public TBlockObject {
public:
    explicit TBCCrosspoint(TBlockObject* Parent = nullptr);
    std::string GetClassName() const override { return "TBCCrosspoint"; }
    void Describe(TBlockFilter* Filter) override;

    unsigned OutputAddr = 0;
    unsigned InputAddr = 0;
};
using TBCCrosspoints = TBOVector<TBCCrosspoint, 0, 0>;

class TBCDevice : public TBlockObject {
public:
    explicit TBCDevice(TBlockObject* Parent = nullptr);
    TBCDevice(const TBCDevice&) = delete;
    TBCDevice& operator=(const TBCDevice&) = delete;
    std::string GetClassName() const override { return "TBCDevice"; }
    void Describe(TBlockFilter* Filter) override;

    // The project ID as up to four characters, as PIDToStr.
    std::string GetPIDStr() const;

    unsigned MAC = 0; // serial number in the low 24 bits; below 255 a COM port
    std::uint8_t DID = 0;
    unsigned PID = 0;
    unsigned TS = 0; // configuration stamp
    TBString<10> HardwareName;
    TBString<10> DeviceName;
    unsigned FirmwareVersion = 0;
    std::uint8_t DeviceType = 0; // 42 for a device decoded from an older-style status record
    TBCModules Elem;             // not described: no transfer carries modules
};

class TBCRouting : public TBlockObject {
public:
    explicit TBCRouting(TBlockObject* Parent = nullptr);
    TBCRouting(const TBCRouting&) = delete;
    TBCRouting& operator=(const TBCRouting&) = delete;
    std::string GetClassName() const override { return "TBCRouting"; }
    void Describe(TBlockFilter* Filter) override;

    // Appends one crosspoint as the vector's own element.
    TBCCrosspoint* AddCrosspoint(unsigned OutputAddr, unsigned InputAddr);

    unsigned PID = 0;
    std::uint8_t DID = 0;
    std::uint8_t CPCount = 0;
    TBCCrosspoints Elem;
};

class TUDPMsgV6 : public TBlockObject {
public:
    explicit TUDPMsgV6(TBlockObject* Parent = nullptr);
    TUDPMsgV6(const TUDPMsgV6&) = delete;
    TUDPMsgV6& operator=(const TUDPMsgV6&) = delete;
    ~TUDPMsgV6() override;

    std::string GetClassName() const override { return "TUDPMsgV6"; }
    void Describe(TBlockFilter* Filter) override;

    // Each decodes first (once); the records stay owned by the message and live until it is
    // read again, cleared or destroyed.
    int GetMsgType();
    TBCDevice* GetDevice();
    TBCRouting* GetRouting();
    TKVRCANBlock* GetCANBlock();
    void Decode();

    // The raw datagram, in wire order until decoded.
    TBlockStream* GetData() const { return Data.get(); }

    unsigned FromIP = 0; // 0 for a datagram that came over a serial line
    unsigned FromPort = 0;
    int MsgType = V6NotDecoded;
    std::uint16_t DecodeResult = 0; // filter status of the last block-format device read

private:
    void DiscardDecoded();

    std::unique_ptr<TBlockStream> Data;
    std::unique_ptr<TBCDevice> Device;
    std::unique_ptr<TBCRouting> Routing;
    std::unique_ptr<TKVRCANBlock> CANBlock;
};
using TUDPMsgsV6 = TBOVector<TUDPMsgV6, 0, 0>;

} // namespace Kvrdata_ns
