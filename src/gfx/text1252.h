#pragma once
// Text in images and files is 8-bit Windows-1252; Qt speaks QString. These two functions are
// the one crossing between them (the platform layer's helpers call them).

#include <QString>

#include <string>
#include <string_view>

namespace kvr::gfx {

QString fromCp1252(std::string_view text);
// Characters that Windows-1252 cannot hold become '?'; fields that take a user's text refuse them
// first (holdsInCp1252), so only texts from elsewhere meet this rule.
std::string toCp1252(const QString& text);
// True when every character of the text has a Windows-1252 byte.
bool holdsInCp1252(const QString& text);

} // namespace kvr::gfx
