#pragma once
// Writes a file through a temporary file in the same folder that replaces the target only once
// it is completely written and on disk, so the target's path always holds either the old or the
// new file, whenever the program is stopped. Temporary files that earlier, interrupted writes of
// the same target left behind are removed by the next one.

#include <cstdint>
#include <cstdio>
#include <functional>
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
    // Flushes and syncs the file, runs beforeReplace (the backups of the old file are made
    // there: the old file is still in place), renames over the target and syncs the folder;
    // false when any of that fails.
    bool Commit(const std::function<void()>& beforeReplace = {});

private:
    void Discard();
    void RemoveStaleTemporaries() const;

    std::string target_;
    std::string temp_;
    std::FILE* file_ = nullptr;
};

} // namespace kvr::model
