#include "platform/text1252.h"

#include "gfx/text1252.h"

namespace kvr::platform {

QString fromCp1252(const std::string& text)
{
    return gfx::fromCp1252(text);
}

std::string toCp1252(const QString& text)
{
    return gfx::toCp1252(text);
}

} // namespace kvr::platform
