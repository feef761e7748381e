#include "model/dspfunctioncatalogue.h"

#include <cstring>

namespace kvr::model {

namespace {

struct CatalogueRow {
    std::uint8_t code;
    std::uint8_t base;
    const char* name; // Windows-1252
    std::int32_t pm32, dm32, pm48, cycles, icon, maxInChain, functions, channels, params;
    std::array<std::uint32_t, 4> defaults;
};

constexpr CatalogueRow catalogue[DSPFunctionCount] = {
    {10, 10, "EQ", 5, 6, 343, 14, 4, 4, 1, 1, 1, {0x000503E8}},
    {11, 11, "Sub Sonic", 0, 22, 187, 21, 18, 1, 1, 1, 1, {0x00000032}},
    {12, 12, "Limiter", 0, 37, 171, 26, 1, 1, 1, 1, 1, {0x00000614}},
    {30, 30, "T-Limiter", 24, 90, 374, 110, 0, 1, 1, 1, 1, {0x00000600}},
    {14, 14, "Compressor", 0, 42, 334, 38, 2, 1, 1, 1, 1, {0x000000A0}},
    {16, 14, "Expander", 0, 42, 334, 38, 3, 1, 1, 1, 1, {0x00000F60}},
    {17, 17, "DeEsser", 70, 98, 288, 201, 14, 1, 1, 1, 1, {0x00020A0A}},
    {18, 18, "DeEsser 2", 0, 16, 222, 21, 14, 1, 1, 1, 1, {0x000003E8}},
    {19, 19, "AGC", 0, 24, 223, 28, 7, 1, 1, 1, 1, {0x05000000}},
    {31, 31, "Sine", 0, 10, 146, 17, 5, 1, 1, 1, 1, {0x000003E8}},
    {39, 39, "Tolk Generator", 0, 10, 125, 29, 13, 1, 1, 1, 0, {}},
    {21, 21, "Var. LP/HP", 21, 22, 400, 31, 19, 2, 1, 1, 1, {0x00000000}},
    {32, 32, "Enhancer", 0, 2064, 180, 42, 6, 1, 1, 1, 1, {0x00000000}},
    {34, 34, "Veziv Adev 3-Band", 35, 124, 393, 230, 8, 1, 1, 1, 3, {0x00000000, 0x01000000, 0x02000000}},
    {35, 35, "Veziv Adev 4-Band", 52, 170, 411, 365, 9, 1, 1, 1, 4, {0x00000000, 0x01000000, 0x02000000, 0x03000000}},
    {36, 36, "Soft Clipper", 0, 12, 166, 14, 10, 1, 1, 1, 1, {0x00000000}},
    {37, 37, "Adaptive Preemphasis", 0, 22, 258, 26, 11, 1, 1, 1, 1, {0x00000000}},
    {13, 13, "Noise Gate", 0, 18, 178, 18, 15, 1, 1, 1, 1, {0x000000CE}},
    {38, 38, "Softknee Limiter", 0, 37, 171, 26, 12, 1, 1, 1, 1, {0x00000600}},
    {15, 15, "Linked Compressor", 0, 0, 0, 74, 17, 1, 1, 1, 1, {0x000000A0}},
    {40, 40, "90\xB0 Filter", 18, 8, 117, 19, 20, 1, 1, 1, 0, {}},
    {23, 23, "RaVi", 0, 4, 181, 8, 0, 1, 1, 1, 1, {0x00001400}},
    {0, 0, "rUvi", 0, 20, 452, 21, 0, 1, 1, 1, 1, {0x00000000}},
    {41, 41, "Level Detect", 0, 14, 128, 19, 0, 255, 1, 1, 0, {}},
};

// Row of each code (the first row carrying it), -1 for codes the catalogue does not know.
constexpr std::array<std::int8_t, 256> buildIndex()
{
    std::array<std::int8_t, 256> index{};
    for (auto& entry : index)
        entry = -1;
    for (int row = DSPFunctionCount - 1; row >= 0; --row)
        index[catalogue[row].code] = static_cast<std::int8_t>(row);
    return index;
}

constexpr std::array<std::int8_t, 256> rowOfCode = buildIndex();

} // namespace

int GetDSPFunctionInfo(int code, TDSPFunctionInfo& out)
{
    out = TDSPFunctionInfo{};
    const int row = code >= 0 && code < 256 ? rowOfCode[static_cast<std::size_t>(code)] : -1;
    if (row < 0) {
        std::memcpy(out.Name.data(), "unknown", 8);
        return 0;
    }
    const CatalogueRow& r = catalogue[row];
    out.Code = r.code;
    out.BaseCode = r.base;
    std::strncpy(out.Name.data(), r.name, out.Name.size() - 1);
    out.PM32 = r.pm32;
    out.DM32 = r.dm32;
    out.PM48 = r.pm48;
    out.Cycles = r.cycles;
    out.Icon = r.icon;
    out.MaxInChain = r.maxInChain;
    out.Functions = r.functions;
    out.Channels = r.channels;
    out.ParamCount = r.params;
    for (std::size_t i = 0; i < r.defaults.size(); ++i)
        out.DefaultParams[i] = r.defaults[i];
    return 1;
}

} // namespace kvr::model
