#include "model/limits.h"

#include <algorithm>

namespace kvr::model {

namespace {
bool HasUnknown(const std::vector<std::uint8_t>& chain, const TFitCatalogue& catalogue)
{
    return std::any_of(chain.begin(), chain.end(), [&catalogue](std::uint8_t code) { return !catalogue[code].Known; });
}
} // namespace

std::vector<TConfigViolation> ConfigViolations(std::uint32_t exceeded, const FittingInput& in,
                                               const TFitCatalogue& catalogue, int capacity)
{
    std::vector<TConfigViolation> out;
    if (exceeded & kLimitBuses)
        out.push_back({1, 0, 0});
    if (exceeded & kLimitOutFkt)
        out.push_back({2, 0, 0});
    if (exceeded & kLimitDSP)
        out.push_back({3, 0, 0});
    if (exceeded & kLimitLevelDetect)
        out.push_back({4, 3, 0});
    if (exceeded & kLimitUnknownFunction) {
        const auto full = [&out, capacity] { return static_cast<int>(out.size()) >= capacity; };
        for (std::size_t f = 0; f < in.FaderChains.size(); ++f) {
            if (f >= in.FaderHasRecord.size() || !in.FaderHasRecord[f])
                continue;
            if (HasUnknown(in.FaderChains[f], catalogue))
                out.push_back({5, 1, static_cast<std::uint8_t>(f)});
            if (full())
                return out;
        }
        for (std::size_t l = 0; l < in.FixedProcs.size(); ++l) {
            if (HasUnknown(in.FixedProcs[l], catalogue))
                out.push_back({5, 2, static_cast<std::uint8_t>(l)});
            if (full())
                return out;
        }
    }
    if (exceeded & kLimitScriptSteps)
        out.push_back({6, 0, 0});
    if (exceeded & kLimitSOF)
        out.push_back({7, 0, 0});
    return out;
}

} // namespace kvr::model
