#include "console/keycaption.h"

namespace kvr::console {

std::string KeyCaptionText(const model::TKeyRecord& record)
{
    return model::KeyRecordText(record);
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
