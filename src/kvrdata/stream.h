#pragma once
// Byte streams over memory and files, the base every block format reader and writer uses.

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace Kvrdata_ns {

class EStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class EReadError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;

    // Read and Write move at most Count bytes and return how many moved.
    virtual int Read(void* Buffer, int Count) = 0;
    virtual int Write(const void* Buffer, int Count) = 0;
    virtual std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) = 0;
    virtual std::int64_t GetSize();
    virtual void SetSize(std::int64_t NewSize) = 0;

    std::int64_t GetPosition() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(std::int64_t Pos) { Seek(Pos, TSeekOrigin::soBeginning); }

    // As Read and Write, but a short transfer throws.
    void ReadBuffer(void* Buffer, int Count);
    void WriteBuffer(const void* Buffer, int Count);

    // Copies Count bytes from Source's position; Count 0 copies all of Source from position 0.
    std::int64_t CopyFrom(TStream& Source, std::int64_t Count);

protected:
    TStream() = default;
    TStream(const TStream&) = default;
    TStream& operator=(const TStream&) = default;
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> Bytes) : FData(std::move(Bytes)) {}

    int Read(void* Buffer, int Count) override;
    int Write(const void* Buffer, int Count) override;
    std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;
    std::int64_t GetSize() override { return static_cast<std::int64_t>(FData.size()); }
    void SetSize(std::int64_t NewSize) override;

    void Clear();
    std::uint8_t* Memory() { return FData.data(); }
    const std::vector<std::uint8_t>& Bytes() const { return FData; }
    void LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName);

private:
    std::vector<std::uint8_t> FData;
    std::size_t FPosition = 0;
};

class TFileStream : public TStream {
public:
    enum TMode { fmOpenRead, fmOpenReadWrite, fmCreate };

    TFileStream(const std::string& FileName, TMode Mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int Read(void* Buffer, int Count) override;
    int Write(const void* Buffer, int Count) override;
    std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;
    void SetSize(std::int64_t NewSize) override;
    void Flush();

    const std::string& FileName() const { return FFileName; }

private:
    std::string FFileName;
    std::FILE* FFile = nullptr;
};

} // namespace Kvrdata_ns
