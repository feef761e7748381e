// The service requests: module information, status and card pages, firmware burn reports,
// setup and fader names, setups and files.

#include "devemu/devicemodel.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "kvrdata/crc32.h"

#include "devemu/devicewire.h"

namespace kvr::devemu {

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

} // namespace kvr::devemu
