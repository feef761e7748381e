#include "kvrdata/udpmsgv6.h"

#include "kvrdata/blockstream.h"
#include "kvrdata/blockfilter.h"
#include "kvrdata/byteorder.h"
#include "kvrdata/deviceaddr.h"
#include "kvrdata/initfilter.h"

#include <algorithm>
#include <span>
#include <vector>

namespace Kvrdata_ns {

namespace {

// Older-style status record, offsets from the type.
constexpr std::size_t StatusMAC = 4;
constexpr std::size_t StatusDID = 8;
constexpr std::size_t StatusPID = 12;
constexpr std::size_t StatusTS = 16;
constexpr std::size_t StatusName = 20;
constexpr std::size_t StatusNameSize = 10;
constexpr std::size_t StatusCount = 30;
constexpr std::size_t StatusEntries = 32;
constexpr std::size_t StatusMaxEntries = 32;
constexpr std::uint8_t StatusDeviceType = 42;

// Other records below the extended types: a 32-bit value at 4 and the control-block ID at 10.
constexpr std::size_t RecordValue = 4;
constexpr std::size_t RecordID = 10;

// Routing record, offsets after the type.
constexpr std::size_t RoutingHeader = 6;
constexpr std::size_t RoutingPairSize = 8;

constexpr unsigned FirmwareAlias = 0x02041B00;
constexpr unsigned FirmwareAliasFor = 0x05630000;

constexpr short FatalStatus = 999;
// A value read that ends with a status above "end of block reached" did not deliver its bytes.
constexpr short LastGoodReadStatus = 2;

bool fits(std::span<const std::uint8_t> Data, std::size_t Offset, std::size_t Count)
{
    return Offset <= Data.size() && Count <= Data.size() - Offset;
}

// Reverses a field to host order, only when it lies wholly inside the data.
void reverseField(std::span<std::uint8_t> Data, std::size_t Offset, std::size_t Count)
{
    if (fits(Data, Offset, Count))
        std::reverse(Data.begin() + static_cast<std::ptrdiff_t>(Offset),
                     Data.begin() + static_cast<std::ptrdiff_t>(Offset + Count));
}

// A 32-bit field in host order after conversion; 0 when it is not wholly present.
unsigned hostField(std::span<const std::uint8_t> Data, std::size_t Offset)
{
    return fits(Data, Offset, 4) ? kvr::readLE32(Data, Offset) : 0;
}

void convertToHostOrder(std::span<std::uint8_t> Data, std::uint32_t Type)
{
    reverseField(Data, 0, 4);
    if (Type != V6TypeDeviceStatus) {
        reverseField(Data, RecordValue, 4);
        reverseField(Data, RecordID, 4);
        return;
    }
    for (std::size_t offset : {StatusMAC, StatusDID, StatusPID, StatusTS})
        reverseField(Data, offset, 4);
    if (!fits(Data, StatusCount, 2))
        return;
    const std::size_t count = std::min<std::size_t>(kvr::readBE16(Data, StatusCount), StatusMaxEntries);
    reverseField(Data, StatusCount, 2);
    for (std::size_t i = 0; i < count; ++i)
        reverseField(Data, StatusEntries + 4 * i, 2);
}

std::unique_ptr<TKVRCANBlock> controlBlockCopy(std::uint32_t ID, std::span<const std::uint8_t> Bytes)
{
    auto block = std::make_unique<TKVRCANBlock>();
    block->ID = ID;
    // A record that does not fit the data bytes is kept as an empty block.
    block->Len = Bytes.size() < CANBlockDataSize ? static_cast<std::uint8_t>(Bytes.size()) : 0;
    std::copy_n(Bytes.begin(), block->Len, block->Data.begin());
    return block;
}

void fillFromStatus(TBCDevice& Device, std::span<const std::uint8_t> Data)
{
    Device.Init();
    Device.MAC = hostField(Data, StatusMAC);
    Device.DID = static_cast<std::uint8_t>(hostField(Data, StatusDID));
    Device.PID = hostField(Data, StatusPID);
    Device.TS = hostField(Data, StatusTS);
    if (fits(Data, StatusName, StatusNameSize))
        Device.DeviceName.AssignChars(reinterpret_cast<const char*>(Data.data() + StatusName), StatusNameSize);
    Device.FirmwareVersion = 0;
    Device.DeviceType = StatusDeviceType;
}

void fillRouting(TBCRouting& Routing, std::span<const std::uint8_t> Data)
{
    if (fits(Data, 0, 4))
        Routing.PID = kvr::readBE32(Data, 0);
    if (fits(Data, 4, 1))
        Routing.DID = Data[4];
    std::size_t count = 0;
    if (fits(Data, 5, 1))
        count = std::min<std::size_t>(Data[5], (Data.size() - RoutingHeader) / RoutingPairSize);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = RoutingHeader + RoutingPairSize * i;
        Routing.AddCrosspoint(kvr::readBE32(Data, at), kvr::readBE32(Data, at + 4));
    }
    Routing.CPCount = static_cast<std::uint8_t>(count);
}

} // namespace

// ---- TBCModule, TBCCrosspoint -------------------------------------------------------------

TBCModule::TBCModule(TBlockObject* Parent)
    : TBlockObject(Parent, 0, false, false)
{
    Init();
}

void TBCModule::Describe(TBlockFilter* Filter)
{
    Filter->Transfer("MacOrPN", &MacOrPN);
    Filter->Transfer("Type", &Type);
}

TBCCrosspoint::TBCCrosspoint(TBlockObject* Parent)
    : TBlockObject(Parent, 0, false, false)
{
    Init();
}

void TBCCrosspoint::Describe(TBlockFilter* Filter)
{
    Filter->Transfer("OutputAddr", &OutputAddr);
    Filter->Transfer("InputAddr", &InputAddr);
}

// ---- TBCDevice ----------------------------------------------------------------------------

TBCDevice::TBCDevice(TBlockObject* Parent)
    : TBlockObject(Parent, 0, false, false)
    , Elem(this, 0, "Elem")
{
    Init();
}

void TBCDevice::Describe(TBlockFilter* Filter)
{
    BeginValues(Filter, false);
    Filter->Transfer("MAC", &MAC);
    Filter->Transfer("DID", &DID);
    Filter->Transfer("PID", &PID);
    Filter->Transfer("TS", &TS);
    Filter->Transfer("HardwareName", &HardwareName);
    Filter->Transfer("DeviceName", &DeviceName);
    Filter->Transfer("FirmwareVersion", &FirmwareVersion);
    Filter->Transfer("DeviceType", &DeviceType);
    EndValues(Filter);
    // Devices of one firmware line report an older number for the same release.
    if (FirmwareVersion == FirmwareAlias)
        FirmwareVersion = FirmwareAliasFor;
}

std::string TBCDevice::GetPIDStr() const
{
    return PIDToStr(PID);
}

// ---- TBCRouting ---------------------------------------------------------------------------

TBCRouting::TBCRouting(TBlockObject* Parent)
    : TBlockObject(Parent, 0, false, false)
    , Elem(this, 0, "Elem")
{
    Init();
}

TBCCrosspoint* TBCRouting::AddCrosspoint(unsigned OutputAddr, unsigned InputAddr)
{
    auto* crosspoint = static_cast<TBCCrosspoint*>(Elem.CreateElement());
    Elem.Insert(crosspoint);
    crosspoint->AfterInsert();
    crosspoint->OutputAddr = OutputAddr;
    crosspoint->InputAddr = InputAddr;
    return crosspoint;
}

void TBCRouting::Describe(TBlockFilter* Filter)
{
    BeginValues(Filter, false);
    Filter->Transfer("PID", &PID);
    Filter->Transfer("DID", &DID);
    if (Filter->IsWriting()) {
        // The count says how many pairs follow, so it counts what is written.
        std::vector<TBCCrosspoint*> written;
        for (int i = 0; i < Elem.Size() && written.size() < CPCount; ++i)
            if (auto* crosspoint = Elem.Element(i))
                written.push_back(crosspoint);
        auto count = static_cast<std::uint8_t>(written.size());
        Filter->Transfer("CPCount", &count);
        for (TBCCrosspoint* crosspoint : written) {
            Filter->Transfer("CP->OutputAddr", &crosspoint->OutputAddr);
            Filter->Transfer("CP->InputAddr", &crosspoint->InputAddr);
        }
    } else {
        Elem.RemoveAll();
        std::uint8_t count = CPCount;
        Filter->Transfer("CPCount", &count);
        // Initialising and clearing leave no crosspoints; only a data read brings pairs.
        if (!dynamic_cast<TInitFilter*>(Filter)) {
            for (std::uint8_t i = 0; i < count; ++i) {
                unsigned out = 0;
                unsigned in = 0;
                if (Filter->Transfer("OutAddr", &out) > LastGoodReadStatus ||
                    Filter->Transfer("InAddr", &in) > LastGoodReadStatus)
                    break;
                AddCrosspoint(out, in);
            }
        }
        CPCount = static_cast<std::uint8_t>(Elem.Size());
    }
    EndValues(Filter);
}

// ---- TUDPMsgV6 ----------------------------------------------------------------------------

TUDPMsgV6::TUDPMsgV6(TBlockObject* Parent)
    : TBlockObject(Parent, 0, false, false)
    , Data(std::make_unique<TBlockStream>(this))
{
    Init();
}

TUDPMsgV6::~TUDPMsgV6()
{
    DiscardDecoded();
}

void TUDPMsgV6::Describe(TBlockFilter* Filter)
{
    BeginValues(Filter, false);
    Filter->Transfer("FromIP", &FromIP);
    Filter->Transfer("FromPort", &FromPort);
    EndValues(Filter);
    Filter->TransferObject("&Data", Data.get());
    if (!Filter->IsWriting())
        DiscardDecoded(); // new data decode afresh
}

void TUDPMsgV6::DiscardDecoded()
{
    Device.reset();
    Routing.reset();
    CANBlock.reset();
    MsgType = V6NotDecoded;
}

int TUDPMsgV6::GetMsgType()
{
    Decode();
    return MsgType;
}

TBCDevice* TUDPMsgV6::GetDevice()
{
    Decode();
    return Device.get();
}

TBCRouting* TUDPMsgV6::GetRouting()
{
    Decode();
    return Routing.get();
}

TKVRCANBlock* TUDPMsgV6::GetCANBlock()
{
    Decode();
    return CANBlock.get();
}

void TUDPMsgV6::Decode()
{
    if (MsgType != V6NotDecoded)
        return;
    MsgType = V6TooShort;
    TMemoryStream& stream = *Data->GetStream();
    const std::span<std::uint8_t> data(stream.Memory(), static_cast<std::size_t>(stream.GetSize()));
    if (data.size() < 4)
        return;
    const std::uint32_t type = kvr::readBE32(data, 0);
    MsgType = static_cast<int>(type);

    if ((type & V6ExtendedMask) == V6ExtendedMask) {
        const auto body = data.subspan(4);
        if (type == V6TypeDevice) {
            Device.reset();
            Device = std::make_unique<TBCDevice>(this);
            const short result = Device->FromBuffer(body.data(), static_cast<int>(body.size()));
            DecodeResult = static_cast<std::uint16_t>(result);
            if (result >= FatalStatus)
                DiscardDecoded(); // the next query tries again
        } else if (type >= V6TypeRoutingFirst && type <= V6TypeRoutingLast) {
            Routing.reset();
            Routing = std::make_unique<TBCRouting>(this);
            fillRouting(*Routing, body);
        } else {
            CANBlock = controlBlockCopy(type, body);
        }
        return;
    }

    // Older-style records arrive in wire order; they are kept in host order from now on.
    convertToHostOrder(data, type);
    if (type == V6TypeDeviceStatus) {
        Device.reset();
        Device = std::make_unique<TBCDevice>(this);
        fillFromStatus(*Device, data);
    } else {
        CANBlock = controlBlockCopy(type, data);
    }
}

} // namespace Kvrdata_ns
