#include "gfx/fontroles.h"

#include "gfx/text1252.h"

#include <QFontDatabase>

#include <algorithm>
#include <array>
#include <cctype>

namespace kvr::gfx {

namespace {

constexpr std::array<const char*, 2> uiSans = {"DejaVu Sans", "Liberation Sans"};
constexpr std::array<const char*, 1> arial = {"Liberation Sans"};
constexpr std::array<const char*, 1> courier = {"Liberation Mono"};
constexpr std::array<const char*, 1> times = {"Liberation Serif"};
constexpr std::array<const char*, 2> capitals = {"Routed Gothic Wide", "Routed Gothic"};
constexpr std::array<const char*, 1> symbol = {"DejaVu Sans"};

// The first row is the fallback for names the table does not know.
const std::array<FontRole, 7> roles = {{
    {"MS Sans Serif", uiSans, "fonts-dejavu-core", false},
    {"Tahoma", uiSans, "fonts-dejavu-core", false},
    {"Arial", arial, "fonts-liberation2", false},
    {"Courier New", courier, "fonts-liberation2", false},
    {"Times New Roman", times, "fonts-liberation2", false},
    {"BankGothic Md BT", capitals, "fonts-routed-gothic", true},
    {"Symbol", symbol, "fonts-dejavu-core", false},
}};

bool sameName(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

std::span<const FontRole> fontRoles()
{
    return roles;
}

const FontRole& fontRoleFor(std::string_view requested)
{
    for (const FontRole& role : roles) {
        if (sameName(role.requested, requested))
            return role;
    }
    return roles.front();
}

QString resolveFamily(std::string_view requested)
{
    const FontRole& role = fontRoleFor(requested);
    for (const char* family : role.families) {
        if (QFontDatabase::hasFamily(QString::fromLatin1(family)))
            return QString::fromLatin1(family);
    }
    return QString::fromLatin1(role.families.front());
}

QString textForFont(std::string_view fontName, std::string_view text)
{
    QString result = fromCp1252(text);
    if (sameName(fontName, "Symbol")) {
        for (QChar& ch : result) {
            if (ch.unicode() == 165)
                ch = QChar(char16_t{0x221E});
        }
    }
    return result;
}

} // namespace kvr::gfx
