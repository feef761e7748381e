#include "devemu/devicemodel.h"

#include <utility>
#include <vector>

#include "devemu/devicewire.h"

namespace kvr::devemu {

DeviceModel::DeviceModel(DeviceIdentity identity, Bytes image) : identity_(std::move(identity)), image_(std::move(image))
{
    if (image_.empty())
        image_ = defaultImage(identity_);
    if (image_.size() > ImageMax)
        image_.resize(ImageMax);
    streams_[0] = defaultConfigStream(identity_);
}

void DeviceModel::answer(std::vector<Answer>& out, std::uint32_t id, const Bytes& data)
{
    out.push_back({commserver::makeDeviceFrame(id, data), 0});
}

std::vector<Answer> DeviceModel::handle(const DeviceFrame& in)
{
    if (received_.size() >= ReceivedMax)
        received_.erase(received_.begin(), received_.begin() + ReceivedMax / 2);
    received_.push_back(in);

    std::vector<Answer> out;
    const std::uint32_t cls = in.id >> 16;
    const std::uint32_t low = in.id & 0xFFFF;
    switch (cls) {
    case ClassImageRead: readImage(out, in, low); break;
    case ClassImageWrite: writeImage(out, in, low); break;
    case ClassStreamRead: configStreamRead(out, in); break;
    case ClassStreamWrite: configStreamWrite(out, in); break;
    case ClassSerial:
        if (!knobs_.olderFirmware)
            answer(out, in.id, be32Bytes(identity_.serial, identity_.firmware));
        break;
    case ClassModule: moduleInfo(out, static_cast<std::uint16_t>(low)); break;
    case ClassCardRead: cardPage(out, in, static_cast<std::uint16_t>(low), false); break;
    case ClassCardWrite: cardPage(out, in, static_cast<std::uint16_t>(low), true); break;
    case ClassFirmware:
        if (firmware_.size() < FirmwareRecordsMax)
            firmware_.push_back(in);
        answer(out, in.id, {});
        break;
    case ClassChSetupName:
    case ClassMxSetupName: setupNames(out, in); break;
    case ClassFaderName: faderNames(out, in); break;
    case ClassSetupChunk: setupChunk(out, in); break;
    case ClassSetupHeader: setupHeader(out, in); break;
    case ClassLoadSave: break; // recorded only
    case ClassLogicState:
        // A state request names one logic source: ID 0x110E0000, two bytes, the ID big-endian.
        if (in.id == ClassLogicState << 16 && in.len == 2)
            out.push_back({logicStateBlock(static_cast<std::uint16_t>(in.data[0] << 8 | in.data[1])), 0});
        break;
    default:
        if ((in.id & 0xFF000000u) == (ClassStatusPages << 16) && (in.id & 0x00FF0000u) == 0)
            statusPages(out, static_cast<std::uint16_t>(low));
        else if (in.id == IdFileHeader)
            fileHeader(out, in);
        else if (in.id == IdFileData)
            fileData(in);
        else if (in.id == IdFileEnd)
            fileEnd(out, in);
        else if (in.id == IdBurn)
            burnReports(out);
        else if (in.id == IdTcpBroadcast) {
            const Bytes record = deviceRecordDatagram();
            if (record.size() <= 255)
                answer(out, in.id, record);
        }
        break;
    }
    return applyKnobs(std::move(out));
}

std::vector<Answer> DeviceModel::applyKnobs(std::vector<Answer> answers)
{
    std::vector<Answer> out;
    for (Answer& a : answers) {
        ++answersSent_;
        if (knobs_.dropEvery && answersSent_ % knobs_.dropEvery == 0)
            continue;
        a.delayMs += knobs_.delayMs;
        if (knobs_.lateEvery && answersSent_ % knobs_.lateEvery == 0)
            a.delayMs += knobs_.lateMs;
        if (knobs_.wrongIdEvery && answersSent_ % knobs_.wrongIdEvery == 0)
            a.frame.id ^= 1u;
        if (knobs_.wrongLengthEvery && answersSent_ % knobs_.wrongLengthEvery == 0)
            a.frame.len = a.frame.len == 255 ? 254 : static_cast<std::uint8_t>(a.frame.len + 1);
        if (knobs_.flipDataEvery && answersSent_ % knobs_.flipDataEvery == 0)
            for (std::size_t i = 0; i < a.frame.len; ++i)
                a.frame.data[i] = static_cast<std::uint8_t>(~a.frame.data[i]);
        out.push_back(a);
        if (knobs_.duplicateEvery && answersSent_ % knobs_.duplicateEvery == 0)
            out.push_back(a);
    }
    return out;
}

void DeviceModel::receiveDatagram(Bytes datagram)
{
    if (datagrams_.size() >= 1000)
        datagrams_.pop_front();
    datagrams_.push_back(std::move(datagram));
}

} // namespace kvr::devemu
