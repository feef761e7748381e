#include "model/sourceids.h"

#include <algorithm>

namespace kvr::model {

const std::array<std::int32_t, 25> LogicSourceRanges = {0,    1,    385,  481,  631,  781,  931,  1081, 1281,
                                                        1366, 1381, 1401, 1416, 1446, 1476, 1506, 1536, 1686,
                                                        1756, 1796, 1836, 1986, 2136, 2176, 2236};

const std::array<std::int32_t, 19> AudioSourceRanges = {0,     256,   16384, 16386, 16512, 16896, 17024,
                                                        17088, 17152, 17408, 17664, 17920, 18176, 18240,
                                                        18304, 18432, 18944, 19200, 20736};

namespace {

template <std::size_t N>
int categoryOf(const std::array<std::int32_t, N>& ranges, std::uint32_t id)
{
    const auto above = std::upper_bound(ranges.begin(), ranges.end(), static_cast<std::int64_t>(id),
                                        [](std::int64_t value, std::int32_t start) { return value < start; });
    if (above == ranges.end())
        return -1;
    return static_cast<int>(above - ranges.begin()) - 1;
}

constexpr const char* systemSignals[] = {
    "PFL On",        "Pulse 1",        "Pulse 2",          "Pulse 3",     "OffAir",
    "Voice",         "PGM1",           "Timer Running",    "Timer Reset", "Slot 10 MADI 1 Error",
    "Slot 10 MADI 2 Error", "Slot 20 MADI 1 Error", "Slot 20 MADI 2 Error", "Slot 30 MADI 1 Error",
    "Slot 30 MADI 2 Error", "Solo", "Power Fail", "Power Fail Salve", "Solo Inplace"};

} // namespace

int GetLogicCategory(std::uint32_t id) { return categoryOf(LogicSourceRanges, id); }
int GetAudioCategory(std::uint32_t id) { return categoryOf(AudioSourceRanges, id); }

const char* GetSystemSignalName(std::uint32_t id)
{
    constexpr std::uint32_t first = 1281;
    if (id < first || id - first >= std::size(systemSignals))
        return nullptr;
    return systemSignals[id - first];
}

} // namespace kvr::model
