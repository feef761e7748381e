#pragma once
// The font names the system asks for, mapped to families installed on this machine. One table,
// so the install script and the fonts a painter gets stay in step.

#include <QFont>
#include <QString>

#include <span>
#include <string_view>

namespace kvr::gfx {

struct FontRole {
    std::string_view requested;         // the name the system uses
    std::span<const char* const> families; // installed stand-ins, the preferred first
    const char* package;                // Debian package that brings the first family
    bool smallCaps;                     // lower case drawn as small capitals
};

std::span<const FontRole> fontRoles();
// The role for a requested name, matched case-insensitively; unknown names get the UI sans.
const FontRole& fontRoleFor(std::string_view requested);
// The first family of the role that is installed, else the role's first family (the font
// matcher then picks a near one).
QString resolveFamily(std::string_view requested);

// Adds the role families that their package leaves outside the font configuration; once, and
// only with a QGuiApplication (resolveFamily calls it).
void registerRoleFonts();
// The font of the windows: "MS Sans Serif" 8 points (11 pixels at 96 dpi) through the table.
QFont systemFont();

// Text as the font shows it: Windows-1252, except for the symbol font whose own code points
// the system uses (165 is the infinity sign).
QString textForFont(std::string_view fontName, std::string_view text);

} // namespace kvr::gfx
