#pragma once
// Small pieces shared by the project and device file operations.

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace kvr::model {

// Closes the file when it goes out of scope.
class InputFile {
public:
    explicit InputFile(const std::string& fileName) : file_(std::fopen(fileName.c_str(), "rb")) {}
    ~InputFile()
    {
        if (file_ != nullptr)
            std::fclose(file_);
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    // Number of bytes read into bytes (fewer at the end of the file).
    std::size_t Read(std::span<std::uint8_t> bytes);
    // Size in bytes, -1 when it cannot be found.
    long long Size();
    // Bytes left after what was read so far, once reading is done (it reads on to find out); at
    // least 1 when any is left, also where the size cannot be found (a pipe).
    long long Remaining();

private:
    std::FILE* file_;
};

// The plain message shown when a file cannot be opened for reading.
void ShowCannotOpen(const std::string& fileName);

} // namespace kvr::model
