#pragma once
// Device status broadcasts as the server hands them to the client (numbers in host order), and
// the collection the fake server answers ReadUDPBroadCasts with.

#include <cstdint>
#include <string>
#include <vector>

#include "commserver/icommserver.h"
#include "kvrdata/byteorder.h"
#include "kvrdata/kvrstruct.h"

namespace servicetest {

struct Module {
    std::uint16_t Number;
    std::uint8_t Type;
    std::uint8_t Index;
};

struct Status {
    std::uint32_t Serial = 0x1234;
    std::string Name = "EMU1";
    std::string Pid = "ABCD";
    std::uint32_t Did = 1;
    std::uint32_t IP = 0x7F000002;
    std::vector<Module> Modules;
    int Count = -1; // the count field; -1: the number of modules
};

inline Kvrdata_ns::TUDPMsg StatusMsg(const Status& S)
{
    Kvrdata_ns::TUDPMsg m;
    m.Address = S.IP;
    auto& p = m.Payload;
    kvr::writeLE32(p, 0, Kvrdata_ns::UDPMagicDeviceStatus);
    kvr::writeLE32(p, 4, S.Serial);
    kvr::writeLE32(p, 8, S.Did);
    std::uint32_t pid = 0;
    for (std::size_t i = 0; i < 4; ++i)
        pid = pid << 8 | (i < S.Pid.size() ? static_cast<std::uint8_t>(S.Pid[i]) : 0);
    kvr::writeLE32(p, 12, pid);
    for (std::size_t i = 0; i < 10 && i < S.Name.size(); ++i)
        p[20 + i] = static_cast<std::uint8_t>(S.Name[i]);
    kvr::writeLE16(p, 30, static_cast<std::uint16_t>(S.Count < 0 ? S.Modules.size() : static_cast<std::size_t>(S.Count)));
    std::size_t at = 32;
    for (const Module& mod : S.Modules) {
        if (at + 4 > p.size())
            break;
        kvr::writeLE16(p, at, mod.Number);
        p[at + 2] = mod.Type;
        p[at + 3] = mod.Index;
        at += 4;
    }
    m.Length = static_cast<std::uint32_t>(at);
    return m;
}

inline kvr::commserver::Bytes Collection(const std::vector<Kvrdata_ns::TUDPMsg>& Msgs)
{
    kvr::commserver::Bytes b{0, 177, 0, 0};
    for (const auto& m : Msgs) {
        const auto image = Kvrdata_ns::UDPMsgToBytes(m);
        b.insert(b.end(), image.begin(), image.end());
    }
    return b;
}

} // namespace servicetest
