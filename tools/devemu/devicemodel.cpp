#include "devemu/devicemodel.h"

#include <algorithm>
#include <cstdio>
#include <span>
#include <utility>

#include "kvrdata/byteorder.h"
#include "kvrdata/crc32.h"
#include "kvrdata/udpmsgv6.h"

namespace kvr::devemu {

namespace {

constexpr std::uint32_t ClassImageRead = 0x1A00;
constexpr std::uint32_t ClassImageWrite = 0x1B00;
constexpr std::uint32_t ClassStreamRead = 0x1E21;
constexpr std::uint32_t ClassStreamWrite = 0x1E11;
constexpr std::uint32_t ClassStatusPages = 0x0500;
constexpr std::uint32_t ClassSerial = 0x112E;
constexpr std::uint32_t ClassModule = 0x0600;
constexpr std::uint32_t ClassCardRead = 0x0110;
constexpr std::uint32_t ClassCardWrite = 0x0120;
constexpr std::uint8_t CarrierType = 4;
constexpr std::uint32_t ClassFirmware = 0x1960;
constexpr std::uint32_t IdBurn = 0x19FFFFFC;
constexpr std::size_t FirmwareRecordsMax = 1u << 20;
constexpr std::uint32_t ClassChSetupName = 0x112A;
constexpr std::uint32_t ClassMxSetupName = 0x112F;
constexpr std::uint32_t ClassFaderName = 0x1114;
constexpr std::uint32_t ClassSetupChunk = 0x1141;
constexpr std::uint32_t ClassSetupHeader = 0x1142;
constexpr std::uint32_t ClassLoadSave = 0x111C;
constexpr std::uint32_t ClassLogicState = 0x110E;
constexpr std::uint32_t IdTcpBroadcast = 0x9A000004;
constexpr std::uint32_t DeviceRecordType = 0xFE062005;
constexpr std::uint32_t IdFileHeader = 0x99000000;
constexpr std::uint32_t IdFileData = 0x98000000;
constexpr std::uint32_t IdFileEnd = 0x99000001;
constexpr std::uint32_t FlashBurnRunning = 0x82010001;
constexpr std::uint32_t FileNotFound = 0x00000002;
constexpr std::uint32_t FileBadHandle = 0x00000003;
constexpr std::uint32_t FileBadCrc = 0x00000004;
constexpr std::uint32_t FileNoSpace = 0x00000005;
constexpr std::size_t FileChunk = 250;
constexpr std::size_t FileMax = 8u * 1024u * 1024u;
constexpr std::size_t FilesMax = 32;
constexpr std::size_t TransfersMax = 4;
constexpr std::size_t ReceivedMax = 200000;
constexpr std::size_t StreamBlocksMax = 0x7FFF;

std::string fixedText(std::span<const std::uint8_t> bytes)
{
    std::string text(bytes.begin(), bytes.end());
    text.erase(std::find(text.begin(), text.end(), '\0'), text.end());
    return text;
}

void putText(Bytes& out, std::size_t at, const std::string& text, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i)
        out[at + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
}

Bytes be32Bytes(std::uint32_t a, std::uint32_t b)
{
    Bytes out;
    ByteWriter w(out);
    w.be32(a);
    w.be32(b);
    return out;
}

} // namespace

DeviceModel::DeviceModel(DeviceIdentity identity, Bytes image) : identity_(std::move(identity)), image_(std::move(image))
{
    if (image_.empty())
        image_ = defaultImage(identity_);
    if (image_.size() > ImageMax)
        image_.resize(ImageMax);
    streams_[0] = defaultConfigStream(identity_);
}

Bytes DeviceModel::defaultConfigStream(const DeviceIdentity& identity)
{
    // Blocks 1-4 are bytes 8-39: device ID at 12, name at 20-35, project ID at 36-39; the size
    // word at 14-15 counts the stream without its first 20 bytes.
    Bytes stream(40, 0);
    writeBE16(stream, 14, static_cast<std::uint16_t>(stream.size() - 20));
    stream[12] = static_cast<std::uint8_t>(identity.deviceId);
    putText(stream, 20, identity.name.substr(0, 16), 16);
    writeBE32(stream, 36, identity.projectId);
    return stream;
}

Bytes DeviceModel::defaultImage(const DeviceIdentity& identity)
{
    Bytes image(ImageHeaderSize, 0);
    putText(image, 0, "MPJ2", 4);
    writeBE16(image, 4, 5);
    writeBE16(image, 6, 1);
    writeBE16(image, 8, 9);
    writeBE16(image, 10, 409);
    writeBE32(image, 12, identity.projectId);
    putText(image, 16, identity.name.substr(0, 35), 36);
    writeBE16(image, 58, static_cast<std::uint16_t>(ImageHeaderSize));
    writeBE32(image, 62, identity.configStamp);
    writeBE32(image, 78, identity.deviceId);
    return image;
}

std::optional<Bytes> DeviceModel::file(const std::string& name) const
{
    const auto it = files_.find(name);
    return it == files_.end() ? std::nullopt : std::optional<Bytes>(it->second);
}

void DeviceModel::setSetupName(std::uint32_t cls, std::uint8_t number, const std::string& name) { setupNames_[{cls, number}] = name.substr(0, 12); }

std::string DeviceModel::setupName(std::uint32_t cls, std::uint8_t number) const
{
    const auto it = setupNames_.find({cls, number});
    return it == setupNames_.end() ? std::string() : it->second;
}

void DeviceModel::setFaderName(std::uint16_t channel, const std::string& name) { faderNames_[channel] = name.substr(0, 16); }

std::string DeviceModel::faderName(std::uint16_t channel) const
{
    const auto it = faderNames_.find(channel);
    return it == faderNames_.end() ? std::string() : it->second;
}

std::optional<Bytes> DeviceModel::setup(std::uint8_t type, std::uint8_t number) const
{
    const auto it = setups_.find({type, number});
    return it == setups_.end() ? std::nullopt : std::optional<Bytes>(it->second);
}

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

void DeviceModel::moduleInfo(std::vector<Answer>& out, std::uint16_t module)
{
    const auto silent = [this](std::uint16_t number) {
        return std::find(knobs_.silentModules.begin(), knobs_.silentModules.end(), number) != knobs_.silentModules.end();
    };
    const auto info = [this](const ModuleEntry& m) {
        Bytes data = be32Bytes(0, identity_.firmware);
        data[0] = m.type;
        data[1] = m.index;
        return data;
    };
    // The scan of all modules: one answer per listed module, under its own ID.
    if (module == 0xFFFF) {
        for (const ModuleEntry& m : modules_)
            if (!silent(m.number))
                answer(out, ClassModule << 16 | m.number, info(m));
        return;
    }
    if (silent(module))
        return;
    const auto it = std::find_if(modules_.begin(), modules_.end(),
                                 [module](const ModuleEntry& m) { return m.number == module; });
    answer(out, ClassModule << 16 | module, it == modules_.end() ? be32Bytes(0, identity_.firmware) : info(*it));
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

void DeviceModel::readImage(std::vector<Answer>& out, const DeviceFrame& in, std::uint32_t n)
{
    if (n == 0)
        return;
    Bytes chunk(8, 0);
    const std::size_t at = static_cast<std::size_t>(n - 1) * 8;
    for (std::size_t i = 0; i < 8 && at + i < image_.size(); ++i)
        chunk[i] = image_[at + i];
    answer(out, in.id, chunk);
}

void DeviceModel::writeImage(std::vector<Answer>& out, const DeviceFrame& in, std::uint32_t n)
{
    if (n == 0 || !writing_) {
        // A write starts from the image the device holds; blocks it does not send stay as they are.
        stagedImage_ = image_;
        writing_ = true;
        if (n == 0)
            return; // the start of a write: nothing to answer
    }
    const std::size_t at = static_cast<std::size_t>(n - 1) * 8;
    const std::size_t len = std::min<std::size_t>(in.len, 8);
    if (at + len > ImageMax)
        return;
    if (stagedImage_.size() < at + len)
        stagedImage_.resize(at + len, 0);
    std::copy_n(in.data.begin(), len, stagedImage_.begin() + static_cast<std::ptrdiff_t>(at));
    if (n == 1) {
        image_ = std::exchange(stagedImage_, {}); // the block that ends the write
        writing_ = false;
    }
    answer(out, in.id, {});
}

void DeviceModel::configStreamRead(std::vector<Answer>& out, const DeviceFrame& in)
{
    const bool alternate = (in.id & 0x8000) != 0;
    const std::size_t block = in.id & 0x7FFF;
    const Bytes& stream = streams_[alternate ? 1 : 0];
    Bytes chunk(8, 0);
    for (std::size_t i = 0; i < 8 && block * 8 + i < stream.size(); ++i)
        chunk[i] = stream[block * 8 + i];
    answer(out, in.id, chunk);
}

void DeviceModel::configStreamWrite(std::vector<Answer>& out, const DeviceFrame& in)
{
    const bool alternate = (in.id & 0x8000) != 0;
    const std::size_t block = in.id & 0x7FFF;
    Bytes& pending = pendingStreams_[alternate ? 1 : 0];
    if (block == StreamBlocksMax) {
        // The end marker: the written stream replaces the stored one.
        streams_[alternate ? 1 : 0] = std::exchange(pending, {});
        return;
    }
    const std::size_t len = std::min<std::size_t>(in.len, 8);
    if (pending.size() < block * 8 + len)
        pending.resize(block * 8 + len, 0);
    std::copy_n(in.data.begin(), len, pending.begin() + static_cast<std::ptrdiff_t>(block * 8));
    answer(out, in.id, {});
}

void DeviceModel::burnReports(std::vector<Answer>& out)
{
    const auto in = [](const std::vector<std::uint16_t>& list, std::uint16_t m) {
        return std::find(list.begin(), list.end(), m) != list.end();
    };
    std::vector<std::uint16_t> reporting;
    for (const ModuleEntry& m : modules_)
        if (!in(knobs_.burnSilentModules, m.number))
            reporting.push_back(m.number);
    if (knobs_.burnStranger)
        reporting.insert(reporting.begin(), knobs_.burnStranger);
    for (std::uint16_t m : reporting) {
        const std::uint16_t code = in(knobs_.burnFailModules, m) ? 0x0300 : 0x0301;
        out.push_back({commserver::makeDeviceFrame(0x0F100000u | m, Bytes{static_cast<std::uint8_t>(code >> 8), static_cast<std::uint8_t>(code), 0, 0, 0, 0, 0, 0}),
                       knobs_.burnDelayMs});
    }
}

const ModuleEntry* DeviceModel::listedModule(std::uint16_t module) const
{
    const auto it = std::find_if(modules_.begin(), modules_.end(), [module](const ModuleEntry& m) { return m.number == module; });
    return it == modules_.end() ? nullptr : &*it;
}

Bytes DeviceModel::moduleStatusPage(const ModuleEntry& module) const
{
    static const std::map<std::uint8_t, std::uint32_t> Kinds = {
        {2, 2},     {3, 4},      {4, 8},       {5, 16},      {6, 32},          {7, 64},          {8, 128},
        {9, 256},   {10, 512},   {11, 1024},   {13, 4096},   {14, 8192},       {30, 0x20000000}, {31, 0x40000000},
        {32, 0x80000000}};
    Bytes page(114 + 2 * 27 + 1, 0);
    writeBE32(page, 2, identity_.firmware);
    const auto kind = Kinds.find(module.type);
    writeBE32(page, 6, kind == Kinds.end() ? 0x00010000 : kind->second);
    writeBE32(page, 10, 1700000000);
    writeBE32(page, 14, identity_.configStamp);
    writeBE16(page, 20, 2150); // 21.50 degrees
    writeBE32(page, 24, 3723);
    writeBE16(page, 28, 1234);
    writeBE16(page, 30, 24000);
    page[32] = 1;
    page[34] = 2;
    page[36] = 1;
    page[37] = 0;
    // The Ethernet overflow count moved from byte 41 to byte 38 with firmware 5.20.9.
    page[identity_.firmware >= 0x05140900 ? 38 : 41] = 3;
    writeBE32(page, 64, 48000);
    writeBE16(page, 80, 3300);
    writeBE16(page, 82, 3280);
    page[88] = static_cast<std::uint8_t>(identity_.serial >> 16);
    page[89] = static_cast<std::uint8_t>(identity_.serial >> 8);
    page[90] = static_cast<std::uint8_t>(identity_.serial);
    const char* names[] = {"Main", "Control"};
    for (std::size_t t = 0; t < 2; ++t) {
        const std::size_t at = 114 + 27 * t;
        putText(page, at, names[t], 15);
        page[at + 15] = static_cast<std::uint8_t>(10 * (t + 1));
        page[at + 16] = static_cast<std::uint8_t>(t);
        writeBE16(page, at + 19, 200);
        writeBE16(page, at + 21, 1024);
        writeBE16(page, at + 23, static_cast<std::uint16_t>(100 + t));
        writeBE16(page, at + 25, static_cast<std::uint16_t>(50 * (t + 1)));
    }
    page.back() = 0xFF;
    return page;
}

Bytes DeviceModel::cardInfoPage(std::uint16_t module, std::uint8_t slot)
{
    auto it = cardPages_.find({module, slot});
    if (it == cardPages_.end()) {
        Bytes page(128, 0);
        if (slot == 0) {
            page[0] = 0x32;
            page[1] = 2;
            writeBE16(page, 2, 4711);
            writeBE32(page, 4, 10000u + module);
            writeBE32(page, 8, 1600000000);
            writeBE16(page, 20, 321);
            for (std::size_t i = 23; i < 71; ++i)
                page[i] = static_cast<std::uint8_t>(i % 7);
            page[22] = 96;
            putText(page, 96, "calibrated\n", 12);
        }
        it = cardPages_.emplace(std::pair{module, slot}, std::move(page)).first;
    }
    return it->second;
}

void DeviceModel::setCard(const CardSpec& card)
{
    // A card has the default card's correction values and free text; an empty slot nothing.
    Bytes page(128, 0);
    if (card.code != 0 && card.code != 0xFF) {
        for (std::size_t i = 23; i < 71; ++i)
            page[i] = static_cast<std::uint8_t>(i % 7);
        page[22] = 96;
        putText(page, 96, "calibrated\n", 12);
    }
    page[0] = card.code;
    page[1] = card.revision;
    writeBE16(page, 2, card.fa);
    writeBE32(page, 4, card.serial);
    writeBE32(page, 8, 1600000000);
    cardPages_[{card.module, card.slot}] = std::move(page);
}

void DeviceModel::cardPage(std::vector<Answer>& out, const DeviceFrame& in, std::uint16_t module, bool write)
{
    const ModuleEntry* m = listedModule(module);
    if (!m || m->type != CarrierType || in.len < 2 || in.data[0] / 16 > 9 || in.data[1] >= 128)
        return;
    const auto slot = static_cast<std::uint8_t>(in.data[0] / 16);
    Bytes page = cardInfoPage(module, slot);
    const std::uint8_t offset = in.data[1];
    if (write) {
        // Data 2 is the count; the bytes follow from data 4.
        for (std::size_t i = 0; i < in.data[2] && 4u + i < in.len && offset + i < page.size(); ++i)
            page[offset + i] = in.data[4 + i];
        cardPages_[{module, slot}] = page;
        return;
    }
    Bytes chunk(8, 0);
    for (std::size_t i = 0; i < 8 && offset + i < page.size(); ++i)
        chunk[i] = page[offset + i];
    answer(out, in.id, chunk);
}

void DeviceModel::statusPages(std::vector<Answer>& out, std::uint16_t module)
{
    auto it = statusPages_.find(module);
    if (it == statusPages_.end()) {
        if (const ModuleEntry* m = listedModule(module)) {
            const Bytes page = moduleStatusPage(*m);
            std::vector<Bytes> chunks;
            for (std::size_t at = 0; at < page.size(); at += 8)
                chunks.emplace_back(page.begin() + static_cast<std::ptrdiff_t>(at),
                                    page.begin() + static_cast<std::ptrdiff_t>(std::min(at + 8, page.size())));
            it = statusPages_.emplace(module, std::move(chunks)).first;
        }
    }
    if (it != statusPages_.end()) {
        for (std::size_t page = 0; page < it->second.size() && page < 255; ++page) {
            Bytes data = it->second[page];
            data.resize(8, 0);
            answer(out, 0x05000000u | static_cast<std::uint32_t>(page) << 16 | module, data);
        }
    } else {
        // Made-up pages that say which module and page they are.
        for (unsigned page = 0; page < identity_.statusPages && page < 255; ++page) {
            const Bytes data{static_cast<std::uint8_t>(module >> 8), static_cast<std::uint8_t>(module), static_cast<std::uint8_t>(page), 0, 0, 0, 0, 0};
            answer(out, 0x05000000u | page << 16 | module, data);
        }
    }
    answer(out, 0x05FF0000u | module, Bytes(8, 0));
}

void DeviceModel::setupNames(std::vector<Answer>& out, const DeviceFrame& in)
{
    const std::uint32_t cls = in.id >> 16;
    if (in.len == 1) {
        const std::uint8_t number = in.data[0];
        Bytes name(12, 0);
        putText(name, 0, setupName(cls, number), 12);
        for (std::uint8_t part = 0; part < 2; ++part) {
            Bytes data(8, 0);
            data[0] = number;
            data[1] = part;
            std::copy_n(name.begin() + part * 6, 6, data.begin() + 2);
            answer(out, in.id, data);
        }
    } else if (in.len == 8 && in.data[1] < 2) {
        Bytes name(12, 0);
        putText(name, 0, setupName(cls, in.data[0]), 12);
        std::copy_n(in.data.begin() + 2, 6, name.begin() + in.data[1] * 6);
        setupNames_[{cls, in.data[0]}] = fixedText(name);
    }
}

void DeviceModel::faderNames(std::vector<Answer>& out, const DeviceFrame& in)
{
    const std::uint16_t channel = static_cast<std::uint16_t>(in.data[0] << 8 | in.data[1]);
    if (in.len == 3 && in.data[2] < 4) {
        Bytes name(16, 0);
        putText(name, 0, faderName(channel), 16);
        Bytes echo(in.data.begin(), in.data.begin() + 3);
        answer(out, in.id, echo);
        Bytes part = echo;
        part.push_back(0);
        part.insert(part.end(), name.begin() + in.data[2] * 4, name.begin() + in.data[2] * 4 + 4);
        answer(out, in.id, part);
    } else if (in.len == 2) {
        faderNames_.erase(channel);
    } else if (in.len == 8 && in.data[2] < 4) {
        Bytes name(16, 0);
        putText(name, 0, faderName(channel), 16);
        std::copy_n(in.data.begin() + 4, 4, name.begin() + in.data[2] * 4);
        faderNames_[channel] = fixedText(name);
    }
}

void DeviceModel::setupChunk(std::vector<Answer>& out, const DeviceFrame& in)
{
    if (in.len < 2)
        return;
    const std::size_t offset = static_cast<std::size_t>(in.data[0] << 8 | in.data[1]);
    if (in.len == 2) {
        // A read of six bytes of the setup last asked for by size.
        Bytes data{in.data[0], in.data[1]};
        for (std::size_t i = 0; i < 6; ++i)
            data.push_back(offset + i < setupBuffer_.size() ? setupBuffer_[offset + i] : 0);
        answer(out, in.id, data);
        return;
    }
    const std::size_t n = std::min<std::size_t>(in.len - 2, 6);
    if (setupBuffer_.size() < offset + n)
        setupBuffer_.resize(offset + n, 0);
    std::copy_n(in.data.begin() + 2, n, setupBuffer_.begin() + static_cast<std::ptrdiff_t>(offset));
    answer(out, in.id, Bytes(in.data.begin(), in.data.begin() + in.len));
}

void DeviceModel::setupHeader(std::vector<Answer>& out, const DeviceFrame& in)
{
    if (in.len == 2) {
        const auto stored = setup(in.data[0], in.data[1]);
        setupBuffer_ = stored.value_or(Bytes{});
        const auto size = static_cast<std::uint16_t>(setupBuffer_.size());
        answer(out, in.id, Bytes{in.data[0], in.data[1], static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)});
    } else if (in.len == 4 && in.data[0] > 0) {
        // Store command: the type travels as type + 1.
        const std::size_t size = static_cast<std::size_t>(in.data[2] << 8 | in.data[3]);
        Bytes data = setupBuffer_;
        data.resize(size, 0);
        setups_[{static_cast<std::uint8_t>(in.data[0] - 1), in.data[1]}] = std::move(data);
        setupBuffer_.clear();
    }
}

void DeviceModel::fileHeader(std::vector<Answer>& out, const DeviceFrame& in)
{
    ByteReader r(in.payload());
    r.be32();
    r.u8();
    const char mode = static_cast<char>(r.u8());
    const std::uint32_t size = r.be32();
    const std::uint8_t nameLength = r.u8();
    const auto nameBytes = r.bytes(nameLength);
    if (!r.ok() || (mode != 'r' && mode != 'w'))
        return;
    const std::string name(nameBytes.begin(), nameBytes.end());

    auto reply = [&](std::uint32_t result, std::uint8_t handle, std::uint32_t fileSize, const std::string& text) {
        Bytes data;
        ByteWriter w(data);
        w.be32(result);
        w.u8(handle);
        w.u8(static_cast<std::uint8_t>(mode));
        w.be32(fileSize);
        w.u8(static_cast<std::uint8_t>(text.size()));
        w.bytes({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
        answer(out, IdFileHeader, data);
    };

    // Memory stays bounded whatever a client announces: few transfers, few and finite files.
    if (transfers_.size() >= TransfersMax)
        transfers_.erase(transfers_.begin());
    const std::uint8_t handle = nextHandle_++;
    if (nextHandle_ == 0)
        nextHandle_ = 1;
    if (mode == 'w') {
        if (size > FileMax || (files_.size() >= FilesMax && !files_.count(name))) {
            reply(FileNoSpace, 0, 0, "No space");
            return;
        }
        transfers_[handle] = Transfer{'w', name, size, Bytes(size, 0)};
        reply(0, handle, 0, {});
        return;
    }
    const auto content = file(name);
    if (!content) {
        reply(FileNotFound, 0, 0, "Not found");
        return;
    }
    reply(0, handle, static_cast<std::uint32_t>(content->size()), {});
    // The data follow in file order, then the end block with the CRC.
    for (std::size_t at = 0; at < content->size(); at += FileChunk) {
        const std::size_t n = std::min(FileChunk, content->size() - at);
        Bytes data;
        ByteWriter w(data);
        w.be32(static_cast<std::uint32_t>(at));
        w.u8(handle);
        w.bytes({content->data() + at, n});
        answer(out, IdFileData, data);
    }
    std::uint32_t crc = Kvrdata_ns::CalcCRC32(*content);
    if (knobs_.corruptCrc)
        crc ^= 0xFFFFFFFFu;
    Bytes end;
    ByteWriter w(end);
    w.be32(0);
    w.u8(handle);
    w.be32(crc);
    answer(out, IdFileEnd, end);
}

void DeviceModel::fileData(const DeviceFrame& in)
{
    if (in.len < 6)
        return;
    const std::size_t offset = readBE32(in.payload(), 0);
    auto it = transfers_.find(in.data[4]);
    if (it == transfers_.end() || it->second.mode != 'w')
        return;
    Bytes& data = it->second.data;
    const std::size_t n = in.len - 5u;
    if (offset > data.size() || n > data.size() - offset)
        return;
    std::copy_n(in.data.begin() + 5, n, data.begin() + static_cast<std::ptrdiff_t>(offset));
}

void DeviceModel::fileEnd(std::vector<Answer>& out, const DeviceFrame& in)
{
    if (in.len < 5)
        return;
    const std::uint8_t handle = in.data[4];
    auto it = transfers_.find(handle);
    auto reply = [&](std::uint32_t result, const std::string& text, int delayMs) {
        Bytes data;
        data.reserve(10 + text.size());
        ByteWriter w(data);
        w.be32(result);
        w.u8(handle);
        w.be32(0);
        w.u8(static_cast<std::uint8_t>(text.size()));
        w.bytes({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
        out.push_back({commserver::makeDeviceFrame(IdFileEnd, data), delayMs});
    };
    if (it == transfers_.end()) {
        reply(FileBadHandle, "Bad handle", 0);
        return;
    }
    if (it->second.mode == 'r') {
        // The client's verdict on a read: the transfer is over.
        transfers_.erase(it);
        return;
    }
    if (in.len < 9)
        return;
    const std::uint32_t crc = readBE32(in.payload(), 5);
    Transfer done = std::move(it->second);
    transfers_.erase(it);
    if (crc != Kvrdata_ns::CalcCRC32(done.data)) {
        reply(FileBadCrc, "CRC error", 0);
        return;
    }
    files_[done.name] = std::move(done.data);
    if (knobs_.flashBurn) {
        reply(FlashBurnRunning, "Burning", 0);
        reply(0, {}, 500);
        return;
    }
    reply(0, {}, 0);
}

void DeviceModel::receiveDatagram(Bytes datagram)
{
    if (datagrams_.size() >= 1000)
        datagrams_.pop_front();
    datagrams_.push_back(std::move(datagram));
}

std::uint32_t DeviceModel::configStamp() const
{
    // The running configuration's change time, as a loaded image carries it in its header.
    constexpr std::size_t StampAt = 62;
    return image_.size() >= StampAt + 4 ? readBE32(image_, StampAt) : identity_.configStamp;
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

namespace {

bool parseField(const std::string& text, std::uint32_t max, std::uint32_t& out)
{
    if (text.empty())
        return false;
    std::size_t used = 0;
    unsigned long v = 0;
    try {
        v = std::stoul(text, &used, 0);
    } catch (const std::exception&) {
        return false;
    }
    if (used != text.size() || v > max)
        return false;
    out = static_cast<std::uint32_t>(v);
    return true;
}

std::string hexText(std::span<const std::uint8_t> bytes)
{
    static const char Digits[] = "0123456789ABCDEF";
    std::string out;
    for (std::uint8_t b : bytes) {
        out += Digits[b >> 4];
        out += Digits[b & 15];
    }
    return out.empty() ? "-" : out;
}

} // namespace

bool parseModuleList(const std::string& text, std::vector<ModuleEntry>& modules)
{
    std::vector<ModuleEntry> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('/', start), text.size());
        const std::string item = text.substr(start, end - start);
        const std::size_t a = item.find(':');
        const std::size_t b = a == std::string::npos ? a : item.find(':', a + 1);
        std::uint32_t number = 0, type = 0, index = 0;
        if (b == std::string::npos || !parseField(item.substr(0, a), 0xFFFF, number) ||
            !parseField(item.substr(a + 1, b - a - 1), 0xFF, type) || !parseField(item.substr(b + 1), 0xFF, index))
            return false;
        out.push_back({static_cast<std::uint16_t>(number), static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(index)});
        if (out.size() > ModulesMax)
            return false;
        start = end + 1;
    }
    modules = std::move(out);
    return true;
}

bool parseCardSpec(const std::string& text, CardSpec& card)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(':', start), text.size());
        fields.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::uint32_t v[6] = {0, 0, 0, 0, 0, 0};
    const std::uint32_t max[6] = {0xFFFF, 9, 0xFF, 0xFFFFFFFF, 0xFF, 0xFFFF};
    if (fields.size() < 5 || fields.size() > 6)
        return false;
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (!parseField(fields[i], max[i], v[i]))
            return false;
    card = {static_cast<std::uint16_t>(v[0]), static_cast<std::uint8_t>(v[1]), static_cast<std::uint8_t>(v[2]), v[3],
            static_cast<std::uint8_t>(v[4]), static_cast<std::uint16_t>(v[5])};
    return true;
}

std::vector<Bytes> statusPagesFromImage(const Bytes& image)
{
    std::vector<Bytes> pages;
    for (std::size_t at = 0; at < image.size() && pages.size() < 255; at += 8) {
        Bytes page(image.begin() + static_cast<std::ptrdiff_t>(at),
                   image.begin() + static_cast<std::ptrdiff_t>(std::min(at + 8, image.size())));
        page.resize(8, 0);
        pages.push_back(std::move(page));
    }
    return pages;
}

std::vector<std::string> lastReceived(const DeviceModel& model, std::size_t count)
{
    std::vector<std::string> lines;
    const auto& blocks = model.received();
    for (std::size_t i = blocks.size() - std::min(count, blocks.size()); i < blocks.size(); ++i) {
        char head[32];
        std::snprintf(head, sizeof head, "block 0x%08X %u ", blocks[i].id, static_cast<unsigned>(blocks[i].len));
        lines.push_back(head + hexText(blocks[i].payload()));
    }
    const auto& datagrams = model.receivedDatagrams();
    for (std::size_t i = datagrams.size() - std::min(count, datagrams.size()); i < datagrams.size(); ++i)
        lines.push_back("datagram " + hexText(datagrams[i]));
    return lines;
}

} // namespace kvr::devemu
