#pragma once
// Writes a file through a temporary file in the same folder that replaces the target only once
// it is completely written, so a failed save never leaves a half-written file.

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace kvr::model {

class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string target);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Creates the temporary file; false when that fails.
    bool Open();
    // False when fewer bytes were written.
    bool Write(std::span<const std::uint8_t> bytes);
    // Flushes, closes and renames over the target; false when any of that fails.
    bool Commit();

private:
    void Discard();

    std::string target_;
    std::string temp_;
    std::FILE* file_ = nullptr;
};

} // namespace kvr::model
