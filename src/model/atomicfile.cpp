#include "model/atomicfile.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kvr::model {

AtomicFileWriter::AtomicFileWriter(std::string target) : target_(std::move(target)) {}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

bool AtomicFileWriter::Open()
{
    Discard();
    std::vector<char> name(target_.begin(), target_.end());
    const char suffix[] = ".tmpXXXXXX";
    name.insert(name.end(), suffix, suffix + sizeof suffix);
    const int fd = mkstemp(name.data());
    if (fd < 0)
        return false;
    temp_.assign(name.data());
    // A new file gets the permissions a plain create would have given it; a replaced one keeps its own.
    struct stat existing {};
    if (stat(target_.c_str(), &existing) == 0) {
        fchmod(fd, existing.st_mode & 07777);
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    file_ = fdopen(fd, "wb");
    if (file_ == nullptr) {
        close(fd);
        Discard();
        return false;
    }
    return true;
}

bool AtomicFileWriter::Write(std::span<const std::uint8_t> bytes)
{
    if (file_ == nullptr)
        return false;
    return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
}

bool AtomicFileWriter::Commit()
{
    if (file_ == nullptr)
        return false;
    bool ok = std::fflush(file_) == 0 && fsync(fileno(file_)) == 0;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (ok && std::rename(temp_.c_str(), target_.c_str()) == 0) {
        temp_.clear();
        return true;
    }
    Discard();
    return false;
}

void AtomicFileWriter::Discard()
{
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temp_.empty()) {
        unlink(temp_.c_str());
        temp_.clear();
    }
}

} // namespace kvr::model
