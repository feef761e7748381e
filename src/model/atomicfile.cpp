#include "model/atomicfile.h"

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kvr::model {

namespace {

constexpr char kTempSuffix[] = ".tmpXXXXXX";
constexpr std::size_t kTempSuffixSize = sizeof kTempSuffix - 1;

std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : path.substr(0, slash);
}

// A rename is on disk only once its folder is.
void SyncFolder(const std::string& path)
{
    const int fd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

AtomicFileWriter::AtomicFileWriter(std::string target) : target_(std::move(target)) {}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

void AtomicFileWriter::RemoveStaleTemporaries() const
{
    const std::string folder = FolderOf(target_);
    const auto slash = target_.rfind('/');
    const std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return;
    // Names of our own temporaries of this target: the target's name, ".tmp" and six characters.
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() == base.size() + kTempSuffixSize && name.compare(0, base.size(), base) == 0 &&
            name.compare(base.size(), 4, ".tmp") == 0)
            unlink((folder + "/" + name).c_str());
    }
    closedir(dir);
}

bool AtomicFileWriter::Open()
{
    Discard();
    RemoveStaleTemporaries();
    std::vector<char> name(target_.begin(), target_.end());
    name.insert(name.end(), kTempSuffix, kTempSuffix + sizeof kTempSuffix);
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

bool AtomicFileWriter::Commit(const std::function<bool(const std::string& completeFile)>& place)
{
    if (file_ == nullptr)
        return false;
    bool ok = std::fflush(file_) == 0 && fsync(fileno(file_)) == 0;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (ok && place) {
        ok = place(temp_);
        if (ok)
            temp_.clear();
        else
            Discard();
        return ok;
    }
    if (ok && std::rename(temp_.c_str(), target_.c_str()) == 0) {
        temp_.clear();
        SyncFolder(target_);
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
