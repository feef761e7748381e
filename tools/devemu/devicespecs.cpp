// The texts of the emulator's command line and commands: module lists, card specs, status pages
// from a file and the last blocks received.

#include "devemu/devicemodel.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <span>
#include <string>

#include "devemu/devicewire.h"

namespace kvr::devemu {

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
