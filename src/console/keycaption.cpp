#include "console/keycaption.h"

#include <algorithm>

namespace kvr::console {

std::string KeyCaptionText(const model::TKeyRecord& record)
{
    const auto first = record.begin() + 1;
    const auto last = std::find(first, first + kKeyCaptionLength, 0);
    return std::string(first, last);
}

std::vector<std::string> KeyCaptionLines(const model::TKeyRecord& record)
{
    const std::string text = KeyCaptionText(record);
    std::vector<std::string> lines(1);
    for (char c : text) {
        if (c == '\\')
            lines.emplace_back();
        else
            lines.back() += c;
    }
    return lines;
}

} // namespace kvr::console
