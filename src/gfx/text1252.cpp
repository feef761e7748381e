#include "gfx/text1252.h"

#include <algorithm>
#include <array>
#include <optional>

namespace kvr::gfx {

namespace {

// Code points of bytes 0x80-0x9F; the five unassigned bytes map to the C1 control of the same
// value, so every byte survives a round trip.
constexpr std::array<char16_t, 32> highControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QString fromCp1252(std::string_view text)
{
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        result.append(QChar(byte >= 0x80 && byte <= 0x9F ? highControls[byte - 0x80] : char16_t{byte}));
    }
    return result;
}

namespace {

// The byte of a code point, or none.
std::optional<char> byteOf(char16_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<char>(u);
    for (std::size_t i = 0; i < highControls.size(); ++i) {
        if (highControls[i] == u)
            return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

} // namespace

std::string toCp1252(const QString& text)
{
    std::string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar ch : text)
        result.push_back(byteOf(ch.unicode()).value_or('?'));
    return result;
}

bool holdsInCp1252(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar ch) { return byteOf(ch.unicode()).has_value(); });
}

} // namespace kvr::gfx
