#include "app/startup.h"

#include <cstdio>
#include <span>

#include "kvrdata/byteorder.h"

namespace kvr::app {

std::string FileExtension(const std::string& Name)
{
    const auto dot = Name.find_last_of('.');
    if (dot == std::string::npos)
        return {};
    const auto separator = Name.find_last_of("/\\:");
    if (separator != std::string::npos && separator > dot)
        return {};
    return Name.substr(dot);
}

StartCommand ParseStartCommand(const std::vector<std::string>& Words)
{
    StartCommand command;
    if (Words.empty())
        return command;
    const std::string& first = Words.front();
    if (FileExtension(first) == ".kvp")
        command.ProjectFile = first;
    else if (first == ServiceWord)
        command.ServiceLevel = 2;
    return command;
}

ProgramVersionParts SplitVersion(std::uint64_t Version)
{
    return ProgramVersionParts{static_cast<unsigned>((Version >> 48) & 0xFFFF), static_cast<unsigned>((Version >> 32) & 0xFFFF),
                               static_cast<unsigned>((Version >> 16) & 0xFFFF), static_cast<unsigned>(Version & 0xFFFF)};
}

std::uint64_t EffectiveProgramVersion(const ProgramVersionParts& Parts)
{
    const bool inBounds = Parts.Major < 16 && Parts.Minor < 16 && Parts.Release < 16 && Parts.Build <= 0xFFFF;
    const auto mmr = [](unsigned a, unsigned b, unsigned c) { return (a << 8) | (b << 4) | c; };
    if (!inBounds || mmr(Parts.Major, Parts.Minor, Parts.Release) < mmr(5, 1, 9))
        return FallbackProgramVersion;
    return (std::uint64_t{Parts.Major} << 48) | (std::uint64_t{Parts.Minor} << 32) | (std::uint64_t{Parts.Release} << 16) |
           std::uint64_t{Parts.Build};
}

std::string MainCaption(const std::string& ProjectFileName)
{
    return std::string(ApplicationTitle) + " - " + ProjectFileName;
}

std::string FileStateText(bool Changed)
{
    return Changed ? "File modified" : "File saved";
}

std::string FileInfoText(const ProgramVersionParts& V)
{
    char text[96];
    std::snprintf(text, sizeof text, "Created with CorDex4:    %u.%u.%u build %u", V.Major, V.Minor, V.Release, V.Build);
    return text;
}

ProgramVersionParts HeaderVersion(const std::uint8_t* Header100)
{
    const std::span<const std::uint8_t> header(Header100, 100);
    return ProgramVersionParts{kvr::readBE16(header, 4), kvr::readBE16(header, 6), kvr::readBE16(header, 8),
                               kvr::readBE16(header, 10)};
}

std::string AboutVersionText(const ProgramVersionParts& V)
{
    return "Version " + std::to_string(V.Major) + "." + std::to_string(V.Minor) + "." + std::to_string(V.Release) +
           " Build " + std::to_string(V.Build);
}

} // namespace kvr::app
