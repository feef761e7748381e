// What the device sends unasked: its status records, error reports, global logic states and
// the states of its logic sources.

#include "devemu/devicemodel.h"

#include "kvrdata/udpmsgv6.h"

#include "devemu/devicewire.h"

namespace kvr::devemu {

DeviceFrame DeviceModel::logicStateBlock(std::uint16_t id) const
{
    const auto it = logicStates_.find(id);
    const std::uint8_t state = it == logicStates_.end() ? 0 : it->second;
    const Bytes data{static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id), state};
    return commserver::makeDeviceFrame(ClassLogicState << 16, data);
}

DeviceFrame DeviceModel::setLogicState(std::uint16_t id, std::uint8_t state)
{
    if (logicStates_.size() < LogicStatesMax || logicStates_.count(id) != 0)
        logicStates_[id] = state;
    return logicStateBlock(id);
}

Bytes DeviceModel::statusDatagram() const
{
    Bytes out;
    ByteWriter w(out);
    w.be32(0x06061999);
    w.be32(identity_.serial & 0xFFFFFF);
    w.be32(identity_.deviceId);
    w.be32(identity_.projectId);
    w.be32(configStamp());
    Bytes name(10, 0);
    putText(name, 0, identity_.name, 10);
    w.bytes(name);
    if (modules_.empty()) {
        // One module entry, the frame's controller: device lists leave out frames that report none.
        w.be16(1);
        w.be16(1);
        w.u8(0);
        w.u8(0);
        return out;
    }
    const std::size_t count = std::min(modules_.size(), ModulesMax);
    w.be16(static_cast<std::uint16_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        w.be16(modules_[i].number);
        w.u8(modules_[i].type);
        w.u8(modules_[i].index);
    }
    return out;
}

Bytes DeviceModel::deviceRecordDatagram() const
{
    Kvrdata_ns::TBCDevice device;
    device.MAC = identity_.serial & 0xFFFFFF;
    device.DID = static_cast<std::uint8_t>(identity_.deviceId);
    device.PID = identity_.projectId;
    device.TS = configStamp();
    device.HardwareName = identity_.hardwareName;
    device.DeviceName = identity_.name;
    device.FirmwareVersion = identity_.firmware;
    device.DeviceType = 1;
    Bytes record;
    device.ToVariant(record);
    Bytes out;
    ByteWriter w(out);
    w.be32(DeviceRecordType);
    w.bytes(record);
    return out;
}

DeviceFrame DeviceModel::errorReport(std::uint16_t module, std::uint32_t code, std::uint32_t param) const
{
    return commserver::makeDeviceFrame(0x0F100000u | module, be32Bytes(code, param));
}

Bytes DeviceModel::globalLogicDatagram(std::uint16_t number, bool state) const
{
    Bytes out;
    ByteWriter w(out);
    w.be32(0x20081996);
    w.be32(identity_.projectId);
    w.u8(3);
    w.u8(0);
    w.be32(0x11500000);
    w.be16(number);
    w.u8(state ? 1 : 0);
    return out;
}

} // namespace kvr::devemu
