#pragma once
// Builds the stored records that hold or name sources, byte by byte, independent of the record
// accessors, for the source-name, adaptation and repair tests.

#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "kvrdata/byteorder.h"
#include "model/device.h"

namespace kvr::model::test {

using Bytes = std::vector<std::uint8_t>;

inline void PutText(Bytes& b, std::size_t at, const std::string& text)
{
    std::memcpy(b.data() + at, text.data(), text.size());
}
inline void PutWord(Bytes& b, std::size_t at, std::uint16_t v) { writeBE16(b, at, v); }

// 32-byte bus or clean-feed record.
inline Bytes BusRec(const std::string& label, bool stereo, std::uint16_t logic1 = 0, std::uint16_t logic2 = 0)
{
    Bytes b(32, 0);
    PutText(b, 0, label);
    b[16] = stereo ? 0x80 : 0;
    PutWord(b, 24, logic1);
    PutWord(b, 26, logic2);
    return b;
}

// 28-byte fader-channel record.
inline Bytes FaderRec(int number, const std::string& name, std::uint16_t source = 0)
{
    Bytes b(28, 0);
    PutText(b, 0, name.substr(0, 4));
    PutWord(b, 4, source);
    b[20] = static_cast<std::uint8_t>(number);
    return b;
}

// Output function: label and conditions (condition ID, source 1, source 2).
inline Bytes OutFktRec(const std::string& label, std::initializer_list<std::array<std::uint16_t, 3>> conds)
{
    Bytes b(12, 0);
    PutText(b, 0, label);
    b[10] = static_cast<std::uint8_t>(conds.size());
    for (const auto& c : conds) {
        Bytes row(10, 0);
        PutWord(row, 0, c[0]);
        PutWord(row, 2, c[1]);
        PutWord(row, 4, c[2]);
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

// Fixed processing without DSP functions.
inline Bytes ProcRec(const std::string& label, std::uint16_t source, bool stereo)
{
    Bytes b(14, 0);
    PutText(b, 0, label);
    PutWord(b, 10, source);
    b[12] = stereo ? 0x80 : 0;
    return b;
}

// Logic function record with its sources.
inline Bytes LogicRec(const std::string& label, std::initializer_list<std::uint16_t> sources)
{
    Bytes b(12, 0);
    b[0] = static_cast<std::uint8_t>(sources.size());
    PutText(b, 2, label);
    for (const auto s : sources) {
        b.push_back(static_cast<std::uint8_t>(s >> 8));
        b.push_back(static_cast<std::uint8_t>(s));
    }
    return b;
}

// Logic delay (16 bytes).
inline Bytes DelayRec(const std::string& label, std::uint16_t source = 0)
{
    Bytes b(16, 0);
    PutText(b, 0, label);
    PutWord(b, 14, source);
    return b;
}

// Script without commands.
inline Bytes ScriptRec(const std::string& label, std::uint16_t source)
{
    Bytes b(14, 0);
    PutText(b, 0, label);
    PutWord(b, 12, source);
    return b;
}

// Level-detect block (record size 20) of (label, audio source) records.
inline Bytes LevelBlock(std::initializer_list<std::pair<std::string, std::uint16_t>> records)
{
    Bytes b = {20, 0};
    for (const auto& [label, source] : records) {
        Bytes r(20, 0);
        PutText(r, 0, label);
        PutWord(r, 10, source);
        b.insert(b.end(), r.begin(), r.end());
    }
    return b;
}

// Selector source list: label, list number, entries (left, right, text).
struct ListEntry {
    std::uint16_t left, right;
    std::string text;
};
inline Bytes SourceListRec(const std::string& label, int list, std::initializer_list<ListEntry> entries)
{
    Bytes b(18, 0);
    PutText(b, 0, label);
    b[16] = static_cast<std::uint8_t>(list);
    b[17] = static_cast<std::uint8_t>(entries.size());
    for (const auto& e : entries) {
        Bytes r(12, 0);
        PutWord(r, 0, e.left);
        PutWord(r, 2, e.right);
        PutText(r, 4, e.text);
        b.insert(b.end(), r.begin(), r.end());
    }
    return b;
}

// One SOF (head 20, entries of 6 bytes): inputs of (audio, logic) sources; the structure head
// [20, 6] goes in front of the first SOF.
inline Bytes SOFRec(const std::string& label, std::initializer_list<std::vector<std::pair<std::uint16_t, std::uint16_t>>> inputs)
{
    Bytes b(20, 0);
    PutText(b, 4, label);
    std::size_t used = 0;
    for (const auto& input : inputs) {
        b.push_back(static_cast<std::uint8_t>(input.size()));
        b.push_back(0);
        for (const auto& [audio, logic] : input) {
            Bytes e(6, 0);
            PutWord(e, 0, audio);
            PutWord(e, 4, logic);
            b.insert(b.end(), e.begin(), e.end());
        }
        ++used;
    }
    for (; used < 16; ++used) {
        b.push_back(0);
        b.push_back(0);
    }
    PutWord(b, 0, static_cast<std::uint16_t>(b.size()));
    return b;
}

// Console module entry (type little-endian, module number) with 42-byte key records.
inline Bytes ModuleRec(int type, int number, std::initializer_list<Bytes> keys)
{
    Bytes b = {static_cast<std::uint8_t>(type & 0xFF), static_cast<std::uint8_t>(type >> 8), 0, 0,
               static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(keys.size())};
    for (const auto& k : keys)
        b.insert(b.end(), k.begin(), k.end());
    return b;
}

inline Bytes KeyRec(int key, const std::string& label, int kind, std::uint16_t w36 = 0, std::uint16_t w38 = 0,
                    std::uint16_t w40 = 0)
{
    Bytes b(42, 0);
    b[0] = static_cast<std::uint8_t>(key);
    PutText(b, 1, label);
    b[31] = static_cast<std::uint8_t>(kind);
    PutWord(b, 36, w36);
    PutWord(b, 38, w38);
    PutWord(b, 40, w40);
    return b;
}

// I/O card record: type, channel entries (label, ID), GPIO entries (labels).
inline Bytes CardRec(int type, std::initializer_list<std::pair<std::string, std::uint16_t>> channels,
                     std::initializer_list<std::string> gpios = {})
{
    Bytes b(4, 0);
    PutWord(b, 0, static_cast<std::uint16_t>(type));
    b[2] = static_cast<std::uint8_t>(channels.size());
    b[3] = static_cast<std::uint8_t>(gpios.size());
    for (const auto& [label, id] : channels) {
        Bytes e(24, 0);
        PutText(e, 0, label);
        PutWord(e, 16, id);
        b.insert(b.end(), e.begin(), e.end());
    }
    for (const auto& label : gpios) {
        Bytes e(16, 0);
        PutText(e, 0, label);
        b.insert(b.end(), e.begin(), e.end());
    }
    return b;
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes Words(std::initializer_list<std::uint16_t> words)
{
    Bytes out;
    for (const auto w : words) {
        out.push_back(static_cast<std::uint8_t>(w >> 8));
        out.push_back(static_cast<std::uint8_t>(w));
    }
    return out;
}

inline void SetHeaderBytes(TDevice& dev, std::initializer_list<std::pair<std::size_t, std::uint8_t>> bytes)
{
    auto header = dev.GetHeader();
    for (const auto& [at, v] : bytes)
        header[at] = v;
    dev.SetHeader(header, false);
}

} // namespace kvr::model::test
