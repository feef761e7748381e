#include "kvrdata/stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace Kvrdata_ns {

std::int64_t TStream::GetSize()
{
    const std::int64_t pos = Seek(0, TSeekOrigin::soCurrent);
    const std::int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(pos, TSeekOrigin::soBeginning);
    return size;
}

void TStream::ReadBuffer(void* Buffer, int Count)
{
    if (Count != 0 && Read(Buffer, Count) != Count)
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, int Count)
{
    if (Count != 0 && Write(Buffer, Count) != Count)
        throw EWriteError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& Source, std::int64_t Count)
{
    if (Count == 0) {
        Source.SetPosition(0);
        Count = Source.GetSize();
    }
    std::int64_t copied = 0;
    std::uint8_t buffer[65536];
    while (copied < Count) {
        const int chunk = static_cast<int>(std::min<std::int64_t>(Count - copied, sizeof buffer));
        Source.ReadBuffer(buffer, chunk);
        WriteBuffer(buffer, chunk);
        copied += chunk;
    }
    return copied;
}

int TMemoryStream::Read(void* Buffer, int Count)
{
    if (Count <= 0 || FPosition >= FData.size())
        return 0;
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(Count), FData.size() - FPosition);
    std::memcpy(Buffer, FData.data() + FPosition, n);
    FPosition += n;
    return static_cast<int>(n);
}

int TMemoryStream::Write(const void* Buffer, int Count)
{
    if (Count <= 0)
        return 0;
    const std::size_t end = FPosition + static_cast<std::size_t>(Count);
    if (end > FData.size())
        FData.resize(end);
    std::memcpy(FData.data() + FPosition, Buffer, static_cast<std::size_t>(Count));
    FPosition = end;
    return Count;
}

std::int64_t TMemoryStream::Seek(std::int64_t Offset, TSeekOrigin Origin)
{
    std::int64_t base = 0;
    switch (Origin) {
    case TSeekOrigin::soBeginning: base = 0; break;
    case TSeekOrigin::soCurrent: base = static_cast<std::int64_t>(FPosition); break;
    case TSeekOrigin::soEnd: base = static_cast<std::int64_t>(FData.size()); break;
    }
    const std::int64_t target = base + Offset;
    // A position past the end is allowed (a later write fills the gap); before the start it is not.
    FPosition = target < 0 ? 0 : static_cast<std::size_t>(target);
    return static_cast<std::int64_t>(FPosition);
}

void TMemoryStream::SetSize(std::int64_t NewSize)
{
    FData.resize(NewSize < 0 ? 0 : static_cast<std::size_t>(NewSize));
    FPosition = std::min(FPosition, FData.size());
}

void TMemoryStream::Clear()
{
    FData.clear();
    FPosition = 0;
}

void TMemoryStream::LoadFromFile(const std::string& FileName)
{
    TFileStream file(FileName, TFileStream::fmOpenRead);
    Clear();
    CopyFrom(file, 0);
    FPosition = 0;
}

void TMemoryStream::SaveToFile(const std::string& FileName)
{
    TFileStream file(FileName, TFileStream::fmCreate);
    file.WriteBuffer(FData.data(), static_cast<int>(FData.size()));
    file.Flush();
}

TFileStream::TFileStream(const std::string& FileName, TMode Mode) : FFileName(FileName)
{
    const char* mode = Mode == fmOpenRead ? "rb" : Mode == fmOpenReadWrite ? "r+b" : "w+b";
    FFile = std::fopen(FileName.c_str(), mode);
    if (!FFile)
        throw EFOpenError("Cannot open file \"" + FileName + "\". " + std::strerror(errno));
}

TFileStream::~TFileStream()
{
    if (FFile)
        std::fclose(FFile);
}

int TFileStream::Read(void* Buffer, int Count)
{
    if (Count <= 0)
        return 0;
    return static_cast<int>(std::fread(Buffer, 1, static_cast<std::size_t>(Count), FFile));
}

int TFileStream::Write(const void* Buffer, int Count)
{
    if (Count <= 0)
        return 0;
    return static_cast<int>(std::fwrite(Buffer, 1, static_cast<std::size_t>(Count), FFile));
}

std::int64_t TFileStream::Seek(std::int64_t Offset, TSeekOrigin Origin)
{
    const int whence = Origin == TSeekOrigin::soBeginning ? SEEK_SET : Origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
    if (fseeko(FFile, static_cast<off_t>(Offset), whence) != 0)
        return -1;
    return static_cast<std::int64_t>(ftello(FFile));
}

void TFileStream::SetSize(std::int64_t NewSize)
{
    std::fflush(FFile);
    if (ftruncate(fileno(FFile), static_cast<off_t>(NewSize)) != 0)
        throw EWriteError("Cannot set the size of \"" + FFileName + "\"");
}

void TFileStream::Flush()
{
    if (std::fflush(FFile) != 0)
        throw EWriteError("Cannot write \"" + FFileName + "\"");
}

} // namespace Kvrdata_ns
