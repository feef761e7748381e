#include "gfx/fontroles.h"

#include "gfx/text1252.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>

#include <algorithm>
#include <array>
#include <cctype>

namespace kvr::gfx {

namespace {

// The dialogs' fonts, chosen by measuring the fixed-size controls' texts: the Tahoma made to the
// original metrics is within a pixel or two of them; DejaVu Sans runs about a fifth wider and cuts
// texts, its condensed face is the nearest stand-in where the first is missing.
constexpr std::array<const char*, 3> uiSans = {"Tahoma", "DejaVu Sans Condensed", "DejaVu Sans"};
constexpr std::array<const char*, 1> arial = {"Liberation Sans"};
constexpr std::array<const char*, 1> courier = {"Liberation Mono"};
constexpr std::array<const char*, 1> times = {"Liberation Serif"};
constexpr std::array<const char*, 2> capitals = {"Routed Gothic Wide", "Routed Gothic"};
constexpr std::array<const char*, 1> symbol = {"DejaVu Sans"};

// The first row is the fallback for names the table does not know.
const std::array<FontRole, 7> roles = {{
    {"MS Sans Serif", uiSans, "fonts-wine", false},
    {"Tahoma", uiSans, "fonts-wine", false},
    {"Arial", arial, "fonts-liberation2", false},
    {"Courier New", courier, "fonts-liberation2", false},
    {"Times New Roman", times, "fonts-liberation2", false},
    {"BankGothic Md BT", capitals, "fonts-routed-gothic", true},
    {"Symbol", symbol, "fonts-dejavu-core", false},
}};

// Families whose package leaves them outside the font configuration: the program adds their
// files itself.
struct FontFiles {
    const char* family;
    std::array<const char*, 2> files;
};
const std::array<FontFiles, 1> unregisteredFonts = {{
    {"Tahoma", {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}},
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

void registerRoleFonts()
{
    static bool registered = false;
    if (registered || qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return;
    registered = true;
    for (const FontFiles& font : unregisteredFonts) {
        if (QFontDatabase::hasFamily(QString::fromLatin1(font.family)))
            continue;
        for (const char* file : font.files) {
            if (QFile::exists(QString::fromLatin1(file)))
                QFontDatabase::addApplicationFont(QString::fromLatin1(file));
        }
    }
}

QString resolveFamily(std::string_view requested)
{
    registerRoleFonts();
    const FontRole& role = fontRoleFor(requested);
    for (const char* family : role.families) {
        if (QFontDatabase::hasFamily(QString::fromLatin1(family)))
            return QString::fromLatin1(family);
    }
    return QString::fromLatin1(role.families.front());
}

QFont systemFont()
{
    QFont font(resolveFamily("MS Sans Serif"));
    font.setPointSize(8);
    return font;
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
