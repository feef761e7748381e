#pragma once
// The emulator's "send" command: a control block given as text goes to the connected clients, as
// a device sends blocks nobody asked for (names pushed from a console, status).
//
//   send N ID HEX    ID as a number (0x... for hexadecimal), HEX the data bytes as hex digits
//                    (up to 255 bytes; "-" or nothing for none)

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "commserver/deviceframe.h"

namespace kvr::devemu {

inline std::optional<commserver::DeviceFrame> parseSendCommand(std::istream& line)
{
    std::string idText;
    std::string hex;
    line >> idText >> hex;
    if (hex == "-")
        hex.clear();
    std::size_t used = 0;
    unsigned long id = 0;
    try {
        id = std::stoul(idText, &used, 0);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (used != idText.size() || id > 0xFFFFFFFFul || hex.size() % 2 != 0 || hex.size() / 2 > 255)
        return std::nullopt;
    std::vector<std::uint8_t> data;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const auto digit = [](char c) -> int {
            if (c >= '0' && c <= '9')
                return c - '0';
            if (c >= 'a' && c <= 'f')
                return c - 'a' + 10;
            if (c >= 'A' && c <= 'F')
                return c - 'A' + 10;
            return -1;
        };
        const int hi = digit(hex[i]);
        const int lo = digit(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        data.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
    }
    return commserver::makeDeviceFrame(static_cast<std::uint32_t>(id), data);
}

} // namespace kvr::devemu
