#include "model/fileio.h"

#include "model/modelhost.h"

#include <sys/stat.h>

namespace kvr::model {

std::size_t InputFile::Read(std::span<std::uint8_t> bytes)
{
    if (file_ == nullptr || bytes.empty())
        return 0;
    return std::fread(bytes.data(), 1, bytes.size(), file_);
}

long long InputFile::Size()
{
    struct stat info {};
    if (file_ == nullptr || fstat(fileno(file_), &info) != 0)
        return -1;
    return static_cast<long long>(info.st_size);
}

long long InputFile::Remaining()
{
    if (file_ == nullptr)
        return 0;
    const long long position = std::ftell(file_);
    const long long size = Size();
    if (std::fgetc(file_) == EOF)
        return 0;
    return size >= 0 && position >= 0 && size > position ? size - position : 1;
}

void ShowCannotOpen(const std::string& fileName)
{
    Host().ShowMessage("File \"" + fileName +
                           "\" could not be opened.\nPlease check if the file is still available and not used by an other program.",
                       "");
}

} // namespace kvr::model
