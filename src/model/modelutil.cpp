#include "model/modelutil.h"

#include <algorithm>
#include <cstring>

namespace kvr::model {

std::uint16_t Swap16(std::uint16_t value) { return static_cast<std::uint16_t>((value >> 8) | (value << 8)); }

std::uint32_t Swap32(std::uint32_t value)
{
    return (value >> 24) | ((value >> 8) & 0x0000FF00u) | ((value << 8) & 0x00FF0000u) | (value << 24);
}

std::uint32_t ReadBigEndian32(std::span<const std::uint8_t> bytes)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = (value << 8) | (i < bytes.size() ? bytes[i] : 0u);
    return value;
}

std::string ZeroPad(std::string_view text, std::size_t width)
{
    std::string result(text);
    if (result.size() < width)
        result.insert(0, width - result.size(), '0');
    return result;
}

std::string ZeroPad(long long value, std::size_t width) { return ZeroPad(std::to_string(value), width); }

int IsInList(int value, std::span<const int> list, int count)
{
    const std::size_t n = count < 0 ? 0 : std::min(list.size(), static_cast<std::size_t>(count));
    return std::find(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(n), value) != list.begin() + static_cast<std::ptrdiff_t>(n)
               ? 1
               : 0;
}

std::string ReadFixedText(std::span<const std::uint8_t> data, std::size_t offset, std::size_t width)
{
    if (offset >= data.size())
        return {};
    const auto field = data.subspan(offset, std::min(width, data.size() - offset));
    const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    return std::string(field.begin(), end);
}

void WriteFixedText(std::span<std::uint8_t> data, std::size_t offset, std::size_t width, std::string_view text,
                    std::size_t maxChars)
{
    if (offset >= data.size())
        return;
    width = std::min(width, data.size() - offset);
    std::fill_n(data.begin() + static_cast<std::ptrdiff_t>(offset), width, std::uint8_t{0});
    const std::size_t n = std::min({text.size(), maxChars, width});
    std::memcpy(data.data() + offset, text.data(), n);
}

} // namespace kvr::model
