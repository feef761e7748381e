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
    // Flushes and syncs the file, then puts it in place of the target: renames over the target
    // and syncs the folder, or hands the complete file's name to place, which puts it there
    // itself (with the backups of the old file) and says whether it did. False when any of that
    // fails; the temporary file is gone then.
    bool Commit(const std::function<bool(const std::string& completeFile)>& place = {});

private:
    void Discard();
    void RemoveStaleTemporaries() const;

    std::string target_;
    std::string temp_;
    std::FILE* file_ = nullptr;
};

} // namespace kvr::model
