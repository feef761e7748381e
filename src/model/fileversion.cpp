#include "model/fileversion.h"

namespace kvr::model {

TFileVersion TFileVersion::FromPacked(std::uint64_t packed)
{
    return {static_cast<unsigned>((packed >> 48) & 0xFFFF), static_cast<unsigned>((packed >> 32) & 0xFFFF),
            static_cast<unsigned>((packed >> 16) & 0xFFFF), static_cast<unsigned>(packed & 0xFFFF)};
}

TFileVersion TFileVersion::Valid() const
{
    if (Major >= 16 || Minor >= 16 || Release >= 16)
        return {0, 0, 1, 0};
    return *this;
}

int TFileVersion::Compare(const TFileVersion& other) const
{
    if (Major != other.Major)
        return Major < other.Major ? -1 : 1;
    if (Minor != other.Minor)
        return Minor < other.Minor ? -1 : 1;
    if (Release != other.Release)
        return Release < other.Release ? -1 : 1;
    return 0;
}

std::string TFileVersion::Text() const
{
    return std::to_string(Major) + "." + std::to_string(Minor) + "." + std::to_string(Release);
}

} // namespace kvr::model
