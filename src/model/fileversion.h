#pragma once
// Versions of project and device files: four 16-bit parts, compared without the build.

#include <cstdint>
#include <span>
#include <string>

namespace kvr::model {

struct TFileVersion {
    unsigned Major = 0;
    unsigned Minor = 0;
    unsigned Release = 0;
    unsigned Build = 0;

    static TFileVersion FromPacked(std::uint64_t packed);
    // A version with a major, minor or release part of 16 or more reads as 0.0.1.0.
    TFileVersion Valid() const;
    // Compares major, minor and release only.
    int Compare(const TFileVersion& other) const;
    bool Is(unsigned major, unsigned minor, unsigned release) const
    {
        return Major == major && Minor == minor && Release == release;
    }
    std::string Text() const; // major.minor.release
};

} // namespace kvr::model
