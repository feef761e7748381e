#pragma once
// The SRC choices of a digital input, by bits 5-6 of its channel flags. Codes 2 and 3 have no
// choice and show no text.

#include <array>
#include <string_view>

namespace kvr::reports {

inline constexpr std::array<std::string_view, 2> SRCChoices{"In", "Off"};

constexpr std::string_view SRCChoiceText(int Flags)
{
    const int code = (Flags >> 5) & 3;
    return code < static_cast<int>(SRCChoices.size()) ? SRCChoices[static_cast<std::size_t>(code)] : std::string_view();
}

} // namespace kvr::reports
